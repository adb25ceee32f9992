// How large a file the program reads at most. Real sheets and projects are kilobytes; the bounds keep
// a huge or sparse file from taking all the memory there is, and the user is told its size instead.
// A file of exactly the bound is read.
#pragma once

#include <cstddef>

namespace pathwright {

inline constexpr size_t kMaxSheetBytes = size_t{64} << 20;
inline constexpr size_t kMaxProjectBytes = size_t{64} << 20;

}  // namespace pathwright
