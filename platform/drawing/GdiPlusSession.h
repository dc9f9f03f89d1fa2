// GDI+ for the lifetime of an object: started on construction, shut down on destruction. Every GDI+ image must
// be deleted before the session that loaded it ends, so shared images are freed by an explicit call, never by a
// static destructor.
#pragma once
#include <windows.h>

class CGdiPlusSession
{
  public:
    CGdiPlusSession();
    ~CGdiPlusSession();
    CGdiPlusSession(const CGdiPlusSession &) = delete;
    CGdiPlusSession &operator=(const CGdiPlusSession &) = delete;

    bool IsStarted() const
    {
        return m_token != 0;
    }

  private:
    ULONG_PTR m_token = 0;
};
