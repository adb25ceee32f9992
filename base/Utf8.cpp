#include "base/Utf8.h"

#include "base/Text.h"

namespace pathwright {

namespace {
constexpr char32_t kReplacement = 0xFFFD;


bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
}  // namespace

char32_t DecodeUtf8Char(std::string_view bytes, size_t& pos) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  const unsigned char b = p[pos];
  if (b < 0x80) {
    ++pos;
    return b;
  }
  size_t len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b & 0xE0) == 0xC0) {
    len = 2;
    cp = b & 0x1F;
    min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3;
    cp = b & 0x0F;
    min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4;
    cp = b & 0x07;
    min = 0x10000;
  }
  if (len == 0) {  // a stray continuation byte or a byte that starts nothing
    ++pos;
    return kReplacement;
  }
  size_t j = 1;
  for (; j < len && pos + j < n && (p[pos + j] & 0xC0) == 0x80; ++j) cp = (cp << 6) | (p[pos + j] & 0x3F);
  // Skip only what was consumed, so a valid sequence after a broken one is still read.
  pos += j;
  if (j < len || cp < min || cp > 0x10FFFF || IsSurrogate(cp)) return kReplacement;
  return cp;
}

wchar_t* PutWideChar(char32_t cp, wchar_t* out) {
  if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
    cp -= 0x10000;
    *out++ = static_cast<wchar_t>(0xD800 + (cp >> 10));
    *out++ = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
  } else {
    *out++ = static_cast<wchar_t>(cp);
  }
  return out;
}

std::wstring DecodeUtf8(std::string_view bytes) {
  // Every byte gives at most one wide character (a four-byte sequence gives two UTF-16 units), so
  // the result is written in place and cut to length at the end.
  std::wstring out(bytes.size(), L'\0');
  wchar_t* o = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      *o++ = static_cast<wchar_t>(p[i++]);
      continue;
    }
    o = PutWideChar(DecodeUtf8Char(bytes, i), o);
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string EncodeUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if (IsSurrogate(cp) || cp > 0x10FFFF) cp = kReplacement;
    AppendUtf8(out, cp);
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool StartsWithUtf8Bom(std::string_view bytes) {
  return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
         static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF;
}

}  // namespace pathwright
