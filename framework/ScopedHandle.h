// One move-only owner for every kind of handle the tool acquires (registry keys, files, GDI objects,
// kernel handles). Copying is deleted so a handle can never be closed twice. The template and the
// FILE* owner are platform-free, so the package tool and the native tests use the same owner.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>

namespace zr {

template <class Traits>
class ScopedHandle {
  public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : m_handle(handle) {}
    ~ScopedHandle() { reset(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }

    bool IsValid() const { return Traits::IsValid(m_handle); }
    explicit operator bool() const { return IsValid(); }
    Handle get() const { return m_handle; }

    // Closes the current handle, if any, and takes ownership of the new one. The caller's last error
    // survives, so a failing call can be reported after its handle was released.
    void reset(Handle handle = Traits::Null()) {
        if (handle == m_handle)
            return;
        if (Traits::IsValid(m_handle)) {
#ifdef _WIN32
            const DWORD lastError = ::GetLastError();
            Traits::Close(m_handle);
            ::SetLastError(lastError);
#else
            Traits::Close(m_handle);
#endif
        }
        m_handle = handle;
    }

    // Gives up ownership without closing.
    [[nodiscard]] Handle release() {
        Handle handle = m_handle;
        m_handle = Traits::Null();
        return handle;
    }

    // For APIs that return a handle through an out parameter: any held handle is closed first.
    Handle* receive() {
        reset();
        return &m_handle;
    }

  private:
    Handle m_handle = Traits::Null();
};

// The traits of a handle that null alone marks as none; the derived traits give Close.
template <class H>
struct NullMeansNone {
    using Handle = H;
    static Handle Null() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
};

struct FileTraits : NullMeansNone<FILE*> {
    static void Close(Handle h) { std::fclose(h); }
};

using ScopedFile = ScopedHandle<FileTraits>;

#ifdef _WIN32
struct RegKeyTraits : NullMeansNone<HKEY> {
    static void Close(Handle h) { ::RegCloseKey(h); }
};

template <class GdiHandle>
struct GdiObjectTraits : NullMeansNone<GdiHandle> {
    static void Close(GdiHandle h) { ::DeleteObject(h); }
};

// Kernel handles: both null and INVALID_HANDLE_VALUE mean "none", as the APIs disagree.
struct KernelHandleTraits : NullMeansNone<HANDLE> {
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct IconTraits : NullMeansNone<HICON> {
    static void Close(Handle h) { ::DestroyIcon(h); }
};

// A FindFirstFile search: INVALID_HANDLE_VALUE means none.
struct FindTraits : NullMeansNone<HANDLE> {
    static Handle Null() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};

struct ModuleTraits : NullMeansNone<HMODULE> {
    static void Close(Handle h) { ::FreeLibrary(h); }
};

using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedFont = ScopedHandle<GdiObjectTraits<HFONT>>;
using ScopedIcon = ScopedHandle<IconTraits>;
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedModule = ScopedHandle<ModuleTraits>;
using ScopedFindHandle = ScopedHandle<FindTraits>;

// A window's device context (the screen's for a null window): released to the window it came from,
// which a handle alone does not say.
class ScopedWindowDC {
  public:
    explicit ScopedWindowDC(HWND window) : m_hWnd(window), m_hDC(::GetDC(window)) {}
    ~ScopedWindowDC() {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC get() const { return m_hDC; }

  private:
    HWND m_hWnd;
    HDC m_hDC;
};
#endif  // _WIN32

}  // namespace zr
