// The linked resources, read back the way Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "res/resource.h"

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
  std::wstring Text() {  // a name, or an ordinal as "#n"
    if (pos + 2 <= size && data[pos] == 0xFF && data[pos + 1] == 0xFF)
      return Get<WORD>(), L"#" + std::to_wstring(Get<WORD>());
    std::wstring text;
    for (wchar_t c = Get<wchar_t>(); c && !failed; c = Get<wchar_t>()) text += c;
    return text;
  }
};

Reader Load(int id, LPCWSTR type) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!info) return {};
  return {static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info))), SizeofResource(nullptr, info)};
}

// One line per template: caption, font, size, then "id:class" per control in template order with
// b(utton) e(dit) s(tatic) l(istbox) c(ombobox). The numbers are the fixed ones the program is known by.
TEST(Resources, DialogTemplatesLoadWithTheirControls) {
  const std::pair<int, const wchar_t*> kTemplates[] = {
      {IDD_ABOUT, L"1000|MS Shell Dlg 8/0|275x147|57714:s -1:s 1:b -1:s 1000:s 1003:s 57709:s 57708:s -1:s -1:s "
                  L"1004:s"},
      {IDD_MAIN, L"2000|MS Shell Dlg 8/0|425x204|-1:s 1000:s -1:s 57693:e 57694:b 57692:s -1:s 57695:e 57702:b "
                 L"-1:s 57696:e 57703:b -1:s 57697:e 57704:b -1:s 57698:e 57705:b -1:s 57699:e 57706:b -1:s 57700:e "
                 L"57707:b -1:s 57701:e 57708:b -1:s 57664:b 1001:c 40001:b 1:b 2:b"},
      {IDD_PATHLIST, L"3000|Ms Shell Dlg 2 8/400|273x145|1000:s 57714:l 57709:b 1001:b 57710:b 57711:b 57712:b "
                     L"57713:b 1:b 2:b -1:s"},
      {IDD_RESTORE, L"4000|Ms Shell Dlg 8/400|230x106|1002:s 1001:c 1:b 2:b -1:s"},
  };
  for (const auto& [id, want] : kTemplates) {
    Reader in = Load(id, RT_DIALOG);
    ASSERT_EQ(in.Get<DWORD>(), 0xFFFF0001u) << id << ": an extended template";
    in.pos += 8;  // help id, extended style
    ASSERT_TRUE(in.Get<DWORD>() & DS_SETFONT) << id;
    const WORD count = in.Get<WORD>();
    in.pos += 4;  // x, y
    const short cx = in.Get<short>(), cy = in.Get<short>();
    EXPECT_EQ(in.Text() + in.Text(), L"") << id << ": no menu, no class";
    std::wstring got = in.Text() + L"|";
    const WORD points = in.Get<WORD>(), weight = in.Get<WORD>();
    in.pos += 2;  // italic, charset
    got += in.Text() + L" " + std::to_wstring(points) + L"/" + std::to_wstring(weight);
    got += L"|" + std::to_wstring(cx) + L"x" + std::to_wstring(cy) + L"|";
    for (WORD i = 0; i < count && !in.failed; ++i) {
      in.pos = (in.pos + 3) / 4 * 4 + 20;  // aligned; help id, styles, rectangle
      got += std::to_wstring(int(in.Get<DWORD>())) + L":";
      const std::wstring cls = in.Text() + L"?";  // a name, or ordinal 0x80..0x85 of a predefined class
      const int ordinal = cls[0] == L'#' ? _wtoi(cls.c_str() + 1) - 0x80 : -1;
      got += cls[0] != L'#' ? wchar_t(towlower(cls[0])) : ordinal >= 0 && ordinal < 6 ? L"besl?c"[ordinal] : L'?';
      got += i + 1 < count ? L" " : L"";
      in.Text();
      in.pos += in.Get<WORD>();  // creation data
    }
    EXPECT_EQ(got, want);
    EXPECT_FALSE(in.failed || in.pos > in.size) << id << ": truncated";
  }
}

TEST(Resources, IconGroupHoldsNineImages) {
  Reader in = Load(IDI_PATHWRIGHT, RT_GROUP_ICON);
  EXPECT_EQ(in.Get<DWORD>(), 0x00010000u) << "an icon group";
  std::set<std::pair<int, int>> seen;  // size, depth
  for (WORD i = 0, count = in.Get<WORD>(); i < count && !in.failed; ++i) {
    const BYTE width = in.Get<BYTE>(), height = in.Get<BYTE>();
    in.pos += 4;  // colours, reserved, planes
    seen.emplace(width ? width : 256, in.Get<WORD>());
    const DWORD bytes = in.Get<DWORD>();
    const WORD id = in.Get<WORD>();
    EXPECT_TRUE(height == width && Load(id, RT_ICON).size == bytes) << "image " << id;
  }
  EXPECT_EQ(seen, (std::set<std::pair<int, int>>{
                      {16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}, {128, 8}, {128, 32}, {256, 32}}));
}

TEST(Resources, BitmapsStringManifestAndVersion) {
  for (auto [id, width, height, bits] : {std::tuple{IDB_BANNER, 412, 75, 24}, {IDB_ARROW_UP, 80, 16, 8},
                                         {IDB_ARROW_DOWN, 80, 16, 8}, {IDB_BANNER_150, 618, 112, 24},
                                         {IDB_ARROW_UP_150, 120, 24, 8}, {IDB_ARROW_DOWN_150, 120, 24, 8},
                                         {IDB_BANNER_200, 824, 150, 24}, {IDB_ARROW_UP_200, 160, 32, 8},
                                         {IDB_ARROW_DOWN_200, 160, 32, 8}}) {  // height > 0: bottom-up
    const auto header = Load(id, RT_BITMAP).Get<BITMAPINFOHEADER>();
    EXPECT_EQ(std::tie(header.biWidth, header.biHeight, header.biBitCount), std::tie(width, height, bits)) << id;
  }
  Reader strings = Load(IDS_TITLE / 16 + 1, RT_STRING);  // straight from the table: LoadStringW may be redirected
  for (int i = 0; i < IDS_TITLE % 16; ++i) strings.pos += 2 * strings.Get<WORD>();
  std::wstring title(strings.Get<WORD>(), L'\0');
  for (wchar_t& c : title) c = strings.Get<wchar_t>();
  EXPECT_EQ(title, L"2000 Pathwright");
  Reader manifest = Load(IDR_MANIFEST, RT_MANIFEST);
  const std::string xml(reinterpret_cast<const char*>(manifest.data), manifest.size);
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
                           ">true</dpiAware>", ">PerMonitorV2, System</dpiAwareness>"})
    EXPECT_NE(xml.find(part), std::string::npos) << part;

  Reader version = Load(VS_VERSION_INFO, RT_VERSION);
  std::vector<BYTE> copy(version.data, version.data + version.size);  // VerQueryValueW wants it writable
  const auto query = [&](const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueW(copy.data(), path.c_str(), &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\"));
  const auto* translation = static_cast<WORD*>(query(L"\\VarFileInfo\\Translation"));
  ASSERT_TRUE(fixed && translation);
  EXPECT_EQ(std::tie(fixed->dwFileVersionMS, fixed->dwFileVersionLS), std::tuple(0x10001ul, 0x80000ul));  // 1.1.8.0
  EXPECT_EQ(std::tie(translation[0], translation[1]), std::tuple(0x409, 1200));  // names the block read below
  std::wstring texts;
  for (const wchar_t* name : {L"ProductVersion", L"FileVersion", L"ProductName", L"CompanyName", L"OriginalFilename"}) {
    const auto* value = static_cast<const wchar_t*>(query(L"\\StringFileInfo\\040904b0\\" + std::wstring(name)));
    texts += std::wstring(name) + L"=" + (value ? value : L"<none>") + L"|";
  }
  EXPECT_EQ(texts, L"ProductVersion=1.1.8 (64 bit)|FileVersion=1.1.8.0|ProductName=Pathwright|"
                      L"CompanyName=The Pathwright authors|OriginalFilename=Pathwright.exe|");
}

}  // namespace
