#include "toolkit/form.h"

#include <new>
#include <utility>

#include "toolkit/timer.h"

namespace tk {

namespace {
// Handlers of every form run on the one user-interface thread, one at a time; this counts how
// deeply the running ones are nested.
int handlerDepth = 0;
}  // namespace

Form::Form(Platform& platform, std::string name, std::string caption, Twips clientWidth,
           Twips clientHeight)
    : Container(nullptr, std::move(name), {0, 0, clientWidth, clientHeight}),
      platform_(platform),
      caption_(std::move(caption)) {}

Form::~Form() {
  if (shown_) platform_.windows.unload(*this);
}

void Form::setCaption(std::string caption) {
  storeAndNotify(caption_, std::move(caption), Property::Caption);
}

void Form::setPicture(std::string picture) {
  storeAndNotify(picture_, std::move(picture), Property::Picture);
}

void Form::announce(std::string text) {
  announcement_ = std::move(text);
  notifyBackend(Property::Announcement);
}

void Form::show() {
  const bool loading = !loaded_;
  if (loading) load();
  shown_ = true;
  platform_.windows.show(*this);
  // However long the load event took (a message box it opened included), the timers count from
  // now, when the window is on screen.
  if (loading) rearmTimers();
}

void Form::load() {
  loaded_ = true;
  loading_ = true;
  struct EndLoading {
    bool& loading;
    ~EndLoading() { loading = false; }
  } endLoading{loading_};
  rearmTimers();  // held until the window shows
  dispatch(onLoad);
}

void Form::unload() {
  if (!loaded_) return;
  dispatch(onUnload);
  loaded_ = false;
  shown_ = false;
  platform_.windows.unload(*this);
}

void Form::rearmTimers() {
  forEachDescendantOfType<Timer>([](Timer& timer) { timer.rearm(); });
}

void Form::dispatch(const Event& handler) {
  if (!handler) return;
  struct Depth {
    Depth() { ++handlerDepth; }
    ~Depth() { --handlerDepth; }
  };
  const bool outermost = handlerDepth == 0;
  try {
    Depth depth;
    handler();
  } catch (const RuntimeError& error) {
    if (!outermost) throw;
    endWithError(error);
  } catch (const std::bad_alloc&) {
    if (!outermost) throw;
    endWithError(RuntimeError::outOfMemory());
  } catch (...) {
    // Whatever else escapes a handler is still the program's error: shown, never an abort.
    if (!outermost) throw;
    endWithError(RuntimeError::internalError());
  }
}

void Form::dispatchFromLoop(const Event& handler) {
  // Handlers waiting on a modal dialog's loop did not raise this one and cannot catch for it.
  struct Outermost {
    int waiting = std::exchange(handlerDepth, 0);
    ~Outermost() { handlerDepth = waiting; }
  } outermost;
  dispatch(handler);
}

void Form::endWithError(const RuntimeError& error) {
  platform_.messages.show(runtimeErrorMessage(error));
  platform_.processes.endProcess(1);
}

std::string runtimeErrorMessage(const RuntimeError& error) {
  return "Run-time error '" + std::to_string(error.number()) + "':\n\n" + error.what();
}

}  // namespace tk
