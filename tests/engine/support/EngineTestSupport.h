// Shared by the engine's tests: the English language library, store documents in memory, a job's log, files
// in test folders, and a fixture holding what most job tests need.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "engine/store/XmlLayer.h"
#include "platform/system/Handles.h"
#include "platform/text/String.h"
#include "platform/system/XmlDom.h"
#include "support/TestSupport.h"

class CLogMsg;
class CSyncJob;

inline void PrintTo(const CString &s, std::ostream *os)
{
    *os << '"' << CStringA(s).GetString() << '"';
}

namespace enginetest
{

// Loads the English language library as the resource module once per program.
void UseLanguageLibrary();

// A store document "<Tessel xmlns="ORVANE"/>" (or the given text) loaded as the program loads its store:
// synchronous, XPath selection. Throws _com_error when the text is not well formed.
IXMLDOMDocument2Ptr NewStoreDocument(LPCWSTR xml = L"<Tessel xmlns=\"ORVANE\"/>");
// A detached element of that name in the store's namespace "ORVANE".
IXMLDOMElementPtr NewStoreElement(const IXMLDOMDocument2Ptr &document, LPCWSTR name);
// A detached "jobdef" with the name, the destination when one is given, and state 1 (enabled).
IXMLDOMElementPtr NewJobElement(const IXMLDOMDocument2Ptr &document, LPCWSTR name, LPCWSTR dest = nullptr);

// Loads a saved store file into a new document; null when it is not well formed.
IXMLDOMDocument2Ptr LoadStoreDocument(const std::wstring &path);
IXMLDOMElementPtr RootOf(const IXMLDOMDocument2Ptr &document);
// The child elements named name, in document order.
std::vector<IXMLDOMElementPtr> ChildElements(IXMLDOMElement *element, LPCWSTR name);

// Everything the job's log holds so far.
std::wstring JobLogText(CSyncJob &job);

// A log as the user reads it: its lines without their CR LF. Fails the test when the file does not start with the
// byte-order mark, does not end with CR LF, or holds a CR or LF outside a line end.
std::vector<std::wstring> LogLines(CLogMsg &log);
// The job's log, as LogLines reads it.
std::vector<std::wstring> JobLogLines(CSyncJob &job);
// Stand for the time of an entry ("%Y-%m-%d %H:%M:%S") and for any text in an expected line.
extern const wchar_t kAnyTime[];
extern const wchar_t kAnyText[];
// The line of a log string formatted with up to three string arguments; kAnyTime among them stands for the
// entry's time.
std::wstring EntryLine(UINT id, LPCWSTR first = L"", LPCWSTR second = L"", LPCWSTR third = L"");
// TRUE when line is expected, with any time where expected holds kAnyTime and any text where it holds kAnyText.
bool LineMatches(const std::wstring &line, const std::wstring &expected);
// The number of lines that match expected.
int CountLines(const std::vector<std::wstring> &lines, const std::wstring &expected);

// Whether a file or folder is there, also beyond the usual path limit.
bool Exists(const std::wstring &path);

// Writes a file, making its folders, last written 2020-06-01 12:00:00 UTC + seconds.
void WriteFileAt(const std::wstring &path, const std::string &bytes, LONGLONG seconds = 0);

// The files below folder with their bytes, by their path below it; list files ("TesselDir.list") and, unless
// skipRevision is false, a "Revision" folder at the top left out. Without bytes a file stands for its size in
// "?"s and is never opened.
void ReadFileTree(const std::wstring &folder, std::map<std::wstring, std::string> &files, bool skipRevision = true,
                  bool bytes = true);

// A move for g_pfnMoveFileEx that refuses to replace a read-only file with access denied, as Windows does; Wine's
// rename does not look.
BOOL WINAPI MoveAsWindows(LPCWSTR from, LPCWSTR to, DWORD flags);

// Holds a file open with no sharing, as a program that keeps its file open does.
class LockedFile
{
  public:
    explicit LockedFile(const std::wstring &path);
    bool IsLocked() const
    {
        return m_handle.IsValid();
    }

  private:
    CKernelHandle m_handle;
};

// COM, a temporary folder, the language library, the job logs in that folder ("Zel.log") and an empty store
// document in memory that the XML layer works on; the program's log path is put back afterwards.
class EngineTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;
    IXMLDOMDocument2Ptr m_document;

  private:
    CString m_savedLogPath;
};

} // namespace enginetest
