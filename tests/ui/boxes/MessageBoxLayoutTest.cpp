// The message box's geometry, worked out on plain rectangles.
#include "outside/Phrasel/PhraselIds.h"
#include "ui/boxes/MessageBoxLayout.h"

#include <gtest/gtest.h>

namespace
{

// A box as the template lays it out at some font size: window rectangle on the screen, the rest in client
// coordinates.
MessageBoxGeometry TemplateBox()
{
    MessageBoxGeometry box;
    box.dialog = CRect(100, 200, 100 + 320, 200 + 130);
    box.text = CRect(11, 16, 11 + 284, 16 + 16);
    box.button1 = CRect(48, 58, 48 + 86, 58 + 26);
    box.button2 = CRect(171, 58, 171 + 86, 58 + 26);
    return box;
}

void ExpectRect(const CRect &actual, const CRect &expected, const char *what)
{
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

CRect Moved(CRect rect, int dx, int dy)
{
    rect.OffsetRect(dx, dy);
    return rect;
}

} // namespace

TEST(MessageBoxLayout, SplitsAtEveryLineFeed)
{
    struct Case
    {
        const wchar_t *text;
        std::vector<const wchar_t *> lines;
    } cases[] = {
        {L"", {L""}},
        {L"one line", {L"one line"}},
        {L"first\nsecond", {L"first", L"second"}},
        {L"ends with a feed\n", {L"ends with a feed", L""}},
        {L"\n\n", {L"", L"", L""}},
        {L"a\r\nb", {L"a\r", L"b"}},
    };
    for (const Case &c : cases)
    {
        std::vector<CString> lines = SplitMessageLines(c.text);
        ASSERT_EQ(lines.size(), c.lines.size()) << "text: " << testing::PrintToString(std::wstring(c.text));
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_STREQ(lines[i], c.lines[i]);
    }
}

TEST(MessageBoxLayout, MeasuresWidestLineAndTallestLineTimesLineCount)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));

    SIZE wide = {}, narrow = {};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"A rather wider line", 19, &wide));
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"x", 1, &narrow));

    CSize one = MeasureMessageText(dc, L"x");
    EXPECT_EQ(one.cx, narrow.cx);
    EXPECT_EQ(one.cy, narrow.cy);

    CSize three = MeasureMessageText(dc, L"x\nA rather wider line\nx");
    EXPECT_EQ(three.cx, wide.cx);
    EXPECT_EQ(three.cy, 3 * wide.cy);

    // A trailing line feed counts one more, empty line.
    CSize trailing = MeasureMessageText(dc, L"A rather wider line\n");
    EXPECT_EQ(trailing.cx, wide.cx);
    EXPECT_EQ(trailing.cy, 2 * wide.cy);

    SelectObject(dc, oldFont);
    DeleteDC(dc);
}

TEST(MessageBoxLayout, NarrowLineShrinksAndCentresTheStatic)
{
    MessageBoxGeometry before = TemplateBox();
    MessageBoxGeometry after = LayOutMessageBox(before, CSize(100, 13), MB_OKCANCEL);

    // Centred on the dialog's outer width; top and height kept.
    ExpectRect(after.text, CRect((320 - 100) / 2, 16, (320 - 100) / 2 + 100, 32), "text");
    ExpectRect(after.dialog, before.dialog, "dialog");
    ExpectRect(after.button1, before.button1, "button 1");
    ExpectRect(after.button2, before.button2, "button 2");

    // An odd difference rounds towards zero.
    after = LayOutMessageBox(before, CSize(101, 13), MB_OKCANCEL);
    EXPECT_EQ(after.text.left, (320 - 101) / 2);
    EXPECT_EQ(after.text.Width(), 101);
}

TEST(MessageBoxLayout, WideLinesGrowTheDialogAndMoveTheButtons)
{
    MessageBoxGeometry before = TemplateBox();
    const int lineHeight = 13;
    const int excess = 100;
    const int growth = 3 * lineHeight - before.text.Height();
    CSize extent(before.text.Width() + excess, 3 * lineHeight);

    for (UINT flags : {UINT(MB_OKCANCEL), UINT(MB_YESNO), UINT(MB_YESNO | MB_ICONQUESTION), UINT(MB_RETRYCANCEL)})
    {
        SCOPED_TRACE(flags);
        MessageBoxGeometry after = LayOutMessageBox(before, extent, flags);
        ExpectRect(after.dialog, CRect(100, 200, 420 + excess, 330 + growth), "dialog");
        ExpectRect(after.text, CRect(11, 16, 295 + excess, 32 + growth), "text");
        ExpectRect(after.button1, Moved(before.button1, excess / 2, growth), "button 1");
        ExpectRect(after.button2, Moved(before.button2, excess / 2, growth), "button 2");
    }

    // Types without their own captions move the buttons by the whole widening.
    for (UINT flags : {UINT(MB_ABORTRETRYIGNORE), UINT(MB_YESNOCANCEL), UINT(MB_CANCELTRYCONTINUE)})
    {
        SCOPED_TRACE(flags);
        MessageBoxGeometry after = LayOutMessageBox(before, extent, flags);
        ExpectRect(after.button1, Moved(before.button1, excess, growth), "button 1");
        ExpectRect(after.button2, Moved(before.button2, excess, growth), "button 2");
    }

    // Half of an odd widening rounds down.
    MessageBoxGeometry odd = LayOutMessageBox(before, CSize(before.text.Width() + 101, 13), MB_OKCANCEL);
    EXPECT_EQ(odd.button1.left, before.button1.left + 50);
}

TEST(MessageBoxLayout, ExactFitAndShortTextLeaveEverythingInPlace)
{
    MessageBoxGeometry before = TemplateBox();
    MessageBoxGeometry after = LayOutMessageBox(before, CSize(before.text.Width(), 10), MB_YESNO);
    ExpectRect(after.dialog, before.dialog, "dialog");
    ExpectRect(after.text, before.text, "text");
    ExpectRect(after.button1, before.button1, "button 1");
    ExpectRect(after.button2, before.button2, "button 2");
}

TEST(MessageBoxLayout, SingleButtonIsCentredOnTheDialog)
{
    MessageBoxGeometry before = TemplateBox();
    for (CSize extent : {CSize(100, 13), CSize(284, 16), CSize(284 + 77, 3 * 13)})
    {
        SCOPED_TRACE(extent.cx);
        for (UINT flags : {UINT(MB_OK), UINT(MB_OK | MB_ICONWARNING), UINT(MB_OK | MB_ICONINFORMATION)})
        {
            MessageBoxGeometry after = LayOutMessageBox(before, extent, flags);
            EXPECT_EQ(after.button1.left, (after.dialog.Width() - before.button1.Width()) / 2);
            EXPECT_EQ(after.button1.Width(), before.button1.Width());
            EXPECT_EQ(after.button1.top, before.button1.top + (after.dialog.Height() - before.dialog.Height()));
            // Button 2 moves with it (it is hidden).
            EXPECT_EQ(after.button2.left - before.button2.left, after.button1.left - before.button1.left);
        }
    }
}

TEST(MessageBoxLayout, TypeTableGivesCaptionsAndResults)
{
    struct Row
    {
        UINT flags;
        UINT caption1, caption2;
        int result1, result2;
        MessageBoxButtons::Shift shift;
    } rows[] = {
        {MB_OK, IDS_BUTTON_OK, 0, IDOK, IDCANCEL, MessageBoxButtons::CentreButton1},
        {MB_OK | MB_ICONWARNING, IDS_BUTTON_OK, 0, IDOK, IDCANCEL, MessageBoxButtons::CentreButton1},
        {MB_OK | MB_ICONINFORMATION, IDS_BUTTON_OK, 0, IDOK, IDCANCEL, MessageBoxButtons::CentreButton1},
        {MB_OKCANCEL, IDS_BUTTON_OK, IDS_BUTTON_CANCEL, IDOK, IDCANCEL, MessageBoxButtons::ShiftHalfWidening},
        {MB_YESNO, IDS_BUTTON_YES, IDS_BUTTON_NO, IDYES, IDNO, MessageBoxButtons::ShiftHalfWidening},
        {MB_YESNO | MB_ICONQUESTION, IDS_BUTTON_YES, IDS_BUTTON_NO, IDYES, IDNO, MessageBoxButtons::ShiftHalfWidening},
        {MB_YESNO | MB_DEFBUTTON2, IDS_BUTTON_YES, IDS_BUTTON_NO, IDYES, IDNO, MessageBoxButtons::ShiftHalfWidening},
        {MB_RETRYCANCEL, IDS_BUTTON_RETRY, IDS_BUTTON_RETRY_CANCEL, IDOK, IDCANCEL,
         MessageBoxButtons::ShiftHalfWidening},
        {MB_ABORTRETRYIGNORE, 0, 0, IDOK, IDCANCEL, MessageBoxButtons::ShiftWholeWidening},
        {MB_YESNOCANCEL, 0, 0, IDOK, IDCANCEL, MessageBoxButtons::ShiftWholeWidening},
        {15, 0, 0, IDOK, IDCANCEL, MessageBoxButtons::ShiftWholeWidening},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.flags);
        MessageBoxButtons buttons = MessageBoxButtonsForType(row.flags);
        EXPECT_EQ(buttons.caption1, row.caption1);
        EXPECT_EQ(buttons.caption2, row.caption2);
        EXPECT_EQ(buttons.result1, row.result1);
        EXPECT_EQ(buttons.result2, row.result2);
        EXPECT_EQ(buttons.shift, row.shift);
    }
}

TEST(MessageBoxLayout, ALongTextWrapsWithinTheWidthAndALongPathBreaksAfterItsBackslashes)
{
    // Ten pixels a character, twenty characters a line.
    const auto width = [](const CString &line) { return line.GetLength() * 10; };
    const struct
    {
        const wchar_t *text, *wrapped;
    } rows[] = {
        {L"Fits as it is.", L"Fits as it is."},
        {L"Words go on the next line when full.", L"Words go on the\nnext line when full."},
        {L"Too long: C:\\Users\\Someone\\Documents\\report.docx",
         L"Too long: C:\\Users\\\nSomeone\\Documents\\\nreport.docx"},
        {L"Abcdefghijklmnopqrstuvwxyz", L"Abcdefghijklmnopqrst\nuvwxyz"},
        {L"Kept\n\nlines", L"Kept\n\nlines"},
    };
    for (const auto &row : rows)
        EXPECT_STREQ(WrapMessageText(row.text, 200, width), row.wrapped);
    // The box moves back onto the screen, whole.
    const CRect screen(0, 0, 1024, 768);
    EXPECT_EQ(KeepWithin(CRect(700, 300, 1300, 450), screen), CRect(424, 300, 1024, 450));
    EXPECT_EQ(KeepWithin(CRect(-50, -10, 250, 90), screen), CRect(0, 0, 300, 100));
}
