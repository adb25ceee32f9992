// The directory settings record: one open user property sheet (Microsoft.Cpp.*.user.props),
// the user's seven directory lists, and the reading and writing of the sheet.
// The main window derives from it; the command-line tool uses it as it is.
#pragma once

#include <array>
#include <string>

#include <pugixml.hpp>

#include "DirectoryKinds.h"
#include "base/FileSystem.h"

namespace pathwright {

// The MSBuild 2003 project namespace that every MSBuild project file declares.
inline constexpr const wchar_t* kMsBuildNamespace = L"http://schemas.microsoft.com/developer/msbuild/2003";

// Deepest nesting of elements a readable sheet may have, Project counting as the first level.
// Real sheets use four or five; an indented save writes one tab per level on every line, so a
// file nested thousands deep would be written back many times its size.
inline constexpr int kMaxSheetDepth = 256;

class DirectorySettings {
 public:
  std::wstring m_path;                             // the open sheet; empty when there is none
  pugi::xml_document m_doc;                        // the parsed sheet, edited in place by a save
  std::array<std::wstring, kKindCount> m_lists;    // the user's own list per kind, never null
  bool m_loaded = false;                           // whether the record may be edited and saved

  // Reads the sheet at m_path. False for anything that is not a readable XML document with a
  // top-level Project element, or that nests elements deeper than kMaxSheetDepth; m_loaded equals
  // the result and the lists are empty on failure.
  bool LoadSheet();

  // Puts the seven lists into the user macro group and writes the sheet. Does nothing (and
  // succeeds) while m_loaded is false or when no sheet path is set.
  IoResult SaveSheet();

  // Replaces the document by a new, empty sheet for Visual Studio 2010 (0), 2012 (1) or 2013 (2)
  // and writes it. An existing file is first kept as "<sheet>.bak"; see WriteSheetFile.
  IoResult CreateDefaultSheet(int version);

  // Writes m_doc to m_path in one step (the old file survives any failure). When the document
  // came from CreateDefaultSheet over an existing file, that file is copied to "<sheet>.bak"
  // first, and nothing is replaced unless the copy succeeds.
  IoResult WriteSheetFile();

  // The bytes WriteSheetFile writes: UTF-8 without BOM, tab indentation, LF line ends.
  std::string SerializeSheet() const;

 private:
  void ResetDocument();
  void TellTheTruthAboutEncoding();
  void SaveTo(pugi::xml_writer& writer) const;

  // The unlabelled PropertyGroup that holds the user macros: the one LoadSheet chose, or the one
  // the first save appended. Points into m_doc, so every reset of m_doc clears it.
  pugi::xml_node m_group;
  bool m_backupBeforeWrite = false;
};

}  // namespace pathwright
