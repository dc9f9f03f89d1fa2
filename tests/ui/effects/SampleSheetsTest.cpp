// Sample sheets for a person to look at, written into the build folder: "fill_effects.png" (every fill effect
// by name, two colour sets, two grains) and "image_effects.png" (each image effect, both shades, three blends).
#include "EffectsTestSupport.h"

#include "platform/drawing/GdiPlusSession.h"
#include "platform/system/Handles.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"
#include "ui/effects/PPDrawManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace effectstest;

namespace
{

const LPCWSTR kEffectNames[] = {L"-1 transparent", L"0 solid",      L"1 hgradient",  L"2 vgradient", L"3 hcgradient",
                                L"4 vcgradient",   L"5 3hgradient", L"6 3vgradient", L"7 noise",     L"8 diagshade",
                                L"9 hshade",       L"10 vshade",    L"11 hbump",     L"12 vbump",    L"13 softbump",
                                L"14 hardbump",    L"15 metal"};

void Label(HDC dc, int x, int y, LPCWSTR text)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}

// A light checkerboard, so that what an effect leaves alone shows.
void Checker(HDC dc, const RECT &rect)
{
    for (int y = rect.top; y < rect.bottom; y += 6)
        for (int x = rect.left; x < rect.right; x += 6)
        {
            const RECT cell = {x, y, std::min<LONG>(x + 6, rect.right), std::min<LONG>(y + 6, rect.bottom)};
            const bool dark = ((x - rect.left) / 6 + (y - rect.top) / 6) % 2 != 0;
            CGdiObjectOwner<HBRUSH> brush(CreateSolidBrush(dark ? RGB(210, 210, 210) : RGB(245, 245, 245)));
            FillRect(dc, &cell, brush);
        }
}

std::vector<DWORD> Area(const CDibSection &canvas, const RECT &rect)
{
    std::vector<DWORD> pixels;
    const DWORD *bits = canvas.GetBits();
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            pixels.push_back(bits[static_cast<size_t>(y) * canvas.GetWidth() + x]);
    return pixels;
}

class SampleSheet : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_gdiplus.IsStarted());
        m_font.Attach(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    }

    CGdiPlusSession m_gdiplus;
    CGdiObjectOwner<HFONT> m_font;
    CPPDrawManager m_manager;
};

} // namespace

TEST_F(SampleSheet, FillEffects)
{
    const int labelWidth = 120;
    const int cellWidth = 140;
    const int cellHeight = 40;
    const int gap = 6;
    const int top = 24;
    const int rows = 17;
    const int width = labelWidth + 4 * (cellWidth + gap);
    const int height = top + rows * (cellHeight + gap);
    CDibSection sheet;
    ASSERT_TRUE(MakeCanvas(sheet, width, height, RGB(255, 255, 255)));
    HDC dc = sheet.GetDC();
    SelectObject(dc, m_font);

    struct Column
    {
        COLORREF begin, mid, end;
        BYTE grain;
        LPCWSTR title;
    } columns[] = {
        {RGB(220, 235, 255), RGB(120, 170, 255), RGB(0, 40, 140), 0, L"blues, grain 0"},
        {RGB(220, 235, 255), RGB(120, 170, 255), RGB(0, 40, 140), 40, L"blues, grain 40"},
        {RGB(255, 240, 120), RGB(240, 120, 40), RGB(120, 20, 20), 0, L"embers, grain 0"},
        {RGB(255, 240, 120), RGB(240, 120, 40), RGB(120, 20, 20), 40, L"embers, grain 40"},
    };
    for (int c = 0; c < 4; ++c)
        Label(dc, labelWidth + c * (cellWidth + gap), 4, columns[c].title);

    std::srand(2024);
    std::vector<std::vector<DWORD>> swatches;
    for (int row = 0; row < rows; ++row)
    {
        const int effect = row - 1;
        const int y = top + row * (cellHeight + gap);
        Label(dc, 4, y + cellHeight / 2 - 8, kEffectNames[row]);
        for (int c = 0; c < 4; ++c)
        {
            const RECT cell = {labelWidth + c * (cellWidth + gap), y, labelWidth + c * (cellWidth + gap) + cellWidth,
                               y + cellHeight};
            Checker(dc, cell);
            m_manager.FillEffect(dc, effect, &cell, columns[c].begin, columns[c].mid, columns[c].end, columns[c].grain,
                                 0);
            if (c == 2)
                swatches.push_back(Area(sheet, cell));
        }
    }
    EXPECT_TRUE(testsupport::SaveSectionAsPng(sheet.GetBits(), width, height, true,
                                              testsupport::BuildFolder() + L"fill_effects.png"));
    // Every effect shows a fill of its own.
    for (size_t a = 0; a < swatches.size(); ++a)
        for (size_t b = a + 1; b < swatches.size(); ++b)
            EXPECT_NE(swatches[a], swatches[b]) << kEffectNames[a] << " and " << kEffectNames[b];
}

TEST_F(SampleSheet, ImageEffects)
{
    // The sample picture: a disc and a bar on magenta, which the routines treat as transparent.
    const int size = 48;
    CDibSection picture;
    ASSERT_TRUE(MakeCanvas(picture, size, size, RGB(255, 0, 255)));
    {
        CGdiObjectOwner<HBRUSH> disc(CreateSolidBrush(RGB(30, 140, 220)));
        CGdiObjectOwner<HBRUSH> bar(CreateSolidBrush(RGB(250, 190, 30)));
        CGdiObjectOwner<HPEN> pen(CreatePen(PS_SOLID, 2, RGB(20, 60, 120)));
        HGDIOBJ oldBrush = SelectObject(picture.GetDC(), disc);
        HGDIOBJ oldPen = SelectObject(picture.GetDC(), pen);
        Ellipse(picture.GetDC(), 4, 4, 40, 40);
        SelectObject(picture.GetDC(), bar);
        Rectangle(picture.GetDC(), 22, 26, 46, 44);
        SelectObject(picture.GetDC(), oldBrush);
        SelectObject(picture.GetDC(), oldPen);
    }
    // The routines select the bitmap into DCs of their own: it must not stay selected in the canvas's DC.
    CGdiObjectOwner<HBITMAP> image(picture.Detach());
    CDibSection opaque;
    ASSERT_TRUE(MakeCanvas(opaque, size, size, RGB(255, 255, 255)));
    m_manager.DrawBitmap(opaque.GetDC(), 0, 0, size, size, image, TRUE, RGB(255, 0, 255), 0,
                         CPPDrawManager::ShadeInfo());

    struct Sample
    {
        LPCWSTR name;
        DWORD flags;
    } samples[] = {
        {L"as it is", 0},
        {L"0x0001 grey", PPIE_GRAY},
        {L"0x0002 darker", PPIE_DARKEN},
        {L"0x0004 lighter", PPIE_LIGHTEN},
        {L"0x0008 one colour", PPIE_MONOCHROME},
        {L"0x8000 inverted", PPIE_INVERT},
        {L"0x0100 hard shade", PPIE_SHADOW},
        {L"0x0200 soft shade", PPIE_SOFT_SHADOW},
    };
    const int cell = 150;
    const int rowHeight = 96;
    const int width = 4 * cell;
    const int height = 3 * rowHeight + 20;
    CDibSection sheet;
    ASSERT_TRUE(MakeCanvas(sheet, width, height, RGB(255, 255, 255)));
    HDC dc = sheet.GetDC();
    const RECT all = {0, 0, width, height};
    m_manager.FillEffect(dc, PPFX_VGRADIENT, &all, RGB(255, 255, 255), 0, RGB(200, 215, 235));
    SelectObject(dc, m_font);

    CPPDrawManager::ShadeInfo shade;
    shade.bShadow = TRUE;
    shade.nOffsetX = 5;
    shade.nOffsetY = 5;
    shade.nDepthX = 7;
    shade.nDepthY = 7;
    shade.crShadow = RGB(110, 110, 110);
    for (int i = 0; i < 8; ++i)
    {
        const int x = (i % 4) * cell + 20;
        const int y = (i / 4) * rowHeight + 4;
        Label(dc, x, y, samples[i].name);
        const bool shaded = (samples[i].flags & (PPIE_SHADOW | PPIE_SOFT_SHADOW)) != 0;
        m_manager.DrawBitmap(dc, x + 20, y + 22, size, size, image, TRUE, RGB(255, 0, 255), samples[i].flags,
                             shaded ? shade : CPPDrawManager::ShadeInfo());
    }

    // Three blends of the picture (on white) over the background.
    const int percents[] = {25, 50, 75};
    for (int i = 0; i < 3; ++i)
    {
        const int x = i * cell + 20;
        const int y = 2 * rowHeight + 4;
        const std::wstring name = L"blend " + std::to_wstring(percents[i]) + L" %";
        Label(dc, x, y, name.c_str());
        m_manager.AlphaBlt(dc, x + 20, y + 22, size, size, opaque.GetDC(), 0, 0, percents[i]);
    }
    EXPECT_TRUE(testsupport::SaveSectionAsPng(sheet.GetBits(), width, height, true,
                                              testsupport::BuildFolder() + L"image_effects.png"));
}
