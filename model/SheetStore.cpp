#include "SheetStore.h"

#include <cstdint>
#include <utility>

#include "InputLimits.h"

namespace pathwright {

SheetLoad SheetStore::Read(std::string& bytes) const {
  using Status = Result::Status;
  bytes.clear();
  // A folder opens like a file on some systems and then fails with a misleading reason.
  if (IsFolder(m_path)) return Result::Failure(Status::kInvalid, L"it is a folder, not a file");
  if (PathExists(m_path) && !IsRegularFile(m_path)) {
    std::string nothing;
    const Result refused = ReadFileBytes(m_path, nothing, {.maxRead = 0});
    return Result::Failure(Status::kInvalid, refused ? L"it is not a regular file" : refused.why);
  }
  std::uint64_t size = 0;
  Result read = ReadFileBytes(m_path, bytes, {.maxFileSize = kMaxSheetBytes, .refusedSize = &size});
  if (read || size == 0) return read;
  return {std::move(read), {.kind = SheetRefusal::Kind::kTooLarge, .size = size, .limit = kMaxSheetBytes}};
}

Result SheetStore::Update(const std::string* known, const Rebuild& rebuild, Replacement& out) {
  if (m_path.empty()) return Result::NotFound();
  WriteLock lock;
  if (Result locked = lock.Acquire(m_path, m_lockWait); !locked) return locked;
  std::string read;
  for (int attempt = 1;; ++attempt) {
    SheetContent now{.known = known && attempt == 1, .again = attempt > 1};
    if (now.known) {
      now.bytes = *known;
    } else if ((now.read = Read(read))) {
      now.bytes = read;
    }
    out = Replacement{};
    if (Result built = rebuild(now, out); !built || out.nothing) return built;
    // Only what was read, or found missing, is ever replaced.
    if (!now.read && !now.read.IsNotFound()) return now.read;
    // The rebuild may have made the missing folder the lock goes in: the compare and the write are
    // then under the lock, and a sheet another program made meanwhile is read again.
    if (!lock.Held()) {
      if (Result locked = lock.Acquire(m_path, m_lockWait); !locked) return locked;
    }
    if (out.keepOld && now.read) {
      if (Result kept = WriteBackupFile(m_path, now.bytes, out.backupPath); !kept) return kept;
    }
    const ExpectedContent expected = now.read ? ExpectedContent::Bytes(now.bytes) : ExpectedContent::Nothing();
    Result replaced = ReplaceFileAtomically(m_path, out.bytes, expected);
    if (replaced.status != Result::Status::kContentChanged) return replaced;
    if (attempt == kSheetWriteAttempts) {
      return Result::Failure(Result::Status::kContentChanged, L"the sheet kept changing while it was being written (" +
                                                                  std::to_wstring(attempt) + L" attempts)");
    }
  }
}

}  // namespace pathwright
