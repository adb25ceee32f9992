#include "WinTestSupport.h"

namespace pathwright::wintest {

int TakeQuitCode() {
  MSG message = {};
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(message.wParam) : -1;
}

void Command(HWND dialog, int id, int code) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

namespace {
ModalScript* g_active = nullptr;  // thread timers carry no context; one script at a time
}  // namespace

ModalScript::ModalScript(int id, std::function<bool(HWND)> script)
    : m_id(id), m_script(std::move(script)), m_timer(::SetTimer(nullptr, 0, 20, &ModalScript::Tick)) {
  g_active = this;
}

ModalScript::~ModalScript() {
  ::KillTimer(nullptr, m_timer);
  g_active = nullptr;
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
  ModalScript* self = g_active;
  if (!self || self->m_done || self->m_running) return;
  struct Search { int id; HWND found; } search = {self->m_id, nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM data) -> BOOL {
    auto* s = reinterpret_cast<Search*>(data);
    if (::IsWindowVisible(window) && ::GetDlgItem(window, s->id)) s->found = window;
    return !s->found;
  }, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return;
  self->m_running = true;
  self->m_done = self->m_script(search.found);
  self->m_running = false;
  if (!self->m_done && ++self->m_ticks > 250) ::PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace pathwright::wintest
