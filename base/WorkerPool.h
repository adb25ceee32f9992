// A few worker threads for blocking look-ups (is this a folder? on a server that may not answer),
// owned by whoever posts to them: Stop, or the owner's end, drops what has not started, interrupts
// what waits in the system and joins every thread, so no work outlives its owner.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace pathwright {

class WorkerPool {
 public:
  // Starts no thread until there is work; never more than `maxThreads` (at least one).
  explicit WorkerPool(size_t maxThreads);
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool();

  // Queues the task for the first free worker, starting one while fewer than the maximum run. False
  // (and the task dropped) when no worker runs and none can be started, or once the pool is stopped.
  bool Post(std::function<void()> task);

  // Drops the queued tasks and waits for the running ones. On Windows a task that waits in a
  // synchronous file call (a server that does not answer) is asked to give it up: its call then
  // fails as cancelled. Posting afterwards fails.
  void Stop();

 private:
  struct Worker;
  void Work(Worker& self);

  const size_t m_maxThreads;
  std::mutex m_mutex;
  std::condition_variable m_wake;      // a task was queued, or the pool stops
  std::condition_variable m_finished;  // a task ended
  std::deque<std::function<void()>> m_queue;
  std::list<Worker> m_workers;  // a list: each thread keeps its entry by reference
  size_t m_idle = 0;
  size_t m_busy = 0;
  bool m_stopping = false;
};

}  // namespace pathwright
