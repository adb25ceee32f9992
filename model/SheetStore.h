// The file side of one sheet: its lock, its bytes, their replacement in one step when the file still
// holds what the caller built on, the retries when another program wrote it meanwhile, and the
// numbered backups. Knows nothing of what the bytes mean.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "SheetRefusal.h"
#include "base/FileSystem.h"

namespace pathwright {

// How long a write waits for another Pathwright program that holds the sheet's lock.
inline constexpr std::chrono::milliseconds kSheetLockWait{5000};

// How often an update builds its bytes again when another program keeps changing the sheet under it;
// after the last attempt it fails with Result::Status::kContentChanged.
inline constexpr int kSheetWriteAttempts = 4;

// What the file held when an update (re)built its bytes.
struct SheetContent {
  Result read{};           // failed when the file could not be read; IsNotFound() when there is none
  std::string_view bytes{};  // the file's bytes when read
  bool known = false;      // the caller's own record of them, not read again
  bool again = false;      // read again because another program changed the file meanwhile
};

// What an update writes in place of that content.
struct Replacement {
  std::string bytes;
  bool keepOld = false;    // what stands at the path is first kept as a numbered backup
  bool nothing = false;    // nothing to write: the update ends here, successfully
  std::wstring backupPath;  // the backup made, when one was
};

// Builds the replacement from the content; a failure ends the update with nothing written.
using Rebuild = std::function<Result(const SheetContent& now, Replacement& out)>;

class SheetStore {
 public:
  explicit SheetStore(std::wstring path, std::chrono::milliseconds lockWait = kSheetLockWait)
      : m_path(std::move(path)), m_lockWait(lockWait) {}

  const std::wstring& Path() const { return m_path; }

  // The sheet's bytes. A folder, device or pipe is refused (Result::Status::kInvalid) without being
  // opened; a missing file fails with Result::IsNotFound(), one larger than kMaxSheetBytes with the
  // refusal's kind and its size.
  SheetLoad Read(std::string& bytes) const;

  // Replaces the sheet with what `rebuild` makes of it, holding the sheet's lock from before the
  // read to after the write (another Pathwright program waits for it at most the lock wait). The
  // first build starts from `known`, the caller's record of the file's bytes, when given; otherwise
  // from the file as read now. When the file no longer holds that content at the replace, it is read
  // again and rebuilt, up to kSheetWriteAttempts builds in all. The old file survives any failure.
  Result Update(const std::string* known, const Rebuild& rebuild, Replacement& out);

 private:
  std::wstring m_path;
  std::chrono::milliseconds m_lockWait;
};

}  // namespace pathwright
