#include "WinTestSupport.h"

#include <shellapi.h>

#include <atomic>

namespace pathwright::wintest {

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  m_path = std::wstring(temp) + L"pathwright-win-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
  ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
  // SHFileOperation wants a double-terminated list.
  std::wstring from = m_path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  ::SHFileOperationW(&operation);
}

void MakeFolders(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  ::CreateDirectoryW(path.c_str(), nullptr);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string SheetWithInclude(const std::string& include) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Project DefaultTargets=\"Build\" ToolsVersion=\"4.0\" "
         "xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
         "\t<PropertyGroup>\n"
         "\t\t<UserInclude>" +
         include +
         "</UserInclude>\n"
         "\t\t<IncludePath>$(UserInclude);$(IncludePath)</IncludePath>\n"
         "\t</PropertyGroup>\n"
         "</Project>\n";
}

FileLock::FileLock(const std::wstring& path)
    : m_file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void FileLock::Release() {
  if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
  m_file = INVALID_HANDLE_VALUE;
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

INT_PTR FakePlatform::RunVersionChooser(HWND, int& version) {
  chooserVersionsOnEntry.push_back(version);
  if (chooserAnswers.empty()) return IDCANCEL;
  const ChooserAnswer answer = chooserAnswers.front();
  chooserAnswers.pop_front();
  version = answer.version;
  return answer.result;
}

int FakePlatform::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  messages.push_back({owner, owner && ::IsWindowVisible(owner) != FALSE, text, caption, type});
  if (onMessage) onMessage(messages.back());
  return IDOK;
}

int TakeQuitCode() {
  MSG message = {};
  if (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(message.wParam);
  return -1;
}

void PumpMessages() {
  MSG message = {};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Put it back for the test to read.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)), L'\0');
  const int got = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size() + 1));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

}  // namespace pathwright::wintest
