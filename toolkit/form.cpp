#include "toolkit/form.h"

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
  update(caption_, std::move(caption), Property::Caption);
}

void Form::show() {
  if (!loaded_) {
    loaded_ = true;
    dispatch(onLoad);
  }
  shown_ = true;
  platform_.windows.show(*this);
}

void Form::unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  platform_.windows.unload(*this);
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
    platform_.messages.show(runtimeErrorMessage(error));
    platform_.processes.endProcess(1);
  }
}

std::string runtimeErrorMessage(const RuntimeError& error) {
  return "Run-time error '" + std::to_string(error.number()) + "':\n\n" + error.what();
}

}  // namespace tk
