// Fonts the dialogs make for themselves, following the DPI of the monitor the dialog is on.
#pragma once

#include <windows.h>

#include "win/Handle.h"

namespace pathwright {

// The font a window uses (its WM_GETFONT), described; the default GUI font's when it has none.
LOGFONTW FontOf(HWND window);

// A bold copy of the described font, its height scaled from `fromDpi` to `toDpi`; empty when it
// cannot be made.
UniqueFont CreateBoldFont(const LOGFONTW& description, UINT fromDpi, UINT toDpi);

}  // namespace pathwright
