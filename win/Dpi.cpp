#include "win/Dpi.h"

#include "win/Handle.h"

namespace pathwright {

UINT WindowDpi(HWND window) {
  // Looked up at run time: older Windows has no per-monitor DPI, and the program runs there too.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return dpi;
  }
  WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT PictureFor(UINT dpi, UINT at100, UINT at150, UINT at200) {
  if (dpi * 4 <= kDefaultDpi * 5) return at100;  // up to 125 percent
  if (dpi * 4 <= kDefaultDpi * 7) return at150;  // up to 175 percent
  return at200;
}

}  // namespace pathwright
