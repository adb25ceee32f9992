// Windows side of base/FileSystem.h.
#include "base/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <utility>

#include "base/FileNames.h"
#include "base/Handle.h"

namespace pathwright {

namespace {
std::atomic<FileFault> g_fault{FileFault::kNone};

// Whether the test seam makes this call fail; it then fails as the system would, with an I/O error.
bool Injected(FileFault fault) {
  if (g_fault.load() != fault) return false;
  SetLastError(ERROR_IO_DEVICE);
  return true;
}

Result LastError() { return Result::FromSystemError(static_cast<int>(GetLastError())); }

bool IsNotFoundCode(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// The path in the form the file calls take at any length: long absolute paths get the "\\?\"
// prefix (which also turns off the 260-character limit); everything else stays as given.
std::wstring SystemPath(const std::wstring& path) {
  if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
  std::wstring full(path.size() + 1, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// What stands at a name, found without opening it for reading or writing (a query-only open does
// not act on a device, nor wait for the other end of a pipe).
struct FileFacts {
  bool exists = false;
  bool regular = false;
  bool folder = false;
  DWORD attributes = 0;
  std::wstring finalPath;  // where a link leads; the name itself for a plain file
};

Result Inspect(const std::wstring& systemPath, FileFacts& facts) {
  facts = {};
  UniqueFile handle(CreateFileW(systemPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return IsNotFoundCode(GetLastError()) ? Result{} : LastError();
  facts.exists = true;
  if (GetFileType(handle.Get()) != FILE_TYPE_DISK) return {};
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return LastError();
  facts.attributes = info.dwFileAttributes;
  facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.regular = !facts.folder;
  facts.finalPath = systemPath;
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  if (const DWORD size = GetFinalPathNameByHandleW(handle.Get(), nullptr, 0, flags)) {
    std::wstring final(size, L'\0');
    const DWORD n = GetFinalPathNameByHandleW(handle.Get(), final.data(), size, flags);
    if (n > 0 && n < size) facts.finalPath = final.substr(0, n);
  }
  return {};
}

Result NotRegular(const FileFacts& facts) {
  if (facts.folder) return Result::FromSystemError(ERROR_DIRECTORY, L"it is a folder, not a file");
  return Result::FromSystemError(ERROR_NOT_SUPPORTED, L"it is a device or a pipe, not a regular file");
}

// The write side of every file made here, in chunks of at most 1 MB.
Result WriteAll(HANDLE file, std::string_view bytes) {
  constexpr size_t kChunk = 1 << 20;
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if ((chunk >= kLargeWriteBytes && Injected(FileFault::kLargeWrite)) ||
        !WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      return LastError();
    }
    bytes.remove_prefix(written);
  }
  return {};
}

Result ReadAll(HANDLE file, std::string& bytes, const ReadLimits& limits) {
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size)) return LastError();
  const auto tooLarge = [&] {
    return Result::FromSystemError(ERROR_FILE_TOO_LARGE, L"the file is larger than " + std::to_wstring(limits.maxFileSize) + L" bytes");
  };
  if (static_cast<unsigned long long>(size.QuadPart) > limits.maxFileSize) return tooLarge();
  bytes.resize(std::min(static_cast<size_t>(size.QuadPart), limits.maxRead));
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      // The size said so far, or a file that grew meanwhile: read on in pieces.
      if (bytes.size() >= limits.maxRead) break;
      bytes.resize(std::min(bytes.size() + 65536, limits.maxRead));
    }
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1 << 20));
    DWORD n = 0;
    if (!ReadFile(file, bytes.data() + got, want, &n, nullptr)) return LastError();
    if (n == 0) break;
    got += n;
    if (got > limits.maxFileSize) return tooLarge();
  }
  bytes.resize(got);
  return {};
}

// Opens a regular file for reading; anything else is refused before it is opened.
Result OpenRegular(const std::wstring& systemPath, UniqueFile& file) {
  FileFacts facts;
  if (Result seen = Inspect(systemPath, facts); !seen) return seen;
  if (!facts.exists) return Result::NotFound();
  if (!facts.regular) return NotRegular(facts);
  file.Reset(CreateFileW(systemPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return LastError();
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return NotRegular({});
  return {};
}

Result Changed() { return Result::Failure(Result::Status::kContentChanged, L"the file was changed by another program meanwhile"); }

Result CheckExpected(const std::wstring& target, const ExpectedContent& expected) {
  using What = ExpectedContent::What;
  if (expected.what == What::kAnything) return {};
  UniqueFile file;
  if (Result opened = OpenRegular(target, file); !opened) {
    if (opened.IsNotFound()) return expected.what == What::kNothing ? Result{} : Changed();
    return opened;
  }
  if (expected.what == What::kNothing) return Changed();
  std::string now;
  if (Result read = ReadAll(file.Get(), now, {.maxFileSize = expected.bytes.size()}); !read) {
    return read.code == ERROR_FILE_TOO_LARGE ? Changed() : read;
  }
  return now == expected.bytes ? Result{} : Changed();
}

// How long a replace waits for the target to be closed by a process that has it open.
constexpr auto kReplaceRetryTime = std::chrono::seconds(2);

// The attributes a replacement or a copy carries over; read-only is refused before, and the rest
// (compression, encryption...) belongs to how the file is stored.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A new temporary file beside a target, under a fresh name. Until it is finished the system
// deletes it when its handle closes, so a killed process or Ctrl+C leaves nothing behind.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (m_path.empty() || m_kept) return;
    if (m_file && m_deleteOnClose) {
      m_file.Reset();
    } else {
      m_file.Reset();
      DeleteFileW(m_path.c_str());
    }
  }

  Result Create(const std::wstring& besides) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::wstring name = besides + file_names::TemporarySuffix<wchar_t>();
      m_file.Reset(
          CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (m_file) {
        m_path = std::move(name);
        m_deleteOnClose = SetDeleteOnClose(true);
        return {};
      }
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return LastError();
    }
    return Result::FromSystemError(ERROR_FILE_EXISTS);
  }

  // Writes the bytes, gives the file those attributes, flushes it to the disk and closes it.
  Result Write(std::string_view bytes, DWORD attributes) {
    if (Result written = WriteAll(m_file.Get(), bytes); !written) return written;
    if (attributes & kKeptAttributes) {
      FILE_BASIC_INFO basic = {};  // zero times stay as they are
      basic.FileAttributes = attributes & kKeptAttributes;
      if (Injected(FileFault::kPermissions) ||
          !SetFileInformationByHandle(m_file.Get(), FileBasicInfo, &basic, sizeof basic)) {
        return LastError();
      }
    }
    if (Injected(FileFault::kFlush) || !FlushFileBuffers(m_file.Get())) return LastError();
    if (m_deleteOnClose && !SetDeleteOnClose(false)) return LastError();
    m_deleteOnClose = false;
    const BOOL closed = CloseHandle(m_file.Release());
    if (Injected(FileFault::kClose) || !closed) return LastError();
    return {};
  }

  const std::wstring& Path() const { return m_path; }
  void Keep() { m_kept = true; }

 private:
  bool SetDeleteOnClose(bool remove) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(m_file.Get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
  }

  UniqueFile m_file;
  std::wstring m_path;
  bool m_deleteOnClose = false;
  bool m_kept = false;
};

std::wstring FolderPart(const std::wstring& path, std::wstring& name) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) {
    name = path;
    return L".\\";
  }
  name = path.substr(slash + 1);
  return path.substr(0, slash + 1);
}

// Removes the temporary files of `target` older than an hour: a run killed while writing left them.
// Once per target and process is enough, and spares the repeated saves of a long session the scan.
void RemoveStaleTemporaries(const std::wstring& target) {
  static std::set<std::wstring> done;
  if (!done.insert(target).second) return;
  std::wstring name;
  const std::wstring folder = FolderPart(target, name);
  WIN32_FIND_DATAW found = {};
  const UniqueFindHandle find(FindFirstFileW(
      (folder + name + file_names::Ascii<wchar_t>(file_names::kTemporaryMarker) + L"*").c_str(), &found));
  if (!find) return;
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  const unsigned long long age =
      std::chrono::duration_cast<std::chrono::seconds>(file_names::kStaleTemporaryAge).count() * 10000000ULL;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        file_names::IsTemporaryNameOf(std::wstring_view(found.cFileName), std::wstring_view(name)) &&
        ticks(now) - ticks(found.ftLastWriteTime) > age) {
      DeleteFileW((folder + found.cFileName).c_str());
    }
  } while (FindNextFileW(find.Get(), &found));
}
}  // namespace

Result Result::FromSystemError(int code) {
  wchar_t* text = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return FromSystemError(code, std::move(message));
}

Result Result::NotFound() { return FromSystemError(ERROR_FILE_NOT_FOUND); }

bool Result::IsNotFound() const noexcept {
  return status == Status::kSystemError && code > 0 && IsNotFoundCode(static_cast<DWORD>(code));
}

Result ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const ExpectedContent& expected) {
  if (path.empty()) return Result::NotFound();
  const std::wstring given = SystemPath(path);
  FileFacts facts;
  if (Result seen = Inspect(given, facts); !seen) return seen;
  if (facts.exists && !facts.regular) return NotRegular(facts);
  // Renaming over a read-only file may succeed where writing it would not; refuse it the same way.
  if (facts.attributes & FILE_ATTRIBUTE_READONLY) return Result::FromSystemError(ERROR_ACCESS_DENIED);
  // A link is written through: its final target is what gets replaced.
  const std::wstring target = facts.exists ? facts.finalPath : given;

  TemporaryFile temp;
  if (Result created = temp.Create(target); !created) return created;
  if (Result written = temp.Write(bytes, facts.attributes); !written) return written;
  if (Result same = CheckExpected(target, expected); !same) return same;
  // ReplaceFileW would keep the attributes too, but leaves its own temporary file behind when it fails.
  // A file any process has open cannot be renamed over, whatever it shares; a reader (a virus
  // scanner, the IDE, another Pathwright looking at the sheet) holds it only for a moment.
  const auto deadline = std::chrono::steady_clock::now() + kReplaceRetryTime;
  while (!MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        std::chrono::steady_clock::now() >= deadline) {
      return Result::FromSystemError(static_cast<int>(error));
    }
    std::this_thread::sleep_for(file_names::kLockRetryPause);
  }
  temp.Keep();
  RemoveStaleTemporaries(target);
  return {};
}

Result WriteBackupFile(const std::wstring& path, std::string_view bytes, std::wstring& backupPath) {
  backupPath.clear();
  if (path.empty()) return Result::NotFound();
  const std::wstring given = SystemPath(path);
  FileFacts facts;
  const bool like = Inspect(given, facts) && facts.regular;

  TemporaryFile temp;
  if (Result created = temp.Create(given); !created) return created;
  if (Result written = temp.Write(bytes, like ? facts.attributes : 0); !written) return written;
  for (int n = 1; n <= file_names::kMaxBackups; ++n) {
    const std::wstring name = file_names::BackupName(path, n);
    // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing name, a link included.
    if (MoveFileExW(temp.Path().c_str(), SystemPath(name).c_str(), MOVEFILE_WRITE_THROUGH)) {
      temp.Keep();
      backupPath = name;
      return {};
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return LastError();
  }
  return Result::FromSystemError(ERROR_FILE_EXISTS);
}

Result ReadFileBytes(const std::wstring& path, std::string& bytes, const ReadLimits& limits) {
  bytes.clear();
  if (path.empty()) return Result::NotFound();
  UniqueFile file;
  if (Result opened = OpenRegular(SystemPath(path), file); !opened) return opened;
  return ReadAll(file.Get(), bytes, limits);
}

bool PathExists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Result CreateFolders(const std::wstring& folder) {
  if (folder.empty() || IsFolder(folder)) return {};
  const size_t slash = folder.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0) {
    const size_t end = folder.find_last_not_of(L"\\/", slash);
    if (end != std::wstring::npos) {
      if (Result parent = CreateFolders(folder.substr(0, end + 1)); !parent) return parent;
    }
  }
  if (CreateDirectoryW(SystemPath(folder).c_str(), nullptr)) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS && IsFolder(folder)) return {};
  return Result::FromSystemError(static_cast<int>(error));
}

bool IsRegularFile(const std::wstring& path) {
  FileFacts facts;
  return !path.empty() && Inspect(SystemPath(path), facts) && facts.regular;
}

std::vector<std::wstring> ListMatchingEntries(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  const UniqueFindHandle find(FindFirstFileW(SystemPath(folder + pattern).c_str(), &found));
  if (!find) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.emplace_back(name);
  } while (FindNextFileW(find.Get(), &found));
  return names;
}

void WriteLock::Release() noexcept {
  if (m_native != -1) CloseHandle(reinterpret_cast<HANDLE>(std::exchange(m_native, -1)));
}

// A lock on the sheet itself would have to be closed before the sheet can be renamed over, so the
// lock is a file of its own. Opened without sharing it excludes every other holder; the system
// deletes it when the last handle closes, at the end of a run or of a killed process alike.
Result WriteLock::Acquire(const std::wstring& path, std::chrono::milliseconds wait) {
  Release();
  FileFacts facts;
  if (path.empty() || !Inspect(SystemPath(path), facts) || !facts.regular) return {};
  const std::wstring name = facts.finalPath + file_names::Ascii<wchar_t>(file_names::kLockSuffix);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (int deniedWithoutFile = 0;;) {
    const HANDLE lock =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock != INVALID_HANDLE_VALUE) {
      m_native = reinterpret_cast<std::intptr_t>(lock);
      return {};
    }
    // Held by another process, or being deleted by the last holder (access denied for a moment);
    // access denied again and again with no such file is a folder this user may not write, where
    // nothing can be written anyway.
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && !PathExists(name)) ++deniedWithoutFile;
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || deniedWithoutFile == 3) return {};
    if (std::chrono::steady_clock::now() >= deadline) {
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
      return Result::FromSystemError(ERROR_SHARING_VIOLATION, L"another program of Pathwright kept it locked for " + std::to_wstring(seconds) + L" seconds");
    }
    std::this_thread::sleep_for(file_names::kLockRetryPause);
  }
}

void RemoveTemporaryFilesOnInterrupt() {}  // TemporaryFile's handle deletes it when the process ends

void InjectFileFault(FileFault fault) { g_fault.store(fault); }

}  // namespace pathwright
