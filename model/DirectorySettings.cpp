#include "DirectorySettings.h"

#include <cerrno>
#include <cstring>
#include <cwctype>
#include <optional>
#include <vector>

namespace pathwright {

namespace {
constexpr const wchar_t* kProject = L"Project";
constexpr const wchar_t* kPropertyGroup = L"PropertyGroup";
constexpr const wchar_t* kLabel = L"Label";

class StringWriter final : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : m_out(out) {}
  void write(const void* data, size_t size) override { m_out.append(static_cast<const char*>(data), size); }

 private:
  std::string& m_out;
};

// Whether no element lies more than `limit` levels deep, the top level being 1. Walks without
// recursion, so any depth is safe to measure. Only elements have children here (the document
// aside), so a node's depth is the nesting of elements down to it.
bool NestingWithin(const pugi::xml_document& doc, int limit) {
  int depth = 1;
  pugi::xml_node node = doc.first_child();
  while (node) {
    if (pugi::xml_node child = node.first_child()) {
      node = child;
      if (++depth > limit && node.type() == pugi::node_element) return false;
      continue;
    }
    while (!node.next_sibling()) {
      node = node.parent();
      --depth;
      if (node == doc) return true;
    }
    node = node.next_sibling();
  }
  return true;
}

// Non-empty and made only of the characters the reader takes for white space.
bool IsBlank(std::wstring_view text) {
  return !text.empty() && text.find_first_not_of(L" \t\r\n") == std::wstring_view::npos;
}

bool NamesUtf8(std::wstring_view encoding) {
  std::wstring lower;
  for (wchar_t c : encoding) lower += static_cast<wchar_t>(std::towlower(c));
  return lower == L"utf-8" || lower == L"utf8";
}

// What the path property of a kind should hold after a save, or nothing for no element.
// A value the program composed itself is recomputed; anything else is the user's own setting
// (an inline "C:\Qt\include;$(IncludePath)", say) and survives, with the user's list in front.
std::optional<std::wstring> PathValueAfterSave(int kind, bool listEmpty, const std::optional<std::wstring>& before) {
  const std::wstring composed = ComposedPathValue(kind);
  if (!before || *before == composed) {
    if (listEmpty) return std::nullopt;
    return composed;
  }
  const std::wstring prefix = std::wstring(L"$(") + kUserMacros[kind] + L");";
  const bool hasPrefix = before->compare(0, prefix.size(), prefix) == 0;
  if (!listEmpty) return hasPrefix ? *before : prefix + *before;
  std::wstring own = hasPrefix ? before->substr(prefix.size()) : *before;
  if (own.empty()) return std::nullopt;
  return own;
}
}  // namespace

void DirectorySettings::ResetDocument() {
  m_doc.reset();
  m_group = pugi::xml_node();
  m_backupBeforeWrite = false;
  m_onDisk.reset();
  m_listsAsLoaded = {};
}

bool DirectorySettings::LoadSheet() {
  ResetDocument();
  for (auto& list : m_lists) list.clear();
  m_loaded = false;

  // A folder opens like a file on some systems and then reports an absurd size to read.
  if (IsFolder(m_path)) return false;
  std::string bytes;
  if (!ReadFileBytes(m_path, bytes)) return false;
  const pugi::xml_parse_result parsed = m_doc.load_buffer(bytes.data(), bytes.size(),
                                                          pugi::parse_default | pugi::parse_declaration,
                                                          pugi::encoding_auto);
  if (!parsed) return false;
  pugi::xml_node project = m_doc.child(kProject);
  if (!project || !NestingWithin(m_doc, kMaxSheetDepth)) return false;

  // The last unlabelled group with content holds the user macros; empty unlabelled groups
  // carry nothing and are dropped, as every save before would have left them.
  for (pugi::xml_node group = project.child(kPropertyGroup); group;) {
    pugi::xml_node next = group.next_sibling(kPropertyGroup);
    if (!group.attribute(kLabel)) {
      if (group.first_child()) {
        m_group = group;
      } else {
        project.remove_child(group);
      }
    }
    group = next;
  }

  if (m_group) {
    for (int k = 0; k < kKindCount; ++k) m_lists[k] = m_group.child(kUserMacros[k]).text().get();
  }
  RememberAsLoaded(std::move(bytes));
  m_loaded = true;
  return true;
}

IoResult DirectorySettings::SaveSheet() {
  if (!m_loaded || m_path.empty()) return {};

  if (pugi::xml_node project = m_doc.child(kProject)) {
    if (!m_group) {
      for (pugi::xml_node group = project.child(kPropertyGroup); group;) {
        pugi::xml_node next = group.next_sibling(kPropertyGroup);
        if (!group.attribute(kLabel) && !group.first_child()) project.remove_child(group);
        group = next;
      }
      m_group = project.append_child(kPropertyGroup);
    }

    // Take out the fourteen managed elements, remembering what each path property held; every
    // other child of the group, its attributes and its position stay as they are.
    std::array<std::optional<std::wstring>, kKindCount> before;
    std::vector<pugi::xml_node> managed;
    for (pugi::xml_node child : m_group.children()) {
      if (child.type() != pugi::node_element) continue;
      for (int k = 0; k < kKindCount; ++k) {
        if (std::wcscmp(child.name(), kPathProperties[k]) == 0) {
          if (!before[k]) before[k] = child.text().get();
          managed.push_back(child);
        } else if (std::wcscmp(child.name(), kUserMacros[k]) == 0) {
          managed.push_back(child);
        }
      }
    }
    for (pugi::xml_node node : managed) m_group.remove_child(node);

    for (int k = 0; k < kKindCount; ++k) {
      std::wstring& list = m_lists[k];
      const bool listEmpty = list.empty();
      while (!list.empty() && list.back() == L';') list.pop_back();
      if (!listEmpty) {
        pugi::xml_node macro = m_group.append_child(kUserMacros[k]);
        // Text of blanks alone is dropped when a sheet is read; in CDATA it is kept, so the list
        // reads back as it was written.
        if (IsBlank(list)) {
          macro.append_child(pugi::node_cdata).set_value(list.c_str());
        } else {
          macro.text().set(list.c_str());
        }
      }
      if (auto value = PathValueAfterSave(k, listEmpty, before[k])) {
        m_group.append_child(kPathProperties[k]).text().set(value->c_str());
      }
    }
  }
  return WriteSheetFile();
}

IoResult DirectorySettings::CreateDefaultSheet(int version) {
  ResetDocument();
  pugi::xml_node declaration = m_doc.prepend_child(pugi::node_declaration);
  declaration.append_attribute(L"version").set_value(L"1.0");
  declaration.append_attribute(L"encoding").set_value(L"utf-8");

  pugi::xml_node project = m_doc.append_child(kProject);
  project.append_attribute(L"DefaultTargets").set_value(L"Build");
  project.append_attribute(L"ToolsVersion").set_value(version == 2 ? L"12.0" : L"4.0");
  project.append_attribute(L"xmlns").set_value(kMsBuildNamespace);
  if (version > 0) {
    project.append_child(L"ImportGroup").append_attribute(kLabel).set_value(L"PropertySheets");
    project.append_child(kPropertyGroup).append_attribute(kLabel).set_value(L"UserMacros");
    project.append_child(kPropertyGroup);
    project.append_child(L"ItemDefinitionGroup");
    project.append_child(L"ItemGroup");
  }

  // Whatever stands at m_path when it is written could not be read; it is never destroyed without a copy.
  m_backupBeforeWrite = true;
  IoResult written = WriteSheetFile();
  m_loaded = true;
  return written;
}

void DirectorySettings::TellTheTruthAboutEncoding() {
  // The file is always written as UTF-8; a declaration naming UTF-16 or ISO-8859-1 above UTF-8
  // bytes makes Visual Studio refuse the sheet.
  for (pugi::xml_node node : m_doc.children()) {
    if (node.type() != pugi::node_declaration) continue;
    pugi::xml_attribute encoding = node.attribute(L"encoding");
    if (encoding && !NamesUtf8(encoding.value())) encoding.set_value(L"utf-8");
    return;
  }
}

void DirectorySettings::SaveTo(pugi::xml_writer& writer) const {
  m_doc.save(writer, L"\t", pugi::format_default, pugi::encoding_auto);
}

std::string DirectorySettings::SerializeSheet() const {
  std::string bytes;
  StringWriter writer(bytes);
  SaveTo(writer);
  return bytes;
}

namespace {
// The list as a save writes it, for telling whether it changed.
std::wstring_view WithoutFinalSeparators(std::wstring_view list) {
  while (!list.empty() && list.back() == L';') list.remove_suffix(1);
  return list;
}
}  // namespace

void DirectorySettings::RememberAsLoaded(std::string bytes) {
  m_onDisk = OnDisk{m_path, std::move(bytes)};
  m_listsAsLoaded = m_lists;
}

IoResult DirectorySettings::LockSheet() { return m_lock.Acquire(m_path, m_lockWait); }

IoResult DirectorySettings::WriteSheetFile() {
  if (m_editOnly) return {};
  if (m_path.empty()) return IoResult::NotFound();
  m_backupPath.clear();
  WriteLock lock;
  if (!m_lock.Held()) {
    if (IoResult locked = lock.Acquire(m_path, m_lockWait); !locked) return locked;
  }
  for (int attempt = 1;; ++attempt) {
    IoResult written = WriteOnce();
    if (written.error != kContentChangedError) return written;
    if (attempt == kSheetWriteAttempts) {
      return IoResult{kContentChangedError, L"the sheet kept changing while it was being written (" +
                                                std::to_wstring(attempt) + L" attempts)"};
    }
    // A new sheet simply keeps whatever stands there now as a backup of its own.
    if (!m_backupBeforeWrite) {
      if (IoResult merged = TakeChangesFromDisk(); !merged) return merged;
    }
  }
}

IoResult DirectorySettings::WriteOnce() {
  // A record pointed at another file since simply writes it, as before.
  ExpectedContent expected = m_onDisk && m_onDisk->path == m_path ? ExpectedContent::Bytes(m_onDisk->bytes)
                                                                  : ExpectedContent::Anything();
  std::string old;
  if (m_backupBeforeWrite) {
    if (const IoResult read = ReadFileBytes(m_path, old); read) {
      if (IoResult kept = WriteBackupFile(m_path, old, m_backupPath); !kept) return kept;
      expected = ExpectedContent::Bytes(old);
    } else if (read.IsNotFound()) {
      expected = ExpectedContent::Nothing();
    } else {
      return read;  // not even copied: a device, a pipe, a file that cannot be opened
    }
  }

  TellTheTruthAboutEncoding();
  class BytesWriter final : public pugi::xml_writer {
   public:
    explicit BytesWriter(std::string& out) : m_out(out) {}
    void write(const void* data, size_t size) override { m_out.append(static_cast<const char*>(data), size); }

   private:
    std::string& m_out;
  };
  std::string bytes;
  bytes.reserve(m_onDisk ? m_onDisk->bytes.size() + m_onDisk->bytes.size() / 8 + 4096 : 4096);  // about what was read
  BytesWriter writer(bytes);
  m_doc.save(writer, L"\t", pugi::format_default, pugi::encoding_auto);

  IoResult replaced = ReplaceFileAtomically(m_path, bytes, expected);
  if (replaced) {
    m_onDisk = OnDisk{m_path, std::move(bytes)};
    m_backupBeforeWrite = false;
  }
  return replaced;
}

IoResult DirectorySettings::TakeChangesFromDisk() {
  DirectorySettings fresh;
  fresh.m_path = m_path;
  if (!fresh.LoadSheet()) {
    std::string nothing;
    IoResult why = ReadFileBytes(m_path, nothing, {.maxRead = 0});
    why.message = why ? L"another program changed the sheet meanwhile into something that is no property sheet"
                      : L"another program changed the sheet meanwhile, and it cannot be read: " + why.message;
    if (!why.error) why.error = kContentChangedError;
    return why;
  }
  // The lists changed in this record win; the rest is the file's as it is now.
  std::array<std::wstring, kKindCount> lists = m_lists;
  for (int k = 0; k < kKindCount; ++k) {
    if (WithoutFinalSeparators(lists[k]) == WithoutFinalSeparators(m_listsAsLoaded[k])) lists[k] = fresh.m_lists[k];
  }
  // This record takes the fresh document; its lock, its wait and what counts as a change stay.
  WriteLock lock = std::move(m_lock);
  const auto asLoaded = m_listsAsLoaded;
  const auto wait = m_lockWait;
  DirectorySettings::operator=(std::move(fresh));
  m_lock = std::move(lock);
  m_listsAsLoaded = asLoaded;
  m_lockWait = wait;
  m_lists = lists;
  m_editOnly = true;
  IoResult edited = SaveSheet();
  m_editOnly = false;
  return edited;
}

}  // namespace pathwright
