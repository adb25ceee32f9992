// Runs the built pathwright-cli as its own process; stdout and stderr come back as raw bytes.
#pragma once

#include <string>
#include <vector>

namespace pathwright::testing {

struct CliRun {
  int code = -1;
  std::string out, err;
};

// args are UTF-8 (on Windows they reach the program as its wide command line). Quoting is plain:
// no argument may hold a double quote or end in a backslash.
CliRun RunCli(const std::vector<std::string>& args);

}  // namespace pathwright::testing
