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

void MakeRoomBelow(HWND dialog, LONG fromTop, int by, HWND except) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT place = {};
    ::GetWindowRect(child, &place);
    if (child == except || place.top < fromTop) continue;
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    ::SetWindowPos(child, nullptr, place.left, place.top + by, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT window = {};
  ::GetWindowRect(dialog, &window);
  ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + by,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pathwright
