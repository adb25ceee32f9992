// The sheet's lock file on Windows.
#include <windows.h>

#include "base/FilePrimitives.h"
#include "base/FileSystemWin32.h"

namespace pathwright::file_primitives {

// A lock on the sheet itself would have to be closed before the sheet can be renamed over, so the
// lock is a file of its own. Opened without sharing it excludes every other holder; the system
// deletes it when the last handle closes, at the end of a run or of a killed process alike.
LockAttempt TryLock(const std::wstring& lockPath, std::intptr_t& native, std::wstring& inTheWay) {
  const std::wstring name = SystemPath(lockPath);
  constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
  HANDLE lock = CreateFileW(name.c_str(), kAccess, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (lock != INVALID_HANDLE_VALUE) {
    native = reinterpret_cast<std::intptr_t>(lock);
    return LockAttempt::kHeld;
  }
  DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION) return LockAttempt::kBusy;
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
    return LockAttempt::kUnlockable;  // no folder, or no file can be made there
  }
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Gone meanwhile: try again at once. Access denied with no such file may be a folder this user may
    // not write, or the last holder's file being deleted.
    return error == ERROR_ACCESS_DENIED ? LockAttempt::kUncertain : LockAttempt::kMoved;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    inTheWay = L"a folder";
    return LockAttempt::kInTheWay;
  }
  // A lock is hidden and empty. One no one holds was left where the system did not delete it: taken over.
  lock = CreateFileW(name.c_str(), kAccess, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (lock == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) return LockAttempt::kBusy;
    if (error == ERROR_FILE_NOT_FOUND) return LockAttempt::kMoved;
    if (error == ERROR_ACCESS_DENIED && (attributes & FILE_ATTRIBUTE_HIDDEN) && !(attributes & FILE_ATTRIBUTE_READONLY)) {
      return LockAttempt::kBusy;  // the holder's, being deleted
    }
    inTheWay = L"a file that may not be written";
    return LockAttempt::kInTheWay;
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  const bool lockFile = GetFileInformationByHandle(lock, &info) && info.nFileSizeHigh == 0 && info.nFileSizeLow == 0 &&
                        (info.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  if (lockFile && SetDeleteOnClose(lock, true)) {
    native = reinterpret_cast<std::intptr_t>(lock);
    return LockAttempt::kHeld;
  }
  CloseHandle(lock);
  inTheWay = lockFile ? L"a file that cannot be removed" : L"a file of its own";
  return LockAttempt::kInTheWay;
}

void Unlock(std::intptr_t native, const std::wstring&, bool) { CloseHandle(reinterpret_cast<HANDLE>(native)); }

}  // namespace pathwright::file_primitives
