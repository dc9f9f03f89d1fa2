// The snapshot batch against the stand-in agent library, whose builds lie in subfolders of the test program's
// folder ("quessel_full", "quessel_partial"); a test picks one by SetDllDirectoryW.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/run/DestPaths.h"
#include "engine/snapshot/VssCopy.h"
#include "engine/snapshot/ZorbitInfo.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"

using namespace enginetest;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

class Snapshot : public EngineTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
        ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(Src().c_str(), nullptr));
        m_window = std::make_unique<FakeMainWindow>();
        m_element = NewJobElement(m_document, L"OpenFiles", Dest().c_str());
        XmlSetAttributeInt(m_element, L"maxver", 3);
        m_job = std::make_unique<CSyncJob>();
        m_job->Attach(m_element);
    }
    void TearDown() override
    {
        ::SetDllDirectoryW(nullptr);
        m_job.reset();
        m_element = nullptr;
        m_window.reset();
        EngineTest::TearDown();
    }

    std::wstring Dest() const
    {
        return m_folder / L"dest\\";
    }
    std::wstring Src() const
    {
        return m_folder / L"src\\";
    }

    // Makes the agent library of that folder under the test program's folder the one a bare name finds (an
    // empty folder of the test's own for none) and binds it afresh; true when it is bound whole.
    bool UseAgent(const std::wstring &build)
    {
        const std::wstring folder = build.empty() ? m_folder.Path() : ProgramFolder() + build;
        EXPECT_TRUE(::SetDllDirectoryW(folder.c_str()));
        return GetZorbitInfo().Load() != FALSE;
    }
    // What the stand-in answers and under which snapshot root it names copies; clears its call record.
    static void Script(int result, const std::wstring &root = L"")
    {
        using ScriptFunction = void (*)(int, const wchar_t *);
        auto script = reinterpret_cast<ScriptFunction>(
            reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"Quessel.dll"), "QuesselTestScript")));
        ASSERT_NE(script, nullptr);
        script(result, root.c_str());
    }
    static std::wstring Calls()
    {
        using CallsFunction = int (*)(wchar_t *, int);
        auto calls = reinterpret_cast<CallsFunction>(
            reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"Quessel.dll"), "QuesselTestCalls")));
        if (calls == nullptr)
            return L"(no agent)";
        wchar_t text[512] = {};
        calls(text, _countof(text));
        return text;
    }

    std::wstring MakeSource(const std::wstring &name, const std::string &bytes)
    {
        EXPECT_TRUE(WriteFileBytes(Src() + name, bytes));
        return Src() + name;
    }
    // The record of a copy of a source file into the destination.
    VssCopyBatch BatchOf(const std::vector<std::wstring> &names, DWORD kind = 0)
    {
        VssCopyBatch batch;
        for (const std::wstring &name : names)
            EXPECT_TRUE(AddVssCopyItem(m_job.get(), batch, kind, (Src() + name).c_str(), (Dest() + name).c_str()));
        return batch;
    }
    std::vector<std::wstring> ErrorTexts()
    {
        std::vector<std::wstring> texts;
        for (const CopyErrorItem &item : m_job->GetErrorList().GetItems())
            texts.push_back(item.text.GetString());
        return texts;
    }
    static std::wstring ErrorText(const std::wstring &path, DWORD code)
    {
        CString text;
        text.Format(239u, path.c_str());
        return (text + L" - " + GetSystemErrorText(code)).GetString();
    }
    std::vector<std::wstring> LogLines()
    {
        std::wstring text = JobLogText(*m_job);
        std::vector<std::wstring> lines;
        size_t start = !text.empty() && text[0] == 0xFEFF ? 1 : 0;
        for (size_t end = text.find(L"\r\n", start); end != std::wstring::npos; end = text.find(L"\r\n", start))
        {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    std::unique_ptr<FakeMainWindow> m_window;
    IXMLDOMElementPtr m_element;
    std::unique_ptr<CSyncJob> m_job;
};

TEST_F(Snapshot, HundredthRecordHandsOnTheWholeBatchNeverWhileCancelled)
{
    ASSERT_TRUE(UseAgent(L"quessel_full"));
    Script(0);
    std::vector<std::wstring> names;
    for (int i = 0; i < 100; ++i)
    {
        names.push_back(L"file" + std::to_wstring(i) + L".txt");
        MakeSource(names.back(), "data " + std::to_string(i));
    }
    VssCopyBatch batch = BatchOf(std::vector<std::wstring>(names.begin(), names.begin() + 99));
    // The code that queued kind-0 records counted each as an error.
    m_job->m_errorCount = 100;

    m_job->FlushVssCopyBatch(batch);
    EXPECT_EQ(batch.size(), 99u);
    EXPECT_EQ(Calls(), L"");

    ASSERT_TRUE(AddVssCopyItem(m_job.get(), batch, 0, (Src() + names[99]).c_str(), (Dest() + names[99]).c_str()));
    m_job->FlushVssCopyBatch(batch);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(Calls(), L"S1,4,0;B100;C0");
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(ReadFileBytes(Dest() + names[i]), "data " + std::to_string(i)) << i;
    EXPECT_EQ(m_job->GetErrorCount(), 0);

    Script(0);
    batch = BatchOf(names);
    m_job->m_cancelFlag = TRUE;
    m_job->FlushVssCopyBatch(batch);
    EXPECT_EQ(batch.size(), 100u);
    EXPECT_EQ(Calls(), L"");
}

TEST_F(Snapshot, FailedSnapshotReportsEveryRecordCopiesNothingAndStillEnds)
{
    ASSERT_TRUE(UseAgent(L"quessel_full"));
    Script(5);
    for (const wchar_t *name : {L"a.txt", L"b.txt", L"c.txt"})
        MakeSource(name, "x");
    m_job->m_errorCount = 3;

    VssCopyFiles(BatchOf({L"a.txt", L"b.txt", L"c.txt"}), 3, m_job.get());

    EXPECT_EQ(Calls(), L"S1,4,0;B3;C0");
    EXPECT_EQ(ErrorTexts(), (std::vector<std::wstring>{ErrorText(Src() + L"a.txt", 5), ErrorText(Src() + L"b.txt", 5),
                                                       ErrorText(Src() + L"c.txt", 5)}));
    EXPECT_EQ(m_job->GetErrorCount(), 3);
    EXPECT_FALSE(Exists(Dest() + L"a.txt"));
    const std::vector<std::wstring> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u + 3u * 3u);
    EXPECT_EQ(lines[0].substr(19), L" :Call VssStartBackup2() faild");
    for (size_t i = 0; i < 3; ++i)
    {
        const std::wstring name = std::wstring(1, static_cast<wchar_t>(L'a' + i)) + L".txt";
        EXPECT_EQ(lines[1 + 3 * i], L"VSS Copy Error:");
        EXPECT_EQ(lines[2 + 3 * i], L"Source:" + Src() + name);
        EXPECT_EQ(lines[3 + 3 * i], L"Dest:" + Dest() + name);
    }
}

TEST_F(Snapshot, PartialOrMissingAgentGives126WithoutACrashAndALaterLoadBinds)
{
    MakeSource(L"a.txt", "agent data");
    EXPECT_FALSE(UseAgent(L"quessel_partial"));
    EXPECT_FALSE(GetZorbitInfo().IsMissing());
    Script(0);
    VssCopyFiles(BatchOf({L"a.txt"}), 3, m_job.get());
    EXPECT_EQ(Calls(), L"");

    EXPECT_FALSE(UseAgent(L""));
    EXPECT_TRUE(GetZorbitInfo().IsMissing());
    VssCopyFiles(BatchOf({L"a.txt"}), 3, m_job.get());

    EXPECT_EQ(ErrorTexts(), std::vector<std::wstring>{ErrorText(Src() + L"a.txt", ERROR_MOD_NOT_FOUND)});
    EXPECT_FALSE(Exists(Dest() + L"a.txt"));

    // The next use of the binding finds the library put in place meanwhile.
    ASSERT_TRUE(::SetDllDirectoryW((ProgramFolder() + L"quessel_full").c_str()));
    EXPECT_FALSE(CZorbitInfo::IsBound());
    GetZorbitInfo();
    ASSERT_TRUE(CZorbitInfo::IsBound());
    Script(0);
    VssCopyFiles(BatchOf({L"a.txt"}), 3, m_job.get());
    EXPECT_EQ(Calls(), L"S1,4,0;B1;C0");
    EXPECT_EQ(ReadFileBytes(Dest() + L"a.txt"), "agent data");
}

TEST_F(Snapshot, HeldSourceIsCopiedFromTheSnapshotAndOnlyASuccessTakesItsErrorBack)
{
    ASSERT_TRUE(UseAgent(L"quessel_full"));
    const std::wstring root = m_folder / L"snapshot";
    const std::wstring held = MakeSource(L"open.doc", "live data");
    const std::wstring missing = MakeSource(L"gone.txt", "live data");
    // The stand-in names each copy root + "\" + the source without its colon.
    std::wstring place = held;
    place.erase(1, 1);
    ASSERT_TRUE(::CreateDirectoryW(root.c_str(), nullptr));
    for (size_t slash = place.find(L'\\'); slash != std::wstring::npos; slash = place.find(L'\\', slash + 1))
        ::CreateDirectoryW((root + L"\\" + place.substr(0, slash)).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(root + L"\\" + place, "snapshot data"));
    Script(0, root);
    LockedFile lock(held);
    ASSERT_TRUE(lock.IsLocked());
    m_job->m_errorCount = 2;

    VssCopyBatch batch = BatchOf({L"open.doc", L"gone.txt"});
    ASSERT_TRUE(AddVssCopyItem(m_job.get(), batch, 1, held.c_str(), (Dest() + L"Revision\\open.doc").c_str()));
    VssCopyFiles(batch, 3, m_job.get());

    EXPECT_EQ(Calls(), L"S1,4,0;B3;C0");
    EXPECT_EQ(ReadFileBytes(Dest() + L"open.doc"), "snapshot data");
    EXPECT_EQ(ReadFileBytes(Dest() + L"Revision\\open(00).doc"), "snapshot data");
    EXPECT_FALSE(Exists(Dest() + L"gone.txt"));
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(ErrorTexts(), std::vector<std::wstring>{ErrorText(missing, ERROR_FILE_NOT_FOUND)});

    // The count never goes below 0.
    m_job->m_errorCount = 0;
    Script(0, root);
    VssCopyFiles(BatchOf({L"open.doc"}), 3, m_job.get());
    EXPECT_EQ(m_job->GetErrorCount(), 0);
}

TEST_F(Snapshot, PathThatDoesNotFitWholeIsNotQueued)
{
    VssCopyBatch batch;
    const std::wstring fits = Src() + std::wstring(MAX_PATH - 1 - Src().size(), L'f');
    const std::wstring tooLong = fits + L"g";
    ASSERT_EQ(tooLong.size(), static_cast<size_t>(MAX_PATH));

    EXPECT_FALSE(AddVssCopyItem(m_job.get(), batch, 0, tooLong.c_str(), (Dest() + L"x").c_str()));
    EXPECT_FALSE(AddVssCopyItem(m_job.get(), batch, 1, (Src() + L"x").c_str(), tooLong.c_str()));
    EXPECT_TRUE(batch.empty());
    EXPECT_TRUE(AddVssCopyItem(m_job.get(), batch, 0, fits.c_str(), fits.c_str()));
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(std::wstring(batch[0].source), fits);

    EXPECT_EQ(ErrorTexts(), (std::vector<std::wstring>{ErrorText(tooLong, ERROR_FILENAME_EXCED_RANGE)}));
}

namespace
{

// A full disk for every revision.
BOOL WINAPI RevisionsFail(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                          DWORD flags)
{
    if (wcsstr(target, L"\\Revision\\") == nullptr)
        return CopyFileWithProgress(source, target, progress, data, cancel, flags);
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

} // namespace

TEST_F(Snapshot, ACopyWhoseRevisionFailedIsNotMadeAndItsErrorStays)
{
    ASSERT_TRUE(UseAgent(L"quessel_full"));
    const std::wstring root = m_folder / L"snapshot\\";
    VssCopyBatch batch;
    for (const wchar_t *name : {L"a.txt", L"b.txt"})
    {
        // The stand-in names each copy root + the source without its colon.
        for (const auto &[path, bytes] : {std::pair{Src() + name, "new"}, {Dest() + name, "old"}})
        {
            std::wstring place = root + path;
            place.erase(root.size() + 1, 1);
            CreateFolderPath(place.substr(0, place.rfind(L'\\')).c_str());
            ASSERT_TRUE(WriteFileBytes(place, bytes) && WriteFileBytes(path, bytes));
        }
        // b.txt keeps no revisions: its copy stands alone.
        if (name[0] == L'a')
            AddVssCopyItem(m_job.get(), batch, 1, (Dest() + name).c_str(), (Dest() + L"Revision\\" + name).c_str());
        AddVssCopyItem(m_job.get(), batch, 0, (Src() + name).c_str(), (Dest() + name).c_str());
    }
    Script(0, root.substr(0, root.size() - 1));
    m_job->m_errorCount = 2;
    SeamOverride copy(g_pfnCopyFileEx, &RevisionsFail);

    EXPECT_EQ(VssCopyFiles(batch, 3, m_job.get()), 2u);

    EXPECT_EQ(ReadFileBytes(Dest() + L"a.txt"), "old");
    EXPECT_EQ(ReadFileBytes(Dest() + L"b.txt"), "new");
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    const std::vector<std::wstring> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(LineMatches(lines[0], EntryLine(IDS_LOG_REVISION_NOT_MADE, kAnyTime, (Dest() + L"a.txt").c_str(),
                                                GetSystemErrorText(ERROR_DISK_FULL))))
        << testing::PrintToString(lines[0]);
}

TEST(SnapshotDeviceRecords, EqualRegardlessOfTextCaseAndNeverReportedWithoutAnAgent)
{
    ZorbitRecord a = {};
    a.identifier = 7;
    strcpy(a.name, "Vault");
    strcpy(a.details[4], "Drive E");
    a.value64 = 0x45;
    ZorbitRecord b = a;
    strcpy(b.name, "VAULT");
    strcpy(b.details[4], "drive e");
    ZorbitRecord c = a;
    c.value64 = 0x46;
    EXPECT_TRUE(ZorbitItemEquals(a, b));
    EXPECT_FALSE(ZorbitItemEquals(a, c));

    const std::vector<ZorbitRecord> list = {c, b};
    EXPECT_EQ(FindZorbitItem(list.data(), list.data() + 2, a), list.data() + 1);
    CZorbitInfo &info = GetZorbitInfo();
    EXPECT_EQ(info.QueryItemState(list, a), 1);
    EXPECT_EQ(info.QueryItemState({c}, a), 0);
    std::vector<ZorbitRecord> loaded = list;
    EXPECT_EQ(info.LoadItems(loaded), 0);
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(info.RunAgentUi(), 0);
}

} // namespace
