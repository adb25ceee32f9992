#include "WinTestSupport.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace pathwright::wintest {

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  m_path = (std::filesystem::temp_directory_path() / (L"pathwright-win-" + std::to_wstring(::GetCurrentProcessId()) +
                                                      L"-" + std::to_wstring(++counter)))
               .wstring();
  MakeFolders(m_path);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void MakeFolders(const std::wstring& path) {
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return "<missing>";
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string SheetWithInclude(const std::string& include) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
         "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
         "\t<PropertyGroup>\n\t\t<UserInclude>" +
         include +
         "</UserInclude>\n\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n"
         "\t</PropertyGroup>\n</Project>\n";
}

INT_PTR FakePlatform::RunFileDialog(CFileDialog& dialog, HWND) {
  fileDialogs.push_back({dialog.InitialFolder(), dialog.m_ofn.Flags, dialog.Filter(), dialog.DefaultExtension(),
                         dialog.IsOpen()});
  if (fileAnswers.empty()) return IDCANCEL;
  const FileDialogAnswer answer = fileAnswers.front();
  fileAnswers.pop_front();
  if (answer.result == IDOK) dialog.SetResult(answer.path, answer.title);
  return answer.result;
}

INT_PTR FakePlatform::RunVersionChooser(HWND, int& version, uint32_t) {
  chooserVersionsOnEntry.push_back(version);
  if (chooserAnswers.empty()) return IDCANCEL;
  const ChooserAnswer answer = chooserAnswers.front();
  chooserAnswers.pop_front();
  version = answer.version;
  return answer.result;
}

int FakePlatform::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  messages.push_back({owner, owner && ::IsWindowVisible(owner), text, caption, type});
  return IDOK;
}

int TakeQuitCode() {
  MSG message = {};
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(message.wParam) : -1;
}

void PumpMessages() {
  MSG message = {};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return ::PostQuitMessage(static_cast<int>(message.wParam));
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(std::max(0, ::GetWindowTextW(window, text.data(), static_cast<int>(text.size())))));
  return text;
}

}  // namespace pathwright::wintest
