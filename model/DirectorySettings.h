// The directory settings record: one open user property sheet (Microsoft.Cpp.*.user.props) and the
// user's seven directory lists. The main window derives from it. Reading, writing and merging are
// the edit session's (EditSession.h); the record keeps what it last read or wrote, so that a save
// tells the lists changed here from those another program changed meanwhile.
#pragma once

#include <optional>
#include <string>

#include "EditSession.h"

namespace pathwright {

class DirectorySettings {
 public:
  std::wstring m_path;     // the open sheet; empty when there is none
  DirectoryLists m_lists;  // the user's own list per kind, never null
  bool m_loaded = false;   // whether the record may be edited and saved

  // Reads the sheet at m_path. Fails for anything that is not an exactly readable sheet (see
  // SheetDocument::Parse), with the refusal's kind; m_loaded equals the result and the lists are
  // empty on failure.
  SheetLoad LoadSheet();

  // Writes the seven lists into the sheet, editing its elements in place (see EditOpenSheet). Does
  // nothing (and succeeds) while m_loaded is false or when no sheet path is set; refuses
  // (Result::Status::kForbiddenCharacter) without any change when a list holds a character XML does
  // not allow. When another program changed the sheet since this record last read or wrote it, the
  // lists changed here since then win and everything else comes from the file as it is now; the
  // record then holds the lists written, a final ";" gone. When the file holds those lists already,
  // nothing is written (not even its time) and the record takes the file's lists.
  Result SaveSheet();
  // Whether the last save had to write the sheet as UTF-8, its 8-bit encoding lacking a new character.
  bool SavedAsUtf8() const { return m_savedAsUtf8; }

  // Writes a new, empty sheet for that version at m_path, where RuleForNewSheet allows it, keeping
  // the file it replaces as a backup. The record may be edited (with empty lists) only when all of it
  // worked.
  Result CreateDefaultSheet(VsVersion version, const NewSheetOptions& options = {});

  // The sheet as this record last read or wrote it, for looking up what else is in force; null
  // while none is.
  const SheetDocument* OpenDocument() const { return m_open ? &m_open->sheet.document : nullptr; }

 private:
  // What m_path held when this record last read or wrote it, and which path that was.
  struct OpenSheet {
    std::wstring path;
    SheetSnapshot sheet;
  };
  std::optional<OpenSheet> m_open;
  bool m_savedAsUtf8 = false;
};

}  // namespace pathwright
