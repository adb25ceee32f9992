#include <gtest/gtest.h>

#include <map>

#include "model/MsBuildEvaluator.h"

namespace pathwright {
namespace {

// One definition a line, "Name := value" or "Name ? condition := value"; "--" or "-- condition"
// starts a group. Each definition's place is its line.
std::vector<PropertyDefinition> Sheet(std::wstring_view text) {
  std::vector<PropertyDefinition> definitions;
  size_t group = 0;
  std::wstring groupCondition;
  int line = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find(L'\n', start), text.size());
    const std::wstring_view row = text.substr(start, end - start);
    start = end + 1;
    ++line;
    if (row.starts_with(L"--")) {
      ++group;
      groupCondition = row.size() > 3 ? std::wstring(row.substr(3)) : L"";
      continue;
    }
    const size_t assign = row.find(L" := ") != std::wstring_view::npos ? row.find(L" := ") : row.find(L" :=");
    const std::wstring_view head = row.substr(0, assign);
    const size_t ask = head.find(L" ? ");
    definitions.push_back({.name = std::wstring(head.substr(0, ask)),
                           .value = std::wstring(row.substr(std::min(assign + 4, row.size()))),
                           .condition = ask == std::wstring_view::npos ? L"" : std::wstring(head.substr(ask + 3)),
                           .groupCondition = groupCondition,
                           .group = group,
                           .place = {.file = L"sheet.props", .line = line}});
  }
  return definitions;
}

const std::map<std::wstring, std::wstring> kEnvironment = {
    {L"PATHS", L"C:\\e1;C:\\e2"},  {L"LITERAL", L"C:\\100%28"},
    {L"SELF", L"$(BOOST)"},        {L"VCInstallDir", L"C:\\from-environment"},
    {L"SHADOWED", L"environment"},
};

EvaluationContext Context(std::map<std::wstring, std::wstring> global = {}) {
  return {
      .global = [global](const std::wstring& name) -> std::optional<std::wstring> {
        if (auto found = global.find(name); found != global.end()) return found->second;
        return std::nullopt;
      },
      .environment = [](const std::wstring& name) -> std::optional<std::wstring> {
        if (auto found = kEnvironment.find(name); found != kEnvironment.end()) return found->second;
        return std::nullopt;
      },
      .exists = [](const std::wstring& path) { return path == L"C:\\dir\\x.props"; },
  };
}

std::wstring Shown(Truth truth) {
  return truth == Truth::kTrue ? L"true" : truth == Truth::kFalse ? L"false" : L"unknown";
}

TEST(MsBuildEvaluator, Conditions) {
  struct Row {
    const char* name;
    std::wstring condition;
    std::wstring sheet = L"";
    std::wstring expected = L"true";
  };
  const Row rows[] = {
      {.name = "no condition", .condition = L""},
      {.name = "strings compare after expansion, in any case",
       .condition = L"'$(Config)|$(Plat)'=='debug|X64'",
       .sheet = L"Config := Debug\nPlat := x64"},
      {.name = "!=", .condition = L"'$(A)' != 'a'", .sheet = L"A := A", .expected = L"false"},
      {.name = "and binds tighter than or (left)", .condition = L"'a'=='b' and 'a'=='b' or 'a'=='a'"},
      {.name = "and binds tighter than or (right)", .condition = L"'a'=='a' or 'a'=='b' and 'a'=='b'"},
      {.name = "parentheses", .condition = L"('a'=='a' OR 'a'=='b') AND 'a'=='b'", .expected = L"false"},
      {.name = "not", .condition = L"!('a'=='b') and !Exists('C:\\gone') and !false"},
      {.name = "quotes hide operators", .condition = L"'x and y'=='X AND Y' and 'a or b' != 'a'"},
      {.name = "unquoted operands",
       .condition = L"$(Config)==Debug and $(Flag)",
       .sheet = L"Config := Debug\nFlag := On"},
      {.name = "an unknown property is empty", .condition = L"'$(Nothing)'=='' and !HasTrailingSlash('$(Nothing)')"},
      {.name = "a project's property is unknown here", .condition = L"'$(Platform)'=='x64'", .expected = L"unknown"},
      {.name = "unknown and false", .condition = L"'$(Platform)'=='x64' and false", .expected = L"false"},
      {.name = "unknown or true", .condition = L"'$(VCInstallDir)'=='' or true"},
      {.name = "escapes decoded",
       .condition = L"'$(P)'=='C:\\Program Files (x86)'",
       .sheet = L"P := C:\\Program Files %28x86%29"},
      {.name = "numbers",
       .condition = L"'$(V)' >= '16.0' and '1.10' == '1.1' and 0x10 == 16 and -1 < .5",
       .sheet = L"V := 17"},
      {.name = "versions", .condition = L"'10.0.19041.0' > '10.0.17763.0' and '1.0' < '1.0.0'"},
      {.name = "booleans compare as booleans",
       .condition = L"'$(Flag)' == 'yes' and '!false' == true",
       .sheet = L"Flag := On"},
      {.name = "exists and HasTrailingSlash",
       .condition = L"exists('$(Root)\\x.props') and HasTrailingSlash('$(Root)\\') and !exists('')",
       .sheet = L"Root := C:\\dir"},
      {.name = "a short circuit skips what would be refused", .condition = L"'a'=='a' or 'b' < 'c' or nope('x')"},
      {.name = "white space only", .condition = L"  ", .expected = L"refused"},
      {.name = "single =", .condition = L"'a'='a'", .expected = L"refused"},
      {.name = "dangling and", .condition = L"'a'=='a' and", .expected = L"refused"},
      {.name = "open quote", .condition = L"'a'=='a", .expected = L"refused"},
      {.name = "open parenthesis", .condition = L"('a'=='a'", .expected = L"refused"},
      {.name = "open reference", .condition = L"'$(A'==''", .expected = L"refused"},
      {.name = "unquoted bar", .condition = L"$(A)|$(B)=='|'", .expected = L"refused"},
      {.name = "sizes of words", .condition = L"'abc' < '5'", .expected = L"refused"},
      {.name = "a value that is no boolean", .condition = L"'$(A)'", .sheet = L"A := maybe", .expected = L"refused"},
      {.name = "unknown function", .condition = L"IsDebug('x')", .expected = L"refused"},
      {.name = "two arguments to exists", .condition = L"exists('a', 'b')", .expected = L"refused"},
      {.name = "item lists", .condition = L"'@(Compile)'==''", .expected = L"refused"},
      {.name = "syntax is refused even where skipped", .condition = L"'a'=='a' or 'b' = 'c'", .expected = L"refused"},
  };
  for (const Row& row : rows) {
    PropertyEvaluator evaluator(Context());
    std::vector<EvaluationProblem> problems;
    const std::vector<PropertyDefinition> definitions = Sheet(row.sheet);
    for (size_t i = 0; i < definitions.size(); ++i) evaluator.Define(definitions[i], i, problems);
    const ConditionResult result = evaluator.Condition(row.condition);
    EXPECT_EQ(result.Malformed() ? L"refused" : Shown(result.truth), row.expected) << row.name << ": " << result.error;
  }
}

TEST(MsBuildEvaluator, PropertiesInFileOrder) {
  struct Row {
    const char* name;
    std::wstring sheet;
    std::wstring expected;  // "Name=value" of the last definition's property; "refused" when MSBuild would refuse
    std::map<std::wstring, std::wstring> global{};
  };
  const Row rows[] = {
      {.name = "a later definition wins", .sheet = L"A := 1\nA := 2", .expected = L"A=2"},
      {.name = "self-reference sees the value before", .sheet = L"A := x\nA := $(A);y", .expected = L"A=x;y"},
      {.name = "names ignore case", .sheet = L"foo := 1\nB := $(FOO)", .expected = L"B=1"},
      {.name = "the environment is the fallback",
       .sheet = L"B := $(SHADOWED)\nSHADOWED := mine\nC := $(B)/$(SHADOWED)",
       .expected = L"C=environment/mine"},
      {.name = "values from outside are decoded, not expanded",
       .sheet = L"BOOST := b\nA := $(SELF)|$(LITERAL)",
       .expected = L"A=$(BOOST)|C:\\100("},
      {.name = "Visual Studio's values do not come from the environment",
       .sheet = L"A := [$(VCInstallDir)]",
       .expected = L"A=[]"},
      {.name = "an unclosed reference stays", .sheet = L"A := $(B", .expected = L"A=$(B"},
      {.name = "property functions stay as written",
       .sheet = L"A := $([System.IO.Path]::Combine('a', 'b'))",
       .expected = L"A=$([System.IO.Path]::Combine('a', 'b'))"},
      {.name = "a group's condition is decided where it starts",
       .sheet = L"-- '$(A)'==''\nA := 1\nB := $(A)2",
       .expected = L"B=12"},
      {.name = "an element's condition sees the group so far",
       .sheet = L"A := 1\nB ? '$(A)'=='' := 2",
       .expected = L"B="},
      {.name = "a false group leaves its definitions out", .sheet = L"B := 1\n-- false\nB := 2", .expected = L"B=1"},
      {.name = "an undecided condition leaves it out",
       .sheet = L"A := 1\nA ? '$(Configuration)'=='Debug' := 2",
       .expected = L"A=1"},
      {.name = "a global value is fixed",
       .sheet = L"Platform := Win32\nA ? '$(Platform)'=='x64' := $(Platform)",
       .expected = L"A=x64",
       .global = {{L"Platform", L"x64"}}},
      {.name = "a malformed condition is refused", .sheet = L"A := 1\nA ? '$(A)'='1' := 2", .expected = L"refused"},
  };
  for (const Row& row : rows) {
    const std::vector<PropertyDefinition> definitions = Sheet(row.sheet);
    PropertyEvaluator evaluator(Context(row.global));
    std::vector<EvaluationProblem> problems;
    for (size_t i = 0; i < definitions.size(); ++i) evaluator.Define(definitions[i], i, problems);
    const std::wstring& name = definitions.back().name;
    const std::wstring shown = problems.empty() ? name + L"=" + evaluator.Value(name).value_or(L"") : L"refused";
    EXPECT_EQ(shown, row.expected) << row.name;
  }
}

std::wstring Shown(const SheetEvaluation& evaluation, int kind, const std::vector<PropertyDefinition>& definitions) {
  const KindEvaluation& k = evaluation.kinds[kind];
  const auto line = [&](size_t i) { return L"L" + std::to_wstring(definitions[i].place.line); };
  std::wstring text = k.used ? L"used" : k.unusedNote.empty() ? L"none" : k.unusedNote;
  if (k.list != kNoDefinition) text += L" list=" + line(k.list);
  if (k.use != kNoDefinition) text += L" use=" + line(k.use);
  text += L" [" + k.listValue + L"]";
  for (const EntryInForce& e : k.inForce) {
    constexpr const wchar_t* kOrigins[] = {L"list", L"path", L"other", L"inherited"};
    text += L" " + e.entry->written;
    for (size_t v = 0; v < e.entry->values.size(); ++v) {
      if (e.entry->values != std::vector{e.entry->written}) text += (v == 0 ? L"=" : L"|") + e.entry->values[v];
    }
    for (const std::wstring& unset : e.entry->unset) text += L"?" + unset;
    text += std::wstring(L"<") + kOrigins[static_cast<int>(e.origin)];
    if (e.entry->definition != kNoDefinition) text += L" " + line(e.entry->definition);
    text += L">";
  }
  return text;
}

TEST(MsBuildEvaluator, ListInForceForEachKind) {
  struct Row {
    const char* name;
    std::wstring sheet;
    std::wstring expected;  // for Include Directories
  };
  const Row rows[] = {
      {.name = "the usual sheet",
       .sheet = L"UserInclude := C:\\a; C:\\b\nIncludePath := $(UserInclude);$(IncludePath)",
       .expected = L"used list=L1 use=L2 [C:\\a; C:\\b] C:\\a<list L1> C:\\b<list L1> "
                   L"$(IncludePath)?IncludePath<inherited L2>"},
      {.name = "names in any case",
       .sheet = L"userinclude := C:\\a\nINCLUDEPATH := $(UserInclude)",
       .expected = L"used list=L1 use=L2 [C:\\a] C:\\a<list L1>"},
      {.name = "macro after its use",
       .sheet = L"IncludePath := $(UserInclude);$(IncludePath)\n--\nUserInclude := C:\\a",
       .expected =
           L"defined, but IncludePath does not use it list=L3 use=L1 [C:\\a] $(IncludePath)?IncludePath<inherited L1>"},
      {.name = "not referenced",
       .sheet = L"UserInclude := C:\\a",
       .expected = L"defined, but IncludePath does not use it list=L1 [C:\\a] $(IncludePath)?IncludePath<inherited>"},
      {.name = "only a conditional use",
       .sheet = L"UserInclude := C:\\a\nIncludePath ? '$(X)'=='' := $(UserInclude)",
       .expected = L"defined, but IncludePath does not use it list=L1 [C:\\a] C:\\a<list L1>"},
      {.name = "a later definition replaces the use",
       .sheet = L"UserInclude := C:\\a\nIncludePath := $(UserInclude);$(IncludePath)\nIncludePath := C:\\only",
       .expected = L"defined, but IncludePath does not use it list=L1 use=L2 [C:\\a] C:\\only<path L3>"},
      {.name = "an explicitly empty path property", .sheet = L"IncludePath :=", .expected = L"none []"},
      {.name = "inline, another group, a second definition, MSBuild's order",
       .sheet = L"IncludePath := C:\\qt;$(IncludePath)\n--\nUserInclude := C:\\a\nUserInclude := $(UserInclude);C:\\b\n"
                L"IncludePath := $(UserInclude);C:\\inline;$(IncludePath)",
       .expected =
           L"used list=L4 use=L5 [C:\\a;C:\\b] C:\\a<other L3> C:\\b<list L4> C:\\inline<path L5> C:\\qt<path L1> "
           L"$(IncludePath)?IncludePath<inherited L1>"},
      {.name = "definitions after the use and under an undecided condition do not count",
       .sheet = L"UserInclude := C:\\a\nUserInclude ? '$(Platform)'=='x64' := C:\\x64\nIncludePath := $(UserInclude)\n"
                L"UserInclude := C:\\late",
       .expected = L"used list=L1 use=L3 [C:\\a] C:\\a<list L1>"},
      {.name = "a condition on an unknown property holds",
       .sheet = L"UserInclude ? '$(UserInclude)'=='' := C:\\a\nIncludePath := $(UserInclude)",
       .expected = L"used use=L2 [C:\\a] C:\\a<other L1>"},
      {.name = "values are split, decoded and expanded; Visual Studio's stay unset",
       .sheet = L"BOOST := C:\\boost\nUserInclude := $(BOOST)\\include;$(PATHS);C:\\Program Files "
                L"%28x86%29;$(VC_IncludePath)\n"
                L"IncludePath := $(UserInclude)",
       .expected =
           L"used list=L2 use=L3 [C:\\boost\\include;C:\\e1;C:\\e2;C:\\Program Files (x86);] "
           L"$(BOOST)\\include=C:\\boost\\include<list L2> $(PATHS)=C:\\e1|C:\\e2<list L2> "
           L"C:\\Program Files %28x86%29=C:\\Program Files (x86)<list L2> $(VC_IncludePath)?VC_IncludePath<list L2>"},
  };
  for (const Row& row : rows) {
    const std::vector<PropertyDefinition> definitions = Sheet(row.sheet);
    const SheetEvaluation evaluation = EvaluateSheet(definitions, Context());
    EXPECT_EQ(Shown(evaluation, 1, definitions), row.expected) << row.name;
    EXPECT_FALSE(evaluation.Refused()) << row.name;
  }
}

TEST(MsBuildEvaluator, FoldersCompareAsWindowsDoes) {
  struct Row {
    std::wstring a, b;
    bool same;
  };
  const Row rows[] = {
      {L"C:\\Foo\\", L"c:\\FOO", true},         {L"C:/a/b//", L"c:\\A\\B", true},
      {L"\u00C4\u0391", L"\u00E4\u03B1", true}, {L"C:\\", L"C:", false},
      {L"C:\\foo", L"C:\\foo2", false},         {L"\\\\srv\\share\\", L"\\\\SRV\\Share", true},
  };
  for (const Row& row : rows) EXPECT_EQ(SameFolder(row.a, row.b), row.same) << row.a << L" " << row.b;

  const std::pair<const wchar_t*, PropertyClass> classes[] = {
      {L"VCInstallDir", PropertyClass::kIde},          {L"WindowsSDK_IncludePath", PropertyClass::kIde},
      {L"TargetPlatformVersion", PropertyClass::kIde}, {L"MSBuildExtensionsPath", PropertyClass::kIde},
      {L"LibraryWPath", PropertyClass::kIde},          {L"MSBuildProjectDirectory", PropertyClass::kProject},
      {L"SolutionDir", PropertyClass::kProject},       {L"VCPKG_ROOT", PropertyClass::kOther},
      {L"UserInclude", PropertyClass::kOther},
  };
  for (const auto& [name, expected] : classes) EXPECT_EQ(ClassifyProperty(name), expected) << name;
}

}  // namespace
}  // namespace pathwright
