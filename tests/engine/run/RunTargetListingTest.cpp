// A rerun compares each file with what one listing of its target folder shows; a listing that cannot tell (it
// cannot be made or breaks off) leaves the walk looking at each target by itself, with the same outcome.
#include "RunTestSupport.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/run/TargetFolders.h"
#include "platform/system/FileAttributes.h"

#include <set>

using namespace runtest;

namespace
{

// How the listings of the destination go in a run.
enum class TargetListing
{
    Whole,
    CannotBeMade, // FindFirstFile fails with access denied
    BreaksOff     // FindNextFile fails with access denied after the first entry
};

struct ListingState
{
    TargetListing mode = TargetListing::Whole;
    std::wstring dest;
    std::set<HANDLE> broken;
    std::vector<std::wstring> looks;
} g_listing;

bool IsDestination(LPCWSTR path)
{
    return !g_listing.dest.empty() && std::wstring(path).compare(0, g_listing.dest.size(), g_listing.dest) == 0;
}

HANDLE WINAPI ListFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    if (IsDestination(pattern) && g_listing.mode == TargetListing::CannotBeMade)
    {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE listing = ::FindFirstFileW(pattern, found);
    if (listing != INVALID_HANDLE_VALUE && IsDestination(pattern) && g_listing.mode == TargetListing::BreaksOff)
        g_listing.broken.insert(listing);
    return listing;
}

BOOL WINAPI ListNext(HANDLE listing, LPWIN32_FIND_DATAW found)
{
    // The walk closes a listing that broke off, and the system may hand its value to the next one.
    if (g_listing.broken.erase(listing) != 0)
    {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return ::FindNextFileW(listing, found);
}

BOOL WINAPI CountedSourceLook(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data)
{
    g_listing.looks.push_back(path);
    return ::GetFileAttributesExW(path, level, data);
}

class RunTargetListing : public RunTest, public ::testing::WithParamInterface<TargetListing>
{
};

TEST_P(RunTargetListing, ARerunCopiesWhatChangedWhateverTheTargetListingTells)
{
    const std::vector<std::pair<std::wstring, std::string>> files = {
        {L"a.txt", "same"},        {L"b.txt", "grows"},    {L"c.txt", "read-only"}, {L"d.txt", "deleted"},
        {L"sub\\e.txt", "folder"}, {L"sub\\f.txt", "too"}, {L"x\\g.txt", "twin"},   {L"x\\h.txt", "twin"},
        {L"y\\g.txt", "twin"},     {L"y\\h.txt", "twin"}};
    for (const auto &file : files)
        WriteSource(file.first, file.second);
    // x and y hold files of one name, size and time.
    for (LPCWSTR name : {L"g.txt", L"h.txt"})
        ASSERT_TRUE(SetWriteTime(Src() + L"y\\" + name, Src() + L"x\\" + name, 0));
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    ASSERT_EQ(m_job->m_filesCopied, 10);

    // b grows and keeps its time; c's target is read-only and hidden; d's target and e's folder are gone; x and
    // y each lost one copy.
    WIN32_FILE_ATTRIBUTE_DATA before;
    ASSERT_TRUE(::GetFileAttributesExW((Src() + L"b.txt").c_str(), GetFileExInfoStandard, &before));
    ASSERT_TRUE(testsupport::WriteFileBytes(Src() + L"b.txt", "grows longer"));
    {
        CKernelHandle file(
            ::CreateFileW((Src() + L"b.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(::SetFileTime(file.Get(), nullptr, nullptr, &before.ftLastWriteTime));
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(Src() + L"c.txt", "read-only, changed"));
    ASSERT_TRUE(SetWriteTime(Src() + L"c.txt", Target(L"c.txt"), 60));
    ASSERT_TRUE(::SetFileAttributesW(Target(L"c.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::DeleteFileW(Target(L"d.txt").c_str()));
    ASSERT_TRUE(::DeleteFileW(Target(L"sub\\e.txt").c_str()));
    ASSERT_TRUE(::DeleteFileW(Target(L"sub\\f.txt").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(Target(L"sub").c_str()));
    // Each of x and y lacks the copy of a name the other one's listing holds: whichever is walked second.
    ASSERT_TRUE(::DeleteFileW(Target(L"x\\g.txt").c_str()));
    ASSERT_TRUE(::DeleteFileW(Target(L"y\\h.txt").c_str()));

    g_listing = ListingState();
    g_listing.mode = GetParam();
    g_listing.dest = Dest();
    SeamOverride<PFN_FIND_FIRST_FILE> listFirst(g_pfnFindFirstFile, &ListFirst);
    SeamOverride<PFN_FIND_NEXT_FILE> listNext(g_pfnFindNextFile, &ListNext);
    SeamOverride<PFN_MOVE_FILE_EX> move(g_pfnMoveFileEx, &MoveAsWindows);
    const PostedMessage end = Run();
    EXPECT_EQ(end.message, static_cast<UINT>(WM_JOB_FINISHED));
    EXPECT_EQ(end.lParam, 0);
    EXPECT_EQ(m_job->GetErrorCount(), 0);
    EXPECT_EQ(m_job->m_filesCopied, 7);
    std::set<std::wstring> expected;
    for (const auto &file : files)
    {
        EXPECT_EQ(testsupport::ReadFileBytes(Target(file.first)), testsupport::ReadFileBytes(Src() + file.first))
            << file.first;
        expected.insert(Target(file.first));
    }
    EXPECT_EQ(::GetFileAttributesW(Target(L"c.txt").c_str()), ::GetFileAttributesW((Src() + L"c.txt").c_str()));
    const std::vector<std::wstring> journal = JournalTargets();
    EXPECT_EQ(std::set<std::wstring>(journal.begin(), journal.end()), expected);
    EXPECT_EQ(journal.size(), files.size());
}

INSTANTIATE_TEST_SUITE_P(Listings, RunTargetListing,
                         ::testing::Values(TargetListing::Whole, TargetListing::CannotBeMade,
                                           TargetListing::BreaksOff));

using RunTargetLooks = RunTest;

TEST_F(RunTargetLooks, AnUnchangedRerunLooksAtNoFileByItself)
{
    for (int i = 0; i < 5; ++i)
        WriteSource(L"sub\\" + std::to_wstring(i) + L".txt", std::string(i, 'x'));
    WriteSource(L"top.txt");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    ASSERT_EQ(m_job->m_filesCopied, 6);

    g_listing = ListingState();
    SeamOverride<PFN_GET_FILE_ATTRIBUTES_EX> looks(g_pfnGetFileAttributesEx, &CountedSourceLook);
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    EXPECT_EQ(m_job->m_filesCopied, 0);
    EXPECT_EQ(m_job->GetErrorCount(), 0);
    // The source folder itself is looked at when the run starts; no file is.
    for (const std::wstring &path : g_listing.looks)
        EXPECT_NE(path.substr(path.size() - 4), L".txt") << path;
    EXPECT_EQ(JournalTargets().size(), 6u);
}

} // namespace
