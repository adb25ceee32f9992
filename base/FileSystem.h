// The few file operations the core needs, behind plain functions so the core builds and is
// tested on Linux while Windows gets the native calls (implemented in win/FileSystemWin32.cpp).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pathwright {

// Outcome of a file operation: true when it worked; otherwise the system's error code
// (errno, or GetLastError on Windows) and the system's own description of it.
struct IoResult {
  int error = 0;
  std::wstring message;

  explicit operator bool() const noexcept { return error == 0; }
  static IoResult FromSystemError(int code);
};

// Replaces the file's content in one step: the bytes go to a temporary file in the same folder,
// which is flushed and then renamed over the target. On any failure the target keeps its old bytes
// and no temporary file is left. A read-only target is refused, as an in-place write would be.
IoResult ReplaceFileAtomically(const std::wstring& path, std::string_view bytes);

// Takes the bytes of a file as they are produced. A failed write is remembered by the owner of the
// sink and reported when the file is finished; later writes are then dropped.
class ByteSink {
 public:
  virtual void Write(std::string_view bytes) = 0;

 protected:
  ~ByteSink() = default;
};

// The same for content made piece by piece: `produce` writes the whole new content into the sink,
// which goes to the temporary file through a fixed buffer, so a large sheet is never held in
// memory a second time as bytes.
IoResult ReplaceFileAtomically(const std::wstring& path, const std::function<void(ByteSink&)>& produce);

// Reads a whole file.
IoResult ReadFileBytes(const std::wstring& path, std::string& bytes);

// Whether anything (file or folder) of that name exists.
bool PathExists(const std::wstring& path);

// Whether the name is a folder.
bool IsFolder(const std::wstring& path);

// Creates the folder and every missing folder above it. Succeeds when the folder exists afterwards;
// otherwise the error of the first folder that could not be made.
IoResult CreateFolders(const std::wstring& folder);

// The bare names of the entries of `folder` (which ends with a separator) that match the wildcard
// `pattern` such as "*.lng", folders included, in the order the file system lists them. Nothing when
// the folder cannot be listed; on Windows also when folder and pattern together reach 260 characters.
std::vector<std::wstring> ListMatchingEntries(const std::wstring& folder, const std::wstring& pattern);

}  // namespace pathwright
