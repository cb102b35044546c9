#pragma once
// Everything a form is written with.

#include "toolkit/buttons.h"
#include "toolkit/common_controls.h"
#include "toolkit/event_loop.h"
#include "toolkit/form.h"
#include "toolkit/frame.h"
#include "toolkit/graphics.h"
#include "toolkit/lists.h"
#include "toolkit/menu.h"
#include "toolkit/numbers.h"
#include "toolkit/services.h"
#include "toolkit/text.h"
#include "toolkit/timer.h"
