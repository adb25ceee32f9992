#include "CliRunner.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "support/Files.h"

#ifdef _WIN32
#include <windows.h>

#include "base/Handle.h"
#include "base/Utf8.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

namespace pathwright::testing {

#ifdef _WIN32
CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
  std::wstring program = DecodeUtf8(PATHWRIGHT_CLI_PATH);  // a Linux path: drive Z: under Wine
  if (program[0] == L'/') program = L"Z:" + std::filesystem::path(program).make_preferred().wstring();
  std::wstring line = L"\"" + program + L"\"";
  for (const std::string& arg : args) line += L" \"" + DecodeUtf8(arg) + L"\"";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  const auto open = [&](const std::string& path) {
    return path.empty() ? nullptr
                        : CreateFileW(DecodeUtf8(path).c_str(), GENERIC_WRITE, 0, &inherit, OPEN_ALWAYS, 0, nullptr);
  };
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = open(out);
  si.hStdError = open(err);
  PROCESS_INFORMATION pi = {};
  // Wine under heavy load now and then fails a start outright; a few tries tell that from a real fault.
  for (int attempt = 0; attempt < 5 && m_process == -1; ++attempt) {
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      CloseHandle(pi.hThread);
      m_process = reinterpret_cast<long long>(pi.hProcess);
    } else {
      std::fprintf(stderr, "CreateProcessW failed (error %lu)\n", GetLastError());
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }
  for (HANDLE h : {si.hStdOutput, si.hStdError}) {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

void CliProcess::Interrupt(int) {
  if (m_process != -1) TerminateProcess(reinterpret_cast<HANDLE>(m_process), static_cast<UINT>(-1));
}

int CliProcess::Wait(int timeoutSeconds) {
  if (m_process == -1) return -1;
  const HANDLE process = reinterpret_cast<HANDLE>(std::exchange(m_process, -1));
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, static_cast<DWORD>(timeoutSeconds) * 1000) != WAIT_OBJECT_0) {
    TerminateProcess(process, code);
    WaitForSingleObject(process, INFINITE);
  }
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}
#else
CliProcess::CliProcess(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
  std::vector<std::string> words = {PATHWRIGHT_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.empty() ? "/dev/null" : err.c_str(), O_WRONLY | O_CREAT, 0644);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) m_process = pid;
  posix_spawn_file_actions_destroy(&actions);
}

void CliProcess::Interrupt(int signal) {
  if (m_process != -1) ::kill(static_cast<pid_t>(m_process), signal);
}

int CliProcess::Wait(int timeoutSeconds) {
  if (m_process == -1) return -1;
  const pid_t pid = static_cast<pid_t>(std::exchange(m_process, -1));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) ::kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options) {
  ScratchFolder folder;
  const auto utf8 = [&](const char* name) {
    const std::u8string path = folder.Path(name).u8string();
    return std::string(path.begin(), path.end());
  };
  CliRun run;
  const std::string out = options.stdoutPath.empty() ? utf8("out") : options.stdoutPath;
  run.code = CliProcess(args, out, utf8("err")).Wait(options.timeoutSeconds);
  if (options.stdoutPath.empty()) run.out = ReadBytes(folder.Path("out"));
  run.err = ReadBytes(folder.Path("err"));
  return run;
}

}  // namespace pathwright::testing
