// CDialogAutoDel: the revisions and options of a job (template 44001), opened from the destination page: how many
// earlier versions of a replaced file are kept (1 to 10, or every one), whether files deleted from the sources
// leave the backup (and go to its recycle folder), whether the backup keeps full paths, and whether the list of
// copy errors is shown. OK writes through the job's definition; Cancel writes nothing.
#pragma once
#include <windows.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/windows/Dialog.h"

class CSyncJob;

namespace autodel
{

// The revisions combo box: " 1" ... "10" (item data 1 to 10), then "All" (item data 11) at index 10.
constexpr int kUnlimitedIndex = 10;
// The entry that shows the stored "maxver": maxver - 1 for 1 to 10, the unlimited entry for -1, none (-1) for any
// other value (the import of old settings may write one).
int RevisionIndexFor(int maxVer);
// "maxver" after OK: 0 with the combo box off, -1 for the unlimited entry, index + 1 for the others. With no entry
// chosen (a stored value the box has none for, or a typed text) the stored value stays.
int MaxVerAfterOk(int storedMaxVer, BOOL comboEnabled, int index);

} // namespace autodel

class CDialogAutoDel : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_AUTO_DEL;

    // The fields are read from the job here.
    CDialogAutoDel(CSyncJob *job, CWnd *pParent);
    ~CDialogAutoDel() override;

    BOOL OnInitDialog() override;

    int m_keepRevisions;
    int m_autoDelete;
    int m_retainFullPath;
    int m_suppressErrorLog;
    int m_moveToRecycle;

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    // Closes, then writes the options and "maxver"; "retain_full_path" (and the job's layout-changed flag) only
    // when it changed.
    void OnOK() override;

    afx_msg void OnKeepRevisions();
    afx_msg void OnAutoDelete();
    DECLARE_MESSAGE_MAP()

  private:
    CSyncJob *m_pJob;
    CComboBox m_revisions;
};
