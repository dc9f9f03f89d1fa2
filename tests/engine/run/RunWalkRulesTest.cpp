// What a backup's walk passes over: the second of two names that differ only in case (a case-sensitive share), which
// would go over the first one's copy, and the job's own destination inside its source, however its case is written.
#include "RunTestSupport.h"
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

using RunWalkRules = RunTest;

TEST_F(RunWalkRules, ANameThatDiffersOnlyInCaseIsOneErrorAndLeavesTheFirstCopyAlone)
{
    // Wine finds names regardless of case, as Windows does; the host's own tools make the second one.
    const std::wstring host = testsupport::HostPath(Src());
    ASSERT_FALSE(host.empty());
    ASSERT_TRUE(testsupport::StartHostProgram(L"Z:\\bin\\sh", L"-c \"printf 'upper case' > '" + host +
                                                                  L"Index.html'; printf lower > '" + host +
                                                                  L"index.html'\""));
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

TEST_F(RunWalkRules, TheDestinationInsideTheSourceIsNotBackedUpIntoItselfWhateverItsCase)
{
    // Typed in lower case; the folder's own name, as the walk lists it, is "Backup Data".
    CString typed = (Src() + L"Backup Data\\").c_str();
    typed.MakeLower();
    m_job->GetJobDef()->SetDest(typed);
    WriteSource(L"a.txt", "alpha");
    // The copy an earlier run made.
    WriteSource(L"Backup Data\\src\\a.txt", "alpha");
    AddSource(Src());

    const PostedMessage end = Run();
    EXPECT_EQ(end.message, static_cast<UINT>(WM_JOB_FINISHED));
    EXPECT_EQ(end.lParam, 0);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_OWN_FOLDER_SKIPPED, kAnyTime, (Src() + L"Backup Data").c_str())), 1);
    std::map<std::wstring, std::string> backup;
    ReadFileTree(Src() + L"Backup Data\\", backup);
    EXPECT_TRUE(backup == (std::map<std::wstring, std::string>{{L"src\\a.txt", "alpha"}}))
        << testing::PrintToString(backup);
}

} // namespace
