// The program's own message box: sizes itself to its text, labels its buttons from the language library and
// shows no icon. SkinMessageBox and SkinMessageBoxId are the only way the program shows it, from any thread.
#pragma once
#include <windows.h>

#include "platform/windows/Dialog.h"
#include "platform/text/String.h"

class CMessageBoxDlg : public CDialog
{
  public:
    // The text is string textId of the language library (empty when it lacks it); only flags & 15 count.
    CMessageBoxDlg(UINT textId, UINT flags);
    CMessageBoxDlg(LPCWSTR text, UINT flags);

    // Runs the box modally. Its owner is the calling thread's active window, or none: never a window of another
    // thread, whose input would otherwise be tied to this one.
    INT_PTR DoModal() override;

    BOOL OnInitDialog() override;
    // End the box with the result that the type gives each button (1 or 6 for the first, 2 or 7 for the
    // second, Esc and closing).
    void OnOK() override;
    void OnCancel() override;

    const CString &GetText() const
    {
        return m_strText;
    }
    UINT GetType() const
    {
        return m_nType;
    }

  protected:
    CString m_strText;
    UINT m_nType;
    int m_nModal;

  private:
    INT_PTR RunWithoutOwner();
    void FitToText();
};

// Shows text in the message box and returns the pressed button's result. While the program's message-box answer
// hook is set (platform/windows/MessageBoxAnswer.h) it answers instead, with string number 0.
int SkinMessageBox(LPCWSTR text, UINT flags);
// The same with string textId of the language library (the hook gets the number and the loaded text).
int SkinMessageBoxId(UINT textId, UINT flags);
