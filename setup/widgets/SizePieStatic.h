// CSizePieStatic: the pie of a destination drive on the destination page of the new-job wizard. It shows how full
// the drive is, how much the job would add (the total of a folder size scanner, read every 500 ms) and the
// warning threshold. It paints itself off screen; only a changed scanner total repaints it.
#pragma once
#include <windows.h>

#include "setup/widgets/DriveUsageDrawing.h"
#include "platform/controls/Controls.h"

class CFolderSizeScanner;

// The widgets' polling timer.
constexpr UINT_PTR TIMER_DRIVE_REFRESH = 2000;
constexpr UINT kDriveRefreshMs = 500;

class CSizePieStatic : public CStatic
{
  public:
    CSizePieStatic();
    ~CSizePieStatic() override;

    // Zeroes the sizes and, for a path that is not empty, reads its drive's total and free space; repaints.
    void SetPath(LPCWSTR path);
    // Follows the scanner's total (null: none); restarts the 500 ms timer.
    void SetSizeScanner(CFolderSizeScanner *scanner);
    // The warning threshold in percent; the marker is drawn from 50 to 100.
    void SetThreshold(int percent);
    // The display name of the current path's drive (which the pie shows from then on).
    CString GetDriveDisplayName();

    const CString &GetPath() const
    {
        return m_path;
    }
    // What the pie shows now.
    DriveUsageFigures GetFigures() const;

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    void Repaint();

    CString m_path;
    DriveUsageFigures m_figures;
    CFolderSizeScanner *m_pScanner;
    UINT_PTR m_timerId;
    DriveRecordMap m_drives;
};
