// The main window: holds the directory settings record of the open sheet, shows its path, platform
// and seven lists, and routes every command. The language side lives in MainDlgLanguage.cpp, the
// list editor and About box openings in MainDlgEditors.cpp.
#pragma once

#include <string>

#include "model/DirectorySettings.h"
#include "res/resource.h"
#include "ui/Platform.h"
#include "win/AppModule.h"
#include "win/DataExchange.h"
#include "win/Dpi.h"
#include "win/Dialog.h"
#include "win/Handle.h"
#include "win/LanguageManager.h"

namespace pathwright {

class CMainDlg : public CDialogImpl<CMainDlg>,
                 public CWinDataExchange<CMainDlg>,
                 public CMessageFilter,
                 private DirectorySettings {
 public:
  static constexpr UINT IDD = IDD_MAIN;

  // The platform services answer every question the window and its dialogs put to the system.
  explicit CMainDlg(PlatformServices& platform) : m_platform(platform) {}
  ~CMainDlg() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            DWORD mapId = 0) override;
  bool PreTranslateMessage(MSG* message) override;

 private:
  PlatformServices& Platform() const { return m_platform; }

  // Path box, seven edit lines and the option check box, in that order; the first failed transfer
  // beeps, focuses its control and ends the exchange.
  bool DoDataExchange(bool save = kFillControls, UINT id = kAllControls);
  // The seven edit lines and the seven list buttons follow m_loaded.
  void EnableDirectoryControls();

  // Sheet location, selection and creation.
  void OpenDefaultSheet();
  void OnSelectSheet();
  // Offers the version chooser for the sheet at m_path that was read but is no sheet; true when a new
  // sheet was written in its place. Otherwise the record stays unloaded.
  bool RecreateSheet();
  void ShowPlatform(const std::wstring& fileName);

  // Language side: start-up steps, the language combobox and the option check box.
  void InitLanguage();
  void OnLanguageChange();
  // The seven list buttons share one caption; screen readers announce each with the row it edits.
  void NameListButtons();
  void OnOptionChanged();
  std::wstring ReadSettings();
  // Writes the language and the option; a file that cannot be written is reported: the choice then
  // lasts for this run only.
  void WriteSettings(const std::wstring& language);
  void ReportLanguageFailure(const std::wstring& language, const Result& result);

  // Secondary dialogs.
  void OnAbout();
  void OnEditDirectories(int id);

  LRESULT OnInitDialog();
  void OnDestroy();
  void OnOK();
  void OnCancel();
  void Close(int exitCode);
  // The bold font of the heading and the platform field, for the window's DPI.
  void MakeBoldFont(UINT dpi);
  void OnDpiApplied(UINT dpi) override { MakeBoldFont(dpi); }
  void LoadIcons();
  // After the missing-sheet message: the version chooser, then the folders and the sheet at `path`.
  // True when the sheet was written (the Open state); otherwise the None state.
  bool CreateMissingSheet(const std::wstring& path);
  // Writes the open sheet unless a list holds a character XML cannot carry; false (after telling the
  // user) when nothing was written.
  bool SaveOpenSheet();
  // A sheet that could not be written: the user is told which and why, nothing closes.
  void ReportSaveFailure(const Result& result);
  void ReportUnreadable(const Result& loaded);
  void ReportForbiddenCharacter(const ListCharacter& found);

  PlatformServices& m_platform;
  UniqueFont m_font;          // bold copy of the default GUI font: heading and platform field
  HWND m_combo = nullptr;     // language combobox 1001
  std::wstring m_language;    // display name of the language in use
  std::wstring m_startDir;    // current directory when the window opened, or the program's folder
                              // when the current directory has no lang folder
  std::wstring m_lastFolder;  // last folder browsed in the list editor
  // Whether the list editor writes a picked folder with the environment variable it lies under:
  // check box 40001, kept in the settings file. 1 on, 0 off.
  int m_environmentSubstitution = 1;
  // The window's own numbered captions, translated again on every change of language.
  NumberedCaptions m_captions;
  UniqueIcon m_bigIcon;
  UniqueIcon m_smallIcon;
  LOGFONTW m_baseFont = {};  // the dialog's font as made at m_baseDpi, which the bold font follows
  UINT m_baseDpi = 0;
};

}  // namespace pathwright
