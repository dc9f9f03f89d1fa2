// COverWriteOption: what a folder-to-folder job does with a file that is at the destination already (template
// 492): the job's sources and destination above three choices, the first one chosen. OK (or the Continue button)
// stores the choice as "ow_type" 1, 2 or 3.
#pragma once
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/Dialog.h"

class CSyncJob;

class COverWriteOption : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_OVERWRITE_OPTION;

    COverWriteOption(CSyncJob *job, CWnd *pParent);
    ~COverWriteOption() override;

    BOOL OnInitDialog() override;

  protected:
    void OnOK() override;
    afx_msg void OnContinue();
    DECLARE_MESSAGE_MAP()

  private:
    CSyncJob *m_pJob;
};
