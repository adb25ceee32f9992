// The worker pool of the list editor's folder look-ups: bounded, and gone with its owner.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "base/WorkerPool.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace pathwright {
namespace {

using namespace std::chrono_literals;

TEST(WorkerPool, RunsEveryTaskOnNoMoreThreadsThanItsBound) {
  WorkerPool pool(3);
  std::mutex mutex;
  std::condition_variable allDone;
  std::set<std::thread::id> threads;
  int running = 0, most = 0, done = 0;
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(pool.Post([&] {
      {
        std::lock_guard lock(mutex);
        threads.insert(std::this_thread::get_id());
        most = std::max(most, ++running);
      }
      std::this_thread::sleep_for(1ms);
      std::lock_guard lock(mutex);
      --running;
      if (++done == 40) allDone.notify_all();
    }));
  }
  std::unique_lock lock(mutex);
  ASSERT_TRUE(allDone.wait_for(lock, 30s, [&] { return done == 40; }));
  EXPECT_LE(most, 3);
  EXPECT_LE(threads.size(), 3u);
}

TEST(WorkerPool, StopDropsWhatHasNotStartedAndWaitsForWhatRuns) {
  WorkerPool pool(1);
  std::atomic<bool> started = false, finished = false, queuedRan = false;
  ASSERT_TRUE(pool.Post([&] {
    started = true;
    std::this_thread::sleep_for(100ms);
    finished = true;
  }));
  ASSERT_TRUE(pool.Post([&] { queuedRan = true; }));
  while (!started) std::this_thread::yield();
  pool.Stop();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(queuedRan);
  EXPECT_FALSE(pool.Post([] {})) << "a stopped pool takes nothing";
}

#ifdef _WIN32
// A look-up that waits for a server which never answers must not hold its dialog open: Stop cancels
// the call (a read from a pipe nobody writes to stands in for it).
TEST(WorkerPool, StopCancelsAFileCallThatWaits) {
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  std::atomic<DWORD> error = 0;
  std::atomic<bool> reading = false, stopped = false;
  // Unblocks the read should the cancel not come, so a failure does not hang the run.
  std::thread watchdog([&] {
    for (int i = 0; i < 500 && !stopped; ++i) std::this_thread::sleep_for(10ms);
    DWORD written = 0;
    if (!stopped) ::WriteFile(writeEnd, "x", 1, &written, nullptr);
  });
  {
    WorkerPool pool(1);
    ASSERT_TRUE(pool.Post([&] {
      reading = true;
      char byte = 0;
      DWORD read = 0;
      error = ::ReadFile(readEnd, &byte, 1, &read, nullptr) ? ERROR_SUCCESS : ::GetLastError();
    }));
    while (!reading) std::this_thread::yield();
    pool.Stop();
    stopped = true;
  }
  watchdog.join();
  EXPECT_EQ(error, DWORD(ERROR_OPERATION_ABORTED));
  ::CloseHandle(readEnd);
  ::CloseHandle(writeEnd);
}
#endif

}  // namespace
}  // namespace pathwright
