// Watched jobs on a test drive meet what people do while they edit, with the real watcher, file monitor and
// change processing (its tick shortened): each action sequence on a two-way or a one-way job, with revisions
// kept and not. Once settled, both sides hold what the user made, byte by byte, the revision folders what was
// replaced, and nothing changes for 10 seconds after: nothing of the program's own comes back as the user's.
#include <set>
#include <sstream>

#include "ChangesTestSupport.h"
#include "engine/changes/ChangeWatch.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/continuous/JobPaths.h"
#include "engine/run/DestPaths.h"
#include "engine/store/JobDef.h"
#include "support/TestDrive.h"

using namespace changestest;

namespace
{

using Files = std::map<std::wstring, std::string>;

// Two minutes from now in WriteFileAt's seconds: a file written after every pass and list change of the test.
LONGLONG Later()
{
    const SYSTEMTIME base = {2020, 6, 1, 1, 12, 0, 0, 0};
    FILETIME start, now;
    ::SystemTimeToFileTime(&base, &start);
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG units = ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart -
                            ULARGE_INTEGER{{start.dwLowDateTime, start.dwHighDateTime}}.QuadPart;
    return static_cast<LONGLONG>(units / 10000000) + 120;
}

// "name=bytes[@seconds]" words: the files, each written at 2020-06-01 12:00:00 UTC + seconds ("@later": Later())
// when put.
Files Tree(const wchar_t *words, const std::wstring &putInto = L"")
{
    Files files;
    std::wistringstream in(words);
    for (std::wstring word; in >> word;)
    {
        const size_t equals = word.find(L'='), at = word.find(L'@');
        const std::string bytes = CStringA(word.substr(equals + 1, at - equals - 1).c_str()).GetString();
        files[word.substr(0, equals)] = bytes;
        const std::wstring time = at == std::wstring::npos ? L"0" : word.substr(at + 1);
        if (!putInto.empty())
            WriteFileAt(putInto + word.substr(0, equals), bytes, time == L"later" ? Later() : std::stoll(time));
    }
    return files;
}
void Move(const std::wstring &from, const std::wstring &to)
{
    ASSERT_TRUE(::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) << testing::PrintToString(to);
}
// Sizes for bytes, as ReadFileTree gives them without opening a file (which would keep the program from
// replacing it meanwhile).
Files Sized(Files files)
{
    for (auto &file : files)
        file.second.assign(file.second.size(), '?');
    return files;
}

using Act = void (*)(const std::wstring &src);
const Act kSafeSave = [](const std::wstring &s) {
    Write(s + L"f.new", "F-saved");
    ::DeleteFileW((s + L"f").c_str());
    Move(s + L"f.new", s + L"f");
};
const Act kRecreate = [](const std::wstring &s) {
    ::DeleteFileW((s + L"f").c_str());
    Write(s + L"f", "F-again");
};
const Act kChain = [](const std::wstring &s) {
    Move(s + L"a", s + L"b");
    Move(s + L"c", s + L"a");
};
const Act kRenameOnto = [](const std::wstring &s) { Move(s + L"a", s + L"x"); };
const Act kPutBack = [](const std::wstring &s) { WriteFileAt(s + L"f", "F-1", 0); };
// The usual way to swap two names: a to t, b to a, t to b.
const Act kSwap = [](const std::wstring &s) {
    Move(s + L"a", s + L"t");
    Move(s + L"b", s + L"a");
    Move(s + L"t", s + L"b");
};
const Act kNewFile = [](const std::wstring &s) { Write(s + L"g", "G"); };
const Act kEdit = [](const std::wstring &s) {
    ::DeleteFileW((s + L"f").c_str());
    Write(s + L"g", "G-two");
    Write(s + L"h", "H");
};

enum Kind
{
    TwoWay,
    OneWay,
    Both, // a two-way job (src, dst) and then a one-way job without autodel (src, dst2) over one folder
};
struct Row
{
    const char *what;
    Kind kind;
    const wchar_t *start, *destOnly; // on every side, in step; on dst only
    Act act;
    const wchar_t *src, *dst, *dst2, *revised; // after; revised: every revision's bytes, when kept
    const wchar_t *name;
    bool destInside = false; // dst is the folder "Backup" in src
};
const Row kRows[] = {
    {"a safe save", TwoWay, L"f=F", L"", kSafeSave, L"f=F-saved", L"f=F-saved", L"", L"F", L"Sync"},
    {"a safe save", OneWay, L"f=F", L"", kSafeSave, L"f=F-saved", L"f=F-saved", L"", L"F", L"Backup"},
    {"a delete and re-create", TwoWay, L"f=F", L"", kRecreate, L"f=F-again", L"f=F-again", L"", L"F", L"Sync"},
    {"a delete and re-create", OneWay, L"f=F", L"", kRecreate, L"f=F-again", L"f=F-again", L"", L"F", L"Backup"},
    // a to b, then c to a: what has the old name now is another file. The two-way job repeats the chain, and
    // nothing is replaced.
    {"a rename chain", TwoWay, L"a=A-one c=C-one", L"", kChain, L"a=C-one b=A-one", L"a=C-one b=A-one", L"", L"",
     L"Sync"},
    {"a rename chain", OneWay, L"a=A-one c=C-one", L"", kChain, L"a=C-one b=A-one", L"a=C-one b=A-one", L"", L"",
     L"Backup"},
    {"a rename onto a name only the destination holds, an older file", TwoWay, L"a=A-new@100", L"x=X-old", kRenameOnto,
     L"x=A-new", L"x=A-new", L"", L"A-new X-old", L"Sync"},
    // The renamed file loses to the newer one and stays under its old name.
    {"a rename onto a name only the destination holds, a newer file", TwoWay, L"a=A-old", L"x=X-new@100", kRenameOnto,
     L"a=A-old x=X-new", L"a=A-old x=X-new", L"", L"A-old", L"Sync"},
    {"a rename over another file", OneWay, L"a=A-new@100 x=X-old", L"", kRenameOnto, L"x=A-new", L"x=A-new", L"",
     L"X-old", L"Backup"},
    {"an older version put back with its old time", TwoWay, L"f=F-two@100", L"", kPutBack, L"f=F-two", L"f=F-two", L"",
     L"F-1", L"Sync"},
    {"an older version put back with its old time", OneWay, L"f=F-two@100", L"", kPutBack, L"f=F-1", L"f=F-1", L"",
     L"F-two", L"Backup"},
    {"a folder with files renamed", TwoWay, L"d\\x=X d\\y=Y", L"",
     [](const std::wstring &s) { Move(s + L"d", s + L"e"); }, L"e\\x=X e\\y=Y", L"e\\x=X e\\y=Y", L"", L"", L"Sync"},
    {"a folder with files renamed", OneWay, L"d\\x=X d\\y=Y", L"",
     [](const std::wstring &s) { Move(s + L"d", s + L"e"); }, L"e\\x=X e\\y=Y", L"e\\x=X e\\y=Y", L"", L"", L"Backup"},
    // Wine reports changes in a folder that was there before the watch only once it has been opened since.
    {"an edit in a folder that was there before the watch began", TwoWay, L"d\\f=F", L"",
     [](const std::wstring &s) { Write(s + L"d\\f", "F-edited"); }, L"d\\f=F-edited", L"d\\f=F-edited", L"", L"F",
     L"Sync"},
    {"a one-way and a two-way job over one folder", Both, L"f=F g=G", L"", kEdit, L"g=G-two h=H", L"g=G-two h=H",
     L"f=F g=G-two h=H", L"F G G", L"Sync"},
    {"a job whose name is no folder name", TwoWay, L"f=F g=G", L"", kEdit, L"g=G-two h=H", L"g=G-two h=H", L"", L"F G",
     L"Work/Home"},
    // a written two days ago, b one day ago: each side ends with the two files under each other's names.
    {"a swap of two names", TwoWay, L"a=AAA b=BBB@86400", L"", kSwap, L"a=BBB b=AAA", L"a=BBB b=AAA", L"", L"",
     L"Sync"},
    // The other side's b is another file: nothing is overwritten on either side.
    {"a swap that the other side cannot follow", TwoWay, L"a=AAA b=BBB@86400", L"b=XXX@50", kSwap, L"a=BBB b=AAA",
     L"a=AAA b=XXX", L"", L"", L"Sync"},
    // The copies in the destination are changes in the source too: they are never copied into themselves.
    {"a destination inside its source", OneWay, L"f=F", L"", kNewFile, L"f=F g=G Backup\\f=F Backup\\g=G", L"f=F g=G",
     L"", L"", L"Backup", true},
    // What stands under the old name there is another file by now (edited there since): it is neither moved nor
    // overwritten, and it comes back under its name as an edit outlives a removal.
    {"a rename whose old name holds another file there", TwoWay, L"a=A-one", L"a=A-other@later",
     [](const std::wstring &s) { Move(s + L"a", s + L"b"); }, L"a=A-other b=A-one", L"a=A-other b=A-one", L"", L"",
     L"Sync"},
};

struct Case
{
    const Row &row;
    bool revisions;
    std::wstring src, dst, dst2, name, revisionRoot; // revisions of a two-way job's destination side lie below it

    // The sides' files (dst2 only beside a two-way job) and the revisions; with bytes false their sizes only.
    std::vector<Files> Sides(bool bytes = true) const
    {
        std::vector<Files> sides(4);
        ReadFileTree(src, sides[0], false, bytes);
        ReadFileTree(dst, sides[1], true, bytes);
        if (row.kind == Both)
            ReadFileTree(dst2, sides[2], true, bytes);
        for (const std::wstring &folder : {revisionRoot, dst + L"Revision\\", dst2 + L"Revision\\"})
            ReadFileTree(folder, sides[3], false, bytes);
        return sides;
    }
    // The bytes of every revision kept (the words of the row's revised when that is what is wanted).
    std::multiset<std::string> Revised(const wchar_t *words = nullptr) const
    {
        std::multiset<std::string> kept;
        std::wistringstream in(words != nullptr ? words : L"");
        for (std::wstring word; in >> word;)
            kept.insert(CStringA(word.c_str()).GetString());
        for (const auto &file : words != nullptr ? Files() : Sides()[3])
            kept.insert(file.second);
        return kept;
    }
    bool LooksSettled() const
    {
        const std::vector<Files> sides = Sides(false);
        return sides[0] == Sized(Tree(row.src)) && sides[1] == Sized(Tree(row.dst)) &&
               sides[2] == Sized(Tree(row.dst2)) && sides[3].size() == Revised(revisions ? row.revised : L"").size();
    }
};

class ChangeSafety : public ChangeTest
{
};

} // namespace

TEST_F(ChangeSafety, WhatTheUserDidIsCarriedOverAndNothingComesBack)
{
    SeamOverride tick(g_fileMonTickMs, 50u);
    TestDrive drive(L'S', m_folder.Path());
    ASSERT_EQ(drive.Error(), L"");
    std::vector<Case> cases;
    std::wstring jobs;
    for (const Row &row : kRows)
    {
        for (const bool revisions : {true, false})
        {
            const std::wstring folder = L"r" + std::to_wstring(cases.size()) + L"\\", at = drive.Root() + folder;
            // Every job has a name, and so a log, of its own.
            const std::wstring name = row.name + std::wstring(L" ") + std::to_wstring(cases.size());
            const Case c{row,
                         revisions,
                         at + L"src\\",
                         row.destInside ? at + L"src\\Backup\\" : at + L"dst\\",
                         at + L"dst2\\",
                         name,
                         drive.Root() + L"Revision\\" + MakeLogFileName(name.c_str()).GetString() + L"\\" + folder};
            for (const std::wstring &side : {c.src, c.dst, c.dst2})
            {
                ASSERT_EQ(CreateFolderPath(side.c_str()), 0u);
                Tree(row.start, side);
            }
            const Attributes with{{L"maxver", revisions ? L"3" : L"0"}, {L"neverrun", kRanBefore.at(L"neverrun")}};
            Attributes kind = with;
            kind[L"sync_type"] = row.kind == OneWay ? L"1" : L"2";
            jobs += Job(name, c.dst, c.src, kind);
            if (row.kind == Both)
            {
                kind = with;
                kind[L"autodel"] = L"false";
                jobs += Job(name + L" backup", c.dst2, c.src, kind);
            }
            cases.push_back(c);
        }
    }
    LoadJobs(jobs);
    // The two-way jobs' lists as their last pass left them, then what only their destinations hold.
    for (const Case &c : cases)
    {
        CSyncJob *job = JobNamed(c.name);
        VssCopyBatch batch;
        if (c.row.kind != OneWay)
        {
            ASSERT_EQ(PassAgainstListFile(*job, c.src.c_str(), c.dst.c_str(), batch, TRUE), 1);
        }
        job->m_runState = JOB_IDLE;
        Tree(c.row.destOnly, c.dst);
    }

    CChangeWatch watch;
    for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
        CheckJobPaths(*m_list->GetAt(i), watch.GetWatcher(), watch.GetHandler(), m_window.get());
    m_window->PumpUntil([] { return false; }, 300);
    // Nothing is pumped meanwhile: every record meets the disk as the user left it.
    for (const Case &c : cases)
        c.row.act(c.src);
    m_window->PumpUntil(
        [&] { return std::all_of(cases.begin(), cases.end(), [](const Case &c) { return c.LooksSettled(); }); }, 60000);
    // The records of the program's own last changes come back meanwhile.
    m_window->PumpUntil([] { return false; }, 1000);

    std::vector<std::vector<Files>> settled;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.row.what << (c.row.kind == OneWay ? ", one-way" : ", two-way")
                                        << (c.revisions ? ", revisions kept" : ""));
        settled.push_back(c.Sides());
        EXPECT_TRUE(settled.back()[0] == Tree(c.row.src))
            << "the source: " << testing::PrintToString(settled.back()[0]);
        EXPECT_TRUE(settled.back()[1] == Tree(c.row.dst))
            << "the destination: " << testing::PrintToString(settled.back()[1]);
        EXPECT_TRUE(settled.back()[2] == Tree(c.row.dst2)) << "beside: " << testing::PrintToString(settled.back()[2]);
        EXPECT_EQ(c.Revised(), c.Revised(c.revisions ? c.row.revised : L""));
        EXPECT_FALSE(Exists(c.dst2 + L"TesselDir.list")) << "a two-way list in a one-way destination";
    }
    m_window->PumpUntil([] { return false; }, 10000);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_TRUE(cases[i].Sides() == settled[i]) << cases[i].row.what << ": a change came back";
    watch.Stop();
}
