#include "support/Files.h"

#include <fstream>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace pathwright::testing {

ScratchFolder::ScratchFolder() {
  static int counter = 0;
#ifdef _WIN32
  const long pid = _getpid();
#else
  const long pid = ::getpid();
#endif
  m_root = std::filesystem::temp_directory_path() /
           ("pathwright-test-" + std::to_string(pid) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(m_root);
  std::filesystem::create_directories(m_root);
}

ScratchFolder::~ScratchFolder() {
  // A test may have taken the write permission away; the folder goes all the same.
  std::error_code ignored;
  std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(m_root, ignored);
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return {};
  std::string bytes(std::filesystem::file_size(path, error), '\0');  // sized once: sheets of 100 MB are read too
  std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

#ifdef _WIN32
UniqueFile HoldWithoutSharing(const std::filesystem::path& path) {
  return UniqueFile(
      ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}
#endif

}  // namespace pathwright::testing
