#include "LanguageFile.h"

#include <limits>

#include "lang/Utf8.h"
#include "model/FileSystem.h"

namespace pathwright {

namespace {
constexpr std::wstring_view kEncodingLine = L"<utf-8 encoding>";
constexpr std::wstring_view kLangIdWord = L"LangID";

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// Copies the runs between occurrences whole: comparing at every character made this most of the
// time a language file takes to load.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, wchar_t to) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  for (;;) {
    const size_t hit = text.find(from, i);
    if (hit == std::wstring_view::npos) break;
    out.append(text, i, hit - i);
    out += to;
    i = hit + from.size();
  }
  out.append(text, i, std::wstring_view::npos);
  return out;
}
}  // namespace

Utf8LineReader::Utf8LineReader(std::string_view bytes) {
  if (StartsWithUtf8Bom(bytes)) bytes.remove_prefix(3);
  m_text = DecodeUtf8(bytes);
}

bool Utf8LineReader::ReadRaw(std::wstring& line, size_t limit) {
  line.clear();
  if (AtEnd()) return false;
  size_t units = 0;
  // The characters of the line are appended in one piece when the line ends.
  const size_t start = m_pos;
  auto take = [&] { line.append(m_text, start, m_pos - start); };
  while (m_pos < m_text.size()) {
    const wchar_t c = m_text[m_pos];
    // The line break is checked before the limit, so a line of exactly the limit is read whole.
    if (c == L'\n') {
      take();
      line += L'\n';
      ++m_pos;
      return true;
    }
    if (c == L'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == L'\n') {
      take();
      line += L'\n';
      m_pos += 2;
      return true;
    }
    size_t codeUnits = 1;  // wchar_t elements this character takes here
    size_t width = 1;      // UTF-16 code units it counts as
    if constexpr (sizeof(wchar_t) == 2) {
      if (IsHighSurrogate(c) && m_pos + 1 < m_text.size() && IsLowSurrogate(m_text[m_pos + 1])) {
        codeUnits = 2;
        width = 2;
      }
    } else {
      if ((static_cast<uint32_t>(c) & ~uint32_t{0xFFFF}) != 0) width = 2;
    }
    if (units + width > limit) break;
    m_pos += codeUnits;
    units += width;
  }
  take();
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

std::wstring ReplaceEscapes(std::wstring_view text) {
  return ReplaceAll(ReplaceAll(text, L"\\n", L'\n'), L"\\t", L'\t');
}

bool ParseTextLine(std::wstring_view line, uint32_t& number, std::wstring& text) {
  if (line.empty() || line.front() == L' ') return false;
  const size_t space = line.find(L' ');
  if (space == std::wstring_view::npos) return false;
  number = LeadingNumber(line);
  text = ReplaceEscapes(line.substr(space + 1));
  return true;
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

bool ParseLanguage(std::string_view bytes, LanguageTable& table) {
  table.clear();
  Utf8LineReader reader(bytes);
  std::wstring displayName;
  if (!ReadLanguageHeaderLines(reader, displayName)) return false;
  std::wstring line;
  std::wstring text;
  while (ReadLine(reader, line)) {
    uint32_t number = 0;
    if (ParseTextLine(line, number, text)) table[number] = std::move(text);
  }
  return true;
}

bool LoadLanguage(const std::wstring& path, LanguageTable& table) {
  table.clear();
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  return ParseLanguage(bytes, table);
}

std::wstring GetText(const LanguageTable& table, uint32_t number) {
  const auto it = table.find(number);
  return it == table.end() ? std::wstring() : it->second;
}

}  // namespace pathwright
