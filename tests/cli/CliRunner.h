// Runs the built pathwright-cli as its own process; stdout and stderr come back as raw bytes.
#pragma once

#include <string>
#include <vector>

namespace pathwright::testing {

struct CliRun {
  int code = -1;  // -1 when it did not end by itself within the time given
  std::string out, err;
};

struct CliOptions {
  std::string stdoutPath = {};  // a file for standard output instead of one read back
  int timeoutSeconds = 60;
};

// args are UTF-8 (on Windows they reach the program as its wide command line). Quoting is plain:
// no argument may hold a double quote or end in a backslash.
CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options = {});

// A run in the background, its output thrown away.
class CliProcess {
 public:
  explicit CliProcess(const std::vector<std::string>& args);
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;
  ~CliProcess();

  // Ends it as Ctrl+C would (SIGINT); on Windows as a closed console or a killed process does.
  void Interrupt();
  // Its exit code once it ended, -1 when a signal ended it.
  int Wait();

 private:
  long long m_process = -1;  // pid or HANDLE
};

}  // namespace pathwright::testing
