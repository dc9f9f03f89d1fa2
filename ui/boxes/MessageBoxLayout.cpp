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

namespace
{

bool IsBreakAfter(wchar_t ch)
{
    return ch == L' ' || ch == L'\\' || ch == L'/';
}

// The pieces of a line that a break may follow: each ends with a blank, a backslash or a slash, or at the line's
// end.
std::vector<CString> BreakPieces(const CString &line)
{
    std::vector<CString> pieces;
    int start = 0;
    for (int i = 0; i < line.GetLength(); ++i)
    {
        if (!IsBreakAfter(line[i]))
            continue;
        pieces.push_back(line.Mid(start, i + 1 - start));
        start = i + 1;
    }
    if (start < line.GetLength())
        pieces.push_back(line.Mid(start));
    return pieces;
}

void AppendLine(CString &out, CString line)
{
    line.TrimRight(L' ');
    if (!out.IsEmpty())
        out += L'\n';
    out += line;
}

} // namespace

CString WrapMessageText(const CString &text, int maxWidth, const std::function<int(const CString &)> &width)
{
    if (maxWidth <= 0)
        return text;
    CString out;
    bool first = true;
    for (const CString &line : SplitMessageLines(text))
    {
        // An empty line (a blank line of the text) is kept as it is.
        if (!first)
            out += L'\n';
        first = false;
        CString wrapped;
        CString current;
        for (CString piece : BreakPieces(line))
        {
            if (width(current + piece) <= maxWidth)
            {
                current += piece;
                continue;
            }
            if (!current.IsEmpty())
                AppendLine(wrapped, current);
            current.Empty();
            // A piece wider than a line by itself is cut where the line is full.
            while (piece.GetLength() > 1 && width(piece) > maxWidth)
            {
                int fits = 1;
                while (fits + 1 < piece.GetLength() && width(piece.Left(fits + 1)) <= maxWidth)
                    ++fits;
                AppendLine(wrapped, piece.Left(fits));
                piece = piece.Mid(fits);
            }
            current = piece;
        }
        if (!current.IsEmpty() || wrapped.IsEmpty())
            AppendLine(wrapped, current);
        out += wrapped;
    }
    return out;
}

CRect KeepWithin(const CRect &rect, const CRect &area)
{
    CRect kept = rect;
    if (kept.right > area.right)
        kept.OffsetRect(area.right - kept.right, 0);
    if (kept.bottom > area.bottom)
        kept.OffsetRect(0, area.bottom - kept.bottom);
    if (kept.left < area.left)
        kept.OffsetRect(area.left - kept.left, 0);
    if (kept.top < area.top)
        kept.OffsetRect(0, area.top - kept.top);
    return kept;
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
