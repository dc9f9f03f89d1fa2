#include "setup/zorbit/OpenZorbitDlg.h"

#include <cstring>
#include <vector>

#include "engine/log/LogMsg.h"
#include "engine/snapshot/ZorbitVolumeCalls.h"
#include "platform/controls/Controls.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// The log's location of a failed open.
const wchar_t kLocation[] = L"Zorbit\\OpenZorbitDlg";

// An 8-bit text of a fixed buffer, widened; the buffer need not be zero-ended.
CString Widen(const char *text, size_t size)
{
    const size_t length = ::strnlen(text, size);
    return CString(text, static_cast<int>(length));
}

UINT FailureText(int result)
{
    switch (result)
    {
    case 1:
        return IDS_ZORBIT_OPEN_FAILED_1;
    case 2:
        return IDS_ZORBIT_OPEN_FAILED_2;
    case 3:
        return IDS_ZORBIT_OPEN_FAILED_3;
    case 4:
        return IDS_ZORBIT_OPEN_FAILED_4;
    case 5:
        return IDS_ZORBIT_OPEN_FAILED_5;
    default:
        return IDS_ZORBIT_OPEN_OTHER;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(COpenZorbitDlg, CDialog)
ON_BN_CLICKED(IDC_ZORBIT_OPEN, &COpenZorbitDlg::OnOpen)
ON_BN_CLICKED(IDC_ZORBIT_REFRESH, &COpenZorbitDlg::OnRefresh)
ON_BN_CLICKED(IDC_ZORBIT_SHARED_1203, &COpenZorbitDlg::OnNoAction)
ON_BN_CLICKED(IDC_ZORBIT_SHARED_1212, &COpenZorbitDlg::OnNoAction)
END_MESSAGE_MAP()

COpenZorbitDlg::COpenZorbitDlg(const ZorbitRecord &record, CWnd *pParent) : CDialog(IDD, pParent), m_record(record)
{
    m_volumePicture.LoadBitmap(IDB_ZORBIT_VOLUME);
    m_infoPicture.LoadBitmap(IDB_ZORBIT_INFO);
}

COpenZorbitDlg::~COpenZorbitDlg() = default;

BOOL COpenZorbitDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const struct
    {
        UINT id;
        CBitmap &picture;
    } pictures[] = {{IDC_ZORBIT_VOLUME_PICTURE, m_volumePicture}, {IDC_ZORBIT_SHARED_1212, m_infoPicture}};
    for (const auto &picture : pictures)
    {
        if (CWnd *button = GetDlgItem(static_cast<int>(picture.id)))
            button->SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.picture.GetSafeHandle()));
    }
    SetDlgItemText(IDC_ZORBIT_NAME, Widen(m_record.name, sizeof(m_record.name)));
    return TRUE;
}

void COpenZorbitDlg::OnRefresh()
{
    const ZorbitVolumeCalls calls = g_zorbitVolumeCalls.Get();
    if (!calls.information)
        return;
    char text[kZorbitTextBytes] = {};
    DWORD value = 0;
    calls.information(m_record, text, &value);
    SetDlgItemText(IDC_ZORBIT_INFO_TEXT, Widen(text, sizeof(text)));
}

void COpenZorbitDlg::OnNoAction()
{
}

void COpenZorbitDlg::OnOK()
{
    OnOpen();
}

void COpenZorbitDlg::OnOpen()
{
    const ZorbitVolumeCalls calls = g_zorbitVolumeCalls.Get();
    if (!calls.isOpen || calls.isOpen(m_record) != 0)
    {
        EndDialog(IDOK);
        return;
    }
    CString code;
    GetDlgItemText(IDC_ZORBIT_CODE, code);
    if (code.GetLength() < kMinCodeLength || code.GetLength() > kMaxCodeLength)
    {
        SkinMessageBoxId(IDS_ZORBIT_CODE_LENGTH, MB_OK);
        return;
    }
    if (TryCode(code))
        EndDialog(IDOK);
    else
        SkinMessageBoxId(IDS_ZORBIT_WRONG_CODE, MB_OK);
}

BOOL COpenZorbitDlg::TryCode(const CString &code)
{
    const ZorbitVolumeCalls calls = g_zorbitVolumeCalls.Get();
    if (!calls.open)
        return FALSE;
    // The agent takes the code as 8-bit text: each unit keeps its low byte, with zeros after it.
    std::vector<char> narrow(static_cast<size_t>(code.GetLength()) + 3, '\0');
    for (int i = 0; i < code.GetLength(); ++i)
        narrow[static_cast<size_t>(i)] = static_cast<char>(code[i] & 0xFF);
    char output[kZorbitTextBytes] = {};
    const int result = calls.open(m_record, narrow.data(), output);
    if (result == 0)
        return TRUE;
    AppLog.LogIdAt(kLocation, __LINE__, ::GetLastError(), LM_ERROR, FailureText(result));
    return FALSE;
}
