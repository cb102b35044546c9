#pragma once
// The common controls (comctl32); their header needs the Windows one first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
