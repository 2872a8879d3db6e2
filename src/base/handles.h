#pragma once
// Move-only owners for Windows handles, each released the way it was
// obtained, on every path, by construction.

#include <windows.h>

#include <utility>

template <class H, auto Close, H Invalid = H{}>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  H get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Invalid; }
  H release() noexcept { return std::exchange(handle_, Invalid); }
  void reset(H handle = Invalid) noexcept {
    if (handle_ != Invalid) Close(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = Invalid;
};

namespace handle_detail {
inline void close_handle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void delete_object(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void delete_dc(HDC h) noexcept { ::DeleteDC(h); }
inline void reg_close(HKEY h) noexcept { ::RegCloseKey(h); }
inline void global_free(HGLOBAL h) noexcept { ::GlobalFree(h); }
inline void destroy_menu(HMENU h) noexcept { ::DestroyMenu(h); }
inline void destroy_accel(HACCEL h) noexcept { ::DestroyAcceleratorTable(h); }
inline void free_library(HMODULE h) noexcept { ::FreeLibrary(h); }
}  // namespace handle_detail

using UniqueHandleObject = UniqueHandle<HANDLE, handle_detail::close_handle>;
// CreateFileW signals failure with INVALID_HANDLE_VALUE, not null.
class UniqueFile {
 public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE h) noexcept : h_(h) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  UniqueFile(UniqueFile&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
  UniqueFile& operator=(UniqueFile&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  ~UniqueFile() { reset(); }
  HANDLE get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE release() noexcept { return std::exchange(h_, INVALID_HANDLE_VALUE); }
  void reset() noexcept {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

class UniqueFind {
 public:
  explicit UniqueFind(HANDLE h) noexcept : h_(h) {}
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;
  ~UniqueFind() {
    if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
  }
  HANDLE get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

template <class T>
using UniqueGdi = UniqueHandle<T, handle_detail::delete_object>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueMemoryDc = UniqueHandle<HDC, handle_detail::delete_dc>;
using UniqueKey = UniqueHandle<HKEY, handle_detail::reg_close>;
using UniqueGlobal = UniqueHandle<HGLOBAL, handle_detail::global_free>;
using UniqueMenu = UniqueHandle<HMENU, handle_detail::destroy_menu>;
using UniqueAccel = UniqueHandle<HACCEL, handle_detail::destroy_accel>;
using UniqueLibrary = UniqueHandle<HMODULE, handle_detail::free_library>;

// GetDC is paired with ReleaseDC, never DeleteDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint is paired with EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { ::EndPaint(window_, &ps_); }
  HDC get() const noexcept { return dc_; }
  const RECT& area() const noexcept { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Puts the previously selected object back when it goes out of scope.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  ~SelectObjectScope() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Painting through a memory bitmap of the window's client size (at least one
// pixel each way), copied to the target when the scope ends: a window that is
// repainted often (a key typed, a caret moved) then never shows half a paint.
// Without the bitmap (out of GDI resources) nothing is painted at all.
class BufferedDc {
 public:
  BufferedDc(HDC target, int width, int height) noexcept
      : target_(target),
        width_(width < 1 ? 1 : width),
        height_(height < 1 ? 1 : height),
        memory_(::CreateCompatibleDC(target)),
        bitmap_(memory_ ? ::CreateCompatibleBitmap(target, width_, height_) : nullptr),
        old_(bitmap_ ? ::SelectObject(memory_.get(), bitmap_.get()) : nullptr) {}
  BufferedDc(const BufferedDc&) = delete;
  BufferedDc& operator=(const BufferedDc&) = delete;
  ~BufferedDc() {
    if (!bitmap_) return;
    ::BitBlt(target_, 0, 0, width_, height_, memory_.get(), 0, 0, SRCCOPY);
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(memory_.get(), old_);
  }
  explicit operator bool() const noexcept { return bitmap_.get() != nullptr; }
  HDC get() const noexcept { return memory_.get(); }

 private:
  HDC target_;
  int width_;
  int height_;
  UniqueMemoryDc memory_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_;
};
