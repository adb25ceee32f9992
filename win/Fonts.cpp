#include "win/Fonts.h"

namespace pathwright {

LOGFONTW FontOf(HWND window) {
  LOGFONTW description = {};
  HGDIOBJ font = window ? reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)) : nullptr;
  if (!font || !::GetObjectW(font, sizeof(description), &description)) {
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
  }
  return description;
}

UniqueFont CreateBoldFont(const LOGFONTW& description, UINT fromDpi, UINT toDpi) {
  LOGFONTW bold = description;
  bold.lfWeight = FW_BOLD;
  if (fromDpi && toDpi && fromDpi != toDpi) {
    bold.lfHeight = ::MulDiv(bold.lfHeight, static_cast<int>(toDpi), static_cast<int>(fromDpi));
    bold.lfWidth = ::MulDiv(bold.lfWidth, static_cast<int>(toDpi), static_cast<int>(fromDpi));
  }
  return UniqueFont(::CreateFontIndirectW(&bold));
}

}  // namespace pathwright
