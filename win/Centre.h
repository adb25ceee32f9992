// Placing a window in the middle of its owner or of its monitor's work area.
#pragma once

#include <windows.h>

namespace pathwright {

// Centres the window over `over` (its window rectangle), or over the work area of the monitor of
// `over` when that window is hidden or minimised, or over the work area of the monitor nearest to
// the window itself when `over` is null. The result is then pushed inside that monitor's work area,
// right and bottom edges first, so the top-left corner stays visible. Size, z-order and activation
// are left alone.
bool CentreWindow(HWND window, HWND over);

}  // namespace pathwright
