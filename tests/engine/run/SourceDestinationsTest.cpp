#include "CopyTestSupport.h"

#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace copytest;

namespace
{

class SourceDestinations : public CopyJobTest
{
  protected:
    void SetUp() override
    {
        CopyJobTest::SetUp();
        for (LPCWSTR path : {L"C:\\Users\\Bob\\Documents\\", L"d:\\", L"\\\\nas\\share\\work\\", L"C:\\Docs\\a.txt",
                             L"C:\\Mail\\pst\\", L""})
            m_job->GetJobDef()->AddSource(path, nullptr, FALSE);
    }
    std::vector<std::wstring> Destinations()
    {
        std::vector<std::wstring> result;
        XmlElementIterator children(m_element);
        while (children.Next())
            result.push_back(XmlGetAttributeString(children.GetElement(), L"destination").GetString());
        return result;
    }
};

TEST_F(SourceDestinations, KeepsTheSourceFolderNameUnderTheDestination)
{
    for (LPCWSTR dest : {L"E:\\Backup", L"E:\\Backup\\"})
    {
        SCOPED_TRACE(dest);
        m_job->GetJobDef()->SetDest(dest);
        m_job->UpdateSourceDestinations();
        std::vector<std::wstring> expected = {L"E:\\Backup\\Documents\\", L"E:\\Backup\\d\\",   L"E:\\Backup\\work\\",
                                              L"E:\\Backup\\a.txt",       L"E:\\Backup\\pst\\", L""};
        EXPECT_EQ(Destinations(), expected);
    }
    CString entry;
    entry.Format(IDS_LOG_SOURCE_FORM, L"");
    EXPECT_EQ(LogCount(entry.GetString()), 2);
}

TEST_F(SourceDestinations, FullPathsGoUnderAFolderPerComputerAndDrive)
{
    m_job->GetJobDef()->SetRetainFullPath(1);
    std::wstring pc = GetDestComputerName().GetString();
    for (LPCWSTR dest : {L"E:\\Backup", L"E:\\Backup\\"})
    {
        SCOPED_TRACE(dest);
        m_job->GetJobDef()->SetDest(dest);
        m_job->UpdateSourceDestinations();
        std::vector<std::wstring> expected = {L"E:\\Backup\\" + pc + L"_C\\Users\\Bob\\Documents\\",
                                              L"E:\\Backup\\" + pc + L"_D\\",
                                              L"E:\\Backup\\nas_share\\work\\",
                                              L"E:\\Backup\\" + pc + L"_C\\Docs\\a.txt",
                                              L"E:\\Backup\\" + pc + L"_C\\Mail\\pst\\",
                                              L""};
        EXPECT_EQ(Destinations(), expected);
    }
}

TEST_F(SourceDestinations, FolderToFolderUsesTheDestinationItself)
{
    m_job->GetJobDef()->SetFolder2Folder(1);
    m_job->GetJobDef()->SetRetainFullPath(1);
    m_job->GetJobDef()->SetDest(L"E:\\Backup");
    m_job->UpdateSourceDestinations();
    std::vector<std::wstring> expected = {L"E:\\Backup",        L"E:\\Backup", L"E:\\Backup",
                                          L"E:\\Backup\\a.txt", L"E:\\Backup", L"E:\\Backup"};
    EXPECT_EQ(Destinations(), expected);
}

} // namespace
