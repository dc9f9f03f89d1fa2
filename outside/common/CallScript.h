// The stand-ins' scripted failures: every named call is counted, and a script makes one call of a name fail
// with an HRESULT: its n-th call, or the call made with a given key (a message id, a property tag). Not locked
// by itself: the stand-in's own state lock covers it.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace standin
{

class CallScript
{
  public:
    void Add(const std::wstring &call, DWORD which, HRESULT hr)
    {
        m_scripts.push_back(Script{call, which, hr});
    }
    // Counts the call; true (with hr) when a script names its count.
    bool Hit(const std::wstring &call, HRESULT &hr)
    {
        return Matches(call, ++m_counts[call], hr);
    }
    // Counts the call; true (with hr) when a script names the key.
    bool HitKeyed(const std::wstring &call, DWORD key, HRESULT &hr)
    {
        ++m_counts[call];
        return Matches(call, key, hr);
    }
    void Clear()
    {
        m_scripts.clear();
        m_counts.clear();
    }

  private:
    struct Script
    {
        std::wstring call;
        DWORD which;
        HRESULT hr;
    };

    bool Matches(const std::wstring &call, DWORD which, HRESULT &hr) const
    {
        for (const Script &script : m_scripts)
        {
            if (script.call == call && script.which == which)
            {
                hr = script.hr;
                return true;
            }
        }
        return false;
    }

    std::vector<Script> m_scripts;
    std::map<std::wstring, DWORD> m_counts;
};

} // namespace standin
