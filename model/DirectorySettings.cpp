#include "DirectorySettings.h"

#include <string_view>

namespace pathwright {

namespace {
// The list as a save writes it, for telling whether it changed.
std::wstring_view WithoutFinalSeparators(std::wstring_view list) {
  while (!list.empty() && list.back() == L';') list.remove_suffix(1);
  return list;
}
}  // namespace

SheetLoad DirectorySettings::LoadSheet() {
  m_open.reset();
  for (auto& list : m_lists) list.clear();
  SheetSnapshot sheet;
  SheetLoad loaded = ReadSheet(m_path, sheet);
  m_loaded = static_cast<bool>(loaded);
  if (loaded) {
    m_lists = sheet.lists;
    m_open = OpenSheet{m_path, std::move(sheet)};
  }
  return loaded;
}

Result DirectorySettings::SaveSheet() {
  m_savedAsUtf8 = false;
  if (!m_loaded || m_path.empty()) return {};
  const bool open = m_open && m_open->path == m_path;
  // While the sheet's lists are the ones this record last read or wrote, the record's go in as they
  // are. When another program changed them, only the lists changed here since then win.
  const DirectoryLists* before = open ? &m_open->sheet.lists : nullptr;
  // Nothing to write is judged against the file as it is now, so that a save with no change of its
  // own leaves another program's lists in the file and takes them into the record.
  const SheetChange change = [&](DirectoryLists& lists, const SheetDocument&) {
    const bool theirs = before && lists != *before;
    bool changed = false;
    for (int k = 0; k < kKindCount; ++k) {
      if (theirs && WithoutFinalSeparators(m_lists[k]) == WithoutFinalSeparators((*before)[k])) continue;
      changed = changed || WithoutFinalSeparators(m_lists[k]) != WithoutFinalSeparators(lists[k]);
      lists[k] = m_lists[k];
    }
    return changed;
  };
  const EditOutcome saved = open ? EditOpenSheet(m_path, m_open->sheet, change) : EditSheet(m_path, change);
  if (saved) {
    m_savedAsUtf8 = saved.becameUtf8;
    m_lists = saved.lists;
    // A final ";" never reaches the file.
    for (std::wstring& list : m_lists) list.resize(WithoutFinalSeparators(list).size());
  }
  return saved.result;
}

Result DirectorySettings::CreateDefaultSheet(VsVersion version, const NewSheetOptions& options) {
  SheetSnapshot created;
  const EditOutcome made = CreateSheet(m_path, version, options, &created);
  m_loaded = static_cast<bool>(made);
  m_open.reset();
  if (made) {
    m_lists = created.lists;
    m_open = OpenSheet{m_path, std::move(created)};
  }
  return made.result;
}

}  // namespace pathwright
