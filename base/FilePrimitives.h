// The handful of system calls the file store is built on, one set per system (FileSystemPosix.cpp,
// FileSystemWin32.cpp). Everything above them (the replace, the compare, the backups, the lock's
// wait, the clean-up of leftovers) is written once in FileStore.cpp. Only the file layer includes it.
//
// Paths are handed over as the callers gave them; each primitive puts them into its system's form
// (UTF-8 on POSIX; the "\\?\" form for long paths on Windows).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/FileSystem.h"

namespace pathwright::file_primitives {

// The failures the store itself tells apart, each one a system code of its own on each system.
enum class Problem { kNotFound, kNoFolder, kExists, kAccessDenied, kBusy, kTooLarge, kIsFolder, kNotRegular };
int SystemCode(Problem problem);
bool Is(const Result& result, Problem problem);
Result SystemFailure(Problem problem, std::wstring why = {});  // the system's text when `why` is empty
// The system's own words for one of its error codes.
std::wstring SystemText(int code);

// Characters that end a folder's name in a path.
extern const std::wstring_view kPathSeparators;

// What stands at a name. A symbolic link is followed to its final target; on POSIX a link to nowhere
// is a failure, not a missing file, so that no file is ever made in its place.
struct Facts {
  enum class Kind { kMissing, kRegular, kFolder, kPipe, kSocket, kDevice, kDeviceOrPipe };
  Kind kind = Kind::kMissing;
  bool readOnly = false;   // no one may write it (POSIX: no write bit; Windows: the read-only attribute)
  std::wstring finalPath;  // what a write through the name replaces
  // What a file written in its place carries over: POSIX permission bits, owner and group; the
  // Windows attributes (in `bits`).
  std::uint32_t bits = 0, owner = 0, group = 0;
  std::uint32_t links = 1;  // the names the file has (hard links)

  bool Exists() const { return kind != Kind::kMissing; }
  bool Regular() const { return kind == Kind::kRegular; }
};
Result Inspect(const std::wstring& path, Facts& facts);

// The failure for a name that is there but no regular file, saying what it is.
Result NotRegular(Facts::Kind kind);

// A regular file open for reading. Anything else is refused before it is opened (opening a device may
// act on it, opening a pipe waits for a writer) and once more when open, in case the name was given
// to another file in between.
class ReadingFile {
 public:
  ReadingFile() = default;
  ReadingFile(const ReadingFile&) = delete;
  ReadingFile& operator=(const ReadingFile&) = delete;
  ~ReadingFile();

  Result Open(const std::wstring& path);         // FileStore.cpp
  std::uint64_t Size() const { return m_size; }  // when it was opened
  // Reads at most `size` bytes; `got` is 0 at the end of the file.
  Result Read(char* buffer, size_t size, size_t& got);
  std::intptr_t Handle() const { return m_handle; }
  std::intptr_t Release() { return std::exchange(m_handle, -1); }

 private:
  // Opens a name known to be a regular file, refuses it if it is none once open, and takes its size.
  Result OpenRegular(const std::wstring& path);

  std::intptr_t m_handle = -1;
  std::uint64_t m_size = 0;
};

// A new file under a fresh name beside a target, until it is kept under its real name removed again
// when its owner ends, and by the system (Windows) or the interrupt handler (POSIX) if the process
// ends first.
class NewFile {
 public:
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile();

  // Creates `path` unless anything has that name (a dangling link included): Problem::kExists.
  Result Create(const std::wstring& path, const Facts* like);
  // Writes the start of `bytes` (all of it, unless the system stops short).
  Result Write(std::string_view bytes, size_t& written);
  // Gives the file what `like` carries, flushes it to the disk and closes it.
  Result Finish(const Facts* like);
  const std::wstring& Path() const { return m_path; }
  // It now has its real name; nothing to remove.
  void Keep();

 private:
  std::wstring m_path;
  [[maybe_unused]] std::string m_systemPath;  // POSIX: the name as the interrupt handler removes it
  std::intptr_t m_handle = -1;
  std::uint64_t m_size = 0;  // written so far
  [[maybe_unused]] bool m_deleteOnClose = false;  // Windows: the system removes it when the handle closes
  bool m_kept = false;
};

// Gives `from` the name `to`. Without `replace` it fails with Problem::kExists when anything has
// that name; with it, an existing file is replaced in one step.
// Writes `bytes` over the start of the existing regular file at `path`, in pieces of kInPlacePiece,
// cuts it to their size, flushes and closes it: every name of the file sees the new bytes. A failure
// midway leaves it partly written.
inline constexpr size_t kInPlacePiece = 64 * 1024;
Result WriteInPlace(const std::wstring& path, std::string_view bytes);

Result Rename(const std::wstring& from, const std::wstring& to, bool replace);
void RemoveFile(const std::wstring& path);
Result MakeFolder(const std::wstring& path);

struct FolderEntry {
  std::wstring name;
  bool regular = false;  // a plain file, not a folder (POSIX: nor a link or any other kind)
  std::chrono::system_clock::time_point modified;
};
// The entries of `folder` (empty for the current one, else ending with a separator) whose names
// match the wildcard, without regard to case; nothing when it cannot be listed.
std::vector<FolderEntry> ListFolder(const std::wstring& folder, const std::wstring& pattern);

// One try at the lock file `lockPath` (made when missing). `native` keeps what the tries open: the
// lock once held; while another holder has it, the lock file waited for (POSIX), so that the next try
// waits on that same file and can tell when it was removed meanwhile. Unlock closes either.
enum class LockAttempt {
  kHeld,
  kBusy,        // another holder has it
  kMoved,       // taken, but the name now gives another file, or none: the holder before removed it
  kUncertain,   // refused for a reason that may pass in a moment, or may never pass
  kUnlockable,  // no lock can be had here; nothing can be written here either
  kInTheWay,    // something that is no lock file has that name; `inTheWay` says what ("a folder")
};
LockAttempt TryLock(const std::wstring& lockPath, std::intptr_t& native, std::wstring& inTheWay);
// Ends a held lock and removes its file (Windows: the system removes it); a waiting `native` is closed.
void Unlock(std::intptr_t native, const std::wstring& lockPath, bool held);

// Whether the test seam makes this call fail; it then fails as the system call would, with an I/O
// error (SetIoError) that the caller reports as it would report the system's.
bool Injected(FileFault fault);
void SetIoError();

}  // namespace pathwright::file_primitives
