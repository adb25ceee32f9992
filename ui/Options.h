// The environment substitution option: shown by check box 40001 of the main window, kept in the
// settings file, read by the list editor when a folder is picked. 0 off, 1 on.
#pragma once

namespace pathwright {

inline int g_environmentSubstitution = 1;

}  // namespace pathwright
