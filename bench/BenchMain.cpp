// Every measure is taken next to its baseline in the same run, with the repetitions of all
// benchmarks interleaved, so a busy machine slows both sides alike. The medians end up in one table
// (measure, value, baseline, ratio, target, met?) on standard output and, with --table=FILE, as
// tab-separated rows that scripts/bench.sh merges with the Windows start-up figures.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include <pugixml.hpp>

#include "SheetGenerator.h"
#include "lang/LanguageFile.h"
#include "model/DirectorySettings.h"
#include "model/SheetCheck.h"
#include "model/SheetDocument.h"
#include "model/SheetSplice.h"

extern char** environ;

namespace fs = std::filesystem;
using pathwright::DirectorySettings;

namespace pathwright::bench {
bool PlainLoadSaveReplace(const char* sheet);  // PlainSet.cpp
}

namespace {

struct SheetSize {
  const char* label;
  size_t bytes;
  int repetitions;
};
constexpr SheetSize kSheetSizes[] = {{"1KB", 1024, 9}, {"1MB", 1 << 20, 9}, {"50MB", 50u << 20, 9}};
constexpr size_t kLanguageLines = 10000;
constexpr const char* kNewList = "C:\\lib\\new;$(QtDir)\\include;D:\\sdk\\include";

struct Options {
  std::string cli;
  std::string plainSet;  // the pugixml program that is the floor of `set`
  std::string python = "python3";
  std::string script;
  std::string table;
  bool quick = false;
};

fs::path g_work;
Options g_options;

fs::path SheetFile(const char* label) { return g_work / (std::string("sheet-") + label + ".props"); }
// The copy of a sheet one side loads and saves again and again, in place as a user's sheet is.
fs::path WorkingCopy(const char* label, bool pathwright) {
  return g_work / (std::string(pathwright ? "pathwright-" : "pugixml-") + label + ".props");
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The program's own load and save of a sheet, as the main window and the command line do it: the
// lock, the comparison with what was loaded and the safe replace included. One list changes (to one
// of two values in turn), since a save with no change writes nothing.
bool PathwrightLoadSave(const fs::path& sheet) {
  static int round = 0;
  DirectorySettings settings;
  settings.m_path = sheet.wstring();
  if (!settings.LoadSheet()) return false;
  settings.m_lists[1] = ++round % 2 ? L"C:\\lib\\new;D:\\sdk" : L"C:\\lib\\old";
  return static_cast<bool>(settings.SaveSheet());
}

// pugixml alone on the same bytes, with the same options, and the safe replace written the
// plainest way: the floor for any program built on it that never leaves a half-written sheet.
bool PugixmlLoadSave(const fs::path& sheet) { return pathwright::bench::PlainLoadSaveReplace(sheet.c_str()); }

bool LoadSave(const fs::path& sheet, bool pathwright) {
  return pathwright ? PathwrightLoadSave(sheet) : PugixmlLoadSave(sheet);
}

// Runs a program to its end with its output thrown away; the exit code, or -1 when it did not run.
int RunQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Runs a program and returns what it printed.
std::string RunAndRead(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

void SheetLoadSave(benchmark::State& state, const SheetSize& size, bool pathwright) {
  const fs::path in = SheetFile(size.label);
  const fs::path sheet = WorkingCopy(size.label, pathwright);
  fs::copy_file(in, sheet, fs::copy_options::overwrite_existing);
  for (auto _ : state) {
    if (!LoadSave(sheet, pathwright)) {
      state.SkipWithError("load or save failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(in)));
}

// The splicing editor on the same sheet: the file read, one list set (to one of two values in
// turn, so that every save writes), the bytes saved and replaced as the pugixml side replaces them.
bool SpliceLoadSetSave(const fs::path& sheet) {
  static int round = 0;
  std::string bytes;
  if (!pathwright::ReadFileBytes(sheet.wstring(), bytes)) return false;
  pathwright::SheetSplice splice;
  if (!splice.Load(std::move(bytes))) return false;
  const pugi::xml_node group = splice.Document().document_element().last_child();
  if (!splice.SetText(group.child(L"UserInclude"), ++round % 2 ? L"C:\\lib\\new;D:\\sdk" : L"C:\\lib\\old"))
    return false;
  const pathwright::SplicedBytes saved = splice.Save();
  const std::string temp = sheet.string() + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = ::write(fd, saved.bytes.data(), saved.bytes.size()) == static_cast<ssize_t>(saved.bytes.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  return ok && saved.changed && ::rename(temp.c_str(), sheet.c_str()) == 0;
}

void SpliceSheet(benchmark::State& state, const SheetSize& size) {
  const fs::path in = SheetFile(size.label);
  const fs::path sheet = g_work / (std::string("splice-") + size.label + ".props");
  fs::copy_file(in, sheet, fs::copy_options::overwrite_existing);
  for (auto _ : state) {
    if (!SpliceLoadSetSave(sheet)) {
      state.SkipWithError("splice load, set or save failed");
      break;
    }
  }
}

enum class Setter { kPathwrightCli, kPythonEtree, kPlainPugixml };
constexpr const char* kSetterNames[] = {"pathwright-cli", "python-etree", "plain-pugixml"};

// One edit of a fresh copy of the sheet per iteration, each in a process of its own; only the
// edit is timed.
void SetCommand(benchmark::State& state, const SheetSize& size, Setter setter) {
  const fs::path in = SheetFile(size.label);
  const fs::path copy = g_work / (std::string(kSetterNames[static_cast<int>(setter)]) + "-" + size.label + ".props");
  std::vector<std::string> args;
  switch (setter) {
    case Setter::kPathwrightCli:
      args = {g_options.cli, "set", copy.string(), "include", kNewList};
      break;
    case Setter::kPythonEtree:
      args = {g_options.python, g_options.script, copy.string(), "include", kNewList};
      break;
    case Setter::kPlainPugixml:
      args = {g_options.plainSet, copy.string()};
      break;
  }
  for (auto _ : state) {
    fs::copy_file(in, copy, fs::copy_options::overwrite_existing);
    const auto start = std::chrono::steady_clock::now();
    const int code = RunQuietly(args);
    const auto stop = std::chrono::steady_clock::now();
    if (code != 0) {
      state.SkipWithError((args[0] + " failed").c_str());
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
}

void LanguageLoad(benchmark::State& state) {
  const std::wstring path = (g_work / "Deutsch.lng").wstring();
  pathwright::LanguageTable table;
  for (auto _ : state) {
    if (!pathwright::LoadLanguage(path, table)) {
      state.SkipWithError("language file refused");
      break;
    }
    benchmark::DoNotOptimize(table.size());
  }
}

// Reading the lines and nothing more: what any reader of the file has to pay.
void LanguagePlainRead(benchmark::State& state) {
  const fs::path path = g_work / "Deutsch.lng";
  std::vector<std::string> lines;
  for (auto _ : state) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(std::move(line));
    benchmark::DoNotOptimize(lines.data());
  }
}

// A sheet whose list holds this many folders, none of them there, all in force through IncludePath.
constexpr size_t kCheckEntries = 100000;

std::vector<pathwright::PropertyDefinition> LongListDefinitions() {
  std::string list;
  for (size_t i = 0; i < kCheckEntries; ++i) list += (i ? ";C:\\nowhere\\dir" : "C:\\nowhere\\dir") + std::to_string(i);
  pathwright::SheetDocument sheet;
  const std::string head =
      "<Project xmlns='http://schemas.microsoft.com/developer/msbuild/2003'><PropertyGroup Label='UserMacros'>"
      "<UserInclude>";
  const std::string tail =
      "</UserInclude></PropertyGroup>"
      "<PropertyGroup><IncludePath>$(UserInclude);$(IncludePath)</IncludePath></PropertyGroup></Project>";
  const bool parsed = static_cast<bool>(sheet.Parse(head + list + tail));
  return parsed ? sheet.Definitions() : std::vector<pathwright::PropertyDefinition>{};
}

// What check does with a sheet once read: every entry in force evaluated, judged and looked up (here
// in memory: the file system's share is the look-ups' own, bounded by their deadline).
void CheckEvaluation(benchmark::State& state) {
  const std::vector<pathwright::PropertyDefinition> definitions = LongListDefinitions();
  const std::wstring path = L"C:\\u\\Microsoft.Cpp.Win32.user.props";
  for (auto _ : state) {
    std::vector<pathwright::SheetEntry> entries =
        pathwright::EntriesInForce(definitions, pathwright::CheckContext(path, {}, {}));
    pathwright::JudgeEntries(
        entries, [](const std::wstring&) { return false; },
        std::chrono::steady_clock::now() + std::chrono::seconds(60));
    if (entries.size() != kCheckEntries + 1) {
      state.SkipWithError("not every entry was judged");
      break;
    }
  }
}

// The floor of any check of the same list: each entry split out once and its folder hashed once.
void CheckPlainSplit(benchmark::State& state) {
  const std::vector<pathwright::PropertyDefinition> definitions = LongListDefinitions();
  const std::wstring& list = definitions.front().value;
  for (auto _ : state) {
    std::vector<std::wstring> entries;
    std::unordered_set<std::wstring> folders;
    for (size_t start = 0; start <= list.size();) {
      const size_t end = std::min(list.find(L';', start), list.size());
      entries.emplace_back(list, start, end - start);
      folders.insert(pathwright::FolderIdentity(entries.back()));
      start = end + 1;
    }
    benchmark::DoNotOptimize(folders.size());
  }
}

// Medians of the repetitions, in seconds, keyed by benchmark name.
class MedianCollector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medians;     // wall-clock time
  std::map<std::string, double> cpuMedians;  // processor time of this process

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Aggregate || !medians.count(name)) {
        medians[name] = seconds;
        cpuMedians[name] = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

long OwnHighWaterKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// One load and save in a fresh process: prints the seconds it took, then the peak resident memory.
// This is how the command line tool and the main window meet a sheet: once, with a cold heap.
int OnceChild(const std::string& who, const fs::path& sheet) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = LoadSave(sheet, who == "pathwright");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.9f %ld\n", ok ? seconds : -1.0, ok ? OwnHighWaterKilobytes() : -1L);
  return ok ? 0 : 1;
}

struct OnceFigures {
  double seconds = -1;  // median over the runs
  long peakKilobytes = -1;
};

// Runs of both sides alternate, so a busy moment of the machine falls on both alike.
std::map<std::string, OnceFigures> MeasureFreshProcesses(const std::string& self, const char* label, int runs) {
  std::map<std::string, std::vector<double>> times;
  std::map<std::string, OnceFigures> figures;
  for (int i = 0; i < runs; ++i) {
    for (const char* who : {"pathwright", "pugixml"}) {
      const fs::path once = g_work / "once.props";
      fs::copy_file(SheetFile(label), once, fs::copy_options::overwrite_existing);
      const std::string command = "'" + self + "' --once=" + who + " '" + once.string() + "'";
      double seconds = -1;
      long peak = -1;
      if (std::sscanf(RunAndRead(command).c_str(), "%lf %ld", &seconds, &peak) != 2 || seconds < 0) continue;
      times[who].push_back(seconds);
      figures[who].peakKilobytes = std::max(figures[who].peakKilobytes, peak);
    }
  }
  for (auto& [who, list] : times) {
    std::sort(list.begin(), list.end());
    figures[who].seconds = list[list.size() / 2];
  }
  return figures;
}

struct Row {
  std::string measure, value, baseline, ratio, target, met;
};

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Milliseconds(double seconds) { return Format(seconds < 0.01 ? "%.3f ms" : "%.1f ms", seconds * 1e3); }

void PrintTable(const std::vector<Row>& rows) {
  const Row header{"measure", "value", "baseline", "ratio", "target", "met?"};
  std::array<size_t, 6> width{};
  auto widen = [&](const Row& row) {
    const std::string* cells[] = {&row.measure, &row.value, &row.baseline, &row.ratio, &row.target, &row.met};
    for (size_t i = 0; i < 6; ++i) width[i] = std::max(width[i], cells[i]->size());
  };
  widen(header);
  for (const Row& row : rows) widen(row);
  auto print = [&](const Row& row) {
    const std::string* cells[] = {&row.measure, &row.value, &row.baseline, &row.ratio, &row.target, &row.met};
    for (size_t i = 0; i < 6; ++i)
      std::printf("%-*s%s", static_cast<int>(width[i]), cells[i]->c_str(), i < 5 ? "  " : "\n");
  };
  print(header);
  for (const Row& row : rows) print(row);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strncmp(argv[1], "--once=", 7) == 0) return OnceChild(argv[1] + 7, argv[2]);
  // --generate FILE BYTES writes one sheet, for profiling a single load and save by hand.
  if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
    WriteFile(argv[2], pathwright::bench::GenerateSheet(std::strtoull(argv[3], nullptr, 10)));
    return 0;
  }

#ifdef PATHWRIGHT_BENCH_CLI
  g_options.cli = PATHWRIGHT_BENCH_CLI;
#endif
  g_options.plainSet = PATHWRIGHT_BENCH_PLAIN_SET;
  g_options.script = PATHWRIGHT_BENCH_SCRIPT;
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* name) { return arg.substr(std::strlen(name)); };
    if (arg.rfind("--cli=", 0) == 0) g_options.cli = value("--cli=");
    else if (arg.rfind("--python=", 0) == 0) g_options.python = value("--python=");
    else if (arg.rfind("--table=", 0) == 0) g_options.table = value("--table=");
    else if (arg == "--quick") g_options.quick = true;
    else rest.push_back(argv[i]);
  }
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  rest.insert(rest.begin() + 1, interleave);
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 2;

  char dirTemplate[] = "/tmp/pathwright-bench-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  g_work = dirTemplate;
  std::printf("Generating sheets in %s\n", g_work.c_str());
  std::map<std::string, double> sheetMegabytes;
  for (const SheetSize& size : kSheetSizes) {
    if (g_options.quick && size.bytes > (2u << 20)) continue;
    WriteFile(SheetFile(size.label), pathwright::bench::GenerateSheet(size.bytes));
    sheetMegabytes[size.label] = static_cast<double>(fs::file_size(SheetFile(size.label))) / (1 << 20);
  }
  WriteFile(g_work / "Deutsch.lng", pathwright::bench::GenerateLanguageFile(kLanguageLines));

  const bool haveCli = !g_options.cli.empty() && fs::exists(g_options.cli);
  const bool havePython = RunQuietly({g_options.python, "-c", "import xml.etree.ElementTree"}) == 0;
  const bool havePlainSet = fs::exists(g_options.plainSet);
  if (havePython) {
    // The interpreter itself, not a launcher script (pyenv's shims cost a shell start per run).
    std::string real = RunAndRead("'" + g_options.python + "' -c 'import sys; print(sys.executable)'");
    while (!real.empty() && (real.back() == '\n' || real.back() == '\r')) real.pop_back();
    if (!real.empty() && fs::exists(real)) g_options.python = real;
    std::printf("Python: %s\n", g_options.python.c_str());
  }
  const int shrink = g_options.quick ? 2 : 1;

  for (const SheetSize& size : kSheetSizes) {
    if (!sheetMegabytes.count(size.label)) continue;
    const bool big = size.bytes > (2u << 20);
    for (bool pathwright : {true, false}) {
      auto* b = benchmark::RegisterBenchmark(
          (std::string("sheet/") + (pathwright ? "pathwright/" : "pugixml/") + size.label).c_str(),
          [size, pathwright](benchmark::State& state) { SheetLoadSave(state, size, pathwright); });
      b->Repetitions(std::max(3, size.repetitions / shrink))->Unit(benchmark::kMillisecond)->ReportAggregatesOnly();
      if (big) b->Iterations(1);
    }
    auto* splice = benchmark::RegisterBenchmark((std::string("sheet/splice/") + size.label).c_str(),
                                                [size](benchmark::State& state) { SpliceSheet(state, size); });
    splice->Repetitions(std::max(3, size.repetitions / shrink))->Unit(benchmark::kMillisecond)->ReportAggregatesOnly();
    if (big) splice->Iterations(1);
    if (size.bytes < (1u << 20) || !haveCli) continue;
    for (const Setter setter : {Setter::kPathwrightCli, Setter::kPythonEtree, Setter::kPlainPugixml}) {
      if ((setter == Setter::kPythonEtree && !havePython) || (setter == Setter::kPlainPugixml && !havePlainSet)) {
        continue;
      }
      auto* b = benchmark::RegisterBenchmark(
          (std::string("set/") + kSetterNames[static_cast<int>(setter)] + "/" + size.label).c_str(),
          [size, setter](benchmark::State& state) { SetCommand(state, size, setter); });
      b->UseManualTime()
          ->Iterations(big ? 1 : 5)
          ->Repetitions(big ? 3 : 9)
          ->Unit(benchmark::kMillisecond)
          ->ReportAggregatesOnly();
    }
  }
  benchmark::RegisterBenchmark("language/load", LanguageLoad)
      ->Repetitions(7)
      ->Unit(benchmark::kMicrosecond)
      ->ReportAggregatesOnly();
  benchmark::RegisterBenchmark("language/plain-read", LanguagePlainRead)
      ->Repetitions(7)
      ->Unit(benchmark::kMicrosecond)
      ->ReportAggregatesOnly();

  benchmark::RegisterBenchmark("check/evaluate/100k", CheckEvaluation)
      ->Repetitions(5)
      ->Unit(benchmark::kMillisecond)
      ->ReportAggregatesOnly();
  benchmark::RegisterBenchmark("check/plain-split/100k", CheckPlainSplit)
      ->Repetitions(5)
      ->Unit(benchmark::kMillisecond)
      ->ReportAggregatesOnly();

  MedianCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const auto& m = collector.medians;

  std::vector<Row> rows;
  auto ratioRow = [&](const std::string& measure, const std::string& ours, const std::string& base, double limit) {
    if (!m.count(ours) || !m.count(base)) return;
    const double ratio = m.at(ours) / m.at(base);
    rows.push_back({measure, Milliseconds(m.at(ours)), Milliseconds(m.at(base)), Format("%.2fx", ratio),
                    Format("<= %.2fx", limit), ratio <= limit ? "yes" : "NO"});
  };
  for (const SheetSize& size : kSheetSizes) {
    ratioRow(std::string("sheet load+save ") + size.label + ", repeated in one process (vs pugixml + plain replace)",
             std::string("sheet/pathwright/") + size.label, std::string("sheet/pugixml/") + size.label, 1.10);
  }
  for (const SheetSize& size : kSheetSizes) {
    ratioRow(
        std::string("splice load+set+save ") + size.label + ", repeated in one process (vs pugixml + plain replace)",
        std::string("sheet/splice/") + size.label, std::string("sheet/pugixml/") + size.label, 1.10);
  }
  // The command with its lock and comparison, each run a process of its own, against pugixml's
  // load and save with the plain replace in a minimal program.
  ratioRow("pathwright-cli set 1MB (vs pugixml load+save+replace, fresh process each)", "set/pathwright-cli/1MB",
           "set/plain-pugixml/1MB", 1.15);
  // Linearity: time per MB of the 50 MB sheet against that of the 1 MB sheet.
  for (const char* who : {"pathwright", "pugixml"}) {
    const std::string small = std::string("sheet/") + who + "/1MB", large = std::string("sheet/") + who + "/50MB";
    if (!m.count(small) || !m.count(large)) continue;
    const double perSmall = m.at(small) / sheetMegabytes["1MB"], perLarge = m.at(large) / sheetMegabytes["50MB"];
    const double ratio = perLarge / perSmall;
    const bool ours = std::strcmp(who, "pathwright") == 0;
    rows.push_back({std::string("time per MB, 50 MB vs 1 MB, in one process (") + who + ")",
                    Milliseconds(perLarge) + "/MB", Milliseconds(perSmall) + "/MB", Format("%.2fx", ratio),
                    ours ? "0.80x-1.20x" : "(reference)",
                    ours ? (std::fabs(ratio - 1.0) <= 0.20 ? "yes" : "NO") : "-"});
  }
  // The same in fresh processes, which is also where the peak memory is read.
  const std::string self = fs::canonical("/proc/self/exe").string();
  std::map<std::string, std::map<std::string, OnceFigures>> fresh;
  for (const SheetSize& size : kSheetSizes) {
    if (!sheetMegabytes.count(size.label)) continue;
    fresh[size.label] = MeasureFreshProcesses(self, size.label, g_options.quick ? 3 : 9);
    const OnceFigures ours = fresh[size.label]["pathwright"], base = fresh[size.label]["pugixml"];
    if (ours.seconds < 0 || base.seconds < 0) continue;
    const double ratio = ours.seconds / base.seconds;
    rows.push_back({std::string("sheet load+save ") + size.label + ", fresh process each (vs pugixml + plain replace)",
                    Milliseconds(ours.seconds), Milliseconds(base.seconds), Format("%.2fx", ratio), "<= 1.10x",
                    ratio <= 1.10 ? "yes" : "NO"});
  }
  if (fresh.count("1MB") && fresh.count("50MB")) {
    for (const char* who : {"pathwright", "pugixml"}) {
      const double perSmall = fresh["1MB"][who].seconds / sheetMegabytes["1MB"];
      const double perLarge = fresh["50MB"][who].seconds / sheetMegabytes["50MB"];
      if (perSmall <= 0 || perLarge <= 0) continue;
      const double ratio = perLarge / perSmall;
      const bool ours = std::strcmp(who, "pathwright") == 0;
      rows.push_back({std::string("time per MB, 50 MB vs 1 MB, fresh process (") + who + ")",
                      Milliseconds(perLarge) + "/MB", Milliseconds(perSmall) + "/MB", Format("%.2fx", ratio),
                      ours ? "0.80x-1.20x" : "(reference)",
                      ours ? (std::fabs(ratio - 1.0) <= 0.20 ? "yes" : "NO") : "-"});
    }
  }
  for (const SheetSize& size : kSheetSizes) {
    if (!fresh.count(size.label)) continue;
    const long ours = fresh[size.label]["pathwright"].peakKilobytes, base = fresh[size.label]["pugixml"].peakKilobytes;
    if (ours <= 0 || base <= 0) continue;
    rows.push_back({std::string("peak memory, load+save ") + size.label, Format("%.1f MB", ours / 1024.0),
                    Format("%.1f MB", base / 1024.0), Format("%.2fx", static_cast<double>(ours) / base), "(reported)",
                    "-"});
  }
  for (const char* label : {"1MB", "50MB"}) {
    const std::string ours = std::string("set/pathwright-cli/") + label,
                      base = std::string("set/python-etree/") + label;
    if (!m.count(ours) || !m.count(base)) continue;
    const double speedup = m.at(base) / m.at(ours);
    rows.push_back({std::string("pathwright-cli set ") + label + " (vs Python ElementTree)", Milliseconds(m.at(ours)),
                    Milliseconds(m.at(base)), Format("%.1fx faster", speedup), ">= 10x faster",
                    speedup >= 10.0 ? "yes" : "NO"});
    // What the XML library alone allows: its own load_file + save_file in a fresh process.
    const double floor = fresh.count(label) ? fresh[label]["pugixml"].seconds : -1;
    if (floor > 0) {
      rows.push_back({std::string("  pugixml alone, fresh process, ") + label + " (vs Python ElementTree)",
                      Milliseconds(floor), Milliseconds(m.at(base)), Format("%.1fx faster", m.at(base) / floor),
                      "(reference)", "-"});
    }
  }
  if (!haveCli || !havePython) {
    rows.push_back({"pathwright-cli set (vs Python ElementTree)", "-", "-", "-", ">= 10x faster",
                    !haveCli ? "not run: pathwright-cli not built" : "not run: no python3"});
  }
  ratioRow("language file load, 10000 lines (vs plain line read)", "language/load", "language/plain-read", 2.0);
  ratioRow("check of a sheet with 100000 entries, evaluated and judged (vs split and hashed once)",
           "check/evaluate/100k", "check/plain-split/100k", 3.0);

  std::printf("\n");
  PrintTable(rows);
  if (!g_options.table.empty()) {
    std::ofstream table(g_options.table, std::ios::app);
    for (const Row& row : rows) {
      table << row.measure << '\t' << row.value << '\t' << row.baseline << '\t' << row.ratio << '\t' << row.target
            << '\t' << row.met << '\n';
    }
  }
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(g_work, ignored);
  return 0;
}
