// The application module and the message loop: the thread's pump with message filters (the main
// window's dialog keyboard handling) and idle handlers, and the module that maps each thread to its
// loop and hands a dialog object to its window during creation.
#pragma once

#include <windows.h>

#include <vector>

namespace pathwright {

class CDialogBase;

class CMessageFilter {
 public:
  virtual bool PreTranslateMessage(MSG* message) = 0;

 protected:
  ~CMessageFilter() = default;
};

class CIdleHandler {
 public:
  virtual bool OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  CMessageLoop() = default;
  CMessageLoop(const CMessageLoop&) = delete;
  CMessageLoop& operator=(const CMessageLoop&) = delete;
  virtual ~CMessageLoop() = default;

  // Appends to the list; false only when the list cannot grow.
  bool AddMessageFilter(CMessageFilter* filter);
  bool AddIdleHandler(CIdleHandler* handler);
  // Removes the first equal entry; false when it is not registered.
  bool RemoveMessageFilter(CMessageFilter* filter);
  bool RemoveIdleHandler(CIdleHandler* handler);

  // Pumps messages until WM_QUIT and returns its wParam.
  int Run();

  // Asks the filters, the last registered first; true when one consumed the message.
  virtual bool PreTranslateMessage(MSG* message);
  // Calls every idle handler once and wants no further idle work.
  virtual bool OnIdle(int idleCount);

  // Messages that do not make the loop idle again: mouse moves, paints and the caret blink timer.
  static bool IsIdleMessage(const MSG& message);

 protected:
  std::vector<CMessageFilter*> m_filters;
  std::vector<CIdleHandler*> m_idleHandlers;
  MSG m_message = {};
};

class CAppModule {
 public:
  constexpr CAppModule() = default;
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  bool Init();
  void Term();

  // The image that holds the dialog templates, icons and strings: the program itself.
  static HINSTANCE GetResourceInstance();

  // One loop per thread; the calling thread's entry is added or removed.
  bool AddMessageLoop(CMessageLoop* loop);
  bool RemoveMessageLoop();
  CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId());

  // Dialog creation: the object waits in an entry on the creating caller's stack until its
  // window's first message binds them.
  struct CreateEntry {
    CDialogBase* object = nullptr;
    DWORD threadId = 0;
    CreateEntry* next = nullptr;
  };
  void AddCreateWndData(CreateEntry& entry, CDialogBase* object);
  CDialogBase* ExtractCreateWndData();
  // Unlinks the entry if no window took it (the template could not be loaded).
  void RemoveCreateWndData(CreateEntry& entry);

 private:
  struct LoopEntry {
    DWORD threadId;
    CMessageLoop* loop;
  };

  SRWLOCK m_loopLock = SRWLOCK_INIT;
  std::vector<LoopEntry> m_loops;
  SRWLOCK m_createLock = SRWLOCK_INIT;
  CreateEntry* m_creating = nullptr;
};

// The process-wide module; constant-initialised, so it exists before any other static object.
extern CAppModule g_module;

}  // namespace pathwright
