// Any bytes as the settings file. What was read, written back, reads back the same whenever the
// language name is one line that fits the reader's limit.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lang/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const pathwright::Settings read = pathwright::ParseSettings(bytes);
  if (read.option != 0 && read.option != 1) std::abort();

  const std::wstring& name = read.language;
  if (name.size() >= 500 || name.find_first_of(L"\r\n") != std::wstring::npos) return 0;
  const pathwright::Settings again = pathwright::ParseSettings(pathwright::FormatSettings(name, read.option));
  if (again.language != name || again.option != read.option) std::abort();
  return 0;
}
