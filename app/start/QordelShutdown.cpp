#include "app/start/QordelShutdown.h"

#include <objbase.h>
#include <objidl.h>
#include <gdiplus.h>

#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

void UninitializeCom()
{
    ::CoUninitialize();
}

void FreeLanguageLibrary(HMODULE module)
{
    if (AfxGetResourceHandle() == module)
        AfxSetResourceHandle(AfxGetInstanceHandle());
    ::FreeLibrary(module);
}

void FreeSkinImages()
{
    FreeSharedSkinImages();
}

void ShutdownGdiplus(ULONG_PTR token)
{
    Gdiplus::GdiplusShutdown(token);
}

} // namespace

Seam<ShutdownCalls> g_shutdownCalls{
    ShutdownCalls{&UninitializeCom, &FreeLanguageLibrary, &FreeSkinImages, &ShutdownGdiplus}};

void EndStartedParts(StartedParts &parts, CEvent &stopEvent, const std::function<void()> &deleteMainWindow,
                     DWORD watchWaitMs)
{
    stopEvent.SetEvent();
    if (parts.watchThread.IsValid())
    {
        ::WaitForSingleObject(parts.watchThread, watchWaitMs);
        parts.watchThread.Close();
    }
    if (deleteMainWindow)
        deleteMainWindow();

    const ShutdownCalls calls = g_shutdownCalls.Get();
    if (parts.com)
    {
        calls.uninitializeCom();
        parts.com = false;
    }
    if (parts.languageLibrary != nullptr)
    {
        calls.freeLanguageLibrary(parts.languageLibrary);
        parts.languageLibrary = nullptr;
    }
    if (parts.skinImages)
    {
        calls.freeSkinImages();
        parts.skinImages = false;
    }
    if (parts.gdiplusToken != 0)
    {
        calls.shutdownGdiplus(parts.gdiplusToken);
        parts.gdiplusToken = 0;
    }
}
