#include "base/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <set>
#include <thread>
#include <unistd.h>
#include <utility>

#include "base/FileNames.h"
#include "base/Utf8.h"

namespace pathwright {

namespace {
std::atomic<FileFault> g_fault{FileFault::kNone};

// Whether the test seam makes this call fail; it then fails as the system would, with EIO.
bool Injected(FileFault fault) {
  if (g_fault.load() != fault) return false;
  errno = EIO;
  return true;
}

std::string NativePath(const std::wstring& path) { return EncodeUtf8(path); }

// Owns a file descriptor; closing it here ignores errors, for the paths that already failed.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) noexcept : m_fd(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int Get() const noexcept { return m_fd; }
  int Release() noexcept { return std::exchange(m_fd, -1); }
  void Reset(int fd) noexcept {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

// Closes the descriptor; 0 or the error that says the data may not have reached the file.
int Close(UniqueFd& fd) {
  const int closed = ::close(fd.Release());
  if (Injected(FileFault::kClose)) return errno;
  return closed == 0 ? 0 : errno;
}

// The write side of every file made here, in chunks of at most 1 MB.
int WriteAll(int fd, std::string_view bytes) {
  constexpr size_t kChunk = 1 << 20;
  while (!bytes.empty()) {
    const size_t chunk = std::min(bytes.size(), kChunk);
    if (chunk >= kLargeWriteBytes && Injected(FileFault::kLargeWrite)) return errno;
    const ssize_t n = ::write(fd, bytes.data(), chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

Result NotRegular(mode_t mode) {
  if (S_ISDIR(mode)) return Result::FromSystemError(EISDIR, L"it is a folder, not a file");
  const std::wstring what = S_ISFIFO(mode) ? L"a pipe" : S_ISSOCK(mode) ? L"a socket" : L"a device";
  return Result::FromSystemError(EINVAL, L"it is " + what + L", not a regular file");
}

// Opens a regular file for reading. Anything else is refused before it is opened (opening a device
// may act on it, opening a pipe waits for a writer) and once more when open, in case the name was
// given to another file in between. `st` may already hold what stat said about the name.
Result OpenRegular(const std::string& path, UniqueFd& fd, struct stat& st, bool statted = false) {
  if (!statted && ::stat(path.c_str(), &st) != 0) return Result::FromSystemError(errno);
  if (!S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
  UniqueFd opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (opened.Get() < 0) return Result::FromSystemError(errno);
  if (::fstat(opened.Get(), &st) != 0) return Result::FromSystemError(errno);
  if (!S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
  fd.Reset(opened.Release());
  return {};
}

Result ReadNative(const std::string& path, std::string& bytes, const ReadLimits& limits) {
  bytes.clear();
  UniqueFd fd;
  struct stat st {};
  if (Result opened = OpenRegular(path, fd, st); !opened) return opened;
  const size_t size = static_cast<size_t>(st.st_size);
  const auto tooLarge = [&] {
    return Result::FromSystemError(EFBIG, L"the file is larger than " + std::to_wstring(limits.maxFileSize) + L" bytes");
  };
  if (size > limits.maxFileSize) return tooLarge();
  // Straight into the string for the size the file has; a file that grows meanwhile is read on.
  bytes.resize(std::min(size, limits.maxRead));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Result::FromSystemError(errno);
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  while (got == size && bytes.size() < limits.maxRead) {  // the file grew since fstat
    char more[65536];
    const ssize_t n = ::read(fd.Get(), more, std::min(sizeof more, limits.maxRead - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Result::FromSystemError(errno);
    if (n == 0) break;
    bytes.append(more, static_cast<size_t>(n));
    if (bytes.size() > limits.maxFileSize) return tooLarge();
  }
  return {};
}

// What stands at the name a write through `path` must replace: the final target of a symbolic
// link, or the path itself. A link that leads nowhere is not replaced by a file.
struct Target {
  std::string path;
  bool exists = false;
  struct stat st {};  // when it exists
};

Result FindTarget(const std::string& path, Target& target) {
  target.path = path;
  target.exists = ::lstat(path.c_str(), &target.st) == 0;
  if (!target.exists) return errno == ENOENT ? Result{} : Result::FromSystemError(errno);
  if (!S_ISLNK(target.st.st_mode)) return {};
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return Result::FromSystemError(errno);
  target.path = real;
  std::free(real);
  if (::stat(target.path.c_str(), &target.st) != 0) return Result::FromSystemError(errno);
  return {};
}

// Whether the regular file at `path` holds exactly `bytes`, read in pieces so that no second copy
// of a large file is made.
Result FileHolds(const std::string& path, std::string_view bytes, bool& same) {
  UniqueFd fd;
  struct stat st {};
  if (Result opened = OpenRegular(path, fd, st); !opened) return opened;
  same = static_cast<size_t>(st.st_size) == bytes.size();
  char piece[65536];
  while (same && !bytes.empty()) {
    const ssize_t n = ::read(fd.Get(), piece, std::min(sizeof piece, bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Result::FromSystemError(errno);
    const size_t count = static_cast<size_t>(n);
    same = count > 0 && std::memcmp(piece, bytes.data(), count) == 0;
    bytes.remove_prefix(count);
  }
  return {};
}

Result Changed() { return Result::Failure(Result::Status::kContentChanged, L"the file was changed by another program meanwhile"); }

Result CheckExpected(const std::string& target, const ExpectedContent& expected) {
  using What = ExpectedContent::What;
  if (expected.what == What::kAnything) return {};
  bool same = false;
  if (Result compared = FileHolds(target, expected.bytes, same); !compared) {
    if (compared.code != ENOENT) return compared;
    return expected.what == What::kNothing ? Result{} : Changed();
  }
  return same && expected.what == What::kBytes ? Result{} : Changed();
}

// Gives a new file the owner and group (as far as this process may set them) and the permissions
// of the file it stands in for.
int CopyOwnerAndMode(int fd, const struct stat& from) {
  if ((from.st_uid != ::geteuid() || from.st_gid != ::getegid()) && ::fchown(fd, from.st_uid, from.st_gid) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), from.st_gid) != 0) {
    // Not permitted: the file stays the caller's, as any file the caller writes.
  }
  if (Injected(FileFault::kPermissions) || ::fchmod(fd, from.st_mode & 07777) != 0) return errno;
  return 0;
}

// The temporary file being written, for the interrupt handler; lock-free, so safe to read there.
std::atomic<const char*> g_interruptTemporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// A new temporary file beside a target: created under a fresh name (never an existing file or
// link), removed again unless Keep is called, and removed by an interrupt meanwhile.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (m_path.empty()) return;
    // Removed before the handler forgets it, so an interrupt in between still finds nothing left.
    if (!m_kept) ::unlink(m_path.c_str());
    g_interruptTemporary.store(nullptr);
  }

  // Creates it with `mode` (reduced by the umask) and returns the open descriptor, or -1 and errno.
  int Create(const std::string& besides, mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = besides + file_names::TemporarySuffix<char>();
      // An interrupt between creating the file and telling the handler its name would leave it behind:
      // the interrupting signals wait until both are done.
      sigset_t interrupts, previous;
      sigemptyset(&interrupts);
      for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
      ::pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
      const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
      const int openError = errno;
      if (fd >= 0) {
        m_path = std::move(name);
        g_interruptTemporary.store(m_path.c_str());
      }
      ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
      if (fd >= 0) return fd;
      if (openError != EEXIST) {
        errno = openError;
        return -1;
      }
    }
    errno = EEXIST;
    return -1;
  }
  const std::string& Path() const { return m_path; }
  // The file now has its real name; nothing to remove.
  void Keep() {
    g_interruptTemporary.store(nullptr);
    m_kept = true;
  }

 private:
  std::string m_path;
  bool m_kept = false;
};

// Writes `bytes` to a new temporary file beside `besides`, with the owner and permissions of
// `like` when given, flushed to the disk and closed.
Result WriteTemporary(TemporaryFile& temp, const std::string& besides, std::string_view bytes,
                        const struct stat* like) {
  UniqueFd fd(temp.Create(besides, like ? like->st_mode & 0777 : 0666));
  if (fd.Get() < 0) return Result::FromSystemError(errno);
  int error = WriteAll(fd.Get(), bytes);
  if (!error && like) error = CopyOwnerAndMode(fd.Get(), *like);
  if (!error && (Injected(FileFault::kFlush) || ::fsync(fd.Get()) != 0)) error = errno;
  const int closed = Close(fd);
  if (!error) error = closed;
  return error ? Result::FromSystemError(error) : Result{};
}

// Removes the temporary files of `target` older than an hour: a run killed while writing left them.
// Once per target and process is enough, and spares the repeated saves of a long session the scan.
void RemoveStaleTemporaries(const std::string& target) {
  static std::set<std::string> done;
  if (!done.insert(target).second) return;
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string_view name = slash == std::string::npos ? target : std::string_view(target).substr(slash + 1);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const time_t oldest =
      std::time(nullptr) - std::chrono::duration_cast<std::chrono::seconds>(file_names::kStaleTemporaryAge).count();
  while (const dirent* entry = ::readdir(dir)) {
    if (!file_names::IsTemporaryNameOf(std::string_view(entry->d_name), name)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_mtime < oldest) {
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

// Gives `from` the name `to` unless that name exists (as anything, a dangling link included).
int RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  // A file system without that rename: a new hard link fails on an existing name just the same.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

extern "C" void RemoveTemporaryAndEnd(int signal) {
  if (const char* temp = g_interruptTemporary.load()) ::unlink(temp);
  // The handler was reset on entry; the signal, blocked until this returns, then ends the process.
  ::raise(signal);
}
}  // namespace

Result Result::FromSystemError(int code) { return FromSystemError(code, DecodeUtf8(std::strerror(code))); }

Result Result::NotFound() { return FromSystemError(ENOENT); }

bool Result::IsNotFound() const noexcept {
  return status == Status::kSystemError && (code == ENOENT || code == ENOTDIR);
}

Result ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const ExpectedContent& expected) {
  if (path.empty()) return Result::NotFound();
  Target target;
  if (Result found = FindTarget(NativePath(path), target); !found) return found;
  const struct stat& old = target.st;
  if (target.exists && !S_ISREG(old.st_mode)) return NotRegular(old.st_mode);
  if (target.exists && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return Result::FromSystemError(EACCES);  // root would otherwise write over a read-only sheet
  }

  TemporaryFile temp;
  if (Result written = WriteTemporary(temp, target.path, bytes, target.exists ? &old : nullptr); !written) {
    return written;
  }
  if (Result same = CheckExpected(target.path, expected); !same) return same;
  if (::rename(temp.Path().c_str(), target.path.c_str()) != 0) return Result::FromSystemError(errno);
  temp.Keep();
  RemoveStaleTemporaries(target.path);
  return {};
}

Result WriteBackupFile(const std::wstring& path, std::string_view bytes, std::wstring& backupPath) {
  backupPath.clear();
  if (path.empty()) return Result::NotFound();
  const std::string native = NativePath(path);
  Target sheet;
  const bool like = FindTarget(native, sheet) && sheet.exists && S_ISREG(sheet.st.st_mode);

  TemporaryFile temp;
  if (Result written = WriteTemporary(temp, native, bytes, like ? &sheet.st : nullptr); !written) return written;
  for (int n = 1; n <= file_names::kMaxBackups; ++n) {
    const std::wstring name = file_names::BackupName(path, n);
    const int error = RenameWithoutReplacing(temp.Path(), NativePath(name));
    if (error == EEXIST) continue;
    if (error) return Result::FromSystemError(error);
    temp.Keep();
    backupPath = name;
    return {};
  }
  return Result::FromSystemError(EEXIST);
}

Result ReadFileBytes(const std::wstring& path, std::string& bytes, const ReadLimits& limits) {
  if (path.empty()) {
    bytes.clear();
    return Result::NotFound();
  }
  return ReadNative(NativePath(path), bytes, limits);
}

bool PathExists(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0;
}

bool IsFolder(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::wstring> ListMatchingEntries(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  DIR* dir = ::opendir(folder.empty() ? "." : NativePath(folder).c_str());
  if (!dir) return names;
  const std::string glob = NativePath(pattern);
  // Windows matches names without regard to case; do the same so both builds find the same files.
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (::fnmatch(glob.c_str(), entry->d_name, FNM_CASEFOLD) == 0) names.push_back(DecodeUtf8(name));
  }
  ::closedir(dir);
  return names;
}

Result CreateFolders(const std::wstring& folder) {
  if (folder.empty() || IsFolder(folder)) return {};
  const size_t slash = folder.find_last_of(L'/');
  if (slash != std::wstring::npos && slash > 0) {
    const size_t end = folder.find_last_not_of(L'/', slash);
    if (end != std::wstring::npos) {
      if (Result parent = CreateFolders(folder.substr(0, end + 1)); !parent) return parent;
    }
  }
  if (::mkdir(NativePath(folder).c_str(), 0777) == 0) return {};
  const int error = errno;
  if (error == EEXIST && IsFolder(folder)) return {};
  return Result::FromSystemError(error);
}

void WriteLock::Release() noexcept {
  if (m_native != -1) ::close(static_cast<int>(std::exchange(m_native, -1)));
}

// flock, not fcntl: an fcntl lock would end the moment this process closed any other descriptor of
// the file, such as the one that reads it.
Result WriteLock::Acquire(const std::wstring& path, std::chrono::milliseconds wait) {
  Release();
  Target target;
  if (path.empty() || !FindTarget(NativePath(path), target) || !target.exists) return {};
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (bool statted = true;; statted = false) {
    UniqueFd fd;
    struct stat& locked = target.st;
    if (!OpenRegular(target.path, fd, locked, statted)) return {};
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return {};  // a file system without locks
      if (std::chrono::steady_clock::now() >= deadline) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
        return Result::FromSystemError(EWOULDBLOCK, L"another program of Pathwright kept it locked for " + std::to_wstring(seconds) + L" seconds");
      }
      std::this_thread::sleep_for(file_names::kLockRetryPause);
    }
    // The holder before may have replaced the file: the lock counts only on the file the name gives now.
    struct stat now {};
    if (::stat(target.path.c_str(), &now) != 0 || (now.st_dev == locked.st_dev && now.st_ino == locked.st_ino)) {
      m_native = fd.Release();
      return {};
    }
    if (std::chrono::steady_clock::now() >= deadline) return {};  // replaced again and again: go on unlocked
  }
}

void RemoveTemporaryFilesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporaryAndEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

void InjectFileFault(FileFault fault) { g_fault.store(fault); }

}  // namespace pathwright
