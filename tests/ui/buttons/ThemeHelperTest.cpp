// The theme wrapper and the themed button: the state table, libraries without the functions, a recording
// library without DrawThemeParentBackground, and the flat border of the unthemed fallback.
#include <gtest/gtest.h>

#include <string>

#include "ButtonTestSupport.h"
#include "support/ImageSupport.h"

using namespace buttontest;
using testsupport::DibCanvas;

namespace
{

const COLORREF kMarker = RGB(1, 2, 3);
const COLORREF kRecorderFill = RGB(10, 200, 10);

std::wstring BesideThisProgram(LPCWSTR name)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

// The recording library's read-back functions, through the module the wrapper loaded.
class Recorder
{
  public:
    Recorder() : m_module(::LoadLibraryW(BesideThisProgram(L"ThemeRecorder.dll").c_str()))
    {
    }
    ~Recorder()
    {
        if (m_module != nullptr)
            ::FreeLibrary(m_module);
    }
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    bool Loaded() const
    {
        return m_module != nullptr;
    }
    void Reset() const
    {
        Call<void (*)()>("RecorderReset")();
    }
    int Get(const char *name) const
    {
        return Call<int (*)()>(name)();
    }
    RECT Rect() const
    {
        RECT rect = {};
        Call<void (*)(RECT *)>("RecorderRect")(&rect);
        return rect;
    }
    std::wstring ThemeClass() const
    {
        return Call<const wchar_t *(*)()>("RecorderClass")();
    }

  private:
    template <class T> T Call(const char *name) const
    {
        return reinterpret_cast<T>(reinterpret_cast<void *>(::GetProcAddress(m_module, name)));
    }
    HMODULE m_module;
};

} // namespace

TEST(ThemeHelper, StateTable)
{
    struct Case
    {
        bool isDefault;
        bool hovered;
        bool pressed;
        bool disabled;
        int state;
    };
    const Case cases[] = {
        {false, false, false, false, 1}, {true, false, false, false, 5}, {false, true, false, false, 2},
        {true, true, false, false, 2},   {false, false, true, false, 3}, {true, true, true, false, 3},
        {false, false, false, true, 4},  {false, false, true, true, 4},  {true, true, true, true, 4},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NewUI::XPStyleButtonState(c.isDefault, c.hovered, c.pressed, c.disabled), c.state)
            << c.isDefault << c.hovered << c.pressed << c.disabled;
}

TEST(ThemeHelper, DefaultWrapperTakesTheSystemsLibrary)
{
    // Wine's prefix has visual styles on even without a display.
    NewUI::CThemeHelperST helper;
    EXPECT_TRUE(helper.IsAppThemed());
    HANDLE theme = helper.OpenThemeData(nullptr, L"BUTTON");
    EXPECT_NE(theme, nullptr);
    EXPECT_EQ(helper.CloseThemeData(theme), S_OK);
}

TEST(ThemeHelper, WithoutTheFunctionsItAnswersUnthemed)
{
    for (LPCWSTR library : {L"kernel32.dll", L"NoSuchThemeLibrary.dll"})
    {
        SCOPED_TRACE(library);
        NewUI::CThemeHelperST helper(library);
        EXPECT_EQ(helper.OpenThemeData(nullptr, L"BUTTON"), nullptr);
        EXPECT_EQ(helper.CloseThemeData(reinterpret_cast<HANDLE>(1)), E_FAIL);
        DibCanvas canvas(20, 20, kMarker);
        const RECT rect = {0, 0, 20, 20};
        HWND desktop = ::GetDesktopWindow();
        EXPECT_EQ(helper.DrawThemeBackground(reinterpret_cast<HANDLE>(1), desktop, canvas.Dc(), 1, 1, &rect, nullptr),
                  E_FAIL);
        EXPECT_EQ(canvas.Count(rect, kMarker), 400) << "no parent background painted";
        EXPECT_FALSE(helper.IsAppThemed());
    }
}

TEST(ThemeHelper, RecordingLibraryWithoutParentBackgroundGetsThePushButtonPart)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Loaded());
    NewUI::CThemeHelperST helper(BesideThisProgram(L"ThemeRecorder.dll").c_str());
    ASSERT_TRUE(helper.IsAppThemed());

    TestXPButton button;
    EXPECT_FALSE(button.m_flatBorder);
    button.SetThemeHelper(&helper);
    EXPECT_FALSE(button.m_flatBorder) << "a themed face needs no flat border";

    struct Case
    {
        bool isDefault;
        bool hovered;
        UINT itemState;
        int state;
    };
    const Case cases[] = {
        {false, false, 0, 1},
        {true, false, 0, 5},
        {true, true, 0, 2},
        {false, true, ODS_SELECTED, 3},
        {false, false, ODS_DISABLED, 4},
        {false, false, ODS_DISABLED | ODS_SELECTED, 4},
    };
    const RECT item = {0, 0, 40, 20};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.isDefault << c.hovered << " state " << c.itemState);
        recorder.Reset();
        button.m_defaultButton = c.isDefault;
        button.m_hover = c.hovered;
        DibCanvas canvas(40, 20, kMarker);
        button.Draw(canvas.Dc(), item, c.itemState);
        EXPECT_EQ(recorder.Get("RecorderDrawn"), 1);
        EXPECT_EQ(recorder.Get("RecorderPart"), 1);
        EXPECT_EQ(recorder.Get("RecorderState"), c.state);
        EXPECT_EQ(CRect(recorder.Rect()), CRect(item));
        EXPECT_FALSE(recorder.Get("RecorderClipGiven"));
        EXPECT_EQ(recorder.ThemeClass(), L"BUTTON");
        EXPECT_EQ(recorder.Get("RecorderOpened"), recorder.Get("RecorderClosed"));
        // The themed face, and no border of the button's own over it.
        EXPECT_EQ(canvas.Count(item, kRecorderFill), 40 * 20);
    }
}

TEST(ThemeHelper, UnthemedFallbackPaintsLikeTheBaseButtonWithItsFlatBorder)
{
    NewUI::CThemeHelperST missing(L"NoSuchThemeLibrary.dll");
    TestXPButton nullWrapper;
    nullWrapper.SetThemeHelper(nullptr);
    EXPECT_TRUE(nullWrapper.m_flatBorder);
    TestXPButton noLibrary;
    noLibrary.SetThemeHelper(&missing);
    EXPECT_TRUE(noLibrary.m_flatBorder);

    TestButton base;
    const RECT item = {0, 0, 40, 20};
    for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)})
    {
        SCOPED_TRACE(state);
        base.m_hover = TRUE;
        noLibrary.m_hover = TRUE;
        DibCanvas expected(40, 20, kMarker);
        DibCanvas drawn(40, 20, kMarker);
        base.Draw(expected.Dc(), item, state);
        noLibrary.Draw(drawn.Dc(), item, state);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(drawn.At(x, y), expected.At(x, y)) << x << "," << y;
        EXPECT_NE(drawn.At(0, 0), ::GetSysColor(COLOR_BTNFACE)) << "the flat border shows";
    }
}
