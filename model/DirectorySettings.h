// The directory settings record: one open user property sheet (Microsoft.Cpp.*.user.props),
// the user's seven directory lists, and the reading and writing of the sheet.
// The main window derives from it; the command-line tool uses it as it is.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "DirectoryKinds.h"
#include "base/FileSystem.h"
#include "SheetEncoding.h"

namespace pathwright {

// The MSBuild 2003 project namespace that every MSBuild project file declares.
inline constexpr const wchar_t* kMsBuildNamespace = L"http://schemas.microsoft.com/developer/msbuild/2003";

// Deepest nesting of elements a readable sheet may have, Project counting as the first level.
// Real sheets use four or five; an indented save writes one tab per level on every line, so a
// file nested thousands deep would be written back many times its size.
inline constexpr int kMaxSheetDepth = 256;

// The Visual Studio version a new sheet is made for, in the order the version chooser lists them.
enum class VsVersion { k2010, k2012, k2013 };

// The chooser's entry index as a version: 2 is 2013, any other positive index 2012, the rest 2010,
// as new sheets have always been told apart.
VsVersion VsVersionFromChooserIndex(int index);

// What LoadSheet found: false unless the sheet was read and may be edited. A file that could not be
// read at all (locked, no access, not a file, an I/O error) is told apart from one that was read
// and is no usable sheet, since only the second may be replaced by a new sheet.
struct SheetLoad {
  enum class Status { kLoaded, kCannotRead, kNotASheet };
  Status status = Status::kCannotRead;
  std::wstring why;  // for the user: the system's reason, or what is wrong with the content

  explicit operator bool() const noexcept { return status == Status::kLoaded; }
  bool CouldNotRead() const noexcept { return status == Status::kCannotRead; }
};

// A list holding a character that XML does not allow, found before a save writes anything.
struct ListCharacter {
  int kind = 0;
  ForbiddenCharacter character;
};
std::optional<ListCharacter> FindForbiddenInLists(const std::array<std::wstring, kKindCount>& lists);

// The error of a save refused because a list holds such a character; not a system error code.
inline constexpr int kForbiddenCharacterError = -1;

class DirectorySettings {
 public:
  std::wstring m_path;                             // the open sheet; empty when there is none
  pugi::xml_document m_doc;                        // the parsed sheet, edited in place by a save
  std::array<std::wstring, kKindCount> m_lists;    // the user's own list per kind, never null
  bool m_loaded = false;                           // whether the record may be edited and saved

  // Reads the sheet at m_path. Fails for anything that is not an exactly readable XML document with
  // a top-level Project element, or that nests elements deeper than kMaxSheetDepth; m_loaded equals
  // the result and the lists are empty on failure.
  SheetLoad LoadSheet();

  // Puts the seven lists into the user macro group, editing its elements in place, and writes the
  // sheet. Does nothing (and succeeds) while m_loaded is false or when no sheet path is set; refuses
  // (kForbiddenCharacterError) without any change when a list holds a character XML does not allow.
  IoResult SaveSheet();

  // Replaces the document by a new, empty sheet for that version and writes it. An existing file is
  // first kept as "<sheet>.bak"; see WriteSheetFile. The record may be edited only when all of it worked.
  IoResult CreateDefaultSheet(VsVersion version);

  // Writes m_doc to m_path in one step (the old file survives any failure), UTF-8 without BOM, tab
  // indentation, LF line ends. When the document came from CreateDefaultSheet over an existing file,
  // that file is copied to "<sheet>.bak" first, and nothing is replaced unless the copy succeeds.
  IoResult WriteSheetFile();

 private:
  void ResetDocument();
  SheetLoad ParseSheet();
  void TellTheTruthAboutEncoding();

  // The unlabelled, unconditional PropertyGroup that holds the user macros: the one LoadSheet
  // chose, or the one the first save appended. Points into m_doc, so every reset of m_doc clears it.
  pugi::xml_node m_group;
  bool m_backupBeforeWrite = false;
};

}  // namespace pathwright
