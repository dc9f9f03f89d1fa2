// Two-way reconciliation of one file pair, on real folder pairs with real list files.
#include <array>

#include "ContinuousTestSupport.h"
#include "engine/continuous/Reconcile.h"
#include "engine/run/FileOpsSeams.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"

using namespace continuoustest;
using testsupport::ReadFileBytes;

namespace
{

// f.txt on side A, on side B, in A's list, in B's list.
using Sides = std::array<bool, 4>;

class Reconcile : public ContinuousTest
{
  protected:
    // The pair r<n>\a\f.txt, r<n>\b\f.txt as asked for.
    void MakePair(int n, const Sides &sides)
    {
        const std::wstring pair = m_folder / (L"r" + std::to_wstring(n) + L"\\");
        m_a = pair + L"a\\";
        m_b = pair + L"b\\";
        for (const std::wstring &folder : {pair, m_a, m_b})
            ::CreateDirectoryW(folder.c_str(), nullptr);
        for (const auto &[folder, present, listed] : {std::tuple{m_a, sides[0], sides[2]}, {m_b, sides[1], sides[3]}})
        {
            if (present)
                Write(folder + L"f.txt", folder == m_a ? "from A" : "from B");
            TesselDirText list(kJobId);
            // Listed as a pass lists a pair it found in step.
            ASSERT_TRUE(list.Open(folder.c_str()) && (!listed || list.MarkInStep(L"f.txt", WrittenAt(0))));
        }
    }
    int RunPair(DWORD &direction)
    {
        return ReconcilePair(*m_job, (m_a + L"f.txt").c_str(), (m_b + L"f.txt").c_str(), direction);
    }
    Sides Now() const
    {
        const std::vector<std::wstring> listed{Entry(L"f.txt")};
        return {Exists(m_a + L"f.txt"), Exists(m_b + L"f.txt"), ListEntries(m_a) == listed, ListEntries(m_b) == listed};
    }
};

std::wstring g_gone;

BOOL WINAPI AttributesWithGoneFolder(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data)
{
    if (std::wstring(path).rfind(g_gone, 0) == 0)
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return ::GetFileAttributesExW(path, level, data);
}

std::optional<LockedFile> g_held;

BOOL WINAPI CopyAfterRelease(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                             DWORD flags)
{
    g_held.reset();
    return CopyFileWithProgress(source, target, progress, data, cancel, flags);
}

} // namespace

TEST_F(Reconcile, EveryCaseOfTheTableWithTheFirstPassByteClearAndSet)
{
    // Before; after with the first-pass byte clear, and its direction; after with the byte set, and its direction.
    const Sides both{true, true, true, true}, none{false, false, false, false};
    const struct
    {
        Sides before, clear;
        DWORD clearDirection;
        Sides set;
        DWORD setDirection;
    } rows[] = {
        {{false, false, true, true}, none, 1, none, 1},
        {{true, false, true, true}, none, 1, both, 1},
        // A side whose list does not hold the name never had it in step: the copy that stands goes over.
        {{true, false, false, true}, both, 1, both, 1},
        {{true, false, true, false}, both, 1, both, 1},
        {{false, true, true, true}, none, 1, both, 0},
        {{false, true, true, false}, both, 0, both, 0},
        {{false, true, false, true}, both, 0, both, 0},
        {{false, true, false, false}, both, 0, both, 0},
        {{true, true, false, false}, both, 1, both, 1},
    };
    int n = 0;
    for (const auto &row : rows)
    {
        for (const bool firstPass : {false, true})
        {
            SCOPED_TRACE(testing::Message() << "row " << n / 2 + 1 << (firstPass ? ", first pass" : ""));
            ASSERT_NO_FATAL_FAILURE(MakePair(n++, row.before));
            m_job->m_firstPass = firstPass ? 1 : 0;
            DWORD direction = 7;
            EXPECT_EQ(RunPair(direction), 1);
            EXPECT_EQ(direction, firstPass ? row.setDirection : row.clearDirection);
            EXPECT_EQ(Now(), firstPass ? row.set : row.clear);
            if (Now()[0] && Now()[1] && !(row.before[0] && row.before[1]))
            {
                EXPECT_EQ(ReadFileBytes(m_a + L"f.txt"), ReadFileBytes(m_b + L"f.txt"));
            }
        }
    }
}

TEST_F(Reconcile, FiveSecondsApartIsTheSameSixNewerOnBIsCopiedBackAFolderIsOnlyListed)
{
    ASSERT_NO_FATAL_FAILURE(MakePair(1, {true, true, true, true}));
    Write(m_b + L"f.txt", "from B", 5);
    DWORD direction = 7;
    EXPECT_EQ(RunPair(direction), 1);
    EXPECT_EQ(ReadFileBytes(m_a + L"f.txt"), "from A");
    Write(m_b + L"f.txt", "from B", 6);
    EXPECT_EQ(RunPair(direction), 1);
    EXPECT_EQ(direction, 0u);
    EXPECT_EQ(ReadFileBytes(m_a + L"f.txt"), "from B");

    ASSERT_NO_FATAL_FAILURE(MakePair(2, {false, false, false, false}));
    ASSERT_TRUE(::CreateDirectoryW((m_a + L"f.txt").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((m_b + L"f.txt").c_str(), nullptr));
    EXPECT_EQ(RunPair(direction), 1);
    EXPECT_EQ(Now(), (Sides{true, true, true, true}));
}

TEST_F(Reconcile, AFailedDeleteIsLoggedAndItsCopyComesBack)
{
    ASSERT_NO_FATAL_FAILURE(MakePair(1, {true, false, true, true}));
    g_held.emplace(m_a + L"f.txt");
    ASSERT_TRUE(g_held->IsLocked());
    SeamOverride copy(g_pfnCopyFileEx, &CopyAfterRelease);
    DWORD direction = 7;
    EXPECT_EQ(RunPair(direction), 1);
    EXPECT_EQ(ReadFileBytes(m_b + L"f.txt"), "from A");
    const std::wstring line =
        EntryLine(IDS_LOG_SYNC_DELETE_FAILED, kAnyTime, (m_b + L"f.txt").c_str(), (m_a + L"f.txt").c_str());
    EXPECT_EQ(CountLines(JobLogLines(*m_job), line), 1);
}

TEST_F(Reconcile, APairThatCannotBeLookedAtIsLeftAlone)
{
    // A list another operation holds open: nothing is done.
    ASSERT_NO_FATAL_FAILURE(MakePair(1, {true, false, false, false}));
    DWORD direction = 7;
    {
        TesselDirText held(kJobId);
        ASSERT_TRUE(held.Open(m_b.c_str()));
        EXPECT_EQ(RunPair(direction), 0);
    }
    EXPECT_EQ(direction, 7u);
    EXPECT_EQ(Now(), (Sides{true, false, false, false}));
    // A path without a folder part is no pair.
    EXPECT_EQ(ReconcilePair(*m_job, L"f.txt", (m_b + L"f.txt").c_str(), direction), 0);
    EXPECT_EQ(ReconcilePair(*m_job, (m_a + L"f.txt").c_str(), L"\\f.txt", direction), 0);
    EXPECT_EQ(Now(), (Sides{true, false, false, false}));

    // B's folder answers "not found", as a pulled drive does: the listed A is not taken for removed.
    ASSERT_NO_FATAL_FAILURE(MakePair(2, {true, false, true, true}));
    g_gone = m_b;
    SeamOverride attributes(g_pfnGetFileAttributesEx, &AttributesWithGoneFolder);
    EXPECT_EQ(RunPair(direction), 0);
    EXPECT_EQ(Now(), (Sides{true, false, true, true}));
}
