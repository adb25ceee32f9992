// The application module and the message loop: the pump, which lets the message filters (the main
// window's dialog keyboard handling) see each message first, and the module that knows the loop and
// hands a dialog object to its window during creation. Windows live on one thread, so neither needs
// a lock.
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

class CMessageLoop {
 public:
  CMessageLoop() = default;
  CMessageLoop(const CMessageLoop&) = delete;
  CMessageLoop& operator=(const CMessageLoop&) = delete;

  // Appends to the list; false only when the list cannot grow.
  bool AddMessageFilter(CMessageFilter* filter);
  // Removes the first equal entry; false when it is not registered.
  bool RemoveMessageFilter(CMessageFilter* filter);

  // Pumps messages until WM_QUIT and returns its wParam. A failing GetMessageW would fail again at
  // once, so it ends the loop with kBrokenLoop instead of spinning.
  int Run();
  static constexpr int kBrokenLoop = -1;

  // Asks the filters, the last registered first; true when one consumed the message.
  bool PreTranslateMessage(MSG* message);

 private:
  std::vector<CMessageFilter*> m_filters;
};

class CAppModule {
 public:
  constexpr CAppModule() = default;
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  // The image that holds the dialog templates, icons and strings: the program itself.
  static HINSTANCE GetResourceInstance();

  // The loop that pumps the windows' messages, while it runs; null before and after.
  void AddMessageLoop(CMessageLoop* loop) { m_loop = loop; }
  void RemoveMessageLoop() { m_loop = nullptr; }
  CMessageLoop* GetMessageLoop() const { return m_loop; }

  // While it lives, `object` waits for the first message of the dialog window being created, which
  // binds the two. A dialog created from another's handlers waits in its own turn: the previous
  // object (already bound by then) is put back afterwards.
  class Creating {
   public:
    Creating(CAppModule& module, CDialogBase* object) : m_module(module), m_previous(module.m_creating) {
      module.m_creating = object;
    }
    Creating(const Creating&) = delete;
    Creating& operator=(const Creating&) = delete;
    ~Creating() { m_module.m_creating = m_previous; }

   private:
    CAppModule& m_module;
    CDialogBase* m_previous;
  };
  // The object waiting for its window; null when none waits (or it was taken already).
  CDialogBase* ExtractCreateWndData();

 private:
  CMessageLoop* m_loop = nullptr;
  CDialogBase* m_creating = nullptr;
};

// The process-wide module; constant-initialised, so it exists before any other static object.
extern CAppModule g_module;

}  // namespace pathwright
