#include "ui/UiLanguage.h"

#include "lang/TextFormat.h"
#include "win/LanguageManager.h"

namespace pathwright {

std::wstring UiText(uint32_t number) { return LanguageManager().GetText(number); }

std::wstring UiFormat(uint32_t number, const std::wstring& argument) {
  const std::wstring format = UiText(number);
  return format.empty() ? argument : FormatWithString(format, argument);
}

void UiTranslate(HWND dialog) { LanguageManager().TranslateWindow(dialog); }

}  // namespace pathwright
