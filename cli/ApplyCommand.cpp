// apply: the lists a team wants, from one JSON file, onto every platform's sheet. Running it twice
// changes nothing the second time; --dry-run tells what a run would change and writes nothing.
#include <set>

#include "CommandSupport.h"
#include "Json.h"
#include "model/DirectoryKinds.h"
#include "model/DirectoryList.h"
#include "model/SheetCheck.h"

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
  bool exact = false;
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

// Reads the file into `config`; an exit code when it cannot be used.
std::optional<int> ReadConfig(const std::wstring& path, Config& config, Output& output) {
  std::string bytes;
  if (Result read = ReadFileBytes(path, bytes); !read) {
    output.err += L"pathwright-cli: cannot read " + path + L": " + read.why + L"\n";
    return kExitUnreadable;
  }
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
      config.exact = value == "exact";
    } else if (key != "platforms") {
      return fail(DecodeUtf8(key), L"unknown key; the file holds \"mode\" and \"platforms\"");
    }
  }
  const Json& platforms = json.contains("platforms") ? json["platforms"] : Json();
  if (!platforms.is_object()) return fail(L"platforms", L"must be an object keyed by platform");
  for (const auto& [name, lists] : platforms.items()) {
    WantedPlatform wanted{.platform = DecodeUtf8(name)};
    const std::wstring where = L"platforms." + wanted.platform;
    if (wanted.platform.empty() || wanted.platform == L"all" ||
        wanted.platform.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos || wanted.platform.starts_with(L'.')) {
      return fail(where, L"not a plain platform name such as x64");
    }
    if (!lists.is_object()) return fail(where, L"must be an object keyed by KIND");
    for (const auto& [word, entries] : lists.items()) {
      WantedList list{.word = DecodeUtf8(word), .kind = KindFromName(DecodeUtf8(word))};
      if (list.kind < 0) return fail(where + L"." + list.word, L"unknown KIND; use include, library and the like");
      if (!entries.is_array()) return fail(where + L"." + list.word, L"must be an array of folders");
      for (const Json& entry : entries) {
        const std::wstring text = entry.is_string() ? DecodeUtf8(entry.get<std::string>()) : L"";
        if (text.empty() || text.find(L';') != std::wstring::npos) {
          return fail(where + L"." + list.word, L"every entry is a non-empty string without \";\"");
        }
        list.entries.push_back(text);
      }
      wanted.lists.push_back(std::move(list));
    }
    config.platforms.push_back(std::move(wanted));
  }
  return std::nullopt;
}

// Changes the lists of one record as the file wants them; the report lines of what changed.
std::vector<std::wstring> Reconcile(const WantedPlatform& wanted, bool exact, DirectoryLists& lists,
                                    const SheetDocument& sheet) {
  const PropertyLookup environment = SheetProperties(sheet, EnvironmentVariable);
  const auto key = [&](const std::wstring& entry) { return FolderKey(Prejudge(entry, environment).expanded); };
  std::vector<std::wstring> lines;
  for (const WantedList& list : wanted.lists) {
    const std::wstring head = wanted.platform + L" " + list.word + L": ";
    std::vector<std::wstring> entries = SplitEntries(lists[list.kind]);
    std::set<std::wstring> had, want;
    for (const std::wstring& entry : entries) had.insert(key(entry));
    for (const std::wstring& entry : list.entries) want.insert(key(entry));
    if (exact) {
      for (const std::wstring& entry : entries) {
        if (!want.contains(key(entry))) lines.push_back(head + L"- " + entry);
      }
      entries.clear();
    }
    std::set<std::wstring> taken;
    for (const std::wstring& entry : list.entries) {
      if (!taken.insert(key(entry)).second) continue;
      if (!had.contains(key(entry))) lines.push_back(head + L"+ " + entry);
      if (exact || !had.contains(key(entry))) entries.push_back(entry);
    }
    const std::wstring after = JoinEntries(entries);
    // Same folders, other order or spelling: still a change, shown as the list it becomes.
    if (exact && after != lists[list.kind] && lines.empty()) lines.push_back(head + L"= " + after);
    lists[list.kind] = after;
  }
  return lines;
}

}  // namespace

int ApplyConfig(const std::wstring& configPath, const std::wstring& folder, bool dryRun, Output& output) {
  Config config;
  if (std::optional<int> failed = ReadConfig(configPath, config, output)) return *failed;

  // Every sheet is read before any is written, so an unreadable one stops the run with nothing changed.
  std::vector<std::wstring> paths;
  std::vector<std::optional<SheetSnapshot>> sheets(config.platforms.size());
  for (size_t i = 0; i < sheets.size(); ++i) {
    paths.push_back(SheetInFolder(folder, config.platforms[i].platform));
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
    std::vector<std::wstring> lines;
    if (dryRun) {
      SheetSnapshot& sheet = sheets[i] ? *sheets[i] : sheets[i].emplace();
      lines = Reconcile(wanted, config.exact, sheet.lists, sheet.document);
      changed = changed || !lines.empty();
    } else {
      // Runs again on the lists as another program left them, should it write the sheet meanwhile.
      const SheetChange change = [&](DirectoryLists& lists, const SheetDocument& sheet) {
        lines = Reconcile(wanted, config.exact, lists, sheet);
        return !lines.empty();
      };
      const EditOutcome edited = EditSheet(paths[i], change, {.createMissing = VsVersion::k2013});
      if (!edited) {
        for (const std::wstring& line : lines) output.out += line + L"\n";
        return EditExit(paths[i], edited, output);
      }
    }
    for (const std::wstring& line : lines) output.out += line + L"\n";
  }
  return dryRun && changed ? kExitWouldChange : kExitDone;
}

}  // namespace pathwright::cli
