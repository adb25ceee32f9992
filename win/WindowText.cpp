#include "win/WindowText.h"

namespace pathwright {

std::wstring GetWindowTextString(HWND window, bool* complete) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  const int got = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size() + 1));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  if (complete) *complete = got >= length;
  return text;
}

}  // namespace pathwright
