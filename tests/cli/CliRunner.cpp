#include "CliRunner.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "lang/Utf8.h"

namespace pathwright::testing {

namespace {
std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path CaptureFile(const char* what) {
  static std::atomic<int> counter{0};
#ifdef _WIN32
  const long pid = _getpid();
#else
  const long pid = static_cast<long>(::getpid());
#endif
  return std::filesystem::temp_directory_path() /
         ("pathwright-cli-" + std::to_string(pid) + "-" + std::to_string(++counter) + "." + what);
}

#ifdef _WIN32
// The build passes a Linux path; under Wine the same file is on drive Z:.
std::wstring CliPath() {
  std::wstring path = DecodeUtf8(PATHWRIGHT_CLI_PATH);
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path) {
      if (c == L'/') c = L'\\';
    }
    path = L"Z:" + path;
  }
  return path;
}

// Quoting that the C runtime's argument splitting undoes exactly.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  line += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE InheritableFile(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif
}  // namespace

CliRun RunCli(const std::vector<std::string>& args) {
  CliRun run;
  const std::filesystem::path outPath = CaptureFile("out");
  const std::filesystem::path errPath = CaptureFile("err");
#ifdef _WIN32
  const std::wstring program = CliPath();
  std::wstring line;
  AppendQuoted(line, program);
  for (const std::string& arg : args) {
    line += L' ';
    AppendQuoted(line, DecodeUtf8(arg));
  }
  HANDLE out = InheritableFile(outPath);
  HANDLE err = InheritableFile(errPath);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi = {};
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
      CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    run.code = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
#else
  std::vector<char*> argv;
  std::string program = PATHWRIGHT_CLI_PATH;
  std::vector<std::string> copies = args;
  argv.push_back(program.data());
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
#endif
  run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  std::error_code ignored;
  std::filesystem::remove(outPath, ignored);
  std::filesystem::remove(errPath, ignored);
  return run;
}

}  // namespace pathwright::testing
