// One card of the job list: a header bar that collapses and expands the card, the job's name and details, its
// type picture, and two skin buttons (run, and a second one that opens the job's restore). The card is not a
// window: the job list view lays it out, draws it and hands it the mouse.
//
// Coordinates: the card's rectangle is in the view's content (scrolled) coordinates; the rectangles of its
// header and buttons are relative to the card's top-left corner.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "app/joblist/JobListImages.h"
#include "engine/store/SourceListText.h"
#include "platform/text/Geometry.h"
#include "ui/skin/SkinElement.h"

class CJobDef;
class CJobListView;
class CSyncJob;

// The command ids of a card's buttons.
constexpr UINT ID_JOBLIST_RUN_BUTTON = 1003;
constexpr UINT ID_JOBLIST_SECOND_BUTTON = 1095;
// The header bar sends no command.
constexpr UINT ID_JOBLIST_HEADER = static_cast<UINT>(-1);
// How far the buttons move down when a card expands (and up when it collapses).
constexpr int kJobCardButtonShift = 9;

// The sizes of a card: width and expanded height from the main window's card layout rectangle, collapsed height
// from the collapsed header's image.
struct JobListMetrics
{
    int width;
    int expandedHeight;
    int collapsedHeight;
    int Step() const
    {
        return expandedHeight - collapsedHeight;
    }
};
JobListMetrics CurrentJobListMetrics();

class CJobListItem
{
  public:
    // An expanded, selected card at (0, 0) for the job; buttonsActive 0 makes its buttons ignore the mouse.
    CJobListItem(CJobListView *view, CJobDef *jobDef, BOOL buttonsActive);
    CJobListItem(const CJobListItem &) = delete;
    CJobListItem &operator=(const CJobListItem &) = delete;

    // Puts the card's top-left corner at (left, top), keeping its height.
    void MoveTo(int left, int top);
    void Offset(int dx, int dy);
    int Height() const
    {
        return m_rect.Height();
    }
    // Flips expanded and collapsed: the card's height, the buttons (kJobCardButtonShift) and the header's
    // image. Returns the change of the card's height (positive when it grew).
    int ToggleExpanded(const JobListMetrics &metrics);

    // Reads the job's name, destination and source list again.
    void UpdateTexts();
    // The second button: normal when the main program's remembered folder (g_strComputerFolder) exists, else
    // disabled. A pressed or hovered button that stays enabled keeps its state.
    void UpdateDriveButton();
    // TRUE when the second button takes part: only for sync types 0 and 1.
    BOOL HasSecondButton() const;

    // Draws the card; resources may be null (nothing but the texts that need no resource is drawn then).
    void Draw(Gdiplus::Graphics &graphics, const JobListResources *resources);

    CJobListView *m_pView;
    CSkinStateButton m_headerButton;
    JobSourceListText m_sourceList;
    CJobDef *m_pJobDef;
    // The definition's owner, kept apart so that the job is found without touching the definition (FindJob
    // runs on other threads).
    CSyncJob *m_pJob;
    BOOL m_expanded;
    BOOL m_selected;
    BOOL m_buttonsActive;
    CRect m_rect;
    CString m_strName;
    CString m_strDestination;
    CSkinButtonNew m_runButton;
    CSkinButtonNew m_secondButton;

  private:
    void DrawDetails(Gdiplus::Graphics &graphics, const JobListResources &resources);
    void DrawButton(Gdiplus::Graphics &graphics, const JobListResources &resources, CSkinButtonNew &button);
};
