#include "win/FolderPicker.h"

#include <shobjidl.h>

#include "base/FileSystem.h"
#include "win/Handle.h"

namespace pathwright {

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Characters of the path's root ("C:\" or "\\server\share"); 0 when it has none.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) return 3;
  if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  const size_t server = path.find_first_of(L"\\/", 2);
  if (server == std::wstring::npos || server == 2) return 0;
  const size_t share = path.find_first_of(L"\\/", server + 1);
  if (share == server + 1) return 0;
  return share == std::wstring::npos ? path.size() : share;
}

Result FromHresult(HRESULT hr) {
  // Failures of Win32 calls inside COM carry the Win32 code, whose text the system knows best.
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return Result::FromSystemError(HRESULT_CODE(hr));
  return Result::FromSystemError(static_cast<int>(hr));
}

PickedFolder Failed(HRESULT hr) { return {FromHresult(hr), std::nullopt}; }
}  // namespace

std::wstring NearestExistingFolder(std::wstring path) {
  const size_t root = RootLength(path);
  if (root == 0) return {};
  for (;;) {
    while (path.size() > root && IsSeparator(path.back())) path.pop_back();
    if (IsFolder(path)) return path;
    if (path.size() <= root) return {};
    const size_t cut = path.find_last_of(L"\\/");
    path.resize(cut < root ? root : cut);
  }
}

PickedFolder PickFolder(HWND owner, const FolderPickerOptions& options) {
  const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(apartment)) return Failed(apartment);
  ScopeExit leaveApartment([] { ::CoUninitialize(); });

  IFileOpenDialog* created = nullptr;
  HRESULT hr = ::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created));
  if (FAILED(hr)) return Failed(hr);
  const UniqueCom<IFileOpenDialog> dialog(created);

  // The current directory is left alone: the program finds its language files and settings there.
  FILEOPENDIALOGOPTIONS flags = 0;
  if (FAILED(hr = dialog.Get()->GetOptions(&flags))) return Failed(hr);
  flags |= FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
  if (FAILED(hr = dialog.Get()->SetOptions(flags))) return Failed(hr);
  if (!options.title.empty() && FAILED(hr = dialog.Get()->SetTitle(options.title.c_str()))) return Failed(hr);

  // A folder that cannot be opened only means the dialog starts where the system chooses.
  if (const std::wstring start = NearestExistingFolder(options.initialFolder); !start.empty()) {
    IShellItem* folder = nullptr;
    if (SUCCEEDED(::SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
      const UniqueCom<IShellItem> item(folder);
      dialog.Get()->SetFolder(item.Get());
    }
  }

  hr = dialog.Get()->Show(owner);
  if (hr == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return {};
  if (FAILED(hr)) return Failed(hr);

  IShellItem* chosen = nullptr;
  if (FAILED(hr = dialog.Get()->GetResult(&chosen))) return Failed(hr);
  const UniqueCom<IShellItem> item(chosen);
  wchar_t* path = nullptr;
  if (FAILED(hr = item.Get()->GetDisplayName(SIGDN_FILESYSPATH, &path))) return Failed(hr);
  ScopeExit freePath([path] { ::CoTaskMemFree(path); });
  return {Result{}, std::wstring(path)};
}

}  // namespace pathwright
