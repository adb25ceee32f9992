// Sheet bytes the end-to-end tests start from and expect: a small sheet of the Visual Studio 2012
// kind with a library list, and what a save with an include list makes of it.
#pragma once

#include <string>

namespace pathwright::e2e {

inline const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
inline const std::string kProject12 =
    "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
    "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n";
inline const std::string kProject13 =
    "<Project DefaultTargets=\"Build\" ToolsVersion=\"12.0\" "
    "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n";
inline const std::string kEmptyGroups =
    "\t<ImportGroup Label=\"PropertySheets\" />\n"
    "\t<PropertyGroup Label=\"UserMacros\" />\n"
    "\t<PropertyGroup />\n"
    "\t<ItemDefinitionGroup />\n"
    "\t<ItemGroup />\n"
    "</Project>\n";

// The user macro group with an include list (when not empty) and the library list C:\lib.
inline std::string UserGroup(const std::string& includeList) {
  std::string group = "\t<PropertyGroup>\n";
  if (!includeList.empty()) {
    group += "\t\t<UserInclude>" + includeList + "</UserInclude>\n"
             "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n";
  }
  return group + "\t\t<UserLibrary>C:\\lib</UserLibrary>\n"
                 "\t\t<LibraryPath>$(UserLibrary);$(LibraryPath)</LibraryPath>\n"
                 "\t</PropertyGroup>\n";
}

// The group that holds the user macros keeps its place when it is rewritten.
inline std::string SheetWithInclude(const std::string& includeList) {
  return kDecl + kProject12 +
         "\t<ImportGroup Label=\"PropertySheets\" />\n"
         "\t<PropertyGroup Label=\"UserMacros\" />\n" +
         UserGroup(includeList) +
         "\t<ItemDefinitionGroup />\n"
         "\t<ItemGroup />\n"
         "</Project>\n";
}

inline const std::string kSheet = SheetWithInclude("");

}  // namespace pathwright::e2e
