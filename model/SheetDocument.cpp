#include "SheetDocument.h"

#include <algorithm>
#include <array>

#include <pugixml.hpp>

#include "EnvironmentPaths.h"
#include "SheetSplice.h"

namespace pathwright {

namespace {
constexpr const wchar_t* kProject = L"Project";
constexpr const wchar_t* kPropertyGroup = L"PropertyGroup";
constexpr const wchar_t* kCondition = L"Condition";

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

bool SameName(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (lower(*a) != lower(*b)) return false;
  }
  return *a == *b;
}

// Whether the element or group applies only under a condition: MSBuild takes a blank one for none.
bool HasCondition(pugi::xml_node node) {
  const std::wstring_view condition = node.attribute(kCondition).value();
  return condition.find_first_not_of(L" \t\r\n") != std::wstring_view::npos;
}

// The kind whose user macro or path property the element is named after (as MSBuild compares
// names, in any letter case), or -1.
int ManagedKind(pugi::xml_node node) {
  if (node.type() != pugi::node_element || HasCondition(node)) return -1;
  for (int k = 0; k < kKindCount; ++k) {
    if (SameName(node.name(), kUserMacros[k]) || SameName(node.name(), kPathProperties[k])) return k;
  }
  return -1;
}

// A list as a save writes it: without its final separators.
void TrimList(std::wstring& list) {
  while (!list.empty() && list.back() == L';') list.pop_back();
}

// Whether the text holds the name in any letter case, as MSBuild compares names.
bool NamesIgnoringCase(std::wstring_view text, std::wstring_view name) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  return std::search(text.begin(), text.end(), name.begin(), name.end(),
                     [&](wchar_t a, wchar_t b) { return lower(a) == lower(b); }) != text.end();
}

std::wstring MacroReference(int kind) { return std::wstring(L"$(") + kUserMacros[kind] + L")"; }
}  // namespace

struct SheetDocument::Impl {
  SheetSplice splice;
  // Every element of every PropertyGroup of Project, in file order, with its group's number.
  std::vector<pugi::xml_node> elements;
  std::vector<size_t> groups;
  DirectoryLists lists;
  // Per kind, as EvaluateSheet finds them (see KindEvaluation): the last unconditional path property
  // that uses the macro, and the macro's definition the list is read from.
  std::array<size_t, kKindCount> use{}, list{};
  // Where a new macro and path property go when the sheet has neither: the last unconditional
  // group holding an element of a kind, else the last unconditional PropertyGroup; none: a new one.
  pugi::xml_node userGroup;

  Result SetKind(int kind, const std::wstring& text, std::vector<NewElement>& forNewGroup);
};

// One kind's list into the sheet, touching only that kind's elements; new elements that need a new
// group are added to `forNewGroup`.
Result SheetDocument::Impl::SetKind(int kind, const std::wstring& text, std::vector<NewElement>& forNewGroup) {
  const wchar_t* macroName = kUserMacros[kind];
  const wchar_t* pathName = kPathProperties[kind];
  const pugi::xml_node macro = list[kind] == kNoDefinition ? pugi::xml_node() : elements[list[kind]];
  // In force where it is: before the use. Whether MSBuild then applies it (it skips a value grown
  // past its limits, and a later path property may replace the use) changes nothing below: the
  // macro is set where it stands either way.
  const bool used = use[kind] != kNoDefinition && macro && list[kind] < use[kind];
  const std::wstring reference = MacroReference(kind);

  if (text.empty()) {
    // Lists() was not empty, so there is a macro. When the path property is just what a save adds
    // for a list, both go and the sheet is as it was before the list; anything else stays.
    size_t definitionsOfMacro = 0;
    for (const pugi::xml_node element : elements) definitionsOfMacro += SameName(element.name(), macroName);
    if (used && definitionsOfMacro == 1 && std::wstring_view(elements[use[kind]].text().get()) == ComposedPathValue(kind)) {
      if (Result removed = splice.Remove(macro); !removed) return removed;
      return splice.Remove(elements[use[kind]]);
    }
    return splice.SetText(macro, text);
  }
  if (used) return splice.SetText(macro, text);

  // Not in force: the macro goes before the path property that uses it, else before the last one,
  // and that one is made to use it.
  size_t target = use[kind];
  for (size_t i = elements.size(); i > 0 && target == kNoDefinition; --i) {
    if (ManagedKind(elements[i - 1]) == kind && SameName(elements[i - 1].name(), pathName) &&
        !HasCondition(elements[i - 1].parent())) {
      target = i - 1;
    }
  }
  if (target != kNoDefinition) {
    const pugi::xml_node path = elements[target];
    if (macro && list[kind] < target) {
      if (Result set = splice.SetText(macro, text); !set) return set;
    } else {
      if (macro) {
        if (Result removed = splice.Remove(macro); !removed) return removed;
      }
      if (Result added = splice.Insert(path, Place::kBefore, {.name = macroName, .text = text}); !added) return added;
    }
    const std::wstring value = path.text().get();
    if (LowerCase(value).find(LowerCase(reference)) != std::wstring::npos) return {};
    return splice.SetText(path, reference + L";" + value);
  }
  const NewElement newPath{.name = pathName, .text = ComposedPathValue(kind)};
  if (macro) {
    if (Result set = splice.SetText(macro, text); !set) return set;
    return splice.Insert(macro, Place::kAfter, newPath);
  }
  const NewElement newMacro{.name = macroName, .text = text};
  if (!userGroup) {
    forNewGroup.push_back(newMacro);
    forNewGroup.push_back(newPath);
    return {};
  }
  // In kind order with what is there: before the first element of a later kind.
  pugi::xml_node anchor;
  for (pugi::xml_node child : userGroup.children()) {
    if (ManagedKind(child) > kind) {
      anchor = child;
      break;
    }
  }
  for (const NewElement* element : {&newMacro, &newPath}) {
    if (Result added = anchor ? splice.Insert(anchor, Place::kBefore, *element)
                              : splice.Insert(userGroup, Place::kLastChild, *element);
        !added) {
      return added;
    }
  }
  return {};
}

VsVersion VsVersionFromChooserIndex(int index) {
  if (index == 2) return VsVersion::k2013;
  return index > 0 ? VsVersion::k2012 : VsVersion::k2010;
}

SheetDocument::SheetDocument() : m_impl(std::make_unique<Impl>()) {}
SheetDocument::~SheetDocument() = default;
SheetDocument::SheetDocument(SheetDocument&&) noexcept = default;
SheetDocument& SheetDocument::operator=(SheetDocument&&) noexcept = default;

SheetDocument SheetDocument::NewSheet(VsVersion version) {
  std::string bytes = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Project DefaultTargets=\"Build\" ToolsVersion=\"";
  bytes += version == VsVersion::k2013 ? "12.0" : "4.0";
  bytes += "\" xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\"";
  if (version == VsVersion::k2010) {
    bytes += " />\n";
  } else {
    bytes +=
        ">\n\t<ImportGroup Label=\"PropertySheets\" />\n\t<PropertyGroup Label=\"UserMacros\" />\n"
        "\t<PropertyGroup />\n\t<ItemDefinitionGroup />\n\t<ItemGroup />\n</Project>\n";
  }
  SheetDocument sheet;
  sheet.Parse(bytes);
  return sheet;
}

SheetLoad SheetDocument::Parse(std::string_view bytes) {
  using Kind = SheetRefusal::Kind;
  m_impl = std::make_unique<Impl>();
  if (SheetLoad loaded = m_impl->splice.Load(std::string(bytes)); !loaded) {
    m_impl = std::make_unique<Impl>();
    return loaded;
  }
  const pugi::xml_document& doc = m_impl->splice.Document();
  // A document that is no sheet is not kept half-read.
  const auto refuse = [&](std::wstring reason, SheetRefusal refusal) {
    m_impl = std::make_unique<Impl>();
    return SheetLoad(Result::Failure(Result::Status::kNotASheet, std::move(reason)), std::move(refusal));
  };
  if (!doc.child(kProject)) {
    return refuse(L"not an MSBuild property sheet (the top element is not Project)", {.kind = Kind::kNotAProject});
  }
  if (!NestingWithin(doc, kMaxSheetDepth)) {
    return refuse(L"elements nested deeper than " + std::to_wstring(kMaxSheetDepth) + L" levels",
                  {.kind = Kind::kTooDeep, .limit = kMaxSheetDepth});
  }

  Impl& impl = *m_impl;
  const pugi::xml_node project = doc.child(kProject);
  pugi::xml_node lastUnconditional, lastWithKind;
  size_t number = 0;
  for (pugi::xml_node group : project.children(kPropertyGroup)) {
    const bool unconditional = !HasCondition(group);
    if (unconditional) lastUnconditional = group;
    for (pugi::xml_node element : group.children()) {
      if (element.type() != pugi::node_element) continue;
      impl.elements.push_back(element);
      impl.groups.push_back(number);
      if (unconditional && ManagedKind(element) >= 0) lastWithKind = group;
    }
    ++number;
  }
  impl.userGroup = lastWithKind ? lastWithKind : lastUnconditional;
  // Which definition holds the list is decided by names, conditions and references alone (see
  // KindEvaluation::list), so reading a sheet needs no evaluation of its values.
  std::array<size_t, kKindCount>&use = impl.use, &list = impl.list, lastList;
  use.fill(kNoDefinition);
  list.fill(kNoDefinition);
  lastList.fill(kNoDefinition);
  for (size_t i = 0; i < impl.elements.size(); ++i) {
    const pugi::xml_node element = impl.elements[i];
    const int k = ManagedKind(element);
    if (k < 0 || HasCondition(element.parent())) continue;
    if (SameName(element.name(), kUserMacros[k])) {
      lastList[k] = i;
    } else if (NamesIgnoringCase(element.text().get(), MacroReference(k))) {
      use[k] = i;
      list[k] = lastList[k];
    }
  }
  for (int k = 0; k < kKindCount; ++k) {
    if (use[k] == kNoDefinition || list[k] == kNoDefinition) list[k] = lastList[k];
    if (list[k] != kNoDefinition) impl.lists[k] = impl.elements[list[k]].text().get();
  }
  return {};
}

DirectoryLists SheetDocument::Lists() const { return m_impl->lists; }

SheetWrite SheetDocument::WithLists(DirectoryLists& lists) {
  SheetWrite out;
  Impl& impl = *m_impl;
  SheetSplice& splice = impl.splice;
  const pugi::xml_node project = splice.Document().child(kProject);
  if (!project) return out;
  std::vector<NewElement> forNewGroup;
  for (int k = 0; k < kKindCount && out.result; ++k) {
    TrimList(lists[k]);
    std::wstring held = impl.lists[k];
    TrimList(held);
    // A kind whose list stays keeps its elements byte for byte.
    if (lists[k] == held) continue;
    out.result = impl.SetKind(k, lists[k], forNewGroup);
  }
  if (out.result && !forNewGroup.empty()) {
    out.result = splice.Insert(project, Place::kLastChild, {.name = kPropertyGroup, .children = forNewGroup});
  }
  if (!out.result) {
    splice.Forget();
    return out;
  }
  SplicedBytes saved = splice.Save();
  splice.Forget();
  out.changed = saved.changed;
  out.becameUtf8 = saved.becameUtf8;
  out.bytes = std::move(saved.bytes);
  return out;
}

std::string SheetDocument::Bytes() const { return std::string(m_impl->splice.Bytes()); }

std::vector<PropertyDefinition> SheetDocument::Definitions(const std::wstring& file) const {
  const std::vector<pugi::xml_node>& elements = m_impl->elements;
  const std::vector<int> lines = m_impl->splice.LinesOf(elements);
  std::vector<PropertyDefinition> definitions;
  definitions.reserve(elements.size());
  for (size_t i = 0; i < elements.size(); ++i) {
    const pugi::xml_node element = elements[i];
    definitions.push_back({.name = element.name(),
                           .value = element.text().get(),
                           .condition = element.attribute(kCondition).value(),
                           .groupCondition = element.parent().attribute(kCondition).value(),
                           .group = m_impl->groups[i],
                           .place = {.file = file, .line = lines[i]}});
  }
  return definitions;
}

}  // namespace pathwright
