// The names the file layer makes beside a target, one definition for the POSIX and Win32 sides.
#pragma once

#include <chrono>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>

namespace pathwright::file_names {

// A temporary file is "<target name>.pathwright-" and six lower-case letters or digits.
inline constexpr char kTemporaryMarker[] = ".pathwright-";
inline constexpr size_t kTemporaryRandomLength = 6;
inline constexpr char kTemporaryAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

// Older than this, a temporary file of a target is left from a killed run and is removed.
inline constexpr auto kStaleTemporaryAge = std::chrono::hours(1);

// How often a lock held by another process is tried again while waiting for it.
inline constexpr auto kLockRetryPause = std::chrono::milliseconds(5);

// ASCII text in either character type.
template <typename Char>
std::basic_string<Char> Ascii(std::string_view text) {
  return std::basic_string<Char>(text.begin(), text.end());
}

template <typename Char>
std::basic_string<Char> TemporarySuffix() {
  static std::mt19937 engine{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kTemporaryAlphabet - 2);
  std::basic_string<Char> suffix = Ascii<Char>(kTemporaryMarker);
  for (size_t i = 0; i < kTemporaryRandomLength; ++i) suffix += static_cast<Char>(kTemporaryAlphabet[pick(engine)]);
  return suffix;
}

// Whether `name` (a bare file name) is one of the temporary files of the target named `target`.
template <typename Char>
bool IsTemporaryNameOf(std::basic_string_view<Char> name, std::basic_string_view<Char> target) {
  const size_t markerLength = sizeof kTemporaryMarker - 1;
  if (name.size() != target.size() + markerLength + kTemporaryRandomLength) return false;
  if (name.substr(0, target.size()) != target) return false;
  for (size_t i = 0; i < markerLength; ++i) {
    if (name[target.size() + i] != static_cast<Char>(kTemporaryMarker[i])) return false;
  }
  for (const Char c : name.substr(target.size() + markerLength)) {
    const auto code = static_cast<std::make_unsigned_t<Char>>(c);
    if (code > 0x7F || std::string_view(kTemporaryAlphabet).find(static_cast<char>(code)) == std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// The n-th backup name of a file: "<path>.bak", then "<path>.bak.2", "<path>.bak.3"...
template <typename Char>
std::basic_string<Char> BackupName(const std::basic_string<Char>& path, int n) {
  return path + Ascii<Char>(n > 1 ? ".bak." + std::to_string(n) : std::string(".bak"));
}

// The lock file of a target on Windows: "<target name>.pathwright-lock", never a temporary name.
inline constexpr char kLockSuffix[] = ".pathwright-lock";

// The most backups of one file looked through for a free name.
inline constexpr int kMaxBackups = 10000;

}  // namespace pathwright::file_names
