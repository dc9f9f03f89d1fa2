// A stand-in for the visual-styles library that records what the theme wrapper asks of it. It has every
// function the wrapper calls except DrawThemeParentBackground, so the wrapper must paint the themed part
// without the parent's background. The part it is asked to draw is filled with one colour.
#include <windows.h>

namespace
{

struct Record
{
    int opened = 0;
    int closed = 0;
    int drawn = 0;
    int part = 0;
    int state = 0;
    RECT rect = {};
    bool clipGiven = false;
    wchar_t themeClass[32] = {};
};
Record g_record;
int g_themeToken;

} // namespace

extern "C"
{

    __declspec(dllexport) HANDLE WINAPI OpenThemeData(HWND, LPCWSTR classList)
    {
        ++g_record.opened;
        ::lstrcpynW(g_record.themeClass, classList != nullptr ? classList : L"", 32);
        return &g_themeToken;
    }

    __declspec(dllexport) HRESULT WINAPI CloseThemeData(HANDLE theme)
    {
        if (theme == &g_themeToken)
            ++g_record.closed;
        return S_OK;
    }

    __declspec(dllexport) HRESULT WINAPI
        DrawThemeBackground(HANDLE theme, HDC dc, int part, int state, const RECT *rect, const RECT *clip)
    {
        if (theme != &g_themeToken || rect == nullptr)
            return E_INVALIDARG;
        ++g_record.drawn;
        g_record.part = part;
        g_record.state = state;
        g_record.rect = *rect;
        g_record.clipGiven = clip != nullptr;
        HBRUSH brush = ::CreateSolidBrush(RGB(10, 200, 10));
        ::FillRect(dc, rect, brush);
        ::DeleteObject(brush);
        return S_OK;
    }

    __declspec(dllexport) BOOL WINAPI IsAppThemed()
    {
        return TRUE;
    }

    // What the tests read back.
    __declspec(dllexport) void RecorderReset()
    {
        g_record = Record();
    }
    __declspec(dllexport) int RecorderOpened()
    {
        return g_record.opened;
    }
    __declspec(dllexport) int RecorderClosed()
    {
        return g_record.closed;
    }
    __declspec(dllexport) int RecorderDrawn()
    {
        return g_record.drawn;
    }
    __declspec(dllexport) int RecorderPart()
    {
        return g_record.part;
    }
    __declspec(dllexport) int RecorderState()
    {
        return g_record.state;
    }
    __declspec(dllexport) void RecorderRect(RECT *rect)
    {
        *rect = g_record.rect;
    }
    __declspec(dllexport) BOOL RecorderClipGiven()
    {
        return g_record.clipGiven ? TRUE : FALSE;
    }
    __declspec(dllexport) const wchar_t *RecorderClass()
    {
        return g_record.themeClass;
    }
}
