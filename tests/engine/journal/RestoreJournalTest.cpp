// The restore journal: its record layout byte for byte, the saved copy that a failed run rolls back to,
// single appends outside a run, rewriting after a rename, and reading that stops at damaged records.
#include "engine/journal/RestoreJournal.h"
#include "platform/system/Handles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

std::string Bytes(const std::wstring &text)
{
    return std::string(reinterpret_cast<const char *>(text.data()), text.size() * sizeof(wchar_t));
}

void PutWord(std::string &out, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Header(DWORD magic, unsigned long long offset, DWORD l1, DWORD l2)
{
    std::string out;
    PutWord(out, magic);
    PutWord(out, static_cast<DWORD>(offset));
    PutWord(out, static_cast<DWORD>(offset >> 32));
    PutWord(out, l1);
    PutWord(out, l2);
    return out;
}

std::string Record(unsigned long long offset, const std::wstring &destination, const std::wstring &source)
{
    return Header(1111, offset, static_cast<DWORD>(destination.size() * 2), static_cast<DWORD>(source.size() * 2)) +
           Bytes(destination) + Bytes(source);
}

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ReadBack(CRestoreJournal &journal, LPCWSTR name)
{
    std::vector<std::wstring> result;
    if (!journal.Open(name, 0))
        return result;
    CStringList list;
    journal.ReadAll(list);
    journal.Close(0);
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        result.push_back(list.GetNext(pos).GetString());
    return result;
}

// A journal folder with one job "Job" and the paths of its three files.
struct JournalFiles
{
    testsupport::TempFolder folder;
    std::wstring journal = folder / L"Job.restore";
    std::wstring saved = folder / L"Job.restore.bak";
    std::wstring renamed = folder / L"Job.restore.new";
};

// Writes half of what it is given and fails, as a disk that fills up in the middle of a record does.
BOOL WINAPI WriteHalfThenFail(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped)
{
    DWORD half = 0;
    ::WriteFile(file, data, bytes / 2, &half, overlapped);
    if (written != nullptr)
        *written = half;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// A disk with room for kRoom bytes of journal: a write beyond it writes what fits and fails, or with
// g_shortWriteSucceeds says it succeeded and counts only what it wrote.
constexpr LONGLONG kRoom = 150;
bool g_shortWriteSucceeds = false;
BOOL WINAPI WriteUntilFull(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped)
{
    LARGE_INTEGER size = {};
    ::GetFileSizeEx(file, &size);
    const DWORD room = size.QuadPart >= kRoom ? 0 : static_cast<DWORD>(kRoom - size.QuadPart);
    if (bytes <= room)
        return ::WriteFile(file, data, bytes, written, overlapped);
    DWORD part = 0;
    ::WriteFile(file, data, room, &part, overlapped);
    if (written != nullptr)
        *written = part;
    if (g_shortWriteSucceeds)
        return TRUE;
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

} // namespace

TEST(RestoreJournal, RecordsAreAHeaderAndTwoStringsAtTheirOwnOffset)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    ASSERT_TRUE(journal.Open(L"Job", 1));
    EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeWriting);
    ASSERT_TRUE(journal.Append(L"D:\\b\\x.txt", L"C:\\a\\x.txt"));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), Record(0, L"D:\\b\\x.txt", L"C:\\a\\x.txt"));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal).size(), 60u);
    ASSERT_TRUE(journal.Append(L"D:\\b\\y.txt", L"C:\\a\\y.txt"));
    ASSERT_TRUE(journal.Close(0));
    EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeClosed);
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal),
              Record(0, L"D:\\b\\x.txt", L"C:\\a\\x.txt") + Record(60, L"D:\\b\\y.txt", L"C:\\a\\y.txt"));
    EXPECT_FALSE(Exists(files.saved));
    EXPECT_EQ(ReadBack(journal, L"Job"), (std::vector<std::wstring>{L"D:\\b\\x.txt", L"D:\\b\\y.txt"}));

    // Appending needs a write session.
    ASSERT_TRUE(journal.Open(L"Job", 0));
    EXPECT_FALSE(journal.Append(L"D:\\b\\z.txt", L"C:\\a\\z.txt"));
    journal.Close(0);
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal).size(), 120u);
}

TEST(RestoreJournal, FailedRunBringsThePreviousJournalBack)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    ASSERT_TRUE(journal.Open(L"Job", 1));
    ASSERT_TRUE(journal.Append(L"D:\\old.txt", L"C:\\old.txt"));
    ASSERT_TRUE(journal.Close(0));
    const std::string previous = testsupport::ReadFileBytes(files.journal);

    ASSERT_TRUE(journal.Open(L"Job", 1));
    EXPECT_EQ(testsupport::ReadFileBytes(files.saved), previous);
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), "");
    ASSERT_TRUE(journal.Append(L"D:\\new.txt", L"C:\\new.txt"));
    ASSERT_TRUE(journal.Close(1));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), previous);
    EXPECT_FALSE(Exists(files.saved));

    ASSERT_TRUE(journal.Open(L"Job", 1));
    ASSERT_TRUE(journal.Append(L"D:\\new.txt", L"C:\\new.txt"));
    ASSERT_TRUE(journal.Close(0));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), Record(0, L"D:\\new.txt", L"C:\\new.txt"));
    EXPECT_FALSE(Exists(files.saved));

    // A reader's close leaves a running write's saved copy and the journal alone.
    ASSERT_TRUE(testsupport::WriteFileBytes(files.saved, previous));
    CRestoreJournal reader(files.folder.Path().c_str());
    ASSERT_TRUE(reader.Open(L"Job", 0));
    EXPECT_TRUE(reader.Close(1));
    EXPECT_EQ(testsupport::ReadFileBytes(files.saved), previous);
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), Record(0, L"D:\\new.txt", L"C:\\new.txt"));
}

TEST(RestoreJournal, AppendOneExtendsTheJournalOrLeavesItAsItWas)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    ASSERT_TRUE(journal.AppendOne(L"Job", L"D:\\b\\x.txt", L"C:\\a\\x.txt"));
    const std::string first = Record(0, L"D:\\b\\x.txt", L"C:\\a\\x.txt");
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), first);
    ASSERT_TRUE(journal.AppendOne(L"Job", L"D:\\b\\yy.txt", L"C:\\a\\yy.txt"));
    const std::string both = first + Record(60, L"D:\\b\\yy.txt", L"C:\\a\\yy.txt");
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), both);
    EXPECT_FALSE(Exists(files.saved));
    EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeClosed);

    // The extended copy cannot be put in place while someone reads the journal without sharing writes.
    {
        CKernelHandle holder(
            CreateFileW(files.journal.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.IsValid());
        EXPECT_FALSE(journal.AppendOne(L"Job", L"D:\\b\\z.txt", L"C:\\a\\z.txt"));
        EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeClosed);
        EXPECT_FALSE(Exists(files.saved)); // rolled back and closed, nothing left open
    }
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), both);

    // Refused in the middle of a run's session, which it would otherwise end.
    ASSERT_TRUE(journal.Open(L"Job", 1));
    EXPECT_FALSE(journal.AppendOne(L"Job", L"D:\\b\\z.txt", L"C:\\a\\z.txt"));
    EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeWriting);
    journal.Close(1);
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), both);
}

TEST(RestoreJournal, RecordRenameRewritesOnlyThePathAndWhatLiesBelowIt)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    const std::string moved1 = Record(0, L"C:\\a\\x", L"E:\\src\\a\\x");
    const std::string neighbour = Record(moved1.size(), L"C:\\ab\\x", L"E:\\src\\ab\\x");
    const std::string moved2 = Record(moved1.size() + neighbour.size(), L"c:\\A", L"E:\\src\\a");
    const std::string suffix = Record(moved1.size() + neighbour.size() + moved2.size(), L"C:\\a.txt.bak", L"E:\\x");
    ASSERT_TRUE(testsupport::WriteFileBytes(files.journal, moved1 + neighbour + moved2 + suffix));

    ASSERT_TRUE(journal.RecordRename(L"Job", L"C:\\renamed\\", L"E:\\src\\renamed", L"C:\\a\\", L"E:\\src\\a"));
    const std::string renamed1 = Record(0, L"C:\\renamed\\x", L"E:\\src\\renamed\\x");
    const std::string renamed2 = Record(renamed1.size() + neighbour.size(), L"C:\\renamed", L"E:\\src\\renamed");
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), renamed1 + neighbour + renamed2 + suffix);
    EXPECT_FALSE(Exists(files.saved));
    EXPECT_FALSE(Exists(files.renamed));

    // A file renamed: its name with something appended is another file.
    ASSERT_TRUE(testsupport::WriteFileBytes(files.journal, Record(0, L"C:\\a.txt", L"E:\\a.txt") +
                                                               Record(52, L"C:\\a.txt.bak", L"E:\\y")));
    ASSERT_TRUE(journal.RecordRename(L"Job", L"C:\\b.txt", L"E:\\b.txt", L"C:\\a.txt", L"E:\\a.txt"));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal),
              Record(0, L"C:\\b.txt", L"E:\\b.txt") + Record(52, L"C:\\a.txt.bak", L"E:\\y"));

    // Records past a damaged one are dropped; a missing journal is reported.
    ASSERT_TRUE(testsupport::WriteFileBytes(files.journal, Record(0, L"C:\\a.txt", L"E:\\a.txt") + "garbage!"));
    ASSERT_TRUE(journal.RecordRename(L"Job", L"C:\\b.txt", L"E:\\b.txt", L"C:\\a.txt", L"E:\\a.txt"));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), Record(0, L"C:\\b.txt", L"E:\\b.txt"));
    EXPECT_FALSE(journal.RecordRename(L"Other", L"C:\\b", L"E:\\b", L"C:\\a", L"E:\\a"));
    EXPECT_FALSE(Exists(files.folder / L"Other.restore"));
    EXPECT_FALSE(journal.RecordRename(L"Job", L"C:\\b", L"E:\\b", L"\\", L"E:\\a"));
}

TEST(RestoreJournal, ReadingStopsAtTheFirstDamagedRecord)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    const std::string one = Record(0, L"D:\\1", L"C:\\1");
    const std::string empty = Record(one.size(), L"", L"C:\\0");
    const std::string two = Record(one.size() + empty.size(), L"D:\\2", L"C:\\2");
    const std::string good = one + empty + two;
    const std::string ab("a\0b\0", 4);
    const std::string next = Record(0, L"D:\\3", L"C:\\3");
    struct Case
    {
        const char *what;
        std::string tail;
    };
    // Damage in the middle: the good record after it is not reached.
    const Case inside[] = {
        {"bad magic", Header(1112, good.size(), 2, 2) + ab},
        {"huge length", Header(1111, good.size(), 0x7FFFFFF0, 2) + ab},
        {"odd length", Header(1111, good.size(), 3, 1) + ab},
    };
    // Damage at the end of the file.
    const Case atEnd[] = {
        {"end of file", ""},
        {"short string", Header(1111, good.size(), 8, 2) + ab},
        {"short header", std::string("\x57\x04\0\0\0\0", 6)},
    };
    for (const Case &c : inside)
    {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(testsupport::WriteFileBytes(files.journal, good + c.tail + next));
        EXPECT_EQ(ReadBack(journal, L"Job"), (std::vector<std::wstring>{L"D:\\1", L"D:\\2"}));
    }
    for (const Case &c : atEnd)
    {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(testsupport::WriteFileBytes(files.journal, good + c.tail));
        EXPECT_EQ(ReadBack(journal, L"Job"), (std::vector<std::wstring>{L"D:\\1", L"D:\\2"}));
    }

    // Open for reading wants a good first record.
    const std::string bad[] = {"", one.substr(0, 10), one.substr(0, 30), Header(1110, 0, 2, 2) + ab,
                               Header(1111, 0, 0x10000, 2) + ab};
    for (const std::string &content : bad)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(files.journal, content));
        EXPECT_FALSE(journal.Open(L"Job", 0));
        EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeClosed);
    }
    EXPECT_FALSE(journal.Open(L"Missing", 0));
}

TEST(RestoreJournal, RefusesNamesThatLeaveTheFolderAndPathsTooLong)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    for (LPCWSTR name : {L"..\\Job", L"sub/Job", L"Job:stream", L"", static_cast<LPCWSTR>(nullptr)})
    {
        EXPECT_FALSE(journal.Open(name, 1));
        EXPECT_FALSE(journal.AppendOne(name, L"D:\\x", L"C:\\x"));
        EXPECT_FALSE(journal.Rename(L"Job", name));
    }
    EXPECT_FALSE(Exists(files.folder / L"..\\Job.restore"));

    // Journal paths of 260 characters are refused whichever way they are opened.
    const size_t length = 260 - files.folder.Path().size() - wcslen(L".restore");
    const std::wstring longName(length, L'n');
    EXPECT_FALSE(journal.Open(longName.c_str(), 1));
    EXPECT_FALSE(journal.Open(longName.c_str(), 0));
    EXPECT_FALSE(journal.AppendOne(longName.c_str(), L"D:\\x", L"C:\\x"));
    EXPECT_EQ(journal.GetMode(), CRestoreJournal::ModeClosed);
}

TEST(RestoreJournal, RenameFollowsTheJob)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    ASSERT_TRUE(journal.AppendOne(L"Job", L"D:\\x", L"C:\\x"));
    const std::string content = testsupport::ReadFileBytes(files.journal);
    ASSERT_TRUE(journal.Rename(L"Job", L"Renamed"));
    EXPECT_FALSE(Exists(files.journal));
    EXPECT_EQ(testsupport::ReadFileBytes(files.folder / L"Renamed.restore"), content);

    // No journal yet: the new name gets an empty one.
    ASSERT_TRUE(journal.Rename(L"Job", L"Fresh"));
    EXPECT_TRUE(Exists(files.folder / L"Fresh.restore"));
    EXPECT_EQ(testsupport::ReadFileBytes(files.folder / L"Fresh.restore"), "");
    // The new name taken: the rename fails and both stay.
    EXPECT_FALSE(journal.Rename(L"Renamed", L"Fresh"));
    EXPECT_EQ(testsupport::ReadFileBytes(files.folder / L"Renamed.restore"), content);
}

TEST(RestoreJournal, AWriteThatStopsPartWayLeavesTheJournalWholeForLaterRecords)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    ASSERT_TRUE(journal.Open(L"Job", 1));
    ASSERT_TRUE(journal.Append(L"D:\\b\\x.txt", L"C:\\a\\x.txt"));
    const std::string before = testsupport::ReadFileBytes(files.journal);
    {
        SeamOverride torn(g_pfnJournalWrite, &WriteHalfThenFail);
        EXPECT_FALSE(journal.Append(L"D:\\b\\torn.txt", L"C:\\a\\torn.txt"));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), before) << "the torn record is cut off";
    ASSERT_TRUE(journal.Append(L"D:\\b\\y.txt", L"C:\\a\\y.txt"));
    ASSERT_TRUE(journal.Close(0));
    EXPECT_EQ(ReadBack(journal, L"Job"), (std::vector<std::wstring>{L"D:\\b\\x.txt", L"D:\\b\\y.txt"}));
}

TEST(RestoreJournal, QueuedRecordsKeepTheirOrderAndAFullDiskKeepsEveryOneThatFits)
{
    JournalFiles files;
    CRestoreJournal journal(files.folder.Path().c_str());
    ASSERT_TRUE(journal.Open(L"Job", 1));
    journal.Queue(L"D:\\b\\x.txt", L"C:\\a\\x.txt");
    ASSERT_TRUE(journal.Append(L"D:\\b\\y.txt", L"C:\\a\\y.txt"));
    journal.Queue(L"D:\\b\\z.txt", L"C:\\a\\z.txt");
    ASSERT_TRUE(journal.Close(0));
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal), Record(0, L"D:\\b\\x.txt", L"C:\\a\\x.txt") +
                                                             Record(60, L"D:\\b\\y.txt", L"C:\\a\\y.txt") +
                                                             Record(120, L"D:\\b\\z.txt", L"C:\\a\\z.txt"));

    // Five records of 60 bytes where 150 fit: the first two stay whole and readable, and the one after them is
    // refused. The disk fails the write, or (a short write) says it wrote less than it was given.
    for (const bool shortWrite : {false, true})
    {
        SCOPED_TRACE(shortWrite ? "a short write" : "a failed write");
        g_shortWriteSucceeds = shortWrite;
        ASSERT_TRUE(journal.Open(L"Job", 1));
        {
            SeamOverride full(g_pfnJournalWrite, &WriteUntilFull);
            for (wchar_t name = L'1'; name <= L'5'; ++name)
                journal.Queue((std::wstring(L"D:\\b\\") + name + L".txt").c_str(),
                              (std::wstring(L"C:\\a\\") + name + L".txt").c_str());
            EXPECT_FALSE(journal.Append(L"D:\\b\\6.txt", L"C:\\a\\6.txt"));
            EXPECT_TRUE(journal.Close(0));
        }
        EXPECT_EQ(testsupport::ReadFileBytes(files.journal),
                  Record(0, L"D:\\b\\1.txt", L"C:\\a\\1.txt") + Record(60, L"D:\\b\\2.txt", L"C:\\a\\2.txt"));
        EXPECT_EQ(ReadBack(journal, L"Job"), (std::vector<std::wstring>{L"D:\\b\\1.txt", L"D:\\b\\2.txt"}));
    }
    g_shortWriteSucceeds = false;

    // Outside a writing session nothing is queued.
    ASSERT_TRUE(journal.Open(L"Job", 0));
    journal.Queue(L"D:\\b\\late.txt", L"C:\\a\\late.txt");
    journal.Close(0);
    EXPECT_EQ(testsupport::ReadFileBytes(files.journal).size(), 120u);
}
