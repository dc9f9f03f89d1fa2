// A settings file written through the platform's private-profile functions.
#pragma once
#include <windows.h>

#include <memory>

class CIni
{
  public:
    CIni() = default;
    virtual ~CIni() = default;
    CIni(const CIni &) = delete;
    CIni &operator=(const CIni &) = delete;

    // A path replaces the held one. Null empties the held path (it stays an empty string, not null) and does
    // nothing when none is held.
    void SetPath(LPCWSTR path);
    // The held path; null before the first SetPath.
    LPCWSTR GetPath() const
    {
        return m_path.get();
    }

    // Writes one value (null is written as empty text). FALSE for a null section or key and when no path is
    // held: the profile functions would otherwise write to the system's win.ini.
    BOOL WriteString(LPCWSTR section, LPCWSTR key, LPCWSTR value);

  private:
    std::unique_ptr<wchar_t[]> m_path;
};
