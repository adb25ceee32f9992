// Pieces of sheets as the program makes them (UTF-8, tab indentation, LF line ends), to build the
// expected bytes of a whole file in one expression.
#pragma once

#include <string>

namespace pathwright::testing {

inline const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
inline const std::string kBareDecl = "<?xml version=\"1.0\"?>\n";
inline const std::string kNs = " xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"";
inline const std::string kTail = "</Project>\n";

// The Project start tag of a new sheet.
inline std::string ProjectTag(const std::string& tools, const std::string& end = ">\n") {
  return "<Project DefaultTargets=\"Build\" ToolsVersion=\"" + tools + "\"" + kNs + end;
}
inline const std::string kHead = kDecl + ProjectTag("4.0");

// What a new 2012 or 2013 sheet holds around its empty unlabelled group.
inline const std::string kImportAndMacros =
    "\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n";
inline const std::string kItemGroups = "\t<ItemDefinitionGroup />\n\t<ItemGroup />\n";
inline const std::string kNewGroups = kImportAndMacros + "\t<PropertyGroup />\n" + kItemGroups;

// A new sheet for Visual Studio 2010, 2012 or 2013, byte for byte.
inline std::string NewSheet(int year) {
  if (year == 2010) return kDecl + ProjectTag("4.0", " />\n");
  return kDecl + ProjectTag(year == 2013 ? "12.0" : "4.0") + kNewGroups + kTail;
}

// A kind's two lines in the user group when its list is set: the user macro, the composed path.
inline std::string Kind(const std::string& macro, const std::string& property, const std::string& list) {
  return "\t\t<" + macro + ">" + list + "</" + macro + ">\n\t\t<" + property + ">$(" + macro + ");$(" + property +
         ")</" + property + ">\n";
}
inline std::string Include(const std::string& list) { return Kind("UserInclude", "IncludePath", list); }
inline std::string Group(const std::string& body, const std::string& attributes = "") {
  return "\t<PropertyGroup" + attributes + ">\n" + body + "\t</PropertyGroup>\n";
}

// A new 2012 sheet after its first save: its empty group, where it stands, holds `body`.
inline std::string SavedSheet(const std::string& body) {
  return kHead + kImportAndMacros + (body.empty() ? "\t<PropertyGroup />\n" : Group(body)) + kItemGroups + kTail;
}

}  // namespace pathwright::testing
