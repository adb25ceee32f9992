// apply: the lists a team wants, from one JSON file, onto every platform's sheet. Running it twice
// changes nothing the second time; --dry-run tells what a run would change and writes nothing.
#include "CommandSupport.h"
#include "Json.h"
#include "model/ListEdits.h"
#include "model/SheetLocation.h"

namespace pathwright::cli {

namespace {

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

// Reads one platform's lists from the file; a complaint (where, why) when they cannot be used.
std::optional<std::pair<std::wstring, std::wstring>> ReadPlatform(const std::string& name, const Json& lists,
                                                                   WantedPlatform& wanted) {
  wanted.platform = DecodeUtf8(name);
  const std::wstring where = L"platforms." + wanted.platform;
  if (!IsConfigPlatformName(wanted.platform)) return std::pair(where, L"not a plain platform name such as x64");
  if (!lists.is_object()) return std::pair(where, L"must be an object keyed by KIND");
  for (const auto& [word, entries] : lists.items()) {
    WantedList list{.word = DecodeUtf8(word), .kind = KindFromName(DecodeUtf8(word))};
    if (list.kind < 0) return std::pair(where + L"." + list.word, L"unknown KIND; use include, library and the like");
    if (!entries.is_array()) return std::pair(where + L"." + list.word, L"must be an array of folders");
    for (const Json& entry : entries) {
      const std::wstring text = entry.is_string() ? DecodeUtf8(entry.get<std::string>()) : L"";
      if (text.empty() || text.find(L';') != std::wstring::npos) {
        return std::pair(where + L"." + list.word, L"every entry is a non-empty string without \";\"");
      }
      list.entries.push_back(text);
    }
    wanted.lists.push_back(std::move(list));
  }
  return std::nullopt;
}

// Reads the file into `config`; an exit code when it cannot be used.
std::optional<int> ReadConfig(const std::wstring& path, Config& config, Output& output) {
  std::string bytes;
  if (Result read = ReadFileBytes(path, bytes); !read) return ReadFailure(output, path, read.why);
  Json json;
  try {
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
      return fail(DecodeUtf8(key), L"unknown key; the file holds \"mode\" and \"platforms\"");
    }
  }
  const Json& platforms = json.contains("platforms") ? json["platforms"] : Json();
  if (!platforms.is_object()) return fail(L"platforms", L"must be an object keyed by platform");
  for (const auto& [name, lists] : platforms.items()) {
    WantedPlatform wanted;
    if (const auto complaint = ReadPlatform(name, lists, wanted)) return fail(complaint->first, complaint->second);
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

// Brings one platform's sheet (made when missing) to what the file wants; prints what changed.
int ApplyToSheet(const WantedPlatform& wanted, ReconcileMode mode, const std::wstring& sheet, Output& output) {
  std::vector<std::wstring> lines;
  // Runs again on the lists as another program left them, should it write the sheet meanwhile.
  const SheetChange change = [&](DirectoryLists& lists, const SheetDocument& read) {
    lines = ReconcileSheet(wanted, mode, lists, read);
    return !lines.empty();
  };
  const EditOutcome edited = EditSheet(sheet, change, {.createMissing = VsVersion::k2013});
  for (const std::wstring& line : lines) output.out += line + L"\n";
  return EditExit(sheet, edited, output);
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
    if (!sheets[i]) {
      output.out += wanted.platform + L": new sheet " + paths[i] + L"\n";
      changed = true;
    }
    if (!inv.dryRun) {
      if (const int code = ApplyToSheet(wanted, config.mode, paths[i], output); code != kExitDone) return code;
      continue;
    }
    SheetSnapshot& sheet = sheets[i] ? *sheets[i] : sheets[i].emplace();
    const std::vector<std::wstring> lines = ReconcileSheet(wanted, config.mode, sheet.lists, sheet.document);
    for (const std::wstring& line : lines) output.out += line + L"\n";
    changed = changed || !lines.empty();
  }
  return inv.dryRun && changed ? kExitWouldChange : kExitDone;
}

}  // namespace pathwright::cli
