#include "win/Fonts.h"

namespace pathwright {

UniqueFont CreateBoldGuiFont() {
  LOGFONTW description = {};
  if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description)) return UniqueFont();
  description.lfWeight = FW_BOLD;
  return UniqueFont(::CreateFontIndirectW(&description));
}

}  // namespace pathwright
