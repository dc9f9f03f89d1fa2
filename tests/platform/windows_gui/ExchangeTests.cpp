// Data exchange with check boxes, radio groups, combo boxes and numbers; owner-drawn controls.
#include <gtest/gtest.h>

#include "platform/controls/Controls.h"
#include "platform/controls/DataExchange.h"
#include "platform/drawing/Dc.h"
#include "platform/windows/Dialog.h"
#include "TestResources.h"
#include "WindowTestSupport.h"

namespace
{

class COwnerDrawnButton : public CButton
{
  public:
    int draws = 0;
    UINT lastCtlType = 0;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++draws;
        lastCtlType = lpDrawItemStruct->CtlType;
        CDC *pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
        pDC->FillSolidRect(&lpDrawItemStruct->rcItem, RGB(10, 20, 30));
    }
};

class CExchangeDlg : public CDialog
{
  public:
    CExchangeDlg() : CDialog(IDD_TEST_EXCHANGE)
    {
    }

    int m_check = BST_CHECKED;
    int m_radio = 1;
    int m_comboIndex = 2;
    int m_number = -42;
    COwnerDrawnButton m_drawn;
    CComboBox m_combo;
    int parentDrawItems = 0;

  protected:
    BOOL OnInitDialog() override
    {
        // The combo box needs its items before the exchange selects one.
        m_combo.SubclassDlgItem(IDC_TEST_COMBO, this);
        m_combo.AddString(L"zero");
        m_combo.AddString(L"one");
        m_combo.AddString(L"two");
        return CDialog::OnInitDialog();
    }

    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Control(pDX, IDC_TEST_OWNERDRAW, m_drawn);
        DDX_Check(pDX, IDC_TEST_CHECK, m_check);
        DDX_Radio(pDX, IDC_TEST_RADIO1, m_radio);
        DDX_CBIndex(pDX, IDC_TEST_COMBO, m_comboIndex);
        DDX_Text(pDX, IDC_TEST_NUMBER, m_number);
    }

    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
    {
        ++parentDrawItems;
        CDialog::OnDrawItem(nIDCtl, lpDrawItemStruct);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CExchangeDlg, CDialog)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

// Answers the message box that a failed exchange shows, so that the test never waits for a person.
HWND g_dialogOfMessageBox = nullptr;
bool g_messageBoxAnswered = false;

BOOL CALLBACK AnswerMessageBox(HWND hWnd, LPARAM)
{
    if (::GetWindow(hWnd, GW_OWNER) == g_dialogOfMessageBox && ::IsWindowVisible(hWnd))
    {
        ::PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
        g_messageBoxAnswered = true;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK LookForMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), AnswerMessageBox, 0);
}

class ExchangeTest : public ::testing::Test
{
  protected:
    // The template lives in the test program; the language library comes first and lacks it.
    wintest::LanguageLibrary m_language;
};

TEST_F(ExchangeTest, ValuesGoIntoTheControlsAndComeBack)
{
    CExchangeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_EXCHANGE));
    EXPECT_EQ(BST_CHECKED, static_cast<int>(dlg.IsDlgButtonChecked(IDC_TEST_CHECK)));
    EXPECT_EQ(BST_UNCHECKED, static_cast<int>(dlg.IsDlgButtonChecked(IDC_TEST_RADIO1)));
    EXPECT_EQ(BST_CHECKED, static_cast<int>(dlg.IsDlgButtonChecked(IDC_TEST_RADIO2)));
    EXPECT_EQ(2, dlg.m_combo.GetCurSel());
    CString text;
    dlg.GetDlgItemText(IDC_TEST_NUMBER, text);
    EXPECT_EQ(CString(L"-42"), text);

    dlg.CheckDlgButton(IDC_TEST_CHECK, BST_UNCHECKED);
    dlg.CheckRadioButton(IDC_TEST_RADIO1, IDC_TEST_RADIO3, IDC_TEST_RADIO3);
    dlg.m_combo.SetCurSel(0);
    dlg.SetDlgItemText(IDC_TEST_NUMBER, L"  +17 ");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(BST_UNCHECKED, dlg.m_check);
    EXPECT_EQ(2, dlg.m_radio);
    EXPECT_EQ(0, dlg.m_comboIndex);
    EXPECT_EQ(17, dlg.m_number);

    // No radio button checked reads as -1; an out-of-range check value loads as unchecked.
    dlg.CheckRadioButton(IDC_TEST_RADIO1, IDC_TEST_RADIO3, 0);
    dlg.m_check = 9;
    ASSERT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(BST_UNCHECKED, dlg.m_check);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(2, dlg.m_radio);
    dlg.CheckRadioButton(IDC_TEST_RADIO1, IDC_TEST_RADIO3, 0);
    ::SendDlgItemMessageW(dlg.m_hWnd, IDC_TEST_RADIO3, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(-1, dlg.m_radio);
}

TEST_F(ExchangeTest, NumberThatIsNotOneFailsTheExchangeAndKeepsTheValue)
{
    CExchangeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_EXCHANGE));
    g_dialogOfMessageBox = dlg.m_hWnd;
    g_messageBoxAnswered = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 100, LookForMessageBox);
    // Each box takes a moment to go away under Wine without a window manager; three cases suffice.
    for (LPCWSTR bad : {L"12x", L"", L"99999999999"})
    {
        dlg.SetDlgItemText(IDC_TEST_NUMBER, bad);
        dlg.m_number = 5;
        EXPECT_FALSE(dlg.UpdateData(TRUE)) << "text: " << static_cast<const void *>(bad);
        EXPECT_EQ(5, dlg.m_number);
        // The focus went to the offending box.
        EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_TEST_NUMBER), ::GetFocus());
    }
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(g_messageBoxAnswered);
    // The smallest int is a number like any other.
    dlg.SetDlgItemText(IDC_TEST_NUMBER, L"-2147483648");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(-2147483647 - 1, dlg.m_number);
}

TEST_F(ExchangeTest, OwnerDrawnButtonDrawsItselfThroughReflection)
{
    CExchangeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_EXCHANGE));
    ASSERT_EQ(&dlg.m_drawn, CWnd::FromHandlePermanent(::GetDlgItem(dlg.m_hWnd, IDC_TEST_OWNERDRAW)));
    dlg.ShowWindow(SW_SHOW);
    dlg.m_drawn.RedrawWindow();
    wintest::PumpPending();
    EXPECT_GT(dlg.m_drawn.draws, 0);
    EXPECT_EQ(static_cast<UINT>(ODT_BUTTON), dlg.m_drawn.lastCtlType);
    // The parent's own handler ran first; its base handler passed the message on to the button.
    EXPECT_EQ(dlg.m_drawn.draws, dlg.parentDrawItems);
}

} // namespace
