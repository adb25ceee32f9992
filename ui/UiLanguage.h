// What the dialogs need from the language manager: the text of a text number, a message made from
// a text with one "%s", and the translation of a dialog's numbered captions when it opens.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace pathwright {

// The loaded language's text for `number`; empty when it has none (or nothing is loaded).
std::wstring UiText(uint32_t number);

// The text for `number` with `argument` for its "%s"; the argument alone when no language has a text
// for it, so the message still says which file or folder it is about.
std::wstring UiFormat(uint32_t number, const std::wstring& argument);

// Replaces the numbered captions of a dialog that opens.
void UiTranslate(HWND dialog);

}  // namespace pathwright
