// The version record and the manifest as Windows reads them: both carry the version the build was
// configured with, the manifest also common controls 6 and no elevation.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/Version.h"
#include "res/resource.h"

namespace {

std::vector<BYTE> Load(int id, LPCWSTR type) {  // a writable copy: VerQueryValueW wants one
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!info) return {};
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info)));
  return std::vector<BYTE>(data, data + SizeofResource(nullptr, info));
}

TEST(Resources, VersionRecordAndManifestCarryTheConfiguredVersion) {
  std::vector<BYTE> record = Load(VS_VERSION_INFO, RT_VERSION);
  const auto query = [&](const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    return !record.empty() && VerQueryValueW(record.data(), path.c_str(), &value, &length) ? value : nullptr;
  };
  const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\"));
  ASSERT_TRUE(fixed);
  const DWORD high = PATHWRIGHT_VERSION_MAJOR << 16 | PATHWRIGHT_VERSION_MINOR, low = PATHWRIGHT_VERSION_PATCH << 16;
  EXPECT_EQ(std::tie(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwProductVersionLS),
            std::tie(high, low, high, low));
  std::wstring texts;
  for (const wchar_t* name : {L"ProductVersion", L"FileVersion", L"OriginalFilename"}) {
    const auto* value = static_cast<const wchar_t*>(query(L"\\StringFileInfo\\040904b0\\" + std::wstring(name)));
    texts += std::wstring(name) + L"=" + (value ? value : L"<none>") + L"|";
  }
  EXPECT_EQ(texts, L"ProductVersion=" PATHWRIGHT_VERSION_WIDE L" (64 bit)|FileVersion=" PATHWRIGHT_VERSION_WIDE
                   L".0|OriginalFilename=Pathwright.exe|");

  const std::vector<BYTE> manifest = Load(IDR_MANIFEST, RT_MANIFEST);
  const std::string xml(manifest.begin(), manifest.end());
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
                           "version=\"" PATHWRIGHT_VERSION_FULL "\""})
    EXPECT_NE(xml.find(part), std::string::npos) << part;
}

}  // namespace
