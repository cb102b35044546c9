#include "toolkit/frame.h"

namespace tk {

Frame::Frame(Container& parent, std::string name, std::string caption, Rect bounds, int tabIndex)
    : Container(&parent, std::move(name), bounds, tabIndex), caption_(std::move(caption)) {}

}  // namespace tk
