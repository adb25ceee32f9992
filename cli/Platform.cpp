#include "Platform.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include <cerrno>
#include <cstdio>
#endif

#include "base/Utf8.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

#ifdef _WIN32

bool FindUserSheetFolder(std::wstring& folder) {
  wchar_t appData[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_LOCAL_APPDATA, FALSE)) return false;
  folder = UserSheetFolder(appData);
  return true;
}

namespace {
Result WriteTo(DWORD which, std::wstring_view text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return {};
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    // The console shows any character this way, whatever its code page.
    while (!text.empty()) {
      const DWORD chunk = text.size() > 8192 ? 8192 : static_cast<DWORD>(text.size());
      DWORD written = 0;
      if (!WriteConsoleW(handle, text.data(), chunk, &written, nullptr))
        return Result::FromSystemError(GetLastError());
      if (written == 0) return Result::FromSystemError(ERROR_WRITE_FAULT);
      text.remove_prefix(written);
    }
    return {};
  }
  const std::string bytes = EncodeUtf8(text);
  std::string_view rest = bytes;
  while (!rest.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr)) {
      return Result::FromSystemError(GetLastError());
    }
    if (written == 0) return Result::FromSystemError(ERROR_WRITE_FAULT);
    rest.remove_prefix(written);
  }
  return {};
}
}  // namespace

Result WriteOutput(std::wstring_view text) { return WriteTo(STD_OUTPUT_HANDLE, text); }
Result WriteError(std::wstring_view text) { return WriteTo(STD_ERROR_HANDLE, text); }

#else

bool FindUserSheetFolder(std::wstring&) { return false; }

namespace {
Result WriteTo(std::FILE* stream, std::wstring_view text) {
  if (text.empty()) return {};
  const std::string bytes = EncodeUtf8(text);
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() || std::fflush(stream) != 0) {
    const int error = errno;
    std::clearerr(stream);
    return Result::FromSystemError(error ? error : EIO);
  }
  return {};
}
}  // namespace

Result WriteOutput(std::wstring_view text) { return WriteTo(stdout, text); }
Result WriteError(std::wstring_view text) { return WriteTo(stderr, text); }

#endif

}  // namespace pathwright::cli
