// The real platform services: the shell, the common dialogs, the version chooser and MessageBoxW.
#include <windows.h>
#include <shlobj.h>
// The accessibility property service's identifiers are defined here, where they are used.
#include <initguid.h>
#include <oleacc.h>

#include <string>

#include "lang/TextNumbers.h"
#include "ui/RestoreDlg.h"
#include "ui/UiLanguage.h"
#include "win/FileDialog.h"
#include "win/FolderPicker.h"
#include "win/PersistentEnvironment.h"
#include "win/Handle.h"
#include "ui/Platform.h"

namespace pathwright {

namespace {
// A question in German with "Yes" and "No" from an English system reads half translated: the box's
// buttons take the program's words while it is being shown. A button without a text keeps the system's.
LRESULT CALLBACK TranslateBoxButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    constexpr std::pair<int, uint32_t> kButtons[] = {
        {IDOK, text::kButtonOk}, {IDCANCEL, text::kButtonCancel}, {IDYES, text::kButtonYes}, {IDNO, text::kButtonNo}};
    for (const auto& [id, number] : kButtons) {
      const HWND button = ::GetDlgItem(box, id);
      if (const std::wstring words = UiText(number); button && !words.empty()) ::SetWindowTextW(button, words.c_str());
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class Win32Platform final : public PlatformServices {
 public:
  std::wstring LocalAppDataFolder() override {
    wchar_t folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE)) return {};
    return folder;
  }

  INT_PTR RunFileDialog(CFileDialog& dialog, HWND owner) override { return dialog.DoModal(owner); }

  INT_PTR RunVersionChooser(HWND owner, int& version, const std::wstring& prompt) override {
    CRestoreDlg chooser;
    chooser.m_version = version;
    chooser.m_prompt = prompt;
    const INT_PTR result = chooser.DoModal(owner);
    version = chooser.m_version;
    return result;
  }

  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, &TranslateBoxButtons, nullptr, ::GetCurrentThreadId());
    ScopeExit unhook([hook] {
      if (hook) ::UnhookWindowsHookEx(hook);
    });
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  }

  bool SetAccessibleName(HWND control, const std::wstring& name) override {
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&services)))) {
      return false;
    }
    ScopeExit release([services] { services->Release(); });
    if (name.empty()) {
      MSAAPROPID property = PROPID_ACC_NAME;
      return SUCCEEDED(services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &property, 1));
    }
    return SUCCEEDED(services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, name.c_str()));
  }

  bool BrowseForFolder(HWND owner, const std::wstring& instruction, const std::wstring& initialFolder,
                       std::wstring& folder) override {
    const PickedFolder picked = PickFolder(owner, {.title = instruction, .initialFolder = initialFolder});
    if (!picked.result || !picked.folder) return false;
    folder = *picked.folder;
    return true;
  }

  EnvironmentBlock PersistentEnvironment() override { return ReadPersistentEnvironment(); }
};
}  // namespace

PlatformServices& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace pathwright
