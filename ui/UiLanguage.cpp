// Until a language is loaded there are no texts: captions keep their numbers and looked-up texts
// are empty.
#include "ui/UiLanguage.h"

namespace pathwright {

std::wstring UiText(uint32_t) { return {}; }

void UiTranslate(HWND) {}

}  // namespace pathwright
