// The textured fill effects 7-15: palette indexes painted into the scratch picture, which is then drawn.
#include "ui/effects/PPDrawManager.h"

#include <algorithm>
#include <cstdlib>

namespace
{

// 32767 / n as the textures divide rand() by it; never 0, so that sides over 32767 pixels divide safely.
int RandDivisor(LONGLONG n)
{
    if (n < 1)
        n = 1;
    const LONGLONG divisor = 32767 / n;
    return divisor < 1 ? 1 : static_cast<int>(divisor);
}

// Noise of about -g..+g from the C library's generator.
int Noise(int nGrain)
{
    return std::rand() / RandDivisor(2 * nGrain) - nGrain;
}

BYTE Channel(BYTE from, BYTE to, int nStep)
{
    return static_cast<BYTE>((from * (128 - nStep) + to * nStep) / 128);
}

// The cubic bump of effects 11-14: t runs from -127 to 128 across the picture.
int Bump(int t)
{
    return t * t * t / 128 / 128;
}

} // namespace

void CPPDrawManager::FillTexture(HDC hDC, int nEffect, const RECT &rect, COLORREF crBegin, COLORREF crMid,
                                 COLORREF crEnd, int nGrain, int nTint)
{
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    if (m_dib.Create(static_cast<DWORD>(w), static_cast<DWORD>(h), 8) == nullptr)
        return;

    // Index 0 is the end colour, about 128 the middle colour and 255 the begin colour.
    for (int i = 0; i <= 128; ++i)
        m_dib.SetPaletteIndex(static_cast<BYTE>(i), Channel(GetRValue(crEnd), GetRValue(crMid), i),
                              Channel(GetGValue(crEnd), GetGValue(crMid), i),
                              Channel(GetBValue(crEnd), GetBValue(crMid), i));
    for (int i = 1; i <= 128; ++i)
        m_dib.SetPaletteIndex(static_cast<BYTE>(127 + i), Channel(GetRValue(crMid), GetRValue(crBegin), i),
                              Channel(GetGValue(crMid), GetGValue(crBegin), i),
                              Channel(GetBValue(crMid), GetBValue(crBegin), i));
    m_dib.BlendPalette(crBegin, static_cast<DWORD>(nTint));

    const int g = nGrain;
    const DWORD lineWidth = m_dib.GetLineWidth();
    LPBYTE bits = m_dib.GetBits();
    auto row = [&](LONG y) { return bits + static_cast<size_t>(y) * lineWidth; };

    switch (nEffect)
    {
    case PPFX_NOISE:
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
                row(y)[x] = static_cast<BYTE>(128 + Noise(g));
        break;
    case PPFX_DIAGSHADE: {
        const int half = (255 - 2 * g) / 2;
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
                row(y)[x] = static_cast<BYTE>(g + (y * half) / h + (half * (w - x)) / w + Noise(g));
        break;
    }
    case PPFX_HSHADE:
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
                row(y)[x] = static_cast<BYTE>(g + (y * (255 - 2 * g)) / h + Noise(g));
        break;
    case PPFX_VSHADE:
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
                row(y)[x] = static_cast<BYTE>(g + ((255 - 2 * g) * (w - x)) / w + Noise(g));
        break;
    case PPFX_HBUMP:
        for (LONG y = 0; y < h; ++y)
        {
            const int t = (255 * y) / h - 127;
            for (LONG x = 0; x < w; ++x)
                row(y)[x] = static_cast<BYTE>(128 + (Bump(t) * (128 - g)) / 128 + Noise(g));
        }
        break;
    case PPFX_VBUMP:
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
            {
                const int t = (255 * (w - x)) / w - 127;
                row(y)[x] = static_cast<BYTE>(128 + (Bump(t) * (128 - g)) / 128 + Noise(g));
            }
        break;
    case PPFX_SOFTBUMP:
        for (LONG y = 0; y < h; ++y)
        {
            const int ty = (255 * y) / h - 127;
            for (LONG x = 0; x < w; ++x)
            {
                const int tx = (255 * (w - x)) / w - 127;
                int value = 128 + ((Bump(ty) + Bump(tx)) * (128 - g)) / 128;
                value = std::max(value, g);
                value = std::min(value, 255 - g);
                row(y)[x] = static_cast<BYTE>(value + Noise(g));
            }
        }
        break;
    case PPFX_HARDBUMP: {
        // The bevel needs a width (six pixels or more) and a height whose h x h / 4 is not 0; without them the
        // effect is the plain bump. The bevel's products outgrow 32 bits on tall pictures.
        const LONGLONG e = std::min<LONG>(w / 6, 16);
        const LONGLONG quarter = static_cast<LONGLONG>(h) * h / 4;
        const bool bevel = e > 0 && quarter > 0;
        for (LONG y = 0; y < h; ++y)
        {
            const int t = (255 * y) / h - 127;
            const LONGLONG dy = y - h / 2;
            const LONGLONG limit = bevel ? (dy * dy * e) / quarter + w / 2 - e : 0;
            for (LONG x = 0; x < w; ++x)
            {
                int value = 128 + (Bump(t) * 2 * (64 - g)) / 128;
                if (bevel)
                {
                    const LONGLONG dx = x - w / 2;
                    if (dx > limit)
                        value = static_cast<int>(((w - x) * 128LL) / e + g);
                    else if (dx + limit < 0)
                        value = static_cast<int>((255 - g) - (((128LL * x) / e) % 256));
                }
                row(y)[x] = static_cast<BYTE>(value + Noise(g));
            }
        }
        break;
    }
    case PPFX_METAL: {
        m_dib.Clear(0);
        const int xDivisor = RandDivisor(w);
        const int yDivisor = RandDivisor(h);
        const int lengthDivisor = RandDivisor(std::min(w, h));
        for (int scratch = 0; scratch < 200; ++scratch)
        {
            const LONG x0 = std::rand() / xDivisor;
            const LONG y0 = std::rand() / yDivisor;
            const LONG n = std::rand() / lengthDivisor / 2;
            const BYTE k = static_cast<BYTE>(std::rand() / 819.2);
            for (LONG i = 0; i < n; ++i)
            {
                if (x0 - i > 0 && y0 + i < h)
                    m_dib.SetPixelIndex(static_cast<DWORD>(x0 - i), static_cast<DWORD>(y0 + i), k);
                if (x0 + i < w && y0 - i >= 1)
                    m_dib.SetPixelIndex(static_cast<DWORD>(w - x0 + i), static_cast<DWORD>(y0 - i), k);
            }
        }
        const int s = (215 - 2 * g) / 2;
        const int noiseDivisor = RandDivisor(2 * g);
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x)
                row(y)[x] = static_cast<BYTE>(row(y)[x] + (s * (w - x)) / w + (y * s) / h + std::rand() / noiseDivisor);
        break;
    }
    default:
        break;
    }
    m_dib.Draw(hDC, static_cast<DWORD>(rect.left), static_cast<DWORD>(rect.top));
}
