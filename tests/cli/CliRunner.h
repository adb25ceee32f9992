// Runs the built pathwright-cli as a separate process and collects what it printed, byte for byte.
#pragma once

#include <string>
#include <vector>

namespace pathwright::testing {

struct CliRun {
  int code = -1;
  std::string out;  // standard output, raw bytes
  std::string err;  // standard error, raw bytes
};

// args are UTF-8; on Windows they reach the program as its wide command line.
CliRun RunCli(const std::vector<std::string>& args);

}  // namespace pathwright::testing
