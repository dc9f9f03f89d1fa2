// The job list's source text, the job/element holder and the destination space query.
#include "JobListTestSupport.h"

#include "engine/store/JobDef.h"
#include "engine/store/SourceListText.h"
#include "engine/job/SyncJob.h"
#include "engine/store/XmlJobNodeRef.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

using namespace joblisttest;

namespace
{

class JobListSourceText : public StoreTest
{
  protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_previous = AfxGetResourceHandle();
        m_language =
            LoadLibraryExW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_language, nullptr);
        AfxSetResourceHandle(m_language);
    }
    void TearDown() override
    {
        AfxSetResourceHandle(m_previous);
        if (m_language)
            FreeLibrary(m_language);
        StoreTest::TearDown();
    }

    HINSTANCE m_previous = nullptr;
    HMODULE m_language = nullptr;
};

CString NotFound(const std::wstring &path)
{
    CString text;
    text.Format(IDS_SOURCE_NOT_FOUND, path.c_str());
    return text;
}

} // namespace

TEST_F(JobListSourceText, OneLinePerFileOrWholeFolderWithMissingPathsMarked)
{
    const std::wstring present = m_folder / L"Present\\";
    ASSERT_TRUE(CreateDirectoryW(present.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(present + L"a.txt", "a"));
    const std::wstring missing = m_folder / L"Missing\\";
    WriteStore(StoreXml(JobXml(L"J", L"u1", L"state=\"1\"",
                               L"<src path=\"" + present + L"\"/>" + L"<src path=\"" + present + L"\"><file path=\"" +
                                   present + L"a.txt\"/><file path=\"" + present + L"gone.txt\"/></src>" +
                                   L"<src path=\"" + missing + L"\"/><other path=\"X:\\\"/>")));
    CSyncJobList list;
    JobSourceListText record;
    record.jobDef = list.GetAt(0)->GetJobDef();
    record.text = L"old text";
    BuildSourceListText(record);

    ASSERT_FALSE(NotFound(L"x").IsEmpty());
    const CString expected = CString(present.c_str()) + L"\n" + (present + L"a.txt").c_str() + L"\n" +
                             NotFound(present + L"gone.txt") + L"\n" + NotFound(missing) + L"\n";
    EXPECT_EQ(record.text, expected);

    // Sources reached through an agent are not looked for here.
    record.jobDef->SetSourceAgent(1);
    BuildSourceListText(record);
    EXPECT_EQ(record.text, CString(present.c_str()) + L"\n" + (present + L"a.txt").c_str() + L"\n" +
                               (present + L"gone.txt").c_str() + L"\n" + missing.c_str() + L"\n");

    JobSourceListText none;
    none.text = L"x";
    BuildSourceListText(none);
    EXPECT_TRUE(none.text.IsEmpty());
}

TEST_F(JobListSourceText, NodeHolderKeepsTheJobsOwnElement)
{
    WriteStore(StoreXml(JobXml(L"J", L"u1")));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);
    {
        XmlJobNodeRef holder(list.GetDocument(), job);
        EXPECT_TRUE(holder.IsBound());
        EXPECT_EQ(holder.GetJob(), job);
        EXPECT_TRUE(holder.GetElement() == job->GetJobDef()->GetElement());
        EXPECT_TRUE(holder.GetDocument() == list.GetDocument());
    }
    XmlJobNodeRef empty(nullptr, nullptr);
    EXPECT_FALSE(empty.IsBound());
    EXPECT_EQ(empty.GetJob(), nullptr);
}

TEST_F(JobListSourceText, DiskSpaceOfAPathNotMadeYetIsThatOfItsVolume)
{
    ULONGLONG total = 0, used = 0, free = 0;
    ASSERT_TRUE(GetPathDiskSpace(m_folder.Path().c_str(), total, used, free));
    EXPECT_GT(total, 0u);
    EXPECT_EQ(used + free, total);

    ULONGLONG newTotal = 0, newUsed = 0, newFree = 0;
    EXPECT_TRUE(GetPathDiskSpace((m_folder / L"Not\\Made\\Yet").c_str(), newTotal, newUsed, newFree));
    EXPECT_EQ(newTotal, total);

    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"f.bin", "x"));
    ULONGLONG fileTotal = 0, fileUsed = 0, fileFree = 0;
    EXPECT_TRUE(GetPathDiskSpace((m_folder / L"f.bin").c_str(), fileTotal, fileUsed, fileFree));
    EXPECT_EQ(fileTotal, total);

    ULONGLONG badTotal = 1, badUsed = 1, badFree = 1;
    EXPECT_FALSE(GetPathDiskSpace(L"", badTotal, badUsed, badFree));
    EXPECT_EQ(badTotal + badUsed + badFree, 0u);
}
