#include "ui/UiLanguage.h"

#include "win/LanguageManager.h"

namespace pathwright {

std::wstring UiText(uint32_t number) { return LanguageManager().GetText(number); }

void UiTranslate(HWND dialog) { LanguageManager().TranslateWindow(dialog); }

}  // namespace pathwright
