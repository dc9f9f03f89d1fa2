// Geometry of the self-sizing message box, kept apart from the window so that it can be worked out (and
// tested) on plain rectangles.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

// The message's lines: the pieces between line feeds, without them. A text ending in a line feed has a last,
// empty piece.
std::vector<CString> SplitMessageLines(const CString &text);

// The message with line feeds put in so that no line is wider than maxWidth as width measures it. A line breaks
// after a blank; a word that is wider by itself (a long path) after one of its backslashes or slashes, or anywhere
// when none is left. The text's own line feeds stay; a blank where a line breaks is dropped.
CString WrapMessageText(const CString &text, int maxWidth, const std::function<int(const CString &)> &width);

// The rectangle moved (not resized, unless it is larger) so that it lies within area.
CRect KeepWithin(const CRect &rect, const CRect &area);

// The extent of a message in the font selected into dc: the width of its widest line and the height of its
// tallest line times the number of lines.
CSize MeasureMessageText(HDC dc, const CString &text);

// Captions, results and button placement of one box type (the caller's flags & 15).
struct MessageBoxButtons
{
    enum Shift
    {
        ShiftHalfWidening,  // the buttons move right by half of what the dialog grew
        ShiftWholeWidening, // the buttons move right by all of it
        CentreButton1,      // button 2 is hidden and button 1 centred on the dialog
    };
    UINT caption1 = 0; // string numbers of the language library; 0 keeps the template's caption
    UINT caption2 = 0;
    int result1 = IDOK;     // what button 1 ends the box with
    int result2 = IDCANCEL; // what button 2, Esc and closing end it with
    Shift shift = ShiftWholeWidening;
};
MessageBoxButtons MessageBoxButtonsForType(UINT flags);

// The rectangles that the layout moves: the dialog's window rectangle (screen coordinates) and, in client
// coordinates, the text static and the two buttons.
struct MessageBoxGeometry
{
    CRect dialog;
    CRect text;
    CRect button1;
    CRect button2;
};

// Fits the box to a message of the given extent: a narrower text shrinks the static and centres it, a wider
// one widens the dialog; a taller one lowers the static's and the dialog's bottom edges; the buttons follow.
MessageBoxGeometry LayOutMessageBox(const MessageBoxGeometry &before, CSize textExtent, UINT flags);
