// Watched jobs on a test drive meet what people do while they edit, with the real watcher, file monitor and
// change processing (its tick shortened): each action sequence on a two-way or a one-way job, with revisions
// kept and not. Once settled, both sides hold what the user made, byte by byte, the revision folders what was
// replaced, and nothing changes for 10 seconds after: nothing of the program's own comes back as the user's.
#include <iterator>
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

struct Paths
{
    std::wstring src, dst, dst2; // dst2: the one-way job's, beside a two-way one
};

// "name=bytes" words, "@seconds" after the bytes for a time of 2020-06-01 12:00:00 UTC + seconds (else 0).
void Put(const std::wstring &folder, const wchar_t *words)
{
    std::wistringstream in(words);
    for (std::wstring word; in >> word;)
    {
        const size_t equals = word.find(L'='), at = word.find(L'@');
        const std::wstring bytes = word.substr(equals + 1, at == std::wstring::npos ? at : at - equals - 1);
        WriteFileAt(folder + word.substr(0, equals), CStringA(bytes.c_str()).GetString(),
                    at == std::wstring::npos ? 0 : std::stoll(word.substr(at + 1)));
    }
}
Files Tree(const wchar_t *words)
{
    Files files;
    std::wistringstream in(words);
    for (std::wstring word; in >> word;)
        files[word.substr(0, word.find(L'='))] = CStringA(word.substr(word.find(L'=') + 1).c_str()).GetString();
    return files;
}
void Move(const std::wstring &from, const std::wstring &to)
{
    ASSERT_TRUE(::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) << testing::PrintToString(to);
}

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
    const wchar_t *start;    // on every side, in step
    const wchar_t *destOnly; // on dst only
    void (*act)(const Paths &);
    const wchar_t *src, *dst, *dst2;
    const wchar_t *revised; // every revision's bytes, sorted, when revisions are kept
    const wchar_t *name;
};

void SafeSave(const Paths &p)
{
    Write(p.src + L"f.new", "F-saved");
    ::DeleteFileW((p.src + L"f").c_str());
    Move(p.src + L"f.new", p.src + L"f");
}
void Recreate(const Paths &p)
{
    ::DeleteFileW((p.src + L"f").c_str());
    Write(p.src + L"f", "F-again");
}
void Chain(const Paths &p)
{
    Move(p.src + L"a", p.src + L"b");
    Move(p.src + L"c", p.src + L"a");
}
void RenameOnto(const Paths &p)
{
    Move(p.src + L"a", p.src + L"x");
}
void PutBack(const Paths &p)
{
    WriteFileAt(p.src + L"f", "F-1", 0);
}
void RenameFolder(const Paths &p)
{
    Move(p.src + L"d", p.src + L"e");
}
void Edit(const Paths &p)
{
    ::DeleteFileW((p.src + L"f").c_str());
    Write(p.src + L"g", "G-two");
    Write(p.src + L"h", "H");
}

const Row kRows[] = {
    {"a safe save", TwoWay, L"f=F", L"", &SafeSave, L"f=F-saved", L"f=F-saved", L"", L"F", L"Sync"},
    {"a safe save", OneWay, L"f=F", L"", &SafeSave, L"f=F-saved", L"f=F-saved", L"", L"F", L"Backup"},
    {"a delete and re-create", TwoWay, L"f=F", L"", &Recreate, L"f=F-again", L"f=F-again", L"", L"F", L"Sync"},
    {"a delete and re-create", OneWay, L"f=F", L"", &Recreate, L"f=F-again", L"f=F-again", L"", L"F", L"Backup"},
    // a to b, then c to a: what has the old name now is another file.
    {"a rename chain", TwoWay, L"a=A-one c=C-one", L"", &Chain, L"a=C-one b=A-one", L"a=C-one b=A-one", L"", L"C-one",
     L"Sync"},
    {"a rename chain", OneWay, L"a=A-one c=C-one", L"", &Chain, L"a=C-one b=A-one", L"a=C-one b=A-one", L"", L"",
     L"Backup"},
    {"a rename onto a name only the destination holds, an older file", TwoWay, L"a=A-new@100", L"x=X-old", &RenameOnto,
     L"x=A-new", L"x=A-new", L"", L"A-new X-old", L"Sync"},
    // The renamed file loses to the newer one and stays under its old name.
    {"a rename onto a name only the destination holds, a newer file", TwoWay, L"a=A-old", L"x=X-new@100", &RenameOnto,
     L"a=A-old x=X-new", L"a=A-old x=X-new", L"", L"A-old", L"Sync"},
    {"a rename over another file", OneWay, L"a=A-new@100 x=X-old", L"", &RenameOnto, L"x=A-new", L"x=A-new", L"",
     L"X-old", L"Backup"},
    {"an older version put back with its old time", TwoWay, L"f=F-two@100", L"", &PutBack, L"f=F-two", L"f=F-two", L"",
     L"F-1", L"Sync"},
    {"an older version put back with its old time", OneWay, L"f=F-two@100", L"", &PutBack, L"f=F-1", L"f=F-1", L"",
     L"F-two", L"Backup"},
    {"a folder with files renamed", TwoWay, L"d\\x=X d\\y=Y", L"", &RenameFolder, L"e\\x=X e\\y=Y", L"e\\x=X e\\y=Y",
     L"", L"", L"Sync"},
    {"a folder with files renamed", OneWay, L"d\\x=X d\\y=Y", L"", &RenameFolder, L"e\\x=X e\\y=Y", L"e\\x=X e\\y=Y",
     L"", L"", L"Backup"},
    {"a one-way and a two-way job over one folder", Both, L"f=F g=G", L"", &Edit, L"g=G-two h=H", L"g=G-two h=H",
     L"f=F g=G-two h=H", L"F G G", L"Sync"},
    // Wine reports changes in a folder that was there before the watch only once it has been opened since.
    {"an edit in a folder that was there before the watch began", TwoWay, L"d\\f=F", L"",
     [](const Paths &p) { Write(p.src + L"d\\f", "F-edited"); }, L"d\\f=F-edited", L"d\\f=F-edited", L"", L"F",
     L"Sync"},
    {"a job whose name is no folder name", TwoWay, L"f=F g=G", L"", &Edit, L"g=G-two h=H", L"g=G-two h=H", L"", L"F G",
     L"Work/Home"},
};

struct Case
{
    const Row &row;
    bool revisions;
    Paths paths;
    std::wstring name, revisionRoot; // the two-way job's revisions of its destination side lie below revisionRoot
};

class ChangeSafety : public ChangeTest
{
  protected:
    std::wstring JobXml(const std::wstring &name, int syncType, bool revisions, bool autodel, const std::wstring &src,
                        const std::wstring &dst)
    {
        static int uuid = 100;
        return L"<jobdef name=\"" + name + L"\" JobUUID=\"{" + std::to_wstring(++uuid) + L"}\" dest=\"" + dst +
               L"\" state=\"1\" js_type=\"0\" sync_type=\"" + std::to_wstring(syncType) + L"\" maxver=\"" +
               (revisions ? L"3" : L"0") + L"\" autodel=\"" + (autodel ? L"true" : L"false") +
               L"\" neverrun=\"2020-01-01 00:00:00\"><src path=\"" + src + L"\" destination=\"" + dst +
               L"\" rapid=\"0\"/></jobdef>";
    }
    // Every side's files and every revision's bytes, sorted.
    std::vector<Files> Sides(const Case &c)
    {
        std::vector<Files> sides(3);
        ReadFileTree(c.paths.src, sides[0], false);
        ReadFileTree(c.paths.dst, sides[1]);
        if (c.row.kind == Both)
            ReadFileTree(c.paths.dst2, sides[2]);
        return sides;
    }
    std::string Revised(const Case &c)
    {
        std::vector<std::string> kept;
        for (const std::wstring &folder : {c.revisionRoot, c.paths.dst + L"Revision\\", c.paths.dst2 + L"Revision\\"})
        {
            Files files;
            ReadFileTree(folder, files, false);
            for (const auto &file : files)
                kept.push_back(file.second);
        }
        std::sort(kept.begin(), kept.end());
        std::string text;
        for (const std::string &bytes : kept)
            text += (text.empty() ? "" : " ") + bytes;
        return text;
    }
    // The expected files stand, by their names and sizes: looked at without opening a file, which would keep
    // the program from replacing it meanwhile.
    bool LooksSettled(const Case &c)
    {
        auto shape = [](const Files &files) {
            std::map<std::wstring, size_t> sizes;
            for (const auto &file : files)
                sizes[file.first] = file.second.size();
            return sizes;
        };
        if (Shape(c.paths.src) != shape(Tree(c.row.src)) || Shape(c.paths.dst) != shape(Tree(c.row.dst)) ||
            (c.row.kind == Both && Shape(c.paths.dst2) != shape(Tree(c.row.dst2))))
            return false;
        size_t revisions = 0;
        for (const std::wstring &folder : {c.revisionRoot, c.paths.dst + L"Revision\\", c.paths.dst2 + L"Revision\\"})
            revisions += Shape(folder).size();
        std::wistringstream words(c.revisions ? c.row.revised : L"");
        return revisions == static_cast<size_t>(std::distance(std::istream_iterator<std::wstring, wchar_t>(words),
                                                              std::istream_iterator<std::wstring, wchar_t>()));
    }
    static std::map<std::wstring, size_t> Shape(const std::wstring &folder, const std::wstring &prefix = L"")
    {
        std::map<std::wstring, size_t> sizes;
        WIN32_FIND_DATAW data;
        CFindHandle find(::FindFirstFileW((folder + prefix + L"*").c_str(), &data));
        for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
        {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L".." || name == L"TesselDir.list" || (prefix.empty() && name == L"Revision"))
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                const std::map<std::wstring, size_t> below = Shape(folder, prefix + name + L"\\");
                sizes.insert(below.begin(), below.end());
            }
            else
                sizes[prefix + name] = data.nFileSizeLow;
        }
        return sizes;
    }
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
            const std::wstring folder = L"r" + std::to_wstring(cases.size()) + L"\\";
            const std::wstring at = drive.Root() + folder;
            // Every job has a name of its own, and so a log of its own.
            Case c{row,
                   revisions,
                   {at + L"src\\", at + L"dst\\", at + L"dst2\\"},
                   row.name + std::wstring(L" ") + std::to_wstring(cases.size()),
                   L""};
            c.revisionRoot =
                drive.Root() + L"Revision\\" + MakeLogFileName(c.name.c_str()).GetString() + L"\\" + folder;
            for (const std::wstring &side : {c.paths.src, c.paths.dst, c.paths.dst2})
            {
                ASSERT_EQ(CreateFolderPath(side.c_str()), 0u);
                Put(side, row.start);
            }
            jobs += JobXml(c.name, row.kind == OneWay ? 1 : 2, revisions, true, c.paths.src, c.paths.dst);
            if (row.kind == Both)
                jobs += JobXml(c.name + L" backup", 1, revisions, false, c.paths.src, c.paths.dst2);
            cases.push_back(c);
        }
    }
    LoadJobs(jobs);
    // The two-way jobs' lists as their last pass left them.
    for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
    {
        CSyncJob *job = m_list->GetAt(i);
        if (job->GetJobDef()->GetSyncType() != 2)
            continue;
        const std::wstring dest = job->GetJobDef()->GetDest().GetString();
        VssCopyBatch batch;
        const Case &c = *std::find_if(cases.begin(), cases.end(), [&](const Case &k) { return k.paths.dst == dest; });
        ASSERT_EQ(PassAgainstListFile(*job, c.paths.src.c_str(), c.paths.dst.c_str(), batch, TRUE), 1);
        job->m_runState = JOB_IDLE;
    }
    for (const Case &c : cases)
        Put(c.paths.dst, c.row.destOnly);

    CChangeWatch watch;
    for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
        CheckJobPaths(*m_list->GetAt(i), watch.GetWatcher(), watch.GetHandler(), m_window.get());
    m_window->PumpUntil([] { return false; }, 300);
    // Nothing is pumped meanwhile: every record meets the disk as the user left it.
    for (const Case &c : cases)
        c.row.act(c.paths);
    m_window->PumpUntil(
        [&] { return std::all_of(cases.begin(), cases.end(), [&](const Case &c) { return LooksSettled(c); }); }, 60000);
    // The records of the program's own last changes come back meanwhile.
    m_window->PumpUntil([] { return false; }, 1000);

    std::vector<std::vector<Files>> settled;
    std::vector<std::string> revised;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.row.what << (c.row.kind == OneWay ? ", one-way" : ", two-way")
                                        << (c.revisions ? ", revisions kept" : ""));
        const std::vector<Files> sides = Sides(c);
        EXPECT_TRUE(sides[0] == Tree(c.row.src)) << "the source: " << testing::PrintToString(sides[0]);
        EXPECT_TRUE(sides[1] == Tree(c.row.dst)) << "the destination: " << testing::PrintToString(sides[1]);
        EXPECT_TRUE(sides[2] == Tree(c.row.dst2)) << "the one-way destination: " << testing::PrintToString(sides[2]);
        EXPECT_EQ(Revised(c), c.revisions ? CStringA(c.row.revised).GetString() : "");
        EXPECT_FALSE(Exists(c.paths.dst2 + L"TesselDir.list")) << "a two-way list in a one-way destination";
        settled.push_back(sides);
        revised.push_back(Revised(c));
    }
    m_window->PumpUntil([] { return false; }, 10000);
    for (size_t i = 0; i < cases.size(); ++i)
    {
        SCOPED_TRACE(cases[i].row.what);
        EXPECT_TRUE(Sides(cases[i]) == settled[i]) << "a change came back";
        EXPECT_EQ(Revised(cases[i]), revised[i]) << "a change came back";
    }
    watch.Stop();
}
