// The main window: holds the directory settings record of the open sheet, shows its path, platform
// and seven lists, and routes every command. The language side lives in MainDlgLanguage.cpp, the
// list editor and About box openings in MainDlgEditors.cpp.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "model/DirectorySettings.h"
#include "res/resource.h"
#include "ui/ListInForce.h"
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
  // `reason` says why the file is no sheet, in the user's language.
  bool RecreateSheet(const std::wstring& reason);
  // The platform field names the platform of the sheet file `fileName` (nothing for a name that is
  // no user sheet's) and lists the platforms on offer in the sheet's folder.
  void ShowPlatform(const std::wstring& fileName);
  void FillPlatforms();
  // The focus moves from the platform field to Choose... while the field shows no platform.
  void LeaveEmptyPlatformField();
  // The folder the platforms' sheets are looked for in: the open sheet's, else the user's.
  std::wstring PlatformFolder() const;
  // Saves the open sheet and opens the chosen platform's sheet, offering to create a missing one.
  void OnPlatformChange();
  // Opens the sheet at `path` chosen by the user, as Choose... does after its file dialog.
  void OpenChosenSheet(const std::wstring& path, const std::wstring& fileName);
  // Asks whether the missing sheet at `path` is to be created now.
  bool AskToCreate(const std::wstring& path);
  // The heading, or in its place what the user can do while no sheet is open.
  void ShowState();

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
  void RememberPlatform();
  void ReportLanguageFailure(const std::wstring& language, const Result& result);

  // Secondary dialogs.
  void OnAbout();
  void OnEditDirectories(int id);

  // Geometry (MainDlgLayout.cpp): the places of the controls at the template's width, laid out again
  // for every width and DPI; the problem icons of the rows.
  void RecordLayout();
  void ApplyLayout();
  void AlignLabels();
  // The path and the rows hold their text in the middle of the box, where the buttons beside them
  // have their captions; the path shows its end, the file name. The heading stands in the middle of
  // its band, on one line or on several.
  void ShapeTextLines();
  void MatchComboHeights();
  // The combo boxes draw their entries themselves, so that the chosen one stands in the middle of
  // the box, on the line of the label and the buttons beside it; false for items of other controls.
  static bool DrawComboItem(const DRAWITEMSTRUCT& item);
  void LimitSize(MINMAXINFO& limits) const;
  int WidthAtDefaultDpi() const;
  void ApplyRememberedWidth(int width);
  void CreateMarks();
  void LoadMarkIcon(UINT dpi);
  // Each entry of the list with a fault on a line of its own, "entry: what is wrong"; empty when all
  // are sound as far as can be told without waiting (network shares are not asked).
  static std::wstring ListProblems(const std::wstring& list);
  void UpdateMark(int kind);
  void UpdateMarks();
  // Rows (MainDlgRows.cpp): a long list cut at an entry while its row lacks the focus.
  struct RowText {
    std::wstring full;     // the list while the row shows it cut
    std::wstring shown;    // what the row shows
    bool cut = false;
    bool showing = false;  // the row's text changes for the showing only, not the list
  };
  void SubclassRows();
  void UnsubclassRows();
  void FitRows();
  static LRESULT CALLBACK RowProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

  LRESULT OnInitDialog();
  void OnDestroy();
  void OnOK();
  void OnCancel();
  void Close(int exitCode);
  // The bold font of the heading, for the window's DPI.
  void MakeBoldFont(UINT dpi);
  void OnDpiApplied(UINT dpi) override;
  void LoadIcons();
  // After the missing-sheet message: the version chooser, then the folders and the sheet at `path`.
  // True when the sheet was written (the Open state); otherwise the None state.
  bool CreateMissingSheet(const std::wstring& path);
  // Writes the open sheet unless a list holds a character XML cannot carry; false (after telling the
  // user) when nothing was written.
  bool SaveOpenSheet();
  // A sheet that could not be written: the user is told which and why, nothing closes.
  void ReportSaveFailure(const Result& result);
  void ReportUnreadable(const SheetLoad& loaded);
  void ReportForbiddenCharacter(const ListCharacter& found);

  PlatformServices& m_platform;
  UniqueFont m_font;          // bold copy of the default GUI font: the heading
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

  // The "name=value" lines of the settings file, this window's and any it does not know.
  std::map<std::wstring, std::wstring> m_settingValues;
  std::wstring m_platformName;             // platform of the open sheet; empty when its name tells none
  std::vector<std::wstring> m_platforms;   // the platform field's entries, in their order
  struct LaidOut {
    HWND window;
    int id;
    RECT rect;  // at m_layoutDpi and the template's width
  };
  std::vector<LaidOut> m_layout;
  UINT m_layoutDpi = kDefaultDpi;
  int m_layoutWidth = 0;     // client width the template made
  SIZE m_minimumSize = {};   // window size the template made, at m_layoutDpi
  int m_openedWidth = 0;     // width at 96 DPI once the window was set up
  HWND m_tooltip = nullptr;  // the problem icons' tooltips; goes with the window
  UniqueIcon m_markIcon;
  // Per kind: what else is in force around the user's list, from the sheet as last read or written.
  std::array<ListSurroundings, kKindCount> m_surroundings;
  std::array<RowText, kKindCount> m_rows;
  bool m_settingsChanged = false;  // a value to keep was set since the settings file was written
};

}  // namespace pathwright
