#include "win/Centre.h"

namespace pathwright {

namespace {
// Where CentreWindow puts a window of the given size.
POINT CentredPosition(SIZE window, const RECT& target, const RECT& workArea) {
  LONG x = (target.left + target.right) / 2 - window.cx / 2;
  LONG y = (target.top + target.bottom) / 2 - window.cy / 2;
  if (x + window.cx > workArea.right) x = workArea.right - window.cx;
  if (y + window.cy > workArea.bottom) y = workArea.bottom - window.cy;
  if (x < workArea.left) x = workArea.left;
  if (y < workArea.top) y = workArea.top;
  return {x, y};
}
}  // namespace

bool CentreWindow(HWND window, HWND over) {
  RECT own = {};
  if (!::GetWindowRect(window, &own)) return false;

  const bool useOwnerRect = over && ::IsWindowVisible(over) && !::IsIconic(over);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(over ? over : window, MONITOR_DEFAULTTONEAREST), &monitor)) return false;

  RECT target = monitor.rcWork;
  if (useOwnerRect && !::GetWindowRect(over, &target)) return false;

  const POINT at = CentredPosition({own.right - own.left, own.bottom - own.top}, target, monitor.rcWork);
  return ::SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

}  // namespace pathwright
