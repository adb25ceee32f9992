#include "ui/MainDlg.h"

#include <array>
#include <cwchar>
#include <optional>
#include <string>

#include "base/FileNames.h"
#include "base/FileSystem.h"
#include "lang/LanguageFile.h"
#include "lang/Settings.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "model/SheetLocation.h"
#include "lang/TextFormat.h"
#include "ui/UiLanguage.h"
#include "win/FileDialog.h"
#include "win/Fonts.h"
#include "ui/Platform.h"
#include "ui/SheetReasons.h"

namespace pathwright {

using namespace std::string_literals;

namespace {
constexpr int kNewestVersion = 2;  // Visual Studio 2013, whose format every later version reads
}  // namespace

CMainDlg::~CMainDlg() {
  // The window goes before the icons and the font it shows, and while this object can still
  // answer its last messages.
  if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CMainDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, DWORD) {
  result = 0;
  switch (message) {
    case WM_SIZE:
      ApplyLayout();
      return TRUE;
    case WM_GETMINMAXINFO:
      LimitSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      return TRUE;
    case WM_INITDIALOG:
      result = OnInitDialog();
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    case WM_DRAWITEM:
      result = TRUE;
      return DrawComboItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_COMMAND:
      break;
    default:
      return FALSE;
  }

  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (id == IDC_MAIN_ABOUT) {
    OnAbout();
  } else if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  } else if (id == IDC_MAIN_SELECT_SHEET) {
    OnSelectSheet();
  } else if (id >= IDC_MAIN_FIRST_BUTTON && id <= IDC_MAIN_LAST_BUTTON) {
    OnEditDirectories(id);
  } else if (id == IDC_MAIN_ENV_OPTION) {
    OnOptionChanged();
  } else if (id == IDC_MAIN_LANGUAGE && code == CBN_SELCHANGE) {
    OnLanguageChange();
  } else if (id == IDC_MAIN_PLATFORM && code == CBN_SELCHANGE) {
    OnPlatformChange();
  } else if (id >= IDC_MAIN_FIRST_EDIT && id <= IDC_MAIN_LAST_EDIT && code == EN_CHANGE) {
    if (!m_rows[id - IDC_MAIN_FIRST_EDIT].showing) UpdateMark(id - IDC_MAIN_FIRST_EDIT);
  } else {
    return FALSE;
  }
  return TRUE;
}

bool CMainDlg::PreTranslateMessage(MSG* message) { return m_hWnd && ::IsDialogMessageW(m_hWnd, message) != FALSE; }

LRESULT CMainDlg::OnInitDialog() {
  CentreWindow(::GetWindow(m_hWnd, GW_OWNER));
  InitLanguage();
  m_baseFont = FontOf(m_hWnd);
  m_baseDpi = WindowDpi(m_hWnd);
  MakeBoldFont(m_baseDpi);
  MatchComboHeights();
  ShapeTextLines();
  RecordLayout();
  AlignLabels();
  CreateMarks();
  SubclassRows();
  if (const auto width = m_settingValues.find(kSettingWidth); width != m_settingValues.end()) {
    ApplyRememberedWidth(static_cast<int>(std::wcstol(width->second.c_str(), nullptr, 10)));
  }
  m_openedWidth = WidthAtDefaultDpi();
  OpenDefaultSheet();
  LoadIcons();
  if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->AddMessageFilter(this);
  EnableDirectoryControls();
  DoDataExchange(kFillControls);
  // The first list is where work starts; without a sheet, the platform field is the way out, or
  // Choose... while the field is empty.
  HWND first = GetDlgItem(m_loaded ? IDC_MAIN_FIRST_EDIT : IDC_MAIN_PLATFORM);
  ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  LeaveEmptyPlatformField();
  return FALSE;
}

void CMainDlg::OnDpiApplied(UINT dpi) {
  MakeBoldFont(dpi);
  MatchComboHeights();
  LoadMarkIcon(dpi);
  ApplyLayout();
}

void CMainDlg::MakeBoldFont(UINT dpi) {
  UniqueFont font = CreateBoldFont(m_baseFont, m_baseDpi, dpi);
  if (!font) return;
  ::SendDlgItemMessageW(m_hWnd, IDC_MAIN_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  m_font = std::move(font);  // the previous font goes once no control uses it
}

void CMainDlg::LoadIcons() {
  const HINSTANCE instance = CAppModule::GetResourceInstance();
  m_bigIcon.Reset(
      static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PATHWRIGHT), IMAGE_ICON,
                                      ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR)));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.Get()));
  m_smallIcon.Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PATHWRIGHT), IMAGE_ICON,
                                                    ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                    LR_DEFAULTCOLOR)));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
}

void CMainDlg::OnDestroy() {
  // The names given to the list buttons go with their windows.
  for (int id = IDC_MAIN_FIRST_BUTTON; id <= IDC_MAIN_LAST_BUTTON; ++id)
    Platform().SetAccessibleName(GetDlgItem(id), {});
  UnsubclassRows();
  if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->RemoveMessageFilter(this);
}

bool CMainDlg::DoDataExchange(bool save, UINT id) {
  const auto wanted = [id](int control) { return id == kAllControls || id == static_cast<UINT>(control); };
  const auto fail = [this](int control) {
    OnDataExchangeError(control);
    return false;
  };
  if (wanted(IDC_MAIN_SHEET_PATH) && !TransferText(save, IDC_MAIN_SHEET_PATH, m_path)) {
    return fail(IDC_MAIN_SHEET_PATH);
  }
  for (int k = 0; k < kKindCount; ++k) {
    const int control = IDC_MAIN_FIRST_EDIT + k;
    if (wanted(control) && !TransferText(save, control, m_lists[k])) return fail(control);
  }
  if (wanted(IDC_MAIN_ENV_OPTION) && !TransferCheck(save, IDC_MAIN_ENV_OPTION, m_environmentSubstitution)) {
    return fail(IDC_MAIN_ENV_OPTION);
  }
  return true;
}

void CMainDlg::EnableDirectoryControls() {
  for (int id = IDC_MAIN_FIRST_EDIT; id <= IDC_MAIN_LAST_BUTTON; ++id) {
    if (HWND control = GetDlgItem(id)) ::EnableWindow(control, m_loaded);
  }
  m_surroundings = SurroundingsOf(m_loaded ? OpenDocument() : nullptr);
  ShowState();
  UpdateMarks();
}

void CMainDlg::OnOK() {
  if (m_loaded) {
    if (m_path.empty()) {
      // No sheet to write to: closing would drop what was typed while the user believes it saved.
      Platform().ShowMessageBox(m_hWnd, UiText(text::kNothingToSaveText), UiText(text::kSaveFailedCaption),
                                MB_OK | MB_ICONWARNING);
      return;
    }
    DoDataExchange(kSaveControls);  // a failed transfer keeps the member as it was; the save goes on
    // Closing after a failed save would lose the edits while the user believes them saved.
    if (!SaveOpenSheet()) return;
  }
  Close(1);
}

void CMainDlg::OnCancel() { Close(2); }

void CMainDlg::Close(int exitCode) {
  // A width the user chose is kept for the next start; the file is not worth a message now.
  if (const int width = WidthAtDefaultDpi(); width != m_openedWidth && !::IsZoomed(m_hWnd) && !::IsIconic(m_hWnd)) {
    m_settingValues[kSettingWidth] = std::to_wstring(width);
    m_settingsChanged = true;
  }
  if (m_settingsChanged) {
    WriteSettingsFile(m_startDir + L"\\" + std::wstring(kSettingsFileName), m_language, m_environmentSubstitution,
                      m_settingValues);
  }
  DestroyWindow();
  // Released after the window: nothing can draw with it any more.
  m_font.Reset();
  ::PostQuitMessage(exitCode);
}

bool CMainDlg::SaveOpenSheet() {
  if (m_path.empty()) return true;  // nothing open: nothing to write
  if (m_loaded && !PathExists(m_path)) {
    // Deleted or moved while the window was open: the lists shown are written to a new sheet there.
    Platform().ShowMessageBox(m_hWnd, UiFormat(text::kSheetGoneText, m_path), UiText(text::kSheetGoneCaption),
                              MB_OK | MB_ICONINFORMATION);
    const std::array<std::wstring, kKindCount> lists = m_lists;
    const Result created = CreateDefaultSheet(VsVersionFromChooserIndex(kNewestVersion), {.makeFolders = true});
    m_lists = lists;
    if (!created) {
      m_loaded = true;  // nothing was written: the lists stay for another try
      ReportSaveFailure(created);
      return false;
    }
  }
  const Result saved = SaveSheet();
  if (saved && SavedAsUtf8()) {
    Platform().ShowMessageBox(m_hWnd, UiFormat(text::kSavedAsUtf8Text, m_path), UiText(text::kMainTitle),
                              MB_OK | MB_ICONINFORMATION);
  }
  if (saved) return true;
  // The character is shown where the user typed it; one that came from the file is told as it is.
  const std::optional<ListCharacter> typed =
      saved.status == Result::Status::kForbiddenCharacter ? FindForbiddenInLists(m_lists) : std::nullopt;
  if (typed) {
    ReportForbiddenCharacter(*typed);
  } else {
    ReportSaveFailure(saved);
  }
  return false;
}

void CMainDlg::ReportSaveFailure(const Result& result) {
  std::wstring format = UiText(text::kSaveFailedText);
  if (format.empty()) format = L"%s";  // without a language the path still says which file
  std::wstring message = FormatWithString(format, m_path);
  message += L"\n";
  message += result.why;
  Platform().ShowMessageBox(m_hWnd, message, UiText(text::kSaveFailedCaption), MB_OK | MB_ICONERROR);
}

void CMainDlg::ReportUnreadable(const SheetLoad& loaded) {
  std::wstring format = UiText(text::kUnreadableText);
  if (format.empty()) format = L"%s";
  const std::wstring message = FormatWithString(format, m_path) + L"\n" + ReasonText(loaded);
  Platform().ShowMessageBox(m_hWnd, message, UiText(text::kUnreadableCaption), MB_OK | MB_ICONERROR);
}

void CMainDlg::ReportForbiddenCharacter(const ListCharacter& found) {
  const std::wstring row = UiText(text::kKindNames[found.kind]) + (L" (" + CodePointName(found.character.code) + L")");
  std::wstring format = UiText(text::kForbiddenCharacterText);
  if (format.empty()) format = L"%s";
  Platform().ShowMessageBox(m_hWnd, FormatWithString(format, row), UiText(text::kSaveFailedCaption),
                            MB_OK | MB_ICONERROR);
  // The character is selected where the user can remove it.
  HWND edit = GetDlgItem(IDC_MAIN_FIRST_EDIT + found.kind);
  ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  const size_t at = found.character.offset;
  ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(at), static_cast<LPARAM>(at + 1));
}

void CMainDlg::OpenDefaultSheet() {
  m_path.clear();
  m_loaded = true;

  const std::wstring folder = Platform().LocalAppDataFolder();
  if (folder.empty()) return;  // nothing to open, nothing to report

  // The platform in use when the program last ended; a name that is no platform's gives way to Win32.
  std::wstring platform = kDefaultPlatform;
  if (const auto remembered = m_settingValues.find(kSettingPlatform);
      remembered != m_settingValues.end() && !remembered->second.empty() &&
      remembered->second.find_first_of(L".\\/:*?\"<>|") == std::wstring::npos) {
    platform = remembered->second;
  }
  const std::wstring candidate = UserSheetPath(folder, platform);
  const std::wstring fileName = UserSheetName(platform);
  if (!PathExists(candidate)) {
    m_loaded = false;
    // The main window is still hidden; the box stands on its own until the user answers it.
    if (AskToCreate(candidate) && CreateMissingSheet(candidate)) {
      ShowPlatform(fileName);
    } else {
      ShowPlatform({});
    }
    return;
  }

  m_path = candidate;
  ShowPlatform(fileName);
  const SheetLoad loaded = LoadSheet();
  if (loaded) return;
  // A file that could not be read is still the user's: it is never offered for replacement.
  if (RuleForNewSheet(loaded) == NewSheetRule::kReplace) {
    RecreateSheet(ReasonText(loaded));
  } else {
    ReportUnreadable(loaded);
  }
}

bool CMainDlg::CreateMissingSheet(const std::wstring& path) {
  // Visual Studio 2019 and later neither create the sheet nor its folder, yet they read it. The
  // newest format serves every version since 2013.
  m_path = path;
  m_lists = {};
  const Result created = CreateDefaultSheet(VsVersionFromChooserIndex(kNewestVersion), {.makeFolders = true});
  if (created) return true;
  ReportSaveFailure(created);
  m_path.clear();
  m_loaded = false;
  return false;
}

bool CMainDlg::RecreateSheet(const std::wstring& reason) {
  // The old file is kept under the first backup name not taken, which the write will choose.
  std::wstring backup;
  for (int n = 1; n < 1000 && (backup.empty() || PathExists(backup)); ++n) backup = file_names::BackupName(m_path, n);
  const std::wstring prompt = UiFormat(text::kNotASheetText, m_path) + L"\n" + reason + L"\n\n" +
                              UiFormat(text::kKeptAsText, backup) + L"\n\n" + UiText(text::kChooseVersionText);
  int version = kNewestVersion;
  if (Platform().RunVersionChooser(::GetActiveWindow(), version, prompt) != IDOK) return false;
  const Result written = CreateDefaultSheet(VsVersionFromChooserIndex(version));
  if (written) return true;
  // The unreadable file stays untouched (its copy could not be kept, or nothing could be written),
  // and an empty record must never be saved over it later.
  m_loaded = false;
  ReportSaveFailure(written);
  return false;
}

void CMainDlg::OnSelectSheet() {
  CFileDialog dialog({.open = true,
                      .defaultExtension = L"props",
                      .fileName = nullptr,
                      .flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                      .filter = UiText(text::kMainSheetFilter) + L"\0*.props\0"s});
  const std::wstring folder = Platform().LocalAppDataFolder();
  if (!folder.empty()) dialog.SetInitialFolder(UserSheetFolder(folder));

  // The open sheet is written before the choice, even if the user then cancels. When that fails the
  // selection ends here: the window, the edits and the sheet stay as they were.
  if (m_loaded) {
    DoDataExchange(kSaveControls);
    if (!SaveOpenSheet()) return;
    DoDataExchange(kFillControls);  // a save may have merged changes made on disk; a cancel below keeps them shown
  }

  if (Platform().RunFileDialog(dialog, ::GetActiveWindow()) != IDOK) return;
  OpenChosenSheet(dialog.FilePath(), dialog.FileTitle());
}

void CMainDlg::OpenChosenSheet(const std::wstring& path, const std::wstring& fileName) {
  m_path = path;
  if (const SheetLoad loaded = LoadSheet(); !loaded) {
    const bool replaceable = RuleForNewSheet(loaded) == NewSheetRule::kReplace;
    if (!replaceable) ReportUnreadable(loaded);
    if (!replaceable || !RecreateSheet(ReasonText(loaded))) {
      m_loaded = false;
      m_path.clear();
    }
  }
  ShowPlatform(m_path.empty() ? std::wstring() : fileName);
  if (m_loaded) RememberPlatform();
  EnableDirectoryControls();
  DoDataExchange(kFillControls);
}

}  // namespace pathwright
