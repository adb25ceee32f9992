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

// ---- Reading results and the characters a save refuses, as the dialogs use them. A LoadSheet that
// says why it failed, and a save that refuses what XML cannot hold, replace this block. ----

// What reading a sheet found: false unless it was read and may be edited. A file that could not be
// read at all (locked, no access, not a file, an I/O error) is told apart from one that was read and
// is no usable sheet, since only the second may be replaced by a new sheet.
struct SheetLoad {
  enum class Status { kLoaded, kCannotRead, kNotASheet };
  Status status = Status::kCannotRead;
  std::wstring why;  // for the user: the system's reason, or what is wrong with the content

  explicit operator bool() const noexcept { return status == Status::kLoaded; }
  bool CouldNotRead() const noexcept { return status == Status::kCannotRead; }
};

// A character XML 1.0 does not allow: U+0000-U+0008, U+000B, U+000C, U+000E-U+001F, U+FFFE,
// U+FFFF, or an unpaired surrogate.
struct ForbiddenCharacter {
  size_t offset = 0;    // index of its first wchar_t in the text, as an edit control selects it
  size_t position = 0;  // 1-based, counting characters as a user does (a surrogate pair is one)
  char32_t code = 0;    // the character, or the lone surrogate's value
};

inline std::optional<ForbiddenCharacter> FindForbiddenCharacter(std::wstring_view text) {
  size_t position = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    ++position;
    const char32_t c = static_cast<char32_t>(text[i]);
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    if (sizeof(wchar_t) == 2 && high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    if ((c < 0x20 && c != 0x9 && c != 0xA && c != 0xD) || c == 0xFFFE || c == 0xFFFF || high || low) {
      return ForbiddenCharacter{i, position, c};
    }
  }
  return std::nullopt;
}

// A list holding such a character: the first one, in kind order.
struct ListCharacter {
  int kind = 0;
  ForbiddenCharacter character;
};

inline std::optional<ListCharacter> FindForbiddenInLists(const std::array<std::wstring, kKindCount>& lists) {
  for (int k = 0; k < kKindCount; ++k) {
    if (auto found = FindForbiddenCharacter(lists[k])) return ListCharacter{k, *found};
  }
  return std::nullopt;
}

}  // namespace pathwright
