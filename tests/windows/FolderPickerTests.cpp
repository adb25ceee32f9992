// The system's folder dialog, driven in-process through its name field (1152) and Open button, and
// the folder it opens at.
#include <windows.h>

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "base/Utf8.h"
#include "win/FolderPicker.h"

namespace pathwright {
namespace {

using namespace wintest;

constexpr int kNameField = 1152;

TEST(FolderPicker, OpensAtTheNearestExistingFolder) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch.Path("a") / "b");
  WriteBytes(scratch.Path("a") / "file.txt", "x");
  const std::wstring a = scratch.WidePath("a"), b = a + L"\\b";
  const struct {
    const char* name;
    std::wstring path, nearest;
  } cases[] = {
      {"existing folder", b, b},
      {"trailing backslashes", b + L"\\\\", b},
      {"missing folder", b + L"\\gone", b},
      {"missing chain", a + L"\\x\\y\\z", a},
      {"a file stands for its folder", a + L"\\file.txt", a},
      {"forward slashes", a + L"/b/gone", a + L"/b"},
      {"drive root", L"C:\\", L"C:\\"},
      {"missing below the root", L"C:\\pathwright-no-such-folder\\x", L"C:\\"},
      {"relative", L"a\\b", L""},
      {"drive without root", L"C:a", L""},
      {"server without share", L"\\\\server", L""},
      {"empty", L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(NearestExistingFolder(c.path), c.nearest) << c.name;
}

TEST(FolderPicker, GivesTheTypedFolderAndNothingOnCancel) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch.Path("picked"));
  const std::wstring picked = scratch.WidePath("picked");
  std::wstring title;
  {
    ModalScript script(kNameField, [&](HWND dialog) {
      title = GetWindowTextString(dialog);
      ::SetDlgItemTextW(dialog, kNameField, picked.c_str());
      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      return true;
    });
    const PickedFolder pick = PickFolder(nullptr, {.title = L"Pick one", .initialFolder = scratch.Root().wstring()});
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(pick.result) << EncodeUtf8(pick.result.why);
    EXPECT_EQ(pick.folder.value_or(L"(none)"), picked);
  }
  EXPECT_EQ(title, L"Pick one");

  ModalScript script(kNameField, [](HWND dialog) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return true;
  });
  const PickedFolder cancelled = PickFolder(nullptr, {.title = L"", .initialFolder = picked + L"\\gone"});
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(cancelled.result) << EncodeUtf8(cancelled.result.why);
  EXPECT_FALSE(cancelled.folder);
}

}  // namespace
}  // namespace pathwright
