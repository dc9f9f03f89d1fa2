// What the walk learns of a target folder from one listing: a name in any case, a missing folder (and the folders
// below it, never listed), and the cases where the listing cannot tell and each target is looked at by itself.
#include "engine/run/TargetFolders.h"
#include "engine/run/FileOpsSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

int g_listings = 0;
HANDLE g_brokenListing = INVALID_HANDLE_VALUE;

HANDLE WINAPI CountedListFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    ++g_listings;
    return ::FindFirstFileW(pattern, found);
}

HANDLE WINAPI BreakingListFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    g_brokenListing = ::FindFirstFileW(pattern, found);
    return g_brokenListing;
}

BOOL WINAPI BreakingListNext(HANDLE listing, LPWIN32_FIND_DATAW found)
{
    if (listing == g_brokenListing)
    {
        ::SetLastError(ERROR_NETNAME_DELETED);
        return FALSE;
    }
    return ::FindNextFileW(listing, found);
}

struct Answer
{
    CTargetFolders::Known known;
    bool present;
    DWORD size;
};

Answer Ask(CTargetFolders &folders, size_t depth, const std::wstring &target)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    bool present = true;
    const CTargetFolders::Known known = folders.Find(depth, target.c_str(), data, present);
    return {known, present, present ? data.nFileSizeLow : 0};
}

void ExpectAnswer(const Answer &got, CTargetFolders::Known known, bool present, DWORD size, const char *what)
{
    EXPECT_EQ(got.known, known) << what;
    EXPECT_EQ(got.present, present) << what;
    EXPECT_EQ(got.size, size) << what;
}

} // namespace

TEST(TargetFolders, OneListingAnswersForEveryNameAndAMissingFolderForTheLevelsBelow)
{
    testsupport::TempFolder temp;
    const std::wstring dest = temp / L"dest\\";
    ASSERT_TRUE(::CreateDirectoryW(dest.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dest + L"Kept.txt", "12345"));
    const std::wstring missing = dest + L"gone\\", below = missing + L"deeper\\";

    g_listings = 0;
    SeamOverride<PFN_FIND_FIRST_FILE> first(g_pfnFindFirstFile, &CountedListFirst);
    CTargetFolders folders;
    folders.Enter(0, dest.c_str());
    EXPECT_FALSE(folders.IsReady(0, dest.c_str())) << "nothing is listed before a file asks";
    const struct
    {
        const char *what;
        size_t depth;
        std::wstring target;
        CTargetFolders::Known known;
        bool present;
        DWORD size;
    } cases[] = {
        {"a listed name", 0, dest + L"Kept.txt", CTargetFolders::Known::Listed, true, 5},
        {"the same name in another case", 0, dest + L"KEPT.TXT", CTargetFolders::Known::Listed, true, 5},
        {"a name the folder lacks", 0, dest + L"new.txt", CTargetFolders::Known::Listed, false, 0},
        {"a target outside the level's folder", 0, temp / L"Kept.txt", CTargetFolders::Known::Unknown, false, 0},
        {"a level never entered", 3, dest + L"Kept.txt", CTargetFolders::Known::Unknown, false, 0},
    };
    for (const auto &c : cases)
        ExpectAnswer(Ask(folders, c.depth, c.target), c.known, c.present, c.size, c.what);
    EXPECT_EQ(g_listings, 1);
    EXPECT_TRUE(folders.IsReady(0, dest.c_str()));
    EXPECT_FALSE(folders.IsReady(0, missing.c_str()));

    folders.Enter(1, missing.c_str());
    ExpectAnswer(Ask(folders, 1, missing + L"a.txt"), CTargetFolders::Known::Absent, false, 0, "a missing folder");
    folders.Enter(2, below.c_str());
    ExpectAnswer(Ask(folders, 2, below + L"b.txt"), CTargetFolders::Known::Absent, false, 0, "below a missing one");
    EXPECT_EQ(g_listings, 2) << "the folder below a missing one is not listed";

    // The deepest missing folder is made with the ones above it; a folder of another path is not made here.
    EXPECT_FALSE(folders.MakeMissing(2, (dest + L"other\\").c_str()));
    EXPECT_TRUE(folders.MakeMissing(2, below.c_str()));
    EXPECT_NE(::GetFileAttributesW(below.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(folders.IsReady(2, below.c_str()));
    ExpectAnswer(Ask(folders, 2, below + L"b.txt"), CTargetFolders::Known::Absent, false, 0, "a folder made here");

    // A folder thought missing that someone else made meanwhile may hold anything.
    folders.Enter(1, missing.c_str());
    ExpectAnswer(Ask(folders, 1, missing + L"a.txt"), CTargetFolders::Known::Listed, false, 0, "listed again");
    const std::wstring late = dest + L"late\\";
    folders.Enter(1, late.c_str());
    ExpectAnswer(Ask(folders, 1, late + L"a.txt"), CTargetFolders::Known::Absent, false, 0, "missing at first");
    ASSERT_TRUE(::CreateDirectoryW(late.c_str(), nullptr));
    EXPECT_FALSE(folders.MakeMissing(1, late.c_str()));
    folders.SetReady(1, late.c_str(), true);
    ExpectAnswer(Ask(folders, 1, late + L"a.txt"), CTargetFolders::Known::Unknown, false, 0, "found standing");
    EXPECT_TRUE(folders.IsReady(1, late.c_str()));
}

TEST(TargetFolders, AListingThatCannotTellLeavesEveryTargetUnknown)
{
    testsupport::TempFolder temp;
    const std::wstring dest = temp / L"dest\\";
    ASSERT_TRUE(::CreateDirectoryW(dest.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(dest + L"a.txt", "1"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dest + L"b.txt", "2"));

    // A level without a folder, and a listing that breaks off after its first entry.
    CTargetFolders folders;
    folders.Enter(0, CString());
    ExpectAnswer(Ask(folders, 0, dest + L"a.txt"), CTargetFolders::Known::Unknown, false, 0, "no folder");
    EXPECT_FALSE(folders.IsReady(0, CString()));

    SeamOverride<PFN_FIND_FIRST_FILE> first(g_pfnFindFirstFile, &BreakingListFirst);
    SeamOverride<PFN_FIND_NEXT_FILE> next(g_pfnFindNextFile, &BreakingListNext);
    folders.Enter(0, dest.c_str());
    ExpectAnswer(Ask(folders, 0, dest + L"b.txt"), CTargetFolders::Known::Unknown, false, 0, "broken off");
    ExpectAnswer(Ask(folders, 0, dest + L"zz.txt"), CTargetFolders::Known::Unknown, false, 0, "not seen");
    EXPECT_FALSE(folders.IsReady(0, dest.c_str()));
    EXPECT_FALSE(folders.MakeMissing(0, dest.c_str())) << "a folder not known missing is made the long way";
}
