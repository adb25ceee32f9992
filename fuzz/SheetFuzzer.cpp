// Any bytes as a user property sheet. Whatever loads must save (unless a list holds a character
// XML does not allow, which is refused), and the saved sheet must load again with the same seven
// lists the record held after the save.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Utf8.h"
#include "model/DirectorySettings.h"

namespace {
std::string ScratchFolder() {
  // Memory-backed when the system has one: the fuzzer writes two files per input.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(base) + "/pathwright-fuzz-" + std::to_string(getpid());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    std::string name = ScratchFolder();
    std::system(("mkdir -p '" + name + "'").c_str());
    return name;
  }();
  const std::string in = folder + "/in.props";
  const std::string out = folder + "/out.props";
  if (FILE* file = std::fopen(in.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  } else {
    std::abort();
  }

  pathwright::DirectorySettings first;
  first.m_path = pathwright::DecodeUtf8(in);
  if (!first.LoadSheet()) return 0;
  first.m_path = pathwright::DecodeUtf8(out);
  std::remove(out.c_str());
  if (pathwright::FindForbiddenInLists(first.m_lists)) {
    // A list MSBuild could not read is refused, and nothing is written.
    if (first.SaveSheet() || std::fopen(out.c_str(), "rb")) std::abort();
    return 0;
  }
  if (!first.SaveSheet()) std::abort();

  pathwright::DirectorySettings second;
  second.m_path = first.m_path;
  if (!second.LoadSheet()) std::abort();
  if (second.m_lists != first.m_lists) std::abort();
  return 0;
}
