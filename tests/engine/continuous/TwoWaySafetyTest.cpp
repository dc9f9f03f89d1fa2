// Two-way runs on a test drive that meet a cancelled or failed copy, the leftovers of a cut-off one, or what a
// user does on either side, each way round and with revisions kept and not: after the run, and after a clean
// run after it, no good copy is lost on either side, the lists name what stands on both sides, the revision
// folders hold what was replaced, and the log says what was deleted, replaced, kept or left.
#include <algorithm>
#include <map>
#include <sstream>

#include "ContinuousTestSupport.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "support/TestDrive.h"

using namespace continuoustest;

namespace
{

// Two chunks of the copy routine, so that a fault meets a copy half way; "O" and "N" in the table.
const std::string O(1536 * 1024, 'o'), N(1600 * 1024, 'n');
using Files = std::map<std::wstring, std::string>;
const Files kStart{{L"big.bin", O}, {L"f.txt", "f"}, {L"d\\g.txt", "g"}};

std::string Bytes(const std::wstring &word)
{
    return word == L"O" ? O : word == L"N" ? N : std::string(CStringA(word.c_str()).GetString());
}
// The start files changed by "name=bytes" and "-name" words.
Files Tree(const wchar_t *changes)
{
    Files files = kStart;
    std::wistringstream words(changes);
    for (std::wstring word; words >> word;)
    {
        const size_t equals = word.find(L'=');
        if (word[0] == L'-')
            files.erase(word.substr(1));
        else
            files[word.substr(0, equals)] = Bytes(word.substr(equals + 1));
    }
    return files;
}

// The side the user works on (x) and the other (y); yRevisions: where y's replaced copies are kept.
struct Sides
{
    std::wstring x, y, yRevisions;
    bool xIsSource;
};

enum Fault
{
    None,
    Cancel,
    DiskFull
};
struct
{
    Fault fault = None;
    CSyncJob *job = nullptr;
    LPPROGRESS_ROUTINE progress = nullptr;
} g_copy;

DWORD CALLBACK HalfWay(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER stream, LARGE_INTEGER streamDone,
                       DWORD number, DWORD reason, HANDLE from, HANDLE to, LPVOID data)
{
    if (reason == CALLBACK_CHUNK_FINISHED && done.QuadPart > 0 && done.QuadPart < total.QuadPart)
    {
        // A full disk fails the write, and the copy routine deletes what it wrote; a cancel is the user's.
        if (g_copy.fault == DiskFull)
            return PROGRESS_CANCEL;
        g_copy.job->m_cancelFlag = TRUE;
    }
    return g_copy.progress(total, done, stream, streamDone, number, reason, from, to, data);
}

// The copies of a "big" file to the other side meet the fault; revision copies (no progress routine) do not.
BOOL WINAPI FaultyCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                       DWORD flags)
{
    if (g_copy.fault == None || progress == nullptr || wcsstr(source, L"\\big") == nullptr)
        return CopyFileWithProgress(source, target, progress, data, cancel, flags);
    g_copy.progress = progress;
    const BOOL copied = CopyFileWithProgress(source, target, &HalfWay, data, cancel, flags);
    if (!copied && g_copy.fault == DiskFull)
        ::SetLastError(ERROR_DISK_FULL);
    return copied;
}

// A run's end: 0 finished, 1 cancelled, 2 ended by the full disk.
struct Outcome
{
    const wchar_t *x, *y; // the trees (Tree)
    int end, errors;
    // The lines besides the run's first and last ones, each a letter and a path: C could not copy x's, R y's
    // copy replaced by x's, X a conflict, K x's kept though y's was removed, D x's deleted as y's was removed, L a
    // damaged line in x's list, V y's revision not made.
    const wchar_t *lines;
    const wchar_t *revised; // everything the revision folders hold, sorted, when revisions are kept
};
struct SafetyCase
{
    const char *what;
    Fault fault;
    void (*change)(const Sides &);
    Outcome faulty, clean;
    const wchar_t *unlisted; // a name on both sides the faulty run's lists leave out
    // Another job keeps x's folder in step with a folder of its own: in step before the change, and its run
    // comes between the change and the faulty run.
    bool otherJob = false;
};

const SafetyCase kCases[] = {
    {"a cancelled copy leaves the old copy and the lists",
     Cancel,
     [](const Sides &s) { Write(s.x + L"big.bin", N, 100); },
     {L"big.bin=N", L"", 1, 0, L"", L""},
     {L"big.bin=N", L"big.bin=N", 0, 0, L"Rbig.bin", L"O"},
     L""},
    {"a full disk leaves the old copy and the lists",
     DiskFull,
     [](const Sides &s) { Write(s.x + L"big.bin", N, 100); },
     {L"big.bin=N", L"", 2, 1, L"Cbig.bin", L""},
     {L"big.bin=N", L"big.bin=N", 0, 0, L"Rbig.bin", L"O"},
     L""},
    {"a pair never in step whose copy fails is listed on neither side",
     DiskFull,
     [](const Sides &s) {
         Write(s.x + L"big2.bin", N, 100);
         Write(s.y + L"big2.bin", O);
     },
     {L"big2.bin=N", L"big2.bin=O", 2, 1, L"Cbig2.bin", L""},
     {L"big2.bin=N", L"big2.bin=N", 0, 0, L"Rbig2.bin", L"O"},
     L"big2.bin"},
    {"a cut-off copy's temporary goes, a set-aside copy stays, neither is copied",
     None,
     [](const Sides &s) {
         Write(s.y + L"big.~#T0", "partial", 200);
         Write(s.y + L"f.txt.tmp", "aside", 200);
     },
     {L"", L"f.txt.tmp=aside", 0, 0, L"", L""},
     {L"", L"f.txt.tmp=aside", 0, 0, L"", L""},
     L""},
    {"a second save 4 seconds later is copied",
     None,
     [](const Sides &s) { Write(s.x + L"f.txt", "f-saved-again", 4); },
     {L"f.txt=f-saved-again", L"f.txt=f-saved-again", 0, 0, L"Rf.txt", L"f"},
     {L"f.txt=f-saved-again", L"f.txt=f-saved-again", 0, 0, L"", L"f"},
     L""},
    {"two sizes of one time are a conflict that copies nothing",
     None,
     [](const Sides &s) { Write(s.x + L"f.txt", "f-of-the-same-time"); },
     {L"f.txt=f-of-the-same-time", L"", 0, 1, L"Xf.txt", L""},
     {L"f.txt=f-of-the-same-time", L"", 0, 1, L"Xf.txt", L""},
     L"f.txt"},
    {"an edit here outlives the removal of its copy there",
     None,
     [](const Sides &s) {
         ::DeleteFileW((s.y + L"f.txt").c_str());
         // Written now (2 s on), after the lists: Write counts seconds from 2020-06-01 12:00:00 UTC.
         FILETIME now;
         ::GetSystemTimeAsFileTime(&now);
         const ULONGLONG units = ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart;
         Write(s.x + L"f.txt", "f-edited", static_cast<LONGLONG>((units - 132354864000000000ULL) / 10000000 + 2));
     },
     {L"f.txt=f-edited", L"f.txt=f-edited", 0, 0, L"Kf.txt", L""},
     {L"f.txt=f-edited", L"f.txt=f-edited", 0, 0, L"", L""},
     L""},
    // The file is removed there (another computer's edit of a stick), then edited here, then another job over
    // this folder runs: its pass moves nothing of this job's, and the edit is kept and copied back.
    {"an edit here after the removal there outlives another job's pass",
     None,
     [](const Sides &s) {
         ::DeleteFileW((s.y + L"f.txt").c_str());
         testsupport::WriteFileBytes(s.x + L"f.txt", "f-edited");
     },
     {L"f.txt=f-edited", L"f.txt=f-edited", 0, 0, L"Kf.txt", L""},
     {L"f.txt=f-edited", L"f.txt=f-edited", 0, 0, L"", L""},
     L"",
     true},
    {"a removal there is carried over, logged and kept as a revision",
     None,
     [](const Sides &s) { ::DeleteFileW((s.y + L"f.txt").c_str()); },
     {L"-f.txt", L"-f.txt", 0, 0, L"Df.txt", L"f"},
     {L"-f.txt", L"-f.txt", 0, 0, L"", L"f"},
     L""},
    {"a folder removed there keeps what was added here since",
     None,
     [](const Sides &s) {
         Write(s.x + L"d\\new.txt", "new");
         testsupport::RemoveTree(s.y + L"d");
     },
     {L"d\\new.txt=new -d\\g.txt", L"d\\new.txt=new -d\\g.txt", 0, 0, L"Dd\\g.txt", L"g"},
     {L"d\\new.txt=new -d\\g.txt", L"d\\new.txt=new -d\\g.txt", 0, 0, L"", L"g"},
     L""},
    {"a root folder that is gone is a new one, refilled",
     None,
     [](const Sides &s) { testsupport::RemoveTree(s.y); },
     {L"", L"", 0, 0, L"", L""},
     {L"", L"", 0, 0, L"", L""},
     L""},
    {"a damaged line in a list hides none of the later ones",
     None,
     [](const Sides &s) {
         const std::wstring list = s.x + L"TesselDir.list";
         std::string bytes = testsupport::ReadFileBytes(list);
         const std::wstring damaged = L"id=\"" + std::wstring(kJobId) + L"\",name=\"lo" + L'\0' + L"st\"\r\n";
         bytes.insert(bytes.find(std::string("\r\0\n\0", 4)) + 4, reinterpret_cast<const char *>(damaged.data()),
                      damaged.size() * 2);
         ::SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_NORMAL);
         testsupport::WriteFileBytes(list, bytes);
         ::DeleteFileW((s.y + L"f.txt").c_str());
     },
     {L"-f.txt", L"-f.txt", 0, 0, L"LTesselDir.list Df.txt", L"f"},
     {L"-f.txt", L"-f.txt", 0, 0, L"", L"f"},
     L""},
    // With revisions kept only.
    {"a revision that cannot be made leaves the old copy",
     None,
     [](const Sides &s) {
         Write(s.x + L"d\\g.txt", "g-changed", 100);
         Write(s.yRevisions + L"d", "in-the-revisions'-way");
     },
     {L"d\\g.txt=g-changed", L"", 0, 1, L"Vd\\g.txt", L"in-the-revisions'-way"},
     {L"d\\g.txt=g-changed", L"", 0, 1, L"Vd\\g.txt", L"in-the-revisions'-way"},
     L""},
    // In every round again.
    {"an edit replaces a read-only copy there",
     None,
     [](const Sides &s) {
         Write(s.x + L"f.txt", "f-saved-again", 4);
         ASSERT_TRUE(::SetFileAttributesW((s.y + L"f.txt").c_str(), FILE_ATTRIBUTE_READONLY));
     },
     {L"f.txt=f-saved-again", L"f.txt=f-saved-again", 0, 0, L"Rf.txt", L"f"},
     {L"f.txt=f-saved-again", L"f.txt=f-saved-again", 0, 0, L"", L"f"},
     L""},
};

class TwoWaySafety : public ContinuousTest
{
  protected:
    // Each folder's lists name (in this job's lines) what stands on both sides, as a file or a folder, less the
    // unlisted name.
    void ExpectLists(const std::wstring &relative, const std::wstring &unlisted)
    {
        std::vector<std::wstring> both;
        WIN32_FIND_DATAW data;
        CFindHandle find(::FindFirstFileW((m_a + relative + L"*").c_str(), &data));
        for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
        {
            const std::wstring name = data.cFileName;
            const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            if (name != L"." && name != L".." && name != L"TesselDir.list" && Exists(m_b + relative + name) &&
                relative + name != unlisted)
                both.push_back(Entry(name, folder));
            if (folder && name[0] != L'.' && Exists(m_b + relative + name))
                ExpectLists(relative + name + L"\\", unlisted);
        }
        std::sort(both.begin(), both.end());
        for (const std::wstring &side : {m_a, m_b})
        {
            // This job's lines; another job's are its own affair.
            std::vector<std::wstring> listed = ListEntries(side + relative);
            listed.erase(
                std::remove_if(listed.begin(), listed.end(),
                               [](const std::wstring &line) { return line.find(kJobId) == std::wstring::npos; }),
                listed.end());
            std::sort(listed.begin(), listed.end());
            EXPECT_EQ(listed, both) << testing::PrintToString(side + relative);
        }
    }
    std::vector<std::wstring> ExpectedLines(const Outcome &outcome, const Sides &s)
    {
        std::vector<std::wstring> lines{EntryLine(183, kAnyTime)};
        std::wistringstream words(outcome.lines);
        for (std::wstring word; words >> word;)
        {
            const std::wstring x = s.x + word.substr(1), y = s.y + word.substr(1);
            CString line;
            if (word[0] == L'C')
                line.Format(IDS_LOG_COPY_FAILED, kAnyTime, x.c_str());
            else if (word[0] == L'R')
                line.Format(s.xIsSource ? IDS_LOG_SYNC_COPY_REPLACED : IDS_LOG_SYNC_SOURCE_REPLACED, kAnyTime,
                            y.c_str(), x.c_str());
            else if (word[0] == L'X')
                line.Format(IDS_LOG_SYNC_CONFLICT, kAnyTime, (s.xIsSource ? x : y).c_str(),
                            (s.xIsSource ? y : x).c_str());
            else if (word[0] == L'K' || word[0] == L'D')
                line.Format(word[0] == L'K' ? IDS_LOG_SYNC_KEPT_CHANGED : IDS_LOG_SYNC_DELETED, kAnyTime, x.c_str(),
                            y.c_str());
            else if (word[0] == L'L')
                line.Format(IDS_LOG_LIST_DAMAGED, kAnyTime, x.c_str(), 1);
            else if (word[0] == L'V')
                line.Format(IDS_LOG_REVISION_NOT_MADE, kAnyTime, y.c_str(), kAnyText);
            if (!line.IsEmpty())
                lines.push_back(line.GetString());
        }
        lines.push_back(EntryLine(outcome.end == 1 ? IDS_LOG_RUN_CANCELLED : IDS_LOG_RUN_ENDED, kAnyTime));
        if (outcome.end == 2)
            lines.push_back(EntryLine(IDS_LOG_DISK_FULL, kAnyTime, m_dest.c_str(), kAnyText));
        return lines;
    }
    void Expect(const Outcome &outcome, const Sides &sides, const std::wstring &row, bool revisions,
                const std::wstring &unlisted)
    {
        const size_t logged = JobLogLines(*m_job).size();
        const PostedMessage end = Run();
        EXPECT_EQ(end.message, outcome.end == 1 ? WM_JOB_CANCELLED : WM_JOB_FINISHED);
        EXPECT_EQ(end.lParam, outcome.end != 1 && outcome.errors > 0 ? 1 : 0);
        EXPECT_EQ(m_job->GetErrorCount(), outcome.errors);
        Files x, y;
        ReadFileTree(sides.x, x);
        ReadFileTree(sides.y, y);
        EXPECT_TRUE(x == Tree(outcome.x)) << "the side worked on differs";
        EXPECT_TRUE(y == Tree(outcome.y)) << "the other side differs";
        std::string revised;
        for (const std::string &bytes : Revised(row))
            revised += (revised.empty() ? "" : " ") + (bytes == O ? "O" : bytes);
        EXPECT_EQ(revised, revisions ? std::string(CStringA(outcome.revised).GetString()) : "");
        ExpectLists(L"", unlisted);
        const std::vector<std::wstring> expected = ExpectedLines(outcome, sides), all = JobLogLines(*m_job);
        const std::vector<std::wstring> lines(all.begin() + std::min(logged, all.size()), all.end());
        EXPECT_EQ(lines.size(), expected.size()) << testing::PrintToString(lines);
        for (const std::wstring &line : expected)
            EXPECT_EQ(CountLines(lines, line), 1) << testing::PrintToString(line);
    }

    // The job's pair moved to folders of the row's own on the drive, "a\" and "dest\b\", and never run.
    void UseRow(const IXMLDOMElementPtr &source, const std::wstring &row, int maxVer)
    {
        m_a = m_drive->Root() + row + L"a\\";
        m_dest = m_drive->Root() + row + L"dest\\";
        m_b = m_dest + L"b\\";
        ASSERT_EQ(CreateFolderPath(m_a.c_str()), 0u);
        ASSERT_EQ(CreateFolderPath(m_b.c_str()), 0u);
        XmlSetAttributeString(source, L"path", m_a.c_str());
        XmlSetAttributeString(source, L"destination", m_b.c_str());
        m_job->GetJobDef()->SetDest(m_dest.c_str());
        m_job->GetJobDef()->SetMaxVer(maxVer);
        XmlSetAttributeString(m_element, L"neverrun", L"true");
    }
    // Every version's bytes the row's revision folders hold, oldest first.
    std::vector<std::string> Revised(const std::wstring &row) const
    {
        return FileBytes({m_drive->Root() + L"Revision\\Sync\\" + row, m_dest + L"Revision\\"});
    }

    std::unique_ptr<TestDrive> m_drive;
    std::wstring m_dest; // the job's "dest", which holds B
};

} // namespace

TEST_F(TwoWaySafety, NoGoodCopyIsLostOnEitherSide)
{
    m_drive = std::make_unique<TestDrive>(L'W', m_folder.Path());
    ASSERT_EQ(m_drive->Error(), L"");
    SeamOverride copy(g_pfnCopyFileEx, &FaultyCopy);
    // A read-only file is not replaced by a move, as on Windows.
    SeamOverride<PFN_MOVE_FILE_EX> move(g_pfnMoveFileEx, &MoveAsWindows);
    g_copy.job = m_job.get();
    IXMLDOMElementPtr source = AddSource(m_a, m_b);
    // The other job over x's folder, with a list line of its own in it.
    IXMLDOMElementPtr otherElement = NewJobElement(m_document, L"Other", m_drive->Root().c_str());
    XmlSetAttributeInt(otherElement, L"sync_type", 2);
    XmlSetAttributeString(otherElement, L"JobUUID", L"{00000000-0000-0000-0000-0000000000F2}");
    IXMLDOMElementPtr otherSource = NewStoreElement(m_document, L"src");
    XmlSetAttributeString(otherSource, L"rapid", L"0");
    IXMLDOMNodePtr appended;
    _com_util::CheckError(otherElement->appendChild(otherSource, &appended));
    CSyncJob other;
    other.Attach(otherElement);
    int n = 0;
    for (const SafetyCase &c : kCases)
    {
        for (const int round : {0, 1, 2, 3})
        {
            const bool xIsSource = round < 2, revisions = round % 2 == 0;
            // A revision that cannot be made needs revisions kept.
            if (!revisions && c.faulty.lines[0] == L'V')
                continue;
            SCOPED_TRACE(testing::Message() << c.what << (xIsSource ? ", on the source" : ", on the destination")
                                            << (revisions ? ", revisions kept" : ""));
            const std::wstring row = L"r" + std::to_wstring(++n) + L"\\";
            ASSERT_NO_FATAL_FAILURE(UseRow(source, row, revisions ? 3 : 0));
            for (const auto &[name, bytes] : kStart)
                Write(m_a + name, bytes);
            ASSERT_EQ(Run().lParam, 0);
            const Sides sides{xIsSource ? m_a : m_b, xIsSource ? m_b : m_a,
                              xIsSource ? m_drive->Root() + L"Revision\\Sync\\" + row + L"dest\\b\\"
                                        : m_dest + L"Revision\\",
                              xIsSource};
            if (c.otherJob)
            {
                XmlSetAttributeString(otherSource, L"path", sides.x.c_str());
                XmlSetAttributeString(otherSource, L"destination", (m_drive->Root() + row + L"other\\").c_str());
                XmlSetAttributeString(otherElement, L"neverrun", L"true");
                m_window->RunQueued(&other);
            }
            c.change(sides);
            if (c.otherJob)
                m_window->RunQueued(&other);

            g_copy.fault = c.fault;
            Expect(c.faulty, sides, row, revisions, c.unlisted);
            g_copy.fault = None;
            Expect(c.clean, sides, row, revisions, c.fault == None ? c.unlisted : L"");
        }
    }
}

TEST_F(TwoWaySafety, AFileHeldOpenAllDayIsRevisedOnlyOnceItsCopyIsMade)
{
    m_drive = std::make_unique<TestDrive>(L'W', m_folder.Path());
    ASSERT_EQ(m_drive->Error(), L"");
    IXMLDOMElementPtr source = AddSource(m_a, m_b);
    for (const bool heldOnSource : {true, false})
    {
        SCOPED_TRACE(heldOnSource ? "held on the source" : "held on the destination");
        const std::wstring row = heldOnSource ? L"h1\\" : L"h2\\";
        ASSERT_NO_FATAL_FAILURE(UseRow(source, row, 3));
        const std::wstring x = heldOnSource ? m_a : m_b, y = heldOnSource ? m_b : m_a;
        for (int version = 1; version <= 3; ++version)
        {
            Write(x + L"ledger.db", "version " + std::to_string(version), 100 * version);
            ASSERT_EQ(Run().lParam, 0);
        }
        ASSERT_EQ(Revised(row), (std::vector<std::string>{"version 1", "version 2"}));

        Write(x + L"ledger.db", "version 4", 400);
        {
            // A database or mail program holds its file all day: no run can copy it, and none keeps a revision.
            LockedFile held(x + L"ledger.db");
            ASSERT_TRUE(held.IsLocked());
            for (int run = 1; run <= 3; ++run)
            {
                SCOPED_TRACE(testing::Message() << "run " << run << " while it is held");
                const PostedMessage end = Run();
                EXPECT_TRUE(end.message == WM_JOB_FINISHED && end.lParam == 1);
                EXPECT_EQ(testsupport::ReadFileBytes(y + L"ledger.db"), "version 3");
                EXPECT_EQ(Revised(row), (std::vector<std::string>{"version 1", "version 2"}));
            }
        }
        // Let go: the copy is made, and the version it replaced is kept once.
        for (const int run : {1, 2})
        {
            SCOPED_TRACE(testing::Message() << "run " << run << " once it is let go");
            EXPECT_EQ(Run().lParam, 0);
            EXPECT_EQ(testsupport::ReadFileBytes(y + L"ledger.db"), "version 4");
            EXPECT_EQ(Revised(row), (std::vector<std::string>{"version 1", "version 2", "version 3"}));
        }
    }
}
