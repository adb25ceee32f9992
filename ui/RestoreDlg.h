// The version chooser: asks for which Visual Studio a sheet that is unreadable or missing is written anew.
#pragma once

#include <cstdint>
#include <string>

#include "lang/TextNumbers.h"
#include "res/resource.h"
#include "win/Dialog.h"

namespace pathwright {

class CRestoreDlg : public CDialogImpl<CRestoreDlg> {
 public:
  static constexpr UINT IDD = IDD_RESTORE;

  int m_version = 0;                         // 0, 1, 2: Visual Studio 2010, 2012, 2013; handed in and taken back
  std::wstring m_prompt;  // the prompt above the combobox, handed in; empty: the template's own

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD mapId = 0) override;

 private:
  LRESULT OnInitDialog();
  LRESULT OnCloseCmd(WORD id);
  // The prompt gets the height its text needs; what stands below it and the box follow.
  void FitPrompt();
  void WidenForLines(HWND prompt, HDC dc, const std::wstring& text);

  HWND m_versionCombo = nullptr;  // combobox 1001
};

}  // namespace pathwright
