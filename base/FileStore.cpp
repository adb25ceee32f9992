// The file store of base/FileSystem.h, written once over the system's primitives (FilePrimitives.h):
// the replace with its compare, the numbered backups, the lock's wait, reading with limits and the
// clean-up of what a killed run left behind.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "base/FileNames.h"
#include "base/FilePrimitives.h"
#include "base/FileSystem.h"

namespace pathwright {

using namespace file_primitives;

namespace {
std::atomic<FileFault> g_fault{FileFault::kNone};

// Pieces of this size are read to compare or to follow a file that grew; never a second whole copy.
constexpr size_t kPiece = 64 * 1024;

Result Changed() {
  return Result::Failure(Result::Status::kContentChanged, L"the file was changed by another program meanwhile");
}

// Whether the regular file at `path` holds exactly `bytes`.
Result FileHolds(const std::wstring& path, std::string_view bytes, bool& same) {
  ReadingFile file;
  if (Result opened = file.Open(path); !opened) return opened;
  same = file.Size() == bytes.size();
  char piece[kPiece];
  for (size_t got = 1; same && got > 0;) {
    if (Result read = file.Read(piece, std::min(sizeof piece, std::max<size_t>(bytes.size(), 1)), got); !read) {
      return read;
    }
    // Once all is compared, one more read must find the end: the file may have grown since it was opened.
    same = bytes.empty() ? got == 0 : got > 0 && std::memcmp(piece, bytes.data(), got) == 0;
    bytes.remove_prefix(std::min(got, bytes.size()));
  }
  return {};
}

Result CheckExpected(const std::wstring& target, const ExpectedContent& expected) {
  using What = ExpectedContent::What;
  if (expected.what == What::kAnything) return {};
  bool same = false;
  if (Result compared = FileHolds(target, expected.bytes, same); !compared) {
    if (!compared.IsNotFound()) return compared;
    return expected.what == What::kNothing ? Result{} : Changed();
  }
  return same && expected.what == What::kBytes ? Result{} : Changed();
}

// A new file under a fresh temporary name beside `besides`, written, flushed and closed.
Result WriteBeside(NewFile& temp, const std::wstring& besides, std::string_view bytes, const Facts* like,
                   std::wstring_view marker = file_names::kTemporaryMarker) {
  for (int attempt = 1;; ++attempt) {
    Result created = temp.Create(besides + file_names::RandomSuffix(marker), like);
    if (created) break;
    if (!Is(created, Problem::kExists) || attempt == 100) return created;
  }
  for (constexpr size_t kChunk = 1 << 20; !bytes.empty();) {
    size_t written = 0;
    if (Result wrote = temp.Write(bytes.substr(0, kChunk), written); !wrote) return wrote;
    bytes.remove_prefix(written);
  }
  return temp.Finish(like);
}

// The folder part of a path (ending with its separator, or empty) and the bare name.
std::pair<std::wstring, std::wstring> SplitPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(kPathSeparators);
  if (slash == std::wstring::npos) return {L"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The targets whose WriteLock this process holds, by the path given and by the final target.
std::mutex g_heldGuard;
std::multiset<std::wstring> g_held;

bool HoldsLockOf(const std::wstring& path, const std::wstring& target) {
  const std::lock_guard lock(g_heldGuard);
  return g_held.contains(path) || g_held.contains(target);
}

// Removes the temporary files of `target` a killed run left. Under the target's lock no other writer
// can be making one, so all go; without it only those older than an hour, and once per target and
// process, which spares the repeated saves of a long session the scan.
void RemoveLeftovers(const std::wstring& target, bool locked) {
  static std::mutex guard;
  static std::set<std::wstring> done;
  if (!locked) {
    const std::lock_guard lock(guard);
    if (!done.insert(target).second) return;
  }
  const auto [folder, name] = SplitPath(target);
  const auto oldest = std::chrono::system_clock::now() - file_names::kStaleTemporaryAge;
  const std::wstring pattern = L"*" + std::wstring(file_names::kTemporaryMarker) + L"*";
  for (const FolderEntry& entry : ListFolder(folder, pattern)) {
    if (entry.regular && (locked || entry.modified < oldest) && file_names::IsTemporaryNameOf(entry.name, name)) {
      RemoveFile(folder + entry.name);
    }
  }
}

// A file with several names is one file: a new one renamed over one name would leave the other names
// with the old bytes. It is written in place, after a whole copy of it is kept beside it.
Result RewriteInPlace(const std::wstring& target, std::string_view bytes, const ExpectedContent& expected,
                      const Facts& facts) {
  std::string old;
  if (Result read = ReadFileBytes(target, old); !read) return read;
  using What = ExpectedContent::What;
  if (expected.what == What::kNothing || (expected.what == What::kBytes && old != expected.bytes)) return Changed();
  NewFile copy;
  if (Result kept = WriteBeside(copy, target, old, &facts, file_names::kCopyMarker); !kept) return kept;
  // From here on the copy may be the only whole one: no interrupt removes it.
  copy.Keep();
  Result written = WriteInPlace(target, bytes);
  if (!written && !WriteInPlace(target, old)) {
    return Result::FromSystemError(written.code, written.why + L"; the old content is kept in " + copy.Path());
  }
  RemoveFile(copy.Path());
  return written;
}

// Tells the file's size, so that the user sees which file is out of proportion, and by how much.
Result TooLarge(std::uint64_t size, size_t limit) {
  return SystemFailure(Problem::kTooLarge, L"the file has " + std::to_wstring(size) + L" bytes, more than the " +
                                               std::to_wstring(limit) + L" read at most");
}
}  // namespace

Result Result::FromSystemError(int code) { return FromSystemError(code, SystemText(code)); }

Result Result::NotFound() { return FromSystemError(SystemCode(Problem::kNotFound)); }

bool Result::IsNotFound() const noexcept { return Is(*this, Problem::kNotFound) || Is(*this, Problem::kNoFolder); }

namespace file_primitives {
bool Injected(FileFault fault) {
  if (g_fault.load() != fault) return false;
  SetIoError();
  return true;
}

Result SystemFailure(Problem problem, std::wstring why) {
  const int code = SystemCode(problem);
  return why.empty() ? Result::FromSystemError(code) : Result::FromSystemError(code, std::move(why));
}

Result ReadingFile::Open(const std::wstring& path) {
  Facts facts;
  if (Result seen = Inspect(path, facts); !seen) return seen;
  if (!facts.Exists()) return Result::NotFound();
  return facts.Regular() ? OpenRegular(path) : NotRegular(facts.kind);
}

Result NotRegular(Facts::Kind kind) {
  using Kind = Facts::Kind;
  if (kind == Kind::kFolder) return SystemFailure(Problem::kIsFolder, L"it is a folder, not a file");
  const wchar_t* what = kind == Kind::kPipe     ? L"a pipe"
                        : kind == Kind::kSocket ? L"a socket"
                        : kind == Kind::kDevice ? L"a device"
                                                : L"a device or a pipe";
  return SystemFailure(Problem::kNotRegular, L"it is " + std::wstring(what) + L", not a regular file");
}
}  // namespace file_primitives

Result ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const ExpectedContent& expected) {
  if (path.empty()) return Result::NotFound();
  Facts facts;
  if (Result seen = Inspect(path, facts); !seen) return seen;
  if (facts.Exists() && !facts.Regular()) return NotRegular(facts.kind);
  // Renaming over a read-only file succeeds where writing it would not (and root writes anything).
  if (facts.readOnly) return SystemFailure(Problem::kAccessDenied);
  // A link is written through: its final target is what gets replaced.
  const std::wstring& target = facts.Exists() ? facts.finalPath : path;
  const bool locked = HoldsLockOf(path, target);
  if (facts.Exists() && facts.links > 1) {
    Result written = RewriteInPlace(target, bytes, expected, facts);
    if (written) RemoveLeftovers(target, locked);
    return written;
  }

  NewFile temp;
  if (Result written = WriteBeside(temp, target, bytes, facts.Exists() ? &facts : nullptr); !written) return written;
  if (Result same = CheckExpected(target, expected); !same) return same;
  if (Result renamed = Rename(temp.Path(), target, true); !renamed) return renamed;
  temp.Keep();
  RemoveLeftovers(target, locked);
  return {};
}

Result WriteBackupFile(const std::wstring& path, std::string_view bytes, std::wstring& backupPath) {
  backupPath.clear();
  if (path.empty()) return Result::NotFound();
  Facts sheet;
  const bool like = Inspect(path, sheet) && sheet.Regular();

  NewFile temp;
  if (Result written = WriteBeside(temp, path, bytes, like ? &sheet : nullptr); !written) return written;
  for (int n = 1; n <= file_names::kMaxBackups; ++n) {
    const std::wstring name = file_names::BackupName(path, n);
    // Never over an existing name, a link to anywhere included.
    const Result renamed = Rename(temp.Path(), name, false);
    if (Is(renamed, Problem::kExists)) continue;
    if (!renamed) return renamed;
    temp.Keep();
    backupPath = name;
    return {};
  }
  return SystemFailure(Problem::kExists);
}

Result ReadFileBytes(const std::wstring& path, std::string& bytes, const ReadLimits& limits) {
  bytes.clear();
  if (path.empty()) return Result::NotFound();
  ReadingFile file;
  if (Result opened = file.Open(path); !opened) return opened;
  const auto tooLarge = [&](std::uint64_t size) {
    if (limits.refusedSize) *limits.refusedSize = size;
    return TooLarge(size, limits.maxFileSize);
  };
  if (file.Size() > limits.maxFileSize) return tooLarge(file.Size());
  // Straight into the string for the size the file has; a file that grows meanwhile is read on.
  bytes.resize(std::min(static_cast<size_t>(file.Size()), limits.maxRead));
  size_t got = 0;
  for (size_t n = 1; got < bytes.size() && n > 0; got += n) {
    if (Result read = file.Read(bytes.data() + got, bytes.size() - got, n); !read) return read;
  }
  bytes.resize(got);
  while (got == file.Size() && bytes.size() < limits.maxRead) {
    char more[kPiece];
    size_t n = 0;
    if (Result read = file.Read(more, std::min(sizeof more, limits.maxRead - bytes.size()), n); !read) return read;
    if (n == 0) break;
    bytes.append(more, n);
    if (bytes.size() > limits.maxFileSize) return tooLarge(bytes.size());
  }
  return {};
}

bool IsRegularFile(const std::wstring& path) {
  Facts facts;
  return !path.empty() && Inspect(path, facts) && facts.Regular();
}

std::vector<std::wstring> ListMatchingEntries(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  for (FolderEntry& entry : ListFolder(folder, pattern)) names.push_back(std::move(entry.name));
  return names;
}

Result CreateFolders(const std::wstring& folder) {
  if (folder.empty() || IsFolder(folder)) return {};
  const size_t slash = folder.find_last_of(kPathSeparators);
  if (slash != std::wstring::npos && slash > 0) {
    const size_t end = folder.find_last_not_of(kPathSeparators, slash);
    if (end != std::wstring::npos) {
      if (Result parent = CreateFolders(folder.substr(0, end + 1)); !parent) return parent;
    }
  }
  Result made = MakeFolder(folder);
  return made || (Is(made, Problem::kExists) && IsFolder(folder)) ? Result{} : made;
}

void WriteLock::Release() noexcept {
  if (m_native == -1) return;
  {
    const std::lock_guard lock(g_heldGuard);
    for (const std::wstring& target : m_targets) g_held.erase(g_held.find(target));
  }
  m_targets.clear();
  Unlock(std::exchange(m_native, -1), m_lockPath, true);
}

Result WriteLock::Acquire(const std::wstring& path, std::chrono::milliseconds wait) {
  Release();
  Facts facts;
  if (path.empty() || !Inspect(path, facts) || (facts.Exists() && !facts.Regular())) return {};
  const std::wstring target = facts.Exists() ? facts.finalPath : path;
  const std::wstring lockPath = target + std::wstring(file_names::kLockSuffix);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::intptr_t native = -1;
  const auto without = [&](Result result) {
    if (native != -1) Unlock(std::exchange(native, -1), lockPath, false);
    return result;
  };
  for (int uncertain = 0;;) {
    std::wstring inTheWay;
    const LockAttempt attempt = TryLock(lockPath, native, inTheWay);
    if (attempt == LockAttempt::kHeld) {
      m_native = native;
      m_lockPath = lockPath;
      m_targets = {path, target};
      const std::lock_guard lock(g_heldGuard);
      g_held.insert(m_targets.begin(), m_targets.end());
      return {};
    }
    if (attempt == LockAttempt::kInTheWay) {
      return without(SystemFailure(Problem::kExists, L"its lock file " + lockPath + L" cannot be made: " + inTheWay +
                                                         L" of that name is in the way"));
    }
    if (attempt == LockAttempt::kUnlockable) return without({});
    // Refused again and again for no holder: a folder this user may not write, where nothing can be
    // written anyway.
    if (attempt == LockAttempt::kUncertain && ++uncertain == 3) return without({});
    if (std::chrono::steady_clock::now() >= deadline) {
      if (attempt == LockAttempt::kMoved) return without({});  // replaced again and again: go on unlocked
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
      return without(SystemFailure(Problem::kBusy, L"another program of Pathwright kept it locked for " +
                                                       std::to_wstring(seconds) + L" seconds"));
    }
    if (attempt != LockAttempt::kMoved) std::this_thread::sleep_for(file_names::kLockRetryPause);
  }
}

void InjectFileFault(FileFault fault) { g_fault.store(fault); }

}  // namespace pathwright
