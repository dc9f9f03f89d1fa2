#include "ui/skin/SdSkinDlg.h"

#include "platform/drawing/Dc.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const int kCloseSize = 24;
const int kCloseRightInset = 28;
const int kCloseTop = 4;

std::unique_ptr<Gdiplus::Image> LoadImageFrom(const CString &folder, LPCWSTR name)
{
    CString path = folder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\' && path[path.GetLength() - 1] != L'/')
        path += L'\\';
    path += name != nullptr ? name : L"";
    return std::unique_ptr<Gdiplus::Image>(new Gdiplus::Image(path));
}

} // namespace

BEGIN_MESSAGE_MAP(CSdSkinDlg, CDialog)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_ERASEBKGND()
ON_WM_CLOSE()
END_MESSAGE_MAP()

CSdSkinDlg::CSdSkinDlg(UINT nIDTemplate, CWnd *pParent) : CDialog(nIDTemplate, pParent), m_pCloseButton(nullptr)
{
}

CSdSkinDlg::~CSdSkinDlg()
{
    for (INT_PTR i = 0; i < m_buttons.GetSize(); ++i)
        delete m_buttons[i];
    m_buttons.RemoveAll();
    delete m_pCloseButton;
    m_pCloseButton = nullptr;
}

void CSdSkinDlg::LoadSkinImages(LPCWSTR folder, LPCWSTR backgroundName, LPCWSTR bannerName)
{
    CString from = folder != nullptr ? folder : L"";
    if (from.IsEmpty())
        from = g_strSkinFolder;
    m_background = LoadImageFrom(from, backgroundName);
    m_banner = LoadImageFrom(from, bannerName);
}

CRect CSdSkinDlg::CloseButtonRect(int clientWidth)
{
    const int left = clientWidth - kCloseRightInset;
    return CRect(left, kCloseTop, left + kCloseSize, kCloseTop + kCloseSize);
}

BOOL CSdSkinDlg::OnInitDialog()
{
    // The frame is recalculated at once, so that the client area the close element is placed in is the
    // captionless one.
    ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED);
    ModifyStyleEx(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE, 0, SWP_FRAMECHANGED);
    CDialog::OnInitDialog();
    CenterWindow();

    delete m_pCloseButton;
    m_pCloseButton = nullptr;
    Gdiplus::Image *strip = g_skinImages[SKIN_IMAGE_CLOSE];
    if (IsSkinImageValid(strip))
    {
        CRect client;
        GetClientRect(&client);
        const CRect rect = CloseButtonRect(client.Width());
        m_pCloseButton = new CSkinButtonNew(L"", IDCANCEL, &rect, nullptr);
        m_pCloseButton->SetImage(strip);
    }
    return TRUE;
}

void CSdSkinDlg::OnLButtonDown(UINT, CPoint point)
{
    SkinElementButtonDown(this, m_pCloseButton, point);
}

void CSdSkinDlg::OnLButtonUp(UINT, CPoint point)
{
    if (SkinElementButtonUp(m_pCloseButton, point))
        SkinElementPostCommand(this, m_pCloseButton);
}

void CSdSkinDlg::OnMouseMove(UINT, CPoint point)
{
    SkinElementMouseMove(this, m_pCloseButton, point);
}

BOOL CSdSkinDlg::OnEraseBkgnd(CDC *pDC)
{
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr)
        return TRUE;
    CRect client;
    GetClientRect(&client);
    Gdiplus::Graphics graphics(pDC->GetSafeHdc());
    if (IsSkinImageValid(m_background.get()))
    {
        graphics.DrawImage(m_background.get(), Gdiplus::Rect(client.left, client.top, client.Width(), client.Height()));
    }
    else
    {
        // Without its image the dialog still gets a plain face rather than whatever was on the screen.
        pDC->FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    }
    if (m_pCloseButton != nullptr && m_pCloseButton->GetState() != SKIN_STATE_DISABLED)
        m_pCloseButton->Draw(graphics, 0, 0, TRUE);
    return TRUE;
}

void CSdSkinDlg::OnClose()
{
    CDialog::OnCancel();
}
