// Owners for Win32 handles: one move-only template, the "empty" value and the release call part of
// the type, and a one-line alias per kind of handle. Releasing keeps GetLastError intact, so an
// owner going out of scope between a failing call and its error report changes nothing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace pathwright {

template <typename Traits>
class UniqueHandle {
 public:
  using Pointer = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Pointer handle) noexcept : m_handle(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Pointer Get() const noexcept { return m_handle; }
  explicit operator bool() const noexcept { return m_handle != Traits::Empty(); }

  // Gives the handle up without releasing it.
  Pointer Release() noexcept { return std::exchange(m_handle, Traits::Empty()); }

  void Reset(Pointer handle = Traits::Empty()) noexcept {
    const Pointer old = std::exchange(m_handle, handle);
    if (old != Traits::Empty()) {
      const DWORD error = ::GetLastError();
      Traits::Close(old);
      ::SetLastError(error);
    }
  }

 private:
  Pointer m_handle = Traits::Empty();
};

namespace handle_traits {
template <typename T, auto CloseFunction>
struct NullEmpty {
  using Type = T;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { CloseFunction(handle); }
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void DestroyImageList(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }
inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void DestroyWindowHandle(HWND window) noexcept { ::DestroyWindow(window); }

struct File {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { ::CloseHandle(handle); }
};
struct Find {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { ::FindClose(handle); }
};
}  // namespace handle_traits

using UniqueFont = UniqueHandle<handle_traits::NullEmpty<HFONT, handle_traits::DeleteGdiObject>>;
using UniqueBrush = UniqueHandle<handle_traits::NullEmpty<HBRUSH, handle_traits::DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<handle_traits::NullEmpty<HBITMAP, handle_traits::DeleteGdiObject>>;
using UniqueIcon = UniqueHandle<handle_traits::NullEmpty<HICON, handle_traits::DestroyIconHandle>>;
using UniqueImageList = UniqueHandle<handle_traits::NullEmpty<HIMAGELIST, handle_traits::DestroyImageList>>;
using UniqueKernelHandle = UniqueHandle<handle_traits::NullEmpty<HANDLE, handle_traits::CloseKernelHandle>>;
using UniqueWindow = UniqueHandle<handle_traits::NullEmpty<HWND, handle_traits::DestroyWindowHandle>>;
using UniqueFile = UniqueHandle<handle_traits::File>;
using UniqueFindHandle = UniqueHandle<handle_traits::Find>;

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

// Runs a one-off cleanup when the scope ends, unless dismissed.
template <typename Function>
class ScopeExit {
 public:
  explicit ScopeExit(Function function) noexcept : m_function(std::move(function)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (m_active) m_function();
  }
  void Dismiss() noexcept { m_active = false; }

 private:
  Function m_function;
  bool m_active = true;
};

}  // namespace pathwright
