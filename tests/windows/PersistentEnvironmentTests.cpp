// The environment a program started afresh gets: Windows' own variables, the system's, then the
// user's from the registry, merged and expanded as Windows does it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Utf8.h"
#include "win/PersistentEnvironment.h"

namespace pathwright {
namespace {

using Entries = std::vector<std::wstring>;

TEST(PersistentEnvironment, MergesAsWindowsDoes) {
  const std::vector<EnvironmentEntry> builtIn = {{L"SystemRoot", L"C:\\Windows"},
                                                    {L"USERPROFILE", L"C:\\Users\\me"}};
  const RegistryString systemPath = {L"Path", L"%SystemRoot%\\system32;", true};
  const struct {
    const char* name;
    std::vector<RegistryString> system, user;
    Entries entries;
  } cases[] = {
      {"user replaces system, in any case",
       {{L"TOOLS", L"C:\\a"}},
       {{L"tools", L"D:\\b"}},
       {L"SystemRoot=C:\\Windows", L"tools=D:\\b", L"USERPROFILE=C:\\Users\\me"}},
      {"user Path appended to the system's, each expanded",
       {systemPath},
       {{L"PATH", L"%USERPROFILE%\\bin", true}},
       {L"Path=C:\\Windows\\system32;C:\\Users\\me\\bin", L"SystemRoot=C:\\Windows", L"USERPROFILE=C:\\Users\\me"}},
      {"user Path alone",
       {},
       {{L"Path", L"D:\\bin"}},
       {L"Path=D:\\bin", L"SystemRoot=C:\\Windows", L"USERPROFILE=C:\\Users\\me"}},
      {"other lists are replaced",
       {{L"PATHEXT", L".COM;.EXE"}},
       {{L"PATHEXT", L".PY"}},
       {L"PATHEXT=.PY", L"SystemRoot=C:\\Windows", L"USERPROFILE=C:\\Users\\me"}},
      {"plain values first, so an expandable one may name a later one",
       {{L"A", L"%B%\\x", true}, {L"B", L"C:\\b"}},
       {},
       {L"A=C:\\b\\x", L"B=C:\\b", L"SystemRoot=C:\\Windows", L"USERPROFILE=C:\\Users\\me"}},
      {"user values see the user's plain ones",
       {{L"TOOLS", L"C:\\t"}},
       {{L"BIN", L"%TOOLS%\\bin", true}, {L"TOOLS", L"D:\\t"}},
       {L"BIN=D:\\t\\bin", L"SystemRoot=C:\\Windows", L"TOOLS=D:\\t", L"USERPROFILE=C:\\Users\\me"}},
      {"plain values are not expanded",
       {{L"RAW", L"%SystemRoot%"}},
       {},
       {L"RAW=%SystemRoot%", L"SystemRoot=C:\\Windows", L"USERPROFILE=C:\\Users\\me"}},
      {"an empty value sets nothing",
       {{L"TOOLS", L"C:\\a"}},
       {{L"TOOLS", L""}, {L"EMPTY", L"%NOPE%", false}},
       {L"EMPTY=%NOPE%", L"SystemRoot=C:\\Windows", L"TOOLS=C:\\a", L"USERPROFILE=C:\\Users\\me"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MergePersistentEnvironment(builtIn, c.system, c.user).Entries(), c.entries) << c.name;
  }
}

TEST(PersistentEnvironment, ExpandsLikeTheSystem) {
  const EnvironmentBlock environment = {{{L"A", L"1"}, {L"Long Name", L"2"}}};
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"%a%\\x", L"1\\x"},     {L"%A%%Long Name%", L"12"}, {L"%NOPE%A%", L"%NOPE%A%"}, {L"%NOPE%%A%", L"%NOPE%1"},
      {L"100%", L"100%"},       {L"%%", L"%%"},             {L"%%A%", L"%%A%"},
      {L"no names", L"no names"}, {L"", L""},
  };
  for (const auto& [text, expanded] : cases) {
    EXPECT_EQ(ExpandVariables(text, environment), expanded) << EncodeUtf8(text);
    wchar_t system[64] = {};
    ::SetEnvironmentVariableW(L"A", L"1");
    ::SetEnvironmentVariableW(L"Long Name", L"2");
    ::ExpandEnvironmentStringsW(text, system, 64);
    EXPECT_EQ(std::wstring(system), expanded) << "as the system does: " << EncodeUtf8(text);
  }
  ::SetEnvironmentVariableW(L"A", nullptr);
  ::SetEnvironmentVariableW(L"Long Name", nullptr);
}

// A variable of this process alone is no candidate; one in the user's registry key is, expanded.
TEST(PersistentEnvironment, ReadsTheRegistryNotTheProcess) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Environment", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t value[] = L"%SystemRoot%\\pathwright";
  ::RegSetValueExW(key, L"PATHWRIGHT_SAVED", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
  ::SetEnvironmentVariableW(L"PATHWRIGHT_SHELL_ONLY", L"C:\\shell");
  const EnvironmentBlock environment = ReadPersistentEnvironment();
  ::RegDeleteValueW(key, L"PATHWRIGHT_SAVED");
  ::RegCloseKey(key);
  ::SetEnvironmentVariableW(L"PATHWRIGHT_SHELL_ONLY", nullptr);

  wchar_t windows[MAX_PATH] = {};
  ::GetEnvironmentVariableW(L"SystemRoot", windows, MAX_PATH);
  EXPECT_EQ(environment.Find(L"pathwright_saved").value_or(L"(none)"), std::wstring(windows) + L"\\pathwright");
  EXPECT_FALSE(environment.Find(L"PATHWRIGHT_SHELL_ONLY"));
  const std::wstring path = environment.Find(L"PATH").value_or(L"");
  EXPECT_NE(path.find(L"system32"), std::wstring::npos) << EncodeUtf8(path);
  EXPECT_EQ(path.find(L'%'), std::wstring::npos) << EncodeUtf8(path);
}

}  // namespace
}  // namespace pathwright
