// apply: the lists a team wants, from one JSON file, onto every platform's sheet. Running it twice
// changes nothing the second time; --dry-run tells what a run would change and writes nothing.
#include <cwchar>
#include <iterator>
#include <map>
#include <set>

#include "CommandSupport.h"
#include "Json.h"
#include "base/Environment.h"
#include "model/EnvironmentPaths.h"
#include "model/ListEdits.h"
#include "model/SheetCheck.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {

// A team's config is a few kilobytes; these bounds keep a hostile one from taking the machine's memory
// or the parser's stack.
constexpr size_t kMaxConfigBytes = 16u << 20;
constexpr int kMaxConfigDepth = 64;
constexpr size_t kMaxConfigKeys = 256;

struct WantedList {
  std::wstring word;  // the KIND as the file writes it, for the report
  int kind = 0;
  std::vector<std::wstring> entries{};
};

struct WantedPlatform {
  std::wstring platform;
  std::vector<WantedList> lists{};
};

struct Config {
  ReconcileMode mode = ReconcileMode::kEnsure;
  std::vector<WantedPlatform> platforms;
};

// Where in the bytes a parse stopped, as a line and column counted from 1.
std::wstring Position(const std::string& bytes, size_t byte) {
  const size_t at = std::min(byte > 0 ? byte - 1 : 0, bytes.size());
  size_t line = 1, lineStart = 0;
  for (size_t i = 0; i < at; ++i) {
    if (bytes[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return L"line " + std::to_wstring(line) + L", column " + std::to_wstring(at - lineStart + 1);
}

// A name or key as the user wrote it, with control characters (a newline, a NUL) made visible.
std::wstring Shown(const std::wstring& text) {
  std::wstring shown;
  for (const wchar_t c : text) {
    if (c >= 0x20 && c != 0x7F) {
      shown += c;
      continue;
    }
    wchar_t code[8];
    std::swprintf(code, std::size(code), L"\\u%04X", static_cast<unsigned>(c));
    shown += code;
  }
  return shown;
}

// The offset of the bracket where arrays and objects first nest deeper than the limit, or npos.
// Counted on the bytes, before any parser descends into a hostile file.
size_t TooDeepAt(std::string_view bytes, int limit) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if ((c == '[' || c == '{') && ++depth > limit) {
      return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::string::npos;
}

// Reads the keys of every object before the file is parsed into a tree. A key given twice in one
// object is refused: the library would keep the last one silently, so a later "mode": "ensure" would
// undo an "exact" the reader of the file sees first. So is an object of more than kMaxConfigKeys
// keys: the library's objects that keep their order take time that grows with the square of their
// size. The complaint names the key by its path.
class KeyCheck {
 public:
  std::optional<std::wstring> complaint;

  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(Json::number_integer_t) { return true; }
  bool number_unsigned(Json::number_unsigned_t) { return true; }
  bool number_float(Json::number_float_t, const std::string&) { return true; }
  bool string(std::string&) { return true; }
  bool binary(Json::binary_t&) { return true; }
  bool start_object(size_t) {
    m_open.emplace_back();
    return true;
  }
  bool key(std::string& key) {
    Open& object = m_open.back();
    object.key.clear();  // the object's own path, for the count
    if (object.keys.size() == kMaxConfigKeys) {
      return Complain(L"more than " + std::to_wstring(kMaxConfigKeys) + L" keys in one object");
    }
    object.key = key;
    return object.keys.insert(key).second || Complain(L"given twice; each key may appear once");
  }
  bool end_object() {
    m_open.pop_back();
    return true;
  }
  bool start_array(size_t) { return true; }
  bool end_array() { return true; }
  bool parse_error(size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

 private:
  struct Open {
    std::set<std::string> keys;
    std::string key;
  };
  bool Complain(const std::wstring& why) {
    std::string path;
    for (const Open& level : m_open) {
      if (!level.key.empty()) path += (path.empty() ? "" : ".") + level.key;
    }
    complaint = (path.empty() ? L"the top level" : Shown(DecodeUtf8(path))) + L": " + why;
    return false;
  }
  std::vector<Open> m_open;
};

// Checks one entry as check would judge it, so that apply never writes what check then calls invalid.
std::optional<std::wstring> EntryComplaint(const std::wstring& text) {
  if (text.empty() || text.find(L';') != std::wstring::npos) return L"every entry is a non-empty string without \";\"";
  if (const std::optional<ForbiddenCharacter> found = FindForbiddenCharacter(text)) {
    return L"holds a character XML does not allow (" + DescribeForbiddenCharacter(*found) + L")";
  }
  if (Prejudge(text, EnvironmentVariable).status == EntryStatus::kInvalid) {
    return L"holds characters Windows does not allow in a folder name (check would call it invalid)";
  }
  return std::nullopt;
}

// Reads one platform's lists from the file; a complaint (where, why) when they cannot be used.
std::optional<std::pair<std::wstring, std::wstring>> ReadPlatform(const std::string& name, const Json& lists,
                                                                   WantedPlatform& wanted) {
  wanted.platform = DecodeUtf8(name);
  const std::wstring where = L"platforms." + Shown(wanted.platform);
  if (!IsConfigPlatformName(wanted.platform)) {
    return std::pair(where, L"\"" + Shown(wanted.platform) +
                                L"\" is not a plain platform name such as x64 (letters, digits, _ and -)");
  }
  if (!lists.is_object()) return std::pair(where, L"must be an object keyed by KIND");
  for (const auto& [word, entries] : lists.items()) {
    WantedList list{.word = DecodeUtf8(word), .kind = KindFromName(DecodeUtf8(word))};
    const std::wstring here = where + L"." + Shown(list.word);
    if (list.kind < 0) return std::pair(here, L"unknown KIND; use include, library and the like");
    for (const WantedList& earlier : wanted.lists) {
      if (earlier.kind == list.kind) return std::pair(here, L"names the same list as " + Shown(earlier.word));
    }
    if (!entries.is_array()) return std::pair(here, L"must be an array of folders");
    for (const Json& entry : entries) {
      const std::wstring at = here + L"[" + std::to_wstring(list.entries.size()) + L"]";
      if (!entry.is_string()) return std::pair(at, L"every entry is a non-empty string without \";\"");
      const std::wstring text = DecodeUtf8(entry.get<std::string>());
      if (const std::optional<std::wstring> complaint = EntryComplaint(text)) return std::pair(at, *complaint);
      list.entries.push_back(text);
    }
    wanted.lists.push_back(std::move(list));
  }
  return std::nullopt;
}

// Reads the file into `config`, checking all of it before anything is printed or written; an exit
// code when it cannot be used.
std::optional<int> ReadConfig(const std::wstring& path, Config& config, Output& output) {
  std::string bytes;
  if (Result read = ReadFileBytes(path, bytes, {.maxFileSize = kMaxConfigBytes}); !read) {
    return ReadFailure(output, path, read.why);
  }
  if (const size_t deep = TooDeepAt(bytes, kMaxConfigDepth); deep != std::string::npos) {
    return UsageError(output, path + L": arrays and objects nested deeper than " + std::to_wstring(kMaxConfigDepth) +
                                  L" levels at " + Position(bytes, deep + 1));
  }
  Json json;
  try {
    // The keys first; malformed JSON stops both, and the parse below says where.
    KeyCheck keys;
    if (!Json::sax_parse(bytes, &keys) && keys.complaint) return UsageError(output, path + L": " + *keys.complaint);
    json = Json::parse(bytes);
  } catch (const Json::parse_error& error) {
    // The library's message starts with its own tags and position; ours names the file instead.
    std::string what = error.what();
    if (const size_t colon = what.find(": ", what.find("column")); colon != std::string::npos) what.erase(0, colon + 2);
    return UsageError(output, path + L": malformed JSON at " + Position(bytes, error.byte) + L": " + DecodeUtf8(what));
  }
  const auto fail = [&](const std::wstring& where, const std::wstring& why) {
    return UsageError(output, path + L": " + where + L": " + why);
  };
  if (!json.is_object()) return fail(L"the top level", L"must be an object with \"platforms\"");
  for (const auto& [key, value] : json.items()) {
    if (key == "mode") {
      if (!value.is_string() || (value != "ensure" && value != "exact")) {
        return fail(L"mode", L"must be \"ensure\" or \"exact\"");
      }
      config.mode = value == "exact" ? ReconcileMode::kExact : ReconcileMode::kEnsure;
    } else if (key != "platforms") {
      return fail(Shown(DecodeUtf8(key)), L"unknown key; the file holds \"mode\" and \"platforms\"");
    }
  }
  const Json& platforms = json.contains("platforms") ? json["platforms"] : Json();
  if (!platforms.is_object()) return fail(L"platforms", L"must be an object keyed by platform");
  std::map<std::wstring, std::wstring> sheets;  // Windows takes x64 and X64 for one file
  for (const auto& [name, lists] : platforms.items()) {
    WantedPlatform wanted;
    if (const auto complaint = ReadPlatform(name, lists, wanted)) return fail(complaint->first, complaint->second);
    if (const auto [earlier, added] = sheets.emplace(LowerCase(wanted.platform), wanted.platform); !added) {
      return fail(L"platforms." + wanted.platform, L"the same sheet as platforms." + earlier->second);
    }
    config.platforms.push_back(std::move(wanted));
  }
  return std::nullopt;
}

// Changes the lists of one sheet as the file wants them; the report lines of what changed, "-" for an
// entry that went, "+" for one that came, "=" for a list only reordered or respelled.
std::vector<std::wstring> ReconcileSheet(const WantedPlatform& wanted, ReconcileMode mode, DirectoryLists& lists,
                                         const SheetDocument& sheet) {
  const PropertyLookup properties = SheetProperties(sheet, EnvironmentVariable);
  std::vector<std::wstring> lines;
  for (const WantedList& list : wanted.lists) {
    const std::wstring head = wanted.platform + L" " + list.word + L": ";
    const ListChange change = Reconcile(lists[list.kind], list.entries, mode, properties);
    for (const std::wstring& entry : change.removed) lines.push_back(head + L"- " + entry);
    for (const std::wstring& entry : change.added) lines.push_back(head + L"+ " + entry);
    if (mode == ReconcileMode::kExact && change.changed && lines.empty()) {
      lines.push_back(head + L"= " + lists[list.kind]);
    }
  }
  return lines;
}

// Brings one platform's sheet (made when missing) to what the file wants; prints what changed once
// it has been written.
int ApplyToSheet(const WantedPlatform& wanted, ReconcileMode mode, const std::wstring& sheet, Output& output) {
  std::vector<std::wstring> lines;
  // Runs again on the lists as another program left them, should it write the sheet meanwhile.
  const SheetChange change = [&](DirectoryLists& lists, const SheetDocument& read) {
    lines = ReconcileSheet(wanted, mode, lists, read);
    return !lines.empty();
  };
  const EditOutcome edited = EditSheet(sheet, change, {.createMissing = VsVersion::k2013});
  const int code = EditExit(sheet, edited, output);
  if (code != kExitDone) return code;
  if (edited.created) output.out += wanted.platform + L": new sheet " + sheet + L"\n";
  for (const std::wstring& line : lines) output.out += line + L"\n";
  return code;
}

}  // namespace

int ApplyConfig(const Invocation& inv, Output& output) {
  Config config;
  if (std::optional<int> failed = ReadConfig(inv.file, config, output)) return *failed;

  // Every sheet is read before any is written, so an unreadable one stops the run with nothing changed.
  std::vector<std::wstring> paths;
  std::vector<std::optional<SheetSnapshot>> sheets(config.platforms.size());
  for (size_t i = 0; i < sheets.size(); ++i) {
    paths.push_back(SheetInFolder(inv.sheetFolder, config.platforms[i].platform));
    if (!PathExists(paths[i])) continue;
    if (Result loaded = ReadSheet(paths[i], sheets[i].emplace()); !loaded) {
      return ReadFailure(output, paths[i], loaded.why);
    }
  }

  bool changed = false;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const WantedPlatform& wanted = config.platforms[i];
    if (!inv.dryRun) {
      if (const int code = ApplyToSheet(wanted, config.mode, paths[i], output); code != kExitDone) return code;
      continue;
    }
    if (!sheets[i]) {
      output.out += wanted.platform + L": new sheet " + paths[i] + L"\n";
      changed = true;
    }
    SheetSnapshot& sheet = sheets[i] ? *sheets[i] : sheets[i].emplace();
    const std::vector<std::wstring> lines = ReconcileSheet(wanted, config.mode, sheet.lists, sheet.document);
    for (const std::wstring& line : lines) output.out += line + L"\n";
    changed = changed || !lines.empty();
  }
  return inv.dryRun && changed ? kExitWouldChange : kExitDone;
}

}  // namespace pathwright::cli
