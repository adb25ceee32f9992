// The sheet's lock file, and what a run that is interrupted leaves behind: the handler removes the
// temporary file being written and the lock file held, as a normal end would.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "base/FilePrimitives.h"
#include "base/FileSystem.h"
#include "base/FileSystemPosix.h"

namespace pathwright {

namespace file_primitives {

namespace {
// The temporary file being written, for the interrupt handler; lock-free, so safe to read there.
std::atomic<const char*> g_interruptTemporary{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// The lock file held, removed by the handler as a release would (a waiter then takes a new one).
std::atomic<char*> g_interruptLock{nullptr};

extern "C" void RemoveTemporaryAndEnd(int signal) {
  if (const char* temp = g_interruptTemporary.load()) ::unlink(temp);
  if (const char* lock = g_interruptLock.load()) ::unlink(lock);
  // The handler was reset on entry; the signal, blocked until this returns, then ends the process.
  ::raise(signal);
}

}  // namespace

void RememberTemporary(const char* path) { g_interruptTemporary.store(path); }

void ForgetTemporary(const std::string& path) {
  const char* mine = path.c_str();
  g_interruptTemporary.compare_exchange_strong(mine, nullptr);
}

// flock, not fcntl: an fcntl lock would end the moment this process closed any other descriptor of
// the file. A holder removes the lock file while it still holds it; whoever got the lock of a file
// removed meanwhile tries again on the one the name gives now.
LockAttempt TryLock(const std::wstring& lockPath, std::intptr_t& native, std::wstring& inTheWay) {
  const std::string name = SystemPath(lockPath);
  if (native == -1) {
    // Read-only: a lock file another user made is locked all the same. Never through a link.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, 0666);
    if (fd < 0) {
      if (errno == EISDIR) inTheWay = L"a folder";
      if (errno == ELOOP) inTheWay = L"a symbolic link";
      if (!inTheWay.empty()) return LockAttempt::kInTheWay;
      return errno == EINTR ? LockAttempt::kUncertain : LockAttempt::kUnlockable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0) {
      // Pathwright's lock files stay empty: one with content is someone's file.
      inTheWay = S_ISDIR(st.st_mode)    ? L"a folder"
                 : S_ISREG(st.st_mode)  ? L"a file with content"
                 : S_ISFIFO(st.st_mode) ? L"a pipe"
                 : S_ISSOCK(st.st_mode) ? L"a socket"
                                        : L"a device";
      ::close(fd);
      return LockAttempt::kInTheWay;
    }
    native = fd;
  }
  const int fd = static_cast<int>(native);
  const auto without = [&native](LockAttempt attempt) {
    ::close(static_cast<int>(std::exchange(native, -1)));
    return attempt;
  };
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // anything but a holder: a file system without locks
    return errno == EWOULDBLOCK || errno == EINTR ? LockAttempt::kBusy : without(LockAttempt::kUnlockable);
  }
  // The holder before may have removed the file: the lock counts only on the file the name gives now.
  struct stat locked {};
  struct stat now {};
  const bool same = ::fstat(fd, &locked) == 0 && ::lstat(name.c_str(), &now) == 0 && now.st_dev == locked.st_dev &&
                    now.st_ino == locked.st_ino;
  if (!same) return without(LockAttempt::kMoved);
  WithoutInterrupts([&] {
    char* mine = ::strdup(name.c_str());
    char* none = nullptr;
    if (!g_interruptLock.compare_exchange_strong(none, mine)) std::free(mine);  // the handler knows one lock
  });
  return LockAttempt::kHeld;
}

void Unlock(std::intptr_t native, const std::wstring& lockPath, bool held) {
  const int fd = static_cast<int>(native);
  if (held) {
    WithoutInterrupts([&] {
      char* known = g_interruptLock.load();
      if (known && SystemPath(lockPath) == known && g_interruptLock.compare_exchange_strong(known, nullptr)) {
        std::free(known);
      }
    });
    // Removed while still held, and only if the name still gives the lock's own file.
    const std::string name = SystemPath(lockPath);
    struct stat locked {};
    struct stat now {};
    if (::fstat(fd, &locked) == 0 && ::lstat(name.c_str(), &now) == 0 && now.st_dev == locked.st_dev &&
        now.st_ino == locked.st_ino) {
      ::unlink(name.c_str());
    }
  }
  ::close(fd);
}

}  // namespace file_primitives

void RemoveTemporaryFilesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = file_primitives::RemoveTemporaryAndEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace pathwright
