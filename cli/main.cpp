// pathwright-cli: the directory settings of a user property sheet from the command line.
#include <string>
#include <vector>

#include "Commands.h"
#include "Platform.h"

#ifndef _WIN32
#include "base/Utf8.h"
#endif

namespace {
int RunAndReport(const std::vector<std::wstring>& args) {
  pathwright::cli::Output output;
  const int code = pathwright::cli::Run(args, output);
  pathwright::cli::WriteOutput(output.out);
  pathwright::cli::WriteError(output.err);
  return code;
}
}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  return RunAndReport(std::vector<std::wstring>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
#else
int main(int argc, char** argv) {
  // Arguments arrive as UTF-8 bytes; the model works on wide strings.
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.push_back(pathwright::DecodeUtf8(argv[i]));
  return RunAndReport(args);
}
#endif
