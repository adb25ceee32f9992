// The list editor's status column: every entry judged as the command-line check judges it, the
// folder look-ups on worker threads so a dead network share never stalls the window.
#include <algorithm>
#include <mutex>
#include <set>

#include "base/FileSystem.h"
#include "base/WorkerPool.h"
#include "lang/TextNumbers.h"
#include "model/SheetCheck.h"
#include "ui/PathListDlg.h"
#include "ui/StatusWords.h"
#include "ui/UiLanguage.h"
#include "win/Dpi.h"

namespace pathwright {

namespace {
constexpr UINT_PTR kLookUpTimer = 1;
constexpr size_t kLookUpThreads = 4;
enum LookUpState { kPending, kFolder, kAbsent, kNoAnswer };
}  // namespace

struct CPathListDlg::FolderCheck {
  std::mutex mutex;
  std::vector<std::pair<std::wstring, bool>> answers;  // folder key, absent: not yet taken by the window
  WorkerPool workers{kLookUpThreads};                  // last: it ends before what its tasks use
};

CPathListDlg::CPathListDlg(PlatformServices& platform) : m_platform(platform) {}

CPathListDlg::~CPathListDlg() { StopFolderCheck(); }

void CPathListDlg::LoadStatusIcons(UINT dpi) {
  const int size = ::MulDiv(16, static_cast<int>(dpi), 96);
  UniqueImageList icons(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 3, 0));
  for (LPCWSTR icon : {IDI_ERROR, IDI_WARNING, IDI_INFORMATION}) {
    HICON loaded = static_cast<HICON>(::LoadImageW(nullptr, icon, IMAGE_ICON, size, size, LR_SHARED));
    ::ImageList_AddIcon(icons.Get(), loaded ? loaded : ::LoadIconW(nullptr, icon));
  }
  ::SendMessageW(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons.Get()));
  m_statusIcons = std::move(icons);  // the list has let go of the icons it showed before
  // Wide enough for the longest words with their icon.
  int widest = 0;
  for (EntryStatus status : {EntryStatus::kOk, EntryStatus::kMissing, EntryStatus::kPercent, EntryStatus::kUnresolved,
                             EntryStatus::kProject, EntryStatus::kDuplicate, EntryStatus::kInvalid,
                             EntryStatus::kTimeout}) {
    const std::wstring words = UiText(ShownFor(status).words);
    widest = std::max(widest, static_cast<int>(::SendMessageW(m_list, LVM_GETSTRINGWIDTHW, 0,
                                                              reinterpret_cast<LPARAM>(words.c_str()))));
  }
  for (const std::vector<FixedLine>* lines : {&m_before, &m_after}) {
    for (const FixedLine& line : *lines) {
      widest = std::max(widest, static_cast<int>(::SendMessageW(m_list, LVM_GETSTRINGWIDTHW, 0,
                                                                reinterpret_cast<LPARAM>(line.where.c_str()))));
    }
  }
  // Room before and after the icon, and after the words so the longest is not cut short.
  m_statusWidth = StatusGap(dpi) + size + StatusGap(dpi) + widest + 3 * StatusGap(dpi);
}

void CPathListDlg::RefreshStatus() {
  const auto lookup = [this](const std::wstring& name) { return m_environment.Find(name); };
  std::set<std::wstring> seen;
  std::vector<std::pair<std::wstring, std::wstring>> toAsk;  // key, folder
  for (int i = 0; i < Count(); ++i) {
    Judgement judged = Prejudge(EntryText(i), lookup);
    uint32_t words = 0;
    int icon = kIconNone;
    if (judged.status == EntryStatus::kOk) {
      const std::wstring key = FolderKey(judged.expanded);
      if (!seen.insert(key).second) judged.status = EntryStatus::kDuplicate;
      if (judged.status == EntryStatus::kOk) {
        const auto found = m_lookUps.find(key);
        const int state = found == m_lookUps.end() ? kPending : found->second.state;
        if (found == m_lookUps.end()) toAsk.emplace_back(key, judged.expanded);
        if (state == kPending) words = text::kListStatusChecking;
        if (state == kAbsent) judged.status = EntryStatus::kMissing;
        if (state == kNoAnswer) judged.status = EntryStatus::kTimeout;
      }
    }
    if (words == 0) {
      const StatusShown shown = ShownFor(judged.status);
      words = shown.words;
      icon = shown.icon;
    } else {
      icon = kIconNote;
    }
    std::wstring text = UiText(words);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = ItemOf(i);
    item.iSubItem = 1;
    item.pszText = text.data();
    item.iImage = icon < 0 ? I_IMAGENONE : icon;
    ::SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  ShowExpanded();
  FitColumns();  // entries added or removed may have brought or taken the scroll bar
  if (toAsk.empty() || !m_hWnd) return;
  // Folders on other machines go last: one that never answers then holds a worker, not the answers
  // of the local ones.
  std::stable_partition(toAsk.begin(), toAsk.end(), [](const auto& ask) { return !IsNetworkPath(ask.second); });
  if (!m_check) m_check = std::make_unique<FolderCheck>();
  for (auto& [key, folder] : toAsk) {
    m_lookUps[key] = {kPending, ::GetTickCount()};
    m_check->workers.Post([check = m_check.get(), window = m_hWnd, key = key, folder = folder] {
      const bool absent = !IsFolder(folder);
      std::lock_guard lock(check->mutex);
      check->answers.emplace_back(key, absent);
      // One message for the answers that gather until the window takes them.
      if (check->answers.size() == 1) ::PostMessageW(window, kFoldersChecked, 0, 0);
    });
  }
  ::SetTimer(m_hWnd, kLookUpTimer, 250, nullptr);
}

void CPathListDlg::OnFoldersChecked() {
  if (!m_check) return;
  std::vector<std::pair<std::wstring, bool>> answers;
  {
    std::lock_guard lock(m_check->mutex);
    answers.swap(m_check->answers);
  }
  for (const auto& [key, absent] : answers) m_lookUps[key].state = absent ? kAbsent : kFolder;
  RefreshStatus();
}

void CPathListDlg::OnLookUpTimer() {
  // A folder without an answer within the limit is said to be so; a late answer still replaces it.
  const DWORD now = ::GetTickCount();
  bool waiting = false, changed = false;
  for (auto& [key, lookUp] : m_lookUps) {
    if (lookUp.state != kPending) continue;
    if (now - lookUp.asked >= static_cast<DWORD>(kFolderAnswerLimit.count())) {
      lookUp.state = kNoAnswer;
      changed = true;
    } else {
      waiting = true;
    }
  }
  if (!waiting) ::KillTimer(m_hWnd, kLookUpTimer);
  if (changed) RefreshStatus();
}

void CPathListDlg::ShowExpanded() {
  const std::vector<int> selected = SelectedEntries();
  std::wstring shown;
  if (selected.size() == 1) {
    const Judgement judged =
        Prejudge(EntryText(selected.front()), [this](const std::wstring& name) { return m_environment.Find(name); });
    if (!judged.expanded.empty()) shown = UiFormat(text::kListExpanded, judged.expanded);
  }
  SetDlgItemText(IDC_LIST_EXPANDED, shown);
}

void CPathListDlg::StopFolderCheck() {
  // Look-ups not started are dropped; one waiting for a server is cancelled and waited for.
  m_check.reset();
  if (m_hWnd) ::KillTimer(m_hWnd, kLookUpTimer);
}

}  // namespace pathwright
