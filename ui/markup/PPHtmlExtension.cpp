#include "ui/markup/PPHtmlExtension.h"

#include "ui/markup/PPHtmlDrawer.h"
#include "ui/markup/PPHtmlHyperlink.h"

CPPHtmlExtension::CPPHtmlExtension() : m_tables(m_images)
{
}

CPPHtmlExtension::~CPPHtmlExtension() = default;

void CPPHtmlExtension::BeginPass(CPPHtmlDrawer &drawer)
{
    m_tables.BeginPass(drawer);
}

CSize CPPHtmlExtension::TableBlock(CPPHtmlDrawer &drawer, const CString &strTable, const CRect &frame)
{
    return m_tables.TableBlock(drawer, strTable, frame);
}

void CPPHtmlExtension::InlineTag(CPPHtmlDrawer &drawer, int nTag, const CString &strParams)
{
    m_images.InlineTag(drawer, nTag, strParams);
}

INT_PTR CPPHtmlExtension::RunHyperlink(const CString &strUrl, int nShowMode)
{
    m_handCursor.Reload();
    return ::RunHyperlink(strUrl, nShowMode);
}

HCURSOR CPPHtmlExtension::GetHandCursor()
{
    return m_handCursor.Get();
}

std::unique_ptr<IPPHtmlExtension> CreatePPHtmlExtension()
{
    return std::make_unique<CPPHtmlExtension>();
}
