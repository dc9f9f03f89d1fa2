// The tables, images and links of the markup, as the drawer reaches them. The drawer lays out and draws flowing
// text itself; for a table block, an image or "string" tag, the running of an "href" link and the hand cursor
// over links it calls the extension made by CreatePPHtmlExtension (CPPHtmlExtension below). Without one (null) a
// table block and those tags take no room and draw nothing, an "href" click does nothing and no hand cursor is
// set.
//
// An implementation works through the drawer's public members marked "for the extension" in PPHtmlDrawer.h:
// the pass mode and DC, the current style and the style stack, the style sheet, the value parsers, flow blocks
// for cell contents, the placing of boxes and text in the current line, animation entries, the draw manager
// and the image shade settings. Every call happens inside a measuring or drawing pass, on the drawer's thread.
#pragma once
#include <windows.h>

#include <memory>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"
#include "ui/markup/PPHtmlHyperlink.h"
#include "ui/markup/PPHtmlImages.h"
#include "ui/markup/PPHtmlTables.h"

class CPPHtmlDrawer;

class IPPHtmlExtension
{
  public:
    virtual ~IPPHtmlExtension() = default;

    // A pass begins (drawer.IsMeasuring() tells which). A measuring pass follows every new text; a drawing pass
    // uses what the last measuring pass stored, so the extension numbers what it stores (table grids, say) in
    // the order it meets it and takes it back in the same order while drawing.
    virtual void BeginPass(CPPHtmlDrawer &drawer) = 0;

    // A table block: strTable runs from its "<table" through the matching "</table>" (or to the end of the text
    // when that is missing). frame gives the left and right edges and the top of the block (measuring: the
    // frame's right edge is the maximum width, 0 for none). Returns the block's size; a drawing pass draws the
    // table with its top-left corner at the frame's top-left and the drawer then moves down by the height.
    // Styles pushed by the extension are popped by it before returning.
    virtual CSize TableBlock(CPPHtmlDrawer &drawer, const CString &strTable, const CRect &frame) = 0;

    // An inline tag of the flow: nTag is PPTAG_BMP, PPTAG_ICON, PPTAG_ILST or PPTAG_STRING, strParams its
    // parameter text. The extension places what it shows with CPPHtmlDrawer::PlaceBox or PlaceText (in both
    // passes, with the same sizes) and draws it in the drawing pass.
    virtual void InlineTag(CPPHtmlDrawer &drawer, int nTag, const CString &strParams) = 0;

    // Runs an "href" link (nShowMode as for ShowWindow); returns the platform's result.
    virtual INT_PTR RunHyperlink(const CString &strUrl, int nShowMode) = 0;

    // The hand cursor shown over a link, or null when there is none.
    virtual HCURSOR GetHandCursor() = 0;
};

// Tables (PPHtmlTables.h), images and "string" tags (PPHtmlImages.h), links and the hand cursor
// (PPHtmlHyperlink.h).
class CPPHtmlExtension : public IPPHtmlExtension
{
  public:
    CPPHtmlExtension();
    ~CPPHtmlExtension() override;
    CPPHtmlExtension(const CPPHtmlExtension &) = delete;
    CPPHtmlExtension &operator=(const CPPHtmlExtension &) = delete;

    void BeginPass(CPPHtmlDrawer &drawer) override;
    CSize TableBlock(CPPHtmlDrawer &drawer, const CString &strTable, const CRect &frame) override;
    void InlineTag(CPPHtmlDrawer &drawer, int nTag, const CString &strParams) override;
    // Loads the hand cursor again, then opens the link.
    INT_PTR RunHyperlink(const CString &strUrl, int nShowMode) override;
    HCURSOR GetHandCursor() override;

    const CPPHtmlTables &GetTables() const
    {
        return m_tables;
    }

  private:
    CPPHtmlImages m_images;
    CPPHtmlTables m_tables;
    CPPHandCursor m_handCursor;
};

// The extension a new drawer uses: a CPPHtmlExtension.
std::unique_ptr<IPPHtmlExtension> CreatePPHtmlExtension();
