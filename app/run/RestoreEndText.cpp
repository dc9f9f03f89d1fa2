#include "app/run/RestoreEndText.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

CString RestoreEndText(int errorCount, int newerKept)
{
    CString text;
    if (errorCount > 0)
        text.Format(IDS_RESTORE_INCOMPLETE, errorCount);
    else
        text = AfxLoadText(IDS_RESTORE_FINISHED);
    if (newerKept > 0)
    {
        CString newer;
        newer.Format(IDS_RESTORE_NEWER_LEFT, newerKept);
        text += L" " + newer;
    }
    return text;
}
