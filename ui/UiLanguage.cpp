#include "ui/UiLanguage.h"

#include "lang/LanguageManager.h"

namespace pathwright {

std::wstring UiText(uint32_t number) { return LanguageManager().GetText(number); }

void UiTranslate(HWND dialog) { LanguageManager().TranslateWindow(dialog); }

}  // namespace pathwright
