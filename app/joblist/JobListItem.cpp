#include "app/joblist/JobListItem.h"

#include "app/window/MainLayout.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/JobDef.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

// Without its image the collapsed header is this high.
const int kDefaultCollapsedHeight = 36;

const int kButtonWidth = 124;
const int kButtonHeight = 40;
const int kButtonTop = 50;
const int kRunButtonFromRight = 260;
const int kSecondButtonFromRight = 130;
// The caption box of a button: this far left of the button, this far below it, of this size.
const int kCaptionLeft = 48;
const int kCaptionBelow = 10;
const int kCaptionWidth = 220;
const int kCaptionHeight = 50;

const int kTriangleLeft = 14;
const int kTriangleSize = 12;
const int kNameLeft = 34;
const int kNameRight = 330;
const CRect kTypeImage(16, 52, 64, 100);
const CRect kDetails(74, 44, 290, 124);
const int kBottomBandHeight = 30;

Gdiplus::Rect ToRect(const CRect &rect)
{
    return Gdiplus::Rect(rect.left, rect.top, rect.Width(), rect.Height());
}

Gdiplus::RectF ToRectF(const CRect &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
}

void DrawImage(Gdiplus::Graphics &graphics, Gdiplus::Image *image, const CRect &rect)
{
    if (IsSkinImageValid(image))
        graphics.DrawImage(image, ToRect(rect));
}

void DrawText(Gdiplus::Graphics &graphics, const CString &text, const Gdiplus::Font *font, const Gdiplus::Brush &brush,
              const CRect &box, Gdiplus::StringAlignment alignment, Gdiplus::StringAlignment lineAlignment)
{
    if (font == nullptr || text.IsEmpty())
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(alignment);
    format.SetLineAlignment(lineAlignment);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    graphics.DrawString(text, text.GetLength(), font, ToRectF(box), &format, &brush);
}

} // namespace

JobListMetrics CurrentJobListMetrics()
{
    JobListMetrics metrics = {g_layoutJobCard.rect.Width(), g_layoutJobCard.rect.Height(), kDefaultCollapsedHeight};
    const JobListResources *resources = GetJobListResources();
    Gdiplus::Image *collapsed = resources != nullptr ? resources->card[CARD_IMAGE_HEADER_COLLAPSED].get() : nullptr;
    if (IsSkinImageValid(collapsed))
        metrics.collapsedHeight = static_cast<int>(collapsed->GetHeight());
    return metrics;
}

CJobListItem::CJobListItem(CJobListView *view, CJobDef *jobDef, BOOL buttonsActive)
    : m_pView(view), m_headerButton(L"", ID_JOBLIST_HEADER, nullptr, nullptr), m_pJobDef(jobDef),
      m_pJob(jobDef != nullptr ? jobDef->GetOwner() : nullptr), m_expanded(TRUE), m_selected(TRUE),
      m_buttonsActive(buttonsActive), m_runButton(L"", ID_JOBLIST_RUN_BUTTON, nullptr, nullptr),
      m_secondButton(L"", ID_JOBLIST_SECOND_BUTTON, nullptr, nullptr)
{
    const JobListMetrics metrics = CurrentJobListMetrics();
    m_rect.SetRect(0, 0, metrics.width, metrics.expandedHeight);
    m_headerButton.m_rect.SetRect(0, 0, metrics.width, metrics.collapsedHeight);
    m_runButton.m_rect.SetRect(metrics.width - kRunButtonFromRight, kButtonTop,
                               metrics.width - kRunButtonFromRight + kButtonWidth, kButtonTop + kButtonHeight);
    m_secondButton.m_rect.SetRect(metrics.width - kSecondButtonFromRight, kButtonTop,
                                  metrics.width - kSecondButtonFromRight + kButtonWidth, kButtonTop + kButtonHeight);
    m_runButton.m_caption = AfxLoadText(IDS_MAIN_BACKUP);
    m_secondButton.m_caption = AfxLoadText(IDS_MAIN_RESTORE);

    const JobListResources *resources = GetJobListResources();
    if (resources != nullptr)
    {
        m_headerButton.SetImages(resources->card[CARD_IMAGE_HEADER_EXPANDED].get(),
                                 resources->card[CARD_IMAGE_HEADER_COLLAPSED].get(), nullptr, nullptr);
        m_runButton.SetImage(resources->card[CARD_IMAGE_RUN_BUTTON].get());
        m_secondButton.SetImage(resources->card[CARD_IMAGE_SECOND_BUTTON].get());
    }
    m_sourceList.jobDef = jobDef;
    UpdateTexts();
    UpdateDriveButton();
}

void CJobListItem::MoveTo(int left, int top)
{
    m_rect.OffsetRect(left - m_rect.left, top - m_rect.top);
}

void CJobListItem::Offset(int dx, int dy)
{
    m_rect.OffsetRect(dx, dy);
}

int CJobListItem::ToggleExpanded(const JobListMetrics &metrics)
{
    const int before = m_rect.Height();
    m_expanded = !m_expanded;
    m_rect.bottom = m_rect.top + (m_expanded ? metrics.expandedHeight : metrics.collapsedHeight);
    const int shift = m_expanded ? kJobCardButtonShift : -kJobCardButtonShift;
    m_runButton.m_rect.OffsetRect(0, shift);
    m_secondButton.m_rect.OffsetRect(0, shift);
    m_headerButton.SetState(m_expanded ? 0 : 1);
    return m_rect.Height() - before;
}

void CJobListItem::UpdateTexts()
{
    if (m_pJobDef == nullptr)
        return;
    m_strName = m_pJobDef->GetName();
    m_strDestination = m_pJobDef->GetDest();
    BuildSourceListText(m_sourceList);
}

void CJobListItem::UpdateDriveButton()
{
    const bool exists =
        !g_strComputerFolder.IsEmpty() && ::GetFileAttributesW(g_strComputerFolder) != INVALID_FILE_ATTRIBUTES;
    m_secondButton.SetState(exists ? SKIN_STATE_NORMAL : SKIN_STATE_DISABLED);
}

BOOL CJobListItem::HasSecondButton() const
{
    if (m_pJobDef == nullptr)
        return FALSE;
    const int syncType = m_pJobDef->GetSyncType();
    return syncType == 0 || syncType == 1;
}

void CJobListItem::Draw(Gdiplus::Graphics &graphics, const JobListResources *resources)
{
    if (resources == nullptr || m_pJobDef == nullptr)
        return;
    // A collapsed card hides whatever lies below its header.
    Gdiplus::Region previousClip;
    graphics.GetClip(&previousClip);
    graphics.SetClip(ToRect(m_rect), Gdiplus::CombineModeIntersect);

    const int left = m_rect.left;
    const int top = m_rect.top;
    if (m_expanded)
        DrawImage(graphics, resources->card[CARD_IMAGE_BODY].get(), m_rect);
    m_headerButton.Draw(graphics, left, top, FALSE);
    CRect header = m_headerButton.m_rect;
    header.OffsetRect(left, top);
    if (m_selected)
        DrawImage(graphics, resources->card[CARD_IMAGE_HEADER_SELECTED].get(), header);

    const CRect triangle(left + kTriangleLeft, top + (header.Height() - kTriangleSize) / 2,
                         left + kTriangleLeft + kTriangleSize, top + (header.Height() + kTriangleSize) / 2);
    DrawImage(graphics, resources->card[m_expanded ? CARD_IMAGE_TRIANGLE_OPEN : CARD_IMAGE_TRIANGLE_CLOSED].get(),
              triangle);

    const bool running = m_pJob != nullptr && m_pJob->m_runState == JOB_BUSY;
    const bool disabled = m_pJobDef->GetState() == 0;
    Gdiplus::SolidBrush runningBrush(resources->runningColour);
    const Gdiplus::Brush *nameBrush = disabled ? resources->grey.get() : resources->white.get();
    if (running)
        nameBrush = &runningBrush;
    if (nameBrush != nullptr)
        DrawText(graphics, m_strName, resources->verdana9.get(), *nameBrush,
                 CRect(left + kNameLeft, header.top, left + kNameRight, header.bottom), Gdiplus::StringAlignmentNear,
                 Gdiplus::StringAlignmentCenter);

    if (m_expanded)
    {
        static const JobListCardImage kTypeImages[] = {CARD_IMAGE_ONE_WAY, CARD_IMAGE_TWO_WAY, CARD_IMAGE_SYNC_WAY};
        const int syncType = m_pJobDef->GetSyncType();
        if (syncType >= 0 && syncType < 3)
        {
            CRect type = kTypeImage;
            type.OffsetRect(left, top);
            DrawImage(graphics, resources->card[kTypeImages[syncType]].get(), type);
        }
        DrawImage(graphics, resources->card[CARD_IMAGE_BOTTOM].get(),
                  CRect(left, m_rect.bottom - kBottomBandHeight, m_rect.right, m_rect.bottom));
        DrawDetails(graphics, *resources);
    }
    if (m_buttonsActive)
    {
        DrawButton(graphics, *resources, m_runButton);
        if (HasSecondButton())
            DrawButton(graphics, *resources, m_secondButton);
    }
    graphics.SetClip(&previousClip);
}

void CJobListItem::DrawDetails(Gdiplus::Graphics &graphics, const JobListResources &resources)
{
    CRect box = kDetails;
    box.OffsetRect(m_rect.left, m_rect.top);
    DrawImage(graphics, resources.card[CARD_IMAGE_DETAILS].get(), box);
    box.DeflateRect(6, 4);
    if (resources.arial8 == nullptr || resources.darkSlate == nullptr)
        return;

    Gdiplus::RectF line;
    graphics.MeasureString(L"Ag", 2, resources.arial8.get(), Gdiplus::PointF(0, 0), &line);
    const int lineHeight = static_cast<int>(line.Height + 0.5f);

    CString destination = resources.destinationLabel;
    if (!destination.IsEmpty())
        destination += L" ";
    destination += m_strDestination;
    DrawText(graphics, destination, resources.arial8.get(), *resources.darkSlate,
             CRect(box.left, box.top, box.right, box.top + lineHeight), Gdiplus::StringAlignmentNear,
             Gdiplus::StringAlignmentNear);

    CRect sources(box.left, box.top + lineHeight, box.right, box.bottom - lineHeight);
    if (m_pJob != nullptr && m_pJob->m_runState == JOB_BUSY)
    {
        CString status = m_pJob->GetStatusText();
        if (status.IsEmpty())
            status = resources.preparingText;
        Gdiplus::SolidBrush runningBrush(resources.runningColour);
        DrawText(graphics, status, resources.arial8.get(), runningBrush,
                 CRect(box.left, box.bottom - lineHeight, box.right, box.bottom), Gdiplus::StringAlignmentNear,
                 Gdiplus::StringAlignmentNear);
    }
    else
    {
        sources.bottom = box.bottom;
    }
    if (resources.slate != nullptr)
        DrawText(graphics, m_sourceList.text, resources.arial8.get(), *resources.slate, sources,
                 Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentNear);
}

void CJobListItem::DrawButton(Gdiplus::Graphics &graphics, const JobListResources &resources, CSkinButtonNew &button)
{
    button.Draw(graphics, m_rect.left, m_rect.top, FALSE);
    const CRect caption(m_rect.left + button.m_rect.left - kCaptionLeft,
                        m_rect.top + button.m_rect.bottom + kCaptionBelow,
                        m_rect.left + button.m_rect.left - kCaptionLeft + kCaptionWidth,
                        m_rect.top + button.m_rect.bottom + kCaptionBelow + kCaptionHeight);
    Gdiplus::SolidBrush brush(button.GetState() == SKIN_STATE_DISABLED ? Gdiplus::Color(255, 160, 160, 160)
                                                                       : resources.textColour);
    DrawText(graphics, button.m_caption, resources.arial9.get(), brush, caption, Gdiplus::StringAlignmentCenter,
             Gdiplus::StringAlignmentNear);
}
