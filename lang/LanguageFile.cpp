#include "LanguageFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "base/Utf8.h"
#include "base/FileSystem.h"

namespace pathwright {

namespace {
constexpr std::wstring_view kEncodingLine = L"<utf-8 encoding>";
constexpr std::wstring_view kLangIdWord = L"LangID";

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r'; }

// Backslash-n and backslash-t cannot overlap, and a line feed or tab put in their place cannot
// form a new escape, so one pass left to right gives the same text as replacing every backslash-n
// and then every backslash-t. Text without a backslash is copied as it is.
void AssignUnescaped(std::wstring_view text, std::wstring& out) {
  size_t hit = text.find(L'\\');
  if (hit == std::wstring_view::npos) {
    out.assign(text);
    return;
  }
  out.clear();
  out.reserve(text.size());
  size_t i = 0;
  for (; hit != std::wstring_view::npos; hit = text.find(L'\\', i)) {
    out.append(text, i, hit - i);
    const wchar_t next = hit + 1 < text.size() ? text[hit + 1] : L'\0';
    if (next == L'n' || next == L't') {
      out += next == L'n' ? L'\n' : L'\t';
      i = hit + 2;
    } else {
      out += L'\\';
      i = hit + 1;
    }
  }
  out.append(text, i, std::wstring_view::npos);
}

// The text number and where the text starts, or false for a line that carries no text.
bool SplitTextLine(std::wstring_view line, uint32_t& number, size_t& textStart) {
  if (line.empty() || line.front() == L' ') return false;
  const size_t space = line.find(L' ');
  if (space == std::wstring_view::npos) return false;
  number = LeadingNumber(line);
  textStart = space + 1;
  return true;
}
}  // namespace

Utf8LineReader::Utf8LineReader(std::string_view bytes) : Utf8LineReader(std::string(bytes)) {}

Utf8LineReader::Utf8LineReader(std::string&& bytes) : m_bytes(std::move(bytes)) {
  if (StartsWithUtf8Bom(m_bytes)) m_pos = 3;
}

bool Utf8LineReader::ReadRaw(std::wstring& line, size_t limit) {
  line.clear();
  if (AtEnd()) return false;
  std::string_view rest(m_bytes);
  rest.remove_prefix(m_pos);
  // No character takes more than 4 bytes, so the line break that can still end this read lies in
  // the first 4 * limit + 2 bytes (CR LF included); looking no further keeps a file without line
  // breaks from being searched to its end at every read.
  if (limit < rest.size() / 4) rest = rest.substr(0, 4 * limit + 2);
  size_t breakAt = rest.find('\n');
  const bool hasBreak = breakAt != std::string_view::npos;
  if (!hasBreak) breakAt = rest.size();
  // A CR directly before the LF belongs to the line break; any other CR is a character.
  const size_t contentEnd = hasBreak && breakAt > 0 && rest[breakAt - 1] == '\r' ? breakAt - 1 : breakAt;
  const std::string_view content = rest.substr(0, contentEnd);

  // Each byte gives at most one wide character and the read takes at most `limit` of them, so the
  // line is sized once (line feed included) and cut to length at the end.
  line.resize(std::min(content.size(), limit) + 1);
  wchar_t* const first = line.data();
  wchar_t* out = first;
  const auto* bytes = reinterpret_cast<const unsigned char*>(content.data());
  size_t units = 0;  // UTF-16 code units taken
  size_t i = 0;
  while (i < content.size()) {
    // Runs of ASCII, most of any language file, are widened eight bytes at a time while no byte of
    // the eight has its top bit set.
    const size_t runStart = i;
    const size_t runEnd = i + std::min(content.size() - i, limit - units);
    for (uint64_t word = 0; i + 8 <= runEnd; i += 8, out += 8) {
      std::memcpy(&word, bytes + i, 8);
      if ((word & 0x8080808080808080u) != 0) break;
      for (size_t k = 0; k < 8; ++k) out[k] = static_cast<wchar_t>(bytes[i + k]);
    }
    while (i < runEnd && bytes[i] < 0x80) *out++ = static_cast<wchar_t>(bytes[i++]);
    units += i - runStart;
    if (i == runEnd) break;  // the end of the line or of the limit
    // A character outside the Basic Multilingual Plane counts as two units and is never cut in
    // half: when only one unit is left, it starts the next line.
    size_t next = i;
    const char32_t cp = DecodeUtf8Char(content, next);
    const size_t width = cp >= 0x10000 ? 2 : 1;
    if (units + width > limit) break;
    out = PutWideChar(cp, out);
    units += width;
    i = next;
  }
  // The line break is consumed even when the line filled the limit exactly, so such a line is read
  // whole and no empty line follows it.
  if (i == content.size() && hasBreak) {
    *out++ = L'\n';
    m_pos += breakAt + 1;
  } else {
    m_pos += i;
  }
  line.resize(static_cast<size_t>(out - first));
  return true;
}

bool ReadLine(Utf8LineReader& reader, std::wstring& line) {
  if (!reader.ReadRaw(line, kLanguageLineLimit)) return false;
  while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
  return true;
}

void SplitString(std::wstring_view text, std::wstring_view delimiter, std::vector<std::wstring>& words) {
  words.clear();
  if (delimiter.empty()) {
    if (!text.empty()) words.emplace_back(text);
    return;
  }
  size_t start = 0;
  for (;;) {
    const size_t hit = text.find(delimiter, start);
    const size_t end = hit == std::wstring_view::npos ? text.size() : hit;
    if (end > start) words.emplace_back(text.substr(start, end - start));
    if (hit == std::wstring_view::npos) break;
    start = hit + delimiter.size();
  }
}

std::vector<std::wstring> SplitString(std::wstring_view text, std::wstring_view delimiter) {
  std::vector<std::wstring> words;
  SplitString(text, delimiter, words);
  return words;
}

uint32_t LeadingNumber(std::wstring_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // Accumulate the magnitude only up to just past the signed range, so long digit runs cannot overflow.
  constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - L'0');
    if (magnitude > kCap) magnitude = kCap;
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) value = std::numeric_limits<int32_t>::min();
  return static_cast<uint32_t>(static_cast<int32_t>(value));
}

bool ReadLanguageHeaderLines(Utf8LineReader& reader, std::wstring& displayName) {
  displayName.clear();
  std::wstring line;
  if (!ReadLine(reader, line) || line != kEncodingLine) return false;
  if (!ReadLine(reader, line)) return false;
  const std::vector<std::wstring> words = SplitString(line, L" ");
  // "LangID" alone names no language; it fails like every other header fault.
  if (words.size() < 2 || words[0] != kLangIdWord) return false;
  displayName = words[1];
  return true;
}

namespace {
bool ParseLanguageFrom(Utf8LineReader& reader, LanguageTable& table) {
  table.clear();
  std::wstring displayName;
  if (!ReadLanguageHeaderLines(reader, displayName)) return false;
  std::wstring line;
  line.reserve(kLanguageLineLimit + 1);
  while (ReadLine(reader, line)) {
    uint32_t number = 0;
    size_t textStart = 0;
    if (!SplitTextLine(line, number, textStart)) continue;
    // Files list their numbers in rising order, so a new number normally goes at the end: the hint
    // saves the search. The text is written straight into the table's own string.
    const auto hint = table.empty() || table.rbegin()->first < number ? table.end() : table.lower_bound(number);
    const auto it = table.try_emplace(hint, number);
    AssignUnescaped(std::wstring_view(line).substr(textStart), it->second);
  }
  return true;
}
}  // namespace

bool ParseLanguage(std::string_view bytes, LanguageTable& table) {
  Utf8LineReader reader(bytes);
  return ParseLanguageFrom(reader, table);
}

Result LoadLanguage(const std::wstring& path, LanguageTable& table) {
  table.clear();
  std::string bytes;
  if (Result read = ReadFileBytes(path, bytes, {.maxFileSize = kMaxLanguageFileBytes}); !read) return read;
  Utf8LineReader reader(std::move(bytes));  // the file's bytes are not needed again: no copy
  if (ParseLanguageFrom(reader, table)) return {};
  return Result::Failure(Result::Status::kInvalid,
                         L"it is no language file: its first line must read \"<utf-8 encoding>\", its second \"LangID\" and "
          L"the language's name");
}

std::wstring GetText(const LanguageTable& table, uint32_t number) {
  const auto it = table.find(number);
  return it == table.end() ? std::wstring() : it->second;
}

}  // namespace pathwright
