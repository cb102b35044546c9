#include "toolkit/win32/accessibility.h"

#include <utility>

namespace tk::win32 {

namespace {

BSTR toBstr(const std::wstring& text) { return SysAllocString(text.c_str()); }

// The system's client object with a name and description of our own, and the painted elements
// as simple children (ids after the system's own children). Where the system has no object for
// the window, this one answers its name, description, role and place alone.
class ClientObject : public IAccessible {
 public:
  ClientObject(HWND window, IAccessible* standard, std::wstring name, std::wstring description,
               std::vector<PaintedElement> painted)
      : window_(window),
        standard_(standard),
        name_(std::move(name)),
        description_(std::move(description)),
        painted_(std::move(painted)) {
    long count = 0;
    if (standard_) standard_->get_accChildCount(&count);
    ownChildren_ = count;
  }
  virtual ~ClientObject() {
    if (standard_) standard_->Release();
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id == IID_IUnknown || id == IID_IDispatch || id == IID_IAccessible) {
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
    if (isSelf(child) && !name_.empty()) return text(name_, name);
    return standard_ ? standard_->get_accName(child, name) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (const PaintedElement* element = paintedOf(child)) return text(element->value, value);
    return standard_ ? standard_->get_accValue(child, value) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (paintedOf(child)) return text({}, description);
    if (isSelf(child) && !description_.empty()) return text(description_, description);
    return standard_ ? standard_->get_accDescription(child, description) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (const PaintedElement* element = paintedOf(child)) {
      role->vt = VT_I4;
      role->lVal = element->role;
      return S_OK;
    }
    if (!standard_ && isSelf(child)) {
      role->vt = VT_I4;
      role->lVal = ROLE_SYSTEM_CLIENT;
      return S_OK;
    }
    return standard_ ? standard_->get_accRole(child, role) : noAnswer();
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (paintedOf(child)) {
      state->vt = VT_I4;
      state->lVal = STATE_SYSTEM_READONLY;
      return S_OK;
    }
    return standard_ ? standard_->get_accState(child, state) : noAnswer();
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
  std::wstring name_;
  std::wstring description_;
  std::vector<PaintedElement> painted_;
  long ownChildren_ = 0;
  ULONG references_ = 1;
};

}  // namespace

IAccessible* accessibleObject(HWND window, const std::wstring& name,
                              const std::wstring& description,
                              const std::vector<PaintedElement>& painted) {
  if (name.empty() && description.empty() && painted.empty()) return nullptr;
  // Wine has none for some control classes (a slider): the name then stands alone.
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                       reinterpret_cast<void**>(&standard)))) {
    standard = nullptr;
  }
  return new ClientObject(window, standard, name, description, painted);
}

LRESULT answerGetObject(WPARAM wParam, LPARAM lParam, const std::function<IAccessible*()>& make) {
  if (static_cast<long>(lParam) != OBJID_CLIENT) return 0;
  IAccessible* object = make();
  if (object == nullptr) return 0;
  const LRESULT answer = LresultFromObject(IID_IAccessible, wParam, object);
  object->Release();  // the answer holds its own reference
  return SUCCEEDED(answer) ? answer : 0;
}

}  // namespace tk::win32
