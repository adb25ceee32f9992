// Single-line edit controls beside buttons of the same height: the text line stands in the middle
// of the box, where the button beside it has its caption, and a path field can keep its end (the
// file name) in view.
#pragma once

#include <windows.h>

namespace pathwright {

struct TextLineOptions {
  bool centred = true;     // the text line in the middle of the box, not at its top
  bool endInView = false;  // after every new text and size, scrolled so that the text's end shows
};

// Takes the edit over until it is destroyed; false when it is no window.
bool ShapeTextLine(HWND edit, TextLineOptions options);

}  // namespace pathwright
