#include "setup/wizard/PageBase.h"

#include "platform/drawing/Dc.h"

BEGIN_MESSAGE_MAP(CPageBase, CDialog)
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_WM_SIZE()
END_MESSAGE_MAP()

CPageBase::CPageBase(UINT nIDTemplate, CWnd *pParent)
    : CDialog(nIDTemplate, pParent), m_pJob(nullptr), m_nTemplateId(nIDTemplate)
{
}

CPageBase::~CPageBase() = default;

CSyncJob *CPageBase::SetJob(CSyncJob *job)
{
    m_pJob = job;
    return m_pJob;
}

BOOL CPageBase::LoadPage()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPageBase::SavePage()
{
    return UpdateData(TRUE);
}

BOOL CPageBase::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_backgroundBrush.DeleteObject();
    m_backgroundBrush.CreateSolidBrush(kPageBackground);
    return TRUE;
}

void CPageBase::OnOK()
{
}

void CPageBase::OnCancel()
{
}

BOOL CPageBase::OnEraseBkgnd(CDC *pDC)
{
    CRect client;
    GetClientRect(&client);
    if (m_backgroundBrush.GetSafeHandle() == nullptr)
        return CDialog::OnEraseBkgnd(pDC);
    CSelectObjectGuard brush(*pDC, m_backgroundBrush.GetSafeHandle());
    pDC->PatBlt(client.left, client.top, client.Width(), client.Height(), PATCOPY);
    return TRUE;
}

HBRUSH CPageBase::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    switch (nCtlColor)
    {
    case CTLCOLOR_MSGBOX:
    case CTLCOLOR_EDIT:
    case CTLCOLOR_LISTBOX:
    case CTLCOLOR_DLG:
    case CTLCOLOR_SCROLLBAR:
    case CTLCOLOR_STATIC:
        if (m_backgroundBrush.GetSafeHandle() != nullptr)
        {
            pDC->SetBkColor(kPageBackground);
            return static_cast<HBRUSH>(m_backgroundBrush.GetSafeHandle());
        }
        break;
    default:
        break;
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CPageBase::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
}
