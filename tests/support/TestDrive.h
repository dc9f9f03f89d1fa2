// Drive letters for the tests: a letter mapped onto a folder through Wine's mount manager, as Wine's own
// configuration tool maps one, for the life of the object.
#pragma once
#include <windows.h>

#include <string>

#include "platform/system/Handles.h"

namespace enginetest
{

// ctest runs test programs side by side: a letter is taken in turn through the mutex
// "VelbrookTestDrive_<upper-case letter>", which every test that maps drive letters holds while it uses one.
// Take several letters in alphabetical order.
class TestDrive
{
  public:
    // type: DRIVE_FIXED, or DRIVE_REMOVABLE or DRIVE_CDROM, which GetDriveTypeW then answers.
    TestDrive(wchar_t letter, const std::wstring &folder, ULONG type = DRIVE_FIXED);
    ~TestDrive();
    TestDrive(const TestDrive &) = delete;
    TestDrive &operator=(const TestDrive &) = delete;

    // Takes the letter away now, as a pulled drive goes, while the test keeps its turn on the letter; TRUE
    // when the letter is gone from the drive list.
    bool Remove();

    // Empty when the drive is ready, else what went wrong.
    const std::wstring &Error() const
    {
        return m_error;
    }
    // "E:\"
    std::wstring Root() const
    {
        return Name() + L"\\";
    }
    // "E:"
    std::wstring Name() const
    {
        return std::wstring(1, m_letter) + L":";
    }

  private:
    bool Define(const char *unixPath, ULONG type);

    wchar_t m_letter;
    CKernelHandle m_turn;
    bool m_holdsTurn = false;
    bool m_mapped = false;
    std::wstring m_error;
};

} // namespace enginetest
