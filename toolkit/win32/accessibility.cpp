#include "toolkit/win32/accessibility.h"

#include <utility>

#include "toolkit/accessible_text.h"
#include "toolkit/win32/wide_strings.h"

namespace tk::win32 {

namespace {

// MinGW's oleacc import library gives IID_IAccessible as a code stub rather than the GUID, so
// the interface's id is taken from its declaration.
const IID& accessibleId = __uuidof(IAccessible);

BSTR toBstr(const std::wstring& text) { return SysAllocString(text.c_str()); }

// The system's object for a window's client area, or null where it has none (Wine has none
// for some control classes, a slider among them).
IAccessible* standardObject(HWND window) {
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, accessibleId,
                                       reinterpret_cast<void**>(&standard)))) {
    return nullptr;
  }
  return standard;
}

long childCountOf(IAccessible* object) {
  long count = 0;
  if (object) object->get_accChildCount(&count);
  return count;
}

// The system's client object with a name, description, role and state of our own, and the
// painted elements as simple children (ids after the system's own children). Where the system
// has no object for the window, this one answers its name, description, role, state and place
// alone.
class ClientObject : public IAccessible {
 public:
  ClientObject(HWND window, IAccessible* standard, OwnFacts own,
               std::vector<PaintedElement> painted)
      : window_(window),
        standard_(standard),
        own_(std::move(own)),
        painted_(std::move(painted)),
        ownChildren_(childCountOf(standard)) {}
  virtual ~ClientObject() {
    if (standard_) standard_->Release();
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IDispatch || id == accessibleId) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: the object is used through its interface only.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_ ? standard_->get_accParent(parent) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    *count = ownChildren_ + static_cast<long>(painted_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (paintedOf(child)) {
      *object = nullptr;
      return S_FALSE;  // a simple element, answered by this object
    }
    return standard_ ? standard_->get_accChild(child, object) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (const PaintedElement* element = paintedOf(child)) return text(element->name, name);
    if (isSelf(child) && !own_.name.empty()) return text(own_.name, name);
    return standard_ ? standard_->get_accName(child, name) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (const PaintedElement* element = paintedOf(child)) return text(element->value, value);
    return standard_ ? standard_->get_accValue(child, value) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (const PaintedElement* element = paintedOf(child)) {
      return text(element->description, description);
    }
    if (isSelf(child) && !own_.description.empty()) return text(own_.description, description);
    return standard_ ? standard_->get_accDescription(child, description) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (const PaintedElement* element = paintedOf(child)) {
      role->vt = VT_I4;
      role->lVal = element->role;
      return S_OK;
    }
    if (isSelf(child) && (own_.role != 0 || !standard_)) {
      role->vt = VT_I4;
      role->lVal = own_.role != 0 ? own_.role : ROLE_SYSTEM_CLIENT;
      return S_OK;
    }
    return standard_ ? standard_->get_accRole(child, role) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (const PaintedElement* element = paintedOf(child)) {
      state->vt = VT_I4;
      state->lVal = STATE_SYSTEM_READONLY | (element->shown ? 0 : STATE_SYSTEM_INVISIBLE);
      return S_OK;
    }
    if (!isSelf(child)) return standard_ ? standard_->get_accState(child, state) : noAnswer();
    long systemState = IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE;
    VARIANT answer{};
    if (standard_ && standard_->get_accState(child, &answer) == S_OK && answer.vt == VT_I4) {
      systemState = answer.lVal;
    }
    state->vt = VT_I4;
    state->lVal = systemState | own_.addedState;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    if (paintedOf(child)) return text({}, help);
    return standard_ ? standard_->get_accHelp(child, help) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (paintedOf(child)) return S_FALSE;
    return standard_ ? standard_->get_accHelpTopic(file, child, topic) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    if (paintedOf(child)) return text({}, shortcut);
    return standard_ ? standard_->get_accKeyboardShortcut(child, shortcut) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_ ? standard_->get_accFocus(child) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_ ? standard_->get_accSelection(children) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (paintedOf(child)) return text({}, action);
    return standard_ ? standard_->get_accDefaultAction(child, action) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (paintedOf(child)) return S_FALSE;
    return standard_ ? standard_->accSelect(flags, child) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (const PaintedElement* element = paintedOf(child)) {
      POINT origin{element->bounds.left, element->bounds.top};
      ClientToScreen(window_, &origin);
      *left = origin.x;
      *top = origin.y;
      *width = element->bounds.right - element->bounds.left;
      *height = element->bounds.bottom - element->bounds.top;
      return S_OK;
    }
    if (!standard_ && isSelf(child)) {
      RECT bounds;
      GetWindowRect(window_, &bounds);
      *left = bounds.left;
      *top = bounds.top;
      *width = bounds.right - bounds.left;
      *height = bounds.bottom - bounds.top;
      return S_OK;
    }
    return standard_ ? standard_->accLocation(left, top, width, height, child) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (paintedOf(start)) return S_FALSE;
    return standard_ ? standard_->accNavigate(direction, start, end) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    POINT point{x, y};
    ScreenToClient(window_, &point);
    // The front-most painted element under the point, unless a control's window is there.
    if (ChildWindowFromPointEx(window_, point, CWP_SKIPINVISIBLE) == window_) {
      for (std::size_t i = painted_.size(); i-- > 0;) {
        if (PtInRect(&painted_[i].bounds, point)) {
          child->vt = VT_I4;
          child->lVal = ownChildren_ + 1 + static_cast<long>(i);
          return S_OK;
        }
      }
    }
    return standard_ ? standard_->accHitTest(x, y, child) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (paintedOf(child)) return DISP_E_MEMBERNOTFOUND;
    return standard_ ? standard_->accDoDefaultAction(child) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // Where the system has no object of its own for a kind of control.
  static HRESULT noAnswer() { return DISP_E_MEMBERNOTFOUND; }
  static bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  const PaintedElement* paintedOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return nullptr;
    const long index = child.lVal - ownChildren_ - 1;
    if (index < 0 || index >= static_cast<long>(painted_.size())) return nullptr;
    return &painted_[static_cast<std::size_t>(index)];
  }
  static HRESULT text(const std::wstring& value, BSTR* out) {
    *out = value.empty() ? nullptr : toBstr(value);
    return value.empty() ? S_FALSE : S_OK;
  }

  HWND window_;
  IAccessible* standard_;
  OwnFacts own_;
  std::vector<PaintedElement> painted_;
  long ownChildren_;
  ULONG references_ = 1;
};

}  // namespace

long systemRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Window:
      return ROLE_SYSTEM_WINDOW;
    case AccessibleRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::CheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case AccessibleRole::Text:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::ComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case AccessibleRole::List:
      return ROLE_SYSTEM_LIST;
    case AccessibleRole::ProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::Slider:
      return ROLE_SYSTEM_SLIDER;
    case AccessibleRole::Grouping:
      return ROLE_SYSTEM_GROUPING;
    case AccessibleRole::Pane:
      return ROLE_SYSTEM_PANE;
    case AccessibleRole::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::Graphic:
    case AccessibleRole::Default:
      break;
  }
  return ROLE_SYSTEM_GRAPHIC;
}

OwnFacts ownFactsOf(const Control& control, HWND window) {
  const std::string& description =
      control.accessibleDescription().empty() ? control.toolTip() : control.accessibleDescription();
  OwnFacts facts{toWide(spokenName(control)), toWide(description),
                 systemRole(control.accessibleRole())};
  if (control.kind() == Kind::CheckBox || control.kind() == Kind::OptionButton) {
    const LRESULT check = SendMessageW(window, BM_GETCHECK, 0, 0);
    if (check == BST_CHECKED) facts.addedState = STATE_SYSTEM_CHECKED;
    if (check == BST_INDETERMINATE) facts.addedState = STATE_SYSTEM_MIXED;
  }
  return facts;
}

IAccessible* accessibleObject(HWND window, const OwnFacts& own,
                              const std::vector<PaintedElement>& painted) {
  if (own.name.empty() && own.description.empty() && own.role == 0 && own.addedState == 0 &&
      painted.empty()) {
    return nullptr;
  }
  return new ClientObject(window, standardObject(window), own, painted);
}

long paintedChildId(HWND window, std::size_t index) {
  IAccessible* standard = standardObject(window);
  const long ownChildren = childCountOf(standard);
  if (standard) standard->Release();
  return ownChildren + 1 + static_cast<long>(index);
}

LRESULT answerGetObject(WPARAM wParam, LPARAM lParam, const std::function<IAccessible*()>& make) {
  if (static_cast<long>(lParam) != OBJID_CLIENT) return 0;
  IAccessible* object = make();
  if (object == nullptr) return 0;
  const LRESULT answer = LresultFromObject(accessibleId, wParam, object);
  object->Release();  // the answer holds its own reference
  return SUCCEEDED(answer) ? answer : 0;
}

void notifyNameChange(HWND window, long childId) {
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, childId);
}

void notifyValueChange(HWND window, long childId) {
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, childId);
}

void notifyDescriptionChange(HWND window, long childId) {
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, childId);
}

void notifyStateChange(HWND window, long childId) {
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window, OBJID_CLIENT, childId);
}

namespace {

// UI Automation's notification, from Windows 10 1709 on; Wine 8 lacks it. Loaded at run time so
// that the program starts where it is missing. Declared here as the system declares it, with
// the provider as an opaque pointer.
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, void** provider);
using RaiseNotificationEvent = HRESULT(WINAPI*)(void* provider, int kind, int processing, BSTR text,
                                                BSTR activityId);

struct UiaNotifications {
  HostProviderFromHwnd hostProvider = nullptr;
  RaiseNotificationEvent raise = nullptr;
};

const UiaNotifications& uiaNotifications() {
  static const UiaNotifications loaded = [] {
    UiaNotifications functions;
    HMODULE core = LoadLibraryW(L"uiautomationcore.dll");
    if (core == nullptr) return functions;
    functions.hostProvider = reinterpret_cast<HostProviderFromHwnd>(
        reinterpret_cast<void*>(GetProcAddress(core, "UiaHostProviderFromHwnd")));
    functions.raise = reinterpret_cast<RaiseNotificationEvent>(
        reinterpret_cast<void*>(GetProcAddress(core, "UiaRaiseNotificationEvent")));
    return functions;
  }();
  return loaded;
}

// Narrator speaks a UI Automation notification as it comes, whatever has the focus. Without it
// (Wine 8, Windows before 10 1709) the alert event and the hidden element's new name remain:
// readers that follow MSAA's alerts (NVDA, JAWS) read the element, but Narrator may say
// nothing, and no reader is asked to put this announcement before what it is saying.
void raiseUiaNotification(HWND window, const std::wstring& text) {
  const UiaNotifications& uia = uiaNotifications();
  if (uia.hostProvider == nullptr || uia.raise == nullptr) return;
  void* provider = nullptr;
  if (FAILED(uia.hostProvider(window, &provider)) || provider == nullptr) return;
  constexpr int kindOther = 4;                      // NotificationKind_Other
  constexpr int processingImportantMostRecent = 1;  // NotificationProcessing_ImportantMostRecent
  BSTR spoken = SysAllocString(text.c_str());
  BSTR activity = SysAllocString(L"StopwatchAnnouncement");
  uia.raise(provider, kindOther, processingImportantMostRecent, spoken, activity);
  SysFreeString(activity);
  SysFreeString(spoken);
  static_cast<IUnknown*>(provider)->Release();
}

}  // namespace

void raiseAnnouncement(HWND window, long childId, const std::wstring& text) {
  notifyNameChange(window, childId);
  NotifyWinEvent(EVENT_SYSTEM_ALERT, window, OBJID_CLIENT, childId);
  raiseUiaNotification(window, text);
}

}  // namespace tk::win32
