// Process entry: COM and the common controls, the main window and its message loop. The exit code
// tells the caller how the window ended: 1 OK, 2 Cancel, 0 no window at all, -1 the message loop
// broke (nothing was saved by it).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "ui/MainDlg.h"
#include "ui/Platform.h"
#include "win/AppModule.h"

namespace {

int Run(int showCommand) {
  auto loop = std::make_unique<pathwright::CMessageLoop>();
  pathwright::g_module.AddMessageLoop(loop.get());

  auto mainDlg = std::make_unique<pathwright::CMainDlg>(pathwright::SystemPlatform());
  int exitCode = 0;
  if (mainDlg->Create(nullptr)) {
    ::ShowWindow(mainDlg->m_hWnd, showCommand);
    exitCode = loop->Run();
  }

  pathwright::g_module.RemoveMessageLoop();
  mainDlg.reset();
  loop.reset();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int showCommand) {
  // The shell's folder browser, the explorer-style file dialog and the accessibility services need a
  // single-threaded apartment on the window thread. Only a successful initialisation is undone: a
  // failed one has nothing to undo, and an extra CoUninitialize would end someone else's.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // Touches user32 before any window exists, so the window manager is set up for this thread.
  ::DefWindowProcW(nullptr, 0, 0, 0);
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_BAR_CLASSES;
  ::InitCommonControlsEx(&controls);

  const int exitCode = Run(showCommand);

  if (SUCCEEDED(com)) ::CoUninitialize();
  return exitCode;
}
