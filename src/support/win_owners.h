#pragma once
// Move-only owners for Win32 handles, so that a leak is impossible rather than unlikely.
// Each owner knows the one "empty" value of its API and the one call that releases it.

#include <windows.h>

#include <utility>

namespace lumora {

// Owner of one handle value; Traits gives the empty value and the release call.
template <typename Traits>
class UniqueOwner {
public:
    using Handle = typename Traits::Handle;

    UniqueOwner() noexcept = default;
    explicit UniqueOwner(Handle handle) noexcept : m_handle(handle) {}
    ~UniqueOwner() { reset(); }

    UniqueOwner(UniqueOwner&& other) noexcept : m_handle(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    Handle get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return Traits::IsValid(m_handle); }

    Handle release() noexcept { return std::exchange(m_handle, Traits::Empty()); }
    void reset(Handle handle = Traits::Empty()) noexcept {
        Handle old = std::exchange(m_handle, handle);
        if (Traits::IsValid(old)) Traits::Release(old);
    }
    // For APIs that return the handle through an out parameter.
    Handle* receive() noexcept {
        reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Empty();
};

// Most handles: a creator answers failure with null, and one call releases the handle.
template <typename HandleType, auto ReleaseCall>
struct NullEmptyTraits {
    using Handle = HandleType;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Release(Handle h) noexcept { ReleaseCall(h); }
};

// Files, devices and searches: CreateFileW and FindFirstFileW answer failure with
// INVALID_HANDLE_VALUE, which is the empty value here; null is empty too.
template <auto ReleaseCall>
struct InvalidEmptyTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(Handle h) noexcept { ReleaseCall(h); }
};

// Kernel objects whose creators answer failure with null (events, mutexes, threads, processes).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(Handle h) noexcept { ::CloseHandle(h); }
};
using KernelHandle = UniqueOwner<KernelHandleTraits>;

using FileHandle = UniqueOwner<InvalidEmptyTraits<::CloseHandle>>;
using FindHandle = UniqueOwner<InvalidEmptyTraits<::FindClose>>;
using RegistryKeyHandle = UniqueOwner<NullEmptyTraits<HKEY, ::RegCloseKey>>;
using BrushHandle = UniqueOwner<NullEmptyTraits<HBRUSH, ::DeleteObject>>;
using FontHandle = UniqueOwner<NullEmptyTraits<HFONT, ::DeleteObject>>;
using PenHandle = UniqueOwner<NullEmptyTraits<HPEN, ::DeleteObject>>;
using BitmapHandle = UniqueOwner<NullEmptyTraits<HBITMAP, ::DeleteObject>>;
// Only for icons the program creates; icons from LoadIconW are shared and never destroyed.
using CreatedIconHandle = UniqueOwner<NullEmptyTraits<HICON, ::DestroyIcon>>;
using MenuHandle = UniqueOwner<NullEmptyTraits<HMENU, ::DestroyMenu>>;
// A window this program created and must destroy itself.
using WindowHandle = UniqueOwner<NullEmptyTraits<HWND, ::DestroyWindow>>;
using LibraryHandle = UniqueOwner<NullEmptyTraits<HMODULE, ::FreeLibrary>>;

// GetDC / ReleaseDC pair.
class WindowDC {
public:
    explicit WindowDC(HWND window) noexcept : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC() {
        if (m_dc) ::ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }

private:
    HWND m_window;
    HDC m_dc;
};

// CreateCompatibleDC / DeleteDC.
class MemoryDC : public UniqueOwner<NullEmptyTraits<HDC, ::DeleteDC>> {
public:
    explicit MemoryDC(HDC compatibleWith) noexcept : UniqueOwner(::CreateCompatibleDC(compatibleWith)) {}
};

// Selects an object into a DC and puts the previous one back.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectObjectGuard() {
        if (m_old) ::SelectObject(m_dc, m_old);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

}  // namespace lumora
