// Scratch folders and byte-exact files, shared by every test program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "base/Handle.h"
#endif

namespace pathwright::testing {

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Root() const { return m_root; }
  std::filesystem::path Path(const std::filesystem::path& name) const { return m_root / name; }
  std::wstring WidePath(const std::filesystem::path& name) const { return Path(name).wstring(); }

 private:
  std::filesystem::path m_root;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

#ifdef _WIN32
// Opens the file without sharing, as an editor or a virus scanner might: while the handle lives,
// writing the file or replacing it fails.
UniqueFile HoldWithoutSharing(const std::filesystem::path& path);
#endif

}  // namespace pathwright::testing
