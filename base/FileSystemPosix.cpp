#include "base/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Utf8.h"

namespace pathwright {

namespace {
std::string NativePath(const std::wstring& path) { return EncodeUtf8(path); }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}
}  // namespace

IoResult IoResult::FromSystemError(int code) {
  return IoResult{code, DecodeUtf8(std::strerror(code))};
}

namespace {
// Collects small pieces into one buffer so the file gets few, large writes.
class FdSink final : public ByteSink {
 public:
  explicit FdSink(int fd) : m_fd(fd) { m_buffer.reserve(kCapacity); }
  void Write(std::string_view bytes) override {
    if (m_error) return;
    if (m_buffer.size() + bytes.size() > kCapacity) {
      Flush();
      if (bytes.size() >= kCapacity) {
        if (!m_error && !WriteAll(m_fd, bytes)) m_error = errno;
        return;
      }
    }
    m_buffer.append(bytes);
  }
  // The first error of any write, or 0.
  int Finish() {
    Flush();
    return m_error;
  }

 private:
  static constexpr size_t kCapacity = 1 << 16;
  void Flush() {
    if (!m_error && !m_buffer.empty() && !WriteAll(m_fd, m_buffer)) m_error = errno;
    m_buffer.clear();
  }
  int m_fd;
  int m_error = 0;
  std::string m_buffer;
};
}  // namespace

IoResult ReplaceFileAtomically(const std::wstring& path, std::string_view bytes) {
  return ReplaceFileAtomically(path, [bytes](ByteSink& sink) { sink.Write(bytes); });
}

IoResult ReplaceFileAtomically(const std::wstring& path, const std::function<void(ByteSink&)>& produce) {
  if (path.empty()) return IoResult::FromSystemError(ENOENT);
  const std::string target = NativePath(path);

  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return IoResult::FromSystemError(EACCES);  // root would otherwise write over a read-only sheet
  }
  if (existed && S_ISDIR(old.st_mode)) return IoResult::FromSystemError(EISDIR);

  std::string temp = target + ".pathwright-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return IoResult::FromSystemError(errno);

  FdSink sink(fd);
  produce(sink);
  int error = sink.Finish();
  if (!error && ::fsync(fd) != 0) error = errno;
  if (!error && existed) ::fchmod(fd, old.st_mode & 07777);
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temp.c_str());
    return IoResult::FromSystemError(error);
  }
  return {};
}

IoResult ReadFileBytes(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return IoResult::FromSystemError(errno);
  // Room for the whole file up front, so the bytes are not copied again and again as they grow.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return IoResult::FromSystemError(error);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return {};
}

bool PathExists(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0;
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

bool IsFolder(const std::wstring& path) {
  struct stat st {};
  return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

IoResult CreateFolders(const std::wstring& folder) {
  if (folder.empty() || IsFolder(folder)) return {};
  const size_t slash = folder.find_last_of(L'/');
  if (slash != std::wstring::npos && slash > 0) {
    const size_t end = folder.find_last_not_of(L'/', slash);
    if (end != std::wstring::npos) {
      if (IoResult parent = CreateFolders(folder.substr(0, end + 1)); !parent) return parent;
    }
  }
  if (::mkdir(NativePath(folder).c_str(), 0777) == 0) return {};
  const int error = errno;
  if (error == EEXIST && IsFolder(folder)) return {};
  return IoResult::FromSystemError(error);
}

}  // namespace pathwright
