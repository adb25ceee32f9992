#include "CliRunner.h"

#include "TestFiles.h"

#ifdef _WIN32
#include <windows.h>

#include "base/Utf8.h"
#else
#include <sys/wait.h>

#include <cstdlib>
#endif

namespace pathwright::testing {

CliRun RunCli(const std::vector<std::string>& args) {
  ScratchFolder folder;
  CliRun run;
#ifdef _WIN32
  std::wstring program = DecodeUtf8(PATHWRIGHT_CLI_PATH);  // a Linux path: drive Z: under Wine
  if (program[0] == L'/') program = L"Z:" + std::filesystem::path(program).make_preferred().wstring();
  std::wstring line = L"\"" + program + L"\"";
  for (const std::string& arg : args) line += L" \"" + DecodeUtf8(arg) + L"\"";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = CreateFileW(folder.WidePath("out").c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  si.hStdError = CreateFileW(folder.WidePath("err").c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  PROCESS_INFORMATION pi = {};
  if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.code = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(si.hStdOutput);
  CloseHandle(si.hStdError);
#else
  const auto quoted = [](const std::string& arg) {
    std::string text = "'";
    for (const char c : arg) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
  };
  std::string command = quoted(PATHWRIGHT_CLI_PATH);
  for (const std::string& arg : args) command += " " + quoted(arg);
  const int status = std::system((command + " >" + quoted(folder.Path("out")) + " 2>" + quoted(folder.Path("err"))).c_str());
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  run.out = ReadBytes(folder.Path("out"));
  run.err = ReadBytes(folder.Path("err"));
  return run;
}

}  // namespace pathwright::testing
