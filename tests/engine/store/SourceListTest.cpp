// A job's "src" and "file" elements: adding, finding again after the store is saved and read back (where the
// saved "src" moves into the root's namespace), the same for a store written with xmlns="", reading and
// removing the list.
#include "JobDefTestSupport.h"

#include <gtest/gtest.h>

#include "engine/store/JobDef.h"
#include "engine/program/NetPath.h"
#include "engine/store/SourceList.h"
#include "support/TestSupport.h"

using namespace jobdeftest;

namespace
{

class SourceListTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_com.Succeeded());
        m_document = NewStoreDocument();
        m_element = NewStoreElement(m_document, L"jobdef");
        IXMLDOMNodePtr appended;
        _com_util::CheckError(RootOf(m_document)->appendChild(m_element, &appended));
        m_job.Attach(m_element);
    }

    // Saves the store, reads it back and binds the job to the reloaded "jobdef".
    void SaveAndReload()
    {
        const std::wstring path = m_folder / L"Zel.xml";
        SaveStoreDocument(m_document, path);
        m_document = LoadStoreDocument(path);
        ASSERT_TRUE(m_document);
        std::vector<IXMLDOMElementPtr> jobs = ChildElements(RootOf(m_document), L"jobdef");
        ASSERT_EQ(jobs.size(), 1u);
        m_element = jobs[0];
        m_job.Attach(m_element);
    }

    std::vector<CString> Sources()
    {
        CStringArray list;
        XmlReadSrcList(m_element, list);
        std::vector<CString> result;
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            result.push_back(list[i]);
        return result;
    }

    CCoInitialize m_com{COINIT_MULTITHREADED};
    testsupport::TempFolder m_folder;
    IXMLDOMDocument2Ptr m_document;
    IXMLDOMElementPtr m_element;
    CJobDef m_job{nullptr};
};

} // namespace

TEST_F(SourceListTest, FolderAndTwoFilesGiveOneSrcWithTwoFiles)
{
    m_job.AddSourcePath(L"C:\\Music\\", L"E:\\Backup\\Music");
    m_job.AddSourcePath(L"C:\\Data\\a.txt", L"ignored");
    m_job.AddSourcePath(L"C:\\Data\\b.txt", nullptr);

    std::vector<IXMLDOMElementPtr> sources = ChildElements(m_element, L"src");
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(GetXmlPathAttribute(sources[0]), L"C:\\Music\\");
    EXPECT_EQ(XmlGetAttributeString(sources[0], L"destination"), L"E:\\Backup\\Music");
    EXPECT_EQ(XmlGetAttributeString(sources[0], L"hassrc"), L"1");
    EXPECT_FALSE(HasAttribute(sources[0], L"rapid"));
    EXPECT_TRUE(ChildElements(sources[0], L"file").empty());

    EXPECT_EQ(GetXmlPathAttribute(sources[1]), L"C:\\Data\\");
    EXPECT_FALSE(HasAttribute(sources[1], L"destination"));
    std::vector<IXMLDOMElementPtr> files = ChildElements(sources[1], L"file");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(GetXmlPathAttribute(files[0]), L"C:\\Data\\a.txt");
    EXPECT_EQ(GetXmlPathAttribute(files[1]), L"C:\\Data\\b.txt");
    EXPECT_NE(XmlGetAttributeString(files[0], L"itemID"), XmlGetAttributeString(files[1], L"itemID"));

    const std::vector<CString> expected = {L"C:\\Music\\", L"C:\\Data\\a.txt", L"C:\\Data\\b.txt"};
    EXPECT_EQ(Sources(), expected);
}

TEST_F(SourceListTest, SourcesAreFoundAgainAfterSaveAndReload)
{
    m_job.AddSourcePath(L"C:\\Data\\a.txt", nullptr);
    m_job.AddSourcePath(L"C:\\Data\\b.txt", nullptr);
    SaveAndReload();

    m_job.AddSourcePath(L"C:\\Data\\c.txt", nullptr);
    std::vector<IXMLDOMElementPtr> sources = ChildElements(m_element, L"src");
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(ChildElements(sources[0], L"file").size(), 3u);

    SaveAndReload();
    const std::vector<CString> expected = {L"C:\\Data\\a.txt", L"C:\\Data\\b.txt", L"C:\\Data\\c.txt"};
    EXPECT_EQ(Sources(), expected);
}

TEST_F(SourceListTest, StoreWrittenWithEmptyNamespaceDeclarationsReadsAlike)
{
    m_document = NewStoreDocument(
        L"<Tessel xmlns=\"ORVANE\"><jobdef name=\"j\">"
        L"<src xmlns=\"\" path=\"C:\\Data\\\" hassrc=\"1\"><file path=\"C:\\Data\\a.txt\" itemID=\"0\"/></src>"
        L"</jobdef></Tessel>");
    m_element = ChildElements(RootOf(m_document), L"jobdef").at(0);
    m_job.Attach(m_element);

    m_job.AddSourcePath(L"C:\\Data\\b.txt", nullptr);
    std::vector<IXMLDOMElementPtr> sources = ChildElements(m_element, L"src");
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(ChildElements(sources[0], L"file").size(), 2u);
    const std::vector<CString> expected = {L"C:\\Data\\a.txt", L"C:\\Data\\b.txt"};
    EXPECT_EQ(Sources(), expected);
}

TEST_F(SourceListTest, FolderMatchIsExact)
{
    m_job.AddSourcePath(L"C:\\Data\\a.txt", nullptr);
    m_job.AddSourcePath(L"c:\\data\\b.txt", nullptr);
    m_job.AddSourcePath(L"C:\\Data\\Sub\\c.txt", nullptr);
    EXPECT_EQ(ChildElements(m_element, L"src").size(), 3u);
}

TEST_F(SourceListTest, RapidFlagWritesRapidZero)
{
    IXMLDOMElementPtr source = m_job.AddSource(L"C:\\Fast\\", nullptr, TRUE);
    EXPECT_EQ(XmlGetAttributeString(source, L"rapid"), L"0");
    EXPECT_FALSE(HasAttribute(source, L"destination"));
}

TEST_F(SourceListTest, PathWithoutBackslashAddsNothing)
{
    m_job.AddSourcePath(L"notes.txt", L"E:\\");
    m_job.AddSourcePath(L"", nullptr);
    m_job.AddSourcePath(nullptr, nullptr);
    EXPECT_TRUE(AttributeNames(m_element).size() > 0);
    EXPECT_TRUE(ChildElements(m_element, L"src").empty());
}

TEST_F(SourceListTest, RemoveSrcListKeepsOtherChildren)
{
    m_document = NewStoreDocument(L"<Tessel xmlns=\"ORVANE\"><jobdef><src path=\"C:\\A\\\"/><!-- note -->"
                                  L"<keep/><src path=\"C:\\B\\\"><file path=\"C:\\B\\x\"/></src>"
                                  L"<SRC path=\"C:\\C\\\"/><src path=\"C:\\D\\\"/></jobdef></Tessel>");
    m_element = ChildElements(RootOf(m_document), L"jobdef").at(0);

    XmlRemoveSrcList(m_element);

    std::vector<std::wstring> left;
    IXMLDOMNodePtr child;
    _com_util::CheckError(m_element->get_firstChild(&child));
    while (child)
    {
        BSTR name = nullptr;
        _com_util::CheckError(child->get_nodeName(&name));
        left.push_back(name);
        SysFreeString(name);
        IXMLDOMNodePtr next;
        _com_util::CheckError(child->get_nextSibling(&next));
        child = next;
    }
    const std::vector<std::wstring> expected = {L"#comment", L"keep", L"SRC"};
    EXPECT_EQ(left, expected);
}

TEST_F(SourceListTest, IteratorVisitsElementsOnly)
{
    m_document = NewStoreDocument(L"<Tessel xmlns=\"ORVANE\"><jobdef><!-- a --><src path=\"1\"/>text<?pi x?>"
                                  L"<file path=\"2\"/><!-- b --></jobdef></Tessel>");
    m_element = ChildElements(RootOf(m_document), L"jobdef").at(0);
    XmlElementIterator it(m_element);
    ASSERT_TRUE(it.Next());
    EXPECT_EQ(it.GetName(), L"src");
    ASSERT_TRUE(it.Next());
    EXPECT_EQ(it.GetName(), L"file");
    EXPECT_FALSE(it.Next());
    EXPECT_FALSE(it.Next());

    XmlElementIterator none(nullptr);
    EXPECT_FALSE(none.Next());

    CStringArray files;
    XmlReadFileList(m_element, files);
    ASSERT_EQ(files.GetSize(), 1);
    EXPECT_EQ(files[0], L"2");
}

TEST_F(SourceListTest, MissingElementRaisesInvalidPointer)
{
    CStringArray list;
    auto raisesInvalidPointer = [](auto call) {
        try
        {
            call();
        }
        catch (const _com_error &e)
        {
            return e.Error() == E_POINTER;
        }
        return false;
    };
    EXPECT_TRUE(raisesInvalidPointer([&] { XmlReadFileList(nullptr, list); }));
    EXPECT_TRUE(raisesInvalidPointer([&] { XmlReadSrcList(nullptr, list); }));
    EXPECT_TRUE(raisesInvalidPointer([&] { XmlRemoveSrcList(nullptr); }));

    CJobDef unbound(nullptr);
    EXPECT_TRUE(raisesInvalidPointer([&] { unbound.AddSource(L"C:\\A\\", nullptr, FALSE); }));
    EXPECT_TRUE(raisesInvalidPointer([&] { unbound.AddSourcePath(L"C:\\A\\b", nullptr); }));
    EXPECT_TRUE(raisesInvalidPointer([&] { unbound.HasNetworkSource(); }));
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(GetXmlPathAttribute(nullptr), L"");
}

namespace
{

// Answers that drive X: is a network drive; every other drive is local.
class MappedDriveX : public CNetPathPlatform
{
  public:
    UINT DriveType(LPCWSTR root) override
    {
        return (root[0] == L'X' || root[0] == L'x') ? DRIVE_REMOTE : DRIVE_FIXED;
    }
};

} // namespace

TEST_F(SourceListTest, NetworkSourceIsAUncPathOrARemoteDrive)
{
    MappedDriveX platform;
    SeamOverride<CNetPathPlatform *> network(g_netPathPlatform, &platform);

    m_job.AddSourcePath(L"C:\\Data\\", nullptr);
    EXPECT_FALSE(m_job.HasNetworkSource());
    m_job.AddSourcePath(L"X:\\Shared\\a.doc", nullptr);
    EXPECT_TRUE(m_job.HasNetworkSource());

    XmlRemoveSrcList(m_element);
    m_job.AddSourcePath(L"\\\\server\\share\\", nullptr);
    EXPECT_TRUE(m_job.HasNetworkSource());
}
