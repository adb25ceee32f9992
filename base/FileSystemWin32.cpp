// Windows side of model/FileSystem.h.
#include "base/FileSystem.h"

#include <windows.h>

namespace pathwright {

namespace {
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

struct FileHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~FileHandle() {
    if (h != INVALID_HANDLE_VALUE) {
      const DWORD keep = GetLastError();
      CloseHandle(h);
      SetLastError(keep);
    }
  }
};
}  // namespace

IoResult IoResult::FromSystemError(int code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(code), 0,
                                 reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return IoResult{code, message};
}

namespace {
// Collects small pieces into one buffer so the file gets few, large writes.
class HandleSink final : public ByteSink {
 public:
  explicit HandleSink(HANDLE file) : m_file(file) { m_buffer.reserve(kCapacity); }
  void Write(std::string_view bytes) override {
    if (m_error) return;
    if (m_buffer.size() + bytes.size() > kCapacity) {
      Flush();
      if (bytes.size() >= kCapacity) {
        WriteAll(bytes);
        return;
      }
    }
    m_buffer.append(bytes);
  }
  // The first error of any write, or 0.
  DWORD Finish() {
    Flush();
    return m_error;
  }

 private:
  static constexpr size_t kCapacity = 1 << 16;
  void Flush() {
    WriteAll(m_buffer);
    m_buffer.clear();
  }
  void WriteAll(std::string_view bytes) {
    while (!m_error && !bytes.empty()) {
      const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
      DWORD written = 0;
      if (!WriteFile(m_file, bytes.data(), chunk, &written, nullptr)) m_error = GetLastError();
      bytes.remove_prefix(written);
    }
  }
  HANDLE m_file;
  DWORD m_error = 0;
  std::string m_buffer;
};
}  // namespace

IoResult ReplaceFileAtomically(const std::wstring& path, std::string_view bytes) {
  return ReplaceFileAtomically(path, [bytes](ByteSink& sink) { sink.Write(bytes); });
}

IoResult ReplaceFileAtomically(const std::wstring& path, const std::function<void(ByteSink&)>& produce) {
  if (path.empty()) return IoResult::FromSystemError(ERROR_PATH_NOT_FOUND);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  if (existed && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return IoResult::FromSystemError(ERROR_ACCESS_DENIED);
  // Renaming over a read-only file may succeed where writing it would not; refuse it the same way.
  if (existed && (attributes & FILE_ATTRIBUTE_READONLY)) return IoResult::FromSystemError(ERROR_ACCESS_DENIED);

  wchar_t temp[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(FolderOf(path).c_str(), L"pw", 0, temp)) return IoResult::FromSystemError(GetLastError());

  DWORD error = 0;
  {
    FileHandle file;
    file.h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.h == INVALID_HANDLE_VALUE) error = GetLastError();
    if (!error) {
      HandleSink sink(file.h);
      produce(sink);
      error = sink.Finish();
    }
    if (!error && !FlushFileBuffers(file.h)) error = GetLastError();
  }
  if (!error) {
    // Carry the sheet's attributes (hidden, archive...) over, then move the new file in one step.
    // ReplaceFileW would keep them too, but leaves its own temporary file behind when it fails.
    if (existed) SetFileAttributesW(temp, attributes);
    if (!MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) error = GetLastError();
  }
  if (error) {
    DeleteFileW(temp);
    return IoResult::FromSystemError(static_cast<int>(error));
  }
  return {};
}

IoResult ReadFileBytes(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  FileHandle file;
  file.h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file.h == INVALID_HANDLE_VALUE) return IoResult::FromSystemError(GetLastError());
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.h, buffer, sizeof buffer, &got, nullptr)) return IoResult::FromSystemError(GetLastError());
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return {};
}

bool PathExists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ListMatchingEntries(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  const std::wstring search = folder + pattern;
  if (search.size() >= MAX_PATH) return names;  // the search would be cut short or refused
  WIN32_FIND_DATAW found = {};
  const HANDLE find = FindFirstFileW(search.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.emplace_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

bool IsFolder(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

IoResult CreateFolders(const std::wstring& folder) {
  if (folder.empty() || IsFolder(folder)) return {};
  const size_t slash = folder.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0) {
    const size_t end = folder.find_last_not_of(L"\\/", slash);
    if (end != std::wstring::npos) {
      if (IoResult parent = CreateFolders(folder.substr(0, end + 1)); !parent) return parent;
    }
  }
  if (CreateDirectoryW(folder.c_str(), nullptr)) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS && IsFolder(folder)) return {};
  return IoResult::FromSystemError(static_cast<int>(error));
}

}  // namespace pathwright
