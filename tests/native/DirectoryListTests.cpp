// Directory kinds, list split and join, the edits of a list, and environment variables in the
// entries of a list.
#include <gtest/gtest.h>

#include <map>

#include "model/DirectoryKinds.h"
#include "model/DirectoryList.h"
#include "model/EnvironmentPaths.h"
#include "model/ListEdits.h"

namespace pathwright {
namespace {

TEST(DirectoryList, SplitAndJoin) {
  const struct {
    std::wstring list;
    std::vector<std::wstring> entries;
    std::wstring joined;
  } cases[] = {
      {L"", {}, L""},
      {L";", {L""}, L""},
      {L";;", {L"", L""}, L";"},
      {L"C:\\a", {L"C:\\a"}, L"C:\\a"},
      {L"C:\\a;;C:\\b", {L"C:\\a", L"", L"C:\\b"}, L"C:\\a;;C:\\b"},
      {L"C:\\a;C:\\b;", {L"C:\\a", L"C:\\b"}, L"C:\\a;C:\\b"},  // a final ";" gives no entry
      {L";C:\\a", {L"", L"C:\\a"}, L";C:\\a"},
      {L"C:\\a ; C:\\b", {L"C:\\a ", L" C:\\b"}, L"C:\\a ; C:\\b"},
      {L"x;x", {L"x", L"x"}, L"x;x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitEntries(c.list), c.entries) << c.list.size();
    EXPECT_EQ(JoinEntries(c.entries), c.joined);
  }
}

// A list too long for its line is cut after a whole entry; each character is one unit wide here.
TEST(DirectoryList, CutAtEntry) {
  const struct {
    const char* name;
    std::wstring list;
    size_t width;
    std::wstring shown;
  } cases[] = {
      {.name = "fits whole", .list = L"C:\\a;C:\\b", .width = 9, .shown = L"C:\\a;C:\\b"},
      {.name = "one entry is never cut", .list = L"C:\\long", .width = 3, .shown = L"C:\\long"},
      {.name = "the first entry stays", .list = L"C:\\long;D", .width = 3, .shown = L"C:\\long;\x2026"},
      {.name = "cut at the last fitting entry", .list = L"A;BB;CCC;D", .width = 7, .shown = L"A;BB;\x2026"},
      {.name = "the ellipsis counts", .list = L"A;BB;CCC;D", .width = 5, .shown = L"A;\x2026"},
      {.name = "a final \";\" is no entry", .list = L"AAAA;", .width = 4, .shown = L"AAAA;"},
      {.name = "empty entries are entries", .list = L"A;;;BBBBBB", .width = 5, .shown = L"A;;;\x2026"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutAtEntry(c.list, [&](const std::wstring& text) { return text.size() <= c.width; }), c.shown) << c.name;
  }
}

// set, add and remove as the command line offers them, and what each tells it changed.
TEST(ListEdits, SetAddRemove) {
  using Edit = ListChange (*)(std::wstring&, const std::wstring&);
  const struct {
    const char* name;
    Edit edit;
    std::wstring list, value, after;
    std::vector<std::wstring> added = {}, removed = {};
  } rows[] = {
      {"set keeps what it is given", SetList, L"C:\\a", L"M;N;", L"M;N;", {L"M", L"N"}, {L"C:\\a"}},
      {"set to nothing", SetList, L"C:\\a", L"", L"", {}, {L"C:\\a"}},
      {"add after a final ;", AddEntry, L"C:\\a;", L"D:\\b", L"C:\\a;D:\\b", {L"D:\\b"}},
      {"add a folder already there, as Windows compares folders", AddEntry, L"C:\\Foo;", L"c:\\FOO\\", L"C:\\Foo;"},
      {"add a folder that only starts the same", AddEntry, L"C:\\Foo", L"C:\\Fo", L"C:\\Foo;C:\\Fo", {L"C:\\Fo"}},
      {"remove every equal entry, empty ones stay", RemoveEntry, L"C:\\a;D:\\b;C:\\a;;E:\\c;", L"C:\\a",
       L"D:\\b;;E:\\c", {}, {L"C:\\a", L"C:\\a"}},
      {"remove the empty entries", RemoveEntry, L"C:\\a;;D:\\b;;", L"", L"C:\\a;D:\\b", {}, {L"", L""}},
      {"remove as Windows compares folders", RemoveEntry, L"C:\\Foo;c:\\FOO\\;C:\\Foo2", L"c:\\foo", L"C:\\Foo2", {},
       {L"C:\\Foo", L"c:\\FOO\\"}},
      {"remove what is not there: nothing changes, a final ; stays", RemoveEntry, L"C:\\a;", L"C:\\b", L"C:\\a;"},
  };
  for (const auto& row : rows) {
    std::wstring list = row.list;
    const ListChange change = row.edit(list, row.value);
    EXPECT_EQ(list, row.after) << row.name;
    EXPECT_EQ(change.added, row.added) << row.name;
    EXPECT_EQ(change.removed, row.removed) << row.name;
    EXPECT_EQ(change.changed, row.after != row.list) << row.name;
  }
}

// apply's reconcile: entries are told apart by the folder they name, expanded with the sheet's and
// the environment's properties, in any letter case, a final separator aside.
TEST(ListEdits, ReconcileEnsureAndExact) {
  const PropertyLookup properties = [](const std::wstring& name) -> std::optional<std::wstring> {
    if (name == L"QT") return L"C:\\Qt";
    return std::nullopt;
  };
  using enum ReconcileMode;
  const struct {
    const char* name;
    ReconcileMode mode;
    std::wstring list;
    std::vector<std::wstring> wanted;
    std::wstring after;
    std::vector<std::wstring> added = {}, removed = {};
  } rows[] = {
      {"ensure appends the missing", kEnsure, L"C:\\a", {L"C:\\b", L"c:\\A\\"}, L"C:\\a;C:\\b", {L"C:\\b"}},
      {"ensure: the same folder through a property", kEnsure, L"$(QT)\\include", {L"c:\\qt\\INCLUDE"},
       L"$(QT)\\include"},
      {"ensure: each wanted folder once", kEnsure, L"", {L"C:\\b", L"C:/b/"}, L"C:\\b", {L"C:\\b"}},
      {"exact drops the others", kExact, L"C:\\a;C:\\b;C:\\a", {L"C:\\b", L"D:\\n"}, L"C:\\b;D:\\n", {L"D:\\n"},
       {L"C:\\a", L"C:\\a"}},
      {"exact: order and spelling are a change too", kExact, L"C:\\b;C:\\a", {L"c:\\a", L"C:\\b"}, L"c:\\a;C:\\b"},
      {"exact, as it is", kExact, L"C:\\a;C:\\b", {L"C:\\a", L"C:\\b"}, L"C:\\a;C:\\b"},
  };
  for (const auto& row : rows) {
    std::wstring list = row.list;
    const ListChange change = Reconcile(list, row.wanted, row.mode, properties);
    EXPECT_EQ(list, row.after) << row.name;
    EXPECT_EQ(change.added, row.added) << row.name;
    EXPECT_EQ(change.removed, row.removed) << row.name;
    EXPECT_EQ(change.changed, row.after != row.list) << row.name;
  }
}

TEST(DirectoryKinds, Names) {
  EXPECT_EQ(ComposedPathValue(1), L"$(UserInclude);$(IncludePath)");
  EXPECT_EQ(ComposedPathValue(4), L"$(UserWPath);$(LibraryWPath)");
  const std::pair<const wchar_t*, int> names[] = {
      {L"include", 1},   {L"INCLUDE", 1},      {L"UserInclude", 1},   {L"includepath", 1}, {L"winrt", 4},
      {L"UserWPath", 4}, {L"LibraryWPath", 4}, {L"UserLibraryW", -1}, {L"", -1},           {L"includes", -1},
  };
  for (auto [name, kind] : names) EXPECT_EQ(KindFromName(name), kind) << kind;
}

TEST(SubstituteEnvironment, TheLongestWholeFolderOfAVariableMsBuildCanUse) {
  const struct {
    const char* name;
    std::vector<std::wstring> environment;
    std::wstring picked, expected;
  } cases[] = {
      {"prefix in another case, rest keeps its case",
       {L"TOOLS=D:\\Tools\\"},
       L"D:\\TOOLS\\lib\\x64",
       L"$(TOOLS)\\lib\\x64"},
      {"the folder itself", {L"TOOLS=D:\\Tools\\"}, L"D:\\Tools", L"$(TOOLS)"},
      {"the folder with a final backslash", {L"TOOLS=D:\\Tools"}, L"D:\\Tools\\", L"$(TOOLS)\\"},
      {"no folder boundary, no match", {L"TOOLS=D:\\Tools\\"}, L"D:\\Tools2\\x", L"D:\\Tools2\\x"},
      {"several trailing backslashes", {L"T=D:\\Tools\\\\\\"}, L"D:\\Tools\\a", L"$(T)\\a"},
      {"inside the path is not a prefix", {L"T=C:\\x"}, L"D:\\C:\\x", L"D:\\C:\\x"},
      {"a drive root alone never qualifies", {L"SYS=C:\\", L"R2=C:\\\\"}, L"C:\\Windows", L"C:\\Windows"},
      {"a drive without backslash never qualifies", {L"D=C:"}, L"C:\\a", L"C:\\a"},
      {"several drive paths never qualify", {L"P=C:\\a;D:\\b", L"Q=C:\\a"}, L"C:\\a\\b", L"$(Q)\\b"},
      {"the longest value wins, whatever the order",
       {L"ZZTOP=C:\\Tools", L"AATOP=C:\\Tools\\lib"},
       L"C:\\Tools\\lib\\x",
       L"$(AATOP)\\x"},
      {"equally long: the name first in ordinal order", {L"b=C:\\x", L"B=c:\\X", L"a=C:\\x"}, L"C:\\x\\y", L"$(B)\\y"},
      {"names MSBuild cannot evaluate",
       {L"ProgramFiles(x86)=C:\\P", L"1ST=C:\\P", L"A-B=C:\\P", L"\u00C9=C:\\P"},
       L"C:\\P\\x",
       L"C:\\P\\x"},
      {"values that differ with the bitness",
       {L"ProgramFiles=C:\\PF", L"commonprogramfiles=C:\\PF\\C", L"_W64=C:\\PF"},
       L"C:\\PF\\C\\x",
       L"$(_W64)\\C\\x"},
      {"letter case of all of Unicode",
       {L"U=C:\\\u00FCber", L"G=D:\\\u03A3\u039F\u03A6\u0399\u0391"},
       L"C:\\\u00DCBER\\x",
       L"$(U)\\x"},
      {"Greek", {L"G=D:\\\u03A3\u039F\u03A6\u0399\u0391"}, L"d:\\\u03C3\u03BF\u03C6\u03B9\u03B1\\1", L"$(G)\\1"},
      {"colon in the wrong place", {L"U=\\\\srv\\C:\\x", L"V=xC:\\a"}, L"C:\\a", L"C:\\a"},
      {"name spelled as in the environment", {L"Tools_Dir=e:\\t"}, L"E:\\T\\q", L"$(Tools_Dir)\\q"},
      {"entries without a name are skipped", {L"=C:=C:\\w", L"W=C:\\w"}, L"C:\\w\\1", L"$(W)\\1"},
      {"nothing matches", {L"PATH=C:\\bin;C:\\x", L"HOME=/root"}, L"C:\\q", L"C:\\q"},
  };
  for (const auto& c : cases) { EXPECT_EQ(SubstituteEnvironment(c.picked, c.environment), c.expected) << c.name; }
}

TEST(LowerCase, SimpleMappingsOfTheBasicMultilingualPlane) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"AZaz09\\:", L"azaz09\\:"},
      {L"\u00C0\u00DE\u00DF\u00FF", L"\u00E0\u00FE\u00DF\u00FF"},
      {L"\u0100\u0101\u0130", L"\u0101\u0101i"},  // alternating runs; dotted I loses only its case
      {L"\u01C4\u01C5\u1E9E", L"\u01C6\u01C6\u00DF"},
      {L"\u0416\u0531\uFF21", L"\u0436\u0561\uFF41"},
  };
  for (const auto& [text, lower] : cases) EXPECT_EQ(LowerCase(text), lower);
}

TEST(ExpandLeadingReference, ChangeOpensOnTheExpandedFolder) {
  const std::map<std::wstring, std::wstring> env = {
      {L"TOOLS", L"D:\\Tools"}, {L"TRAIL", L"C:\\Tools\\"}, {L"ROOT", L"C:\\"}, {L"", L"empty-name"}};
  auto lookup = [&](const std::wstring& name) -> std::optional<std::wstring> {
    auto it = env.find(name);
    if (it == env.end()) return std::nullopt;
    return it->second;
  };
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"$(TOOLS)\\lib", L"D:\\Tools\\lib"}, {L"$(TOOLS)\\a;$(TOOLS)\\b", L"D:\\Tools\\a;D:\\Tools\\b"},
      {L"$(UNSET)\\lib", L"\\lib"},          {L"$(TOOLS\\lib", L"$(TOOLS\\lib"},
      {L"C:\\$(TOOLS)", L"C:\\$(TOOLS)"},    {L"$(TOOLS)$(OTHER)", L"D:\\Tools$(OTHER)"},
      {L"$(TRAIL)\\lib", L"C:\\Tools\\lib"}, {L"$(ROOT)\\lib", L"C:\\lib"},  // one backslash between
      {L"$(TRAIL)lib", L"C:\\Tools\\lib"},   {L"", L""},
  };
  for (const auto& [entry, expected] : cases) EXPECT_EQ(ExpandLeadingReference(entry, lookup), expected);
}

}  // namespace
}  // namespace pathwright
