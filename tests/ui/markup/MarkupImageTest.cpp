// Images of the markup: the room they take (scaled, shaded, from a strip, from a library, or missing; the line
// a box starts is the drawer's, MarkupExtensionTest.cpp), background images of tables, animated image lists,
// "string" tags, effect flags and borrowed handles.
#include "MarkupTestStrings.h"
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace markuptest;

namespace
{

class MarkupImage : public MarkupTest
{
  protected:
    static CString Number(UINT number)
    {
        return std::to_wstring(number).c_str();
    }
};

CString ThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

} // namespace

TEST_F(MarkupImage, TheRoomImagesTake)
{
    const CString square = Number(IDB_MARKUP_SQUARE);
    const CString strip = Number(IDB_MARKUP_STRIP);
    struct Case
    {
        CString markup;
        CSize measured; // one pixel more each way than the image takes; 1 x 1 for none
    };
    const Case cases[] = {
        {L"<bmp idres=" + square + L">", CSize(65, 65)},
        {L"<bmp idres=" + square + L" width=50%>", CSize(33, 65)},
        {L"<bmp idres=" + square + L" width=8 height=16>", CSize(9, 17)},
        {L"<bmp idres=" + square + L" style=s>", CSize(69, 69)}, // grown by the shade offsets
        {L"<ilst idres=" + strip + L" cx=8>", CSize(9, 9)},
        {L"<ilst idres=" + strip + L">", CSize(33, 9)}, // one frame, the whole strip
        {L"<bmp srcdll=\"" + ThisProgram() + L"\" iddll=" + square + L">", CSize(65, 65)},
        {L"<bmp idres=0>", CSize(1, 1)},
        {L"<bmp file=\"C:\\nowhere\\missing.bmp\">", CSize(1, 1)},
        {L"<bmp srcdll=\"C:\\nowhere\\missing.dll\" iddll=" + square + L">", CSize(1, 1)},
        {L"<bmp iddll=" + square + L">", CSize(1, 1)}, // the drawer has no image library of its own
    };
    for (const Case &c : cases)
        EXPECT_EQ(m_drawer.Measure(m_canvas.GetDC(), c.markup), c.measured)
            << testing::PrintToString(std::wstring(c.markup));
}

TEST_F(MarkupImage, BackgroundImagesOfTables)
{
    const struct
    {
        CString value;
        bool drawn;
    } cases[] = {
        {L"idres:" + Number(IDB_MARKUP_SQUARE), true},
        {L"file:", false},
        {L"idres:0", false},
        {L"iddll:" + Number(IDB_MARKUP_SQUARE), false},
        {L"file:C:\\nowhere\\missing.bmp", false},
    };
    for (const auto &c : cases)
    {
        RECT all = {0, 0, 800, 600};
        FillRect(m_canvas.GetDC(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        MeasureAndDraw(L"<table width=40 height=40 background=\"" + c.value + L"\"><tr><td></td></tr></table>", 10, 10);
        m_canvas.GetBits();
        // Stretched over the table: red at its top left, yellow at its bottom right.
        EXPECT_EQ(m_canvas.At(15, 15) & 0xFFFFFF, c.drawn ? 0xFF0000u : 0xFFFFFFu)
            << testing::PrintToString(std::wstring(c.value));
        EXPECT_EQ(m_canvas.At(45, 45) & 0xFFFFFF, c.drawn ? 0xFFC800u : 0xFFFFFFu);
    }
}

TEST_F(MarkupImage, AnimatedImageListsStringsAndEffectFlags)
{
    // Speed 3: a frame every third tick, back to the first after the last.
    MeasureAndDraw(L"<ilst idres=" + Number(IDB_MARKUP_STRIP) + L" cx=8 speed=3>");
    std::vector<int> frames;
    for (int tick = 0; tick <= 12; ++tick)
    {
        m_recorder.Clear();
        m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
        frames.push_back(m_recorder.images.at(0).nIndex);
        m_drawer.AnimationTick();
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0}));

    // A resource string is one piece, whatever the line's room.
    m_drawer.SetMaxWidth(10);
    MeasureAndDraw(L"<string " + Number(IDS_MARKUP_ONE_LINE) + L">");
    EXPECT_EQ(m_recorder.Joined(), L"[only one]");
    m_drawer.SetMaxWidth(0);

    const CString square = Number(IDB_MARKUP_SQUARE);
    MeasureAndDraw(L"<bmp idres=" + square + L" style=gs>");
    EXPECT_EQ(m_recorder.images.at(0).dwEffect, DWORD(PPIE_GRAY | PPIE_SOFT_SHADOW));
    m_drawer.SetEnabled(FALSE);
    MeasureAndDraw(L"<bmp idres=" + square + L" style=g>");
    EXPECT_EQ(m_recorder.images.at(0).dwEffect, DWORD(PPIE_GRAY | PPIE_MONOCHROME)) << "the disabled drawer adds 8";
    m_drawer.SetEnabled(TRUE);
    // The hot style while the image's link is under the pointer.
    MeasureAndDraw(L"<a href=x><bmp idres=" + square + L" style=g hotstyle=d></a>");
    EXPECT_EQ(m_recorder.images.at(0).dwEffect, DWORD(PPIE_GRAY));
    m_drawer.PointerOver(m_recorder.images[0].rect.CenterPoint());
    m_recorder.Clear();
    m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
    EXPECT_EQ(m_recorder.images.at(0).dwEffect, DWORD(PPIE_DARKEN));
}

TEST_F(MarkupImage, HandleImagesAreBorrowed)
{
    HBITMAP bitmap = CreateCompatibleBitmap(m_canvas.GetDC(), 20, 10);
    ASSERT_NE(bitmap, nullptr);
    wchar_t handle[32] = {};
    swprintf(handle, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(bitmap)));
    {
        CPPHtmlDrawer drawer;
        drawer.SetObserver(&m_recorder);
        const CSize size = drawer.Measure(m_canvas.GetDC(), CString(L"<bmp handle=") + handle + L">");
        EXPECT_EQ(size, CSize(21, 11));
        const CRect rect(0, 0, 20, 10);
        drawer.Draw(m_canvas.GetDC(), &rect);
        EXPECT_EQ(m_recorder.images.size(), 1u);
    }
    BITMAP info = {};
    EXPECT_EQ(GetObjectW(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info))) << "still there";
    DeleteObject(bitmap);
}
