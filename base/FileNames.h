// The names the file layer makes beside a target.
#pragma once

#include <chrono>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace pathwright::file_names {

// A temporary file is "<target name>.pathwright-" and six lower-case letters or digits.
inline constexpr std::wstring_view kTemporaryMarker = L".pathwright-";
inline constexpr size_t kTemporaryRandomLength = 6;
inline constexpr std::wstring_view kTemporaryAlphabet = L"abcdefghijklmnopqrstuvwxyz0123456789";

// Older than this, a temporary file of a target is left from a killed run and is removed.
inline constexpr auto kStaleTemporaryAge = std::chrono::hours(1);

// How often a lock held by another process is tried again while waiting for it.
inline constexpr auto kLockRetryPause = std::chrono::milliseconds(5);

// The lock file of a target on Windows: "<target name>.pathwright-lock", never a temporary name.
inline constexpr std::wstring_view kLockSuffix = L".pathwright-lock";

// The most backups of one file looked through for a free name.
inline constexpr int kMaxBackups = 10000;

inline std::wstring TemporarySuffix() {
  // One engine per thread: saves on two threads never share its state.
  thread_local std::mt19937 engine{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, kTemporaryAlphabet.size() - 1);
  std::wstring suffix(kTemporaryMarker);
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
