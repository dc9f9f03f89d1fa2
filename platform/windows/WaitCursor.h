// CWaitCursor: the hourglass for the life of the object, on the calling thread; the cursor shown before comes back
// when the object goes (or at Restore, after a message box or another window took the cursor meanwhile).
#pragma once
#include <windows.h>

class CWaitCursor
{
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor &) = delete;
    CWaitCursor &operator=(const CWaitCursor &) = delete;

    // Shows the hourglass again.
    void Restore();

  private:
    HCURSOR m_previous;
};
