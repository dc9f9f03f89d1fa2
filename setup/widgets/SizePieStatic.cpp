#include "setup/widgets/SizePieStatic.h"

#include "platform/drawing/MemDC.h"
#include "engine/program/FolderSizeScanner.h"

BEGIN_MESSAGE_MAP(CSizePieStatic, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSizePieStatic::CSizePieStatic() : m_path(L"C:\\"), m_pScanner(nullptr), m_timerId(0)
{
}

CSizePieStatic::~CSizePieStatic()
{
    m_drives.clear();
}

void CSizePieStatic::SetPath(LPCWSTR path)
{
    m_path = path != nullptr ? path : L"";
    QueryDriveSpace(m_path, m_figures);
    Repaint();
}

void CSizePieStatic::SetSizeScanner(CFolderSizeScanner *scanner)
{
    m_pScanner = scanner;
    m_figures.hasScanner = scanner != nullptr;
    if (m_hWnd == nullptr)
        return;
    KillTimer(TIMER_DRIVE_REFRESH);
    m_timerId = SetTimer(TIMER_DRIVE_REFRESH, kDriveRefreshMs);
}

void CSizePieStatic::SetThreshold(int percent)
{
    m_figures.warningThreshold = percent;
    Repaint();
}

CString CSizePieStatic::GetDriveDisplayName()
{
    m_figures.name = ::GetDriveDisplayName(m_path, m_drives);
    Repaint();
    return m_figures.name;
}

DriveUsageFigures CSizePieStatic::GetFigures() const
{
    return m_figures;
}

void CSizePieStatic::Repaint()
{
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
}

void CSizePieStatic::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != TIMER_DRIVE_REFRESH)
    {
        CStatic::OnTimer(nIDEvent);
        return;
    }
    if (m_pScanner == nullptr)
        return;
    const ULONGLONG total = m_pScanner->GetTotalSize(FALSE);
    if (total == m_figures.added)
        return;
    m_figures.added = total;
    Repaint();
}

void CSizePieStatic::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CMemDC memDC(&dc, &client);
    Gdiplus::Graphics graphics(memDC.GetSafeHdc());
    DrawSizePieWidget(graphics, client, m_figures);
}

BOOL CSizePieStatic::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CSizePieStatic::OnDestroy()
{
    if (m_timerId != 0)
        KillTimer(TIMER_DRIVE_REFRESH);
    m_timerId = 0;
    CStatic::OnDestroy();
}
