// The floor for `pathwright-cli set` on a sheet: pugixml loads the sheet, saves it into memory and
// replaces the file the plainest safe way (a temporary file beside it, flushed, renamed over it).
// No lock, no comparison, no checks: what any careful program built on pugixml has to pay.
//   pathwright_plain_set SHEET
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <pugixml.hpp>

namespace pathwright::bench {

bool PlainLoadSaveReplace(const char* sheet) {
  pugi::xml_document doc;
  if (!doc.load_file(sheet, pugi::parse_default | pugi::parse_declaration, pugi::encoding_auto)) return false;
  struct Collect final : pugi::xml_writer {
    std::string bytes;
    void write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), size); }
  } out;
  doc.save(out, L"\t", pugi::format_default, pugi::encoding_auto);
  const std::string temp = std::string(sheet) + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = ::write(fd, out.bytes.data(), out.bytes.size()) == static_cast<ssize_t>(out.bytes.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  return ok && ::rename(temp.c_str(), sheet) == 0;
}

}  // namespace pathwright::bench

#ifndef PATHWRIGHT_PLAIN_SET_NO_MAIN
int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pathwright_plain_set SHEET\n");
    return 2;
  }
  return pathwright::bench::PlainLoadSaveReplace(argv[1]) ? 0 : 1;
}
#endif
