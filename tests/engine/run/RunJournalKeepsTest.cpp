// The journal of a run that could not list a folder: the folder's copies are still on the destination, so the new
// journal keeps the records the previous one had for them (each once, and only while the copy is there), and the
// next clean run lists them from its walk again.
#include <algorithm>
#include <map>

#include "RunTestSupport.h"
#include "engine/run/FileOpsSeams.h"

using namespace runtest;

namespace
{

enum class Fault
{
    ListingRefused, // the listing of the folder cannot be opened (access denied)
    ListingCutShort, // the listing breaks off after its first entries
    RootUnreadable,  // the source folder itself cannot be read
};

struct Faults
{
    Fault fault = Fault::ListingRefused;
    std::wstring where;
    int passed = 0;
    std::map<HANDLE, std::wstring> listings;
} g_faults;

HANDLE WINAPI ListFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    if (g_faults.fault == Fault::ListingRefused && wcsstr(pattern, g_faults.where.c_str()) != nullptr)
    {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE listing = ::FindFirstFileW(pattern, found);
    if (listing != INVALID_HANDLE_VALUE)
        g_faults.listings[listing] = pattern;
    return listing;
}

BOOL WINAPI ListNext(HANDLE listing, LPWIN32_FIND_DATAW found)
{
    // Two entries come through ("." and ".." or a file among them), then the listing fails.
    if (g_faults.fault == Fault::ListingCutShort && wcsstr(g_faults.listings[listing].c_str(), g_faults.where.c_str()) &&
        ++g_faults.passed > 2)
    {
        ::SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    return ::FindNextFileW(listing, found);
}

BOOL WINAPI Attributes(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data)
{
    if (g_faults.fault == Fault::RootUnreadable && _wcsicmp(path, g_faults.where.c_str()) == 0)
    {
        ::SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    return ::GetFileAttributesExW(path, level, data);
}

struct KeepCase
{
    const char *name;
    Fault fault;
    LPCWSTR where; // a part of the listing's pattern, or "" for the source folder itself
    bool dropCopyOfD; // sub\d.txt's copy is deleted from the destination before the faulted run
    // The journal's targets after the faulted run, each as often as it must be there.
    std::vector<LPCWSTR> journal;
};

void PrintTo(const KeepCase &c, std::ostream *os)
{
    *os << c.name;
}

const KeepCase kCases[] = {
    {"AFolderThatCannotBeListedKeepsItsRecords", Fault::ListingRefused, L"sub\\*.*", false,
     {L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}},
    {"ACopyThatIsGoneIsNotKept", Fault::ListingRefused, L"sub\\*.*", true, {L"a.txt", L"sub\\c.txt"}},
    // Whatever the listing still gave is listed once, from the walk or from the previous journal.
    {"AListingCutShortKeepsEachRecordOnce", Fault::ListingCutShort, L"sub\\*.*", false,
     {L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}},
    {"ASourceFolderThatCannotBeReadKeepsEverything", Fault::RootUnreadable, L"", false,
     {L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}},
};

class RunJournalKeeps : public RunTest, public testing::WithParamInterface<KeepCase>
{
  protected:
    // The journal's targets below the source's destination, sorted, as often as each is there.
    std::vector<std::wstring> Journal()
    {
        std::vector<std::wstring> held;
        const std::wstring below = Target(L"");
        for (const std::wstring &target : JournalTargets())
        {
            EXPECT_EQ(_wcsnicmp(target.c_str(), below.c_str(), below.size()), 0) << CStringA(target.c_str());
            held.push_back(target.substr(std::min(below.size(), target.size())));
        }
        std::sort(held.begin(), held.end());
        return held;
    }
    static std::vector<std::wstring> Sorted(const std::vector<LPCWSTR> &entries)
    {
        std::vector<std::wstring> sorted(entries.begin(), entries.end());
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
};

TEST_P(RunJournalKeeps, TheNewJournalListsWhatTheBackupHolds)
{
    const KeepCase &c = GetParam();
    WriteSource(L"a.txt", "alpha");
    WriteSource(L"sub\\c.txt", "charlie");
    WriteSource(L"sub\\d.txt", "delta");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    ASSERT_EQ(Journal(), Sorted({L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}));

    if (c.dropCopyOfD)
    {
        ASSERT_TRUE(::DeleteFileW(Target(L"sub\\d.txt").c_str()));
    }
    g_faults = Faults();
    g_faults.fault = c.fault;
    g_faults.where = c.where[0] != L'\0' ? std::wstring(c.where) : Src();
    {
        SeamOverride first(g_pfnFindFirstFile, &ListFirst);
        SeamOverride next(g_pfnFindNextFile, &ListNext);
        SeamOverride attributes(g_pfnGetFileAttributesEx, &Attributes);
        // The folder that could not be read is one error; the run still finishes.
        const PostedMessage end = Run();
        EXPECT_EQ(end.message, static_cast<UINT>(WM_JOB_FINISHED));
        EXPECT_EQ(m_job->GetErrorCount(), 1);
    }
    EXPECT_EQ(Journal(), Sorted(c.journal)) << "after the run that could not list the folder";

    // The next clean run lists every file from its walk, once.
    WriteSource(L"sub\\e.txt", "echo");
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    EXPECT_EQ(m_job->GetErrorCount(), 0);
    EXPECT_EQ(Journal(), Sorted({L"a.txt", L"sub\\c.txt", L"sub\\d.txt", L"sub\\e.txt"})) << "after the clean run";
}

INSTANTIATE_TEST_SUITE_P(RunJournalKeeps, RunJournalKeeps, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<KeepCase> &param) { return std::string(param.param.name); });

} // namespace
