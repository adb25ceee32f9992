// The linked resources, read back the way Windows reads them: every dialog template field by field,
// the icon group and its images, the bitmaps, the string table, the manifest and the version record.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

struct Blob {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

Blob LoadBlob(LPCWSTR name, LPCWSTR type) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, type);
    if (!info) return {};
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return {};
    return {static_cast<const std::uint8_t*>(LockResource(handle)), SizeofResource(module, info)};
}

Blob LoadBlob(int id, LPCWSTR type) { return LoadBlob(MAKEINTRESOURCEW(id), type); }

// Bounds-checked reader over a resource; a read past the end sets `failed` and yields zeros.
class Reader {
public:
    explicit Reader(Blob blob) : m_blob(blob) {}

    template <typename T>
    T Read() {
        T value{};
        if (m_pos + sizeof(T) > m_blob.size) {
            failed = true;
            m_pos = m_blob.size;
            return value;
        }
        std::memcpy(&value, m_blob.data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (wchar_t c = Read<wchar_t>(); c != 0 && !failed; c = Read<wchar_t>()) text += c;
        return text;
    }

    // A name or ordinal field: ordinals come back as "#n".
    std::wstring ReadNameOrOrdinal() {
        if (m_pos + 2 <= m_blob.size && m_blob.data[m_pos] == 0xFF && m_blob.data[m_pos + 1] == 0xFF) {
            Read<WORD>();
            return L"#" + std::to_wstring(Read<WORD>());
        }
        return ReadString();
    }

    void AlignTo(std::size_t n) { m_pos = std::min(m_blob.size, (m_pos + n - 1) / n * n); }
    void Skip(std::size_t n) {
        if (m_pos + n > m_blob.size) failed = true;
        m_pos = std::min(m_blob.size, m_pos + n);
    }

    bool failed = false;

private:
    Blob m_blob;
    std::size_t m_pos = 0;
};

struct Control {
    int id;
    std::wstring cls;  // lower case; the predefined classes' ordinals are given their names
    std::wstring text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle = 0;
};

struct Dialog {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, windowClass, caption, font;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::vector<Control> controls;
};

std::wstring ClassName(std::wstring raw) {
    static const std::pair<const wchar_t*, const wchar_t*> kOrdinals[] = {
        {L"#128", L"button"}, {L"#129", L"edit"},      {L"#130", L"static"},
        {L"#131", L"listbox"}, {L"#132", L"scrollbar"}, {L"#133", L"combobox"}};
    for (auto [ordinal, name] : kOrdinals)
        if (raw == ordinal) return name;
    std::transform(raw.begin(), raw.end(), raw.begin(), [](wchar_t c) { return wchar_t(std::towlower(c)); });
    return raw;
}

// Parses an extended dialog template; fails the current test when it is not one.
Dialog ParseDialog(int id) {
    Dialog dialog;
    Blob blob = LoadBlob(id, RT_DIALOG);
    EXPECT_NE(blob.data, nullptr) << "dialog template " << id << " missing";
    if (!blob.data) return dialog;
    Reader in(blob);
    EXPECT_EQ(in.Read<WORD>(), 1) << "dlgVer";
    EXPECT_EQ(in.Read<WORD>(), 0xFFFF) << "not an extended template";
    in.Read<DWORD>();  // help id
    dialog.exStyle = in.Read<DWORD>();
    dialog.style = in.Read<DWORD>();
    WORD count = in.Read<WORD>();
    dialog.x = in.Read<short>();
    dialog.y = in.Read<short>();
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    dialog.menu = in.ReadNameOrOrdinal();
    dialog.windowClass = in.ReadNameOrOrdinal();
    dialog.caption = in.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Read<WORD>();
        dialog.weight = in.Read<WORD>();
        dialog.italic = in.Read<BYTE>();
        dialog.charset = in.Read<BYTE>();
        dialog.font = in.ReadString();
    }
    for (WORD i = 0; i < count && !in.failed; ++i) {
        in.AlignTo(4);
        Control c{};
        in.Read<DWORD>();  // help id
        c.exStyle = in.Read<DWORD>();
        c.style = in.Read<DWORD>();
        c.x = in.Read<short>();
        c.y = in.Read<short>();
        c.cx = in.Read<short>();
        c.cy = in.Read<short>();
        c.id = static_cast<int>(in.Read<DWORD>());
        c.cls = ClassName(in.ReadNameOrOrdinal());
        c.text = in.ReadNameOrOrdinal();
        in.Skip(in.Read<WORD>());  // creation data
        dialog.controls.push_back(c);
    }
    EXPECT_FALSE(in.failed) << "dialog template " << id << " is truncated";
    return dialog;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDefault = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kLine = kChild | SS_ETCHEDHORZ;
constexpr DWORD kDropList = kChild | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS;
constexpr DWORD kModal = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                         DS_FIXEDSYS | DS_3DLOOK | DS_CENTER;

struct ExpectedDialog {
    int id;
    DWORD style;
    short cx, cy;
    const wchar_t* caption;
    const wchar_t* font;
    WORD weight;
    std::vector<Control> controls;
};

const std::vector<ExpectedDialog>& ExpectedDialogs() {
    static const std::vector<ExpectedDialog> dialogs = {
        {IDD_ABOUT, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 275, 147, L"1000",
         L"MS Shell Dlg", 0,
         {
             {IDC_ABOUT_BANNER, L"static", L"#137", 0, 0, 275, 46, kChild | SS_BITMAP},
             {IDC_STATIC, L"static", L"", 0, 118, 275, 29, kChild | SS_WHITERECT},
             {IDOK, L"button", L"OK", 218, 126, 50, 14, kDefault},
             {IDC_STATIC, L"static", L"1002", 7, 81, 261, 8, kLabel},
             {IDC_ABOUT_WTL_LINK, L"static", L"<wtl>", 27, 92, 241, 8, kLabel | WS_TABSTOP},
             {IDC_ABOUT_XML_LINK, L"static", L"<xml>", 27, 103, 241, 8, kLabel | WS_TABSTOP},
             {IDC_ABOUT_AUTHOR, L"static", L"<author>", 7, 132, 202, 8, kLabel | WS_TABSTOP},
             {IDC_ABOUT_TITLE, L"static", L"1001", 7, 60, 261, 8, kChild | WS_GROUP | SS_CENTER},
             {IDC_STATIC, L"static", L"", -7, 46, 292, 1, kLine},
             {IDC_STATIC, L"static", L"", -5, 118, 290, 1, kLine},
             {IDC_ABOUT_VERSION, L"static", L"<version>", 180, 33, 88, 8, kChild | WS_GROUP | SS_RIGHT},
         }},
        {IDD_MAIN, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT, 425, 204, L"2000", L"MS Shell Dlg", 0,
         {
             {IDC_MAIN_SHEET_PATH, L"edit", L"", 7, 22, 368, 14, kEdit | ES_READONLY},
             {IDC_MAIN_SELECT_SHEET, L"button", L"2003", 377, 22, 41, 14, kPush},
             {57695, L"edit", L"", 93, 58, 282, 14, kEdit},
             {57702, L"button", L"2004", 377, 58, 41, 14, kPush},
             {57696, L"edit", L"", 93, 74, 282, 14, kEdit},
             {57703, L"button", L"2004", 377, 74, 41, 14, kPush},
             {57697, L"edit", L"", 93, 90, 282, 14, kEdit},
             {57704, L"button", L"2004", 377, 90, 41, 14, kPush},
             {57698, L"edit", L"", 93, 106, 282, 14, kEdit},
             {57705, L"button", L"2004", 377, 106, 41, 14, kPush},
             {57699, L"edit", L"", 93, 122, 282, 14, kEdit},
             {57706, L"button", L"2004", 377, 122, 41, 14, kPush},
             {57700, L"edit", L"", 93, 138, 282, 14, kEdit},
             {57707, L"button", L"2004", 377, 138, 41, 14, kPush},
             {57701, L"edit", L"", 93, 154, 282, 14, kEdit},
             {57708, L"button", L"2004", 377, 154, 41, 14, kPush},
             {IDC_MAIN_ABOUT, L"button", L"?", 7, 183, 16, 14, kPush},
             {IDC_MAIN_LANGUAGE, L"combobox", L"", 30, 183, 81, 30, kDropList},
             {IDC_MAIN_ENV_OPTION, L"button", L"2006", 118, 186, 191, 8, kChild | WS_TABSTOP | BS_AUTOCHECKBOX},
             {IDOK, L"button", L"OK", 316, 183, 50, 14, kDefault},
             {IDCANCEL, L"button", L"Cancel", 368, 183, 50, 14, kPush},
             {IDC_STATIC, L"static", L"2001", 7, 12, 204, 8, kLabel},
             {IDC_MAIN_HEADING, L"static", L"2002", 7, 43, 411, 8, kChild | WS_GROUP | SS_CENTER},
             {IDC_STATIC, L"static", L"Executable Directories:", 7, 61, 74, 8, kLabel},
             {IDC_STATIC, L"static", L"Include Directories:", 7, 77, 62, 8, kLabel},
             {IDC_STATIC, L"static", L"Reference Directories:", 7, 93, 72, 8, kLabel},
             {IDC_STATIC, L"static", L"Library Directories:", 7, 109, 71, 8, kLabel},
             {IDC_STATIC, L"static", L"Source Directories:", 7, 141, 61, 8, kLabel},
             {IDC_STATIC, L"static", L"Exclude Directories:", 7, 157, 64, 8, kLabel},
             {IDC_STATIC, L"static", L"", -8, 175, 447, 1, kLine},
             {IDC_MAIN_PLATFORM, L"static", L"---", 326, 7, 92, 8, kLabel},
             {IDC_STATIC, L"static", L"2005", 218, 7, 106, 8, kChild | WS_GROUP | SS_RIGHT},
             {IDC_STATIC, L"static", L"Library WinRT Directories:", 7, 125, 84, 8, kLabel},
         }},
        {IDD_PATHLIST, kModal, 273, 145, L"3000", L"Ms Shell Dlg 2", 400,
         {
             {IDC_LIST_BOX, L"listbox", L"", 7, 17, 207, 96,
              kChild | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT},
             {IDC_LIST_ADD, L"button", L"3002", 216, 17, 50, 14, kPush},
             {IDC_LIST_CHANGE, L"button", L"3003", 216, 33, 50, 14, kPush},
             {IDC_LIST_DELETE, L"button", L"3004", 216, 49, 50, 14, kPush},
             {IDC_LIST_CLEAR, L"button", L"3007", 216, 66, 50, 14, kPush},
             {IDC_LIST_UP, L"button", L"", 216, 83, 19, 14, kPush},
             {IDC_LIST_DOWN, L"button", L"", 216, 99, 19, 14, kPush},
             {IDOK, L"button", L"OK", 164, 124, 50, 14, kDefault},
             {IDCANCEL, L"button", L"Cancel", 216, 124, 50, 14, kPush},
             {IDC_LIST_LABEL, L"static", L"3001", 7, 7, 207, 8, kLabel},
             {IDC_STATIC, L"static", L"", -8, 118, 297, 1, kLine},
         }},
        {IDD_RESTORE, kModal, 150, 89, L"4000", L"Ms Shell Dlg", 400,
         {
             {IDC_RESTORE_VERSION, L"combobox", L"", 27, 44, 97, 30, kDropList},
             {IDOK, L"button", L"OK", 41, 68, 50, 14, kDefault},
             {IDCANCEL, L"button", L"Cancel", 93, 68, 50, 14, kPush},
             {IDC_STATIC, L"static", L"4001", 7, 7, 136, 35, kLabel},
             {IDC_STATIC, L"static", L"", -5, 62, 170, 1, kLine},
         }},
    };
    return dialogs;
}

TEST(Resources, DialogTemplatesMatchTheirTables) {
    for (const ExpectedDialog& want : ExpectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        Dialog got = ParseDialog(want.id);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, 0);
        EXPECT_EQ(got.y, 0);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.menu, L"");
        EXPECT_EQ(got.windowClass, L"");
        EXPECT_EQ(got.caption, want.caption);
        EXPECT_EQ(got.font, want.font);
        EXPECT_EQ(got.pointSize, 8);
        EXPECT_EQ(got.weight, want.weight);
        EXPECT_EQ(got.italic, 0);
        EXPECT_EQ(got.charset, 1);
        ASSERT_EQ(got.controls.size(), want.controls.size());
        for (std::size_t i = 0; i < want.controls.size(); ++i) {
            const Control& w = want.controls[i];
            const Control& g = got.controls[i];
            SCOPED_TRACE("control #" + std::to_string(i + 1) + " id " + std::to_string(w.id));
            EXPECT_EQ(g.id, w.id);
            EXPECT_EQ(g.cls, w.cls);
            EXPECT_EQ(g.text, w.text);
            EXPECT_EQ((std::vector<short>{g.x, g.y, g.cx, g.cy}), (std::vector<short>{w.x, w.y, w.cx, w.cy}));
            EXPECT_EQ(g.style, w.style) << std::hex << g.style << " != " << w.style;
            EXPECT_EQ(g.exStyle, 0u);
        }
    }
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog manager must be able to build every template: each control exists with its class, and
// the About banner static really received bitmap 137.
TEST(Resources, EveryTemplateCreatesItsControls) {
    for (const ExpectedDialog& want : ExpectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(want.id));
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(want.id), nullptr,
                                         QuietDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << GetLastError();
        std::size_t children = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++children;
        EXPECT_EQ(children, want.controls.size());
        for (const Control& c : want.controls) {
            if (c.id == IDC_STATIC) continue;
            HWND item = GetDlgItem(dialog, c.id);
            ASSERT_NE(item, nullptr) << "control " << c.id;
            wchar_t cls[64] = {};
            GetClassNameW(item, cls, ARRAYSIZE(cls));
            EXPECT_EQ(ClassName(cls), c.cls) << "control " << c.id;
        }
        if (want.id == IDD_ABOUT) {
            HWND banner = GetDlgItem(dialog, IDC_ABOUT_BANNER);
            auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
            ASSERT_NE(bitmap, nullptr);
            BITMAP info = {};
            ASSERT_TRUE(GetObjectW(bitmap, sizeof(info), &info));
            EXPECT_EQ(info.bmWidth, 412);
            EXPECT_EQ(info.bmHeight, 75);
        }
        DestroyWindow(dialog);
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
static_assert(sizeof(GroupIconEntry) == 14);

TEST(Resources, IconGroupHoldsNineImages) {
    Blob group = LoadBlob(IDI_PATHWRIGHT, RT_GROUP_ICON);
    ASSERT_NE(group.data, nullptr);
    Reader in(group);
    EXPECT_EQ(in.Read<WORD>(), 0);
    EXPECT_EQ(in.Read<WORD>(), 1);
    WORD count = in.Read<WORD>();
    ASSERT_EQ(count, 9);
    std::set<std::pair<int, int>> seen;
    for (WORD i = 0; i < count; ++i) {
        auto entry = in.Read<GroupIconEntry>();
        ASSERT_FALSE(in.failed);
        int size = entry.width == 0 ? 256 : entry.width;
        SCOPED_TRACE("icon " + std::to_string(size) + " px, " + std::to_string(entry.bitCount) + " bit");
        EXPECT_EQ(entry.height, entry.width);
        EXPECT_EQ(entry.planes, 1);
        EXPECT_TRUE(seen.emplace(size, entry.bitCount).second) << "duplicate entry";

        Blob image = LoadBlob(entry.id, RT_ICON);
        ASSERT_NE(image.data, nullptr);
        EXPECT_EQ(image.size, entry.bytes);
        static const std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        if (image.size >= 24 && std::memcmp(image.data, kPng, sizeof(kPng)) == 0) {
            auto be32 = [&](std::size_t at) {
                return std::uint32_t(image.data[at]) << 24 | image.data[at + 1] << 16 | image.data[at + 2] << 8 |
                       image.data[at + 3];
            };
            EXPECT_EQ(size, 256) << "only the largest image is compressed";
            EXPECT_EQ(be32(16), 256u);
            EXPECT_EQ(be32(20), 256u);
            continue;
        }
        BITMAPINFOHEADER header;
        ASSERT_GE(image.size, sizeof(header));
        std::memcpy(&header, image.data, sizeof(header));
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size) << "image and mask";
        EXPECT_EQ(header.biBitCount, entry.bitCount);
        std::size_t palette = header.biBitCount == 8 ? 256 * 4 : 0;
        std::size_t colour = std::size_t(size) * ((size * header.biBitCount + 31) / 32 * 4);
        std::size_t mask = std::size_t(size) * ((size + 31) / 32 * 4);
        EXPECT_EQ(image.size, header.biSize + palette + colour + mask);
        HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(image.data), DWORD(image.size), TRUE, 0x00030000,
                                              size, size, LR_DEFAULTCOLOR);
        EXPECT_NE(icon, nullptr);
        if (icon) DestroyIcon(icon);
    }
    std::set<std::pair<int, int>> want;
    for (int size : {16, 32, 48, 128}) {
        want.emplace(size, 8);
        want.emplace(size, 32);
    }
    want.emplace(256, 32);
    EXPECT_EQ(seen, want);
}

TEST(Resources, IconLoadsAtTheWindowSizes) {
    for (int size : {16, 32, 48}) {
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PATHWRIGHT), IMAGE_ICON, size,
                                 size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bm = {};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

struct Dib {
    BITMAPINFOHEADER header{};
    const RGBQUAD* palette = nullptr;
    const std::uint8_t* bits = nullptr;

    // Colour of pixel (x, y), y counted from the top.
    COLORREF Pixel(int x, int y) const {
        int stride = (header.biWidth * header.biBitCount + 31) / 32 * 4;
        const std::uint8_t* row = bits + std::size_t(header.biHeight - 1 - y) * stride;
        if (header.biBitCount == 8) {
            const RGBQUAD& q = palette[row[x]];
            return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        const std::uint8_t* p = row + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
};

Dib LoadDib(int id) {
    Dib dib;
    Blob blob = LoadBlob(id, RT_BITMAP);
    EXPECT_NE(blob.data, nullptr) << "bitmap " << id;
    if (!blob.data || blob.size < sizeof(BITMAPINFOHEADER)) return dib;
    std::memcpy(&dib.header, blob.data, sizeof(dib.header));
    std::size_t colours = dib.header.biBitCount <= 8 ? (dib.header.biClrUsed ? dib.header.biClrUsed : 256) : 0;
    std::size_t stride = (dib.header.biWidth * dib.header.biBitCount + 31) / 32 * 4;
    std::size_t need = dib.header.biSize + colours * 4 + stride * std::size_t(std::abs(dib.header.biHeight));
    EXPECT_GE(blob.size, need) << "bitmap " << id << " is truncated";
    if (blob.size < need) return dib;
    dib.palette = reinterpret_cast<const RGBQUAD*>(blob.data + dib.header.biSize);
    dib.bits = blob.data + dib.header.biSize + colours * 4;
    return dib;
}

TEST(Resources, BitmapSizesAndDepths) {
    struct Case {
        int id, width, height, bits;
    };
    for (Case c : {Case{IDB_BANNER, 412, 75, 24}, Case{IDB_ARROW_UP, 80, 16, 8}, Case{IDB_ARROW_DOWN, 80, 16, 8}}) {
        SCOPED_TRACE("bitmap " + std::to_string(c.id));
        Dib dib = LoadDib(c.id);
        EXPECT_EQ(dib.header.biWidth, c.width);
        EXPECT_EQ(dib.header.biHeight, c.height) << "bottom-up, positive height";
        EXPECT_EQ(dib.header.biBitCount, c.bits);
        EXPECT_EQ(dib.header.biCompression, DWORD(BI_RGB));
    }
}

// The version line of the About box sits on a white brush at the banner's lower right corner, so
// the picture must be white there; the top is the light blue that fades out.
TEST(Resources, BannerIsWhiteUnderTheVersionLine) {
    Dib dib = LoadDib(IDB_BANNER);
    ASSERT_NE(dib.bits, nullptr);
    for (int y = 54; y < 75; ++y)
        for (int x = 270; x < 412; ++x) ASSERT_EQ(dib.Pixel(x, y), RGB(255, 255, 255)) << x << "," << y;
    COLORREF top = dib.Pixel(411, 0);
    EXPECT_LT(GetRValue(top), GetBValue(top)) << "light blue at the top";
    EXPECT_GT(GetRValue(top), 128);
}

// Each 16 x 16 cell: magenta where transparent, the arrow black, in grey in the disabled (fourth) cell,
// pointing the right way: the narrow tip is on top for Up and at the bottom for Down.
TEST(Resources, ArrowStripsHoldFiveStates) {
    for (int id : {IDB_ARROW_UP, IDB_ARROW_DOWN}) {
        SCOPED_TRACE("bitmap " + std::to_string(id));
        Dib dib = LoadDib(id);
        ASSERT_NE(dib.bits, nullptr);
        for (int cell = 0; cell < 5; ++cell) {
            SCOPED_TRACE("cell " + std::to_string(cell));
            COLORREF ink = cell == 3 ? RGB(128, 128, 128) : RGB(0, 0, 0);
            int firstRow = -1, firstWidth = 0, lastWidth = 0;
            for (int y = 0; y < 16; ++y) {
                int width = 0;
                for (int x = cell * 16; x < cell * 16 + 16; ++x) {
                    COLORREF c = dib.Pixel(x, y);
                    if (c == RGB(255, 0, 255)) continue;
                    ASSERT_EQ(c, ink) << x << "," << y;
                    ++width;
                }
                if (width == 0) continue;
                if (firstRow < 0) firstRow = y, firstWidth = width;
                lastWidth = width;
            }
            ASSERT_GE(firstRow, 0) << "empty cell";
            EXPECT_EQ(dib.Pixel(cell * 16, 0), RGB(255, 0, 255));
            if (id == IDB_ARROW_UP)
                EXPECT_LT(firstWidth, lastWidth);
            else
                EXPECT_GT(firstWidth, lastWidth);
        }
    }
}

TEST(Resources, ArrowStripsLoadAsImageLists) {
    for (int id : {IDB_ARROW_UP, IDB_ARROW_DOWN}) {
        HIMAGELIST list = ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), 16, 0,
                                               RGB(255, 0, 255), IMAGE_BITMAP, 0);
        ASSERT_NE(list, nullptr) << id;
        EXPECT_EQ(ImageList_GetImageCount(list), 5);
        ImageList_Destroy(list);
    }
}

// Read straight from the string table: LoadStringW itself may be redirected through the language table.
TEST(Resources, StringTableHoldsOnlyTheTitle) {
    Blob block = LoadBlob(IDS_TITLE / 16 + 1, RT_STRING);
    ASSERT_NE(block.data, nullptr);
    Reader in(block);
    for (int i = 0; i < 16; ++i) {
        WORD length = in.Read<WORD>();
        std::wstring text;
        for (WORD k = 0; k < length; ++k) text += in.Read<wchar_t>();
        ASSERT_FALSE(in.failed);
        if ((IDS_TITLE & 15) == i)
            EXPECT_EQ(text, L"2000 Pathwright");
        else
            EXPECT_EQ(text, L"") << "string " << (IDS_TITLE & ~15) + i;
    }
}

TEST(Resources, ManifestAsksForCommonControls6AsInvoker) {
    Blob manifest = LoadBlob(IDR_MANIFEST, RT_MANIFEST);
    ASSERT_NE(manifest.data, nullptr);
    std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
}

TEST(Resources, VersionRecord) {
    Blob blob = LoadBlob(VS_VERSION_INFO, RT_VERSION);
    ASSERT_NE(blob.data, nullptr);
    // VerQueryValueW wants a writable copy of its own.
    std::vector<std::uint8_t> copy(blob.data, blob.data + blob.size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(1, 1)));
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(MAKELONG(0, 8)));
    EXPECT_EQ(fixed->dwProductVersionMS, DWORD(MAKELONG(1, 1)));
    EXPECT_EQ(fixed->dwProductVersionLS, DWORD(MAKELONG(0, 8)));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, sizeof(Translation));
    wchar_t prefix[64];
    swprintf(prefix, ARRAYSIZE(prefix), L"\\StringFileInfo\\%04x%04x\\", translation->language,
             translation->codePage);

    const std::pair<const wchar_t*, const wchar_t*> kStrings[] = {
        {L"ProductVersion", L"1.1.8 (64 bit)"},  {L"FileVersion", L"1.1.8.0"},
        {L"ProductName", L"Pathwright"},          {L"CompanyName", L"The Pathwright authors"},
        {L"OriginalFilename", L"Pathwright.exe"},
    };
    for (auto [name, want] : kStrings) {
        wchar_t* value = nullptr;
        ASSERT_TRUE(VerQueryValueW(copy.data(), (std::wstring(prefix) + name).c_str(),
                                   reinterpret_cast<void**>(&value), &length))
            << name;
        EXPECT_EQ(std::wstring(value), want) << name;
    }
    for (const wchar_t* name : {L"FileDescription", L"LegalCopyright"}) {
        wchar_t* value = nullptr;
        ASSERT_TRUE(VerQueryValueW(copy.data(), (std::wstring(prefix) + name).c_str(),
                                   reinterpret_cast<void**>(&value), &length))
            << name;
        EXPECT_NE(std::wstring(value).find(L"Pathwright"), std::wstring::npos) << name;
    }
}

}  // namespace
