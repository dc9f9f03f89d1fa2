// Owners of system handles: each closes its handle exactly once, on destruction or Close. None is
// copyable; all are movable.
#pragma once
#include <objbase.h>
#include <windows.h>

// One owner per kind of handle; Traits says what counts as no handle and how one is closed.
template <typename T, typename Traits> class CHandleOwner
{
  public:
    CHandleOwner() noexcept : m_h(Traits::None())
    {
    }
    explicit CHandleOwner(T h) noexcept : m_h(h)
    {
    }
    ~CHandleOwner()
    {
        Close();
    }
    CHandleOwner(const CHandleOwner &) = delete;
    CHandleOwner &operator=(const CHandleOwner &) = delete;
    CHandleOwner(CHandleOwner &&other) noexcept : m_h(other.Detach())
    {
    }
    CHandleOwner &operator=(CHandleOwner &&other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    // Takes ownership of h, closing the handle held so far (unless it is h itself).
    void Attach(T h) noexcept
    {
        if (h != m_h)
            Close();
        m_h = h;
    }
    // Gives up ownership without closing.
    T Detach() noexcept
    {
        T h = m_h;
        m_h = Traits::None();
        return h;
    }
    void Close() noexcept
    {
        if (Traits::IsValid(m_h))
            Traits::Close(m_h);
        m_h = Traits::None();
    }
    bool IsValid() const noexcept
    {
        return Traits::IsValid(m_h);
    }
    T Get() const noexcept
    {
        return m_h;
    }
    operator T() const noexcept
    {
        return m_h;
    }

  private:
    T m_h;
};

namespace handle_traits
{

// Kernel objects report failure as null (most creators) or as INVALID_HANDLE_VALUE (CreateFile and kin).
struct Kernel
{
    static HANDLE None()
    {
        return nullptr;
    }
    static bool IsValid(HANDLE h)
    {
        return h != nullptr && h != INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE h)
    {
        ::CloseHandle(h);
    }
};

struct Find
{
    static HANDLE None()
    {
        return INVALID_HANDLE_VALUE;
    }
    static bool IsValid(HANDLE h)
    {
        return h != nullptr && h != INVALID_HANDLE_VALUE;
    }
    static void Close(HANDLE h)
    {
        ::FindClose(h);
    }
};

template <typename T> struct GdiObject
{
    static T None()
    {
        return nullptr;
    }
    static bool IsValid(T h)
    {
        return h != nullptr;
    }
    static void Close(T h)
    {
        ::DeleteObject(h);
    }
};

struct CreatedDC
{
    static HDC None()
    {
        return nullptr;
    }
    static bool IsValid(HDC h)
    {
        return h != nullptr;
    }
    static void Close(HDC h)
    {
        ::DeleteDC(h);
    }
};

struct Module
{
    static HMODULE None()
    {
        return nullptr;
    }
    static bool IsValid(HMODULE h)
    {
        return h != nullptr;
    }
    static void Close(HMODULE h)
    {
        ::FreeLibrary(h);
    }
};

struct MappedView
{
    static void *None()
    {
        return nullptr;
    }
    static bool IsValid(void *p)
    {
        return p != nullptr;
    }
    static void Close(void *p)
    {
        ::UnmapViewOfFile(p);
    }
};

struct RegKey
{
    static HKEY None()
    {
        return nullptr;
    }
    // The predefined roots (HKEY_CLASSES_ROOT ...) are not opened by us and are never closed.
    static bool IsValid(HKEY h)
    {
        ULONG_PTR value = reinterpret_cast<ULONG_PTR>(h);
        return h != nullptr && !(value >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
                                 value <= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) + 0xFF);
    }
    static void Close(HKEY h)
    {
        ::RegCloseKey(h);
    }
};

struct Icon
{
    static HICON None()
    {
        return nullptr;
    }
    static bool IsValid(HICON h)
    {
        return h != nullptr;
    }
    static void Close(HICON h)
    {
        ::DestroyIcon(h);
    }
};

struct GlobalMemory
{
    static HGLOBAL None()
    {
        return nullptr;
    }
    static bool IsValid(HGLOBAL h)
    {
        return h != nullptr;
    }
    static void Close(HGLOBAL h)
    {
        ::GlobalFree(h);
    }
};

struct LocalMemory
{
    static HLOCAL None()
    {
        return nullptr;
    }
    static bool IsValid(HLOCAL h)
    {
        return h != nullptr;
    }
    static void Close(HLOCAL h)
    {
        ::LocalFree(h);
    }
};

} // namespace handle_traits

// Files, events, mutexes, threads, mappings...: null and INVALID_HANDLE_VALUE both count as none.
using CKernelHandle = CHandleOwner<HANDLE, handle_traits::Kernel>;
// FindFirstFile's search handle.
using CFindHandle = CHandleOwner<HANDLE, handle_traits::Find>;
// Pens, brushes, fonts, bitmaps, regions, palettes: CGdiObjectOwner<HBITMAP> and so on.
template <typename T> using CGdiObjectOwner = CHandleOwner<T, handle_traits::GdiObject<T>>;
// A DC made by CreateDC or CreateCompatibleDC.
using CDCOwner = CHandleOwner<HDC, handle_traits::CreatedDC>;
// LoadLibrary's module.
using CModuleOwner = CHandleOwner<HMODULE, handle_traits::Module>;
// MapViewOfFile's view.
using CMappedView = CHandleOwner<void *, handle_traits::MappedView>;
using CRegKeyOwner = CHandleOwner<HKEY, handle_traits::RegKey>;
// An icon or cursor made by CreateIcon*, CopyIcon, ExtractIcon or LoadImage without LR_SHARED.
using CIconOwner = CHandleOwner<HICON, handle_traits::Icon>;
using CGlobalMemory = CHandleOwner<HGLOBAL, handle_traits::GlobalMemory>;
using CLocalMemory = CHandleOwner<HLOCAL, handle_traits::LocalMemory>;

// A DC of a window (GetDC or GetWindowDC), given back with ReleaseDC.
class CWindowDCOwner
{
  public:
    CWindowDCOwner() noexcept : m_hWnd(nullptr), m_hDC(nullptr)
    {
    }
    // GetDC(hWnd); null hWnd gives the screen's DC.
    explicit CWindowDCOwner(HWND hWnd) noexcept : m_hWnd(hWnd), m_hDC(::GetDC(hWnd))
    {
    }
    CWindowDCOwner(HWND hWnd, HDC hDC) noexcept : m_hWnd(hWnd), m_hDC(hDC)
    {
    }
    ~CWindowDCOwner()
    {
        Release();
    }
    CWindowDCOwner(const CWindowDCOwner &) = delete;
    CWindowDCOwner &operator=(const CWindowDCOwner &) = delete;
    CWindowDCOwner(CWindowDCOwner &&other) noexcept : m_hWnd(other.m_hWnd), m_hDC(other.Detach())
    {
    }
    CWindowDCOwner &operator=(CWindowDCOwner &&other) noexcept
    {
        if (this != &other)
        {
            HWND hWnd = other.m_hWnd;
            Attach(hWnd, other.Detach());
        }
        return *this;
    }

    void Attach(HWND hWnd, HDC hDC) noexcept
    {
        if (hDC != m_hDC)
            Release();
        m_hWnd = hWnd;
        m_hDC = hDC;
    }
    HDC Detach() noexcept
    {
        HDC hDC = m_hDC;
        m_hDC = nullptr;
        m_hWnd = nullptr;
        return hDC;
    }
    void Release() noexcept
    {
        if (m_hDC != nullptr)
            ::ReleaseDC(m_hWnd, m_hDC);
        m_hDC = nullptr;
        m_hWnd = nullptr;
    }
    bool IsValid() const noexcept
    {
        return m_hDC != nullptr;
    }
    HDC Get() const noexcept
    {
        return m_hDC;
    }
    operator HDC() const noexcept
    {
        return m_hDC;
    }

  private:
    HWND m_hWnd;
    HDC m_hDC;
};

// COM for the lifetime of a scope on the calling thread; CoUninitialize balances only a call that
// succeeded (S_FALSE included: COM was already running on this thread and counts one more user).
class CCoInitialize
{
  public:
    // Single-threaded apartment.
    CCoInitialize() noexcept : m_hr(::CoInitialize(nullptr))
    {
    }
    explicit CCoInitialize(DWORD dwCoInit) noexcept : m_hr(::CoInitializeEx(nullptr, dwCoInit))
    {
    }
    ~CCoInitialize()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CCoInitialize(const CCoInitialize &) = delete;
    CCoInitialize &operator=(const CCoInitialize &) = delete;

    HRESULT GetResult() const noexcept
    {
        return m_hr;
    }
    bool Succeeded() const noexcept
    {
        return SUCCEEDED(m_hr);
    }

  private:
    HRESULT m_hr;
};
