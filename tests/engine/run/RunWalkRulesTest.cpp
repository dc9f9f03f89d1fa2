// What a backup's walk passes over: the job's own destination and the program's data folder inside a source (else
// every run copies the backup into itself, one level deeper), and the second of two names that differ only in case
// (a case-sensitive share), which would go over the first one's copy.
#include "RunTestSupport.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "support/HostLink.h"

using namespace runtest;

namespace
{

// The names of the folder's entries (not "." and ".."), in listing order.
std::vector<std::wstring> Listing(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW((folder + L"*").c_str(), &found));
    if (!listing.IsValid())
        return names;
    do
    {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(listing, &found));
    return names;
}

class RunWalkRules : public RunTest
{
};

TEST_F(RunWalkRules, TheJobsDestinationAndTheDataFolderInsideASourceAreNotBackedUp)
{
    // The source holds the destination and the data folder, as the system drive does for the one-click job of a
    // program that lies on it.
    const std::wstring tree = m_folder / L"tree\\";
    ASSERT_TRUE(MakeFolders(tree + L"Backup\\") && MakeFolders(tree + L"Docs\\") && MakeFolders(tree + L"Data\\"));
    ASSERT_TRUE(testsupport::WriteFileBytes(tree + L"Docs\\a.txt", "alpha"));
    ASSERT_TRUE(testsupport::WriteFileBytes(tree + L"Data\\Zel.xml", "<Tessel/>"));
    XmlSetAttributeString(m_element, L"dest", (tree + L"Backup\\").c_str());
    m_job->Attach(m_element);
    IXMLDOMElementPtr source = AddSource(tree);
    XmlSetAttributeString(source, L"destination", (tree + L"Backup\\tree\\").c_str());
    const CString savedData = g_strDataFolder;
    g_strDataFolder = (tree + L"Data\\").c_str();

    for (int run = 1; run <= 2; ++run)
    {
        SCOPED_TRACE(run);
        const PostedMessage end = Run();
        EXPECT_EQ(end.message, static_cast<UINT>(WM_JOB_FINISHED));
        EXPECT_EQ(m_job->GetErrorCount(), 0);
        EXPECT_EQ(Listing(tree + L"Backup\\tree\\"), std::vector<std::wstring>{L"Docs"});
        EXPECT_EQ(testsupport::ReadFileBytes(tree + L"Backup\\tree\\Docs\\a.txt"), "alpha");
        // Each is named in the log once per run.
        const std::vector<std::wstring> lines = LogLines();
        EXPECT_EQ(CountLines(lines, EntryLine(IDS_LOG_OWN_FOLDER_SKIPPED, kAnyTime, (tree + L"Backup").c_str())), run);
        EXPECT_EQ(CountLines(lines, EntryLine(IDS_LOG_OWN_FOLDER_SKIPPED, kAnyTime, (tree + L"Data").c_str())), run);
    }
    g_strDataFolder = savedData;
}

TEST_F(RunWalkRules, ANameThatDiffersOnlyInCaseIsOneErrorAndLeavesTheFirstCopyAlone)
{
    // Wine finds names regardless of case, as Windows does; the host's own tools make the second one.
    const std::wstring host = testsupport::HostPath(Src());
    ASSERT_FALSE(host.empty());
    ASSERT_TRUE(testsupport::StartHostProgram(
        L"Z:\\bin\\sh", L"-c \"printf 'upper case' > '" + host + L"Index.html'; printf lower > '" + host + L"index.html'\""));
    for (int i = 0; i < 250 && Listing(Src()).size() < 2; ++i)
        ::Sleep(20);
    const std::vector<std::wstring> names = Listing(Src());
    ASSERT_EQ(names.size(), 2u) << "the host made no second name";
    const std::wstring first = names[0];
    const std::wstring second = names[1];
    AddSource(Src());

    const PostedMessage end = Run();
    EXPECT_EQ(end.message, static_cast<UINT>(WM_JOB_FINISHED));
    EXPECT_EQ(end.lParam, 1);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(m_job->GetErrorList().GetCount(), 1u);
    EXPECT_EQ(CountLines(LogLines(), EntryLine(IDS_LOG_NAME_CASE_CLASH, kAnyTime, (Src() + second).c_str(),
                                               (Src() + first).c_str())),
              1);
    // The one copy holds the bytes of the name that was listed first.
    EXPECT_EQ(Listing(Target(L"")).size(), 1u);
    EXPECT_EQ(testsupport::ReadFileBytes(Target(first)), first == L"Index.html" ? "upper case" : "lower");
    EXPECT_EQ(JournalTargets().size(), 1u);
}

} // namespace
