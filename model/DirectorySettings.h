// The directory settings record: one open user property sheet (Microsoft.Cpp.*.user.props),
// the user's seven directory lists, and the reading and writing of the sheet.
// The main window derives from it; the command-line tool uses it as it is.
#pragma once

#include <array>
#include <chrono>
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

// Whether a failed LoadSheet could not read the file at all (locked, no access, not a file, an I/O
// error), as opposed to reading it and finding no usable sheet: only the second may be replaced by a
// new sheet.
inline bool CouldNotRead(const Result& loaded) { return !loaded && loaded.status != Result::Status::kNotASheet; }

// A list holding a character that XML does not allow, found before a save writes anything.
struct ListCharacter {
  int kind = 0;
  ForbiddenCharacter character;
};
std::optional<ListCharacter> FindForbiddenInLists(const std::array<std::wstring, kKindCount>& lists);

// How long a save waits for another Pathwright program that holds the sheet's lock.
inline constexpr std::chrono::milliseconds kSheetLockWait{5000};

// How often a save applies its change again when another program keeps changing the sheet under it;
// after the last attempt it fails with Result::Status::kContentChanged.
inline constexpr int kSheetWriteAttempts = 4;

class DirectorySettings {
 public:
  std::wstring m_path;                           // the open sheet; empty when there is none
  pugi::xml_document m_doc;                      // the parsed sheet, edited in place by a save
  std::array<std::wstring, kKindCount> m_lists;  // the user's own list per kind, never null
  bool m_loaded = false;                         // whether the record may be edited and saved

  // Reads the sheet at m_path. Fails for anything that is not an exactly readable XML document with
  // a top-level Project element, or that nests elements deeper than kMaxSheetDepth; m_loaded equals
  // the result and the lists are empty on failure.
  Result LoadSheet();

  // Puts the seven lists into the user macro group, editing its elements in place, and writes the
  // sheet. Does nothing (and succeeds) while m_loaded is false or when no sheet path is set; refuses
  // (Result::Status::kForbiddenCharacter) without any change when a list holds a character XML does not allow.
  Result SaveSheet();

  // Replaces the document by a new, empty sheet for that version and writes it. Whatever stands at
  // m_path then is first kept as a backup; see WriteSheetFile. The record may be edited only when all
  // of it worked.
  Result CreateDefaultSheet(VsVersion version);

  // Writes m_doc to m_path in one step (the old file survives any failure), UTF-8 without BOM, tab
  // indentation, LF line ends, holding the sheet's lock (see LockSheet) while it does.
  //
  // When the document came from CreateDefaultSheet, whatever stands at m_path is first copied to
  // the first free "<sheet>.bak", "<sheet>.bak.2"...; nothing is replaced unless the copy succeeds.
  //
  // Otherwise the sheet must still hold the bytes this record last read or wrote. When another
  // program changed it meanwhile, the save merges instead of overwriting: the lists changed in this
  // record since LoadSheet keep their values, everything else (lists included) comes from the file
  // as it is now, edited in place as any save edits, and the record then holds that merged sheet.
  // A file that can no longer be read is not written (the failure says why); see kSheetWriteAttempts
  // for one that keeps changing.
  Result WriteSheetFile();

  // Takes the sheet's lock for a read-modify-write that begins with LoadSheet, as the command line
  // tool does; until the record ends (or UnlockSheet) another Pathwright program waits to save it.
  // Fails only when another program kept it locked for m_lockWait.
  Result LockSheet();
  void UnlockSheet() { m_lock.Release(); }

  std::wstring m_backupPath;  // the backup the last write made; empty when none
  std::chrono::milliseconds m_lockWait = kSheetLockWait;

 private:
  void ResetDocument();
  Result ParseSheet();
  void TellTheTruthAboutEncoding();

  // The unlabelled, unconditional PropertyGroup that holds the user macros: the one LoadSheet
  // chose, or the one the first save appended. Points into m_doc, so every reset of m_doc clears it.
  pugi::xml_node m_group;
  bool m_backupBeforeWrite = false;

  // Remembers what LoadSheet read: the bytes, to tell whether another program changed the file,
  // and the lists, to tell which ones the user changed.
  void RememberAsLoaded(std::string bytes);
  Result WriteOnce();
  Result TakeChangesFromDisk();

  WriteLock m_lock;
  // What the file held when this record last read or wrote it, and which file that was.
  struct OnDisk {
    std::wstring path;
    std::string bytes;
  };
  std::optional<OnDisk> m_onDisk;
  std::array<std::wstring, kKindCount> m_listsAsLoaded;
  bool m_editOnly = false;  // SaveSheet edits the document and writes nothing (during a merge)
};

}  // namespace pathwright
