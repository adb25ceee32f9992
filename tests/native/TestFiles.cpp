#include "TestFiles.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace pathwright::testing {
long ScratchFolder::Pid() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<long>(::getpid());
#endif
}
}  // namespace pathwright::testing
