// What the POSIX file primitives share between their two files: the system's form of a path, and
// the interrupt handler's knowledge of the temporary file being written.
#pragma once

#include <csignal>
#include <pthread.h>
#include <string>

#include "base/Utf8.h"

namespace pathwright::file_primitives {

inline std::string SystemPath(const std::wstring& path) { return EncodeUtf8(path); }

// Runs `change` with the interrupting signals held back, so that the handler sees a name whole or not at all.
template <typename Change>
void WithoutInterrupts(const Change& change) {
  sigset_t interrupts, previous;
  sigemptyset(&interrupts);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
  ::pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
  change();
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// The temporary file being written, removed by the interrupt handler; `path` must live until forgotten.
void RememberTemporary(const char* path);
// The handler forgets a temporary file only if it is still the one it knows.
void ForgetTemporary(const std::string& path);

}  // namespace pathwright::file_primitives
