// CSvrSelectDlg: the job selection dialog of a "--select" request (template 46460): the jobs of the collection in
// a list, from which the user picks the job that the main window's pending source paths join. OK adds them
// (AddPendingSources, PendingSources.h) and closes; without a job picked it says so (469) and stays.
//
// Job setup cannot see the main window's job list view, so the caller hands in the list as a picker factory: the
// main window makes its job list view, tests a plain list.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/text/Geometry.h"
#include "platform/windows/Dialog.h"

class CJobDef;

// The list of jobs in the dialog.
class IJobPicker
{
  public:
    virtual ~IJobPicker() = default;
    // Appends the job's entry, in collection order.
    virtual void AddJob(CJobDef *jobDef) = 0;
    // The picked job's definition; null when none is picked.
    virtual CJobDef *GetSelectedJob() const = 0;
};

// Makes the picker as the child window id of parent over rect, shown and ready for its entries; null when it
// could not be made. The window belongs to parent (it goes with it); the picker object to the dialog.
using JobPickerFactory = std::function<std::unique_ptr<IJobPicker>(CWnd &parent, const CRect &rect, UINT id)>;

// The job list's child id.
constexpr UINT IDC_SVR_SELECT_LIST = 100;

class CSvrSelectDlg : public CDialog
{
  public:
    static constexpr UINT IDD = IDD_SVR_SELECT;

    CSvrSelectDlg(CWnd *pParent, JobPickerFactory makePicker);
    ~CSvrSelectDlg() override;

    // The list over the client area less 45 pixels at the foot, filled with every job of the collection.
    BOOL OnInitDialog() override;

    IJobPicker *GetPicker() const
    {
        return m_picker.get();
    }

  protected:
    void OnOK() override;

  private:
    JobPickerFactory m_makePicker;
    std::unique_ptr<IJobPicker> m_picker;
};
