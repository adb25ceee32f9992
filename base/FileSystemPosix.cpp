// The POSIX primitives of the file store (FilePrimitives.h), and what else of FileSystem.h is one call.
// The lock and what an interrupted run leaves are in FileLockPosix.cpp.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "base/FilePrimitives.h"
#include "base/FileSystemPosix.h"
#include "base/Utf8.h"

namespace pathwright {

using namespace file_primitives;

namespace {
Result LastError() { return Result::FromSystemError(errno); }

Facts::Kind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return Facts::Kind::kRegular;
  if (S_ISDIR(mode)) return Facts::Kind::kFolder;
  if (S_ISFIFO(mode)) return Facts::Kind::kPipe;
  return S_ISSOCK(mode) ? Facts::Kind::kSocket : Facts::Kind::kDevice;
}

}  // namespace

namespace file_primitives {

std::wstring SystemText(int code) { return DecodeUtf8(std::strerror(code)); }

void SetIoError() { errno = EIO; }

int SystemCode(Problem problem) {
  constexpr int kCodes[] = {ENOENT, ENOTDIR, EEXIST, EACCES, EWOULDBLOCK, EFBIG, EISDIR, EINVAL};
  return kCodes[static_cast<int>(problem)];
}

bool Is(const Result& result, Problem problem) {
  return result.status == Result::Status::kSystemError && result.code == SystemCode(problem);
}

const std::wstring_view kPathSeparators = L"/";

Result Inspect(const std::wstring& path, Facts& facts) {
  facts = {};
  const std::string native = SystemPath(path);
  struct stat st {};
  if (::lstat(native.c_str(), &st) != 0) return errno == ENOENT ? Result{} : LastError();
  facts.finalPath = path;
  if (S_ISLNK(st.st_mode)) {
    char* real = ::realpath(native.c_str(), nullptr);
    if (!real) return LastError();
    facts.finalPath = DecodeUtf8(real);
    std::free(real);
    if (::stat(SystemPath(facts.finalPath).c_str(), &st) != 0) return LastError();
  }
  facts.kind = KindOf(st.st_mode);
  facts.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  facts.bits = st.st_mode & 07777;
  facts.owner = st.st_uid;
  facts.group = st.st_gid;
  facts.links = static_cast<std::uint32_t>(st.st_nlink);
  return {};
}

ReadingFile::~ReadingFile() {
  if (m_handle != -1) ::close(static_cast<int>(m_handle));
}

Result ReadingFile::OpenRegular(const std::wstring& path) {
  const int fd = ::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return LastError();
  m_handle = fd;
  struct stat st {};
  if (::fstat(fd, &st) != 0) return LastError();
  if (!S_ISREG(st.st_mode)) return NotRegular(KindOf(st.st_mode));
  m_size = static_cast<std::uint64_t>(st.st_size);
  return {};
}

Result ReadingFile::Read(char* buffer, size_t size, size_t& got) {
  ssize_t n = 0;
  while ((n = ::read(static_cast<int>(m_handle), buffer, size)) < 0 && errno == EINTR) {}
  got = n < 0 ? 0 : static_cast<size_t>(n);
  return n < 0 ? LastError() : Result{};
}

NewFile::~NewFile() {
  if (m_handle != -1) ::close(static_cast<int>(m_handle));
  if (m_systemPath.empty()) return;
  // Removed before the handler forgets it, so an interrupt in between still finds nothing left.
  if (!m_kept) ::unlink(m_systemPath.c_str());
  ForgetTemporary(m_systemPath);
}

Result NewFile::Create(const std::wstring& path, const Facts* like) {
  std::string native = SystemPath(path);
  // An interrupt between creating the file and telling the handler its name would leave it behind:
  // the interrupting signals wait until both are done.
  const mode_t mode = like ? like->bits & 0777 : 0666;  // reduced by the umask
  int openError = 0;
  WithoutInterrupts([&] {
    m_handle = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    openError = errno;
    if (m_handle >= 0) RememberTemporary((m_systemPath = std::move(native)).c_str());
  });
  if (m_handle < 0) return Result::FromSystemError(openError);
  m_path = path;
  return {};
}

Result NewFile::Write(std::string_view bytes, size_t& written) {
  written = 0;
  if (m_size + bytes.size() > kLargeWriteBytes && Injected(FileFault::kLargeWrite)) return LastError();
  ssize_t n = 0;
  while ((n = ::write(static_cast<int>(m_handle), bytes.data(), bytes.size())) < 0 && errno == EINTR) {}
  if (n < 0) return LastError();
  written = static_cast<size_t>(n);
  m_size += written;
  return {};
}

Result NewFile::Finish(const Facts* like) {
  const int fd = static_cast<int>(std::exchange(m_handle, -1));
  int error = 0;
  if (like) {
    // The owner and group as far as this process may set them; else it stays the caller's, as any file it writes.
    if ((like->owner != ::geteuid() || like->group != ::getegid()) && ::fchown(fd, like->owner, like->group) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), like->group) != 0) {}
    if (Injected(FileFault::kPermissions) || ::fchmod(fd, like->bits) != 0) error = errno;
  }
  if (!error && (Injected(FileFault::kFlush) || ::fsync(fd) != 0)) error = errno;
  const int closed = ::close(fd);
  if (!error && (Injected(FileFault::kClose) || closed != 0)) error = errno;
  return error ? Result::FromSystemError(error) : Result{};
}

void NewFile::Keep() {
  ForgetTemporary(m_systemPath);
  m_kept = true;
}

Result Rename(const std::wstring& from, const std::wstring& to, bool replace) {
  const std::string source = SystemPath(from), destination = SystemPath(to);
  if (replace) return ::rename(source.c_str(), destination.c_str()) == 0 ? Result{} : LastError();
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return LastError();
  // A file system without that rename: a new hard link fails on an existing name just the same.
  if (::link(source.c_str(), destination.c_str()) != 0) return LastError();
  ::unlink(source.c_str());
  return {};
}

Result WriteInPlace(const std::wstring& path, std::string_view bytes) {
  const int fd = ::open(SystemPath(path).c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) return LastError();
  struct stat st {};
  int error = ::fstat(fd, &st) != 0 ? errno : 0;
  if (!error && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return NotRegular(KindOf(st.st_mode));
  }
  for (size_t done = 0; !error && done < bytes.size();) {
    const size_t size = std::min(bytes.size() - done, kInPlacePiece);
    ssize_t n = 0;
    if ((done + size > kLargeWriteBytes && Injected(FileFault::kLargeWrite)) ||
        (done > 0 && Injected(FileFault::kRewrite))) {
      n = -1;
    } else {
      while ((n = ::pwrite(fd, bytes.data() + done, size, static_cast<off_t>(done))) < 0 && errno == EINTR) {}
    }
    if (n < 0) error = errno;
    done += n < 0 ? 0 : static_cast<size_t>(n);
  }
  if (!error && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) error = errno;
  if (!error && (Injected(FileFault::kFlush) || ::fsync(fd) != 0)) error = errno;
  const int closed = ::close(fd);
  if (!error && (Injected(FileFault::kClose) || closed != 0)) error = errno;
  return error ? Result::FromSystemError(error) : Result{};
}

void RemoveFile(const std::wstring& path) { ::unlink(SystemPath(path).c_str()); }

Result MakeFolder(const std::wstring& path) {
  return ::mkdir(SystemPath(path).c_str(), 0777) == 0 ? Result{} : LastError();
}

std::vector<FolderEntry> ListFolder(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<FolderEntry> entries;
  DIR* dir = ::opendir(folder.empty() ? "." : SystemPath(folder).c_str());
  if (!dir) return entries;
  const std::string glob = SystemPath(pattern);
  // Windows matches names without regard to case; so does this, and both builds find the same files.
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || ::fnmatch(glob.c_str(), entry->d_name, FNM_CASEFOLD) != 0) continue;
    struct stat st {};
    const bool seen = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    entries.push_back({.name = DecodeUtf8(name),
                       .regular = seen && S_ISREG(st.st_mode),
                       .modified = std::chrono::system_clock::from_time_t(seen ? st.st_mtime : 0)});
  }
  ::closedir(dir);
  return entries;
}

}  // namespace file_primitives

bool PathExists(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(SystemPath(path).c_str(), &st) == 0;
}

bool IsFolder(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(SystemPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}


}  // namespace pathwright
