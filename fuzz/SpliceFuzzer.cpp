// Any bytes as a sheet, edited at random by the splicing editor. A load without edits must save
// the very bytes; after edits, every byte outside the ranges the save reports replaced must be the
// one read, and the saved sheet must read back as the same edits made to pugixml's own tree of the
// sheet (comments and processing instructions included, white space between elements aside).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "model/SheetEncoding.h"
#include "model/SheetSplice.h"

namespace {

using namespace pathwright;

constexpr unsigned kOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

// Stops with the broken rule named, for whoever reads the crash report.
#define Check(condition)                                                       \
  do {                                                                         \
    if (!(condition)) {                                                        \
      std::fprintf(stderr, "SpliceFuzzer.cpp:%d: %s\n", __LINE__, #condition); \
      std::abort();                                                            \
    }                                                                          \
  } while (false)

// With PATHWRIGHT_FUZZ_VERBOSE set, each edit and each saved sheet go to stderr, to replay a crash.
const bool kVerbose = std::getenv("PATHWRIGHT_FUZZ_VERBOSE") != nullptr;

std::uint64_t Next(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

bool LoadTree(pugi::xml_document& doc, std::string_view bytes) {
  std::string recoded;
  SheetBytes read = SheetBytes::kDetect;
  if (!PrepareSheetBytes(bytes, recoded, read)) return false;
  const std::string_view parse = recoded.empty() ? bytes : std::string_view(recoded);
  return doc.load_buffer(parse.data(), parse.size(), kOptions, LibraryEncoding(read));
}

// Every element in document order.
std::vector<pugi::xml_node> Elements(const pugi::xml_document& doc) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node node = doc.first_child(); node;) {
    if (node.type() == pugi::node_element) out.push_back(node);
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && !node.next_sibling()) node = node.parent();
    if (node) node = node.next_sibling();
  }
  return out;
}

std::wstring RandomText(std::uint64_t& state) {
  static const wchar_t* const kPieces[] = {L"a", L"C:\\x", L" ",      L"\t",         L"\n",    L"\r",
                                           L"&", L"<",     L">",      L"]]>",        L";",     L"$(UserInclude)",
                                           L"é", L"€",     L"\u2192", L"\U0001F600", L"&amp;", L"\x01"};
  std::wstring text;
  for (std::uint64_t n = Next(state) % 5; n > 0; --n) text += kPieces[Next(state) % std::size(kPieces)];
  return text;
}

NewElement RandomElement(std::uint64_t& state, int depth) {
  static const wchar_t* const kNames[] = {L"UserInclude", L"IncludePath", L"PropertyGroup", L"A"};
  NewElement element{.name = kNames[Next(state) % std::size(kNames)], .text = RandomText(state)};
  if (depth == 0 && Next(state) % 3 == 0) {
    for (std::uint64_t n = Next(state) % 3; n > 0; --n) element.children.push_back(RandomElement(state, 1));
  }
  return element;
}

// The same element in pugixml's tree: children before text, as the editor writes it.
void Build(pugi::xml_node node, const NewElement& element, std::set<void*>& exact) {
  exact.insert(node.internal_object());
  for (const NewElement& child : element.children) Build(node.append_child(child.name.c_str()), child, exact);
  if (element.children.empty() && !element.text.empty())
    node.append_child(pugi::node_pcdata).set_value(element.text.c_str());
}

bool Inside(pugi::xml_node node, pugi::xml_node ancestor) {
  for (pugi::xml_node up = node.parent(); up; up = up.parent()) {
    if (up == ancestor) return true;
  }
  return false;
}

bool Text(pugi::xml_node node) { return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata; }

// Without white space: what splicing beside text may change, and what pugixml drops when a text
// of blanks alone ends up between two elements.
std::wstring Loose(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t c : text) {
    if (c != L' ' && c != L'\t' && c != L'\n' && c != L'\r') out += c;
  }
  return out;
}

// The children of a node, text between them joined: (type, name, value, node). Comments and
// processing instructions go to `notes`: an element inserted after another goes after the comment
// that ends the other's line.
struct Item {
  pugi::xml_node_type type;
  std::wstring name, value;
  pugi::xml_node node;
};
std::vector<Item> Items(pugi::xml_node parent, std::vector<Item>& notes) {
  std::vector<Item> items;
  for (pugi::xml_node child : parent.children()) {
    if (child.type() == pugi::node_comment || child.type() == pugi::node_pi) {
      notes.push_back({child.type(), child.name(), child.value(), child});
    } else if (Text(child) && !items.empty() && items.back().type == pugi::node_pcdata) {
      items.back().value += child.value();
    } else {
      items.push_back({Text(child) ? pugi::node_pcdata : child.type(), child.name(), child.value(), child});
    }
  }
  return items;
}

bool Same(pugi::xml_node expected, pugi::xml_node actual, const std::set<void*>& exact) {
  std::vector<Item> wantNotes, gotNotes;
  std::vector<Item> want = Items(expected, wantNotes), got = Items(actual, gotNotes);
  bool leaf = true;
  for (const Item& item : want) leaf = leaf && item.type != pugi::node_element;
  const bool strict = leaf && exact.count(expected.internal_object());
  if (!strict) {
    const auto loosen = [](std::vector<Item>& items) {
      std::erase_if(items, [](Item& item) {
        if (item.type == pugi::node_pcdata) item.value = Loose(item.value);
        return item.type == pugi::node_pcdata && item.value.empty();
      });
    };
    loosen(want);
    loosen(got);
  }
  want.insert(want.end(), wantNotes.begin(), wantNotes.end());
  got.insert(got.end(), gotNotes.begin(), gotNotes.end());
  if (want.size() != got.size()) return false;
  for (size_t i = 0; i < want.size(); ++i) {
    if (want[i].type != got[i].type || want[i].name != got[i].name || want[i].value != got[i].value) return false;
    pugi::xml_attribute a = want[i].node.first_attribute(), b = got[i].node.first_attribute();
    for (; a && b; a = a.next_attribute(), b = b.next_attribute()) {
      if (std::wstring_view(a.name()) != b.name() || std::wstring_view(a.value()) != b.value()) return false;
    }
    if (a || b) return false;
    if (want[i].type == pugi::node_element && !Same(want[i].node, got[i].node, exact)) return false;
  }
  return true;
}

void Round(const std::string& bytes, std::uint64_t state) {
  SheetSplice sheet;
  if (!sheet.Load(bytes)) return;
  pugi::xml_document tree, pristine;
  if (!LoadTree(tree, bytes) || !LoadTree(pristine, bytes)) return;
  const SplicedBytes untouched = sheet.Save();
  Check(!untouched.changed && untouched.bytes == bytes);

  const std::vector<pugi::xml_node> nodes = Elements(sheet.Document()), mirror = Elements(tree),
                                    original = Elements(pristine);
  Check(nodes.size() == mirror.size());
  std::vector<bool> gone(nodes.size(), false);
  std::vector<pugi::xml_node> lastAfter(nodes.size());  // elements inserted after one follow each other
  std::set<void*> exact;
  for (std::uint64_t n = Next(state) % 6 + 1; n > 0; --n) {
    const size_t i = Next(state) % nodes.size();
    if (gone[i]) continue;
    const pugi::xml_node node = nodes[i];
    pugi::xml_node twin = mirror[i];
    const std::uint64_t op = Next(state) % 5;
    Result done;
    if (op == 0) {
      const std::wstring text = RandomText(state);
      done = sheet.SetText(node, text);
      const bool forbidden = text.find(L'\x01') != std::wstring::npos;
      Check(forbidden == (done.status == Result::Status::kForbiddenCharacter));
      // Text that reads back the same already is left as written, comments and all.
      const pugi::xml_node only = node.first_child();
      const bool same = only ? !only.next_sibling() && Text(only) && text == only.value() : text.empty();
      if (done) {
        while (twin.first_child()) twin.remove_child(twin.first_child());
        if (same) {
          for (pugi::xml_node child : original[i].children()) twin.append_copy(child);
        } else if (!text.empty()) {
          twin.append_child(pugi::node_pcdata).set_value(text.c_str());
        }
        exact.insert(twin.internal_object());
        // The elements inside are gone from the tree, though not from the list.
        for (size_t k = i + 1; k < nodes.size() && Inside(nodes[k], node); ++k) gone[k] = true;
      }
    } else if (op == 1) {
      done = sheet.Remove(node);
      if (done) {
        gone[i] = true;
        for (size_t k = i + 1; k < nodes.size() && Inside(nodes[k], node); ++k) gone[k] = true;
        twin.parent().remove_child(twin);
      }
    } else {
      const Place place = op == 2 ? Place::kBefore : op == 3 ? Place::kAfter : Place::kLastChild;
      const NewElement element = RandomElement(state, 0);
      done = sheet.Insert(node, place, element);
      if (done) {
        const pugi::char_t* name = element.name.c_str();
        pugi::xml_node added = place == Place::kBefore ? twin.parent().insert_child_before(name, twin)
                               : place == Place::kAfter
                                   ? twin.parent().insert_child_after(name, lastAfter[i] ? lastAfter[i] : twin)
                                   : twin.append_child(name);
        if (place == Place::kAfter) lastAfter[i] = added;
        Build(added, element, exact);
      }
    }
    if (kVerbose) {
      std::fprintf(stderr, "edit %d of element %zu <%ls>: %ls\n", static_cast<int>(op), i, node.name(),
                   done ? L"done" : done.why.c_str());
    }
  }

  const SplicedBytes saved = sheet.Save();
  if (!saved.becameUtf8) {
    // Outside the splices, the bytes as read.
    size_t from = 0, to = 0;
    for (const SplicedBytes::Splice& splice : saved.splices) {
      Check(splice.at >= from && saved.bytes.compare(to, splice.at - from, bytes, from, splice.at - from) == 0);
      to += splice.at - from + splice.inserted;
      from = splice.at + splice.removed;
    }
    Check(saved.bytes.size() - to == bytes.size() - from &&
          saved.bytes.compare(to, std::string::npos, bytes, from) == 0);
  } else if (pugi::xml_node declaration = tree.first_child(); declaration.type() == pugi::node_declaration) {
    declaration.attribute(L"encoding").set_value(L"utf-8");
  }
  if (kVerbose) std::fprintf(stderr, "saved:\n%.*s\n", static_cast<int>(saved.bytes.size()), saved.bytes.data());
  SheetSplice again;
  Check(static_cast<bool>(again.Load(saved.bytes)));
  pugi::xml_document reread;
  Check(LoadTree(reread, saved.bytes));
  if (kVerbose) {
    std::fprintf(stderr, "expected:\n");
    pugi::xml_writer_file out(stderr);
    tree.save(out, L"  ", pugi::format_default, pugi::encoding_utf8);
  }
  Check(Same(tree, reread, exact));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::uint64_t seed = 1469598103934665603u;
  for (const char c : bytes) seed = (seed ^ static_cast<unsigned char>(c)) * 1099511628211u;
  for (std::uint64_t round = 0; round < 4; ++round) Round(bytes, seed + round);
  return 0;
}
