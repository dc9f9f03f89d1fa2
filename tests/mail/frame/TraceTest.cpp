// The debug trace as it lands in the log file: nothing with mask 0, the blocks of failed platform calls,
// the path taken literally.
#include "mail/frame/Trace.h"

#include <gtest/gtest.h>

#include <regex>

#include "mail/Postrel.h"
#include "mail/storage/Storager.h"
#include "mail/support/MailTestSupport.h"

using mailtest::Lines;
using PostrelFrame = mailtest::MailStoreTest;

namespace
{

// The prefix of a trace line: thread, time on a 12-hour clock, date, mask.
const std::regex kPrefix("0x[0-9a-f]{4,8} [01][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3}(AM|PM)  [01][0-9]-[0-3][0-9]-"
                         "[0-9]{4} 0x00000040: ");

bool HasPrefix(const std::string &line, const std::string &rest)
{
    std::smatch match;
    return std::regex_search(line, match, kPrefix) && match.position(0) == 0 && match.suffix().str() == rest;
}

} // namespace

TEST_F(PostrelFrame, MaskZeroWritesNothing)
{
    EXPECT_EQ(0u, ConfigurateDebug(TraceLog().c_str(), 0));
    ReportHResult(STG_E_FILENOTFOUND, "Open()", "File.cpp", 1);
    DebugPrintf(POSTREL_TRACE, L"nothing %d\n", 1);
    EXPECT_TRUE(testsupport::ReadFileBytes(TraceLog()).empty());
    // Another mask than the library's traces nothing either.
    ConfigurateDebug(TraceLog().c_str(), 0x01);
    DebugPrintf(POSTREL_TRACE, L"nothing\n");
    EXPECT_TRUE(testsupport::ReadFileBytes(TraceLog()).empty());
}

TEST_F(PostrelFrame, FailedCallsGiveErrorAndWarningBlocks)
{
    ASSERT_EQ(POSTREL_TRACE, ConfigurateDebug(TraceLog().c_str(), POSTREL_TRACE));
    ReportHResult(STG_E_FILENOTFOUND, "pStorage->OpenStream(name)", "Storager.cpp", 42);
    ReportHResult(S_FALSE, "GetFirstSubFolder()", "MailStore.cpp", 7);
    ReportHResult(E_FAIL, "Initialize()", "MailStore.cpp", 8);
    ReportSkipped("Next()", STG_E_ACCESSDENIED);
    const std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(16u, lines.size());
    EXPECT_TRUE(HasPrefix(lines[0], "Error: ")) << lines[0];
    EXPECT_EQ("Code: STG_E_FILENOTFOUND == 0x80030002", lines[1]);
    EXPECT_EQ("Function pStorage->OpenStream(name)", lines[2]);
    EXPECT_EQ("File Storager.cpp", lines[3]);
    EXPECT_EQ("Line 42", lines[4]);
    EXPECT_TRUE(HasPrefix(lines[5], "Warning: ")) << lines[5];
    EXPECT_EQ("Code: S_FALSE == 0x00000001", lines[6]);
    EXPECT_TRUE(HasPrefix(lines[10], "Error: ")) << lines[10];
    EXPECT_EQ("Code: 0x80004005 == 0x80004005", lines[11]);
    EXPECT_TRUE(HasPrefix(lines[15], "Skipping Next() because hRes = 0x80030005 = STG_E_ACCESSDENIED.")) << lines[15];
}

TEST_F(PostrelFrame, ALibraryFailureIsTracedWhereItHappened)
{
    ConfigurateDebug(TraceLog().c_str(), POSTREL_TRACE);
    CStorager storager;
    EXPECT_FALSE(storager.Open((m_temp / L"missing.dat").c_str(), FALSE));
    const std::vector<std::string> lines = TraceLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_TRUE(HasPrefix(lines[0], "Error: ")) << lines[0];
    EXPECT_EQ("Code: STG_E_FILENOTFOUND == 0x80030002", lines[1]);
    EXPECT_EQ(0u, lines[2].find("Function ::StgOpenStorage(")) << lines[2];
    EXPECT_EQ("File Storager.cpp", lines[3]);
}

TEST_F(PostrelFrame, DebugPathIsTakenLiterally)
{
    const std::wstring folder = m_temp / L"100%\\";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring log = folder + L"x%d%s.log";
    EXPECT_EQ(POSTREL_TRACE, ConfigurateDebug(log.c_str(), POSTREL_TRACE));
    DebugPrintf(POSTREL_TRACE, L"%s\n", L"one");
    ResetTrace();
    const std::vector<std::string> lines = Lines(testsupport::ReadFileBytes(log));
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(HasPrefix(lines[0], "one")) << lines[0];
}

TEST_F(PostrelFrame, ALongLineIsCut)
{
    ConfigurateDebug(TraceLog().c_str(), POSTREL_TRACE);
    const std::wstring text(5000, L'x');
    DebugPrintf(POSTREL_TRACE, L"%s", text.c_str());
    const std::vector<std::string> lines = TraceLines();
    ASSERT_EQ(1u, lines.size());
    std::smatch match;
    ASSERT_TRUE(std::regex_search(lines[0], match, kPrefix));
    EXPECT_EQ(4095u, match.suffix().length());
}

TEST_F(PostrelFrame, UnknownCodesShareOneBuffer)
{
    EXPECT_STREQ(L"STG_E_INVALIDNAME", GetHResultName(STG_E_INVALIDNAME));
    EXPECT_STREQ(L"CO_E_CLASSSTRING", GetHResultName(CO_E_CLASSSTRING));
    LPCWSTR first = GetHResultName(E_FAIL);
    EXPECT_STREQ(L"0x80004005", first);
    EXPECT_STREQ(L"0x00000000", GetHResultName(S_OK));
    EXPECT_EQ(first, GetHResultName(E_NOTIMPL));
}
