// Fonts the dialogs make for themselves.
#pragma once

#include "win/Handle.h"

namespace pathwright {

// A bold copy of the stock default GUI font; empty when it cannot be made.
UniqueFont CreateBoldGuiFont();

}  // namespace pathwright
