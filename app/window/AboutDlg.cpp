#include "app/window/AboutDlg.h"

#include <memory>

#include "app/start/Qordel.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/drawing/Dc.h"
#include "platform/system/Resources.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CSdSkinDlg)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd *pParent) : CSdSkinDlg(IDD_ABOUTBOX, pParent)
{
    LoadSkinImages(nullptr, L"dialog.png", L"brenmark_logo.png");
}

BOOL CAboutDlg::OnInitDialog()
{
    CSdSkinDlg::OnInitDialog();
    wchar_t program[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const CString version = length > 0 && length < MAX_PATH ? GetFileVersionText(program) : CString();
    SetDlgItemText(IDC_ABOUT_VERSION, FormatAboutText(kApplicationName, version));
    return TRUE;
}

HBRUSH CAboutDlg::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    if (nCtlColor == CTLCOLOR_STATIC && pWnd != nullptr && pWnd->GetDlgCtrlID() != IDC_ABOUT_VERSION)
    {
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return CSdSkinDlg::OnCtlColor(pDC, pWnd, nCtlColor);
}

CString GetFileVersionText(LPCWSTR path)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return CString();
    std::unique_ptr<BYTE[]> block(new BYTE[size]);
    VS_FIXEDFILEINFO *info = nullptr;
    UINT infoBytes = 0;
    if (!::GetFileVersionInfoW(path, 0, size, block.get()) ||
        !::VerQueryValueW(block.get(), L"\\", reinterpret_cast<void **>(&info), &infoBytes) || info == nullptr ||
        infoBytes < sizeof(VS_FIXEDFILEINFO))
        return CString();
    CString text;
    text.Format(L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return text;
}

CString FormatAboutText(LPCWSTR appName, LPCWSTR version)
{
    CString text = appName != nullptr ? appName : L"";
    if (version != nullptr && version[0] != L'\0')
    {
        CString line;
        line.Format(IDS_ABOUT_VERSION, version);
        text += L"\r\n" + line;
    }
    return text;
}
