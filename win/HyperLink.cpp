#include "win/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>

#include "win/WindowText.h"

namespace pathwright {

namespace {
constexpr UINT_PTR kSubclassId = 0x4C4E4B;  // any number unique to this subclass
constexpr UINT_PTR kToolId = 1;

INT_PTR OpenWithShell(const std::wstring& target) {
  return reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

LinkOpener g_opener = &OpenWithShell;
}  // namespace

LinkOpenerOverride::LinkOpenerOverride(LinkOpener opener) : m_previous(g_opener) { g_opener = opener; }

LinkOpenerOverride::~LinkOpenerOverride() { g_opener = m_previous; }

CHyperLink::~CHyperLink() { UnsubclassWindow(); }

void CHyperLink::SetLabel(const std::wstring& label) {
  m_label = label;
  if (!m_hWnd) return;
  MeasureInk();
  ::SetWindowTextW(m_hWnd, m_label.c_str());
  UpdateToolTip();
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CHyperLink::SetHyperLink(const std::wstring& target) {
  m_target = target;
  if (m_hWnd) UpdateToolTip();
}

bool CHyperLink::SubclassWindow(HWND window) {
  if (m_hWnd || !::IsWindow(window)) return false;
  if (!::SetWindowSubclass(window, &CHyperLink::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  m_hWnd = window;
  if (!m_normalFont) m_normalFont = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  MakeLinkFont();
  if (m_label.empty()) m_label = GetWindowTextString(window);
  if (m_target.empty()) m_target = m_label;
  MeasureInk();
  // Screen readers and tests read the static's own text: it says what the link shows.
  ::SetWindowTextW(window, m_label.c_str());

  // A plain static lets mouse messages fall through to its parent; the link must see them.
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  m_addedStyle = (style & SS_NOTIFY) ? 0 : SS_NOTIFY;
  if (m_addedStyle) ::SetWindowLongW(window, GWL_STYLE, style | m_addedStyle);

  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&classes);
  m_toolTip.Reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                    nullptr, nullptr));
  if (m_toolTip) {
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = kToolId;
    tool.rect = LabelRect();
    tool.lpszText = const_cast<wchar_t*>(m_target.c_str());
    ::SendMessageW(m_toolTip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  ::InvalidateRect(window, nullptr, TRUE);
  return true;
}

void CHyperLink::UnsubclassWindow() {
  if (!m_hWnd) return;
  HWND window = m_hWnd;
  m_hWnd = nullptr;
  m_pressed = false;
  if (::GetCapture() == window) ::ReleaseCapture();
  m_toolTip.Reset();
  ::RemoveWindowSubclass(window, &CHyperLink::SubclassProc, kSubclassId);
  if (m_addedStyle && ::IsWindow(window)) {
    ::SetWindowLongW(window, GWL_STYLE, ::GetWindowLongW(window, GWL_STYLE) & ~m_addedStyle);
  }
  m_addedStyle = 0;
  if (::IsWindow(window)) ::InvalidateRect(window, nullptr, TRUE);
}

RECT CHyperLink::LabelRect() const {
  RECT client = {};
  if (!m_hWnd) return client;
  ::GetClientRect(m_hWnd, &client);
  SIZE size = {};
  {
    WindowDc dc(m_hWnd);
    SelectedObject font(dc.Get(), m_linkFont ? m_linkFont.Get() : m_normalFont);
    if (dc) ::GetTextExtentPoint32W(dc.Get(), m_label.c_str(), static_cast<int>(m_label.size()), &size);
  }
  if (m_inkWidth > 0 && m_inkWidth < size.cx) size.cx = m_inkWidth;
  const LONG width = client.right - client.left;
  const LONG shown = size.cx < width ? size.cx : width;
  LONG left = 0;
  switch (::GetWindowLongW(m_hWnd, GWL_STYLE) & SS_TYPEMASK) {
    case SS_CENTER:
      left = (width - shown) / 2;
      break;
    case SS_RIGHT:
      left = width - shown;
      break;
    default:
      break;
  }
  const LONG height = size.cy < client.bottom ? size.cy : client.bottom;
  return RECT{left, 0, left + shown, height};
}

bool CHyperLink::Navigate() {
  if (g_opener(m_target) <= 32) return false;
  m_visited = true;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
  return true;
}

void CHyperLink::MakeLinkFont() {
  LOGFONTW description = {};
  HGDIOBJ source = m_normalFont ? static_cast<HGDIOBJ>(m_normalFont) : ::GetStockObject(DEFAULT_GUI_FONT);
  if (!::GetObjectW(source, sizeof(description), &description)) return;
  description.lfUnderline = TRUE;
  m_linkFont.Reset(::CreateFontIndirectW(&description));
  MeasureInk();
}

void CHyperLink::MeasureInk() {
  // Some renderers set the glyphs closer than the font's widths add up to, and the underline follows
  // the widths: the label is drawn once without it, and the last column it inks is where the link ends.
  m_inkWidth = 0;
  if (!m_hWnd || m_label.empty()) return;
  HGDIOBJ font = m_normalFont ? static_cast<HGDIOBJ>(m_normalFont) : ::GetStockObject(DEFAULT_GUI_FONT);
  WindowDc screen(m_hWnd);
  if (!screen) return;
  SIZE size = {};
  {
    SelectedObject selected(screen.Get(), font);
    ::GetTextExtentPoint32W(screen.Get(), m_label.c_str(), static_cast<int>(m_label.size()), &size);
  }
  const int width = size.cx + size.cy;  // room for a last glyph that reaches past its width
  HDC memory = ::CreateCompatibleDC(screen.Get());
  UniqueBitmap picture(::CreateCompatibleBitmap(screen.Get(), width, size.cy));
  if (memory && picture && size.cy > 0) {
    SelectedObject canvas(memory, picture.Get());
    SelectedObject selected(memory, font);
    RECT all = {0, 0, width, size.cy};
    ::FillRect(memory, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(memory, RGB(0, 0, 0));
    ::SetBkMode(memory, TRANSPARENT);
    ::DrawTextW(memory, m_label.c_str(), static_cast<int>(m_label.size()), &all,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    for (int x = width - 1; x >= 0 && m_inkWidth == 0; --x) {
      for (int y = 0; y < size.cy; ++y) {
        if (::GetPixel(memory, x, y) != RGB(255, 255, 255)) {
          m_inkWidth = x + 1;
          break;
        }
      }
    }
  }
  if (memory) ::DeleteDC(memory);
}

void CHyperLink::UpdateToolTip() {
  if (!m_toolTip) return;
  TOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = m_hWnd;
  tool.uId = kToolId;
  tool.rect = LabelRect();
  ::SendMessageW(m_toolTip.Get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  tool.lpszText = const_cast<wchar_t*>(m_target.c_str());
  ::SendMessageW(m_toolTip.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool CHyperLink::IsOverLabel(POINT clientPoint) const {
  const RECT label = LabelRect();
  return ::PtInRect(&label, clientPoint) != FALSE;
}

void CHyperLink::Paint(HDC dc) {
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  // The parent's static background shows through, so the link sits on whatever the dialog paints.
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(m_hWnd), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
  ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));

  SelectedObject font(dc, m_linkFont ? m_linkFont.Get() : m_normalFont);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, m_visited ? kVisitedColour : kLinkColour);
  // Clipped at the label's end, so the underline stops where the glyphs stop: the clipping rectangle
  // of the text call alone leaves the underline out on some systems.
  RECT label = LabelRect();
  const int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, label.left, label.top, label.right, label.bottom);
  ::DrawTextW(dc, m_label.c_str(), static_cast<int>(m_label.size()), &label,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  if (saved) ::RestoreDC(dc, saved);
  if (::GetFocus() == m_hWnd) ::DrawFocusRect(dc, &label);
}

LRESULT CALLBACK CHyperLink::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<CHyperLink*>(data);
  if (message == WM_NCDESTROY) {
    self->UnsubclassWindow();
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
  bool handled = false;
  const LRESULT result = self->HandleMessage(message, wParam, lParam, handled);
  return handled ? result : ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CHyperLink::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint = {};
      HDC dc = ::BeginPaint(m_hWnd, &paint);
      if (dc) Paint(dc);
      ::EndPaint(m_hWnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the whole client area
    case WM_SETCURSOR: {
      POINT point = {};
      ::GetCursorPos(&point);
      ::ScreenToClient(m_hWnd, &point);
      if (IsOverLabel(point)) {
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (!IsOverLabel(point)) break;
      ::SetFocus(m_hWnd);
      ::SetCapture(m_hWnd);
      m_pressed = true;
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!m_pressed) break;
      m_pressed = false;
      if (::GetCapture() == m_hWnd) ::ReleaseCapture();
      const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (IsOverLabel(point)) Navigate();
      return 0;
    }
    case WM_CAPTURECHANGED:
      m_pressed = false;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
      break;
    case WM_SIZE:
      UpdateToolTip();
      break;
    case WM_SETFONT:
      // A new DPI brings the static a new font; the link's underlined copy follows it.
      m_normalFont = reinterpret_cast<HFONT>(wParam);
      MakeLinkFont();
      UpdateToolTip();
      break;
    case WM_GETDLGCODE: {
      // Characters come to the link; Enter too, which the dialog would otherwise turn into its
      // default button.
      LRESULT code = DLGC_WANTCHARS;
      const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
      if (keyMessage && keyMessage->message == WM_KEYDOWN && keyMessage->wParam == VK_RETURN) {
        code |= DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_CHAR:
      if (wParam == VK_RETURN || wParam == VK_SPACE) {
        Navigate();
        return 0;
      }
      break;
    default:
      break;
  }
  handled = false;
  return 0;
}

}  // namespace pathwright
