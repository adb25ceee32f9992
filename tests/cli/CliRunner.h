// Runs the built pathwright-cli as its own process; stdout and stderr come back as raw bytes.
#pragma once

#include <string>
#include <vector>

namespace pathwright::testing {

struct CliRun {
  int code = -1;  // -1 when a signal ended it or it did not end within the time given
  std::string out, err;
};

struct CliOptions {
  std::string stdoutPath = {};  // a file for standard output instead of one read back
  int timeoutSeconds = 60;
};

// A run of the program. args are UTF-8 (on Windows they reach the program as its wide command
// line); quoting is plain: no argument may hold a double quote or end in a backslash. Standard
// output and error go to the files named, or nowhere.
class CliProcess {
 public:
  explicit CliProcess(const std::vector<std::string>& args, const std::string& out = "", const std::string& err = "");
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;
  ~CliProcess() { Wait(); }

  // Ends it with that signal (as Ctrl+C does, SIGINT); on Windows as a closed console or a killed
  // process does, whatever the signal.
  void Interrupt(int signal);
  // Its exit code; it is ended when it runs longer than the time given.
  int Wait(int timeoutSeconds = 60);

 private:
  long long m_process = -1;  // pid or HANDLE
};

CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options = {});

}  // namespace pathwright::testing
