#include "SheetSplice.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "SheetEncoding.h"
#include "base/Utf8.h"

namespace pathwright {

namespace {

constexpr bool kWide16 = sizeof(wchar_t) == 2;
constexpr size_t kNone = static_cast<size_t>(-1);
// The units per entry of the index from pugixml's offsets to the file's units.
constexpr size_t kBlock = 4096;

bool IsBlank(char32_t c) { return c == ' ' || c == '\t'; }
bool IsBreak(char32_t c) { return c == '\n' || c == '\r'; }
bool IsSpace(char32_t c) { return IsBlank(c) || IsBreak(c); }

bool IsWide(SheetCharset charset) {
  return charset == SheetCharset::kUtf16Le || charset == SheetCharset::kUtf16Be || charset == SheetCharset::kUtf32Le ||
         charset == SheetCharset::kUtf32Be;
}
bool Is32(SheetCharset charset) { return charset == SheetCharset::kUtf32Le || charset == SheetCharset::kUtf32Be; }
bool IsBigEndian(SheetCharset charset) {
  return charset == SheetCharset::kUtf16Be || charset == SheetCharset::kUtf32Be;
}
size_t UnitBytes(SheetCharset charset) { return !IsWide(charset) ? 1 : Is32(charset) ? 4 : 2; }

// The charset of a wide layout, and how many units its byte order mark takes.
std::optional<std::pair<SheetCharset, size_t>> DetectWide(std::string_view b) {
  const std::optional<WideLayout> layout = DetectWideLayout(b);
  if (!layout) return std::nullopt;
  const SheetCharset charset = layout->width == 4 ? (layout->big ? SheetCharset::kUtf32Be : SheetCharset::kUtf32Le)
                                                  : (layout->big ? SheetCharset::kUtf16Be : SheetCharset::kUtf16Le);
  return std::pair(charset, layout->bom / layout->width);
}

// The file's code units: bytes for the 8-bit charsets and UTF-8, 16- or 32-bit units otherwise.
// Every character of XML markup and indentation is one unit in each of them, and no unit of a
// longer character equals one of those, so markup is found by unit alone.
class Units {
 public:
  Units(std::string_view bytes, SheetCharset charset)
      : m_data(reinterpret_cast<const unsigned char*>(bytes.data())),
        m_width(UnitBytes(charset)),
        m_big(IsBigEndian(charset)),
        m_size(bytes.size() / m_width) {}

  size_t size() const { return m_size; }
  char32_t operator[](size_t i) const {
    const unsigned char* p = m_data + i * m_width;
    if (m_width == 1) return p[0];
    if (m_width == 2) return m_big ? (char32_t{p[0]} << 8) | p[1] : (char32_t{p[1]} << 8) | p[0];
    return m_big ? (char32_t{p[0]} << 24) | (char32_t{p[1]} << 16) | (char32_t{p[2]} << 8) | p[3]
                 : (char32_t{p[3]} << 24) | (char32_t{p[2]} << 16) | (char32_t{p[1]} << 8) | p[0];
  }
  bool Matches(size_t i, std::string_view ascii) const {
    if (i > m_size || m_size - i < ascii.size()) return false;
    for (size_t k = 0; k < ascii.size(); ++k) {
      if ((*this)[i + k] != static_cast<unsigned char>(ascii[k])) return false;
    }
    return true;
  }
  // The first match at or after `from`, or kNone.
  size_t Find(size_t from, std::string_view ascii) const {
    for (size_t i = from; i < m_size; ++i) {
      if ((*this)[i] == static_cast<unsigned char>(ascii[0]) && Matches(i, ascii)) return i;
    }
    return kNone;
  }
  // After the '>' that ends the tag holding `from` (quoted values passed over), or kNone.
  size_t TagEnd(size_t from) const {
    for (size_t i = from; i < m_size; ++i) {
      const char32_t c = (*this)[i];
      if (c == '"' || c == '\'') {
        i = Find(i + 1, c == '"' ? "\"" : "'");
        if (i == kNone) return kNone;
      } else if (c == '>') {
        return i + 1;
      }
    }
    return kNone;
  }
  // From inside an element, past its last child element: the '<' of its end tag, passing over text,
  // comments, CDATA sections and processing instructions; kNone if anything else comes first.
  size_t EndTagAt(size_t from) const {
    for (size_t i = from; i != kNone;) {
      i = Find(i, "<");
      if (i == kNone || Matches(i, "</")) return i;
      std::string_view open = "<?", close = "?>";
      if (Matches(i, "<!--")) {
        open = "<!--";
        close = "-->";
      } else if (Matches(i, "<![CDATA[")) {
        open = "<![CDATA[";
        close = "]]>";
      } else if (!Matches(i, "<?")) {
        return kNone;
      }
      i = Find(i + open.size(), close);
      if (i != kNone) i += close.size();
    }
    return kNone;
  }
  // The end of an element whose start tag begins at `lt` and that holds no element.
  size_t LeafEnd(size_t lt) const {
    const size_t open = TagEnd(lt + 1);
    if (open == kNone || (*this)[open - 2] == '/') return open;
    const size_t close = EndTagAt(open);
    return close == kNone ? kNone : TagEnd(close);
  }

 private:
  const unsigned char* m_data;
  size_t m_width;
  bool m_big;
  size_t m_size;
};

pugi::xml_encoding PugiEncoding(SheetCharset charset) {
  switch (charset) {
    case SheetCharset::kUtf16Le:
      return pugi::encoding_utf16_le;
    case SheetCharset::kUtf16Be:
      return pugi::encoding_utf16_be;
    case SheetCharset::kUtf32Le:
      return pugi::encoding_utf32_le;
    case SheetCharset::kUtf32Be:
      return pugi::encoding_utf32_be;
    default:
      return pugi::encoding_utf8;
  }
}

// The characters of bytes 0x80-0xFF in windows-1252, taken from the reader itself so that a
// save writes back exactly the bytes a load read.
const std::array<wchar_t, 128>& Windows1252High() {
  static const std::array<wchar_t, 128> table = [] {
    std::string probe = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
    const size_t prefix = probe.size();
    for (int byte = 0x80; byte <= 0xFF; ++byte) probe += static_cast<char>(byte);
    std::string recoded;
    SheetBytes encoding = SheetBytes::kDetect;
    PrepareSheetBytes(probe, recoded, encoding);
    const std::wstring wide = DecodeUtf8(std::string_view(recoded).substr(std::min(prefix, recoded.size())));
    std::array<wchar_t, 128> high{};
    for (size_t i = 0; i < high.size() && i < wide.size(); ++i) high[i] = wide[i];
    return high;
  }();
  return table;
}

// The byte of an 8-bit charset that holds the character, or -1 when it holds none.
int ByteOf(wchar_t c, SheetCharset charset) {
  const auto code = static_cast<char32_t>(c) & (kWide16 ? 0xFFFF : 0xFFFFFFFF);
  if (code < 0x80) return static_cast<int>(code);
  if (charset == SheetCharset::kLatin1) return code <= 0xFF ? static_cast<int>(code) : -1;
  if (charset != SheetCharset::kWindows1252) return -1;
  if (code >= 0xA0 && code <= 0xFF) return static_cast<int>(code);
  const auto& high = Windows1252High();
  for (size_t i = 0; i < 0x20; ++i) {
    if (high[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

wchar_t CharOf(unsigned char byte, SheetCharset charset) {
  return charset == SheetCharset::kWindows1252 && byte >= 0x80 ? Windows1252High()[byte - 0x80]
                                                               : static_cast<wchar_t>(byte);
}

// Text as XML requires it in content: "&" and "<" always, ">" where it would end "]]>", and a
// carriage return as a reference (a reader turns a raw one into a line feed). Text of blanks alone
// goes into a CDATA section, since a reader drops it as mere indentation otherwise.
std::wstring Escape(std::wstring_view text) {
  if (!text.empty() && text.find_first_not_of(L" \t\n") == std::wstring_view::npos) {
    return L"<![CDATA[" + std::wstring(text) + L"]]>";
  }
  std::wstring out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'&') {
      out += L"&amp;";
    } else if (c == L'<') {
      out += L"&lt;";
    } else if (c == L'\r') {
      out += L"&#13;";
    } else if (c == L'>' && i >= 2 && text[i - 1] == L']' && text[i - 2] == L']') {
      out += L"&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

// A name MSBuild takes for a property or item: an ASCII letter or "_", then letters, digits, "_",
// "-" and ".". Anything else could break out of the tag it is written into.
bool IsElementName(std::wstring_view name) {
  const auto letter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; };
  if (name.empty() || !letter(name[0])) return false;
  return std::all_of(name.begin(), name.end(),
                     [&](wchar_t c) { return letter(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.'; });
}

Result CheckNew(const NewElement& element) {
  if (!IsElementName(element.name)) {
    return Result::Failure(Result::Status::kInvalid, L"\"" + element.name + L"\" is not an element name");
  }
  if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(element.text)) {
    return Result::Failure(
        Result::Status::kForbiddenCharacter,
        element.name + L" would hold a character XML does not allow: " + DescribeForbiddenCharacter(*found));
  }
  for (const NewElement& child : element.children) {
    if (Result checked = CheckNew(child); !checked) return checked;
  }
  return {};
}

Result NotInSheet() {
  return Result::Failure(Result::Status::kInvalid, L"the element is not one of the sheet as it was read");
}

pugi::xml_node LastElementChild(pugi::xml_node node) {
  for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
    if (child.type() == pugi::node_element) return child;
  }
  return {};
}

pugi::xml_node NextElement(pugi::xml_node node) {
  for (node = node.next_sibling(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element) return node;
  }
  return {};
}

pugi::xml_node FirstElementChild(pugi::xml_node node) {
  pugi::xml_node child = node.first_child();
  return !child || child.type() == pugi::node_element ? child : NextElement(child);
}

// The text an element reads as when it holds nothing but text: nothing, one text or one CDATA.
std::optional<std::wstring_view> PlainText(pugi::xml_node element) {
  const pugi::xml_node child = element.first_child();
  if (!child) return std::wstring_view();
  if (child.next_sibling() || (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata)) {
    return std::nullopt;
  }
  return std::wstring_view(child.value());
}

// The XML reader's refusals, grouped by what it was reading.
SheetRefusal::Kind MarkupFault(pugi::xml_parse_status status) {
  using Kind = SheetRefusal::Kind;
  switch (status) {
    case pugi::status_unrecognized_tag:
    case pugi::status_bad_start_element:
      return Kind::kBadStartTag;
    case pugi::status_bad_end_element:
    case pugi::status_end_element_mismatch:
      return Kind::kBadEndTag;
    case pugi::status_bad_attribute:
      return Kind::kBadAttribute;
    case pugi::status_bad_pi:
    case pugi::status_bad_comment:
    case pugi::status_bad_cdata:
    case pugi::status_bad_doctype:
      return Kind::kBadMarkup;
    default:
      return Kind::kNotWellFormed;
  }
}

}  // namespace

pugi::xml_encoding LibraryEncoding(SheetBytes encoding) {
  switch (encoding) {
    case SheetBytes::kUtf8:
      return pugi::encoding_utf8;
    case SheetBytes::kLatin1:
      return pugi::encoding_latin1;
    case SheetBytes::kDetect:
      break;
  }
  return pugi::encoding_auto;
}

SheetLoad CheckSheetStructure(const pugi::xml_document& doc) {
  using Kind = SheetRefusal::Kind;
  const auto refuse = [](const std::wstring& what, SheetRefusal refusal) {
    return SheetLoad(Result::Failure(Result::Status::kNotASheet, L"not well-formed XML: " + what), std::move(refusal));
  };
  bool element = false;
  for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      return refuse(std::wstring(L"text ") + (element ? L"after" : L"before") + L" the top element",
                    {.kind = element ? Kind::kTextAfter : Kind::kTextBefore});
    }
    if (node.type() != pugi::node_element) continue;
    if (element) {
      return refuse(L"a second top element, <" + std::wstring(node.name()) + L">",
                    {.kind = Kind::kSecondElement, .name = node.name()});
    }
    element = true;
  }
  if (!element) {
    return SheetLoad(Result::Failure(Result::Status::kNotASheet, L"the file holds no XML element"),
                     {.kind = Kind::kNoElement});
  }
  // Each node once, without recursion: any depth is safe to walk.
  const pugi::xml_node top = doc.document_element();
  std::vector<std::wstring_view> names;
  for (pugi::xml_node node = top; node;) {
    names.clear();
    for (const pugi::xml_attribute attribute : node.attributes()) names.emplace_back(attribute.name());
    std::sort(names.begin(), names.end());
    if (const auto twice = std::adjacent_find(names.begin(), names.end()); twice != names.end()) {
      return refuse(L"<" + std::wstring(node.name()) + L"> has the attribute " + std::wstring(*twice) + L" twice",
                    {.kind = Kind::kDuplicateAttribute, .name = std::wstring(*twice), .element = node.name()});
    }
    if (const pugi::xml_node child = node.first_child()) {
      node = child;
      continue;
    }
    while (node != top && !node.next_sibling()) node = node.parent();
    node = node == top ? pugi::xml_node() : node.next_sibling();
  }
  return {};
}

// Where an element stands in the units as read.
struct SheetSplice::Span {
  size_t begin = kNone;  // the '<' of its start tag
  size_t open = kNone;   // after its start tag; for `<X />`, where the blanks before "/>" begin
  size_t close = kNone;  // the '<' of its end tag; for `<X />`, equal to open
  size_t end = kNone;    // after it
  bool empty = false;    // written `<X />`
};

struct SheetSplice::Line {
  size_t start = 0;    // the first unit of the line
  bool alone = false;  // only blanks precede the element on it
  std::wstring indent;
};

struct SheetSplice::Edit {
  enum class Kind { kText, kRemove, kInsert, kOpen };
  Kind kind = Kind::kInsert;
  size_t begin = 0, end = 0;  // the units replaced
  size_t key = kNone;         // the element edited (its '<'), to find an edit made again
  size_t keyEnd = kNone;      // for a removal, the end of the element; the rest are blanks beside it
  // At one place: what goes after an element, then what goes last into one, then what goes before
  // an element, each in the order made; then what is replaced.
  int rank = 1;
  int order = 0;
  bool closed = false;  // replaced content: edits at its very edges are inside it
  // Written in place of the units: head, then each element between before and after, then tail.
  std::wstring head, tail, before, after;
  std::vector<NewElement> elements;
  std::wstring indent, lineBreak;  // of the elements' start tags; empty lineBreak: children inline
};

SheetSplice::SheetSplice() = default;
SheetSplice::~SheetSplice() = default;

SheetLoad SheetSplice::Load(std::string bytes) {
  using Status = Result::Status;
  using Kind = SheetRefusal::Kind;
  m_doc.reset();
  m_bytes.clear();
  m_edits.clear();
  m_wideBefore.clear();
  m_step.reset();
  m_declaredEncoding.reset();
  m_textStart = 0;
  if (bytes.empty()) return {Result::Failure(Status::kNotASheet, L"the file is empty"), {.kind = Kind::kEmpty}};

  SheetBytes read = SheetBytes::kDetect;
  std::string recoded;
  if (SheetLoad prepared = PrepareSheetBytes(bytes, recoded, read); !prepared) return prepared;
  pugi::xml_encoding encoding = LibraryEncoding(read);
  if (encoding == pugi::encoding_auto) {
    const auto wide = DetectWide(bytes);
    if (!wide) {
      return {Result::Failure(Status::kNotASheet, L"the encoding of the file is not known"),
              {.kind = Kind::kUnknownEncoding}};
    }
    m_charset = wide->first;
    m_textStart = wide->second;
    encoding = PugiEncoding(m_charset);
  } else if (encoding == pugi::encoding_latin1) {
    m_charset = SheetCharset::kLatin1;
  } else if (!recoded.empty()) {
    m_charset = SheetCharset::kWindows1252;
  } else if (StartsWithUtf8Bom(bytes)) {
    m_charset = SheetCharset::kUtf8;
    m_textStart = 3;
  } else {
    m_charset = SheetCharset::kUtf8;  // for now: the declaration decides below
  }

  if (!IsWide(m_charset) && m_textStart == 0) {
    m_declaredEncoding = DeclaredEncodingRange(bytes);
    const std::string_view declared =
        m_declaredEncoding ? std::string_view(bytes).substr(m_declaredEncoding->first,
                                                            m_declaredEncoding->second - m_declaredEncoding->first)
                           : "utf-8";
    if (m_charset == SheetCharset::kUtf8 && !AsciiNameIs(declared, "utf-8") && !AsciiNameIs(declared, "utf8")) {
      m_charset = SheetCharset::kAscii;
    }
  }

  const std::string& parse = recoded.empty() ? bytes : recoded;
  const pugi::xml_parse_result parsed = m_doc.load_buffer(parse.data(), parse.size(), kSheetParseOptions, encoding);
  std::string().swap(recoded);
  if (!parsed) {
    m_doc.reset();
    const std::string_view description = parsed.description();
    // Where the reader stopped, as the line an editor shows.
    m_bytes = std::move(bytes);
    const std::optional<size_t> line = LineAt(parsed.offset);
    m_bytes.clear();
    const Kind kind = line ? MarkupFault(parsed.status) : Kind::kUnexpectedEnd;
    // Memory that ran out says nothing about the markup: only the reader's own words are right then.
    const bool markup = parsed.status != pugi::status_out_of_memory && parsed.status != pugi::status_internal_error;
    return {Result::Failure(Status::kNotASheet,
                            L"not well-formed XML: " + std::wstring(description.begin(), description.end())),
            {.kind = markup ? kind : Kind::kNone, .at = line.value_or(0)}};
  }
  if (SheetLoad sound = CheckSheetStructure(m_doc); !sound) {
    m_doc.reset();
    return sound;
  }
  m_bytes = std::move(bytes);
  // pugixml ends a declaration at "/>" as well, as long as a "?>" follows somewhere; an edit that
  // replaced that "?>" would leave a file no reader takes.
  for (pugi::xml_node node = m_doc.first_child(); node; node = node.next_sibling()) {
    const size_t name = node.type() == pugi::node_declaration ? UnitOf(node.offset_debug()) : kNone;
    const Units t(m_bytes, m_charset);
    const size_t end = name == kNone ? kNone : t.TagEnd(name);
    if (end != kNone && t[end - 2] != '?') {
      m_doc.reset();
      m_bytes.clear();
      return {Result::Failure(Status::kNotASheet, L"not well-formed XML: the XML declaration does not end with \"?>\""),
              {.kind = Kind::kDeclarationEnd}};
    }
  }
  return {};
}

size_t SheetSplice::WideLength(char32_t unit) const {
  switch (m_charset) {
    case SheetCharset::kUtf8:
      return (unit & 0xC0) == 0x80 ? 0 : kWide16 && unit >= 0xF0 ? 2 : 1;
    case SheetCharset::kUtf16Le:
    case SheetCharset::kUtf16Be:
      return kWide16 || unit < 0xDC00 || unit > 0xDFFF ? 1 : 0;
    case SheetCharset::kUtf32Le:
    case SheetCharset::kUtf32Be:
      return kWide16 && unit >= 0x10000 ? 2 : 1;
    default:
      return 1;
  }
}

// pugixml counts offsets in the wide characters it decoded the file into (the byte order mark
// included); those are units of the file one to one unless a character takes more units in one
// than in the other.
size_t SheetSplice::UnitOf(ptrdiff_t wideOffset) const {
  if (wideOffset < 0) return kNone;
  const auto wide = static_cast<size_t>(wideOffset);
  const Units t(m_bytes, m_charset);
  const bool oneToOne = m_charset == SheetCharset::kLatin1 || m_charset == SheetCharset::kWindows1252 ||
                        m_charset == SheetCharset::kAscii || (IsWide(m_charset) && Is32(m_charset) != kWide16);
  if (oneToOne) return wide < t.size() ? wide : kNone;
  if (m_wideBefore.empty()) {
    m_wideBefore.reserve(t.size() / kBlock + 1);
    size_t count = 0;
    for (size_t block = 0; block < t.size(); block += kBlock) {
      m_wideBefore.push_back(count);
      const size_t end = std::min(t.size(), block + kBlock);
      size_t i = block;
      if (m_charset == SheetCharset::kUtf8) {
        // Most sheets are nearly all ASCII: eight bytes at a time where they are.
        for (std::uint64_t word = 0; i + 8 <= end; i += 8) {
          std::memcpy(&word, m_bytes.data() + i, sizeof word);
          if (word & 0x8080808080808080u) break;
          count += 8;
        }
      }
      for (; i < end; ++i) count += WideLength(t[i]);
    }
  }
  const size_t block =
      static_cast<size_t>(std::upper_bound(m_wideBefore.begin(), m_wideBefore.end(), wide) - m_wideBefore.begin()) - 1;
  size_t count = m_wideBefore[block];
  for (size_t i = block * kBlock; i < t.size() && count <= wide; ++i) {
    const size_t length = WideLength(t[i]);
    if (length != 0 && count == wide) return i;
    count += length;
  }
  return kNone;
}

size_t SheetSplice::StartOf(pugi::xml_node element) const {
  if (element.type() != pugi::node_element || element.root() != m_doc) return kNone;
  const size_t name = UnitOf(element.offset_debug());
  return name != kNone && name > m_textStart && Units(m_bytes, m_charset)[name - 1] == '<' ? name - 1 : kNone;
}

std::optional<SheetSplice::Span> SheetSplice::SpanOf(pugi::xml_node element) const {
  const Units t(m_bytes, m_charset);
  Span span;
  span.begin = StartOf(element);
  if (span.begin == kNone) return std::nullopt;
  span.open = t.TagEnd(span.begin + 1);
  if (span.open == kNone) return std::nullopt;
  if (t[span.open - 2] == '/') {
    span.empty = true;
    span.end = span.open;
    span.open -= 2;
    while (IsSpace(t[span.open - 1])) --span.open;
    span.close = span.open;
    return span;
  }
  // The end tag follows the end of the last child element, found from the deepest last descendant
  // up: only the units behind each of them are read.
  std::vector<pugi::xml_node> chain;
  for (pugi::xml_node last = LastElementChild(element); last; last = LastElementChild(last)) chain.push_back(last);
  size_t from = span.open;
  if (!chain.empty()) {
    const size_t leaf = StartOf(chain.back());
    from = leaf == kNone ? kNone : t.LeafEnd(leaf);
    for (size_t k = chain.size() - 1; k > 0 && from != kNone; --k) from = t.TagEnd(t.EndTagAt(from));
  }
  span.close = from == kNone ? kNone : t.EndTagAt(from);
  span.end = span.close == kNone ? kNone : t.TagEnd(span.close);
  if (span.end == kNone) return std::nullopt;
  return span;
}

SheetSplice::Line SheetSplice::LineOf(size_t lt) const {
  const Units t(m_bytes, m_charset);
  Line line;
  line.start = lt;
  while (line.start > m_textStart && IsBlank(t[line.start - 1])) --line.start;
  line.alone = line.start == m_textStart || IsBreak(t[line.start - 1]);
  if (line.alone) {
    for (size_t i = line.start; i < lt; ++i) line.indent += static_cast<wchar_t>(t[i]);
  }
  return line;
}

std::wstring SheetSplice::BreakEndingAt(size_t unit) const {
  const Units t(m_bytes, m_charset);
  if (unit <= m_textStart) return {};
  if (t[unit - 1] == '\n') return unit - 1 > m_textStart && t[unit - 2] == '\r' ? L"\r\n" : L"\n";
  return t[unit - 1] == '\r' ? L"\r" : L"";
}

// The line break of the line that holds the unit, else of the line before it; empty for a file
// written on one line.
std::wstring SheetSplice::BreakNear(size_t unit) const {
  const Units t(m_bytes, m_charset);
  for (size_t i = unit; i < t.size(); ++i) {
    if (t[i] == '\n') return L"\n";
    if (t[i] == '\r') return i + 1 < t.size() && t[i + 1] == '\n' ? L"\r\n" : L"\r";
  }
  for (size_t i = std::min(unit, t.size()); i > m_textStart; --i) {
    if (IsBreak(t[i - 1])) return BreakEndingAt(i);
  }
  return {};
}

// How much deeper a child is indented than its parent in this file: from the first element, or
// one of its children, whose first child stands on a line of its own. Two spaces, as Visual Studio
// writes, when nothing tells.
const std::wstring& SheetSplice::Step() const {
  if (m_step) return *m_step;
  m_step = L"  ";
  const pugi::xml_node top = m_doc.document_element();
  pugi::xml_node parent = top;
  for (int looked = 0; parent && looked < 64; ++looked) {
    const pugi::xml_node child = FirstElementChild(parent);
    const size_t outer = StartOf(parent), inner = StartOf(child);
    if (outer != kNone && inner != kNone) {
      const Line parentLine = LineOf(outer), childLine = LineOf(inner);
      if (parentLine.alone && childLine.alone && childLine.indent.size() > parentLine.indent.size() &&
          childLine.indent.starts_with(parentLine.indent)) {
        m_step = childLine.indent.substr(parentLine.indent.size());
        break;
      }
    }
    parent = parent == top ? FirstElementChild(top) : NextElement(parent);
  }
  return *m_step;
}

void SheetSplice::Forget() { m_edits.clear(); }

std::optional<size_t> SheetSplice::LineAt(ptrdiff_t wideOffset) const {
  const Units t(m_bytes, m_charset);
  size_t wide = 0, line = 1;
  for (size_t at = 0; at < t.size(); ++at) {
    const char32_t c = t[at];
    const size_t length = WideLength(c);
    if (length != 0 && wide >= static_cast<size_t>(std::max<ptrdiff_t>(wideOffset, 0))) {
      // The reader points at the last character when the text ran out before the markup did.
      for (size_t next = at + 1; next < t.size(); ++next) {
        if (WideLength(t[next]) != 0) return line;
      }
      return std::nullopt;
    }
    line += c == '\n' || (c == '\r' && (at + 1 >= t.size() || t[at + 1] != '\n'));
    wide += length;
  }
  return std::nullopt;
}

std::vector<int> SheetSplice::LinesOf(const std::vector<pugi::xml_node>& elements) const {
  // One walk through the units for all of them, counting pugixml's wide characters alongside, since
  // looking each one up on its own would read the units around it again and again.
  const Units t(m_bytes, m_charset);
  std::vector<int> lines;
  lines.reserve(elements.size());
  size_t at = 0, wide = 0;
  int line = 1;
  for (const pugi::xml_node element : elements) {
    const ptrdiff_t offset = element.type() == pugi::node_element && element.root() == m_doc ? element.offset_debug() : -1;
    if (offset < 0 || static_cast<size_t>(offset) < wide) {
      lines.push_back(0);
      continue;
    }
    for (; at < t.size() && wide < static_cast<size_t>(offset); ++at) {
      const char32_t c = t[at];
      // A lone CR ends a line as well; CR LF ends one line.
      line += c == '\n' || (c == '\r' && (at + 1 >= t.size() || t[at + 1] != '\n'));
      wide += WideLength(c);
    }
    lines.push_back(line);
  }
  return lines;
}

Result SheetSplice::SetText(pugi::xml_node element, std::wstring_view text) {
  if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(text)) {
    return Result::Failure(Result::Status::kForbiddenCharacter, std::wstring(element.name()) +
                                                                    L" would hold a character XML does not allow: " +
                                                                    DescribeForbiddenCharacter(*found));
  }
  const std::optional<Span> span = SpanOf(element);
  if (!span) return NotInSheet();
  Edit edit;
  edit.kind = Edit::Kind::kText;
  edit.key = span->begin;
  edit.begin = span->open;
  edit.end = span->empty ? span->end : span->close;
  edit.closed = !span->empty;
  if (PlainText(element) == text) return Add(std::move(edit), false);  // as written already
  edit.head =
      (span->empty ? L">" : L"") + Escape(text) + (span->empty ? L"</" + std::wstring(element.name()) + L">" : L"");
  return Add(std::move(edit));
}

Result SheetSplice::Remove(pugi::xml_node element) {
  if (element == m_doc.document_element()) {
    return Result::Failure(Result::Status::kInvalid, L"the top element of a sheet cannot be removed");
  }
  const std::optional<Span> span = SpanOf(element);
  if (!span) return NotInSheet();
  const Units t(m_bytes, m_charset);
  const Line line = LineOf(span->begin);
  Edit edit;
  edit.kind = Edit::Kind::kRemove;
  edit.key = span->begin;
  edit.keyEnd = span->end;
  edit.begin = line.start;
  edit.end = span->end;
  while (edit.end < t.size() && IsBlank(t[edit.end])) ++edit.end;
  if (line.alone && edit.end < t.size() && IsBreak(t[edit.end])) {
    // The whole line, its break included.
    edit.end += t[edit.end] == '\r' && edit.end + 1 < t.size() && t[edit.end + 1] == '\n' ? 2 : 1;
  } else {
    // Something else shares its line: the blanks that separated it from markup go with it, the
    // indentation and blanks beside text stay.
    if (line.alone || t[line.start - 1] != '>') edit.begin = span->begin;
    if (!line.alone || edit.end >= t.size() || t[edit.end] != '<') edit.end = span->end;
  }
  return Add(std::move(edit));
}

Result SheetSplice::Insert(pugi::xml_node anchor, Place place, const NewElement& element) {
  if (Result checked = CheckNew(element); !checked) return checked;
  if (place != Place::kLastChild && anchor == m_doc.document_element()) {
    return Result::Failure(Result::Status::kInvalid, L"a sheet has one top element");
  }
  const std::optional<Span> span = SpanOf(anchor);
  if (!span) return NotInSheet();
  const Units t(m_bytes, m_charset);
  const Line anchorLine = LineOf(span->begin);
  Edit edit;
  edit.kind = Edit::Kind::kInsert;
  edit.elements.push_back(element);
  // Puts the element at `at` on a line of its own: after the break that ends the line before.
  const auto ownLine = [&](size_t at, std::wstring indent, std::wstring lineBreak) {
    edit.begin = edit.end = at;
    edit.before = edit.indent = std::move(indent);
    edit.after = edit.lineBreak = std::move(lineBreak);
  };
  const auto inlineAt = [&](size_t at) { edit.begin = edit.end = at; };

  if (place == Place::kBefore) {
    edit.rank = 2;
    const std::wstring lineBreak = BreakEndingAt(anchorLine.start);
    if (anchorLine.alone && !lineBreak.empty()) {
      ownLine(anchorLine.start, anchorLine.indent, lineBreak);
    } else {
      inlineAt(span->begin);
    }
    return Add(std::move(edit));
  }
  if (place == Place::kAfter) {
    edit.rank = 0;
    // Past blanks, and comments that end on the same line, to the break that ends the anchor's line.
    size_t i = span->end;
    for (;;) {
      while (i < t.size() && IsBlank(t[i])) ++i;
      if (!t.Matches(i, "<!--")) break;
      const size_t close = t.Find(i + 4, "-->");
      if (close == kNone) break;
      bool oneLine = true;
      for (size_t k = i; k < close && oneLine; ++k) oneLine = !IsBreak(t[k]);
      if (!oneLine) break;
      i = close + 3;
    }
    if (anchorLine.alone && i < t.size() && IsBreak(t[i])) {
      const size_t next = i + (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n' ? 2 : 1);
      ownLine(next, anchorLine.indent, BreakEndingAt(next));
    } else {
      inlineAt(span->end);
    }
    return Add(std::move(edit));
  }

  // As the last child.
  const pugi::xml_node last = LastElementChild(anchor);
  const size_t lastStart = last ? StartOf(last) : kNone;
  if (last && lastStart == kNone) return NotInSheet();
  const Line lastLine = last ? LineOf(lastStart) : Line{};
  const Line closeLine = span->empty ? Line{} : LineOf(span->close);
  const std::wstring closeBreak = span->empty ? L"" : BreakEndingAt(closeLine.start);
  if (last && !lastLine.alone) {
    inlineAt(span->close);
  } else if (closeLine.alone && !closeBreak.empty()) {
    // Before the end tag's line.
    ownLine(closeLine.start,
            last ? lastLine.indent : (anchorLine.alone ? anchorLine.indent : closeLine.indent) + Step(), closeBreak);
  } else if (last) {
    // After the last child's line, the end tag staying where it is.
    inlineAt(span->close);
    edit.lineBreak = BreakNear(lastStart);
    if (!edit.lineBreak.empty()) {
      edit.before = edit.lineBreak + lastLine.indent;
      edit.indent = lastLine.indent;
    }
  } else {
    // An empty parent is opened up; later elements for it join this edit.
    const auto open = std::find_if(m_edits.begin(), m_edits.end(),
                                   [&](const Edit& e) { return e.kind == Edit::Kind::kOpen && e.key == span->begin; });
    if (open != m_edits.end()) {
      open->elements.push_back(element);
      return {};
    }
    const std::wstring lineBreak = anchorLine.alone ? BreakNear(span->begin) : L"";
    edit.kind = Edit::Kind::kOpen;
    edit.key = span->begin;
    edit.begin = span->empty ? span->open : span->close;
    edit.end = span->empty ? span->end : span->close;
    const std::wstring name = anchor.name();
    edit.head = span->empty ? L">" : L"";
    edit.tail = span->empty ? L"</" + name + L">" : L"";
    if (!lineBreak.empty()) {
      edit.indent = anchorLine.indent + Step();
      edit.lineBreak = lineBreak;
      edit.before = lineBreak + edit.indent;
      edit.tail = lineBreak + anchorLine.indent + edit.tail;
    }
  }
  return Add(std::move(edit));
}

// Records an edit unless it would write into or across what another one replaces: an element's
// text set again replaces its earlier text (and text as written already only undoes that), and a
// removal takes the edits inside the element along. Zero-width edits at the edges of replaced
// content are inside it; at the edges of an element removed, or in the blanks removed with it,
// they belong to its neighbours (Save moves them out of the blanks), and two removals may share
// the blanks between them.
Result SheetSplice::Add(Edit edit, bool record) {
  const bool removal = edit.kind == Edit::Kind::kRemove;
  const auto point = [](const Edit& e) { return e.begin == e.end; };
  const auto within = [](const Edit& e, const Edit& range) {
    const bool removed = range.kind == Edit::Kind::kRemove;
    const size_t from = removed ? range.key : range.begin, to = removed ? range.keyEnd : range.end;
    return e.begin == e.end ? from < e.begin && e.begin < to : from <= e.begin && e.end <= to;
  };
  const auto again = [&](const Edit& e) {
    return e.kind == edit.kind && e.key == edit.key && (edit.kind == Edit::Kind::kText || removal);
  };
  const auto overlap = [&](const Edit& a, const Edit& b) {
    if (a.closed || b.closed) return a.begin <= b.end && b.begin <= a.end;
    if (point(a) || point(b)) return point(a) ? within(a, b) : within(b, a);
    if (a.kind == Edit::Kind::kRemove && b.kind == Edit::Kind::kRemove) return a.key < b.keyEnd && b.key < a.keyEnd;
    return a.begin < b.end && b.begin < a.end;
  };
  for (const Edit& other : m_edits) {
    if (again(other) && removal) return {};
    if (again(other) || (removal && within(other, edit))) continue;
    if (overlap(edit, other))
      return Result::Failure(Result::Status::kInvalid, L"the edit overlaps an earlier edit of the sheet");
  }
  std::erase_if(m_edits, [&](const Edit& e) { return again(e) || (removal && within(e, edit)); });
  if (!record) return {};
  edit.order = m_nextOrder++;
  m_edits.push_back(std::move(edit));
  return {};
}

void SheetSplice::RenderElement(const NewElement& element, const std::wstring& indent, const std::wstring& lineBreak,
                                std::wstring& out) const {
  out += L'<';
  out += element.name;
  if (element.children.empty()) {
    if (element.text.empty()) {
      out += L" />";
      return;
    }
    out += L'>';
    out += Escape(element.text);
  } else {
    out += L'>';
    const std::wstring inner = lineBreak.empty() ? L"" : indent + Step();
    for (const NewElement& child : element.children) {
      out += lineBreak;
      out += inner;
      RenderElement(child, inner, lineBreak, out);
    }
    out += lineBreak;
    if (!lineBreak.empty()) out += indent;
  }
  out += L"</";
  out += element.name;
  out += L'>';
}

std::wstring SheetSplice::Render(const Edit& edit) const {
  std::wstring out = edit.head;
  for (const NewElement& element : edit.elements) {
    out += edit.before;
    RenderElement(element, edit.indent, edit.lineBreak, out);
    out += edit.after;
  }
  return out + edit.tail;
}

namespace {

void Encode(std::wstring_view text, SheetCharset charset, std::string& out) {
  if (charset == SheetCharset::kUtf8) {
    out += EncodeUtf8(text);
    return;
  }
  if (!IsWide(charset)) {
    for (const wchar_t c : text) out += static_cast<char>(ByteOf(c, charset));
    return;
  }
  const bool big = IsBigEndian(charset);
  const size_t width = UnitBytes(charset);
  const auto put = [&](char32_t unit) {
    for (size_t k = 0; k < width; ++k) {
      const size_t shift = 8 * (big ? width - 1 - k : k);
      out += static_cast<char>((unit >> shift) & 0xFF);
    }
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]) & (kWide16 ? 0xFFFF : 0xFFFFFFFF);
    if (kWide16 && c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (width == 2 && c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
}

bool Fits(std::wstring_view text, SheetCharset charset) {
  if (charset != SheetCharset::kLatin1 && charset != SheetCharset::kWindows1252 && charset != SheetCharset::kAscii) {
    return true;
  }
  return std::all_of(text.begin(), text.end(), [&](wchar_t c) { return ByteOf(c, charset) >= 0; });
}

}  // namespace

SplicedBytes SheetSplice::Save() const {
  SplicedBytes saved;
  if (m_edits.empty()) {
    saved.bytes = m_bytes;
    return saved;
  }
  struct Piece {
    size_t begin, end;
    int rank, order;
    std::wstring text;
  };
  std::vector<Piece> pieces;
  for (const Edit& edit : m_edits) {
    Piece piece{edit.begin, edit.end, edit.begin != edit.end ? 3 : edit.rank, edit.order, Render(edit)};
    // What goes beside a removed element goes beside the blanks removed with it.
    for (const Edit& removed : m_edits) {
      if (removed.kind == Edit::Kind::kRemove && piece.begin == piece.end && removed.begin < piece.begin &&
          piece.begin < removed.end) {
        piece.begin = piece.end = piece.begin <= removed.key ? removed.begin : removed.end;
      }
    }
    pieces.push_back(std::move(piece));
  }
  std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
    return std::tie(a.begin, a.rank, a.order) < std::tie(b.begin, b.rank, b.order);
  });
  saved.becameUtf8 =
      !std::all_of(pieces.begin(), pieces.end(), [&](const Piece& p) { return Fits(p.text, m_charset); });
  const SheetCharset target = saved.becameUtf8 ? SheetCharset::kUtf8 : m_charset;
  if (saved.becameUtf8 && m_declaredEncoding) {
    // It comes before the top element, and so before every edit.
    pieces.insert(pieces.begin(), {m_declaredEncoding->first, m_declaredEncoding->second, 3, -1, L"utf-8"});
  }

  const size_t width = UnitBytes(m_charset);
  // The units as read; each character in UTF-8 when the file becomes UTF-8.
  const auto copy = [&](size_t from, size_t to) {
    if (!saved.becameUtf8) {
      saved.bytes.append(m_bytes, from * width, (to - from) * width);
      return;
    }
    std::wstring wide(to - from, L'\0');
    for (size_t i = from; i < to; ++i) wide[i - from] = CharOf(static_cast<unsigned char>(m_bytes[i]), m_charset);
    saved.bytes += EncodeUtf8(wide);
  };
  saved.bytes.reserve(m_bytes.size() + (saved.becameUtf8 ? m_bytes.size() / 4 : 0) + 1024);
  size_t at = 0;
  for (const Piece& piece : pieces) {
    // Removals that share blanks remove them once.
    const size_t begin = std::max(at, piece.begin), end = std::max(begin, piece.end);
    copy(at, begin);
    const size_t written = saved.bytes.size();
    Encode(piece.text, target, saved.bytes);
    saved.splices.push_back({begin * width, (end - begin) * width, saved.bytes.size() - written});
    at = end;
  }
  copy(at, Units(m_bytes, m_charset).size());
  saved.changed = saved.bytes != m_bytes;
  if (!saved.changed) saved.splices.clear();
  return saved;
}

}  // namespace pathwright
