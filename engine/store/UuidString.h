// A freshly made UUID in its 36-character text form (8-4-4-4-12 lower-case hexadecimal digits, no braces).
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CUuidString
{
  public:
    CUuidString() = default;

    // Makes a new UUID and keeps its text. A UUID that is unique on this computer only, or one made without
    // a network address, is good enough for our identities. FALSE (and empty text) when none could be made.
    BOOL Create();

    const CString &GetText() const
    {
        return m_text;
    }
    operator LPCWSTR() const
    {
        return m_text;
    }
    bool IsEmpty() const
    {
        return m_text.IsEmpty();
    }

  private:
    CString m_text;
};
