#pragma once
// RAII owners for the Windows handle kinds the program uses. Each kind has one
// traits struct; ScopedHandle<Traits> does the owning.
#include <windows.h>
#include <cstdio>
#include <utility>

template <typename Traits>
class ScopedHandle {
public:
    using Type = typename Traits::Type;

    ScopedHandle() noexcept = default;
    explicit ScopedHandle(Type h) noexcept : h_(Normalise(h)) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& o) noexcept : h_(o.release()) {}
    ScopedHandle& operator=(ScopedHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    Type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Type(); }
    Type release() noexcept { return std::exchange(h_, Type()); }
    void reset(Type h = Type()) noexcept {
        Type old = std::exchange(h_, Normalise(h));
        if (old != Type()) Traits::Close(old);
    }
    // For APIs that return the handle through an out pointer.
    Type* put() noexcept { reset(); return &h_; }

private:
    static Type Normalise(Type h) noexcept { return Traits::IsEmpty(h) ? Type() : h; }
    Type h_ = Type();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    // CreateFile reports failure as INVALID_HANDLE_VALUE, most others as null.
    static bool IsEmpty(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static bool IsEmpty(HKEY h) { return h == nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static bool IsEmpty(HGDIOBJ h) { return h == nullptr; }
    static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static bool IsEmpty(HDC h) { return h == nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static bool IsEmpty(HMODULE h) { return h == nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
struct FindTraits {
    using Type = HANDLE;
    static bool IsEmpty(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static bool IsEmpty(HGLOBAL h) { return h == nullptr; }
    static void Close(HGLOBAL h) { ::GlobalFree(h); }
};
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static bool IsEmpty(HLOCAL h) { return h == nullptr; }
    static void Close(HLOCAL h) { ::LocalFree(h); }
};
struct IconTraits {
    using Type = HICON;
    static bool IsEmpty(HICON h) { return h == nullptr; }
    static void Close(HICON h) { ::DestroyIcon(h); }
};
struct CursorTraits {
    using Type = HCURSOR;
    static bool IsEmpty(HCURSOR h) { return h == nullptr; }
    static void Close(HCURSOR h) { ::DestroyCursor(h); }
};

struct MenuTraits {
    using Type = HMENU;
    static bool IsEmpty(HMENU h) { return h == nullptr; }
    static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct StdioFileTraits {
    using Type = FILE*;
    static bool IsEmpty(FILE* f) { return f == nullptr; }
    static void Close(FILE* f) { std::fclose(f); }
};

using KernelHandle = ScopedHandle<KernelHandleTraits>;
using RegKey = ScopedHandle<RegKeyTraits>;
using MemoryDc = ScopedHandle<MemoryDcTraits>;
using ModuleHandle = ScopedHandle<ModuleTraits>;
using FindHandle = ScopedHandle<FindTraits>;
using GlobalMemory = ScopedHandle<GlobalMemoryTraits>;
using LocalMemory = ScopedHandle<LocalMemoryTraits>;
using IconHandle = ScopedHandle<IconTraits>;
using CursorHandle = ScopedHandle<CursorTraits>;
using MenuHandle = ScopedHandle<MenuTraits>;
using StdioFile = ScopedHandle<StdioFileTraits>;

// GDI objects (bitmaps, fonts, regions, pens, brushes), typed for convenience.
template <typename T>
class GdiObject : public ScopedHandle<GdiObjectTraits> {
public:
    GdiObject() noexcept = default;
    explicit GdiObject(T h) noexcept : ScopedHandle<GdiObjectTraits>(h) {}
    T get() const noexcept { return static_cast<T>(ScopedHandle<GdiObjectTraits>::get()); }
    T release() noexcept { return static_cast<T>(ScopedHandle<GdiObjectTraits>::release()); }
};
using BitmapHandle = GdiObject<HBITMAP>;
using FontHandle = GdiObject<HFONT>;
using RegionHandle = GdiObject<HRGN>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;

// A device context obtained with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() { if (dc_) ::ReleaseDC(hwnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
private:
    HWND hwnd_;
    HDC dc_;
};

// Selects a GDI object into a DC for the lifetime of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~SelectGuard() { if (old_) ::SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

// Owner of one reference to a COM interface (IStream and friends).
template <typename T>
class ComRef {
public:
    ComRef() noexcept = default;
    explicit ComRef(T* p) noexcept : p_(p) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComRef& operator=(ComRef&& o) noexcept { if (this != &o) { reset(); p_ = std::exchange(o.p_, nullptr); } return *this; }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T** put() noexcept { reset(); return &p_; }
    void reset() noexcept { if (p_) { p_->Release(); p_ = nullptr; } }
private:
    T* p_ = nullptr;
};

// RAII owner of a CRITICAL_SECTION and its scoped lock.
class CriticalSection {
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&cs_); }
    ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() noexcept { ::EnterCriticalSection(&cs_); }
    void Leave() noexcept { ::LeaveCriticalSection(&cs_); }
private:
    CRITICAL_SECTION cs_;
};
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& cs) noexcept : cs_(cs) { cs_.Enter(); }
    ~CriticalSectionLock() { cs_.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
private:
    CriticalSection& cs_;
};
