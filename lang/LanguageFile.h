// Language files: UTF-8 text, line 1 "<utf-8 encoding>", line 2 "LangID <display name>", then
// text lines "<number> <text>". This header holds the portable reading side: the line reader, the
// word splitter, the leading-number rule and the language table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"

namespace pathwright {

// Text number -> text of the loaded language.
using LanguageTable = std::map<uint32_t, std::wstring>;

// Longest line one read of a language file returns; the rest of a longer line comes as a line of
// its own. Together with the number and its space this keeps every stored text at 252 characters,
// which fits the 256-character buffers resource strings are loaded into.
inline constexpr size_t kLanguageLineLimit = 254;

// Reads lines from the bytes of a UTF-8 file. A leading byte-order mark is skipped; CR LF and LF
// both end a line.
//
// Characters are counted in UTF-16 code units on every build, so a file splits its long lines at
// the same places on Windows (16-bit wchar_t) and Linux (32-bit wchar_t): a character outside the
// Basic Multilingual Plane counts as two, and is never cut in half; when only one unit of the limit
// is left it starts the next line instead. A line break that directly follows a line of exactly the
// limit is consumed with it, so such a line is read whole and no empty line follows.
class Utf8LineReader {
 public:
  // The reader keeps its own bytes: a copy of a view, or the string it is given to keep.
  explicit Utf8LineReader(std::string_view bytes);
  explicit Utf8LineReader(std::string&& bytes);

  // Reads at most `limit` characters up to the next line break; `line` receives them together with
  // the line feed that ended them (CR LF is passed on as one line feed), if any. False, with an
  // empty line, at the end of the text.
  bool ReadRaw(std::wstring& line, size_t limit);

  bool AtEnd() const { return m_pos >= m_bytes.size(); }

 private:
  // Each line is decoded as it is read: decoding the whole file first and copying every line out
  // of it again cost more than the rest of a language file's load.
  std::string m_bytes;
  size_t m_pos = 0;  // byte offset of the next line (past a byte-order mark at first)
};

// One line of a language file: at most 254 characters, every trailing CR and LF removed.
bool ReadLine(Utf8LineReader& reader, std::wstring& line);

// The non-empty pieces of the text between occurrences of the delimiter, in order. An empty
// delimiter splits nothing: the text is one piece.
void SplitString(std::wstring_view text, std::wstring_view delimiter, std::vector<std::wstring>& words);
std::vector<std::wstring> SplitString(std::wstring_view text, std::wstring_view delimiter);

// Leading white space skipped, an optional sign, decimal digits up to the first non-digit; no digits
// give 0; a magnitude beyond the signed 32-bit range saturates; the signed value is then taken as
// unsigned ("-1" gives 4294967295).
uint32_t LeadingNumber(std::wstring_view text);

// Reads the two header lines. True when line 1 is exactly "<utf-8 encoding>" and line 2 has the
// word "LangID" followed by a display name (a line 2 with "LangID" alone or no word is refused).
bool ReadLanguageHeaderLines(Utf8LineReader& reader, std::wstring& displayName);

// Empties the table, then fills it from the bytes of a language file. False (and an empty table)
// when the header is not valid. A text line is a number, one space and the text, in which backslash-n
// becomes a line feed and then backslash-t a tab (there is no escape for the backslash); lines that
// carry no text (empty, without a space, or starting with one) are skipped.
bool ParseLanguage(std::string_view bytes, LanguageTable& table);

// No language file comes near this; a larger file is taken as unreadable.
inline constexpr size_t kMaxLanguageFileBytes = 4 << 20;

// Empties the table, then fills it from the file at `path`. Fails (with an empty table) when the
// file cannot be read, is larger than kMaxLanguageFileBytes, or its header is not valid.
Result LoadLanguage(const std::wstring& path, LanguageTable& table);

// The text stored under the number, empty when there is none.
std::wstring GetText(const LanguageTable& table, uint32_t number);

}  // namespace pathwright
