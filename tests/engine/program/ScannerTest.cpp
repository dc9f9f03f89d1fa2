#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/program/FolderSizeScanner.h"
#include "support/TestSupport.h"

using testsupport::TempFolder;
using testsupport::WriteFileBytes;

namespace
{

void MakeFile(const std::wstring &path, size_t bytes)
{
    ASSERT_TRUE(WriteFileBytes(path, std::string(bytes, 'x'))) << "cannot write a test file";
}

void MakeFolder(const std::wstring &path)
{
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << "cannot make a test folder";
}

// A tree big enough that a scan is still running when the test acts on it: `folders` folders of `files`
// files of 10 bytes each (4096 bytes once rounded), with the given extension.
void MakeTree(const std::wstring &root, int folders, int files, const wchar_t *extension)
{
    for (int f = 0; f < folders; ++f)
    {
        const std::wstring folder = root + L"\\d" + std::to_wstring(f);
        MakeFolder(folder);
        for (int i = 0; i < files; ++i)
            MakeFile(folder + L"\\f" + std::to_wstring(i) + extension, 10);
    }
}

void WaitForScan(CFolderSizeScanner &scanner)
{
    ASSERT_NE(scanner.m_hThread, nullptr);
    ASSERT_EQ(::WaitForSingleObject(scanner.m_hThread, 60000), WAIT_OBJECT_0);
}

CString NoSlash(const TempFolder &folder, const wchar_t *relative = L"")
{
    std::wstring path = folder / relative;
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return CString(path.c_str());
}

} // namespace

TEST(ScannerFilters, ListTextGivesLowerCaseKeysAndSkipsEmptyPieces)
{
    CExtFilterPair pair;
    pair.SetBoth(L".DOC, .xls;.pdf", L" ,;.TMP;");
    EXPECT_TRUE(pair.IsIncludedExt(L"a.doc"));
    EXPECT_TRUE(pair.IsIncludedExt(L"B.XLS"));
    EXPECT_TRUE(pair.IsIncludedExt(L"c.tar.pdf"));
    EXPECT_FALSE(pair.IsIncludedExt(L"d.txt"));
    EXPECT_FALSE(pair.IsIncludedExt(L"doc"));
    EXPECT_TRUE(pair.IsExcludedExt(L"x.tmp"));
    EXPECT_FALSE(pair.IsExcludedExt(L"tmp"));
    EXPECT_EQ(pair.GetIncludeText(), L".DOC, .xls;.pdf");
    EXPECT_EQ(pair.GetExcludeText(), L" ,;.TMP;");

    // Each setter replaces its own set only.
    pair.SetIncludeExts(L"*.*");
    EXPECT_TRUE(pair.IsIncludedExt(L"d.txt"));
    EXPECT_FALSE(pair.IsIncludedExt(L"noextension"));
    EXPECT_TRUE(pair.IsExcludedExt(L"x.tmp"));
    pair.SetExcludeExts(L"");
    EXPECT_FALSE(pair.IsExcludedExt(L"x.tmp"));
    pair.SetIncludeExts(L"");
    EXPECT_FALSE(pair.IsIncludedExt(L"d.txt"));
}

TEST(ScannerFilters, StatisticsCountListedExtensionsOnly)
{
    CExtFilterPair pair;
    pair.SetBoth(L"*.*;.txt", L"");
    WIN32_FIND_DATAW found = {};
    wcscpy(found.cFileName, L"a.TXT");
    found.nFileSizeLow = 5000;
    EXPECT_TRUE(pair.AddToExtStats(found));
    found.nFileSizeHigh = 1;
    found.nFileSizeLow = 1;
    EXPECT_TRUE(pair.AddToExtStats(found));
    // "*.*" includes the file but keeps no figures for it.
    wcscpy(found.cFileName, L"b.bin");
    EXPECT_FALSE(pair.AddToExtStats(found));

    UINT count = 1;
    ULONGLONG bytes = 10;
    pair.GetExtStats(L".txt", count, bytes);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(bytes, 10u + 8192u + (1ull << 32) + 4096u);
    pair.GetExtStats(L".bin", count, bytes);
    EXPECT_EQ(count, 3u);

    pair.SetBoth(L".txt", L"");
    count = 0;
    bytes = 0;
    pair.GetExtStats(L".txt", count, bytes);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(bytes, 0u);
}

TEST(ScannerTotals, FirstFolderCountsIncludedExtensionsRoundedUp)
{
    TempFolder temp;
    MakeFile(temp / L"a.txt", 1);
    MakeFile(temp / L"b.TXT", 5000);
    MakeFile(temp / L"c.doc", 100);
    MakeFile(temp / L"noext", 100);
    MakeFolder(temp / L"sub");
    MakeFile(temp / L"sub\\d.txt", 4096);
    MakeFile(temp / L"sub\\e.txt", 0);
    MakeFile(temp / L"sub\\skip.txt.bak", 1);

    CFolderSizeScanner scanner;
    scanner.StartScan(std::vector<CString>{CString((temp.Path() + L"\\\\").c_str())}, L".txt", L".bak");
    WaitForScan(scanner);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 4096u + 8192u + 4096u + 0u);
    EXPECT_EQ(scanner.m_fileCount, 4u);
    EXPECT_EQ(scanner.GetFolderCount(), 2u);
    EXPECT_EQ(scanner.m_stopFlag, 1);
}

TEST(ScannerTotals, ExcludeSetWinsOverIncludeSet)
{
    TempFolder temp;
    MakeFile(temp / L"a.txt", 1);
    CFolderSizeScanner scanner;
    scanner.AddFolder(NoSlash(temp));
    scanner.SetTotalAndFilters(0, L".txt", L".TXT");
    EXPECT_EQ(scanner.GetTotalSize(TRUE), 0u);
    EXPECT_EQ(scanner.m_fileCount, 0u);
}

TEST(ScannerTotals, LaterEntriesCountEverythingAndEndAtAMissingOne)
{
    TempFolder temp;
    MakeFolder(temp / L"one");
    MakeFile(temp / L"one\\a.bin", 4096);
    MakeFile(temp / L"one\\b", 0);
    MakeFile(temp / L"loose.xyz", 4097);
    MakeFolder(temp / L"three");
    MakeFile(temp / L"three\\c.txt", 1);

    CFolderSizeScanner scanner;
    // The empty first entry switches the extension sets off for everything after it.
    scanner.AddFolder(L"");
    scanner.AddFolder(NoSlash(temp, L"one") + L"\\");
    scanner.AddFolder(NoSlash(temp, L"loose.xyz"));
    scanner.AddFolder(L"");
    scanner.AddFolder(NoSlash(temp, L"gone"));
    scanner.AddFolder(NoSlash(temp, L"three"));
    scanner.SetTotalAndFilters(0, L".txt", L"");
    EXPECT_EQ(scanner.GetTotalSize(TRUE), 4096u + 0u + 8192u);
    EXPECT_EQ(scanner.m_fileCount, 3u);
    EXPECT_EQ(scanner.GetFolderCount(), 1u);
}

TEST(ScannerTotals, SetTotalAndFiltersReadsNoDisk)
{
    TempFolder temp;
    MakeFile(temp / L"a.txt", 1);
    CFolderSizeScanner scanner;
    scanner.StartScan(std::vector<CString>{NoSlash(temp)}, L".txt", L"");
    WaitForScan(scanner);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 4096u);

    scanner.SetTotalAndFilters(123456789012ull, L".doc", L".tmp");
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 123456789012ull);
    EXPECT_EQ(scanner.GetIncludeText(), L".doc");
    EXPECT_EQ(scanner.GetExcludeText(), L".tmp");
    UINT count = 0;
    ULONGLONG bytes = 0;
    scanner.AddExtensionTotals(L".txt;.doc", count, bytes);
    EXPECT_EQ(count, 0u);
}

TEST(ScannerTotals, EmptyListEndsAtOnce)
{
    CFolderSizeScanner scanner;
    EXPECT_EQ(scanner.m_stopFlag, 0);
    EXPECT_EQ(scanner.m_hThread, nullptr);
    EXPECT_EQ(scanner.GetTotalSize(TRUE), 0u);
    EXPECT_EQ(scanner.m_stopFlag, 1);
    scanner.StartScan(std::vector<CString>(), L"", L"");
    WaitForScan(scanner);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 0u);
}

TEST(ScannerThreads, StartScanWhileRunningStartsTheTotalAgain)
{
    TempFolder temp;
    MakeFolder(temp / L"big");
    MakeTree(temp / L"big", 20, 20, L".dat");
    MakeFolder(temp / L"small");
    MakeFile(temp / L"small\\a.dat", 1);

    CFolderSizeScanner scanner;
    scanner.StartScan(std::vector<CString>{L"", NoSlash(temp, L"big")}, L"", L"");
    ASSERT_EQ(::WaitForSingleObject(scanner.m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    scanner.StartScan(std::vector<CString>{L"", NoSlash(temp, L"small")}, L"", L"");
    WaitForScan(scanner);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 4096u);
    EXPECT_EQ(scanner.m_fileCount, 1u);
}

TEST(ScannerThreads, RestartAndSynchronousRescanWhileRunning)
{
    TempFolder temp;
    MakeTree(NoSlash(temp).GetString(), 20, 20, L".dat");
    const ULONGLONG expected = 20 * 20 * 4096ull;

    CFolderSizeScanner scanner;
    scanner.StartScan(std::vector<CString>{L"", NoSlash(temp)}, L"", L"");
    ASSERT_EQ(::WaitForSingleObject(scanner.m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    const HANDLE restarted = scanner.RestartScan();
    ASSERT_NE(restarted, nullptr);
    EXPECT_EQ(restarted, scanner.m_hThread);
    // The rescan stops the thread first, so the two never add into the same total.
    EXPECT_EQ(scanner.GetTotalSize(TRUE), expected);
    EXPECT_EQ(::WaitForSingleObject(restarted, 0), WAIT_OBJECT_0);
    EXPECT_EQ(scanner.m_fileCount, 400u);

    const HANDLE again = scanner.RestartScan();
    WaitForScan(scanner);
    EXPECT_EQ(scanner.m_hThread, again);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), expected);
}

TEST(ScannerThreads, StopFlagEndsARunningScan)
{
    TempFolder temp;
    MakeTree(NoSlash(temp).GetString(), 20, 20, L".dat");
    CFolderSizeScanner scanner;
    scanner.StartScan(std::vector<CString>{L"", NoSlash(temp)}, L"", L"");
    scanner.m_stopFlag = 1;
    WaitForScan(scanner);
    EXPECT_LE(scanner.GetTotalSize(FALSE), 20 * 20 * 4096ull);
    EXPECT_EQ(scanner.m_stopFlag, 1);
    // Destroying a scanner whose scan runs stops and joins it.
    {
        CFolderSizeScanner running;
        running.StartScan(std::vector<CString>{L"", NoSlash(temp)}, L"", L"");
    }
}

TEST(ScannerThreads, ExtensionTotalsDuringAScan)
{
    TempFolder temp;
    MakeTree(NoSlash(temp).GetString(), 10, 20, L".mp3");
    MakeFolder(temp / L"docs");
    for (int i = 0; i < 50; ++i)
        MakeFile(temp / (L"docs\\n" + std::to_wstring(i) + L".DOC"), 5000);

    CFolderSizeScanner scanner;
    scanner.StartScan(std::vector<CString>{NoSlash(temp)}, L".mp3;.doc;.xls", L"");
    // Read while the thread adds new extension records and updates them.
    UINT lastCount = 0;
    while (::WaitForSingleObject(scanner.m_hThread, 0) == WAIT_TIMEOUT)
    {
        UINT count = 0;
        ULONGLONG bytes = 0;
        scanner.AddExtensionTotals(L".mp3", count, bytes);
        EXPECT_GE(count, lastCount);
        EXPECT_EQ(bytes, count * 4096ull);
        lastCount = count;
    }
    WaitForScan(scanner);

    UINT count = 0;
    ULONGLONG bytes = 0;
    scanner.AddExtensionTotals(L".mp3", count, bytes);
    EXPECT_EQ(count, 200u);
    EXPECT_EQ(bytes, 200 * 4096ull);
    scanner.AddExtensionTotals(L"mp3", count, bytes);
    EXPECT_EQ(count, 400u);
    count = 7;
    bytes = 1;
    scanner.AddExtensionTotals(L"MP3, doc; xls", count, bytes);
    EXPECT_EQ(count, 7u + 200u + 50u);
    EXPECT_EQ(bytes, 1u + 200 * 4096ull + 50 * 8192ull);
    EXPECT_EQ(scanner.GetTotalSize(FALSE), 200 * 4096ull + 50 * 8192ull);
}
