#include "CliRunner.h"

#include "support/Files.h"

#ifdef _WIN32
#include <windows.h>

#include "base/Handle.h"
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
  const auto create = [&](const char* name) {
    return UniqueFile(CreateFileW(folder.WidePath(name).c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr));
  };
  {
    const UniqueFile out = create("out"), err = create("err");
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out.Get();
    si.hStdError = err.Get();
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      return {-1, "", "the test could not start pathwright-cli: error " + std::to_string(GetLastError())};
    }
    const UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.code = static_cast<int>(code);
  }
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
