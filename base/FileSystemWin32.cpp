// The Windows primitives of the file store (FilePrimitives.h), and what else of FileSystem.h is one call.
// The lock is in FileLockWin32.cpp.
#include <windows.h>

#include <algorithm>
#include <thread>
#include <utility>

#include "base/FileNames.h"
#include "base/FilePrimitives.h"
#include "base/FileSystemWin32.h"
#include "base/Handle.h"

namespace pathwright {

using namespace file_primitives;

namespace {
Result LastError() { return Result::FromSystemError(static_cast<int>(GetLastError())); }

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// What a replacement or a copy carries over; read-only is refused before, and the rest belongs to the storage.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::chrono::system_clock::time_point TimeOf(const FILETIME& time) {
  const long long ticks = static_cast<long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;  // 100 ns since 1601
  return std::chrono::system_clock::from_time_t(static_cast<time_t>(ticks / 10000000 - 11644473600LL));
}
}  // namespace

namespace file_primitives {
std::wstring SystemText(int code) {
  wchar_t* text = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(code);
  if (text) LocalFree(text);
  message.erase(message.find_last_not_of(L"\r\n ") + 1);  // npos + 1 is 0: all blanks go
  return message;
}

void SetIoError() { SetLastError(ERROR_IO_DEVICE); }

int SystemCode(Problem problem) {
  constexpr DWORD kCodes[] = {ERROR_FILE_NOT_FOUND,    ERROR_PATH_NOT_FOUND, ERROR_FILE_EXISTS, ERROR_ACCESS_DENIED,
                              ERROR_SHARING_VIOLATION, ERROR_FILE_TOO_LARGE, ERROR_DIRECTORY,   ERROR_NOT_SUPPORTED};
  return static_cast<int>(kCodes[static_cast<int>(problem)]);
}

bool Is(const Result& result, Problem problem) {
  if (result.status != Result::Status::kSystemError) return false;
  return result.code == SystemCode(problem) ||
         (problem == Problem::kExists && result.code == static_cast<int>(ERROR_ALREADY_EXISTS));
}

const std::wstring_view kPathSeparators = L"\\/";

// Found without opening the file for reading or writing: a query-only open does not act on a
// device, nor wait for the other end of a pipe.
Result Inspect(const std::wstring& path, Facts& facts) {
  facts = {};
  const std::wstring systemPath = SystemPath(path);
  const UniqueFile handle(CreateFileW(systemPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  const DWORD error = handle ? ERROR_SUCCESS : GetLastError();
  if (error) return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Result{} : LastError();
  facts.kind = Facts::Kind::kDeviceOrPipe;
  if (GetFileType(handle.Get()) != FILE_TYPE_DISK) return {};
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return LastError();
  const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.kind = folder ? Facts::Kind::kFolder : Facts::Kind::kRegular;
  facts.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  facts.bits = info.dwFileAttributes;
  facts.links = info.nNumberOfLinks;
  facts.finalPath = systemPath;
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  if (const DWORD size = GetFinalPathNameByHandleW(handle.Get(), nullptr, 0, flags)) {
    std::wstring final(size, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(handle.Get(), final.data(), size, flags);
    if (n > 0 && n < size) facts.finalPath = final.substr(0, n);
  }
  return {};
}

ReadingFile::~ReadingFile() {
  if (m_handle != -1) CloseHandle(Native(m_handle));
}

Result ReadingFile::OpenRegular(const std::wstring& path) {
  const HANDLE file =
      CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  m_handle = reinterpret_cast<std::intptr_t>(file);
  if (GetFileType(file) != FILE_TYPE_DISK) return NotRegular(Facts::Kind::kDeviceOrPipe);
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size)) return LastError();
  m_size = static_cast<std::uint64_t>(size.QuadPart);
  return {};
}

Result ReadingFile::Read(char* buffer, size_t size, size_t& got) {
  DWORD n = 0;  // at most 1 MB a call, well within a DWORD
  const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
  const BOOL read = ReadFile(Native(m_handle), buffer, want, &n, nullptr);
  got = read ? n : 0;
  return read ? Result{} : LastError();
}

// Until it is finished the system deletes it when its handle closes, so a killed process or Ctrl+C
// leaves nothing behind.
NewFile::~NewFile() {
  if (m_path.empty() || m_kept) return;
  if (m_handle != -1) CloseHandle(Native(std::exchange(m_handle, -1)));
  if (!m_deleteOnClose) DeleteFileW(SystemPath(m_path).c_str());
}

Result NewFile::Create(const std::wstring& path, const Facts*) {
  const HANDLE file = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  m_handle = reinterpret_cast<std::intptr_t>(file);
  m_path = path;
  m_deleteOnClose = SetDeleteOnClose(file, true);
  return {};
}

Result NewFile::Write(std::string_view bytes, size_t& written) {
  DWORD n = 0;
  const bool wrote = !(m_size + bytes.size() > kLargeWriteBytes && Injected(FileFault::kLargeWrite)) &&
                     WriteFile(Native(m_handle), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  written = wrote ? n : 0;
  m_size += written;
  return wrote ? Result{} : LastError();
}

Result NewFile::Finish(const Facts* like) {
  const HANDLE file = Native(m_handle);
  if (const DWORD attributes = like ? like->bits & kKeptAttributes : 0) {
    FILE_BASIC_INFO basic = {};  // zero times stay as they are
    basic.FileAttributes = attributes;
    if (Injected(FileFault::kPermissions) || !SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
      return LastError();
    }
  }
  if (Injected(FileFault::kFlush) || !FlushFileBuffers(file)) return LastError();
  if (m_deleteOnClose && !SetDeleteOnClose(file, false)) return LastError();
  m_deleteOnClose = false;
  const BOOL closed = CloseHandle(Native(std::exchange(m_handle, -1)));
  if (Injected(FileFault::kClose) || !closed) return LastError();
  return {};
}

void NewFile::Keep() { m_kept = true; }

Result Rename(const std::wstring& from, const std::wstring& to, bool replace) {
  const std::wstring source = SystemPath(from), destination = SystemPath(to);
  // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing name, a link included.
  if (!replace)
    return MoveFileExW(source.c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH) ? Result{} : LastError();
  // ReplaceFileW would keep the attributes too, but leaves its own temporary file behind when it fails.
  // A file any process has open cannot be renamed over, whatever it shares; a reader (a virus
  // scanner, the IDE, another Pathwright looking at the sheet) holds it only for a moment: 2 s at most.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!MoveFileExW(source.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        std::chrono::steady_clock::now() >= deadline) {
      return Result::FromSystemError(static_cast<int>(error));
    }
    std::this_thread::sleep_for(file_names::kLockRetryPause);
  }
  return {};
}

Result WriteInPlace(const std::wstring& path, std::string_view bytes) {
  const UniqueFile file(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return NotRegular(Facts::Kind::kDeviceOrPipe);
  for (size_t done = 0; done < bytes.size();) {
    const DWORD size = static_cast<DWORD>(std::min(bytes.size() - done, kInPlacePiece));
    DWORD n = 0;
    if ((done + size > kLargeWriteBytes && Injected(FileFault::kLargeWrite)) ||
        (done > 0 && Injected(FileFault::kRewrite)) || !WriteFile(file.Get(), bytes.data() + done, size, &n, nullptr)) {
      return LastError();
    }
    done += n;
  }
  if (!SetEndOfFile(file.Get())) return LastError();
  if (Injected(FileFault::kFlush) || !FlushFileBuffers(file.Get())) return LastError();
  return Injected(FileFault::kClose) ? LastError() : Result{};
}

void RemoveFile(const std::wstring& path) { DeleteFileW(SystemPath(path).c_str()); }

Result MakeFolder(const std::wstring& path) {
  return CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? Result{} : LastError();
}

std::vector<FolderEntry> ListFolder(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW found = {};
  const UniqueFindHandle find(FindFirstFileW(SystemPath(folder + pattern).c_str(), &found));
  if (!find) return entries;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({.name = std::wstring(name),
                       .regular = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0,
                       .modified = TimeOf(found.ftLastWriteTime)});
  } while (FindNextFileW(find.Get(), &found));
  return entries;
}

}  // namespace file_primitives

bool PathExists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTemporaryFilesOnInterrupt() {}  // NewFile's handle deletes it when the process ends

}  // namespace pathwright
