// Helpers of the window tests: message pumping with a time limit and the language library as resource module.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/system/Resources.h"
#include "support/TestSupport.h"

namespace wintest
{

// Dispatches the thread's messages until done() holds or timeoutMs passes; the final done().
inline bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000)
{
    DWORD start = ::GetTickCount();
    while (!done())
    {
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return done();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (!done())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// Dispatches what is waiting now.
inline void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The English language library as the resource module for the lifetime of the object.
class LanguageLibrary
{
  public:
    LanguageLibrary()
        : m_previous(AfxGetResourceHandle()),
          m_module(::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str()))
    {
        if (m_module != nullptr)
            AfxSetResourceHandle(m_module);
    }
    ~LanguageLibrary()
    {
        AfxSetResourceHandle(m_previous);
        if (m_module != nullptr)
            ::FreeLibrary(m_module);
    }
    LanguageLibrary(const LanguageLibrary &) = delete;
    LanguageLibrary &operator=(const LanguageLibrary &) = delete;

    bool Loaded() const
    {
        return m_module != nullptr;
    }

  private:
    HINSTANCE m_previous;
    HINSTANCE m_module;
};

} // namespace wintest
