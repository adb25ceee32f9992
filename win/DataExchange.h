// Moving values between a dialog's controls and its members. The dialog writes DoDataExchange as a
// list of transfers; the first one that fails beeps, puts the focus on its control and ends the list.
#pragma once

#include <windows.h>

#include <string>

#include "win/WindowText.h"

namespace pathwright {

inline constexpr bool kFillControls = false;  // members -> controls
inline constexpr bool kSaveControls = true;   // controls -> members
inline constexpr UINT kAllControls = static_cast<UINT>(-1);

template <class T>
class CWinDataExchange {
 public:
  // Text of an edit or static. Filling a string fails when the control gave back fewer characters
  // than it announced (or does not exist); filling a control fails when it refuses the text.
  bool TransferText(bool save, int id, std::wstring& value) {
    HWND control = ::GetDlgItem(Window(), id);
    if (!control) return false;
    if (!save) return ::SetWindowTextW(control, value.c_str()) != FALSE;

    bool complete = false;
    std::wstring text = GetWindowTextString(control, &complete);
    if (!complete) return false;
    value = std::move(text);
    return true;
  }

  // Check state of a check box: 0 clear, 1 checked, 2 indeterminate. A value outside that range is
  // replaced by 0 before it is shown, and the member keeps the 0.
  bool TransferCheck(bool save, int id, int& value) {
    HWND control = ::GetDlgItem(Window(), id);
    if (!control) return false;
    if (save) {
      value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
      return true;
    }
    if (value < 0 || value > 2) value = 0;
    ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    return true;
  }

  void OnDataExchangeError(int id) {
    ::MessageBeep(static_cast<UINT>(-1));
    ::SetFocus(::GetDlgItem(Window(), id));
  }

 private:
  HWND Window() const { return static_cast<const T*>(this)->m_hWnd; }
};

}  // namespace pathwright
