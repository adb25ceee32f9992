// Owners for window and GDI handles, on top of the kernel handle owners of base/Handle.h, and the
// paired helpers for device contexts and selected objects.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <unknwn.h>

#include "base/Handle.h"

namespace pathwright {

namespace handle_traits {
inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void DestroyImageList(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }
inline void DestroyWindowHandle(HWND window) noexcept { ::DestroyWindow(window); }
inline void ReleaseComObject(IUnknown* object) noexcept { object->Release(); }
inline void CloseRegistryKey(HKEY key) noexcept { ::RegCloseKey(key); }
}  // namespace handle_traits

using UniqueFont = UniqueHandle<handle_traits::NullEmpty<HFONT, handle_traits::DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<handle_traits::NullEmpty<HBITMAP, handle_traits::DeleteGdiObject>>;
using UniqueIcon = UniqueHandle<handle_traits::NullEmpty<HICON, handle_traits::DestroyIconHandle>>;
using UniqueImageList = UniqueHandle<handle_traits::NullEmpty<HIMAGELIST, handle_traits::DestroyImageList>>;
using UniqueWindow = UniqueHandle<handle_traits::NullEmpty<HWND, handle_traits::DestroyWindowHandle>>;
using UniqueRegistryKey = UniqueHandle<handle_traits::NullEmpty<HKEY, handle_traits::CloseRegistryKey>>;
// A COM interface pointer, released once.
template <typename Interface>
using UniqueCom = UniqueHandle<handle_traits::NullEmpty<Interface*, handle_traits::ReleaseComObject>>;

// A device context taken with GetDC and given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : m_window(window), m_dc(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (m_dc) ::ReleaseDC(m_window, m_dc);
  }
  HDC Get() const noexcept { return m_dc; }
  explicit operator bool() const noexcept { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(dc ? ::SelectObject(dc, object) : nullptr) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (m_dc && m_previous) ::SelectObject(m_dc, m_previous);
  }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

}  // namespace pathwright
