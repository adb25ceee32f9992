// Shared pieces of the in-process window tests: platform services that answer from a script and
// record what they were asked, the thread's message queue, and a script run on a modal dialog.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
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

struct ShownMessage { HWND owner; bool ownerVisible; std::wstring text, caption; UINT type; };
struct FileDialogAnswer { INT_PTR result; std::wstring path, title; };
struct ChooserAnswer { INT_PTR result; int version; };
struct FolderAsked { HWND owner; std::wstring instruction, initialFolder; };

// Answers from the queues (none left: cancelled) and records every question.
class FakePlatform : public PlatformServices {
 public:
  std::wstring appData;  // empty: the shell has no folder
  std::deque<FileDialogAnswer> fileAnswers;
  std::deque<ChooserAnswer> chooserAnswers;
  std::deque<std::optional<std::wstring>> folderPicks;  // nullopt: cancelled
  std::vector<ShownMessage> messages;
  std::vector<std::wstring> fileDialogFolders;  // where each file dialog was to start
  std::vector<int> chooserVersionsOnEntry;
  std::vector<FolderAsked> foldersAsked;

  std::wstring LocalAppDataFolder() override { return appData; }
  INT_PTR RunFileDialog(CFileDialog& dialog, HWND) override {
    fileDialogFolders.push_back(dialog.InitialFolder());
    const std::optional<FileDialogAnswer> answer = Next(fileAnswers);
    if (answer && answer->result == IDOK) dialog.SetResult(answer->path, answer->title);
    return answer ? answer->result : IDCANCEL;
  }
  INT_PTR RunVersionChooser(HWND, int& version) override {
    chooserVersionsOnEntry.push_back(version);
    const std::optional<ChooserAnswer> answer = Next(chooserAnswers);
    if (answer) version = answer->version;
    return answer ? answer->result : IDCANCEL;
  }
  int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
    messages.push_back({owner, owner && ::IsWindowVisible(owner), text, caption, type});
    return IDOK;
  }
  bool BrowseForFolder(HWND owner, const std::wstring& instruction, const std::wstring& initialFolder,
                       std::wstring& folder) override {
    foldersAsked.push_back({owner, instruction, initialFolder});
    const std::optional<std::wstring> pick = Next(folderPicks).value_or(std::nullopt);
    if (pick) folder = *pick;
    return pick.has_value();
  }

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
  }
};

int TakeQuitCode();  // a posted WM_QUIT's exit code, or -1 when none is waiting
void Command(HWND dialog, int id, int code = BN_CLICKED);  // as a click on the control would
inline std::wstring ItemText(HWND dialog, int id) { return GetWindowTextString(::GetDlgItem(dialog, id)); }

// While it lives, the first visible dialog of this thread that holds control `id` has `script` run on it
// from a timer, so inside the modal loop that shows it, until the script says it is done (true). A dialog
// still up after five seconds of that is cancelled, so a test fails instead of hanging.
class ModalScript {
 public:
  ModalScript(int id, std::function<bool(HWND)> script);
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool Done() const { return m_done; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  int m_id;
  std::function<bool(HWND)> m_script;
  UINT_PTR m_timer;
  int m_ticks = 0;
  bool m_done = false;
  bool m_running = false;  // a script that runs a modal loop of its own is not asked again meanwhile
};

}  // namespace pathwright::wintest
