#pragma once

#include <string>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/services.h"

namespace tk {

class CommandButton;
class Menu;

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog };
enum class MousePointer { Default, ArrowHourglass };

// A top-level window. Its bounds are the client area; its children are the controls placed
// directly on it. Load runs the load event once per loading; show() loads first if needed.
// Nothing is counted before the window is on screen: the form's timers are held while its load
// event runs and start from the instant the window shows.
class Form : public Container {
 public:
  Form(Platform& platform, std::string name, std::string caption, Twips clientWidth,
       Twips clientHeight);
  ~Form() override;
  Kind kind() const override { return Kind::Form; }

  Platform& platform() { return platform_; }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  const std::string& picture() const { return picture_; }  // drawn unscaled at the top left
  void setPicture(std::string picture);

  // Window properties, fixed by the design before the form is first shown.
  BorderStyle borderStyle = BorderStyle::Sizable;
  bool showInTaskbar = true;
  MousePointer mousePointer = MousePointer::Default;
  bool manualPosition = false;  // when true, the client area's top left is at `screenPosition`
  Twips screenLeft = 0;
  Twips screenTop = 0;
  CommandButton* defaultButton = nullptr;  // pressed by Enter
  CommandButton* cancelButton = nullptr;   // pressed by Esc

  const std::vector<Menu*>& menus() const { return menus_; }

  // Tells a screen-reader user, once and without moving the focus, of something that happened
  // (an alarm). Every call is told to the backend, the same text again included.
  void announce(std::string text);
  const std::string& lastAnnouncement() const { return announcement_; }

  void show();
  void unload();
  bool isLoaded() const { return loaded_; }
  bool isShown() const { return shown_; }
  bool isLoading() const { return loading_; }
  Event onLoad;
  Event onUnload;  // before the window goes

  void setObserver(ControlObserver* observer) { observer_ = observer; }
  ControlObserver* observer() const { return observer_; }

  // Runs a handler. At the outermost level an error that escapes it is shown with the toolkit's
  // run-time error message and ends the process; nested handlers let it travel on to their raiser.
  void dispatch(const Event& handler);
  // Runs a handler the event loop delivers (a tick). It is outermost even when it runs inside a
  // modal dialog opened by another handler: its error must be shown here, since nothing may be
  // thrown through the dialog's own loop.
  void dispatchFromLoop(const Event& handler);

 private:
  friend class Menu;
  void addMenu(Menu& menu) { menus_.push_back(&menu); }
  void load();
  void rearmTimers();
  void endWithError(const RuntimeError& error);

  Platform& platform_;
  std::string caption_;
  std::string picture_;
  std::string announcement_;
  std::vector<Menu*> menus_;
  ControlObserver* observer_ = nullptr;
  bool loaded_ = false;
  bool loading_ = false;
  bool shown_ = false;
};

// The text shown for a run-time error that reaches the toolkit.
std::string runtimeErrorMessage(const RuntimeError& error);

}  // namespace tk
