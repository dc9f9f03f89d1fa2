#include "ui/buttons/ThemeHelperST.h"

namespace NewUI
{

namespace
{

typedef HTHEME_ST(WINAPI *PFN_OPEN_THEME_DATA)(HWND, LPCWSTR);
typedef HRESULT(WINAPI *PFN_CLOSE_THEME_DATA)(HTHEME_ST);
typedef HRESULT(WINAPI *PFN_DRAW_THEME_BACKGROUND)(HTHEME_ST, HDC, int, int, const RECT *, const RECT *);
typedef HRESULT(WINAPI *PFN_DRAW_THEME_PARENT_BACKGROUND)(HWND, HDC, const RECT *);
typedef BOOL(WINAPI *PFN_IS_APP_THEMED)();

template <class T> T As(FARPROC function)
{
    return reinterpret_cast<T>(reinterpret_cast<void *>(function));
}

} // namespace

namespace
{

// The system's library by its full path: the program runs from a removable drive, and a library of that name
// lying beside it must not be taken instead.
HMODULE LoadSystemLibrary(LPCWSTR name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 1 - static_cast<UINT>(::lstrlenW(name)))
        return nullptr;
    wchar_t path[MAX_PATH] = {};
    ::wsprintfW(path, L"%s\\%s", folder, name);
    return ::LoadLibraryW(path);
}

} // namespace

CThemeHelperST::CThemeHelperST() : m_library(LoadSystemLibrary(L"UxTheme.dll"))
{
}

CThemeHelperST::CThemeHelperST(LPCWSTR lpszLibrary)
    : m_library(lpszLibrary != nullptr ? ::LoadLibraryW(lpszLibrary) : nullptr)
{
}

CThemeHelperST::~CThemeHelperST() = default;

FARPROC CThemeHelperST::Function(const char *name) const
{
    return m_library.IsValid() ? ::GetProcAddress(m_library, name) : nullptr;
}

HTHEME_ST CThemeHelperST::OpenThemeData(HWND hWnd, LPCWSTR pszClassList)
{
    auto open = As<PFN_OPEN_THEME_DATA>(Function("OpenThemeData"));
    return open != nullptr ? open(hWnd, pszClassList) : nullptr;
}

HRESULT CThemeHelperST::CloseThemeData(HTHEME_ST hTheme)
{
    auto close = As<PFN_CLOSE_THEME_DATA>(Function("CloseThemeData"));
    return close != nullptr ? close(hTheme) : E_FAIL;
}

HRESULT CThemeHelperST::DrawThemeBackground(HTHEME_ST hTheme, HWND hWnd, HDC hdc, int iPartId, int iStateId,
                                            const RECT *pRect, const RECT *pClipRect)
{
    auto draw = As<PFN_DRAW_THEME_BACKGROUND>(Function("DrawThemeBackground"));
    if (draw == nullptr)
        return E_FAIL;
    auto drawParent = As<PFN_DRAW_THEME_PARENT_BACKGROUND>(Function("DrawThemeParentBackground"));
    if (drawParent != nullptr && hWnd != nullptr)
        drawParent(hWnd, hdc, pRect);
    return draw(hTheme, hdc, iPartId, iStateId, pRect, pClipRect);
}

BOOL CThemeHelperST::IsAppThemed()
{
    auto themed = As<PFN_IS_APP_THEMED>(Function("IsAppThemed"));
    return themed != nullptr ? themed() : FALSE;
}

} // namespace NewUI
