// Two-way runs on a test drive that meet a cancelled or failed copy, the leftovers of a cut-off one, or what a
// user does on either side, each way round and with revisions kept and not: after the run, and after a clean
// run after it, no good copy is lost on either side, the lists name what stands on both sides, the revision
// folders hold what was replaced, and the log says what was deleted, replaced, kept or left.
#include <algorithm>
#include <map>
#include <set>

#include "ContinuousTestSupport.h"
#include "engine/run/DestPaths.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "support/TestDrive.h"

using namespace continuoustest;

namespace
{

// Two chunks of the copy routine: a fault meets the copy half way.
const std::string O(1536 * 1024, 'o'), N(1600 * 1024, 'n');
using Files = std::map<std::wstring, std::string>;
const Files kStart{{L"big.bin", O}, {L"f.txt", "f"}, {L"d\\g.txt", "g"}};

Files With(Files files, const Files &changes, std::initializer_list<const wchar_t *> removed = {})
{
    for (const auto &[name, bytes] : changes)
        files[name] = bytes;
    for (const wchar_t *name : removed)
        files.erase(name);
    return files;
}

// The side the user works on (x) and the other (y); yRevisions: where y's replaced copies are kept.
struct Sides
{
    std::wstring x, y, yRevisions;
    bool xIsSource;
    const std::wstring &Source() const
    {
        return xIsSource ? x : y;
    }
    const std::wstring &Dest() const
    {
        return xIsSource ? y : x;
    }
};

enum class Fault
{
    None,
    Cancel,
    DiskFull
};
struct
{
    Fault fault = Fault::None;
    CSyncJob *job = nullptr;
    LPPROGRESS_ROUTINE progress = nullptr;
    LPVOID data = nullptr;
} g_copy;

DWORD CALLBACK HalfWay(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER stream, LARGE_INTEGER streamDone,
                       DWORD number, DWORD reason, HANDLE from, HANDLE to, LPVOID)
{
    if (reason == CALLBACK_CHUNK_FINISHED && done.QuadPart > 0 && done.QuadPart < total.QuadPart)
    {
        // A full disk fails the write, and the copy routine deletes what it wrote; a cancel is the user's.
        if (g_copy.fault == Fault::DiskFull)
            return PROGRESS_CANCEL;
        g_copy.job->m_cancelFlag = TRUE;
    }
    return g_copy.progress(total, done, stream, streamDone, number, reason, from, to, g_copy.data);
}

// The copies of a "big" file over the other side meet the fault; revision copies (no progress routine) do not.
BOOL WINAPI FaultyCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                       DWORD flags)
{
    if (g_copy.fault == Fault::None || progress == nullptr || wcsstr(source, L"\\big") == nullptr)
        return CopyFileWithProgress(source, target, progress, data, cancel, flags);
    g_copy.progress = progress;
    g_copy.data = data;
    const BOOL copied = CopyFileWithProgress(source, target, &HalfWay, nullptr, cancel, flags);
    if (!copied && g_copy.fault == Fault::DiskFull)
        ::SetLastError(ERROR_DISK_FULL);
    return copied;
}

LONGLONG SecondsFromNow(LONGLONG seconds)
{
    const SYSTEMTIME base = {2020, 6, 1, 1, 12, 0, 0, 0};
    FILETIME then, now;
    ::SystemTimeToFileTime(&base, &then);
    ::GetSystemTimeAsFileTime(&now);
    return ((ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart -
             ULARGE_INTEGER{{then.dwLowDateTime, then.dwHighDateTime}}.QuadPart) /
            10000000LL) +
           seconds;
}

// The files below folder + prefix with their bytes; list files and the destination's "Revision" left out.
void ReadTree(const std::wstring &folder, Files &files, const std::wstring &prefix = L"")
{
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + prefix + L"*").c_str(), &data));
    for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
    {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L".." || name == L"TesselDir.list" || (prefix.empty() && name == L"Revision"))
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadTree(folder, files, prefix + name + L"\\");
        else
            files[prefix + name] = testsupport::ReadFileBytes(folder + prefix + name);
    }
}
Files Tree(const std::wstring &folder)
{
    Files files;
    ReadTree(folder, files);
    return files;
}

enum class End
{
    Finished,
    Cancelled,
    DiskFull
};
using Lines = std::vector<std::wstring> (*)(const Sides &);
std::vector<std::wstring> NoLines(const Sides &)
{
    return {};
}

struct Outcome
{
    Files x, y;
    End end;
    int errors;
    Lines lines;                       // besides the run's first and last ones
    std::vector<std::string> revised; // everything the revision folders hold (revisions kept)
};

struct SafetyCase
{
    const char *what;
    Fault fault;
    void (*change)(const Sides &);
    Outcome faulty, clean;
    std::set<std::wstring> unlisted; // names on both sides the faulty run's lists leave out
    bool revisionsOnly;
};

std::wstring Line(UINT id, const std::wstring &first, const std::wstring &second = L"")
{
    return EntryLine(id, kAnyTime, first.c_str(), second.c_str());
}

const Files kChanged = With(kStart, {{L"big.bin", N}});
const SafetyCase kCases[] = {
    {"a cancelled copy leaves the old copy and the lists as they were",
     Fault::Cancel,
     [](const Sides &s) { Write(s.x + L"big.bin", N, 100); },
     {kChanged, kStart, End::Cancelled, 0, NoLines, {O}},
     {kChanged, kChanged, End::Finished, 0,
      [](const Sides &s) {
          return s.xIsSource ? std::vector<std::wstring>{}
                             : std::vector{Line(IDS_LOG_SYNC_SOURCE_REPLACED, s.y + L"big.bin", s.x + L"big.bin")};
      },
      {O, O}},
     {},
     false},
    {"a full disk leaves the old copy and the lists as they were",
     Fault::DiskFull,
     [](const Sides &s) { Write(s.x + L"big.bin", N, 100); },
     {kChanged, kStart, End::DiskFull, 1,
      [](const Sides &s) { return std::vector{Line(IDS_LOG_COPY_FAILED, s.x + L"big.bin")}; }, {O}},
     {kChanged, kChanged, End::Finished, 0,
      [](const Sides &s) {
          return s.xIsSource ? std::vector<std::wstring>{}
                             : std::vector{Line(IDS_LOG_SYNC_SOURCE_REPLACED, s.y + L"big.bin", s.x + L"big.bin")};
      },
      {O, O}},
     {},
     false},
    {"a pair never in step whose copy fails is listed on neither side",
     Fault::DiskFull,
     [](const Sides &s) {
         Write(s.x + L"big2.bin", N, 100);
         Write(s.y + L"big2.bin", O);
     },
     {With(kStart, {{L"big2.bin", N}}), With(kStart, {{L"big2.bin", O}}), End::DiskFull, 1,
      [](const Sides &s) { return std::vector{Line(IDS_LOG_COPY_FAILED, s.x + L"big2.bin")}; }, {O}},
     {With(kStart, {{L"big2.bin", N}}), With(kStart, {{L"big2.bin", N}}), End::Finished, 0,
      [](const Sides &s) {
          return s.xIsSource ? std::vector<std::wstring>{}
                             : std::vector{Line(IDS_LOG_SYNC_SOURCE_REPLACED, s.y + L"big2.bin", s.x + L"big2.bin")};
      },
      {O, O}},
     {L"big2.bin"},
     false},
    {"a cut-off copy's temporary goes, a set-aside copy stays, neither is copied",
     Fault::None,
     [](const Sides &s) {
         Write(s.y + L"big.~#T0", "partial", 200);
         Write(s.y + L"f.txt.tmp", "aside", 200);
     },
     {kStart, With(kStart, {{L"f.txt.tmp", "aside"}}), End::Finished, 0, NoLines, {}},
     {kStart, With(kStart, {{L"f.txt.tmp", "aside"}}), End::Finished, 0, NoLines, {}},
     {},
     false},
    {"a second save 4 seconds later is copied",
     Fault::None,
     [](const Sides &s) { Write(s.x + L"f.txt", "f saved again", 4); },
     {With(kStart, {{L"f.txt", "f saved again"}}), With(kStart, {{L"f.txt", "f saved again"}}), End::Finished, 0,
      [](const Sides &s) {
          return s.xIsSource ? std::vector<std::wstring>{}
                             : std::vector{Line(IDS_LOG_SYNC_SOURCE_REPLACED, s.y + L"f.txt", s.x + L"f.txt")};
      },
      {"f"}},
     {With(kStart, {{L"f.txt", "f saved again"}}), With(kStart, {{L"f.txt", "f saved again"}}), End::Finished, 0,
      NoLines, {"f"}},
     {},
     false},
    {"two sizes of one time are a conflict that copies nothing",
     Fault::None,
     [](const Sides &s) { Write(s.x + L"f.txt", "f of the same time"); },
     {With(kStart, {{L"f.txt", "f of the same time"}}), kStart, End::Finished, 1,
      [](const Sides &s) {
          return std::vector{Line(IDS_LOG_SYNC_CONFLICT, s.Source() + L"f.txt", s.Dest() + L"f.txt")};
      },
      {}},
     {With(kStart, {{L"f.txt", "f of the same time"}}), kStart, End::Finished, 1,
      [](const Sides &s) {
          return std::vector{Line(IDS_LOG_SYNC_CONFLICT, s.Source() + L"f.txt", s.Dest() + L"f.txt")};
      },
      {}},
     {L"f.txt"},
     false},
    {"an edit here outlives the removal of its copy there",
     Fault::None,
     [](const Sides &s) {
         ::DeleteFileW((s.y + L"f.txt").c_str());
         Write(s.x + L"f.txt", "f edited", SecondsFromNow(2));
     },
     {With(kStart, {{L"f.txt", "f edited"}}), With(kStart, {{L"f.txt", "f edited"}}), End::Finished, 0,
      [](const Sides &s) { return std::vector{Line(IDS_LOG_SYNC_KEPT_CHANGED, s.x + L"f.txt", s.y + L"f.txt")}; },
      {}},
     {With(kStart, {{L"f.txt", "f edited"}}), With(kStart, {{L"f.txt", "f edited"}}), End::Finished, 0, NoLines, {}},
     {},
     false},
    {"a removal there is carried over and logged",
     Fault::None,
     [](const Sides &s) { ::DeleteFileW((s.y + L"f.txt").c_str()); },
     {With(kStart, {}, {L"f.txt"}), With(kStart, {}, {L"f.txt"}), End::Finished, 0,
      [](const Sides &s) { return std::vector{Line(IDS_LOG_SYNC_DELETED, s.x + L"f.txt", s.y + L"f.txt")}; }, {}},
     {With(kStart, {}, {L"f.txt"}), With(kStart, {}, {L"f.txt"}), End::Finished, 0, NoLines, {}},
     {},
     false},
    {"a folder removed there keeps what was added here since",
     Fault::None,
     [](const Sides &s) {
         Write(s.x + L"d\\new.txt", "new");
         testsupport::RemoveTree(s.y + L"d");
     },
     {With(kStart, {{L"d\\new.txt", "new"}}, {L"d\\g.txt"}), With(kStart, {{L"d\\new.txt", "new"}}, {L"d\\g.txt"}),
      End::Finished, 0,
      [](const Sides &s) {
          return std::vector{Line(IDS_LOG_SYNC_DELETED, s.x + L"d\\g.txt", s.y + L"d\\g.txt")};
      },
      {}},
     {With(kStart, {{L"d\\new.txt", "new"}}, {L"d\\g.txt"}), With(kStart, {{L"d\\new.txt", "new"}}, {L"d\\g.txt"}),
      End::Finished, 0, NoLines, {}},
     {},
     false},
    {"a root folder that is gone is a new one, refilled",
     Fault::None,
     [](const Sides &s) { testsupport::RemoveTree(s.y); },
     {kStart, kStart, End::Finished, 0, NoLines, {}},
     {kStart, kStart, End::Finished, 0, NoLines, {}},
     {},
     false},
    {"a damaged line in a list hides none of the later ones",
     Fault::None,
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
     {With(kStart, {}, {L"f.txt"}), With(kStart, {}, {L"f.txt"}), End::Finished, 0,
      [](const Sides &s) {
          CString damaged;
          damaged.Format(IDS_LOG_LIST_DAMAGED, kAnyTime, (s.x + L"TesselDir.list").c_str(), 1);
          return std::vector{std::wstring(damaged), Line(IDS_LOG_SYNC_DELETED, s.x + L"f.txt", s.y + L"f.txt")};
      },
      {}},
     {With(kStart, {}, {L"f.txt"}), With(kStart, {}, {L"f.txt"}), End::Finished, 0, NoLines, {}},
     {},
     false},
    {"a revision that cannot be made leaves the old copy",
     Fault::None,
     [](const Sides &s) {
         Write(s.x + L"d\\g.txt", "g changed", 100);
         Write(s.yRevisions + L"d", "a file where the revisions' folder goes");
     },
     {With(kStart, {{L"d\\g.txt", "g changed"}}), kStart, End::Finished, 1,
      [](const Sides &s) { return std::vector{Line(IDS_LOG_REVISION_NOT_MADE, s.y + L"d\\g.txt", kAnyText)}; },
      {"a file where the revisions' folder goes"}},
     {With(kStart, {{L"d\\g.txt", "g changed"}}), kStart, End::Finished, 1,
      [](const Sides &s) { return std::vector{Line(IDS_LOG_REVISION_NOT_MADE, s.y + L"d\\g.txt", kAnyText)}; },
      {"a file where the revisions' folder goes"}},
     {},
     true},
};

class TwoWaySafety : public ContinuousTest
{
  protected:
    // The revision folders' files, sorted by their bytes.
    std::vector<std::string> Revised(const std::wstring &row)
    {
        std::vector<std::string> all;
        for (const std::wstring &folder : {m_drive->Root() + L"Revision\\Sync\\" + row, m_dest + L"Revision\\"})
        {
            Files files;
            ReadTree(folder, files, L"");
            for (const auto &[name, bytes] : files)
                all.push_back(bytes);
        }
        std::sort(all.begin(), all.end());
        return all;
    }
    // Each folder's lists name what stands on both sides, as a file or a folder, less the unlisted names.
    void ExpectLists(const std::wstring &relative, const std::set<std::wstring> &unlisted)
    {
        std::vector<std::wstring> both;
        WIN32_FIND_DATAW data;
        CFindHandle find(::FindFirstFileW((m_a + relative + L"*").c_str(), &data));
        for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
        {
            const std::wstring name = data.cFileName;
            const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            if (name == L"." || name == L".." || name == L"TesselDir.list" || !Exists(m_b + relative + name) ||
                unlisted.count(relative + name))
                continue;
            both.push_back(Entry(name, folder));
            if (folder)
                ExpectLists(relative + name + L"\\", unlisted);
        }
        std::sort(both.begin(), both.end());
        for (const std::wstring &side : {m_a, m_b})
        {
            std::vector<std::wstring> listed = ListEntries(side + relative);
            std::sort(listed.begin(), listed.end());
            EXPECT_EQ(listed, both) << testing::PrintToString(side + relative);
        }
    }
    void Expect(const Outcome &outcome, const Sides &sides, const std::wstring &row, bool revisions,
                const std::set<std::wstring> &unlisted)
    {
        const size_t logged = JobLogLines(*m_job).size();
        const PostedMessage end = Run();
        EXPECT_EQ(end.message, outcome.end == End::Cancelled ? WM_JOB_CANCELLED : WM_JOB_FINISHED);
        EXPECT_EQ(end.lParam, outcome.end == End::Cancelled ? 0 : outcome.errors > 0 ? 1 : 0);
        EXPECT_EQ(m_job->GetErrorCount(), outcome.errors);
        EXPECT_TRUE(Tree(sides.x) == outcome.x) << "the side worked on differs";
        EXPECT_TRUE(Tree(sides.y) == outcome.y) << "the other side differs";
        EXPECT_TRUE(Revised(row) == (revisions ? outcome.revised : std::vector<std::string>{}));
        ExpectLists(L"", unlisted);
        std::vector<std::wstring> expected = outcome.lines(sides);
        expected.insert(expected.begin(), EntryLine(183, kAnyTime));
        expected.push_back(EntryLine(outcome.end == End::Cancelled ? IDS_LOG_RUN_CANCELLED : IDS_LOG_RUN_ENDED, kAnyTime));
        if (outcome.end == End::DiskFull)
            expected.push_back(EntryLine(IDS_LOG_DISK_FULL, kAnyTime, m_dest.c_str(), kAnyText));
        const std::vector<std::wstring> all = JobLogLines(*m_job);
        const std::vector<std::wstring> lines(all.begin() + std::min(logged, all.size()), all.end());
        EXPECT_EQ(lines.size(), expected.size()) << testing::PrintToString(lines);
        for (const std::wstring &line : expected)
            EXPECT_EQ(CountLines(lines, line), 1) << testing::PrintToString(line);
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
    g_copy.job = m_job.get();
    IXMLDOMElementPtr source = AddSource(m_a, m_b);
    int n = 0;
    for (const SafetyCase &c : kCases)
    {
        for (const bool xIsSource : {true, false})
        {
            for (const bool revisions : {true, false})
            {
                if (c.revisionsOnly && !revisions)
                    continue;
                SCOPED_TRACE(testing::Message() << c.what << (xIsSource ? ", on the source" : ", on the destination")
                                                << (revisions ? ", revisions kept" : ""));
                const std::wstring row = L"r" + std::to_wstring(++n) + L"\\";
                m_a = m_drive->Root() + row + L"a\\";
                m_dest = m_drive->Root() + row + L"dest\\";
                m_b = m_dest + L"b\\";
                for (const auto &[name, bytes] : kStart)
                    Write(m_a + name, bytes);
                ASSERT_EQ(CreateFolderPath(m_b.c_str()), 0u);
                XmlSetAttributeString(source, L"path", m_a.c_str());
                XmlSetAttributeString(source, L"destination", m_b.c_str());
                m_job->GetJobDef()->SetDest(m_dest.c_str());
                m_job->GetJobDef()->SetMaxVer(revisions ? 3 : 0);
                XmlSetAttributeString(m_element, L"neverrun", L"true");
                ASSERT_EQ(Run().lParam, 0);
                const Sides sides{xIsSource ? m_a : m_b, xIsSource ? m_b : m_a,
                                  xIsSource ? m_drive->Root() + L"Revision\\Sync\\" + row + L"dest\\b\\" : m_dest + L"Revision\\",
                                  xIsSource};
                c.change(sides);

                g_copy.fault = c.fault;
                Expect(c.faulty, sides, row, revisions, c.unlisted);
                g_copy.fault = Fault::None;
                Expect(c.clean, sides, row, revisions,
                       c.fault == Fault::None ? c.unlisted : std::set<std::wstring>{});
            }
        }
    }
}
