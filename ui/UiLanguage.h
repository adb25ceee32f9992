// What the dialogs need from the language manager: the text of a text number, and the translation
// of a dialog's numbered captions when it opens.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace pathwright {

// The loaded language's text for `number`; empty when it has none (or nothing is loaded).
std::wstring UiText(uint32_t number);

// Replaces the numbered captions of the dialog and of the dialogs translated before it.
void UiTranslate(HWND dialog);

}  // namespace pathwright
