// The names the file layer makes beside a target.
#pragma once

#include <chrono>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace pathwright::file_names {

// A temporary file is "<target name>.pathwright-temp-" and eight lower-case hexadecimal digits: a name
// no one gives a file of their own, so that the clean-up may remove what has it, and only that.
inline constexpr std::wstring_view kTemporaryMarker = L".pathwright-temp-";
// The whole copy of a file rewritten in place is "<target name>.pathwright-copy-" and eight such digits.
// It is removed once the rewrite is done; after a crash it may be the only whole copy and is left alone.
inline constexpr std::wstring_view kCopyMarker = L".pathwright-copy-";
inline constexpr size_t kTemporaryRandomLength = 8;
inline constexpr std::wstring_view kTemporaryAlphabet = L"0123456789abcdef";

// Older than this, a temporary file of a target is left from a killed run and is removed even by a
// writer that does not hold the target's lock. One that holds it removes them whatever their age.
inline constexpr auto kStaleTemporaryAge = std::chrono::hours(1);

// How often a lock held by another process is tried again while waiting for it.
inline constexpr auto kLockRetryPause = std::chrono::milliseconds(5);

// The lock file of a target, "<target name>.pathwright-lock": it exists before the target does, so
// that the making of a new file is under the same lock as every edit. Never a temporary name.
inline constexpr std::wstring_view kLockSuffix = L".pathwright-lock";

// The most backups of one file looked through for a free name.
inline constexpr int kMaxBackups = 10000;

inline std::wstring RandomSuffix(std::wstring_view marker = kTemporaryMarker) {
  // One engine per thread: saves on two threads never share its state.
  thread_local std::mt19937 engine{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, kTemporaryAlphabet.size() - 1);
  std::wstring suffix(marker);
  for (size_t i = 0; i < kTemporaryRandomLength; ++i) suffix += kTemporaryAlphabet[pick(engine)];
  return suffix;
}

// Whether `name` (a bare file name) is one of the temporary files of the target named `target`.
inline bool IsTemporaryNameOf(std::wstring_view name, std::wstring_view target) {
  if (name.size() != target.size() + kTemporaryMarker.size() + kTemporaryRandomLength) return false;
  if (!name.starts_with(target) || name.substr(target.size(), kTemporaryMarker.size()) != kTemporaryMarker)
    return false;
  const std::wstring_view random = name.substr(target.size() + kTemporaryMarker.size());
  return random.find_first_not_of(kTemporaryAlphabet) == std::wstring_view::npos;
}

// The n-th backup name of a file: "<path>.bak", then "<path>.bak.2", "<path>.bak.3"...
inline std::wstring BackupName(const std::wstring& path, int n) {
  return path + (n > 1 ? L".bak." + std::to_wstring(n) : std::wstring(L".bak"));
}

}  // namespace pathwright::file_names
