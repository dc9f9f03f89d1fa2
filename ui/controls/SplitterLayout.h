// The geometry of a splitter: pane shares out of 32768, pixel positions along one axis, and the dragging of a
// bar. No window is involved, so the arithmetic can be checked on its own.
//
// Pane i spans from position i to position i+1 minus the bar width; the bar before pane i covers the bar
// width just below position i.
#pragma once
#include <vector>

class CSplitterLayout
{
  public:
    static const int kFullShare = 32768;

    // Negative counts, minimums and bar widths count as 0. Each pane but the last gets
    // (count / 2 + 32768) / count, the last the rest.
    CSplitterLayout(int paneCount, int minimumPane, int barWidth);

    int PaneCount() const
    {
        return m_count;
    }
    int MinimumPane() const
    {
        return m_minimum;
    }
    int BarWidth() const
    {
        return m_bar;
    }
    const std::vector<int> &Shares() const
    {
        return m_shares;
    }
    // PaneCount() + 1 values.
    const std::vector<int> &Positions() const
    {
        return m_positions;
    }

    // Room for the panes in an extent: the extent less every bar, never below 0.
    int Avail(int extent) const;

    // Shares in proportion to sizes (PaneCount() values, in pixels). A total of 0 or less leaves the shares as
    // they are and returns false.
    bool SetSizes(const int *sizes, int count);

    // Positions for an extent (client width or height along the axis), raising panes below the minimum and
    // shrinking the others. An extent of 0 or less changes nothing and returns false.
    bool Recompute(int extent);

    // Start and end (exclusive) of pane index along the axis; false for an index out of range.
    bool PaneSpan(int index, int &start, int &end) const;

    // The bar under position p: k with 1 <= k <= PaneCount() - 1 whose bar covers p; 0 when there is none.
    int BarAt(int p) const;

    // Where a dragged bar k may go: as near as the minimum pane size to its neighbours, and never so far that a
    // pane beside it would get a negative size.
    int ClampDrag(int bar, int tracked) const;

    // Ends a drag of bar k at tracked: position k moves there and the two panes beside it get new shares for
    // the extent. False (nothing changed) for a bar out of range or when the bars take all the room.
    bool Release(int bar, int tracked, int extent);

  private:
    int ShareOfMinimum(int avail) const;
    int PixelSize(int pane, int avail) const;

    int m_count;
    int m_minimum;
    int m_bar;
    std::vector<int> m_shares;
    std::vector<int> m_positions;
};
