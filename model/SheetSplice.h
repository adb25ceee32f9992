// Edits a sheet the way its owner would by hand: the bytes as read are kept, and a save writes anew
// only what an edit touches, in the file's own encoding, indentation and line ends. Comments,
// processing instructions, white space, entity references as written, empty elements and groups,
// attribute order and quoting, the declaration and the byte order mark stay byte for byte.
//
// Load parses the text once; the elements of Document() are then the handles every edit takes, and
// each edit is recorded against the text as read (the tree is never changed, so every element
// keeps its place in the text). Save writes all of them in one pass.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "SheetEncoding.h"
#include "base/Result.h"

namespace pathwright {

// The encoding the XML library is to read a sheet's prepared bytes in (see PrepareSheetBytes).
pugi::xml_encoding LibraryEncoding(SheetBytes encoding);

// How every reader of a sheet parses it: the library's defaults and the declaration, and text
// outside the top element kept (the library would drop it silently) so that it can be refused.
inline constexpr unsigned kSheetParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_fragment;

// What the library lets through but XML does not allow, in a document parsed with
// kSheetParseOptions: no element at all, a second top element, text before or after the top
// element, an attribute written twice on one element. Fails with Result::Status::kNotASheet,
// saying which; MSBuild refuses such a sheet, and a save would write the stray parts back.
SheetLoad CheckSheetStructure(const pugi::xml_document& doc);

// How a sheet's characters are stored: as it was read, and as it is written back.
enum class SheetCharset {
  kUtf8,     // with or without a byte order mark
  kUtf16Le,  // UTF-16 and UTF-32 keep their byte order and their byte order mark, or its absence
  kUtf16Be,
  kUtf32Le,
  kUtf32Be,
  kLatin1,       // declared ISO-8859-1
  kWindows1252,  // declared windows-1252
  kAscii,        // declared as something else, and read because every byte is ASCII
};

// An element to insert. Written `<Name>text</Name>`, or `<Name />` when it has neither text nor
// children; with children (its text is then not written), the start tag, each child on a line of
// its own one indentation step deeper, and the end tag on a line of its own.
struct NewElement {
  std::wstring name;
  std::wstring text = {};
  std::vector<NewElement> children = {};
};

// Where Insert puts an element: right before or after its anchor, or after the anchor's last child.
enum class Place { kBefore, kAfter, kLastChild };

// What a save writes.
struct SplicedBytes {
  std::string bytes;
  bool changed = false;     // false: `bytes` are exactly the bytes loaded, and need not be written
  bool becameUtf8 = false;  // new text did not fit the file's 8-bit encoding, so the whole file is
                            // now UTF-8 and its declaration says so
  // The ranges of the loaded bytes that were replaced, in order, and how many bytes replaced each.
  struct Splice {
    size_t at = 0;
    size_t removed = 0;
    size_t inserted = 0;
  };
  std::vector<Splice> splices;
};

class SheetSplice {
 public:
  SheetSplice();
  ~SheetSplice();
  SheetSplice(const SheetSplice&) = delete;
  SheetSplice& operator=(const SheetSplice&) = delete;

  // Takes the bytes of a sheet and parses them (kSheetParseOptions). Refuses
  // (Result::Status::kNotASheet, saying why) what cannot be read exactly (see PrepareSheetBytes)
  // and what is not well-formed (see CheckSheetStructure), with the kind of fault; where the XML
  // reader stopped, its line. Forgets every earlier edit.
  SheetLoad Load(std::string bytes);

  // The parsed sheet. Read it, never change it: the edits below say what changes.
  const pugi::xml_document& Document() const { return m_doc; }
  std::string_view Bytes() const { return m_bytes; }
  SheetCharset Charset() const { return m_charset; }

  // Replaces the element's content with `text`; the start tag stays as written. `<X />` becomes
  // `<X>text</X>` (and stays as it is for empty text). Text that already reads back as `text` is
  // left as written. Setting an element again replaces the earlier text.
  Result SetText(pugi::xml_node element, std::wstring_view text);

  // Inserts a new element. On a line of its own, indented like its neighbours and ended with their
  // line break, where the neighbours stand on lines of their own; right beside them otherwise. An
  // empty parent (`<P />`, `<P></P>`) is opened up around it. Elements inserted at the same place
  // follow one another in the order they were inserted.
  Result Insert(pugi::xml_node anchor, Place place, const NewElement& element);

  // Removes the element; with the line it stands on when it is alone there (its indentation and
  // line break), otherwise with the blanks that separate it from neighbouring markup (blanks beside
  // text stay). Edits inside it are forgotten.
  Result Remove(pugi::xml_node element);

  // Every edit fails with Result::Status::kInvalid, changing nothing, for an element that is not one
  // of Document()'s (or for the top element, which is neither removed nor given siblings), and for
  // one inside or across what an earlier edit replaces or removes; with
  // Result::Status::kForbiddenCharacter for text XML does not allow.

  bool Edited() const { return !m_edits.empty(); }

  // Forgets every edit: the sheet is again the one loaded.
  void Forget();

  // The line (the first is 1) each element's start tag begins on, for elements of Document() in
  // document order; 0 for one that is not.
  std::vector<int> LinesOf(const std::vector<pugi::xml_node>& elements) const;

  // The bytes with every edit made: in the encoding they were read in, or as UTF-8 when new text
  // cannot be written in an 8-bit encoding.
  SplicedBytes Save() const;

 private:
  struct Edit;
  struct Span;
  struct Line;

  size_t UnitOf(ptrdiff_t wideOffset) const;
  // The line (the first is 1) of the character at pugixml's offset; nothing for the last character
  // or past it, where the reader stops when the text ends too early.
  std::optional<size_t> LineAt(ptrdiff_t wideOffset) const;
  size_t WideLength(char32_t unit) const;
  size_t StartOf(pugi::xml_node element) const;
  std::optional<Span> SpanOf(pugi::xml_node element) const;
  Line LineOf(size_t lt) const;
  std::wstring BreakEndingAt(size_t unit) const;
  std::wstring BreakNear(size_t unit) const;
  const std::wstring& Step() const;
  Result Add(Edit edit, bool record = true);
  std::wstring Render(const Edit& edit) const;
  void RenderElement(const NewElement& element, const std::wstring& indent, const std::wstring& lineBreak,
                     std::wstring& out) const;

  std::string m_bytes;
  pugi::xml_document m_doc;
  SheetCharset m_charset = SheetCharset::kUtf8;
  size_t m_textStart = 0;  // the first unit after the byte order mark
  // The units of the declaration's encoding value, corrected when the file becomes UTF-8.
  std::optional<std::pair<size_t, size_t>> m_declaredEncoding;
  std::vector<Edit> m_edits;
  int m_nextOrder = 0;
  // Built when first needed: the wide characters before every block of units, to find an element's
  // units from the offset pugixml gives; and the file's indentation step.
  mutable std::vector<size_t> m_wideBefore;
  mutable std::optional<std::wstring> m_step;
};

}  // namespace pathwright
