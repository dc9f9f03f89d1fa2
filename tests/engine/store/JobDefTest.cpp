// The job definition record against a store document in memory: what a bare element loads as, the attribute
// quirks older stores depend on, write-through of the setters, the destination measurement and CreateNew.
#include "JobDefTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

#include "engine/store/JobDef.h"
#include "support/TestSupport.h"

using namespace jobdeftest;

namespace
{

class JobDefTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_com.Succeeded());
        m_document = NewStoreDocument();
        SetXmlStoreDocument(m_document);
        m_element = NewStoreElement(m_document, L"jobdef");
        ASSERT_TRUE(m_element);
    }
    void TearDown() override
    {
        SetXmlStoreDocument(nullptr);
        m_element = nullptr;
        m_document = nullptr;
    }

    CString Attr(LPCWSTR name)
    {
        return XmlGetAttributeString(m_element, name);
    }

    CCoInitialize m_com{COINIT_MULTITHREADED};
    IXMLDOMDocument2Ptr m_document;
    IXMLDOMElementPtr m_element;
};

bool IsLowerUuid(const CString &text)
{
    if (text.GetLength() != 36)
        return false;
    for (int i = 0; i < 36; ++i)
    {
        const wchar_t c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23)
        {
            if (c != L'-')
                return false;
        }
        else if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
        {
            return false;
        }
    }
    return true;
}

} // namespace

TEST_F(JobDefTest, BareElementLoadsAbsentValuesAndGainsUuidHasSrcAndJobUuidInOrder)
{
    CJobDef job(nullptr);
    job.Attach(m_element);

    EXPECT_EQ(job.GetState(), 0);
    EXPECT_EQ(job.GetMaxVer(), 0);
    EXPECT_EQ(job.GetThreshold(), 0);
    EXPECT_EQ(job.GetShowProg(), 0);
    EXPECT_EQ(job.GetOwType(), 0);
    EXPECT_EQ(job.GetWizardMode(), 1);
    EXPECT_EQ(job.GetAutoDel(), 0);
    EXPECT_EQ(job.GetHasSrc(), 1);
    EXPECT_TRUE(job.GetUuid().IsEmpty());
    EXPECT_TRUE(IsLowerUuid(job.GetJobUUID())) << CStringA(job.GetJobUUID()).GetString();

    const std::vector<std::wstring> expected = {L"uuid", L"hassrc", L"JobUUID"};
    EXPECT_EQ(AttributeNames(m_element), expected);
    EXPECT_EQ(Attr(L"uuid"), L"");
    EXPECT_EQ(Attr(L"hassrc"), L"1");
    EXPECT_EQ(Attr(L"JobUUID"), job.GetJobUUID());
}

TEST_F(JobDefTest, LoadKeepsAStoredJobUuidAndForcesHasSrc)
{
    XmlSetAttributeString(m_element, L"JobUUID", L"0f8fad5b-d9cb-469f-a165-70867728950e");
    XmlSetAttributeString(m_element, L"hassrc", L"0");
    XmlSetAttributeString(m_element, L"uuid", L"ABC");
    CJobDef job(nullptr);
    job.Attach(m_element);
    EXPECT_EQ(job.GetJobUUID(), L"0f8fad5b-d9cb-469f-a165-70867728950e");
    EXPECT_EQ(job.GetUuid(), L"ABC");
    EXPECT_EQ(Attr(L"hassrc"), L"1");
}

TEST_F(JobDefTest, AttributeQuirksOfOlderStores)
{
    struct Case
    {
        LPCWSTR autodel;
        LPCWSTR wizardMode; // null: absent
        int expectedAutoDel;
        int expectedWizardMode;
    };
    const Case cases[] = {
        {L"True", L"", 0, 1},
        {L"true", L"0", 1, 0},
        {L"TRUE", L"00", 0, 1},
        {L"false", nullptr, 0, 1},
    };
    for (const Case &c : cases)
    {
        IXMLDOMElementPtr element = NewStoreElement(m_document, L"jobdef");
        XmlSetAttributeString(element, L"autodel", c.autodel);
        if (c.wizardMode)
            XmlSetAttributeString(element, L"wizard_mode", c.wizardMode);
        CJobDef job(nullptr);
        job.Attach(element);
        EXPECT_EQ(job.GetAutoDel(), c.expectedAutoDel) << CStringA(c.autodel).GetString();
        EXPECT_EQ(job.GetWizardMode(), c.expectedWizardMode)
            << (c.wizardMode ? CStringA(c.wizardMode).GetString() : "absent");
    }
}

TEST_F(JobDefTest, JsTimeTakesHoursFromTheFirstTwoAndMinutesFromTheLastTwoCharacters)
{
    int hours = -1, minutes = -1;
    XmlSetAttributeString(m_element, L"js_time", L"7:05");
    CJobDef job(nullptr);
    job.Attach(m_element);
    job.GetJsTime(hours, minutes);
    EXPECT_EQ(hours, 7);
    EXPECT_EQ(minutes, 5);

    XmlSetAttributeString(m_element, L"js_time", L"");
    job.Load();
    job.GetJsTime(hours, minutes);
    EXPECT_EQ(hours, 0);
    EXPECT_EQ(minutes, 0);

    job.SetJsTime(CTime(2024, 3, 9, 6, 4, 0));
    EXPECT_EQ(Attr(L"js_time"), L"06:04");
    job.GetJsTime(hours, minutes);
    EXPECT_EQ(hours, 6);
    EXPECT_EQ(minutes, 4);
}

TEST_F(JobDefTest, SettersWriteThroughInTheirStoredForm)
{
    CJobDef job(nullptr);
    job.Attach(m_element);
    job.SetAutoDel(5);
    EXPECT_EQ(Attr(L"autodel"), L"true");
    job.SetAutoDel(0);
    EXPECT_EQ(Attr(L"autodel"), L"false");
    job.SetWizardMode(7);
    EXPECT_EQ(job.GetWizardMode(), 7);
    EXPECT_EQ(Attr(L"wizard_mode"), L"1");
    job.SetBackupCount(INT_MAX);
    EXPECT_EQ(Attr(L"backup_count"), L"2147483647");
    job.SetName(L"Documents \u00e9t\u00e9");
    EXPECT_EQ(Attr(L"name"), L"Documents \u00e9t\u00e9");

    // A reload reads back what the setters wrote.
    CJobDef again(nullptr);
    again.Attach(m_element);
    EXPECT_EQ(again.GetBackupCount(), INT_MAX);
    EXPECT_EQ(again.GetAutoDel(), 0);
    EXPECT_EQ(again.GetWizardMode(), 1);
    EXPECT_EQ(again.GetName(), L"Documents \u00e9t\u00e9");
}

TEST_F(JobDefTest, IncludeAndExcludeRebuildTheFilterPair)
{
    CJobDef job(nullptr);
    job.Attach(m_element);
    job.SetInclude(L".DOC, .xls;.pdf");
    job.SetExclude(L".tmp");
    EXPECT_EQ(Attr(L"include"), L".DOC, .xls;.pdf");
    EXPECT_TRUE(job.GetFilterPair().IsIncludedExt(L"report.doc"));
    EXPECT_TRUE(job.GetFilterPair().IsIncludedExt(L"sheet.xls"));
    EXPECT_FALSE(job.GetFilterPair().IsIncludedExt(L"notes.txt"));
    EXPECT_TRUE(job.GetFilterPair().IsExcludedExt(L"x.TMP"));

    // Loading rebuilds both sets from the element.
    XmlSetAttributeString(m_element, L"include", L".txt");
    job.Load();
    EXPECT_TRUE(job.GetFilterPair().IsIncludedExt(L"notes.txt"));
    EXPECT_FALSE(job.GetFilterPair().IsIncludedExt(L"report.doc"));
}

TEST_F(JobDefTest, RecordWithoutElementKeepsItsFieldsAndInitialValues)
{
    CJobDef job(nullptr);
    EXPECT_EQ(job.GetState(), 1);
    EXPECT_EQ(job.GetMaxVer(), 1);
    EXPECT_EQ(job.GetThreshold(), 90);
    EXPECT_EQ(job.GetShowProg(), 1);
    EXPECT_EQ(job.GetWizardMode(), 0);
    job.SetThreshold(75);
    job.SetDest(L"");
    job.Load();
    job.Attach(nullptr);
    EXPECT_EQ(job.GetThreshold(), 75);
    EXPECT_FALSE(job.GetElement());
}

TEST_F(JobDefTest, SetDestEmptiesUuidAndMeasuresAMissingFolderAtItsDriveRoot)
{
    testsupport::TempFolder folder;
    TestDrive drive(L'E', folder.Path());
    ASSERT_EQ(drive.Error(), L"");

    XmlSetAttributeString(m_element, L"uuid", L"0f8fad5b-d9cb-469f-a165-70867728950e");
    XmlSetAttributeString(m_element, L"dest", L"E:\\Backups\\New");
    CJobDef job(nullptr);
    job.Attach(m_element);
    ASSERT_FALSE(job.GetUuid().IsEmpty());

    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"E:\\", &available, &total, &free));
    ASSERT_GT(total.QuadPart, 0u);
    EXPECT_EQ(job.GetDestTotalBytes(), total.QuadPart);

    // The same destination again still drops the drive identity, which belonged to the old choice.
    job.SetDest(L"E:\\Backups\\New");
    EXPECT_TRUE(job.GetUuid().IsEmpty());
    EXPECT_TRUE(HasAttribute(m_element, L"uuid"));
    EXPECT_EQ(Attr(L"uuid"), L"");
    EXPECT_EQ(Attr(L"dest"), L"E:\\Backups\\New");
    EXPECT_EQ(job.GetDestTotalBytes(), total.QuadPart);
    EXPECT_EQ(job.GetDestUsedBytes(), job.GetDestTotalBytes() - job.GetDestFreeBytes());
    EXPECT_GT(job.GetDestFreeBytes(), 0u);
    // No host names are made up for a local destination.
    EXPECT_FALSE(HasAttribute(m_element, L"dhostname"));
    EXPECT_FALSE(HasAttribute(m_element, L"dhostip"));
}

TEST_F(JobDefTest, DestinationOnAMissingDriveMeasuresNothing)
{
    CJobDef job(nullptr);
    job.Attach(m_element);
    job.SetDest(L"Q:\\Nowhere");
    EXPECT_EQ(job.GetDestTotalBytes(), 0u);
    EXPECT_EQ(job.GetDestFreeBytes(), 0u);
    EXPECT_EQ(job.GetDestUsedBytes(), 0u);
}

TEST(JobDefThreads, TheDriveIdentityIsNeverReadHalfWritten)
{
    // Change processing reads "uuid" on its own thread while the destination page writes it.
    CJobDef def(nullptr);
    const CString first(L'a', 36);
    const CString second(L'b', 36);
    def.SetUuid(first);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200000; ++i)
            def.SetUuid(i % 2 == 0 ? second : first);
        done = true;
    });
    int torn = 0;
    while (!done)
    {
        const CString read = def.GetUuid();
        if (read != first && read != second)
            ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(JobDefTest, CreateNewMakesADetachedJobdefNamedAfterTheComputer)
{
    CJobDef job(nullptr);
    job.CreateNew();
    IXMLDOMElementPtr element = job.GetElement();
    ASSERT_TRUE(element);
    EXPECT_EQ(XmlGetNodeName(element), L"jobdef");
    BSTR uri = nullptr;
    ASSERT_EQ(element->get_namespaceURI(&uri), S_OK);
    EXPECT_STREQ(uri, L"ORVANE");
    SysFreeString(uri);
    IXMLDOMNodePtr parent;
    element->get_parentNode(&parent);
    EXPECT_FALSE(parent);

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = ARRAYSIZE(computer);
    ASSERT_TRUE(GetComputerNameW(computer, &size));
    const CString name = job.GetName();
    EXPECT_EQ(name.Find(CString(computer) + L"_"), 0) << CStringA(name).GetString();
    // "_%m-%d-%y_%H.%M.%S%p" after the computer name.
    EXPECT_EQ(name.GetLength(), static_cast<int>(size) + 1 + 8 + 1 + 8 + 2) << CStringA(name).GetString();
    EXPECT_EQ(XmlGetAttributeString(element, L"name"), name);
    EXPECT_EQ(XmlGetAttributeString(element, L"state"), L"1");
    EXPECT_EQ(XmlGetAttributeString(element, L"neverrun"), L"true");
}

TEST_F(JobDefTest, CreateNewWithoutAStoreDocumentRaisesInvalidPointer)
{
    SetXmlStoreDocument(nullptr);
    CJobDef job(nullptr);
    try
    {
        job.CreateNew();
        FAIL() << "no error raised";
    }
    catch (const _com_error &e)
    {
        EXPECT_EQ(e.Error(), E_POINTER);
    }
    EXPECT_FALSE(job.GetElement());
}

TEST(XmlLayerAttributes, IntegersRoundTripOverTheWholeRange)
{
    CCoInitialize com(COINIT_MULTITHREADED);
    IXMLDOMDocument2Ptr document = NewStoreDocument();
    IXMLDOMElementPtr element = NewStoreElement(document, L"jobdef");
    for (int value : {INT_MIN, INT_MIN + 1, -123456789, -1000000000, 0, 999999999, 1000000000, INT_MAX})
    {
        XmlSetAttributeInt(element, L"n", value);
        EXPECT_EQ(XmlGetAttributeInt(element, L"n"), value);
        EXPECT_EQ(XmlGetAttributeString(element, L"n"), CString(std::to_wstring(value).c_str()));
    }
}

TEST(XmlLayerAttributes, ReadersNeverRaise)
{
    CCoInitialize com(COINIT_MULTITHREADED);
    IXMLDOMDocument2Ptr document = NewStoreDocument();
    IXMLDOMElementPtr element = NewStoreElement(document, L"jobdef");
    const std::pair<LPCWSTR, int> texts[] = {
        {L"12x", 12}, {L"x12", 0}, {L"", 0}, {L"-7", -7}, {L"99999999999", INT_MAX}, {L"-99999999999", INT_MIN},
    };
    for (const auto &t : texts)
    {
        XmlSetAttributeString(element, L"n", t.first);
        EXPECT_EQ(XmlGetAttributeInt(element, L"n"), t.second) << CStringA(t.first).GetString();
    }
    EXPECT_EQ(XmlGetAttributeInt(element, L"missing"), 0);
    EXPECT_EQ(XmlGetAttributeString(element, L"missing"), L"");
    EXPECT_EQ(XmlGetAttributeString(nullptr, L"n"), L"");
    EXPECT_EQ(XmlGetAttributeInt(nullptr, L"n"), 0);
    EXPECT_NO_THROW(XmlSetAttributeString(nullptr, L"n", L"1"));
    EXPECT_NO_THROW(XmlSetAttributeInt(nullptr, L"n", 1));
}
