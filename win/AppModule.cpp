#include "win/AppModule.h"

#include <algorithm>
#include <new>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace pathwright {

constinit CAppModule g_module;

namespace {
class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }

 private:
  SRWLOCK& m_lock;
};

template <typename T>
bool Append(std::vector<T*>& list, T* item) {
  try {
    list.push_back(item);
    return true;
  } catch (const std::bad_alloc&) { return false; }
}

template <typename T>
bool RemoveFirst(std::vector<T*>& list, T* item) {
  auto found = std::find(list.begin(), list.end(), item);
  if (found == list.end()) return false;
  list.erase(found);
  return true;
}
}  // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return Append(m_filters, filter); }
bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return Append(m_idleHandlers, handler); }
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return RemoveFirst(m_filters, filter); }
bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return RemoveFirst(m_idleHandlers, handler); }

bool CMessageLoop::PreTranslateMessage(MSG* message) {
  // A filter may unregister itself (or others) while it runs, as the main window does when Enter
  // closes it, so the index is checked against the current size on every step.
  for (size_t i = m_filters.size(); i-- > 0;) {
    if (i >= m_filters.size()) continue;
    CMessageFilter* filter = m_filters[i];
    if (filter && filter->PreTranslateMessage(message)) return true;
  }
  return false;
}

bool CMessageLoop::OnIdle(int /*idleCount*/) {
  for (size_t i = 0; i < m_idleHandlers.size(); ++i) {
    if (CIdleHandler* handler = m_idleHandlers[i]) handler->OnIdle();
  }
  return false;
}

bool CMessageLoop::IsIdleMessage(const MSG& message) {
  switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // the system timer that blinks the caret
      return false;
    default:
      return true;
  }
}

int CMessageLoop::Run() {
  bool idle = true;
  int idleCount = 0;
  for (;;) {
    while (idle && !::PeekMessageW(&m_message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    const BOOL got = ::GetMessageW(&m_message, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;
    if (!PreTranslateMessage(&m_message)) {
      ::TranslateMessage(&m_message);
      ::DispatchMessageW(&m_message);
    }
    if (IsIdleMessage(m_message)) {
      idle = true;
      idleCount = 0;
    }
  }
  return static_cast<int>(m_message.wParam);
}

bool CAppModule::Init() {
  ExclusiveLock lock(m_loopLock);
  m_loops.clear();
  return true;
}

void CAppModule::Term() {
  ExclusiveLock lock(m_loopLock);
  m_loops.clear();
  m_loops.shrink_to_fit();
}

HINSTANCE CAppModule::GetResourceInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
  ExclusiveLock lock(m_loopLock);
  try {
    m_loops.push_back({::GetCurrentThreadId(), loop});
    return true;
  } catch (const std::bad_alloc&) { return false; }
}

bool CAppModule::RemoveMessageLoop() {
  ExclusiveLock lock(m_loopLock);
  const DWORD thread = ::GetCurrentThreadId();
  auto found = std::find_if(m_loops.begin(), m_loops.end(), [&](const LoopEntry& e) { return e.threadId == thread; });
  if (found == m_loops.end()) return false;
  m_loops.erase(found);
  return true;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) {
  ExclusiveLock lock(m_loopLock);
  for (const LoopEntry& entry : m_loops) {
    if (entry.threadId == threadId) return entry.loop;
  }
  return nullptr;
}

void CAppModule::AddCreateWndData(CreateEntry& entry, CDialogBase* object) {
  entry.object = object;
  entry.threadId = ::GetCurrentThreadId();
  ExclusiveLock lock(m_createLock);
  entry.next = m_creating;
  m_creating = &entry;
}

CDialogBase* CAppModule::ExtractCreateWndData() {
  const DWORD thread = ::GetCurrentThreadId();
  ExclusiveLock lock(m_createLock);
  for (CreateEntry** link = &m_creating; *link; link = &(*link)->next) {
    if ((*link)->threadId == thread) {
      CreateEntry* entry = *link;
      *link = entry->next;
      entry->next = nullptr;
      return entry->object;
    }
  }
  return nullptr;
}

void CAppModule::RemoveCreateWndData(CreateEntry& entry) {
  ExclusiveLock lock(m_createLock);
  for (CreateEntry** link = &m_creating; *link; link = &(*link)->next) {
    if (*link == &entry) {
      *link = entry.next;
      entry.next = nullptr;
      return;
    }
  }
}

}  // namespace pathwright
