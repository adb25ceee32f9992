#include "base/Environment.h"

#include <stdlib.h>

#include <cstdlib>

#ifndef _WIN32
#include "base/Utf8.h"

extern char** environ;
#endif

namespace pathwright {

std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(name.c_str());
  if (!value) return std::nullopt;
  return std::wstring(value);
#else
  const char* value = std::getenv(EncodeUtf8(name).c_str());
  if (!value) return std::nullopt;
  return DecodeUtf8(value);
#endif
}

std::vector<std::wstring> EnvironmentEntries() {
  std::vector<std::wstring> entries;
#ifdef _WIN32
  // The C runtime builds its wide table on first demand when the program did not start through wmain.
  if (!_wenviron) _wgetenv(L"PATH");
  if (!_wenviron) return entries;
  for (wchar_t** entry = _wenviron; *entry; ++entry) entries.emplace_back(*entry);
#else
  for (char** entry = environ; entry && *entry; ++entry) entries.push_back(DecodeUtf8(*entry));
#endif
  return entries;
}

}  // namespace pathwright
