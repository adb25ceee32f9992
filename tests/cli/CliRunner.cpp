#include "CliRunner.h"

#include "TestFiles.h"

#ifdef _WIN32
#include <windows.h>

#include "base/Utf8.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>

extern char** environ;
#endif

namespace pathwright::testing {

#ifdef _WIN32
namespace {
std::wstring Program() {
  std::wstring program = DecodeUtf8(PATHWRIGHT_CLI_PATH);  // a Linux path: drive Z: under Wine
  if (program[0] == L'/') program = L"Z:" + std::filesystem::path(program).make_preferred().wstring();
  return program;
}

HANDLE Start(const std::vector<std::string>& args, STARTUPINFOW& si) {
  const std::wstring program = Program();
  std::wstring line = L"\"" + program + L"\"";
  for (const std::string& arg : args) line += L" \"" + DecodeUtf8(arg) + L"\"";
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

int WaitFor(HANDLE process, DWORD milliseconds) {
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) {
    TerminateProcess(process, static_cast<UINT>(-1));
    WaitForSingleObject(process, INFINITE);
  } else {
    GetExitCodeProcess(process, &code);
  }
  CloseHandle(process);
  return static_cast<int>(code);
}
}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options) {
  ScratchFolder folder;
  CliRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  const std::wstring out = options.stdoutPath.empty() ? folder.WidePath("out") : DecodeUtf8(options.stdoutPath);
  si.hStdOutput = CreateFileW(out.c_str(), GENERIC_WRITE, 0, &inherit, OPEN_ALWAYS, 0, nullptr);
  si.hStdError = CreateFileW(folder.WidePath("err").c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  if (HANDLE process = Start(args, si)) run.code = WaitFor(process, options.timeoutSeconds * 1000);
  CloseHandle(si.hStdOutput);
  CloseHandle(si.hStdError);
#else
namespace {
std::string Quoted(const std::string& arg) {
  std::string text = "'";
  for (const char c : arg) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}
}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options) {
  ScratchFolder folder;
  CliRun run;
  std::string command = "timeout -s KILL " + std::to_string(options.timeoutSeconds) + " " + Quoted(PATHWRIGHT_CLI_PATH);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  const std::string out = options.stdoutPath.empty() ? folder.Path("out").string() : options.stdoutPath;
  const int status = std::system((command + " >" + Quoted(out) + " 2>" + Quoted(folder.Path("err"))).c_str());
  run.code = WIFEXITED(status) && WEXITSTATUS(status) != 128 + SIGKILL ? WEXITSTATUS(status) : -1;
#endif
  if (options.stdoutPath.empty()) run.out = ReadBytes(folder.Path("out"));
  run.err = ReadBytes(folder.Path("err"));
  return run;
}

#ifdef _WIN32
CliProcess::CliProcess(const std::vector<std::string>& args) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  if (HANDLE process = Start(args, si)) m_process = reinterpret_cast<long long>(process);
}

CliProcess::~CliProcess() { Wait(); }

void CliProcess::Interrupt() {
  if (m_process != -1) TerminateProcess(reinterpret_cast<HANDLE>(m_process), static_cast<UINT>(-1));
}

int CliProcess::Wait() {
  if (m_process == -1) return -1;
  const int code = WaitFor(reinterpret_cast<HANDLE>(m_process), 60000);
  m_process = -1;
  return code;
}
#else
CliProcess::CliProcess(const std::vector<std::string>& args) {
  std::vector<std::string> words = {PATHWRIGHT_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) m_process = pid;
  posix_spawn_file_actions_destroy(&actions);
}

CliProcess::~CliProcess() { Wait(); }

void CliProcess::Interrupt() {
  if (m_process != -1) ::kill(static_cast<pid_t>(m_process), SIGINT);
}

int CliProcess::Wait() {
  if (m_process == -1) return -1;
  int status = 0;
  ::waitpid(static_cast<pid_t>(m_process), &status, 0);
  m_process = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace pathwright::testing
