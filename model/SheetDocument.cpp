#include "SheetDocument.h"

#include <cstring>

#include <pugixml.hpp>

#include "SheetEncoding.h"
#include "SheetSplice.h"

namespace pathwright {

namespace {
constexpr const wchar_t* kProject = L"Project";
constexpr const wchar_t* kPropertyGroup = L"PropertyGroup";
constexpr const wchar_t* kLabel = L"Label";
constexpr const wchar_t* kCondition = L"Condition";

// Collects the library's output: the store compares and writes it whole.
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
  std::wstring lower(encoding);
  for (wchar_t& c : lower) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  return lower == L"utf-8" || lower == L"utf8";
}

// Which group holds the user's lists: the last PropertyGroup of Project with neither Label nor
// Condition that has content; none when there is no such group. The empty groups of that kind carry
// nothing and go, as every save before would have left them.
pugi::xml_node TakeUserGroup(pugi::xml_node project) {
  pugi::xml_node chosen;
  for (pugi::xml_node group = project.child(kPropertyGroup); group;) {
    const pugi::xml_node next = group.next_sibling(kPropertyGroup);
    if (!group.attribute(kLabel) && !group.attribute(kCondition)) {
      if (group.first_child()) {
        chosen = group;
      } else {
        project.remove_child(group);
      }
    }
    group = next;
  }
  return chosen;
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

// Elements with a Condition apply only sometimes; the program never reads, edits, moves or
// removes them, and a group with one is never the user's group.
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
void SetKind(pugi::xml_node group, int kind, std::wstring& list) {
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

std::optional<std::wstring> AttributeValue(pugi::xml_node node, const wchar_t* name) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return std::nullopt;
  return std::wstring(attribute.value());
}
}  // namespace

struct SheetDocument::Impl {
  pugi::xml_document doc;
  // The user's group: the one Parse chose, or the one the first SetLists appended.
  pugi::xml_node group;
};

VsVersion VsVersionFromChooserIndex(int index) {
  if (index == 2) return VsVersion::k2013;
  return index > 0 ? VsVersion::k2012 : VsVersion::k2010;
}

SheetDocument::SheetDocument() : m_impl(std::make_unique<Impl>()) {}
SheetDocument::~SheetDocument() = default;
SheetDocument::SheetDocument(SheetDocument&&) noexcept = default;
SheetDocument& SheetDocument::operator=(SheetDocument&&) noexcept = default;

SheetDocument SheetDocument::NewSheet(VsVersion version) {
  SheetDocument sheet;
  pugi::xml_document& doc = sheet.m_impl->doc;
  pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
  declaration.append_attribute(L"version").set_value(L"1.0");
  declaration.append_attribute(L"encoding").set_value(L"utf-8");

  pugi::xml_node project = doc.append_child(kProject);
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
  return sheet;
}

Result SheetDocument::Parse(std::string_view bytes) {
  using Status = Result::Status;
  m_impl = std::make_unique<Impl>();
  if (bytes.empty()) return Result::Failure(Status::kNotASheet, L"the file is empty");
  std::wstring why;
  SheetBytes encoding = SheetBytes::kDetect;
  std::string recoded;
  if (!PrepareSheetBytes(bytes, recoded, encoding, why)) return Result::Failure(Status::kNotASheet, why);
  const std::string_view parse = recoded.empty() ? bytes : recoded;
  pugi::xml_document& doc = m_impl->doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(
      parse.data(), parse.size(), kSheetParseOptions, LibraryEncoding(encoding));
  std::string().swap(recoded);
  // A document that is no sheet is not kept half-read.
  const auto refuse = [&](std::wstring reason) {
    m_impl = std::make_unique<Impl>();
    return Result::Failure(Status::kNotASheet, std::move(reason));
  };
  if (parsed.status == pugi::status_no_document_element) return refuse(L"the file holds no XML element");
  if (!parsed) {
    const std::string_view description = parsed.description();
    return refuse(L"not well-formed XML: " + std::wstring(description.begin(), description.end()));
  }
  if (Result sound = CheckSheetStructure(doc); !sound) return refuse(sound.why);
  if (!doc.child(kProject)) return refuse(L"not an MSBuild property sheet (the top element is not Project)");
  if (!NestingWithin(doc, kMaxSheetDepth)) {
    return refuse(L"elements nested deeper than " + std::to_wstring(kMaxSheetDepth) + L" levels");
  }

  m_impl->group = TakeUserGroup(doc.child(kProject));
  // Every save writes UTF-8; a declaration naming UTF-16 or ISO-8859-1 above UTF-8 bytes makes
  // Visual Studio refuse the sheet.
  for (pugi::xml_node node : doc.children()) {
    if (node.type() != pugi::node_declaration) continue;
    pugi::xml_attribute declared = node.attribute(L"encoding");
    if (declared && !NamesUtf8(declared.value())) declared.set_value(L"utf-8");
    break;
  }
  return {};
}

DirectoryLists SheetDocument::Lists() const {
  DirectoryLists lists;
  if (const pugi::xml_node group = m_impl->group) {
    for (int k = 0; k < kKindCount; ++k) lists[k] = FirstUnconditional(group, kUserMacros[k]).text().get();
  }
  return lists;
}

void SheetDocument::SetLists(DirectoryLists& lists) {
  pugi::xml_node project = m_impl->doc.child(kProject);
  if (!project) return;
  pugi::xml_node& group = m_impl->group;
  if (!group) group = TakeUserGroup(project);
  if (!group) group = project.append_child(kPropertyGroup);
  for (int k = 0; k < kKindCount; ++k) SetKind(group, k, lists[k]);
}

std::string SheetDocument::Bytes(size_t sizeHint) const {
  std::string bytes;
  bytes.reserve(sizeHint + sizeHint / 8 + 4096);
  BytesWriter writer(bytes);
  m_impl->doc.save(writer, L"\t", pugi::format_default, pugi::encoding_auto);
  return bytes;
}

std::vector<SheetProperty> SheetDocument::Properties() const {
  std::vector<SheetProperty> properties;
  for (pugi::xml_node group : m_impl->doc.child(kProject).children(kPropertyGroup)) {
    const std::optional<std::wstring> groupCondition = AttributeValue(group, kCondition);
    for (pugi::xml_node element : group.children()) {
      if (element.type() != pugi::node_element) continue;
      properties.push_back({.name = element.name(),
                            .value = element.text().get(),
                            .groupCondition = groupCondition,
                            .condition = AttributeValue(element, kCondition),
                            .inUserGroup = group == m_impl->group});
    }
  }
  return properties;
}

std::vector<PropertyDefinition> SheetDocument::Definitions(const std::wstring& file) const {
  std::vector<PropertyDefinition> definitions;
  size_t number = 0;
  for (pugi::xml_node group : m_impl->doc.child(kProject).children(kPropertyGroup)) {
    const std::wstring groupCondition = group.attribute(kCondition).value();
    for (pugi::xml_node element : group.children()) {
      if (element.type() != pugi::node_element) continue;
      definitions.push_back({.name = element.name(),
                             .value = element.text().get(),
                             .condition = element.attribute(kCondition).value(),
                             .groupCondition = groupCondition,
                             .group = number,
                             .place = {.file = file}});
    }
    ++number;
  }
  return definitions;
}

}  // namespace pathwright
