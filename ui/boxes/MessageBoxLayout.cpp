#include "ui/boxes/MessageBoxLayout.h"

#include "outside/Phrasel/PhraselIds.h"

std::vector<CString> SplitMessageLines(const CString &text)
{
    std::vector<CString> lines;
    int start = 0;
    for (;;)
    {
        int feed = text.Find(L'\n', start);
        if (feed < 0)
        {
            lines.push_back(text.Mid(start));
            return lines;
        }
        lines.push_back(text.Mid(start, feed - start));
        start = feed + 1;
    }
}

CSize MeasureMessageText(HDC dc, const CString &text)
{
    std::vector<CString> lines = SplitMessageLines(text);
    int width = 0;
    int lineHeight = 0;
    for (const CString &line : lines)
    {
        SIZE extent = {0, 0};
        if (!GetTextExtentPoint32W(dc, line, line.GetLength(), &extent))
            continue;
        if (extent.cx > width)
            width = extent.cx;
        if (extent.cy > lineHeight)
            lineHeight = extent.cy;
    }
    return CSize(width, lineHeight * static_cast<int>(lines.size()));
}

MessageBoxButtons MessageBoxButtonsForType(UINT flags)
{
    MessageBoxButtons buttons;
    switch (flags & 15)
    {
    case MB_OK:
        buttons.caption1 = IDS_BUTTON_OK;
        buttons.shift = MessageBoxButtons::CentreButton1;
        break;
    case MB_OKCANCEL:
        buttons.caption1 = IDS_BUTTON_OK;
        buttons.caption2 = IDS_BUTTON_CANCEL;
        buttons.shift = MessageBoxButtons::ShiftHalfWidening;
        break;
    case MB_YESNO:
        buttons.caption1 = IDS_BUTTON_YES;
        buttons.caption2 = IDS_BUTTON_NO;
        buttons.result1 = IDYES;
        buttons.result2 = IDNO;
        buttons.shift = MessageBoxButtons::ShiftHalfWidening;
        break;
    case MB_RETRYCANCEL:
        // Callers of a retry box test for 1, not IDRETRY.
        buttons.caption1 = IDS_BUTTON_RETRY;
        buttons.caption2 = IDS_BUTTON_RETRY_CANCEL;
        buttons.shift = MessageBoxButtons::ShiftHalfWidening;
        break;
    default:
        break;
    }
    return buttons;
}

MessageBoxGeometry LayOutMessageBox(const MessageBoxGeometry &before, CSize textExtent, UINT flags)
{
    MessageBoxGeometry after = before;

    int widening = 0;
    int dx = textExtent.cx - before.text.Width();
    if (dx < 0)
    {
        // Centred on the dialog's outer width, as the box has always placed it.
        after.text.left = (before.dialog.Width() - textExtent.cx) / 2;
        after.text.right = after.text.left + textExtent.cx;
    }
    else if (dx > 0)
    {
        after.text.right += dx;
        after.dialog.right += dx;
        widening = dx;
    }

    int dy = textExtent.cy - before.text.Height();
    if (dy < 0)
        dy = 0;
    after.text.bottom += dy;
    after.dialog.bottom += dy;

    int shift = widening;
    switch (MessageBoxButtonsForType(flags).shift)
    {
    case MessageBoxButtons::ShiftHalfWidening:
        shift = widening >> 1;
        break;
    case MessageBoxButtons::CentreButton1:
        shift = (after.dialog.Width() - before.button1.Width()) / 2 - before.button1.left;
        break;
    case MessageBoxButtons::ShiftWholeWidening:
        break;
    }
    after.button1.OffsetRect(shift, dy);
    after.button2.OffsetRect(shift, dy);
    return after;
}
