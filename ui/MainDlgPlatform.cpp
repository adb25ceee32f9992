// The main window's platform field: which platforms' sheets are on offer, and the switch from the
// open sheet to another platform's.
#include <windows.h>

#include <string>

#include "base/FileSystem.h"
#include "lang/TextNumbers.h"
#include "model/SheetLocation.h"
#include "ui/MainDlg.h"
#include "ui/UiLanguage.h"

namespace pathwright {

namespace {
// The platforms almost every C++ developer builds for, offered whether or not their sheet exists.
constexpr const wchar_t* kCommonPlatforms[] = {L"Win32", L"x64", L"ARM64", L"ARM64EC"};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
}  // namespace

std::wstring CMainDlg::PlatformFolder() const {
  if (!m_path.empty()) return FolderOfPath(m_path);
  const std::wstring appData = m_platform.LocalAppDataFolder();
  return appData.empty() ? std::wstring() : UserSheetFolder(appData);
}

void CMainDlg::ShowPlatform(const std::wstring& fileName) {
  m_platformName = PlatformOfSheetName(fileName);
  FillPlatforms();
}

void CMainDlg::FillPlatforms() {
  m_platforms.assign(std::begin(kCommonPlatforms), std::end(kCommonPlatforms));
  const std::wstring folder = PlatformFolder();
  std::vector<bool> present;
  if (!folder.empty()) {
    WIN32_FIND_DATAW found = {};
    const std::wstring pattern = folder + L"\\Microsoft.Cpp.*.user.props";
    if (HANDLE search = ::FindFirstFileW(pattern.c_str(), &found); search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring platform = PlatformOfSheetName(found.cFileName);
        if (platform.empty() || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        bool known = false;
        for (const std::wstring& offered : m_platforms) known = known || SameName(offered, platform);
        if (!known) m_platforms.push_back(platform);
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
  }
  HWND combo = GetDlgItem(IDC_MAIN_PLATFORM);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  int selected = -1;
  for (size_t i = 0; i < m_platforms.size(); ++i) {
    const std::wstring& platform = m_platforms[i];
    const bool exists = !folder.empty() && PathExists(folder + L"\\" + UserSheetName(platform));
    // The sheets already there are marked; the others would be created.
    const std::wstring entry = exists ? UiFormat(text::kMainPlatformPresent, platform) : platform;
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    if (!m_path.empty() && SameName(platform, m_platformName)) selected = static_cast<int>(i);
  }
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  LeaveEmptyPlatformField();
}

void CMainDlg::LeaveEmptyPlatformField() {
  // An empty field with the focus is a bare highlight that offers nothing; Choose... always works.
  const HWND combo = GetDlgItem(IDC_MAIN_PLATFORM);
  if (::GetFocus() != combo || ::SendMessageW(combo, CB_GETCURSEL, 0, 0) >= 0) return;
  ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_MAIN_SELECT_SHEET)), TRUE);
}

bool CMainDlg::AskToCreate(const std::wstring& path) {
  return m_platform.ShowMessageBox(m_hWnd, UiFormat(text::kCreateSheetQuestion, path),
                                   UiText(text::kMissingSheetCaption), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CMainDlg::OnPlatformChange() {
  const LRESULT index = ::SendMessageW(GetDlgItem(IDC_MAIN_PLATFORM), CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= m_platforms.size()) return;
  const std::wstring platform = m_platforms[static_cast<size_t>(index)];
  const std::wstring folder = PlatformFolder();
  const std::wstring path = folder.empty() ? std::wstring() : folder + L"\\" + UserSheetName(platform);
  if (path.empty() || (m_loaded && SameName(path, m_path))) {
    FillPlatforms();
    return;
  }
  // As with Choose...: the open sheet is written first, and a failed save ends the switch there.
  if (m_loaded) {
    DoDataExchange(kSaveControls);
    if (!SaveOpenSheet()) {
      FillPlatforms();
      return;
    }
  }
  if (PathExists(path)) {
    OpenChosenSheet(path, UserSheetName(platform));
  } else {
    if (!AskToCreate(path)) {
      FillPlatforms();  // the open sheet stays open
      return;
    }
    const std::wstring previous = m_path;
    const bool wasLoaded = m_loaded;
    if (CreateMissingSheet(path)) {
      ShowPlatform(UserSheetName(platform));
    } else if (wasLoaded) {
      // The sheet open before was just saved: it stays the open one.
      m_path = previous;
      LoadSheet();
    }
    EnableDirectoryControls();
    DoDataExchange(kFillControls);
    FillPlatforms();
  }
  if (m_loaded) RememberPlatform();
}

void CMainDlg::ShowState() {
  SetDlgItemText(IDC_MAIN_HEADING, UiText(m_loaded ? text::kMainHeading : text::kMainNoSheet));
}

}  // namespace pathwright
