// Images of the markup: the "bmp", "icon" and "ilst" tags in the flow, the "string" tag, and the background
// images of tables and cells.
//
// An image comes from the program's resources ("idres", the language library first), from a library named by
// "srcdll" ("iddll"; loaded as a data file for the one load, so none of its code runs), from a file ("file"),
// or from a handle the caller keeps ("handle", borrowed and never freed). Loaded images are freed after each
// use. A missing image takes no room.
#pragma once
#include <windows.h>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

class CPPHtmlDrawer;

class CPPHtmlImages
{
  public:
    // Places (and in a drawing pass draws) the image or resource string of a "bmp", "icon", "ilst" or "string"
    // tag in the drawer's current line.
    void InlineTag(CPPHtmlDrawer &drawer, int nTag, const CString &strParams);
    // Draws a background value ("idres:<number>", "iddll:<number>" or "file:<path>") stretched over the
    // rectangle; nothing while the drawer is disabled, for a value shorter than 6 characters, of another kind,
    // or whose image is missing.
    void DrawBackground(CPPHtmlDrawer &drawer, const CString &strValue, const CRect &rect);
};
