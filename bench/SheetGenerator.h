// Sheets and language files of a chosen size, shaped like the real ones: what Visual Studio leaves
// in a user property sheet (configuration groups, item definitions, item lists) with the user macro
// group last, and a language file of numbered text lines.
#pragma once

#include <cstddef>
#include <string>

namespace pathwright::bench {

// A sheet of at least `bytes` bytes as Visual Studio writes it: UTF-8 with a byte-order mark,
// two-space indentation, CR LF line ends. The last unlabelled PropertyGroup holds all seven user
// macros and their path properties.
std::string GenerateSheet(size_t bytes);

// A language file of exactly `lines` lines: the two header lines and numbered texts.
std::string GenerateLanguageFile(size_t lines);

}  // namespace pathwright::bench
