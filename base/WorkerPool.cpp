#include "base/WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "base/Handle.h"
#endif

namespace pathwright {

struct WorkerPool::Worker {
  std::thread thread;
  bool busy = false;  // running a task
#ifdef _WIN32
  UniqueKernelHandle handle;  // the thread itself, for cancelling the file call it waits in
#endif
};

WorkerPool::WorkerPool(size_t maxThreads) : m_maxThreads(std::max<size_t>(maxThreads, 1)) {}

WorkerPool::~WorkerPool() { Stop(); }

bool WorkerPool::Post(std::function<void()> task) {
  std::lock_guard lock(m_mutex);
  if (m_stopping) return false;
  m_queue.push_back(std::move(task));
  if (m_queue.size() > m_idle && m_workers.size() < m_maxThreads) {
    Worker& worker = m_workers.emplace_back();
    try {
      worker.thread = std::thread([this, &worker] { Work(worker); });
    } catch (const std::system_error&) {
      m_workers.pop_back();
      if (m_workers.empty()) {
        m_queue.pop_back();
        return false;
      }
    }
  }
  m_wake.notify_one();
  return true;
}

void WorkerPool::Work(Worker& self) {
#ifdef _WIN32
  UniqueKernelHandle own(::OpenThread(THREAD_TERMINATE, FALSE, ::GetCurrentThreadId()));
#endif
  std::unique_lock lock(m_mutex);
#ifdef _WIN32
  self.handle = std::move(own);
#endif
  for (;;) {
    ++m_idle;
    m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    --m_idle;
    if (m_stopping) return;
    std::function<void()> task = std::move(m_queue.front());
    m_queue.pop_front();
    self.busy = true;
    lock.unlock();
    task();
    task = nullptr;  // what it holds goes before the pool hears it is done
    lock.lock();
    self.busy = false;
    m_finished.notify_all();
  }
}

void WorkerPool::Stop() {
  std::unique_lock lock(m_mutex);
  m_stopping = true;
  m_queue.clear();
  m_wake.notify_all();
  const auto busy = [this] {
    return std::any_of(m_workers.begin(), m_workers.end(), [](const Worker& w) { return w.busy; });
  };
  while (busy()) {
#ifdef _WIN32
    // Asked again on every round: a request that comes while the task is between two calls is lost.
    for (const Worker& worker : m_workers) {
      if (worker.busy && worker.handle) ::CancelSynchronousIo(worker.handle.Get());
    }
#endif
    m_finished.wait_for(lock, std::chrono::milliseconds(50));
  }
  lock.unlock();
  // Nothing is added once the pool stops, and every worker leaves as soon as it wakes.
  for (Worker& worker : m_workers) {
    if (worker.thread.joinable()) worker.thread.join();
  }
}

}  // namespace pathwright
