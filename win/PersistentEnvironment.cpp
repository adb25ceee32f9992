#include "win/PersistentEnvironment.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

#include "win/Handle.h"

namespace pathwright {

namespace {
// What Windows puts into every new program's environment before it reads the registry. They
// describe this machine and this user's profile, so the process's own values stand for them.
constexpr const wchar_t* kBuiltInNames[] = {
    L"ALLUSERSPROFILE", L"APPDATA",     L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"CommonProgramW6432",
    L"COMPUTERNAME",    L"HOMEDRIVE",   L"HOMEPATH",           L"LOCALAPPDATA",            L"LOGONSERVER",
    L"ProgramData",     L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",            L"PUBLIC",
    L"SystemDrive",     L"SystemRoot",  L"USERDOMAIN",         L"USERNAME",                L"USERPROFILE",
};

// Lists whose user part Windows appends to the system's instead of replacing it.
constexpr const wchar_t* kAppendedNames[] = {L"Path", L"LibPath", L"Os2LibPath"};

EnvironmentEntry* Lookup(EnvironmentBlock& block, std::wstring_view name) {
  for (EnvironmentEntry& variable : block.variables) {
    if (EnvironmentBlock::SameName(variable.name, name)) return &variable;
  }
  return nullptr;
}

void Set(EnvironmentBlock& block, const std::wstring& name, std::wstring value, bool append) {
  if (value.empty()) return;
  EnvironmentEntry* existing = Lookup(block, name);
  if (!existing) {
    block.variables.push_back({name, std::move(value)});
  } else if (append && !existing->value.empty()) {
    if (existing->value.back() != L';') existing->value += L';';
    existing->value += value;
  } else {
    *existing = {name, std::move(value)};
  }
}

void SetAll(EnvironmentBlock& block, const std::vector<RegistryString>& values, bool appendLists) {
  // Plain values first, so an expandable one may name a plain one listed after it.
  for (const bool expanded : {false, true}) {
    for (const RegistryString& value : values) {
      if (value.expand != expanded) continue;
      const bool append =
          appendLists && std::any_of(std::begin(kAppendedNames), std::end(kAppendedNames),
                                     [&](const wchar_t* name) { return EnvironmentBlock::SameName(value.name, name); });
      Set(block, value.name, expanded ? ExpandVariables(value.value, block) : value.value, append);
    }
  }
}

std::wstring UpperCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

std::vector<RegistryString> ReadStrings(HKEY root, const wchar_t* path) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return {};
  const UniqueRegistryKey key(opened);
  std::vector<RegistryString> strings;
  DWORD longestName = 0, largestData = 0;
  for (DWORD index = 0, retries = 0;;) {
    if (index == 0 || retries > 0) {
      if (::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                             &largestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return strings;
      }
    }
    std::wstring name(longestName + 1, L'\0');
    std::wstring data(largestData / sizeof(wchar_t) + 1, L'\0');
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataBytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    const LSTATUS status = ::RegEnumValueW(key.Get(), index, name.data(), &nameLength, nullptr, &type,
                                           reinterpret_cast<BYTE*>(data.data()), &dataBytes);
    if (status == ERROR_MORE_DATA && retries < 3) {  // a value grew while it was read: ask its size again
      ++retries;
      continue;
    }
    retries = 0;
    ++index;
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
    data.resize(dataBytes / sizeof(wchar_t));
    // Stored strings usually end with a terminator, which is no part of the value.
    if (const size_t end = data.find(L'\0'); end != std::wstring::npos) data.resize(end);
    strings.push_back({name.substr(0, nameLength), std::move(data), type == REG_EXPAND_SZ});
  }
  return strings;
}
}  // namespace

std::wstring ExpandVariables(std::wstring_view text, const EnvironmentBlock& environment) {
  std::wstring out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find(L'%', at);
    const size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) {
      out.append(text.substr(at));
      break;
    }
    out.append(text.substr(at, open - at));
    const std::wstring_view name = text.substr(open + 1, close - open - 1);
    if (const std::optional<std::wstring> value = name.empty() ? std::nullopt : environment.Find(name)) {
      out += *value;
      at = close + 1;
    } else {
      out.append(text.substr(open, close - open + 1));  // "%NOPE%" stands whole, as the system leaves it
      at = close + 1;
    }
  }
  return out;
}

EnvironmentBlock MergePersistentEnvironment(std::vector<EnvironmentEntry> builtIn,
                                            const std::vector<RegistryString>& system,
                                            const std::vector<RegistryString>& user) {
  EnvironmentBlock block;
  for (EnvironmentEntry& variable : builtIn) Set(block, variable.name, std::move(variable.value), false);
  SetAll(block, system, false);
  SetAll(block, user, true);
  std::stable_sort(block.variables.begin(), block.variables.end(),
                   [](const EnvironmentEntry& a, const EnvironmentEntry& b) {
                     return UpperCase(a.name) < UpperCase(b.name);
                   });
  return block;
}

EnvironmentBlock ReadPersistentEnvironment() {
  std::vector<EnvironmentEntry> builtIn;
  for (const wchar_t* name : kBuiltInNames) {
    std::wstring value(MAX_PATH, L'\0');
    DWORD length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length >= value.size()) {
      value.resize(length);
      length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    }
    if (length == 0 || length >= value.size()) continue;
    value.resize(length);
    builtIn.push_back({name, std::move(value)});
  }
  return MergePersistentEnvironment(
      std::move(builtIn),
      ReadStrings(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"),
      ReadStrings(HKEY_CURRENT_USER, L"Environment"));
}

}  // namespace pathwright
