// The journal of a run that could not list a folder: the folder's copies are still on the destination, so the new
// journal keeps the previous journal's records of them (once each, and only while the copy is there), and the next
// clean run lists them from its walk again.
#include <algorithm>
#include <map>

#include "RunTestSupport.h"
#include "engine/run/FileOpsSeams.h"

using namespace runtest;

namespace
{

// The listing of the folder "sub" fails at once (refused), or after its first two entries (cut short).
bool g_cutShort = false;
int g_passed = 0;
std::map<HANDLE, bool> g_subListings;

HANDLE WINAPI ListFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    const bool sub = wcsstr(pattern, L"\\sub\\*.*") != nullptr;
    if (sub && !g_cutShort)
    {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE listing = ::FindFirstFileW(pattern, found);
    g_subListings[listing] = sub;
    return listing;
}

BOOL WINAPI ListNext(HANDLE listing, LPWIN32_FIND_DATAW found)
{
    if (g_subListings[listing] && ++g_passed > 2)
    {
        ::SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    return ::FindNextFileW(listing, found);
}

class RunJournalKeeps : public RunTest
{
  protected:
    // The journal's targets below the source's destination, sorted, each as often as it is there.
    std::vector<std::wstring> Journal()
    {
        std::vector<std::wstring> held;
        for (const std::wstring &target : JournalTargets())
            held.push_back(target.substr(std::min(Target(L"").size(), target.size())));
        std::sort(held.begin(), held.end());
        return held;
    }
};

TEST_F(RunJournalKeeps, AFolderThatCannotBeListedKeepsItsRecordsUntilTheNextCleanRun)
{
    using Names = std::vector<std::wstring>;
    struct Row
    {
        bool cutShort;
        bool dropCopyOfD; // sub\d.txt's copy is gone from the destination before the run
        Names journal;    // after the run that could not list "sub"
    } rows[] = {
        {false, false, {L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}},
        {false, true, {L"a.txt", L"sub\\c.txt"}},
        // What the listing still gave is listed once, from the walk or from the previous journal.
        {true, false, {L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}},
    };
    WriteSource(L"a.txt", "alpha");
    AddSource(Src());
    for (const Row &row : rows)
    {
        SCOPED_TRACE(testing::Message() << "cut short " << row.cutShort << ", copy of d gone " << row.dropCopyOfD);
        WriteSource(L"sub\\c.txt", "charlie");
        WriteSource(L"sub\\d.txt", "delta");
        ASSERT_EQ(Run().message, static_cast<UINT>(WM_JOB_FINISHED));
        ASSERT_EQ(Journal(), (Names{L"a.txt", L"sub\\c.txt", L"sub\\d.txt"}));
        if (row.dropCopyOfD)
        {
            ASSERT_TRUE(::DeleteFileW(Target(L"sub\\d.txt").c_str()));
        }
        g_cutShort = row.cutShort;
        g_passed = 0;
        {
            SeamOverride first(g_pfnFindFirstFile, &ListFirst);
            SeamOverride next(g_pfnFindNextFile, &ListNext);
            // The folder is one error; the run still finishes.
            EXPECT_EQ(Run().message, static_cast<UINT>(WM_JOB_FINISHED));
            EXPECT_EQ(m_job->GetErrorCount(), 1);
        }
        EXPECT_EQ(Journal(), row.journal);

        WriteSource(L"sub\\e.txt", "echo");
        ASSERT_EQ(Run().message, static_cast<UINT>(WM_JOB_FINISHED));
        EXPECT_EQ(Journal(), (Names{L"a.txt", L"sub\\c.txt", L"sub\\d.txt", L"sub\\e.txt"})) << "the clean run";
        ASSERT_TRUE(::DeleteFileW((Src() + L"sub\\e.txt").c_str()));
        ASSERT_TRUE(::DeleteFileW(Target(L"sub\\e.txt").c_str()));
    }
}

} // namespace
