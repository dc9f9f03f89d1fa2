// CSizeThumbDriveStatic: the usage bar of the removable drive in the main window (control 1205). It shows the
// drive's name, how much of it is used and free, and, while it follows a folder size scanner, the size of the
// backup being prepared. Every 500 ms it reads the drive's space again and repaints when the free space or the
// scanner's total changed. It paints itself off screen with the skin's two bar images.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "setup/widgets/SizePieStatic.h"

class CSizeThumbDriveStatic : public CStatic
{
  public:
    CSizeThumbDriveStatic();
    ~CSizeThumbDriveStatic() override;

    // Keeps the path, zeroes the sizes and, for a path that is not empty, reads its drive's space and name;
    // repaints, and (with a window) starts the 500 ms timer.
    void SetPath(LPCWSTR path);
    // Follows the scanner's total (null: none); restarts the 500 ms timer.
    void SetSizeScanner(CFolderSizeScanner *scanner);
    CFolderSizeScanner *GetSizeScanner() const
    {
        return m_pScanner;
    }
    // Loads "progress_empty.png" and "progress_used.png" from the folder.
    void SetSkinFolder(const CString &folder);
    // Back to no path, no sizes and no scanner; the timer stops.
    void Reset();
    // The display name of the kept path's drive.
    CString GetDriveDisplayName();

    const CString &GetPath() const
    {
        return m_keptPath;
    }
    DriveUsageFigures GetFigures() const
    {
        return m_figures;
    }

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

  private:
    void Repaint();
    void RestartTimer();

    CString m_path;
    CString m_keptPath;
    DriveUsageFigures m_figures;
    CFolderSizeScanner *m_pScanner;
    UINT_PTR m_timerId;
    CString m_skinFolder;
    std::unique_ptr<Gdiplus::Image> m_emptyImage;
    std::unique_ptr<Gdiplus::Image> m_usedImage;
    DriveRecordMap m_drives;
};
