// COpenZorbitDlg: opening a protected device volume with its code (template 410) before it serves as a source or
// destination. It shows the volume's name (and on Refresh the agent's information on it) and takes a code of 8 to
// 32 characters. The device agent's calls come through g_zorbitVolumeCalls; without the agent (this build) OK only
// closes the dialog.
#pragma once
#include <windows.h>

#include "engine/snapshot/ZorbitInfo.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/windows/Dialog.h"

class COpenZorbitDlg : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_OPEN_ZORBIT;
    static constexpr int kMinCodeLength = 8;
    static constexpr int kMaxCodeLength = 32;

    // Keeps a copy of the record.
    COpenZorbitDlg(const ZorbitRecord &record, CWnd *pParent);
    ~COpenZorbitDlg() override;

    BOOL OnInitDialog() override;

    const ZorbitRecord &GetRecord() const
    {
        return m_record;
    }
    // Tries the code with the agent's open call: TRUE when the volume opened. A failure is recorded in the
    // program's log with the agent's reason (47414 to 47418, else 47412); without the call it fails unrecorded.
    BOOL TryCode(const CString &code);

  protected:
    // Enter is the open button.
    void OnOK() override;
    afx_msg void OnOpen();
    afx_msg void OnRefresh();
    // Buttons 1203 and 1212 are the main window's (help, and the information picture): nothing here.
    afx_msg void OnNoAction();
    DECLARE_MESSAGE_MAP()

  private:
    ZorbitRecord m_record;
    CBitmap m_volumePicture;
    CBitmap m_infoPicture;
};
