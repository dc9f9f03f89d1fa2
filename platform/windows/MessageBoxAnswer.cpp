#include "platform/windows/MessageBoxAnswer.h"

Seam<MessageBoxAnswer> g_messageBoxAnswer{MessageBoxAnswer()};

int AfxShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    if (MessageBoxAnswer answer = g_messageBoxAnswer.Get())
        return answer(0, CString(text != nullptr ? text : L""), flags);
    return ::MessageBoxW(owner, text != nullptr ? text : L"", caption != nullptr ? caption : L"", flags);
}
