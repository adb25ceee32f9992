// pathwright-cli: the directory settings of a user property sheet from the command line.
#include <new>
#include <string>
#include <vector>

#include "Commands.h"
#include "Platform.h"
#include "base/FileSystem.h"

#ifndef _WIN32
#include <csignal>

#include "base/Utf8.h"
#endif

namespace {
using pathwright::cli::Output;

// Prints what the run produced. Output that does not arrive is a failure of its own (exit 4): a
// script must not take a list it never received for an empty one.
int Report(int code, const Output& output) {
  const pathwright::Result out = pathwright::cli::WriteOutput(output.out);
  std::wstring err = output.err;
  if (!out) err += L"pathwright-cli: cannot write standard output: " + out.why + L"\n";
  const pathwright::Result errWritten = pathwright::cli::WriteError(err);
  return out && errWritten ? code : pathwright::cli::kExitOutputFailed;
}

// Memory that runs out (a huge file, a machine at its limit) ends the run with a message and the
// code of an input that cannot be read, never with an abort; what was done before is still told.
int RunAndReport(const std::vector<std::wstring>& args) {
  Output output;
  int code = pathwright::cli::kExitUnreadable;
  try {
    code = pathwright::cli::Run(args, output);
  } catch (const std::bad_alloc&) {
    output.err += L"pathwright-cli: " + std::wstring(pathwright::cli::kOutOfMemory) + L"; nothing more was done\n";
  }
  return Report(code, output);
}
}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  pathwright::RemoveTemporaryFilesOnInterrupt();
  return RunAndReport(std::vector<std::wstring>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
#else
int main(int argc, char** argv) {
  // A closed pipe makes the write fail (exit 4) instead of ending the process without a word.
  std::signal(SIGPIPE, SIG_IGN);
  pathwright::RemoveTemporaryFilesOnInterrupt();
  // Arguments arrive as UTF-8 bytes; the model works on wide strings. Bytes that are not UTF-8
  // would come back as another name (U+FFFD in place of each bad byte), so they are refused.
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    args.push_back(pathwright::DecodeUtf8(arg));
    if (pathwright::EncodeUtf8(args.back()) != arg) {
      Output output;
      output.err = L"pathwright-cli: argument " + std::to_wstring(i) +
                   L" is not valid UTF-8; names and lists are read as UTF-8\nTry 'pathwright-cli --help'.\n";
      return Report(pathwright::cli::kExitUsage, output);
    }
  }
  return RunAndReport(args);
}
#endif
