#include "platform/controls/DataExchange.h"

#include <cwchar>
#include <cwctype>

#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"

CDataExchange::CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = m_pDlgWnd != nullptr ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (hWndCtrl == nullptr)
    {
        wchar_t text[80];
        wsprintfW(text, L"Data exchange: the dialog has no control %d\n", nIDC);
        ::OutputDebugStringW(text);
        Fail();
    }
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_pDlgWnd != nullptr && m_idLastControl != 0)
    {
        HWND hWndLast = ::GetDlgItem(m_pDlgWnd->m_hWnd, m_idLastControl);
        if (hWndLast != nullptr)
        {
            if (m_bEditLastControl)
                ::SendMessageW(hWndLast, EM_SETSEL, 0, -1);
            ::SetFocus(hWndLast);
        }
    }
    throw CDataExchangeFailure();
}

namespace
{

CString WindowText(HWND hWnd)
{
    CString text;
    int length = ::GetWindowTextLengthW(hWnd);
    if (length > 0)
    {
        LPWSTR buffer = text.GetBuffer(length);
        int copied = ::GetWindowTextW(hWnd, buffer, length + 1);
        text.ReleaseBuffer(copied > 0 ? copied : 0);
    }
    return text;
}

// Changing only what differs keeps the control from flickering and from reporting a change that is none.
void SetWindowTextIfChanged(HWND hWnd, LPCWSTR text)
{
    if (WindowText(hWnd) != text)
        ::SetWindowTextW(hWnd, text);
}

bool ParseInt(LPCWSTR text, int &value)
{
    const wchar_t *p = text;
    while (std::iswspace(*p))
        ++p;
    bool negative = false;
    if (*p == L'-' || *p == L'+')
    {
        negative = *p == L'-';
        ++p;
    }
    if (*p < L'0' || *p > L'9')
        return false;
    long long magnitude = 0;
    while (*p >= L'0' && *p <= L'9')
    {
        magnitude = magnitude * 10 + (*p - L'0');
        if (magnitude > 2147483648LL)
            return false;
        ++p;
    }
    while (std::iswspace(*p))
        ++p;
    if (*p != L'\0')
        return false;
    long long result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL)
        return false;
    value = static_cast<int>(result);
    return true;
}

} // namespace

void DDX_Text(CDataExchange *pDX, int nIDC, CString &value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(hWndCtrl);
    else
        SetWindowTextIfChanged(hWndCtrl, value);
}

void DDX_Text(CDataExchange *pDX, int nIDC, int &value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        CString text = WindowText(hWndCtrl);
        int parsed = 0;
        if (!ParseInt(text, parsed))
        {
            ::MessageBoxW(pDX->m_pDlgWnd->m_hWnd, L"Please enter a whole number.", AfxGetAppName(),
                          MB_OK | MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = parsed;
    }
    else
    {
        wchar_t text[16];
        wsprintfW(text, L"%d", value);
        SetWindowTextIfChanged(hWndCtrl, text);
    }
}

void DDX_Check(CDataExchange *pDX, int nIDC, int &value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        value = static_cast<int>(::SendMessageW(hWndCtrl, BM_GETCHECK, 0, 0));
    }
    else
    {
        if (value < BST_UNCHECKED || value > BST_INDETERMINATE)
            value = BST_UNCHECKED;
        ::SendMessageW(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Radio(CDataExchange *pDX, int nIDC, int &value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int button = 0;
    // The group runs from nIDC to the next control that starts a group.
    do
    {
        if (::SendMessageW(hWndCtrl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        {
            if (pDX->m_bSaveAndValidate)
            {
                if (::SendMessageW(hWndCtrl, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
                    value = button;
            }
            else
            {
                ::SendMessageW(hWndCtrl, BM_SETCHECK, button == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++button;
        }
        hWndCtrl = ::GetWindow(hWndCtrl, GW_HWNDNEXT);
    } while (hWndCtrl != nullptr && (::GetWindowLongW(hWndCtrl, GWL_STYLE) & WS_GROUP) == 0);
}

void DDX_CBIndex(CDataExchange *pDX, int nIDC, int &index)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(hWndCtrl, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl)
{
    if (rControl.m_hWnd != nullptr)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl))
    {
        wchar_t text[96];
        wsprintfW(text, L"Data exchange: control %d could not be subclassed\n", nIDC);
        ::OutputDebugStringW(text);
        pDX->Fail();
    }
}
