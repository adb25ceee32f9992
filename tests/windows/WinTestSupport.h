// Shared pieces of the in-process window tests: platform services that answer from a script and
// record what they were asked, the thread's message queue, and a script run on a modal dialog.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/Sheets.h"
#include "ui/Platform.h"
#include "win/FileDialog.h"
#include "win/WindowText.h"

namespace pathwright::wintest {

using namespace testing;

struct ShownMessage {
  HWND owner;
  bool ownerVisible;
  std::wstring text, caption;
  UINT type;
};
struct FileDialogAnswer {
  INT_PTR result;
  std::wstring path, title;
};
struct ChooserAnswer {
  INT_PTR result;
  int version;
};
struct FolderAsked {
  HWND owner;
  std::wstring instruction, initialFolder;
};

// Answers from the queues (none left: cancelled) and records every question.
class FakePlatform : public PlatformServices {
 public:
  std::wstring appData;  // empty: the shell has no folder
  std::deque<FileDialogAnswer> fileAnswers;
  std::deque<ChooserAnswer> chooserAnswers;
  std::deque<int> messageAnswers;  // none left: IDOK
  std::deque<std::optional<std::wstring>> folderPicks;  // nullopt: cancelled
  std::vector<ShownMessage> messages;
  std::vector<std::wstring> fileDialogFolders;  // where each file dialog was to start
  std::vector<int> chooserVersionsOnEntry;
  std::vector<std::wstring> chooserPrompts;
  std::vector<FolderAsked> foldersAsked;
  std::map<HWND, std::wstring> accessibleNames;
  EnvironmentBlock environment;  // what the editor takes for Visual Studio's environment

  std::wstring LocalAppDataFolder() override { return appData; }
  INT_PTR RunFileDialog(CFileDialog& dialog, HWND) override {
    fileDialogFolders.push_back(dialog.InitialFolder());
    const std::optional<FileDialogAnswer> answer = Next(fileAnswers);
    if (answer && answer->result == IDOK) dialog.SetResult(answer->path, answer->title);
    return answer ? answer->result : IDCANCEL;
  }
  INT_PTR RunVersionChooser(HWND, int& version, const std::wstring& prompt) override {
    chooserVersionsOnEntry.push_back(version);
    chooserPrompts.push_back(prompt);
    const std::optional<ChooserAnswer> answer = Next(chooserAnswers);
    if (answer) version = answer->version;
    return answer ? answer->result : IDCANCEL;
  }
  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    messages.push_back({owner, owner && ::IsWindowVisible(owner), text, caption, type});
    return Next(messageAnswers).value_or(IDOK);
  }
  bool SetAccessibleName(HWND control, const std::wstring& name) override {
    accessibleNames[control] = name;
    return true;
  }
  bool BrowseForFolder(HWND owner, const std::wstring& instruction, const std::wstring& initialFolder,
                       std::wstring& folder) override {
    foldersAsked.push_back({owner, instruction, initialFolder});
    const std::optional<std::wstring> pick = Next(folderPicks).value_or(std::nullopt);
    if (pick) folder = *pick;
    return pick.has_value();
  }
  EnvironmentBlock PersistentEnvironment() override { return environment; }

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
  }
};

// A posted WM_QUIT's exit code, or -1 when none is waiting.
inline int TakeQuitCode() {
  MSG message = {};
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(message.wParam) : -1;
}
// Runs the waiting messages, leaving a WM_QUIT in the queue.
inline void PumpMessages() {
  MSG message = {};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return ::PostQuitMessage(static_cast<int>(message.wParam));
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}
// As a click on the control would.
inline void Command(HWND dialog, int id, int code = BN_CLICKED) {
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
inline std::wstring ItemText(HWND dialog, int id) { return GetWindowTextString(::GetDlgItem(dialog, id)); }

// While it lives, the first visible dialog of this thread that holds control `id` has `script` run on it
// from a timer, so inside the modal loop that shows it, until the script says it is done (true). A dialog
// still up after twenty seconds of that (generous for a loaded machine under Wine) is cancelled, so a
// test fails instead of hanging.
class ModalScript {
 public:
  ModalScript(int id, std::function<bool(HWND)> script)
      : m_id(id), m_script(std::move(script)), m_timer(::SetTimer(nullptr, 0, 20, &ModalScript::Tick)) {
    s_active = this;
  }
  ~ModalScript() {
    ::KillTimer(nullptr, m_timer);
    s_active = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool Done() const { return m_done; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = s_active;
    if (!self || self->m_done || self->m_running) return;
    struct Search {
      int id;
      HWND found;
    } search = {self->m_id, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          if (::IsWindowVisible(window) && ::GetDlgItem(window, s->id)) s->found = window;
          return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) return;
    self->m_running = true;  // a script that runs a modal loop of its own is not asked again meanwhile
    self->m_done = self->m_script(search.found);
    self->m_running = false;
    if (!self->m_done && ++self->m_ticks > 1000) ::PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
  }

  static inline ModalScript* s_active = nullptr;  // thread timers carry no context; one script at a time
  int m_id;
  std::function<bool(HWND)> m_script;
  UINT_PTR m_timer;
  int m_ticks = 0;
  bool m_done = false;
  bool m_running = false;
};

}  // namespace pathwright::wintest
