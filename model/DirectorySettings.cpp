#include "DirectorySettings.h"

#include <cerrno>
#include <cstring>
#include <cwctype>
#include <optional>
#include <string_view>

namespace pathwright {

namespace {
constexpr const wchar_t* kProject = L"Project";
constexpr const wchar_t* kPropertyGroup = L"PropertyGroup";
constexpr const wchar_t* kLabel = L"Label";
constexpr const wchar_t* kCondition = L"Condition";

// Collects pugixml's output: the replace compares and writes it whole.
class BytesWriter final : public pugi::xml_writer {
 public:
  explicit BytesWriter(std::string& out) : m_out(out) {}
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

// The list as a save writes it, for telling whether it changed.
std::wstring_view WithoutFinalSeparators(std::wstring_view list) {
  while (!list.empty() && list.back() == L';') list.remove_suffix(1);
  return list;
}

// Elements with a Condition apply only sometimes; the program never reads, edits, moves or
// removes them, and a group with one is never the user macro group.
bool Unconditional(pugi::xml_node node) { return node.type() == pugi::node_element && !node.attribute(kCondition); }

pugi::xml_node FirstUnconditional(pugi::xml_node group, const wchar_t* name) {
  for (pugi::xml_node child = group.child(name); child; child = child.next_sibling(name)) {
    if (!child.attribute(kCondition)) return child;
  }
  return {};
}

// The kind whose user macro or path property the element is named after, or -1.
int ManagedKind(pugi::xml_node node) {
  for (int k = 0; k < kKindCount; ++k) {
    if (std::wcscmp(node.name(), kUserMacros[k]) == 0 || std::wcscmp(node.name(), kPathProperties[k]) == 0) return k;
  }
  return -1;
}

// The element's children become one text node holding the value. Text of blanks alone is dropped
// when a sheet is read; in CDATA it is kept, so the value reads back as it was written.
void SetContent(pugi::xml_node element, const std::wstring& value) {
  while (pugi::xml_node child = element.first_child()) element.remove_child(child);
  element.append_child(IsBlank(value) ? pugi::node_cdata : pugi::node_pcdata).set_value(value.c_str());
}

// Puts the list of one kind into the group. The elements stay where they are, so properties that
// later elements build on keep their meaning; a new user macro goes where the program would have
// written it (before the kind's path property or the first element of a later kind), its path
// property right after it.
void SaveKind(pugi::xml_node group, int kind, std::wstring& list) {
  const wchar_t* macroName = kUserMacros[kind];
  const wchar_t* pathName = kPathProperties[kind];
  pugi::xml_node macro = FirstUnconditional(group, macroName);
  pugi::xml_node path = FirstUnconditional(group, pathName);
  const std::optional<std::wstring> before = path ? std::optional<std::wstring>(path.text().get()) : std::nullopt;

  const bool listEmpty = list.empty();
  while (!list.empty() && list.back() == L';') list.pop_back();
  if (listEmpty) {
    macro = {};
  } else if (!macro) {
    pugi::xml_node anchor;
    for (pugi::xml_node child : group.children()) {
      if (Unconditional(child) && (child == path || ManagedKind(child) > kind)) {
        anchor = child;
        break;
      }
    }
    macro = anchor ? group.insert_child_before(macroName, anchor) : group.append_child(macroName);
  }
  if (macro) SetContent(macro, list);
  // MSBuild takes the last of several, which would silently override the list the user sees.
  for (pugi::xml_node child = group.child(macroName); child;) {
    const pugi::xml_node next = child.next_sibling(macroName);
    if (child != macro && Unconditional(child)) group.remove_child(child);
    child = next;
  }

  if (const std::optional<std::wstring> value = PathValueAfterSave(kind, listEmpty, before)) {
    if (!path) path = macro ? group.insert_child_after(pathName, macro) : group.append_child(pathName);
    SetContent(path, *value);
  } else if (path) {
    group.remove_child(path);
  }
}
}  // namespace

VsVersion VsVersionFromChooserIndex(int index) {
  if (index == 2) return VsVersion::k2013;
  return index > 0 ? VsVersion::k2012 : VsVersion::k2010;
}

std::optional<ListCharacter> FindForbiddenInLists(const std::array<std::wstring, kKindCount>& lists) {
  for (int k = 0; k < kKindCount; ++k) {
    if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(lists[k])) {
      return ListCharacter{.kind = k, .character = *found};
    }
  }
  return std::nullopt;
}

void DirectorySettings::ResetDocument() {
  m_doc.reset();
  m_group = pugi::xml_node();
  m_backupBeforeWrite = false;
  m_onDisk.reset();
  m_listsAsLoaded = {};
}

Result DirectorySettings::LoadSheet() {
  ResetDocument();
  for (auto& list : m_lists) list.clear();
  Result loaded = ParseSheet();
  if (!loaded) ResetDocument();
  m_loaded = static_cast<bool>(loaded);
  return loaded;
}

Result DirectorySettings::ParseSheet() {
  using Status = Result::Status;
  // A folder opens like a file on some systems and then fails with a misleading reason.
  if (IsFolder(m_path)) return Result::Failure(Status::kInvalid, L"it is a folder, not a file");
  std::string bytes;
  if (Result read = ReadFileBytes(m_path, bytes); !read) return read;
  if (bytes.empty()) return Result::Failure(Status::kNotASheet, L"the file is empty");
  std::wstring why;
  pugi::xml_encoding encoding = pugi::encoding_auto;
  std::string recoded;
  if (!PrepareSheetBytes(bytes, recoded, encoding, why)) return Result::Failure(Status::kNotASheet, why);
  // The file's own bytes are kept: a save compares them with what the file holds then.
  const std::string& parse = recoded.empty() ? bytes : recoded;
  const pugi::xml_parse_result parsed =
      m_doc.load_buffer(parse.data(), parse.size(), pugi::parse_default | pugi::parse_declaration, encoding);
  std::string().swap(recoded);
  if (parsed.status == pugi::status_no_document_element) return Result::Failure(Status::kNotASheet, L"the file holds no XML element");
  if (!parsed) {
    const std::string_view description = parsed.description();
    return Result::Failure(Status::kNotASheet, L"not well-formed XML: " + std::wstring(description.begin(), description.end()));
  }
  pugi::xml_node project = m_doc.child(kProject);
  if (!project) return Result::Failure(Status::kNotASheet, L"not an MSBuild property sheet (the top element is not Project)");
  if (!NestingWithin(m_doc, kMaxSheetDepth)) {
    return Result::Failure(Status::kNotASheet, L"elements nested deeper than " + std::to_wstring(kMaxSheetDepth) + L" levels");
  }

  // The last group with neither Label nor Condition that has content holds the user macros; empty
  // ones carry nothing and are dropped, as every save before would have left them.
  for (pugi::xml_node group = project.child(kPropertyGroup); group;) {
    pugi::xml_node next = group.next_sibling(kPropertyGroup);
    if (!group.attribute(kLabel) && !group.attribute(kCondition)) {
      if (group.first_child()) {
        m_group = group;
      } else {
        project.remove_child(group);
      }
    }
    group = next;
  }

  if (m_group) {
    for (int k = 0; k < kKindCount; ++k) m_lists[k] = FirstUnconditional(m_group, kUserMacros[k]).text().get();
  }
  RememberAsLoaded(std::move(bytes));
  return {};
}

Result DirectorySettings::SaveSheet() {
  if (!m_loaded || m_path.empty()) return {};
  // MSBuild refuses a sheet with such a character, and with it every C++ build of the user.
  if (const std::optional<ListCharacter> found = FindForbiddenInLists(m_lists)) {
    return Result::Failure(Result::Status::kForbiddenCharacter, std::wstring(kUserMacros[found->kind]) +
                                                  L" holds a character XML does not allow: " +
                                                  DescribeForbiddenCharacter(found->character));
  }

  if (pugi::xml_node project = m_doc.child(kProject)) {
    if (!m_group) {
      for (pugi::xml_node group = project.child(kPropertyGroup); group;) {
        pugi::xml_node next = group.next_sibling(kPropertyGroup);
        if (!group.attribute(kLabel) && !group.attribute(kCondition) && !group.first_child()) {
          project.remove_child(group);
        }
        group = next;
      }
      m_group = project.append_child(kPropertyGroup);
    }
    for (int k = 0; k < kKindCount; ++k) SaveKind(m_group, k, m_lists[k]);
  }
  return WriteSheetFile();
}

Result DirectorySettings::CreateDefaultSheet(VsVersion version) {
  ResetDocument();
  pugi::xml_node declaration = m_doc.prepend_child(pugi::node_declaration);
  declaration.append_attribute(L"version").set_value(L"1.0");
  declaration.append_attribute(L"encoding").set_value(L"utf-8");

  pugi::xml_node project = m_doc.append_child(kProject);
  project.append_attribute(L"DefaultTargets").set_value(L"Build");
  project.append_attribute(L"ToolsVersion").set_value(version == VsVersion::k2013 ? L"12.0" : L"4.0");
  project.append_attribute(L"xmlns").set_value(kMsBuildNamespace);
  if (version != VsVersion::k2010) {
    project.append_child(L"ImportGroup").append_attribute(kLabel).set_value(L"PropertySheets");
    project.append_child(kPropertyGroup).append_attribute(kLabel).set_value(L"UserMacros");
    project.append_child(kPropertyGroup);
    project.append_child(L"ItemDefinitionGroup");
    project.append_child(L"ItemGroup");
  }

  // Whatever stands at m_path could not be read; it is never destroyed without a copy (whether there
  // is one to copy is decided under the lock, at the write). Until the new sheet is written, an
  // empty record must not be saved over the file the user still has.
  m_backupBeforeWrite = true;
  Result written = WriteSheetFile();
  m_loaded = static_cast<bool>(written);
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

void DirectorySettings::RememberAsLoaded(std::string bytes) {
  m_onDisk = OnDisk{m_path, std::move(bytes)};
  m_listsAsLoaded = m_lists;
}

Result DirectorySettings::LockSheet() { return m_lock.Acquire(m_path, m_lockWait); }

Result DirectorySettings::WriteSheetFile() {
  if (m_editOnly) return {};
  if (m_path.empty()) return Result::NotFound();
  m_backupPath.clear();
  WriteLock lock;
  if (!m_lock.Held()) {
    if (Result locked = lock.Acquire(m_path, m_lockWait); !locked) return locked;
  }
  for (int attempt = 1;; ++attempt) {
    Result written = WriteOnce();
    if (written.status != Result::Status::kContentChanged) return written;
    if (attempt == kSheetWriteAttempts) {
      return Result::Failure(Result::Status::kContentChanged, L"the sheet kept changing while it was being written (" +
                                                std::to_wstring(attempt) + L" attempts)");
    }
    // A new sheet simply keeps whatever stands there now as a backup of its own.
    if (!m_backupBeforeWrite) {
      if (Result merged = TakeChangesFromDisk(); !merged) return merged;
    }
  }
}

Result DirectorySettings::WriteOnce() {
  // A record pointed at another file since simply writes it, as before.
  ExpectedContent expected =
      m_onDisk && m_onDisk->path == m_path ? ExpectedContent::Bytes(m_onDisk->bytes) : ExpectedContent::Anything();
  std::string old;
  if (m_backupBeforeWrite) {
    if (const Result read = ReadFileBytes(m_path, old); read) {
      if (Result kept = WriteBackupFile(m_path, old, m_backupPath); !kept) return kept;
      expected = ExpectedContent::Bytes(old);
    } else if (read.IsNotFound()) {
      expected = ExpectedContent::Nothing();
    } else {
      return read;  // not even copied: a device, a pipe, a file that cannot be opened
    }
  }

  TellTheTruthAboutEncoding();
  std::string bytes;
  bytes.reserve(m_onDisk ? m_onDisk->bytes.size() + m_onDisk->bytes.size() / 8 + 4096 : 4096);  // about what was read
  BytesWriter writer(bytes);
  m_doc.save(writer, L"\t", pugi::format_default, pugi::encoding_auto);

  Result replaced = ReplaceFileAtomically(m_path, bytes, expected);
  if (replaced) {
    m_onDisk = OnDisk{m_path, std::move(bytes)};
    m_backupBeforeWrite = false;
  }
  return replaced;
}

Result DirectorySettings::TakeChangesFromDisk() {
  DirectorySettings fresh;
  fresh.m_path = m_path;
  if (const Result loaded = fresh.LoadSheet(); !loaded) {
    return Result::Failure(Result::Status::kContentChanged,
                    CouldNotRead(loaded)
                        ? L"another program changed the sheet meanwhile, and it cannot be read: " + loaded.why
                        : L"another program changed the sheet meanwhile into something that is "
                          L"no property sheet: " +
                              loaded.why);
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
  Result edited = SaveSheet();
  m_editOnly = false;
  return edited;
}

}  // namespace pathwright
