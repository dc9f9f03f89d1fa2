// The MSXML 3 document through the COM support classes: a job-store-like document with a default namespace
// is changed, saved, loaded again and read back; failures arrive as _com_error.
#include "platform/system/Handles.h"
#include "platform/system/XmlDom.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace
{

std::wstring Text(const _bstr_t &text)
{
    const wchar_t *chars = text;
    return chars != nullptr ? chars : L"";
}

IXMLDOMDocument2Ptr NewDocument()
{
    IXMLDOMDocument2Ptr doc;
    HRESULT hr = doc.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER);
    _com_util::CheckError(hr);
    _com_util::CheckError(doc->put_async(VARIANT_FALSE));
    return doc;
}

bool Load(const IXMLDOMDocument2Ptr &doc, const std::wstring &path)
{
    VARIANT_BOOL ok = VARIANT_FALSE;
    _com_util::CheckError(doc->load(_variant_t(path.c_str()), &ok));
    _com_util::CheckError(doc->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(L"XPath")));
    _com_util::CheckError(doc->setProperty(_bstr_t(L"SelectionNamespaces"), _variant_t(L"xmlns:o='ORVANE'")));
    return ok == VARIANT_TRUE;
}

std::wstring Attribute(const IXMLDOMElementPtr &element, const wchar_t *name)
{
    _variant_t value;
    _com_util::CheckError(element->getAttribute(_bstr_t(name), &value));
    return value.vt == VT_BSTR ? std::wstring(value.bstrVal) : std::wstring();
}

} // namespace

TEST(XmlDom, DefaultNamespaceStoreSurvivesChangeSaveAndReload)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(com.Succeeded());
    testsupport::TempFolder folder;
    const std::wstring path = folder / L"Zel.xml";
    ASSERT_TRUE(testsupport::WriteFileBytes(
        path, "<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\"><jobdef name=\"a\"/></Tessel>\r\n"));

    try
    {
        IXMLDOMDocument2Ptr doc = NewDocument();
        ASSERT_TRUE(Load(doc, path));

        IXMLDOMNodePtr found;
        ASSERT_EQ(doc->selectSingleNode(_bstr_t(L"/o:Tessel/o:jobdef[@name='a']"), &found), S_OK);
        IXMLDOMElementPtr first = found; // QueryInterface through the smart pointer
        ASSERT_NE(first, nullptr);
        _com_util::CheckError(first->setAttribute(_bstr_t(L"state"), _variant_t(L"1")));

        IXMLDOMNodePtr made;
        _com_util::CheckError(doc->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                              _bstr_t(L"ORVANE"), &made));
        IXMLDOMElementPtr second = made;
        ASSERT_NE(second, nullptr);
        _com_util::CheckError(second->setAttribute(_bstr_t(L"name"), _variant_t(L"b\u00E9")));
        IXMLDOMElementPtr root;
        _com_util::CheckError(doc->get_documentElement(&root));
        IXMLDOMNodePtr appended;
        _com_util::CheckError(root->appendChild(made, &appended));
        _com_util::CheckError(doc->save(_variant_t(path.c_str())));

        // The new element shares the root's default namespace, so it carries no declaration of its own.
        std::string saved = testsupport::ReadFileBytes(path);
        EXPECT_EQ(saved.find("xmlns=\"\""), std::string::npos) << saved;

        IXMLDOMDocument2Ptr again = NewDocument();
        ASSERT_TRUE(Load(again, path));
        IXMLDOMNodeListPtr jobs;
        _com_util::CheckError(again->selectNodes(_bstr_t(L"/o:Tessel/o:jobdef"), &jobs));
        long count = 0;
        _com_util::CheckError(jobs->get_length(&count));
        EXPECT_EQ(count, 2);

        IXMLDOMNodePtr reloadedFirst;
        ASSERT_EQ(again->selectSingleNode(_bstr_t(L"/o:Tessel/o:jobdef[@name='a']"), &reloadedFirst), S_OK);
        EXPECT_EQ(Attribute(reloadedFirst, L"state"), L"1");
        IXMLDOMNodePtr reloadedSecond;
        EXPECT_EQ(again->selectSingleNode(_bstr_t(L"o:Tessel/o:jobdef[@name='b\u00E9']"), &reloadedSecond), S_OK);
        // Without the prefix the path names elements outside any namespace: nothing.
        IXMLDOMNodePtr unprefixed;
        EXPECT_EQ(again->selectSingleNode(_bstr_t(L"/Tessel/jobdef"), &unprefixed), S_FALSE);

        // Walking the children finds the same two elements, in document order, in the namespace.
        IXMLDOMElementPtr reloadedRoot;
        _com_util::CheckError(again->get_documentElement(&reloadedRoot));
        std::wstring names;
        IXMLDOMNodePtr child;
        _com_util::CheckError(reloadedRoot->get_firstChild(&child));
        while (child != nullptr)
        {
            IXMLDOMElementPtr element = child;
            ASSERT_NE(element, nullptr);
            _bstr_t ns;
            _com_util::CheckError(element->get_namespaceURI(ns.GetAddress()));
            EXPECT_EQ(Text(ns), L"ORVANE");
            names += Attribute(element, L"name") + L";";
            IXMLDOMNodePtr next;
            _com_util::CheckError(child->get_nextSibling(&next));
            child = next;
        }
        EXPECT_EQ(names, L"a;b\u00E9;");
    }
    catch (const _com_error &e)
    {
        FAIL() << "COM error 0x" << std::hex << e.Error();
    }
}

TEST(XmlDom, UnreadableFileAndBrokenTextLoadAsFailures)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(com.Succeeded());
    testsupport::TempFolder folder;
    IXMLDOMDocument2Ptr doc = NewDocument();
    EXPECT_FALSE(Load(doc, folder / L"missing.xml"));

    const std::wstring broken = folder / L"broken.xml";
    ASSERT_TRUE(testsupport::WriteFileBytes(broken, "<Tessel xmlns=\"ORVANE\"><jobdef name=\"a\"></Tessel>"));
    EXPECT_FALSE(Load(doc, broken));
    IXMLDOMParseErrorPtr error;
    ASSERT_EQ(doc->get_parseError(&error), S_OK);
    long code = 0;
    error->get_errorCode(&code);
    EXPECT_NE(code, 0);
    IXMLDOMElementPtr root;
    EXPECT_EQ(doc->get_documentElement(&root), S_FALSE);
    EXPECT_EQ(root, nullptr);
}

TEST(XmlDom, DocumentClassesOfVersionThreeAreRegistered)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(com.Succeeded());
    for (const CLSID *clsid : {&CLSID_DOMDocument30, &CLSID_FreeThreadedDOMDocument30, &CLSID_DOMDocument})
    {
        IXMLDOMDocument2Ptr doc;
        EXPECT_EQ(doc.CreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER), S_OK);
        EXPECT_NE(doc, nullptr);
    }
    IXMLDOMDocument2 *raw = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                               reinterpret_cast<void **>(&raw)),
              S_OK);
    raw->Release();
}

TEST(ComErrors, FailuresOfTheSupportClassesRaiseComErrorWithTheirCode)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(com.Succeeded());

    const CLSID unknownClass = {0x1b2c3d4e, 0x0001, 0x0002, {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a}};
    try
    {
        IXMLDOMDocument2Ptr doc(unknownClass);
        ADD_FAILURE() << "an unregistered class was created";
    }
    catch (const _com_error &e)
    {
        EXPECT_EQ(e.Error(), REGDB_E_CLASSNOTREG);
    }

    try
    {
        _variant_t text(L"not a number");
        long number = text;
        ADD_FAILURE() << "converted to " << number;
    }
    catch (const _com_error &e)
    {
        EXPECT_EQ(e.Error(), DISP_E_TYPEMISMATCH);
    }

    // An object that keeps no error information: the plain code arrives.
    try
    {
        IXMLDOMDocument2Ptr doc = NewDocument();
        _com_issue_errorex(E_ACCESSDENIED, doc, __uuidof(IXMLDOMDocument2));
        ADD_FAILURE() << "no error raised";
    }
    catch (const _com_error &e)
    {
        EXPECT_EQ(e.Error(), E_ACCESSDENIED);
        EXPECT_NE(e.ErrorMessage(), nullptr);
    }
}

TEST(ComStrings, NarrowTextConvertsThroughTheAnsiCodePage)
{
    _bstr_t empty("");
    EXPECT_EQ(empty.length(), 0u);
    EXPECT_STREQ(static_cast<const char *>(empty), "");
    _bstr_t none(static_cast<const char *>(nullptr));
    EXPECT_EQ(none.length(), 0u);
    EXPECT_EQ(static_cast<const char *>(none), nullptr);

    _bstr_t joined = _bstr_t("job ") + _bstr_t(L"store");
    EXPECT_STREQ(static_cast<const char *>(joined), "job store");
    EXPECT_STREQ(static_cast<const wchar_t *>(joined), L"job store");
    _variant_t fromNarrow("plain");
    ASSERT_EQ(fromNarrow.vt, VT_BSTR);
    EXPECT_STREQ(fromNarrow.bstrVal, L"plain");

    if (GetACP() != 1252)
        GTEST_SKIP() << "non-ASCII cases are written for code page 1252, the system uses " << GetACP();
    _bstr_t fromNarrowAccent("Z\xFCrich \x80");
    EXPECT_EQ(fromNarrowAccent.length(), 8u);
    EXPECT_STREQ(static_cast<const wchar_t *>(fromNarrowAccent), L"Z\u00FCrich \u20AC");
    _bstr_t fromWide(L"Gen\u00E8ve \u20AC");
    EXPECT_STREQ(static_cast<const char *>(fromWide), "Gen\xE8ve \x80");

    BSTR converted = _com_util::ConvertStringToBSTR("\xE9t\xE9");
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(SysStringLen(converted), 3u);
    char *back = _com_util::ConvertBSTRToString(converted);
    EXPECT_STREQ(back, "\xE9t\xE9");
    delete[] back;
    SysFreeString(converted);
}
