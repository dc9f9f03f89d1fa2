// CComPtr: the owner of one reference to a COM interface, released exactly once. Unlike the compiler's
// _com_ptr_t it never raises: every call that can fail returns its HRESULT.
#pragma once
#include <objbase.h>

#include <memory>
#include <utility>

template <class T> class CComPtr
{
  public:
    CComPtr() noexcept : p(nullptr)
    {
    }
    // Takes a reference of its own.
    CComPtr(T *lp) noexcept : p(lp)
    {
        if (p != nullptr)
            p->AddRef();
    }
    CComPtr(const CComPtr &other) noexcept : CComPtr(other.p)
    {
    }
    CComPtr(CComPtr &&other) noexcept : p(other.Detach())
    {
    }
    ~CComPtr()
    {
        Release();
    }
    CComPtr &operator=(const CComPtr &other) noexcept
    {
        CComPtr copy(other);
        std::swap(p, copy.p);
        return *this;
    }
    CComPtr &operator=(CComPtr &&other) noexcept
    {
        // Not &other: that is the out-parameter address, which releases what other holds.
        if (this != std::addressof(other))
            Attach(other.Detach());
        return *this;
    }

    operator T *() const noexcept
    {
        return p;
    }
    T *operator->() const noexcept
    {
        return p;
    }
    // The address for an out parameter: whatever was held is released first, so no reference leaks.
    T **operator&() noexcept
    {
        Release();
        return &p;
    }
    bool operator!() const noexcept
    {
        return p == nullptr;
    }

    void Release() noexcept
    {
        T *held = p;
        p = nullptr;
        if (held != nullptr)
            held->Release();
    }
    // Takes over a reference the caller owns.
    void Attach(T *lp) noexcept
    {
        Release();
        p = lp;
    }
    T *Detach() noexcept
    {
        T *held = p;
        p = nullptr;
        return held;
    }

    HRESULT CoCreateInstance(REFCLSID clsid, REFIID iid, DWORD dwClsContext = CLSCTX_ALL) noexcept
    {
        Release();
        return ::CoCreateInstance(clsid, nullptr, dwClsContext, iid, reinterpret_cast<void **>(&p));
    }
    template <class Q> HRESULT QueryInterface(REFIID iid, Q **pp) const noexcept
    {
        if (pp == nullptr)
            return E_POINTER;
        *pp = nullptr;
        if (p == nullptr)
            return E_POINTER;
        return p->QueryInterface(iid, reinterpret_cast<void **>(pp));
    }

    T *p;
};
