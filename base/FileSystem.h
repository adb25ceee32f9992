// The few file operations the core needs, behind plain functions so the core builds and is
// tested on Linux while Windows gets the native calls: FileStore.cpp, written once over the
// per-system primitives of FileSystemPosix.cpp and FileSystemWin32.cpp.
//
// What every write here guarantees: a file is replaced in one step or not at all; only regular
// files are read, replaced or copied (a device, pipe, socket or folder is refused before it is
// opened for reading or writing); a symbolic link is written through to its final target, which
// keeps its permissions, owner and group where allowed (POSIX) or its hidden, system and archive
// attributes (Windows); a file with several names (hard links) is rewritten in place, so that every
// name keeps giving the same file. Temporary files are named "<target>.pathwright-temp-XXXXXXXX"
// beside the target and are gone after any failure or an interrupt of the command line tool; what a
// killed run left is removed by the next replace under the target's lock, or an hour later.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Result.h"

namespace pathwright {

// What a caller believes stands at a target right before it is replaced.
struct ExpectedContent {
  enum class What { kAnything, kNothing, kBytes };
  What what = What::kAnything;
  std::string_view bytes;  // for kBytes

  static ExpectedContent Anything() { return {}; }
  static ExpectedContent Nothing() { return {What::kNothing, {}}; }
  static ExpectedContent Bytes(std::string_view bytes) { return {What::kBytes, bytes}; }
};

// Replaces the file's content in one step: the bytes go to a temporary file beside the final
// target, which is flushed and then renamed over it. Right before the rename the target is compared
// with `expected`; when it differs nothing is replaced and the result is Result::Status::kContentChanged. On
// any failure the target keeps its old bytes and no temporary file is left. A read-only target is
// refused, as an in-place write would be. A successful replace removes this target's temporary
// files left by a killed run: all of them while this process holds the target's WriteLock (no other
// writer can be making one), otherwise those older than an hour.
//
// A target with more than one name is written in place instead, after a whole copy of it is made
// beside it ("<target>.pathwright-copy-XXXXXXXX"); a failure midway puts the old bytes back, and the
// copy is removed once either is done (kept, and named in the failure, if the old bytes could not be
// put back).
Result ReplaceFileAtomically(const std::wstring& path, std::string_view bytes,
                               const ExpectedContent& expected = ExpectedContent::Anything());

// Keeps `bytes` as a new file beside `path`: the first free name of "<path>.bak", "<path>.bak.2",
// "<path>.bak.3"... It never writes through or over an existing file or link, carries the
// permissions (owner, group; attributes) of the file at `path`, and is fully written and flushed
// before it appears under its name. `backupPath` receives the name used.
Result WriteBackupFile(const std::wstring& path, std::string_view bytes, std::wstring& backupPath);

// Bounds for ReadFileBytes.
struct ReadLimits {
  size_t maxFileSize = SIZE_MAX;  // a larger file is refused without being read
  size_t maxRead = SIZE_MAX;      // at most this much of the start is read
  std::uint64_t* refusedSize = nullptr;  // receives the size of a file refused for maxFileSize
};

// Reads a regular file whole, or the start of it.
Result ReadFileBytes(const std::wstring& path, std::string& bytes, const ReadLimits& limits = {});

// Whether anything (file, folder, device...) of that name exists.
bool PathExists(const std::wstring& path);

// Whether the name is a folder.
bool IsFolder(const std::wstring& path);

// Creates the folder and every missing folder above it. Succeeds when the folder exists afterwards;
// otherwise the error of the first folder that could not be made.
Result CreateFolders(const std::wstring& folder);

// Whether the name is a regular file (after following links).
bool IsRegularFile(const std::wstring& path);

// The bare names of the entries of `folder` (which ends with a separator) that match the wildcard
// `pattern` such as "*.lng", folders included, in the order the file system lists them. Nothing when
// the folder cannot be listed.
std::vector<std::wstring> ListMatchingEntries(const std::wstring& folder, const std::wstring& pattern);

// An exclusive lock on one file among the processes (and threads) of this program, for a
// read-modify-write. It is a file of its own beside the final target, "<target>.pathwright-lock",
// so that it exists before the target does and the making of a new file is as exclusive as every
// edit. The system releases it when its holder dies, so a crash never leaves a stale lock: POSIX
// holds an flock on it and removes it on release (a crash leaves an empty file, taken over by the
// next holder); Windows holds it open without sharing, hidden, deleted by the system when closed.
class WriteLock {
 public:
  WriteLock() = default;
  WriteLock(WriteLock&& other) noexcept { *this = std::move(other); }
  WriteLock& operator=(WriteLock&& other) noexcept {
    if (this != &other) {
      Release();
      m_native = std::exchange(other.m_native, -1);
      m_lockPath = std::move(other.m_lockPath);
      m_targets = std::move(other.m_targets);
    }
    return *this;
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;
  ~WriteLock() { Release(); }

  // Waits at most `wait` for another holder. Fails when another holder kept it all that time, or when
  // something that is no lock file (a folder, a file with content) has the lock file's name. A name
  // with something other than a regular file behind it, or in a folder that is missing or may not be
  // written, is not locked (nothing can be written through it either) and counts as success.
  Result Acquire(const std::wstring& path, std::chrono::milliseconds wait);
  bool Held() const noexcept { return m_native != -1; }
  void Release() noexcept;

 private:
  std::intptr_t m_native = -1;         // the file descriptor or HANDLE; -1 for none
  std::wstring m_lockPath;             // the lock file held
  std::vector<std::wstring> m_targets;  // the path as given and the final target it locks
};

// Makes SIGINT, SIGTERM and SIGHUP remove a temporary file being written before the process ends
// as the signal would end it. On Windows the system removes it itself when the process ends.
void RemoveTemporaryFilesOnInterrupt();

// Test seam: from now on every call of one kind inside this file layer fails with an I/O error, as
// the system call itself would, until kNone is set again.
enum class FileFault { kNone, kFlush, kClose, kLargeWrite, kPermissions, kRewrite };
// kLargeWrite fails a write that would take a file past this size, as a full disk would. kRewrite
// fails every rewrite in place after its first piece, putting the old bytes back included.
inline constexpr size_t kLargeWriteBytes = 64 * 1024;
void InjectFileFault(FileFault fault);

}  // namespace pathwright
