// The linked resources, read back the way Windows reads them: dialog templates, icon group, bitmaps,
// string table, manifest and version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

// Bounds-checked reader over a resource: a read past the end sets `failed` and yields zeros.
struct Reader {
  const BYTE* data = nullptr;
  size_t size = 0, pos = 0;
  bool failed = false;
  template <typename T>
  T Get() {
    T value{};
    if (pos + sizeof(T) > size) return failed = true, pos = size, value;
    std::memcpy(&value, data + pos, sizeof(T));
    return pos += sizeof(T), value;
  }
  std::wstring Text() {
    std::wstring text;
    for (wchar_t c = Get<wchar_t>(); c && !failed; c = Get<wchar_t>()) text += c;
    return text;
  }
  std::wstring NameOrOrdinal() {  // ordinals come back as "#n"
    if (pos + 2 > size || data[pos] != 0xFF || data[pos + 1] != 0xFF) return Text();
    return Get<WORD>(), L"#" + std::to_wstring(Get<WORD>());
  }
};

Reader Load(int id, LPCWSTR type) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!info) return {};
  return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info))), SizeofResource(nullptr, info)};
}

struct Control {
  int id;
  std::wstring cls, text;  // the predefined classes' ordinals are given their names
  short x, y, cx, cy;
  auto Key() const { return std::tie(id, cls, text, x, y, cx, cy); }
};

struct Template {
  int id;
  std::wstring caption, font;
  WORD weight;
  short cx, cy;
  std::vector<Control> controls;
};

const Template kTemplates[] = {
    {IDD_ABOUT, L"1000", L"MS Shell Dlg", 0, 275, 147,
     {{IDC_ABOUT_BANNER, L"static", L"#137", 0, 0, 275, 46},     {IDC_STATIC, L"static", L"", 0, 118, 275, 29},
      {IDOK, L"button", L"OK", 218, 126, 50, 14},                {IDC_STATIC, L"static", L"1002", 7, 81, 261, 8},
      {IDC_ABOUT_WTL_LINK, L"static", L"<wtl>", 27, 92, 241, 8}, {IDC_ABOUT_XML_LINK, L"static", L"<xml>", 27, 103, 241, 8},
      {IDC_ABOUT_AUTHOR, L"static", L"<author>", 7, 132, 202, 8}, {IDC_ABOUT_TITLE, L"static", L"1001", 7, 60, 261, 8},
      {IDC_STATIC, L"static", L"", -7, 46, 292, 1},              {IDC_STATIC, L"static", L"", -5, 118, 290, 1},
      {IDC_ABOUT_VERSION, L"static", L"<version>", 180, 33, 88, 8}}},
    {IDD_MAIN, L"2000", L"MS Shell Dlg", 0, 425, 204,
     {{IDC_MAIN_SHEET_PATH, L"edit", L"", 7, 22, 368, 14}, {IDC_MAIN_SELECT_SHEET, L"button", L"2003", 377, 22, 41, 14},
      {57695, L"edit", L"", 93, 58, 282, 14},  {57702, L"button", L"2004", 377, 58, 41, 14},
      {57696, L"edit", L"", 93, 74, 282, 14},  {57703, L"button", L"2004", 377, 74, 41, 14},
      {57697, L"edit", L"", 93, 90, 282, 14},  {57704, L"button", L"2004", 377, 90, 41, 14},
      {57698, L"edit", L"", 93, 106, 282, 14}, {57705, L"button", L"2004", 377, 106, 41, 14},
      {57699, L"edit", L"", 93, 122, 282, 14}, {57706, L"button", L"2004", 377, 122, 41, 14},
      {57700, L"edit", L"", 93, 138, 282, 14}, {57707, L"button", L"2004", 377, 138, 41, 14},
      {57701, L"edit", L"", 93, 154, 282, 14}, {57708, L"button", L"2004", 377, 154, 41, 14},
      {IDC_MAIN_ABOUT, L"button", L"?", 7, 183, 16, 14}, {IDC_MAIN_LANGUAGE, L"combobox", L"", 30, 183, 81, 30},
      {IDC_MAIN_ENV_OPTION, L"button", L"2006", 118, 186, 191, 8}, {IDOK, L"button", L"OK", 316, 183, 50, 14},
      {IDCANCEL, L"button", L"Cancel", 368, 183, 50, 14}, {IDC_STATIC, L"static", L"2001", 7, 12, 204, 8},
      {IDC_MAIN_HEADING, L"static", L"2002", 7, 43, 411, 8},
      {IDC_STATIC, L"static", L"Executable Directories:", 7, 61, 74, 8},
      {IDC_STATIC, L"static", L"Include Directories:", 7, 77, 62, 8},
      {IDC_STATIC, L"static", L"Reference Directories:", 7, 93, 72, 8},
      {IDC_STATIC, L"static", L"Library Directories:", 7, 109, 71, 8},
      {IDC_STATIC, L"static", L"Source Directories:", 7, 141, 61, 8},
      {IDC_STATIC, L"static", L"Exclude Directories:", 7, 157, 64, 8},
      {IDC_STATIC, L"static", L"", -8, 175, 447, 1}, {IDC_MAIN_PLATFORM, L"static", L"---", 326, 7, 92, 8},
      {IDC_STATIC, L"static", L"2005", 218, 7, 106, 8},
      {IDC_STATIC, L"static", L"Library WinRT Directories:", 7, 125, 84, 8}}},
    {IDD_PATHLIST, L"3000", L"Ms Shell Dlg 2", 400, 273, 145,
     {{IDC_LIST_BOX, L"listbox", L"", 7, 17, 207, 96},        {IDC_LIST_ADD, L"button", L"3002", 216, 17, 50, 14},
      {IDC_LIST_CHANGE, L"button", L"3003", 216, 33, 50, 14}, {IDC_LIST_DELETE, L"button", L"3004", 216, 49, 50, 14},
      {IDC_LIST_CLEAR, L"button", L"3007", 216, 66, 50, 14},  {IDC_LIST_UP, L"button", L"", 216, 83, 19, 14},
      {IDC_LIST_DOWN, L"button", L"", 216, 99, 19, 14},       {IDOK, L"button", L"OK", 164, 124, 50, 14},
      {IDCANCEL, L"button", L"Cancel", 216, 124, 50, 14},     {IDC_LIST_LABEL, L"static", L"3001", 7, 7, 207, 8},
      {IDC_STATIC, L"static", L"", -8, 118, 297, 1}}},
    {IDD_RESTORE, L"4000", L"Ms Shell Dlg", 400, 150, 89,
     {{IDC_RESTORE_VERSION, L"combobox", L"", 27, 44, 97, 30}, {IDOK, L"button", L"OK", 41, 68, 50, 14},
      {IDCANCEL, L"button", L"Cancel", 93, 68, 50, 14},        {IDC_STATIC, L"static", L"4001", 7, 7, 136, 35},
      {IDC_STATIC, L"static", L"", -5, 62, 170, 1}}},
};

std::wstring ClassName(std::wstring raw) {
  static const wchar_t* const kOrdinals[] = {L"button", L"edit", L"static", L"listbox", L"scrollbar", L"combobox"};
  for (int i = 0; i < 6; ++i)
    if (raw == L"#" + std::to_wstring(0x80 + i)) return kOrdinals[i];
  for (wchar_t& c : raw) c = wchar_t(towlower(c));
  return raw;
}

// Each extended template, field by field; style bits are left to the .rc file.
TEST(Resources, DialogTemplatesMatchTheirTables) {
  for (const Template& want : kTemplates) {
    SCOPED_TRACE("dialog " + std::to_string(want.id));
    Reader in = Load(want.id, RT_DIALOG);
    ASSERT_EQ(in.Get<DWORD>(), 0xFFFF0001u) << "an extended template";
    in.pos += 8;  // help id, extended style
    ASSERT_TRUE(in.Get<DWORD>() & DS_SETFONT);
    const WORD count = in.Get<WORD>();
    in.pos += 4;  // x, y
    const short cx = in.Get<short>(), cy = in.Get<short>();
    EXPECT_EQ(in.NameOrOrdinal() + in.NameOrOrdinal(), L"") << "no menu, no class";
    const std::wstring caption = in.Text();
    const WORD points = in.Get<WORD>(), weight = in.Get<WORD>();
    in.pos += 2;  // italic, charset
    EXPECT_EQ(std::tie(caption, cx, cy, points, weight), std::tuple(want.caption, want.cx, want.cy, 8, want.weight));
    EXPECT_EQ(in.Text(), want.font);
    ASSERT_EQ(count, want.controls.size());
    for (const Control& w : want.controls) {
      in.pos = std::min(in.size, (in.pos + 3) / 4 * 4 + 12);  // aligned; help id, styles
      Control got{};
      for (short* field : {&got.x, &got.y, &got.cx, &got.cy}) *field = in.Get<short>();
      got.id = int(in.Get<DWORD>());
      got.cls = ClassName(in.NameOrOrdinal());
      got.text = in.NameOrOrdinal();
      in.pos += in.Get<WORD>();  // creation data
      EXPECT_EQ(got.Key(), w.Key());
    }
    EXPECT_FALSE(in.failed || in.pos > in.size) << "truncated";
  }
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Resources, IconGroupHoldsNineImages) {
  Reader in = Load(IDI_PATHWRIGHT, RT_GROUP_ICON);
  EXPECT_EQ(in.Get<DWORD>(), 0x00010000u) << "an icon group";
  const WORD count = in.Get<WORD>();
  std::set<std::pair<int, int>> seen;
  for (WORD i = 0; i < count && !in.failed; ++i) {
    const auto entry = in.Get<GroupIconEntry>();
    seen.emplace(entry.width ? entry.width : 256, entry.bitCount);
    EXPECT_EQ(entry.height, entry.width);
    EXPECT_EQ(Load(entry.id, RT_ICON).size, entry.bytes) << "image " << entry.id;
  }
  EXPECT_EQ(count, 9);
  EXPECT_EQ(seen, (std::set<std::pair<int, int>>{
                      {16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}, {128, 8}, {128, 32}, {256, 32}}));
}

TEST(Resources, BitmapSizesAndDepths) {
  const struct { int id, width, height, bits; } cases[] = {
      {IDB_BANNER, 412, 75, 24}, {IDB_ARROW_UP, 80, 16, 8}, {IDB_ARROW_DOWN, 80, 16, 8}};
  for (const auto& c : cases) {
    const auto header = Load(c.id, RT_BITMAP).Get<BITMAPINFOHEADER>();
    EXPECT_EQ(header.biWidth, c.width) << c.id;
    EXPECT_EQ(header.biHeight, c.height) << c.id << ": bottom-up";
    EXPECT_EQ(header.biBitCount, c.bits) << c.id;
  }
}

// Read straight from the table: LoadStringW may be redirected through the language table.
TEST(Resources, StringTableHoldsOnlyTheTitle) {
  Reader in = Load(IDS_TITLE / 16 + 1, RT_STRING);
  for (int i = 0; i < 16; ++i) {
    std::wstring text;
    for (WORD n = in.Get<WORD>(); n > 0 && !in.failed; --n) text += in.Get<wchar_t>();
    EXPECT_EQ(text, i == IDS_TITLE % 16 ? L"2000 Pathwright" : L"") << i;
  }
  EXPECT_FALSE(in.failed);
}

TEST(Resources, ManifestAndVersionRecord) {
  Reader manifest = Load(IDR_MANIFEST, RT_MANIFEST);
  const std::string xml(reinterpret_cast<const char*>(manifest.data), manifest.size);
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "level=\"asInvoker\""})
    EXPECT_NE(xml.find(part), std::string::npos) << part;

  Reader version = Load(VS_VERSION_INFO, RT_VERSION);
  std::vector<BYTE> copy(version.data, version.data + version.size);  // VerQueryValueW wants it writable
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(std::tie(fixed->dwFileVersionMS, fixed->dwFileVersionLS), std::tuple(0x10001ul, 0x80000ul));  // 1.1.8.0
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  wchar_t prefix[64];
  swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  const std::pair<const wchar_t*, const wchar_t*> kStrings[] = {
      {L"ProductVersion", L"1.1.8 (64 bit)"}, {L"FileVersion", L"1.1.8.0"}, {L"ProductName", L"Pathwright"},
      {L"CompanyName", L"The Pathwright authors"}, {L"OriginalFilename", L"Pathwright.exe"},
      {L"FileDescription", nullptr}, {L"LegalCopyright", nullptr}};  // these two only name the program
  for (auto [name, want] : kStrings) {
    wchar_t* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), (prefix + std::wstring(name)).c_str(), reinterpret_cast<void**>(&value),
                               &length)) << name;
    if (want) {
      EXPECT_EQ(std::wstring(value), want) << name;
    } else {
      EXPECT_NE(std::wstring(value).find(L"Pathwright"), std::wstring::npos) << name;
    }
  }
}

}  // namespace
