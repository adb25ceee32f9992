#include "win/TextLine.h"

#include <commctrl.h>

#include "win/Handle.h"

namespace pathwright {

namespace {
constexpr UINT_PTR kSubclassId = 0x544C4E;  // any number unique to this subclass

int LineHeight(HWND edit) {
  WindowDc dc(edit);
  if (!dc) return 0;
  SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(edit, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics = {};
  return ::GetTextMetricsW(dc.Get(), &metrics) ? metrics.tmHeight : 0;
}

// An edit control draws its text one pixel below the top of its client area: the client area is
// narrowed to the line and that pixel above and below it, and the band left over goes to the frame.
void CentreClientArea(HWND edit, RECT& client) {
  const int line = LineHeight(edit);
  const int spare = (client.bottom - client.top) - (line + 2);
  if (line <= 0 || spare < 2) return;
  client.top += spare / 2;
  client.bottom -= spare - spare / 2;
}

// The band between the frame and the client area, in window coordinates, painted as the edit
// paints its own background.
void PaintBand(HWND edit) {
  RECT window = {};
  ::GetWindowRect(edit, &window);
  POINT origin = {0, 0};
  ::ClientToScreen(edit, &origin);
  RECT client = {};
  ::GetClientRect(edit, &client);
  ::OffsetRect(&client, origin.x - window.left, origin.y - window.top);
  const RECT inner = {client.left, 0, client.right, window.bottom - window.top};
  HDC dc = ::GetWindowDC(edit);
  if (!dc) return;
  // What the edit asks its parent for its own background: read-only and disabled lines look like statics.
  const bool editable = ::IsWindowEnabled(edit) && !(::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
  const UINT message = editable ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
  auto brush = reinterpret_cast<HBRUSH>(
      ::SendMessageW(::GetParent(edit), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
  if (!brush) brush = ::GetSysColorBrush(editable ? COLOR_WINDOW : COLOR_3DFACE);
  const int edge = client.left;  // the frame is as wide at the top as at the side
  const RECT above = {inner.left, edge, inner.right, client.top};
  const RECT below = {inner.left, client.bottom, inner.right, inner.bottom - edge};
  if (above.bottom > above.top) ::FillRect(dc, &above, brush);
  if (below.bottom > below.top) ::FillRect(dc, &below, brush);
  ::ReleaseDC(edit, dc);
}

void ScrollToEnd(HWND edit) {
  if (::GetFocus() == edit) return;  // the user's caret stays where it is
  const LRESULT length = ::GetWindowTextLengthW(edit);
  // From the start first: a box that grew shows as much of the beginning as it can.
  ::SendMessageW(edit, EM_SETSEL, 0, 0);
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void Reframe(HWND edit) {
  ::SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CALLBACK TextLineProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  const bool centred = data & 1, endInView = data & 2;
  switch (message) {
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(edit, &TextLineProc, kSubclassId);
      break;
    case WM_NCCALCSIZE: {
      const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
      if (centred) {
        CentreClientArea(edit, wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                      : *reinterpret_cast<RECT*>(lParam));
      }
      return result;
    }
    case WM_NCPAINT: {
      const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
      if (centred) PaintBand(edit);
      return result;
    }
    case WM_NCHITTEST: {
      // A click on the band above or below the text is a click on the line.
      const LRESULT hit = ::DefSubclassProc(edit, message, wParam, lParam);
      if (!centred || hit == HTCLIENT) return hit;
      RECT window = {};
      ::GetWindowRect(edit, &window);
      const int edge = ::GetSystemMetrics(SM_CXEDGE);
      ::InflateRect(&window, -edge, -edge);
      const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      return ::PtInRect(&window, point) ? HTCLIENT : hit;
    }
    case WM_SETFONT: {
      const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
      if (centred) Reframe(edit);  // a new font has another line height
      if (endInView) ScrollToEnd(edit);
      return result;
    }
    case WM_ENABLE:
    case EM_SETREADONLY: {
      const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
      if (centred) ::RedrawWindow(edit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return result;
    }
    case WM_SETTEXT:
    case WM_SIZE:
    case WM_KILLFOCUS: {
      const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
      if (endInView) ScrollToEnd(edit);
      return result;
    }
    default:
      break;
  }
  return ::DefSubclassProc(edit, message, wParam, lParam);
}
}  // namespace

bool ShapeTextLine(HWND edit, TextLineOptions options) {
  if (!::IsWindow(edit)) return false;
  const DWORD_PTR flags = (options.centred ? 1 : 0) | (options.endInView ? 2 : 0);
  if (!::SetWindowSubclass(edit, &TextLineProc, kSubclassId, flags)) return false;
  Reframe(edit);
  if (options.endInView) ScrollToEnd(edit);
  return true;
}

}  // namespace pathwright
