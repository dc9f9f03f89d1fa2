#include "app/widgets/SizeThumbDriveStatic.h"

#include "platform/drawing/MemDC.h"
#include "engine/program/FolderSizeScanner.h"

namespace
{

std::unique_ptr<Gdiplus::Image> LoadImageFrom(const CString &folder, LPCWSTR name)
{
    CString path = folder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\' && path[path.GetLength() - 1] != L'/')
        path += L'\\';
    path += name;
    return std::unique_ptr<Gdiplus::Image>(new Gdiplus::Image(path));
}

} // namespace

BEGIN_MESSAGE_MAP(CSizeThumbDriveStatic, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSizeThumbDriveStatic::CSizeThumbDriveStatic() : m_path(L"C:\\"), m_pScanner(nullptr), m_timerId(0)
{
}

CSizeThumbDriveStatic::~CSizeThumbDriveStatic()
{
    m_drives.clear();
}

void CSizeThumbDriveStatic::SetPath(LPCWSTR path)
{
    m_keptPath = path != nullptr ? path : L"";
    QueryDriveSpace(m_keptPath, m_figures);
    m_figures.name = ::GetDriveDisplayName(m_keptPath, m_drives);
    RestartTimer();
    Repaint();
}

void CSizeThumbDriveStatic::SetSizeScanner(CFolderSizeScanner *scanner)
{
    m_pScanner = scanner;
    m_figures.hasScanner = scanner != nullptr;
    m_figures.added = scanner != nullptr ? scanner->GetTotalSize(FALSE) : 0;
    RestartTimer();
    Repaint();
}

void CSizeThumbDriveStatic::SetSkinFolder(const CString &folder)
{
    m_skinFolder = folder;
    m_emptyImage = LoadImageFrom(folder, L"progress_empty.png");
    m_usedImage = LoadImageFrom(folder, L"progress_used.png");
}

void CSizeThumbDriveStatic::Reset()
{
    m_keptPath.Empty();
    m_figures = DriveUsageFigures();
    m_pScanner = nullptr;
    m_drives.clear();
    if (m_hWnd != nullptr && m_timerId != 0)
        KillTimer(TIMER_DRIVE_REFRESH);
    m_timerId = 0;
    Repaint();
}

CString CSizeThumbDriveStatic::GetDriveDisplayName()
{
    m_figures.name = ::GetDriveDisplayName(m_keptPath, m_drives);
    return m_figures.name;
}

void CSizeThumbDriveStatic::Repaint()
{
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
}

void CSizeThumbDriveStatic::RestartTimer()
{
    if (m_hWnd == nullptr)
        return;
    KillTimer(TIMER_DRIVE_REFRESH);
    m_timerId = SetTimer(TIMER_DRIVE_REFRESH, kDriveRefreshMs);
}

void CSizeThumbDriveStatic::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != TIMER_DRIVE_REFRESH)
    {
        CStatic::OnTimer(nIDEvent);
        return;
    }
    bool changed = false;
    if (!m_keptPath.IsEmpty())
    {
        DriveUsageFigures now = m_figures;
        QueryDriveSpace(m_keptPath, now);
        if (now.free != m_figures.free)
        {
            m_figures.total = now.total;
            m_figures.used = now.used;
            m_figures.free = now.free;
            changed = true;
        }
    }
    if (m_pScanner != nullptr)
    {
        const ULONGLONG total = m_pScanner->GetTotalSize(FALSE);
        if (total != m_figures.added)
        {
            m_figures.added = total;
            changed = true;
        }
    }
    if (changed)
        Repaint();
}

void CSizeThumbDriveStatic::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CMemDC memDC(&dc, &client);
    // The bar lies on the main window's skin; its ground is the window's background colour.
    memDC.FillSolidRect(&client, RGB(222, 242, 255));
    Gdiplus::Graphics graphics(memDC.GetSafeHdc());
    DrawDriveBarWidget(graphics, client, m_figures, m_emptyImage.get(), m_usedImage.get());
}

BOOL CSizeThumbDriveStatic::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CSizeThumbDriveStatic::OnDestroy()
{
    if (m_timerId != 0)
        KillTimer(TIMER_DRIVE_REFRESH);
    m_timerId = 0;
    CStatic::OnDestroy();
}
