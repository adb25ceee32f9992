// Placing a window in the middle of its owner or of its monitor's work area, and making room in a
// dialog for a text that needs more lines than its template gave it.
#pragma once

#include <windows.h>

namespace pathwright {

// Centres the window over `over` (its window rectangle), or over the work area of the monitor of
// `over` when that window is hidden or minimised, or over the work area of the monitor nearest to
// the window itself when `over` is null. The result is then pushed inside that monitor's work area,
// right and bottom edges first, so the top-left corner stays visible. Size, z-order and activation
// are left alone.
bool CentreWindow(HWND window, HWND over);

// Moves every child of the dialog whose top is at or below `fromTop` (screen coordinates), `except`
// left out, down by `by` pixels (up when negative), and makes the dialog as much taller.
void MakeRoomBelow(HWND dialog, LONG fromTop, int by, HWND except);

}  // namespace pathwright
