// A web link drawn over an existing static control: the label underlined in the link colour, a hand
// cursor and a tool tip with the address over it, a focus rectangle while it has the keyboard focus,
// and a click, Enter or Space opening the address in the user's browser.
#pragma once

#include <windows.h>

#include <string>

#include "win/Handle.h"

namespace pathwright {

// Opens an address; the answer is ShellExecuteW's (greater than 32 when the shell opened it).
using LinkOpener = INT_PTR (*)(const std::wstring& target);

// Puts another opener in force for its lifetime (tests: no browser may start).
class LinkOpenerOverride {
 public:
  explicit LinkOpenerOverride(LinkOpener opener);
  LinkOpenerOverride(const LinkOpenerOverride&) = delete;
  LinkOpenerOverride& operator=(const LinkOpenerOverride&) = delete;
  ~LinkOpenerOverride();

 private:
  LinkOpener m_previous;
};

class CHyperLink {
 public:
  static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
  static constexpr COLORREF kVisitedColour = RGB(128, 0, 128);

  CHyperLink() = default;
  CHyperLink(const CHyperLink&) = delete;
  CHyperLink& operator=(const CHyperLink&) = delete;
  ~CHyperLink();

  void SetLabel(const std::wstring& label);
  void SetHyperLink(const std::wstring& target);

  // Takes over the static: it becomes clickable and is drawn as the link from now on. False when
  // the link already has a static or the window is none.
  bool SubclassWindow(HWND window);
  // Gives the static back as it was; the link keeps its label and target. A static that is
  // destroyed lets go of its link by itself.
  void UnsubclassWindow();

 private:
  // Where the label is drawn, in the static's client coordinates.
  RECT LabelRect() const;
  // Opens the target; on success the link turns visited and is redrawn.
  bool Navigate();
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  void Paint(HDC dc);
  void MakeLinkFont();
  void MeasureInk();
  void UpdateToolTip();
  bool IsOverLabel(POINT clientPoint) const;

  HWND m_hWnd = nullptr;
  UniqueWindow m_toolTip;
  std::wstring m_label;
  std::wstring m_target;
  HFONT m_normalFont = nullptr;  // the static's own font, not owned
  UniqueFont m_linkFont;         // underlined copy of it
  LONG m_addedStyle = 0;         // SS_NOTIFY when the link had to add it
  LONG m_inkWidth = 0;           // how far the label's glyphs reach; 0: not measured
  bool m_visited = false;
  bool m_pressed = false;
};

}  // namespace pathwright
