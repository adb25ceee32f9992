// Reading a window's text whole: the one place that sizes a buffer for GetWindowTextW.
#pragma once

#include <windows.h>

#include <string>

namespace pathwright {

// The window's whole text; empty for no window. `complete`, when given, tells whether the window
// gave back as many characters as it announced (a control may refuse the read or shorten it).
std::wstring GetWindowTextString(HWND window, bool* complete = nullptr);

}  // namespace pathwright
