// Backup runs with faults injected through the run's seams (copy, move, source attribute probe, listing,
// destination probe). Each case starts from a good first run of the source folder (a.txt, b.txt, sub\c.txt,
// sub\d.txt), changes what it needs, runs with its fault, then once more with the fault removed; after each
// run it checks what the user meets: the end message, "complete_status", the error count and the copy-error
// list, the run's log lines, the journal's records and the destination's files.
#include <algorithm>
#include <map>
#include <set>

#include "RunTestSupport.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/store/JobDef.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "platform/system/FileAttributes.h"
#include "support/HostLink.h"

using namespace runtest;

namespace
{

enum class Hook
{
    Copy,            // g_pfnCopyFileEx, matched on the target (the temporary name)
    Move,            // g_pfnMoveFileEx, matched on the target
    Attributes,      // g_pfnGetFileAttributesEx, matched on the path
    ListFirst,       // g_pfnFindFirstFile, matched on the pattern
    ListNext,        // g_pfnFindNextFile, matched on the pattern of its listing
    DestinationGone, // g_pfnIsDestinationPresent answers FALSE
    Sources          // g_pfnReadRunSources fails: the job's source list cannot be read
};

struct Injection
{
    Hook hook;
    LPCWSTR where; // a part of the path the call must name
    DWORD error;
    int pass; // matching calls let through before the first failure
};

// The injections of the run under way, and the patterns of the listings the seam opened.
struct FaultState
{
    std::vector<Injection> injections;
    std::map<Hook, int> matched;
    std::map<HANDLE, std::wstring> listings;
} g_faults;

bool Fails(Hook hook, LPCWSTR path)
{
    for (const Injection &injection : g_faults.injections)
    {
        if (injection.hook != hook || path == nullptr || !wcsstr(path, injection.where))
            continue;
        if (g_faults.matched[hook]++ < injection.pass)
            return false;
        ::SetLastError(injection.error);
        return true;
    }
    return false;
}

BOOL WINAPI FaultCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                      DWORD flags)
{
    return Fails(Hook::Copy, target) ? FALSE : CopyFileWithProgress(source, target, progress, data, cancel, flags);
}

BOOL WINAPI FaultMove(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    return Fails(Hook::Move, to) ? FALSE : MoveAsWindows(from, to, flags);
}

BOOL FaultReadSources(IXMLDOMElement *jobElement, std::vector<RunSource> &sources)
{
    return Fails(Hook::Sources, L"sources") ? FALSE : ReadRunSources(jobElement, sources);
}

BOOL WINAPI FaultAttributes(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data)
{
    return Fails(Hook::Attributes, path) ? FALSE : ::GetFileAttributesExW(path, level, data);
}

HANDLE WINAPI FaultListFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    if (Fails(Hook::ListFirst, pattern))
        return INVALID_HANDLE_VALUE;
    HANDLE listing = ::FindFirstFileW(pattern, found);
    if (listing != INVALID_HANDLE_VALUE)
        g_faults.listings[listing] = pattern;
    return listing;
}

BOOL WINAPI FaultListNext(HANDLE listing, LPWIN32_FIND_DATAW found)
{
    return Fails(Hook::ListNext, g_faults.listings[listing].c_str()) ? FALSE : ::FindNextFileW(listing, found);
}

BOOL FaultDestinationPresent(LPCWSTR root)
{
    for (const Injection &injection : g_faults.injections)
    {
        if (injection.hook == Hook::DestinationGone)
            return FALSE;
    }
    return IsDestinationPresent(root);
}

// An expected log line: a string and its arguments, in tokens (see RunFaults::Expand).
struct Line
{
    UINT id;
    LPCWSTR args[3];
};
Line Log(UINT id, LPCWSTR first, LPCWSTR second = L"", LPCWSTR third = L"")
{
    return Line{id, {first, second, third}};
}
const Line kEnded = Log(IDS_LOG_RUN_ENDED, L"@T");

struct Outcome
{
    UINT message;
    LPARAM lParam;
    int completeStatus;
    int errors;
    // The run's log lines after its start entry, in any order.
    std::vector<Line> log;
};
Outcome Finished(LPARAM lParam, int errors, std::vector<Line> log)
{
    return Outcome{WM_JOB_FINISHED, lParam, 1, errors, std::move(log)};
}
// A failed run leaves "complete_status" as its start set it.
Outcome Failed(int errors, std::vector<Line> log)
{
    return Outcome{WM_JOB_FAILED, 0, 4, errors, std::move(log)};
}

class RunFaults;
using Step = void (*)(RunFaults &);
// Destination files as "target=content"; a target alone is not there.
using Files = std::vector<LPCWSTR>;

struct FaultCase
{
    const char *name;
    Step arrange;
    std::vector<Injection> faults;
    Outcome faulted;
    std::vector<LPCWSTR> journal; // the journal's destinations after the faulted run
    Files files;
    Step mend; // what the user does about the fault beside removing it; may be null
    // The next run finishes cleanly (Finished(0, 0, {kEnded})) with this journal and these files.
    std::vector<LPCWSTR> mendedJournal;
    Files mendedFiles;
};

void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << c.name;
}

// Every file of the first run, and with the new file sub\e.txt.
const std::vector<LPCWSTR> kFirst = {L"a.txt", L"b.txt", L"sub\\c.txt", L"sub\\d.txt"};
const std::vector<LPCWSTR> kFirstAndE = {L"a.txt", L"b.txt", L"sub\\c.txt", L"sub\\d.txt", L"sub\\e.txt"};

class RunFaults : public RunTest, public testing::WithParamInterface<FaultCase>
{
  public:
    // For the cases' arrangements.
    using RunTest::AddSource;
    using RunTest::Src;
    using RunTest::Target;
    using RunTest::WriteSource;

    // Tokens of the expectations: "@T" the entry's time, "@*" any text, "@D" the job's destination, "@S..." a
    // source path, "@O..." a path in the folder beside the sources, "@X..." a path under the destination, "@F"
    // the full-path place of a file source, "@R" the Recycled folder of the sources' drive, "@E<n>" the system
    // text of error n. Anything else is itself, or for journal and file entries a target below the source's.
    std::wstring Expand(LPCWSTR token, bool target = false) const
    {
        std::wstring text = token != nullptr ? token : L"";
        if (text == L"@T")
            return kAnyTime;
        if (text == L"@*")
            return kAnyText;
        if (text == L"@D")
            return Dest();
        if (text == L"@F")
            return m_fileTarget;
        if (text == L"@R")
            return Dest() + GetDestComputerName().GetString() + L"_" + Src().substr(0, 1) + L"\\Recycled";
        if (text.compare(0, 2, L"@S") == 0)
            return Src() + text.substr(2);
        if (text.compare(0, 2, L"@O") == 0)
            return Other() + text.substr(2);
        if (text.compare(0, 2, L"@X") == 0)
            return Dest() + text.substr(2);
        if (text.compare(0, 2, L"@E") == 0)
            return GetSystemErrorText(static_cast<DWORD>(std::stoul(text.substr(2)))).GetString();
        return target ? Target(text) : text;
    }

    std::wstring Other() const
    {
        return m_folder / L"other\\";
    }
    // Adds a file source beside the source folder; with fullPath its "destination" is the place a job that
    // keeps full paths gives it, else it has none (the job's "dest" and the file's name).
    void AddFileSource(const std::wstring &relative, bool fullPath)
    {
        std::wstring path = Other() + relative;
        MakeFolders(path.substr(0, path.rfind(L'\\') + 1));
        ASSERT_TRUE(testsupport::WriteFileBytes(path, "notes"));
        IXMLDOMElementPtr source = AddSource(path);
        if (!fullPath)
            return;
        // The place UpdateSourceDestinations gives it under "retain_full_path", several folders down.
        CString place;
        ASSERT_TRUE(m_job->GetDestFolderName(path.c_str(), Dest().c_str(), place));
        XmlSetAttributeString(source, L"destination", place);
        m_fileTarget = place.GetString();
    }
    void RemoveLastSource()
    {
        IXMLDOMNodePtr last;
        ASSERT_TRUE(SUCCEEDED(m_element->get_lastChild(&last)) && last);
        IXMLDOMNodePtr removed;
        m_element->removeChild(last, &removed);
    }
    // A newer version of a source file.
    void Change(const std::wstring &relative, const std::string &bytes)
    {
        std::wstring path = WriteSource(relative, bytes);
        ASSERT_TRUE(SetWriteTime(path, Target(relative), 10));
    }
    std::wstring JournalPath() const
    {
        return m_folder / L"RunJob.restore";
    }

    void RunAndCheck(const Outcome &expected, const std::vector<LPCWSTR> &journalExpected, const Files &files,
                     const char *which)
    {
        SCOPED_TRACE(which);
        const size_t logBefore = LogLines().size();
        const size_t listBefore = m_job->GetErrorList().GetCount();
        PostedMessage end = Run();

        EXPECT_EQ(end.message, expected.message);
        EXPECT_EQ(end.lParam, expected.lParam);
        EXPECT_EQ(m_job->GetJobDef()->GetCompleteStatus(), expected.completeStatus);
        EXPECT_EQ(m_job->GetErrorCount(), expected.errors);
        EXPECT_EQ(m_job->GetErrorList().GetCount() - listBefore, static_cast<size_t>(expected.errors));

        std::vector<std::wstring> lines = LogLines();
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(logBefore, lines.size())));
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(LineMatches(lines.front(), EntryLine(IDS_LOG_RUN_STARTED, kAnyTime))) << Narrow(lines.front());
        std::vector<std::wstring> rest(lines.begin() + 1, lines.end());
        EXPECT_EQ(rest.size(), expected.log.size()) << Narrow(lines);
        for (const Line &line : expected.log)
        {
            std::wstring wanted = EntryLine(line.id, Expand(line.args[0]).c_str(), Expand(line.args[1]).c_str(),
                                            Expand(line.args[2]).c_str());
            EXPECT_EQ(CountLines(rest, wanted), 1) << Narrow(wanted) << "\n in " << Narrow(lines);
        }
        for (const std::wstring &line : lines)
            EXPECT_TRUE(LineMatches(line, std::wstring(kAnyTime) + kAnyText)) << "a line without its time";

        std::set<std::wstring> journal;
        for (LPCWSTR entry : journalExpected)
            journal.insert(Upper(Expand(entry, true)));
        std::set<std::wstring> held;
        for (const std::wstring &entry : JournalTargets())
            held.insert(Upper(entry));
        EXPECT_EQ(held, journal);

        for (const std::wstring file : files)
        {
            const size_t equals = file.find(L'=');
            const std::wstring path = Expand(file.substr(0, equals).c_str(), true);
            if (equals == std::wstring::npos)
                EXPECT_FALSE(Exists(path)) << Narrow(path);
            else
                EXPECT_EQ(testsupport::ReadFileBytes(path), Narrow(file.substr(equals + 1))) << Narrow(path);
        }
        EXPECT_TRUE(testsupport::TemporaryCopies(m_folder.Path()).empty());
    }

    static std::wstring Upper(std::wstring text)
    {
        std::transform(text.begin(), text.end(), text.begin(), ::towupper);
        return text;
    }
    static std::string Narrow(const std::wstring &text)
    {
        return CStringA(text.c_str()).GetString();
    }
    static std::string Narrow(const std::vector<std::wstring> &lines)
    {
        std::string all;
        for (const std::wstring &line : lines)
            all += "\n  " + Narrow(line);
        return all;
    }

    void TearDown() override
    {
        g_strTempFolder = m_savedTempFolder;
        RunTest::TearDown();
    }

    std::wstring m_fileTarget;
    // A case may point the program's temporary folder into the sources.
    CString m_savedTempFolder = g_strTempFolder;
};

void AddE(RunFaults &t)
{
    t.WriteSource(L"sub\\e.txt", "echo");
}
void ChangeB(RunFaults &t)
{
    t.Change(L"b.txt", "bravo 2");
}

const FaultCase kCases[] = {
    {"NetworkErrorOfOneRunDoesNotStopTheNext",
     [](RunFaults &t) {
         ChangeB(t);
         t.AddSource(L"\\\\gone\\share\\");
     },
     {{Hook::Attributes, L"\\\\gone\\share", ERROR_BAD_NETPATH, 0}},
     Failed(1, {Log(IDS_LOG_FOLDER_UNREADABLE, L"@T", L"\\\\gone\\share\\", L"@E53"), kEnded,
                Log(IDS_LOG_DEST_MISSING, L"@T")}),
     kFirst,
     {L"b.txt=bravo 2"},
     [](RunFaults &t) { t.RemoveLastSource(); },
     kFirst,
     {L"b.txt=bravo 2"}},

    {"FileSourceKeptWithItsFullPathIsCopiedOrCountedAndLogged",
     [](RunFaults &t) { t.AddFileSource(L"docs\\notes.txt", true); },
     {{Hook::Copy, L"notes.~#T", ERROR_ACCESS_DENIED, 0}},
     Finished(1, 1, {Log(IDS_LOG_COPY_FAILED, L"@T", L"@Odocs\\notes.txt"), kEnded}),
     kFirst,
     {L"@F"},
     nullptr,
     {L"a.txt", L"b.txt", L"sub\\c.txt", L"sub\\d.txt", L"@F"},
     {L"@F=notes"}},

    {"DestinationGoneInTheMiddleOfAFolderFailsTheRun",
     AddE,
     {{Hook::Copy, L"\\e.~#T", ERROR_PATH_NOT_FOUND, 0}, {Hook::DestinationGone, L"", 0, 0}},
     Failed(0, {kEnded, Log(IDS_LOG_DEST_LOST, L"@T", L"@D")}),
     kFirst,
     {L"sub\\e.txt", L"@R"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"DestinationGoneAtAFileSourceFailsTheRun",
     [](RunFaults &t) { t.AddFileSource(L"notes.txt", false); },
     {{Hook::Copy, L"notes.~#T", ERROR_NOT_READY, 0}, {Hook::DestinationGone, L"", 0, 0}},
     Failed(0, {kEnded, Log(IDS_LOG_DEST_LOST, L"@T", L"@D")}),
     kFirst,
     {L"@Xnotes.txt"},
     nullptr,
     {L"a.txt", L"b.txt", L"sub\\c.txt", L"sub\\d.txt", L"@Xnotes.txt"},
     {L"@Xnotes.txt=notes"}},

    {"SubfolderThatCannotBeListedIsCountedAndLogged",
     AddE,
     {{Hook::ListFirst, L"sub\\*.*", ERROR_ACCESS_DENIED, 0}},
     Finished(1, 1, {Log(IDS_LOG_FOLDER_UNREADABLE, L"@T", L"@Ssub\\", L"@E5"), kEnded}),
     kFirst,
     {L"sub\\e.txt"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"ListingThatBreaksOffIsCountedAndLogged",
     AddE,
     {{Hook::ListNext, L"sub\\*.*", ERROR_IO_DEVICE, 0}},
     Finished(1, 1, {Log(IDS_LOG_FOLDER_CUT_SHORT, L"@T", L"@Ssub\\", L"@E1117"), kEnded}),
     kFirst,
     {L"sub\\e.txt"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"TargetOfAnotherSizeIsCopiedAgainWhateverItsTime",
     [](RunFaults &t) {
         ASSERT_TRUE(testsupport::WriteFileBytes(t.Target(L"a.txt"), "al"));
         ASSERT_TRUE(SetWriteTime(t.Target(L"a.txt"), t.Src() + L"a.txt", 0));
     },
     {},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"a.txt=alpha"},
     nullptr,
     kFirst,
     {L"a.txt=alpha"}},

    {"FullDiskEndsTheRunAndKeepsTheOldCopy",
     ChangeB,
     {{Hook::Copy, L"\\b.~#T", ERROR_DISK_FULL, 0}},
     Failed(1, {Log(IDS_LOG_COPY_FAILED, L"@T", L"@Sb.txt"), kEnded, Log(IDS_LOG_DISK_FULL, L"@T", L"@D", L"@*")}),
     kFirst,
     {L"b.txt=bravo"},
     nullptr,
     kFirst,
     {L"b.txt=bravo 2"}},

    {"ReplaceRefusedKeepsTheOldCopyInThePlaceAndTheJournal",
     ChangeB,
     {{Hook::Move, L"\\b.txt", ERROR_SHARING_VIOLATION, 0}},
     Finished(1, 1, {Log(IDS_LOG_COPY_FAILED, L"@T", L"@Sb.txt"), kEnded}),
     kFirst,
     {L"b.txt=bravo"},
     nullptr,
     kFirst,
     {L"b.txt=bravo 2"}},

    {"SourceGoneAfterItsListingIsSkippedOnce",
     AddE,
     {{Hook::Attributes, L"sub\\e.txt", ERROR_FILE_NOT_FOUND, 0}},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"sub\\e.txt", L"@R"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"SourceGoneDuringItsCopyIsSkippedOnce",
     AddE,
     {{Hook::Copy, L"\\e.~#T", ERROR_FILE_NOT_FOUND, 0}, {Hook::Attributes, L"sub\\e.txt", ERROR_FILE_NOT_FOUND, 1}},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"sub\\e.txt", L"@R"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"SourceGoneWithItsWholeFolderIsAnErrorNotASkip",
     // The source's drive is pulled after the run looked at its root: every file still to come is not found.
     AddE,
     {{Hook::Attributes, L"\\src\\", ERROR_PATH_NOT_FOUND, 1}},
     Finished(1, 1, {Log(IDS_LOG_FOLDER_CUT_SHORT, L"@T", L"@S", L"@E3"), kEnded}),
     kFirst,
     {L"sub\\e.txt"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"OneFailedFileIsOneError",
     [](RunFaults &t) {
         ChangeB(t);
         AddE(t);
     },
     {{Hook::Copy, L".~#T", ERROR_ACCESS_DENIED, 0}},
     Finished(1, 2,
              {Log(IDS_LOG_COPY_FAILED, L"@T", L"@Sb.txt"), Log(IDS_LOG_COPY_FAILED, L"@T", L"@Ssub\\e.txt"), kEnded}),
     kFirst,
     {L"b.txt=bravo", L"sub\\e.txt"},
     nullptr,
     kFirstAndE,
     {L"b.txt=bravo 2", L"sub\\e.txt=echo"}},

    {"RunCutOffEarlierLeavesTheLastCompleteJournalToAFailedRun",
     [](RunFaults &t) {
         AddE(t);
         // What a run cut off in its middle leaves: its partial list, and the last complete one saved.
         std::string complete = testsupport::ReadFileBytes(t.JournalPath());
         ASSERT_TRUE(testsupport::WriteFileBytes(t.JournalPath() + L".bak", complete));
         ASSERT_TRUE(testsupport::WriteFileBytes(t.JournalPath(), complete.substr(0, 30)));
     },
     {{Hook::Copy, L"\\e.~#T", ERROR_PATH_NOT_FOUND, 0}, {Hook::DestinationGone, L"", 0, 0}},
     Failed(0, {kEnded, Log(IDS_LOG_DEST_LOST, L"@T", L"@D")}),
     kFirst,
     {L"sub\\e.txt"},
     nullptr,
     kFirstAndE,
     {L"sub\\e.txt=echo"}},

    {"SourceListThatCannotBeReadFailsAndKeepsTheLastJournal",
     ChangeB,
     {{Hook::Sources, L"sources", ERROR_INVALID_DATA, 0}},
     Failed(0, {Log(IDS_LOG_SOURCES_UNREADABLE, L"@T")}),
     kFirst,
     {L"b.txt=bravo"},
     nullptr,
     kFirst,
     {L"b.txt=bravo 2"}},

    {"ReadOnlyBackupCopyOfAChangedFileIsReplaced",
     [](RunFaults &t) {
         ChangeB(t);
         ASSERT_TRUE(AfxSetFileAttributes(t.Target(L"b.txt").c_str(), FILE_ATTRIBUTE_READONLY));
     },
     {},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"b.txt=bravo 2"},
     nullptr,
     kFirst,
     {L"b.txt=bravo 2"}},

    {"FolderLinkInTheSourceIsNotFollowed",
     [](RunFaults &t) {
         const std::wstring elsewhere = t.Other() + L"elsewhere";
         ASSERT_TRUE(MakeFolders(elsewhere + L"\\"));
         ASSERT_TRUE(testsupport::WriteFileBytes(elsewhere + L"\\x.txt", "not ours"));
         ASSERT_TRUE(testsupport::MakeFolderLink(t.Src() + L"link", elsewhere));
     },
     {},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"link\\x.txt", L"link"},
     nullptr,
     kFirst,
     {L"link\\x.txt", L"link"}},

    {"SystemFolderInTheSourceIsPassedOver",
     [](RunFaults &t) {
         t.WriteSource(L"Temp\\scratch.txt", "scratch");
         g_strTempFolder = (t.Src() + L"Temp").c_str();
     },
     {},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"Temp"},
     nullptr,
     kFirst,
     {L"Temp"}},

    {"TemporariesLeftByACrashAreCleared",
     [](RunFaults &t) {
         // A copy of the changed file cut off by a crash: its temporary copy is left read-only and half written.
         ChangeB(t);
         ASSERT_TRUE(testsupport::WriteFileBytes(t.Target(L"b.~#T0"), "bra"));
         ASSERT_TRUE(::SetFileAttributesW(t.Target(L"b.~#T0").c_str(), FILE_ATTRIBUTE_READONLY));
     },
     {},
     Finished(0, 0, {kEnded}),
     kFirst,
     {L"b.txt=bravo 2"},
     nullptr,
     kFirst,
     {L"b.txt=bravo 2"}},
};

TEST_P(RunFaults, EndsTruthfullyAndTheNextRunMendsIt)
{
    const FaultCase &c = GetParam();
    WriteSource(L"a.txt", "alpha");
    WriteSource(L"b.txt", "bravo");
    WriteSource(L"sub\\c.txt", "charlie");
    WriteSource(L"sub\\d.txt", "delta");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    ASSERT_EQ(m_job->GetErrorCount(), 0);

    g_faults = FaultState();
    SeamOverride copy(g_pfnCopyFileEx, &FaultCopy);
    SeamOverride move(g_pfnMoveFileEx, &FaultMove);
    SeamOverride attributes(g_pfnGetFileAttributesEx, &FaultAttributes);
    SeamOverride listFirst(g_pfnFindFirstFile, &FaultListFirst);
    SeamOverride listNext(g_pfnFindNextFile, &FaultListNext);
    SeamOverride destination(g_pfnIsDestinationPresent, &FaultDestinationPresent);
    SeamOverride readSources(g_pfnReadRunSources, &FaultReadSources);

    ASSERT_NO_FATAL_FAILURE(c.arrange(*this));
    g_faults.injections = c.faults;
    RunAndCheck(c.faulted, c.journal, c.files, "the run with the fault");

    g_faults = FaultState();
    if (c.mend != nullptr)
    {
        ASSERT_NO_FATAL_FAILURE(c.mend(*this));
    }
    RunAndCheck(Finished(0, 0, {kEnded}), c.mendedJournal, c.mendedFiles, "the next run without it");

    // Wine cannot remove a host link: it would outlive the test's folder.
    const DWORD link = ::GetFileAttributesW((Src() + L"link").c_str());
    if (link != INVALID_FILE_ATTRIBUTES && (link & FILE_ATTRIBUTE_REPARSE_POINT))
        testsupport::RemoveFolderLink(Src() + L"link");
}

INSTANTIATE_TEST_SUITE_P(RunFaults, RunFaults, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FaultCase> &param) { return std::string(param.param.name); });

} // namespace
