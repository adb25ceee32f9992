// A scratch folder per test and byte-exact file helpers, shared by the core tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pathwright::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    static int counter = 0;
    m_path = std::filesystem::temp_directory_path() /
             ("pathwright-test-" + std::to_string(Pid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::filesystem::path Path(const std::string& name) const { return m_path / name; }
  std::wstring WidePath(const std::string& name) const { return Path(name).wstring(); }
  const std::filesystem::path& Root() const { return m_path; }

 private:
  static long Pid();
  std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace pathwright::testing
