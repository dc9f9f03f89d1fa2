// CDialogLayout: keeps the child controls of a resizable window in place. Each control is registered once with
// anchoring flags; every Apply (from the window's WM_SIZE) moves and sizes all of them in one deferred batch by
// the change of the client area since the previous Apply.
#pragma once
#include <windows.h>

class CWnd;

// Anchoring flags, combinable.
enum : DWORD
{
    LAYOUT_TOP = 0x1,    // the top edge keeps its distance to the top
    LAYOUT_LEFT = 0x2,   // the left edge keeps its distance to the left
    LAYOUT_RIGHT = 0x4,  // the right edge keeps its distance to the right
    LAYOUT_BOTTOM = 0x8, // the bottom edge keeps its distance to the bottom
    LAYOUT_SNAP_TOP = 0x100,
    LAYOUT_SNAP_LEFT = 0x200,
    LAYOUT_SNAP_RIGHT = 0x400,
    LAYOUT_SNAP_BOTTOM = 0x800,
};

// Where a control with the flags goes when the client area changes from previous to current. Horizontally:
// with left and right anchors it stretches; with the right anchor alone it moves with the right edge; with
// neither it stays centred (each half of the widths truncated toward zero); with the left anchor alone it stays.
// Vertically the same with top and bottom. The snap flags then put an edge on the client area's edge.
RECT LayoutControlRect(const RECT &control, DWORD flags, const RECT &previous, const RECT &current);

// WM_SIZING of a window that keeps at least the size it had at first (minimum: that window rectangle): a drag that
// would make it narrower or lower moves the dragged edge back, the left or top one for drags from the left or top
// side and their corners, else the right or bottom one. An empty minimum changes nothing.
void KeepMinimumTrackSize(UINT side, RECT &rect, const RECT &minimum);

class CDialogLayout
{
  public:
    CDialogLayout();
    // Frees the chain.
    ~CDialogLayout();
    CDialogLayout(const CDialogLayout &) = delete;
    CDialogLayout &operator=(const CDialogLayout &) = delete;

    // Follows the window's client area from its current size on. False when the handle is not a window or its
    // client rectangle cannot be read.
    bool Attach(HWND window);
    bool Attach(CWnd *window);
    // Registers a child control with its rectangle in the window's client coordinates, at the end of the chain.
    // False when the control's rectangle cannot be read.
    bool AddControl(HWND control, DWORD flags);
    bool AddControl(CWnd *control, DWORD flags);
    // Lays every control out for the current client size and makes that size the reference. The repaint flag is
    // not used. False only when the client rectangle cannot be read.
    bool Apply(BOOL repaint = TRUE);

    UINT GetCount() const
    {
        return m_count;
    }

    // One registered control.
    struct Entry
    {
        HWND control;
        DWORD flags;
        RECT rect;
        Entry *next;
    };
    // Frees the entry and every entry after it, cutting the chain before it.
    void FreeList(Entry *entry);
    const Entry *GetFirst() const
    {
        return m_first;
    }

  private:
    UINT m_count;
    HWND m_window;
    RECT m_reference;
    Entry *m_first;
};
