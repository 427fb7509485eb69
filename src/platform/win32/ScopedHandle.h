// One owner for every kind of handle the Win32 layers hold: move-only, and
// the handle is released exactly once, when its owner goes. Each kind's
// traits say what "no handle" is and how one is released; they are all here,
// so that nothing else releases a handle by hand, but for the two internet
// libraries' handles, whose headers cannot be included together: the URL
// cache's find handle (Win32UrlCache.cpp) and WinHTTP's (Win32Http.cpp).
#pragma once

#include <windows.h>
#include <userenv.h>

#include <utility>

namespace platform::win32 {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  // `traits` carries what a release needs besides the handle (the window of a
  // GetDC, the DC of a selection); most kinds need nothing.
  explicit ScopedHandle(Handle handle, Traits traits = {}) : handle_(handle), traits_(traits) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Take()), traits_(other.traits_) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      traits_ = other.traits_;
      handle_ = other.Take();
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool valid() const { return handle_ != Traits::None(); }
  Handle get() const { return handle_; }
  // Gives the handle up unreleased, to an owner outside (a menu taking its
  // submenu); whoever takes it must keep it, or it leaks.
  [[nodiscard]] Handle Take() { return std::exchange(handle_, Traits::None()); }
  // Releases the handle held and keeps `handle` instead.
  void Reset(Handle handle = Traits::None()) {
    Close();
    handle_ = handle;
  }

 private:
  void Close() {
    if (valid()) traits_.Close(handle_);
  }

  Handle handle_ = Traits::None();
  Traits traits_;
};

// A kind that is null when there is none and is released by one call.
template <typename H, auto Release>
struct ReleasedBy {
  using Handle = H;
  static H None() { return nullptr; }
  static void Close(H handle) { Release(handle); }
};

// Kernel objects that are null when missing: mutexes, tokens.
using KernelObjectTraits = ReleasedBy<HANDLE, CloseHandle>;
using RegKeyTraits = ReleasedBy<HKEY, RegCloseKey>;
// Pens, brushes, fonts and bitmaps that we made. One must not be selected
// into a DC when it goes: declare its owner before the selection's.
template <typename Object>
using GdiObjectTraits = ReleasedBy<Object, DeleteObject>;
// A DC of our own (CreateCompatibleDC).
using MemoryDcTraits = ReleasedBy<HDC, DeleteDC>;
using MenuTraits = ReleasedBy<HMENU, DestroyMenu>;
// Icons loaded without LR_SHARED; shared ones belong to the system.
using IconTraits = ReleasedBy<HICON, DestroyIcon>;
using HookTraits = ReleasedBy<HHOOK, UnhookWindowsHookEx>;
using WindowTraits = ReleasedBy<HWND, DestroyWindow>;
// Memory the system allocated for us with LocalAlloc (argument lists, SID
// texts, security descriptors).
template <typename Memory>
using LocalMemoryTraits = ReleasedBy<Memory, LocalFree>;

// An environment block the system made for a user (CreateEnvironmentBlock).
using EnvironmentBlockTraits = ReleasedBy<void*, DestroyEnvironmentBlock>;

// A mutex this thread owns: released, then closed. Released from another
// thread, ReleaseMutex fails and the mutex stays owned until the owning
// thread ends, when Windows marks it abandoned.
struct OwnedMutexTraits {
  using Handle = HANDLE;
  static HANDLE None() { return nullptr; }
  static void Close(HANDLE h) {
    ReleaseMutex(h);
    CloseHandle(h);
  }
};

// A private namespace, closed (not destroyed: the others of its user still
// use it) when its owner goes; and the boundary descriptor it was made with.
struct PrivateNamespaceTraits {
  using Handle = HANDLE;
  static HANDLE None() { return nullptr; }
  static void Close(HANDLE h) { ClosePrivateNamespace(h, 0); }
};
using BoundaryDescriptorTraits = ReleasedBy<HANDLE, DeleteBoundaryDescriptor>;

// Files and file searches, which the system answers with
// INVALID_HANDLE_VALUE, not null, when it gives none.
struct FileTraits {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

struct FindFileTraits {
  using Handle = HANDLE;
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

template <typename Interface>
struct ComTraits {
  using Handle = Interface*;
  static Interface* None() { return nullptr; }
  static void Close(Interface* object) { object->Release(); }
};

// A window's DC, borrowed with GetDC and given back to that window.
struct WindowDcTraits {
  using Handle = HDC;
  HWND window = nullptr;
  static HDC None() { return nullptr; }
  void Close(HDC dc) const { ReleaseDC(window, dc); }
};

// What a selection into `dc` replaced, selected back when the owner goes.
struct SelectionTraits {
  using Handle = HGDIOBJ;
  HDC dc = nullptr;
  static HGDIOBJ None() { return nullptr; }
  void Close(HGDIOBJ replaced) const { SelectObject(dc, replaced); }
};

using ScopedKernelObject = ScopedHandle<KernelObjectTraits>;
using ScopedFile = ScopedHandle<FileTraits>;
using ScopedRegKey = ScopedHandle<RegKeyTraits>;
template <typename Object>
using ScopedGdiObject = ScopedHandle<GdiObjectTraits<Object>>;
using ScopedMenu = ScopedHandle<MenuTraits>;
using ScopedWindow = ScopedHandle<WindowTraits>;
template <typename Memory>
using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits<Memory>>;

// The DC of `window` (the screen's for null) until the owner goes.
inline ScopedHandle<WindowDcTraits> WindowDc(HWND window) {
  return ScopedHandle<WindowDcTraits>(GetDC(window), WindowDcTraits{window});
}

// `object` selected into `dc` until the owner goes.
inline ScopedHandle<SelectionTraits> Select(HDC dc, HGDIOBJ object) {
  return ScopedHandle<SelectionTraits>(SelectObject(dc, object), SelectionTraits{dc});
}

}  // namespace platform::win32
