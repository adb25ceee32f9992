// Dots per inch: the monitor's, as a per-monitor aware window sees it, and the nearest of the pictures
// drawn at 100, 150 and 200 percent.
#pragma once

#include <windows.h>

namespace pathwright {

inline constexpr UINT kDefaultDpi = 96;

// Posted by a dialog to itself on WM_DPICHANGED (wParam: the new DPI), so that its own fonts and
// pictures are replaced after the dialog manager has scaled the dialog and set its new font.
inline constexpr UINT kDpiApplied = WM_APP + 0x50;

// The DPI of the monitor the window is on (Windows 10 1607 and later), else the system's.
UINT WindowDpi(HWND window);

// Of the ids of one picture at 100, 150 and 200 percent, the one nearest to the DPI; on a tie the
// smaller, so a picture never outgrows its place.
UINT PictureFor(UINT dpi, UINT at100, UINT at150, UINT at200);

}  // namespace pathwright
