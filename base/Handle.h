// Owners for Win32 handles: one move-only template, the "empty" value and the release call part of
// the type, and a one-line alias per kind of handle. Releasing keeps GetLastError intact, so an
// owner going out of scope between a failing call and its error report changes nothing.
// The kernel handles live here, beside the file system code that needs them; window and GDI handles
// are added in win/Handle.h.
#pragma once

#include <windows.h>

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

inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }

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

using UniqueKernelHandle = UniqueHandle<handle_traits::NullEmpty<HANDLE, handle_traits::CloseKernelHandle>>;
using UniqueFile = UniqueHandle<handle_traits::File>;
using UniqueFindHandle = UniqueHandle<handle_traits::Find>;

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
