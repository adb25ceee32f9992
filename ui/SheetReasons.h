// Why a sheet could not be read, in the user's language: the refusal's kind worded by its text
// number, with its facts put in.
#pragma once

#include <string>

#include "model/SheetRefusal.h"

namespace pathwright {

// The reason in the loaded language; the reader's own English reason for a kind without a text, or
// while no language has one, so that nothing the reader said is lost.
std::wstring ReasonText(const SheetLoad& loaded);

}  // namespace pathwright
