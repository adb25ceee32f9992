#include "ui/MainDlg.h"

#include <optional>
#include <string>

#include "lang/LanguageFile.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "model/SheetLocation.h"
#include "lang/TextFormat.h"
#include "ui/UiLanguage.h"
#include "win/FileDialog.h"
#include "win/Fonts.h"
#include "ui/Platform.h"

namespace pathwright {

using namespace std::string_literals;

namespace {
constexpr const wchar_t* kNoPlatform = L"---";
constexpr int kNewestVersion = 2;  // Visual Studio 2013, whose format every later version reads
}  // namespace

CMainDlg::~CMainDlg() {
  // The window goes before the icons and the font it shows, and while this object can still
  // answer its last messages.
  if (m_hWnd && ::IsWindow(m_hWnd)) DestroyWindow();
}

BOOL CMainDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result, DWORD) {
  result = 0;
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
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
  SetDlgItemText(IDC_MAIN_PLATFORM, kNoPlatform);
  OpenDefaultSheet();
  LoadIcons();
  if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->AddMessageFilter(this);
  EnableDirectoryControls();
  DoDataExchange(kFillControls);
  return TRUE;  // the dialog manager focuses the first tab stop, the sheet path
}

void CMainDlg::MakeBoldFont(UINT dpi) {
  UniqueFont font = CreateBoldFont(m_baseFont, m_baseDpi, dpi);
  if (!font) return;
  for (int id : {IDC_MAIN_HEADING, IDC_MAIN_PLATFORM}) {
    ::SendDlgItemMessageW(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  }
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
  DestroyWindow();
  // Released after the window: nothing can draw with it any more.
  m_font.Reset();
  ::PostQuitMessage(exitCode);
}

bool CMainDlg::SaveOpenSheet() {
  if (m_path.empty()) return true;  // nothing open: nothing to write
  const Result saved = SaveSheet();
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

void CMainDlg::ReportUnreadable(const Result& loaded) {
  std::wstring format = UiText(text::kUnreadableText);
  if (format.empty()) format = L"%s";
  const std::wstring message = FormatWithString(format, m_path) + L"\n" + loaded.why;
  Platform().ShowMessageBox(m_hWnd, message, UiText(text::kUnreadableCaption), MB_OK | MB_ICONERROR);
}

void CMainDlg::ReportForbiddenCharacter(const ListCharacter& found) {
  const std::wstring row = kKindTitles[found.kind] + (L" (" + CodePointName(found.character.code) + L")");
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

void CMainDlg::ShowPlatform(const std::wstring& fileName) {
  const std::vector<std::wstring> parts = SplitString(fileName, L".");
  SetDlgItemText(IDC_MAIN_PLATFORM, parts.size() == 5 ? parts[2] : std::wstring(kNoPlatform));
}

void CMainDlg::OpenDefaultSheet() {
  m_path.clear();
  m_loaded = true;

  const std::wstring folder = Platform().LocalAppDataFolder();
  if (folder.empty()) return;  // nothing to open, nothing to report

  const std::wstring candidate = UserSheetPath(folder, kDefaultPlatform);
  const std::wstring fileName = UserSheetName(kDefaultPlatform);
  if (!PathExists(candidate)) {
    m_loaded = false;
    // The main window is still hidden; the box stands on its own until the user answers it.
    Platform().ShowMessageBox(m_hWnd, FormatWithString(UiText(text::kMissingSheetText), fileName),
                              UiText(text::kMissingSheetCaption), MB_OK | MB_ICONINFORMATION);
    if (CreateMissingSheet(candidate)) ShowPlatform(fileName);
    return;
  }

  m_path = candidate;
  ShowPlatform(fileName);
  const Result loaded = LoadSheet();
  if (loaded) return;
  // A file that could not be read is still the user's: it is never offered for replacement.
  if (RuleForNewSheet(loaded) == NewSheetRule::kReplace) {
    RecreateSheet();
  } else {
    ReportUnreadable(loaded);
  }
}

bool CMainDlg::CreateMissingSheet(const std::wstring& path) {
  // Visual Studio 2019 and later neither create the sheet nor its folder, yet they read it.
  int version = kNewestVersion;
  if (Platform().RunVersionChooser(::GetActiveWindow(), version, text::kRestorePromptMissing) != IDOK) return false;
  m_path = path;
  const Result created = CreateDefaultSheet(VsVersionFromChooserIndex(version), {.makeFolders = true});
  if (created) return true;
  ReportSaveFailure(created);
  m_path.clear();
  m_loaded = false;
  return false;
}

bool CMainDlg::RecreateSheet() {
  int version = 0;
  if (Platform().RunVersionChooser(::GetActiveWindow(), version, text::kRestorePrompt) != IDOK) return false;
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
                      .filter = L"Visual C++ props file (*.props)\0*.props\0"s});
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

  ShowPlatform(dialog.FileTitle());
  m_path = dialog.FilePath();
  if (const Result loaded = LoadSheet(); !loaded) {
    const bool replaceable = RuleForNewSheet(loaded) == NewSheetRule::kReplace;
    if (!replaceable) ReportUnreadable(loaded);
    if (!replaceable || !RecreateSheet()) {
      m_loaded = false;
      m_path.clear();
      SetDlgItemText(IDC_MAIN_PLATFORM, kNoPlatform);
    }
  }
  EnableDirectoryControls();
  DoDataExchange(kFillControls);
}

}  // namespace pathwright
