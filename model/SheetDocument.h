// A user property sheet as text: bytes in, the user's seven lists and a judgement out; lists in,
// bytes out. No file, no lock: everything here works on strings, so it is tested and fuzzed with
// strings alone. This is the one place that decides which elements hold the user's lists, and the
// only part of the program that sees the XML library.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DirectoryKinds.h"
#include "MsBuildEvaluator.h"
#include "SheetRefusal.h"
#include "base/Result.h"

namespace pathwright {

// The MSBuild 2003 project namespace that every MSBuild project file declares.
inline constexpr const wchar_t* kMsBuildNamespace = L"http://schemas.microsoft.com/developer/msbuild/2003";

// Deepest nesting of elements a readable sheet may have, Project counting as the first level.
// Real sheets use four or five; deeper nesting only costs time and stack in whatever reads it.
inline constexpr int kMaxSheetDepth = 256;

// The Visual Studio version a new sheet is made for, in the order the version chooser lists them.
enum class VsVersion { k2010, k2012, k2013 };

// The chooser's entry index as a version: 2 is 2013, any other positive index 2012, the rest 2010,
// as new sheets have always been told apart.
VsVersion VsVersionFromChooserIndex(int index);

// What writing the lists into a sheet gives.
struct SheetWrite {
  Result result;
  std::string bytes;        // the sheet with the lists written; the bytes as read when nothing changed
  bool changed = false;     // false: every list is as the sheet holds it, and nothing need be written
  bool becameUtf8 = false;  // a new character did not fit the file's 8-bit encoding: it is now UTF-8
};

class SheetDocument {
 public:
  // No sheet yet: Parse or NewSheet makes one.
  SheetDocument();
  ~SheetDocument();
  SheetDocument(SheetDocument&&) noexcept;
  SheetDocument& operator=(SheetDocument&&) noexcept;

  // A new, empty sheet for that version.
  static SheetDocument NewSheet(VsVersion version);

  // Reads a sheet from a file's bytes. Fails (Result::Status::kNotASheet, with the reason and its
  // kind) for anything that is not an exactly readable XML document with a top-level Project
  // element, or that nests elements deeper than kMaxSheetDepth; the document is then empty.
  SheetLoad Parse(std::string_view bytes);

  // The user's own list of each kind: the text of the user macro's definition that MSBuild sees
  // where the path property uses it (see KindEvaluation::list); empty where the sheet has none.
  DirectoryLists Lists() const;

  // The sheet with the lists in it, changing only the elements of the kinds whose list differs
  // from Lists() (a final ";" aside; it goes from each list, in `lists` as well): every other byte
  // stays as read. Each list changed is made the one in force: its macro set where the path property
  // uses it, moved before that use or added, and the path property made to use it. An emptied list
  // takes away what a save added for it, or leaves its macro empty. Every list must be free of
  // characters XML does not allow. The document itself stays as read: Parse the bytes once they
  // are written to go on from them.
  SheetWrite WithLists(DirectoryLists& lists);

  // The sheet's bytes as read.
  std::string Bytes() const;

  // The same elements as MSBuild's evaluation takes them, in file order, each group numbered; `file`
  // names where they are written.
  std::vector<PropertyDefinition> Definitions(const std::wstring& file = {}) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace pathwright
