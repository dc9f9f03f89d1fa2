// Helpers shared by the test programs: the program folder of the build, temporary folders, and program-wide values
// set for a scope.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

namespace testsupport
{

// The program folder of the build ("...\out\", with the trailing backslash), laid out as on the drive.
std::wstring ProgramFolder();
// The English language folder ("...\out\ENU\") and its skin folder ("...\out\ENU\Skin\").
std::wstring LanguageFolder();
std::wstring SkinFolder();
// The build folder ("...\build\", with the trailing backslash): the parent of the test program's folder. Tests
// leave pictures there for a person to look at.
std::wstring BuildFolder();

// A folder of its own under the system's temporary folder, removed with everything in it on destruction.
class TempFolder
{
  public:
    TempFolder();
    // A folder of its own inside parent (with its trailing backslash) rather than the temporary folder.
    explicit TempFolder(const std::wstring &parent);
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    // The folder's path with a trailing backslash.
    const std::wstring &Path() const
    {
        return m_path;
    }
    // Path() + relative.
    std::wstring operator/(const std::wstring &relative) const
    {
        return m_path + relative;
    }

  private:
    std::wstring m_path;
};

// Gives a program-wide variable a value while the object lives, then puts back what it held.
template <typename T> struct ScopedValue
{
    ScopedValue(T &target, T value) : variable(target), saved(std::exchange(target, std::move(value)))
    {
    }
    ~ScopedValue()
    {
        variable = std::move(saved);
    }
    T &variable;
    T saved;
};

// Writes bytes to a file (creating or truncating it); true on success.
bool WriteFileBytes(const std::wstring &path, const std::string &bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring &path);
// Appends every path below folder (with its trailing backslash) whose name holds the temporary-copy mark
// ".~#T"; reparse points are not followed.
void CollectTemporaryCopies(const std::wstring &folder, std::vector<std::wstring> &found);
// The same paths as a list of their own.
std::vector<std::wstring> TemporaryCopies(const std::wstring &folder);
// Removes a folder tree (files read-only or not); true when it is gone.
bool RemoveTree(const std::wstring &path);

} // namespace testsupport
