// Shared by the job definition, source list and XML lock tests: a store document in memory, element
// inspection, and a test drive letter mapped onto a temporary folder.
#pragma once
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/XmlLayer.h"
#include "platform/Handles.h"
#include "platform/String.h"

inline void PrintTo(const CString &s, std::ostream *os)
{
    *os << '"' << CStringA(s).GetString() << '"';
}

namespace jobdeftest {

// A store document "<Tessel xmlns="ORVANE"/>" (or the given text), XPath selection.
IXMLDOMDocument2Ptr NewStoreDocument(LPCWSTR xml = L"<Tessel xmlns=\"ORVANE\"/>");
// Loads a saved store file into a new document; null when it is not well formed.
IXMLDOMDocument2Ptr LoadStoreDocument(const std::wstring &path);
void SaveStoreDocument(const IXMLDOMDocument2Ptr &document, const std::wstring &path);
IXMLDOMElementPtr RootOf(const IXMLDOMDocument2Ptr &document);
// A detached "jobdef" in the namespace "ORVANE".
IXMLDOMElementPtr NewJobElement(const IXMLDOMDocument2Ptr &document);
// Names of the element's attributes in document order, namespace declarations left out.
std::vector<std::wstring> AttributeNames(IXMLDOMElement *element);
// True when the element has an attribute of that name (an empty one counts).
bool HasAttribute(IXMLDOMElement *element, LPCWSTR name);
// The child elements named name, in document order.
std::vector<IXMLDOMElementPtr> ChildElements(IXMLDOMElement *element, LPCWSTR name);

// Maps a drive letter onto a folder through Wine's mount manager for the life of the object and removes the
// mapping at the end. Every test program that maps drive letters takes a letter in turn through the mutex
// "VelbrookTestDrive_<upper-case letter>".
class TestDrive
{
public:
    TestDrive(wchar_t letter, const std::wstring &folder);
    ~TestDrive();
    TestDrive(const TestDrive &) = delete;
    TestDrive &operator=(const TestDrive &) = delete;

    bool IsMapped() const { return m_mapped; }
    std::wstring Root() const { return std::wstring(1, m_letter) + L":\\"; }

private:
    bool Define(const char *unixPath, ULONG type);

    wchar_t m_letter;
    HANDLE m_turn = nullptr;
    bool m_mapped = false;
};

} // namespace jobdeftest
