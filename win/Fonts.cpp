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
  // Smoothed, a bold face this small thins to one-pixel strokes and reads as regular; whole pixels
  // keep it bold, as the regular text beside it is drawn at that size anyway.
  constexpr LONG kSmoothedFrom = 16;  // pixels: 150 percent of the usual dialog font
  const LONG height = ::MulDiv(bold.lfHeight < 0 ? -bold.lfHeight : bold.lfHeight,
                               static_cast<int>(toDpi ? toDpi : 96), static_cast<int>(fromDpi ? fromDpi : 96));
  if (height < kSmoothedFrom) bold.lfQuality = NONANTIALIASED_QUALITY;
  if (fromDpi && toDpi && fromDpi != toDpi) {
    bold.lfHeight = ::MulDiv(bold.lfHeight, static_cast<int>(toDpi), static_cast<int>(fromDpi));
    bold.lfWidth = ::MulDiv(bold.lfWidth, static_cast<int>(toDpi), static_cast<int>(fromDpi));
  }
  return UniqueFont(::CreateFontIndirectW(&bold));
}

}  // namespace pathwright
