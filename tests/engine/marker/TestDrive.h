// Drive letters for the tests: under Wine a letter is a link in the prefix's "dosdevices" folder, made here by
// the Unix tools (a Windows program cannot make a Unix link itself), and an entry of the drive list.
#pragma once
#include <windows.h>

#include <string>

// Links a drive letter to a folder for the object's life; the link is removed again on destruction. ctest runs
// test processes side by side: a letter is taken in turn through the mutex "VelbrookTestDrive_<letter>", which
// every test that maps drive letters holds while it uses one. Take several letters in alphabetical order.
class TestDrive
{
public:
    TestDrive(wchar_t letter, const std::wstring &folder);
    ~TestDrive();
    TestDrive(const TestDrive &) = delete;
    TestDrive &operator=(const TestDrive &) = delete;

    // Empty when the drive is ready, else what went wrong.
    const std::wstring &Error() const { return m_error; }
    // "E:\"
    std::wstring Root() const { return Name() + L"\\"; }
    // "E:"
    std::wstring Name() const { return std::wstring(1, m_letter) + L":"; }

private:
    bool RunUnixTool(const std::wstring &tool, const std::wstring &arguments);

    wchar_t m_letter;
    HANDLE m_turn = nullptr;
    std::wstring m_linkPath; // Unix path of the link
    std::wstring m_error;
    bool m_linked = false;
    bool m_defined = false;
};
