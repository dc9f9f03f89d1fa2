#include <gtest/gtest.h>

#include <string>

#include "engine/store/JobDef.h"
#include "engine/program/NetPath.h"
#include "support/TestSupport.h"

using testsupport::TempFolder;

namespace
{

// Drives are local unless mapped; mapped paths have universal names.
class FakeDrives : public CNetPathPlatform
{
  public:
    UINT DriveType(LPCWSTR root) override
    {
        return root[0] == L'X' ? DRIVE_REMOTE : DRIVE_FIXED;
    }
    DWORD UniversalName(LPCWSTR localPath, DWORD, LPVOID buffer, LPDWORD bufferSize) override
    {
        if (wcsncmp(localPath, L"X:\\", 3) != 0)
            return ERROR_NOT_CONNECTED;
        const std::wstring name = L"\\\\srv\\data\\" + std::wstring(localPath + 3);
        if (sizeof(UNIVERSAL_NAME_INFOW) + (name.size() + 1) * 2 > *bufferSize)
            return ERROR_MORE_DATA;
        auto *info = static_cast<UNIVERSAL_NAME_INFOW *>(buffer);
        info->lpUniversalName = reinterpret_cast<LPWSTR>(info + 1);
        wcscpy(info->lpUniversalName, name.c_str());
        return NO_ERROR;
    }
    NET_API_STATUS WorkstationInfo(LPWSTR, DWORD, LPBYTE *) override
    {
        return ERROR_BAD_NETPATH;
    }
    BOOL ComputerName(LPWSTR buffer, LPDWORD size) override
    {
        wcscpy(buffer, L"PC1");
        *size = 3;
        return TRUE;
    }
};

class NetPathJobSources : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override
    {
        m_document = nullptr;
        ::CoUninitialize();
    }

    // Binds the job to a "jobdef" element holding the given children, read from store text.
    void LoadJob(const std::wstring &children)
    {
        const std::wstring text = L"<Tessel xmlns=\"ORVANE\"><jobdef name=\"j\">" + children + L"</jobdef></Tessel>";
        ASSERT_TRUE(SUCCEEDED(m_document.CreateInstance(CLSID_DOMDocument30)));
        VARIANT_BOOL loaded = VARIANT_FALSE;
        ASSERT_TRUE(SUCCEEDED(m_document->loadXML(_bstr_t(text.c_str()), &loaded)));
        ASSERT_EQ(loaded, VARIANT_TRUE);
        IXMLDOMElementPtr root;
        ASSERT_TRUE(SUCCEEDED(m_document->get_documentElement(&root)));
        IXMLDOMNodePtr first;
        ASSERT_TRUE(SUCCEEDED(root->get_firstChild(&first)));
        m_job.Attach(IXMLDOMElementPtr(first));
    }

    static std::wstring Source(const std::wstring &path)
    {
        return L"<src path=\"" + path + L"\"/>";
    }

    CJobDef m_job{nullptr};

  private:
    FakeDrives m_drives;
    SeamOverride<CNetPathPlatform *> m_network{g_netPathPlatform, &m_drives};
    IXMLDOMDocument2Ptr m_document;
};

} // namespace

TEST_F(NetPathJobSources, CandidateAgainstFolderSources)
{
    const wchar_t *const candidate = L"D:\\Backup";
    LoadJob(Source(L"D:\\"));
    EXPECT_TRUE(m_job.IsPathInJobSources(candidate)) << "a drive root covers every path on it";
    LoadJob(Source(L"D:\\Backup\\Old"));
    EXPECT_TRUE(m_job.IsPathInJobSources(candidate)) << "the source lies inside the candidate";
    LoadJob(Source(L"D:\\Backups"));
    EXPECT_TRUE(m_job.IsPathInJobSources(candidate)) << "the source's text begins with the candidate";
    LoadJob(Source(L"D:\\Back"));
    EXPECT_FALSE(m_job.IsPathInJobSources(candidate));
    LoadJob(Source(L"E:\\") + Source(L" \td:\\backup\\old\n"));
    EXPECT_TRUE(m_job.IsPathInJobSources(candidate)) << "sources are trimmed and compared ignoring case";
    EXPECT_FALSE(m_job.IsPathInJobSources(L""));
    EXPECT_FALSE(m_job.IsPathInJobSources(nullptr));
}

TEST_F(NetPathJobSources, CandidateInsideASourceIsRefusedWhateverItsCase)
{
    LoadJob(Source(L"d:\\data\\"));
    EXPECT_TRUE(m_job.IsPathInJobSources(L"D:\\Data\\Backup"));
    EXPECT_TRUE(m_job.IsPathInJobSources(L"d:\\data\\Backup"));
    // The source must lead the candidate, not merely occur in it.
    EXPECT_FALSE(m_job.IsPathInJobSources(L"E:\\copy\\d:\\data\\x"));
    EXPECT_FALSE(m_job.IsPathInJobSources(L"D:\\Database"));
    LoadJob(Source(L""));
    EXPECT_FALSE(m_job.IsPathInJobSources(L"D:\\Data"));
}

TEST_F(NetPathJobSources, FileSourcesAndMappedCandidates)
{
    LoadJob(L"<src path=\"C:\\Data\\\"><file path=\"C:\\Data\\a.txt\"/></src>");
    EXPECT_TRUE(m_job.IsPathInJobSources(L"c:\\data"));
    EXPECT_FALSE(m_job.IsPathInJobSources(L"C:\\Other"));

    // An existing folder is compared with the source folder itself.
    TempFolder temp;
    std::wstring folder = temp.Path();
    folder.pop_back();
    LoadJob(L"<src path=\"" + temp.Path() + L"sub\\\"><file path=\"" + temp.Path() + L"sub\\f.txt\"/></src>");
    EXPECT_TRUE(m_job.IsPathInJobSources(folder.c_str()));

    // Both sides are brought to their network form first.
    LoadJob(Source(L"\\\\srv\\data\\Docs\\"));
    EXPECT_TRUE(m_job.IsPathInJobSources(L"X:\\Docs\\Backup"));
    EXPECT_FALSE(m_job.IsPathInJobSources(L"X:\\Music"));
    LoadJob(Source(L"X:\\Music\\"));
    EXPECT_TRUE(m_job.IsPathInJobSources(L"\\\\SRV\\Data\\Music\\Old"));
}

TEST_F(NetPathJobSources, UnboundRecordRaises)
{
    CJobDef unbound(nullptr);
    try
    {
        unbound.IsPathInJobSources(L"D:\\Backup");
        ADD_FAILURE() << "no error raised";
    }
    catch (const _com_error &error)
    {
        EXPECT_EQ(error.Error(), E_POINTER);
    }
}
