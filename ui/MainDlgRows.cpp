// The main window's rows: a list too long for its line is shown cut after a whole entry, with "…",
// while the row lacks the focus. Whoever asks the row for its text (the window's data exchange, a
// screen reader, a test) gets the whole list; the focus brings it back for typing.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "model/DirectoryList.h"
#include "ui/MainDlg.h"
#include "win/WindowText.h"

namespace pathwright {

namespace {
constexpr UINT_PTR kRowSubclass = 2;

// The width the edit control has for its text, and a text's width in its font.
class RowMeasure {
 public:
  explicit RowMeasure(HWND edit) : m_edit(edit), m_dc(::GetDC(edit)) {
    m_old = ::SelectObject(m_dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(edit, WM_GETFONT, 0, 0)));
    RECT text = {};
    ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    m_room = text.right - text.left;
  }
  ~RowMeasure() {
    ::SelectObject(m_dc, m_old);
    ::ReleaseDC(m_edit, m_dc);
  }
  RowMeasure(const RowMeasure&) = delete;
  RowMeasure& operator=(const RowMeasure&) = delete;

  std::wstring Cut(const std::wstring& list) const {
    return CutAtEntry(list, [this](const std::wstring& text) {
      SIZE size = {};
      ::GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
      return size.cx <= m_room;
    });
  }

 private:
  HWND m_edit;
  HDC m_dc;
  HGDIOBJ m_old = nullptr;
  LONG m_room = 0;
};
}  // namespace

void CMainDlg::SubclassRows() {
  for (int k = 0; k < kKindCount; ++k) {
    ::SetWindowSubclass(GetDlgItem(IDC_MAIN_FIRST_EDIT + k), &CMainDlg::RowProc, kRowSubclass,
                        reinterpret_cast<DWORD_PTR>(&m_rows[k]));
  }
}

void CMainDlg::UnsubclassRows() {
  for (int k = 0; k < kKindCount; ++k) {
    ::RemoveWindowSubclass(GetDlgItem(IDC_MAIN_FIRST_EDIT + k), &CMainDlg::RowProc, kRowSubclass);
  }
}

void CMainDlg::FitRows() {
  for (int k = 0; k < kKindCount; ++k) {
    const HWND edit = GetDlgItem(IDC_MAIN_FIRST_EDIT + k);
    if (!edit || ::GetFocus() == edit) continue;
    // Set again only when the cut moves: every change of text judges the row's entries anew.
    const std::wstring full = GetWindowTextString(edit);
    if (RowMeasure(edit).Cut(full) == m_rows[k].shown) continue;
    m_rows[k].showing = true;
    ::SetWindowTextW(edit, full.c_str());
    m_rows[k].showing = false;
  }
}

LRESULT CALLBACK CMainDlg::RowProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  RowText& row = *reinterpret_cast<RowText*>(data);
  const auto show = [&](const std::wstring& text) {
    row.shown = text;
    row.showing = true;  // the change this makes is no change of the list
    const LRESULT set = ::DefSubclassProc(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    row.showing = false;
    return set;
  };
  switch (message) {
    case WM_SETTEXT: {
      row.full = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      const std::wstring shown = ::GetFocus() == edit ? row.full : RowMeasure(edit).Cut(row.full);
      row.cut = shown != row.full;
      row.shown = shown;
      return ::DefSubclassProc(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    case WM_GETTEXT:
      if (!row.cut) break;
      if (wParam == 0) return 0;
      {
        const size_t copied = std::min<size_t>(row.full.size(), wParam - 1);
        wchar_t* buffer = reinterpret_cast<wchar_t*>(lParam);
        row.full.copy(buffer, copied);
        buffer[copied] = L'\0';
        return static_cast<LRESULT>(copied);
      }
    case WM_GETTEXTLENGTH:
      if (row.cut) return static_cast<LRESULT>(row.full.size());
      break;
    case WM_SETFOCUS:
      if (row.cut) {
        row.cut = false;
        show(row.full);
      }
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
      // What was typed, cut to the line again.
      const std::wstring typed = GetWindowTextString(edit);
      const std::wstring shown = RowMeasure(edit).Cut(typed);
      if (shown != typed) {
        row.full = typed;
        row.cut = true;
        show(shown);
      } else {
        row.shown = typed;
      }
      return result;
    }
    default:
      break;
  }
  return ::DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace pathwright
