#include "DirectoryKinds.h"

#include "base/Text.h"

namespace pathwright {

const std::array<const wchar_t*, kKindCount> kKindTitles = {
    L"Executable Directories",    L"Include Directories", L"Reference Directories", L"Library Directories",
    L"Library WinRT Directories", L"Source Directories",  L"Exclude Directories",
};
const std::array<const wchar_t*, kKindCount> kUserMacros = {
    L"UserExecutable", L"UserInclude", L"UserReference", L"UserLibrary", L"UserWPath", L"UserSource", L"UserExclude",
};
const std::array<const wchar_t*, kKindCount> kPathProperties = {
    L"ExecutablePath", L"IncludePath", L"ReferencePath", L"LibraryPath", L"LibraryWPath", L"SourcePath", L"ExcludePath",
};

namespace {
const std::array<const wchar_t*, kKindCount> kShortNames = {
    L"executable", L"include", L"reference", L"library", L"winrt", L"source", L"exclude",
};

}  // namespace

std::wstring ComposedPathValue(int kind) {
  return std::wstring(L"$(") + kUserMacros[kind] + L");$(" + kPathProperties[kind] + L")";
}

int KindFromName(std::wstring_view name) {
  for (int k = 0; k < kKindCount; ++k) {
    if (SameText(name, kUserMacros[k]) || SameText(name, kPathProperties[k]) ||
        SameText(name, kShortNames[k])) {
      return k;
    }
  }
  return -1;
}

}  // namespace pathwright
