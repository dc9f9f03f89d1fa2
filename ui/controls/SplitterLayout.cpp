#include "ui/controls/SplitterLayout.h"

#include <algorithm>

namespace
{

int NonNegative(int value)
{
    return value < 0 ? 0 : value;
}

// (numerator + denominator / 2) / denominator in 64 bits: shares times pixels overflow 32 bits on wide windows.
int RoundedRatio(long long numerator, long long denominator)
{
    return static_cast<int>((numerator + denominator / 2) / denominator);
}

} // namespace

CSplitterLayout::CSplitterLayout(int paneCount, int minimumPane, int barWidth)
    : m_count(NonNegative(paneCount)), m_minimum(NonNegative(minimumPane)), m_bar(NonNegative(barWidth)),
      m_shares(static_cast<size_t>(m_count)), m_positions(static_cast<size_t>(m_count) + 1, 0)
{
    int used = 0;
    for (int i = 0; i + 1 < m_count; ++i)
    {
        m_shares[i] = (m_count / 2 + kFullShare) / m_count;
        used += m_shares[i];
    }
    if (m_count > 0)
        m_shares[m_count - 1] = kFullShare - used;
}

int CSplitterLayout::Avail(int extent) const
{
    return NonNegative(extent - std::max(m_count - 1, 0) * m_bar);
}

bool CSplitterLayout::SetSizes(const int *sizes, int count)
{
    if (sizes == nullptr || count != m_count || m_count == 0)
        return false;
    long long total = 0;
    for (int i = 0; i < m_count; ++i)
        total += sizes[i];
    if (total <= 0)
        return false;
    int used = 0;
    for (int i = 0; i + 1 < m_count; ++i)
    {
        m_shares[i] = RoundedRatio(static_cast<long long>(sizes[i]) * kFullShare, total);
        used += m_shares[i];
    }
    m_shares[m_count - 1] = kFullShare - used;
    return true;
}

int CSplitterLayout::PixelSize(int pane, int avail) const
{
    return static_cast<int>((static_cast<long long>(m_shares[pane]) * avail + kFullShare / 2) / kFullShare);
}

int CSplitterLayout::ShareOfMinimum(int avail) const
{
    if (m_minimum > avail)
        return kFullShare;
    return avail > 0 ? RoundedRatio(static_cast<long long>(m_minimum) * kFullShare, avail) : 0;
}

bool CSplitterLayout::Recompute(int extent)
{
    if (extent <= 0 || m_count == 0)
        return false;
    const int avail = Avail(extent);

    // Raising one pane shrinks the others, which may push another below the minimum: repeat until a pass
    // raises nothing. Rounding can keep a raised pane a pixel short for ever, hence the limit.
    bool outOfRoom = false;
    std::vector<bool> atMinimum(static_cast<size_t>(m_count));
    const int passLimit = 2 * m_count + 8;
    for (int pass = 0; pass < passLimit; ++pass)
    {
        long long pool = kFullShare;
        long long rest = kFullShare;
        bool changed = false;
        for (int i = 0; i < m_count; ++i)
        {
            const int size = PixelSize(i, avail);
            atMinimum[i] = size <= m_minimum;
            if (!atMinimum[i])
                continue;
            pool -= m_shares[i];
            if (size < m_minimum)
            {
                m_shares[i] = ShareOfMinimum(avail);
                changed = true;
            }
            rest -= m_shares[i];
        }
        if (rest < 1)
        {
            outOfRoom = true;
            break;
        }
        if (rest != kFullShare && pool > 0)
        {
            for (int i = 0; i < m_count; ++i)
            {
                if (!atMinimum[i])
                    m_shares[i] = static_cast<int>((m_shares[i] * rest + pool / 2) / pool);
            }
        }
        if (!changed)
            break;
    }

    if (outOfRoom)
    {
        // Not every pane can have the minimum: the first ones get it while it lasts.
        const int minimumShare = avail > 0 ? ShareOfMinimum(avail) : 0;
        int left = kFullShare;
        for (int i = 0; i < m_count; ++i)
        {
            m_shares[i] = std::min(minimumShare, left);
            left -= m_shares[i];
        }
    }

    m_positions[0] = 0;
    for (int i = 0; i + 1 < m_count; ++i)
        m_positions[i + 1] = m_positions[i] + PixelSize(i, avail) + m_bar;
    m_positions[m_count] = m_bar * m_count + avail;
    return true;
}

bool CSplitterLayout::PaneSpan(int index, int &start, int &end) const
{
    if (index < 0 || index >= m_count)
        return false;
    start = m_positions[index];
    end = m_positions[index + 1] - m_bar;
    return true;
}

int CSplitterLayout::BarAt(int p) const
{
    for (int k = 1; k < m_count; ++k)
    {
        if (p >= m_positions[k] - m_bar && p < m_positions[k])
            return k;
    }
    return 0;
}

int CSplitterLayout::ClampDrag(int bar, int tracked) const
{
    if (bar < 1 || bar >= m_count)
        return tracked;
    const int previous = m_positions[bar - 1];
    const int next = m_positions[bar + 1];
    if (tracked > next - m_minimum - m_bar)
        tracked = next - m_minimum - m_bar;
    else if (tracked < previous + m_minimum + m_bar)
        tracked = previous + m_minimum + m_bar;
    // When the two panes cannot both keep the minimum, they at least keep a size.
    tracked = std::min(tracked, next - m_bar);
    tracked = std::max(tracked, previous + m_bar);
    return tracked;
}

bool CSplitterLayout::Release(int bar, int tracked, int extent)
{
    if (bar < 1 || bar >= m_count)
        return false;
    const int avail = Avail(extent);
    if (avail <= 0)
        return false;
    const int before = tracked - m_positions[bar - 1] - m_bar;
    const int after = m_positions[bar + 1] - tracked - m_bar;
    if (before < 0 || after < 0)
        return false;
    m_positions[bar] = tracked;
    m_shares[bar - 1] = RoundedRatio(static_cast<long long>(before) * kFullShare, avail);
    m_shares[bar] = RoundedRatio(static_cast<long long>(after) * kFullShare, avail);
    return true;
}
