#include "ui/MainDlg.h"

#include <string>

#include "lang/LanguageFile.h"
#include "lang/TextNumbers.h"
#include "model/DirectoryKinds.h"
#include "ui/Options.h"
#include "ui/TextFormat.h"
#include "ui/UiLanguage.h"
#include "win/FileDialog.h"
#include "win/Fonts.h"
#include "win/Platform.h"

namespace pathwright {

using namespace std::string_literals;

namespace {
constexpr const wchar_t* kNoPlatform = L"---";
constexpr const wchar_t* kMsBuildSubfolder = L"\\Microsoft\\MSBuild\\v4.0";
constexpr const wchar_t* kDefaultSheetName = L"\\Microsoft.Cpp.Win32.user.props";

std::wstring LastPathPart(const std::wstring& path) {
  const std::vector<std::wstring> parts = SplitString(path, L"\\");
  return parts.empty() ? std::wstring() : parts.back();
}
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

bool CMainDlg::PreTranslateMessage(MSG* message) {
  return m_hWnd && ::IsDialogMessageW(m_hWnd, message) != FALSE;
}

bool CMainDlg::OnIdle() { return false; }

LRESULT CMainDlg::OnInitDialog() {
  CentreWindow(::GetWindow(m_hWnd, GW_OWNER));
  InitLanguage();
  MakeBoldFont();
  SetDlgItemText(IDC_MAIN_PLATFORM, kNoPlatform);
  OpenDefaultSheet();
  LoadIcons();
  if (CMessageLoop* loop = g_module.GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  UIAddChildWindowContainer(m_hWnd);
  EnableDirectoryControls();
  DoDataExchange(kFillControls);
  return TRUE;  // the dialog manager focuses the first tab stop, the sheet path
}

void CMainDlg::MakeBoldFont() {
  m_font = CreateBoldGuiFont();
  if (!m_font) return;
  for (int id : {IDC_MAIN_HEADING, IDC_MAIN_PLATFORM}) {
    ::SendDlgItemMessageW(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
  }
}

void CMainDlg::LoadIcons() {
  const HINSTANCE instance = CAppModule::GetResourceInstance();
  m_bigIcon.Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PATHWRIGHT), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                   LR_DEFAULTCOLOR)));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.Get()));
  m_smallIcon.Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PATHWRIGHT), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
}

void CMainDlg::OnDestroy() {
  if (CMessageLoop* loop = g_module.GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
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
  if (wanted(IDC_MAIN_ENV_OPTION) && !TransferCheck(save, IDC_MAIN_ENV_OPTION, g_environmentSubstitution)) {
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
    DoDataExchange(kSaveControls);  // a failed transfer keeps the member as it was; the save goes on
    const IoResult saved = SaveSheet();
    if (!saved) {
      // Closing now would lose the edits while the user believes them saved.
      ReportSaveFailure(saved);
      return;
    }
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

void CMainDlg::ReportSaveFailure(const IoResult& result) {
  std::wstring format = UiText(text::kSaveFailedText);
  if (format.empty()) format = L"%s";  // without a language the path still says which file
  std::wstring message = FormatWithString(format, m_path);
  message += L"\n";
  message += result.message;
  Platform().ShowMessageBox(m_hWnd, message, UiText(text::kSaveFailedCaption), MB_OK | MB_ICONERROR);
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

  const std::wstring candidate = folder + kMsBuildSubfolder + kDefaultSheetName;
  const std::wstring fileName = LastPathPart(candidate);
  if (!PathExists(candidate)) {
    m_loaded = false;
    // The main window is still hidden; the box stands on its own until the user answers it.
    Platform().ShowMessageBox(m_hWnd, FormatWithString(UiText(text::kMissingSheetText), fileName),
                              UiText(text::kMissingSheetCaption), MB_OK | MB_ICONERROR);
    return;
  }

  m_path = candidate;
  if (!LoadSheet()) RecreateSheet();
  ShowPlatform(fileName);
}

bool CMainDlg::RecreateSheet() {
  int version = 0;
  if (Platform().RunVersionChooser(::GetActiveWindow(), version) != IDOK) return false;
  const IoResult written = CreateDefaultSheet(VsVersionFromChooserIndex(version));
  // The new sheet is open either way; a file that could not be written (or whose unreadable
  // predecessor could not be kept as .bak, in which case it stays untouched) is reported.
  if (!written) ReportSaveFailure(written);
  return true;
}

void CMainDlg::OnSelectSheet() {
  CFileDialog dialog({.open = true,
                      .defaultExtension = L"props",
                      .fileName = nullptr,
                      .flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                      .filter = L"Visual C++ props file (*.props)\0*.props\0"s});
  const std::wstring folder = Platform().LocalAppDataFolder();
  if (!folder.empty()) dialog.SetInitialFolder(folder + kMsBuildSubfolder);

  // The open sheet is written before the choice, even if the user then cancels.
  if (m_loaded) {
    DoDataExchange(kSaveControls);
    const IoResult saved = SaveSheet();
    if (!saved) ReportSaveFailure(saved);
  }

  if (Platform().RunFileDialog(dialog, ::GetActiveWindow()) != IDOK) return;

  ShowPlatform(dialog.FileTitle());
  m_path = dialog.FilePath();
  if (!LoadSheet() && !RecreateSheet()) {
    m_loaded = false;
    m_path.clear();
    SetDlgItemText(IDC_MAIN_PLATFORM, kNoPlatform);
  }
  EnableDirectoryControls();
  DoDataExchange(kFillControls);
}

}  // namespace pathwright
