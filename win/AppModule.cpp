#include "win/AppModule.h"

#include <algorithm>
#include <new>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace pathwright {

constinit CAppModule g_module;

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
  try {
    m_filters.push_back(filter);
    return true;
  } catch (const std::bad_alloc&) { return false; }
}

bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  const auto found = std::find(m_filters.begin(), m_filters.end(), filter);
  if (found == m_filters.end()) return false;
  m_filters.erase(found);
  return true;
}

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

int CMessageLoop::Run() {
  MSG message = {};
  for (;;) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) return kBrokenLoop;
    if (!got) return static_cast<int>(message.wParam);
    if (!PreTranslateMessage(&message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

HINSTANCE CAppModule::GetResourceInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

CDialogBase* CAppModule::ExtractCreateWndData() { return std::exchange(m_creating, nullptr); }

}  // namespace pathwright
