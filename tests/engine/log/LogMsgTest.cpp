#include "engine/log/LogMsg.h"
#include "platform/system/ExceptionReport.h"
#include "platform/system/Thread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>

using testsupport::ReadFileBytes;
using testsupport::TempFolder;
using testsupport::WriteFileBytes;

namespace
{

const std::string kBom = "\xFF\xFE";

std::string Utf16Bytes(const std::wstring &text)
{
    return std::string(reinterpret_cast<const char *>(text.data()), text.size() * sizeof(wchar_t));
}

// The text of a log after its byte-order mark; fails the test when the mark is missing.
std::wstring ReadLog(const std::wstring &path)
{
    std::string bytes = ReadFileBytes(path);
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), kBom);
    if (bytes.size() < 2)
        return {};
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(&text[0], bytes.data() + 2, text.size() * 2);
    return text;
}

std::wstring SystemText(DWORD error)
{
    wchar_t text[1024];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  1024, nullptr);
    std::wstring result(text, length);
    while (!result.empty() && (result.back() == L'\r' || result.back() == L'\n' || result.back() == L' '))
        result.pop_back();
    return result;
}

// Sets ROTATION_SIZE for one test and removes it afterwards.
class RotationSizeVariable
{
  public:
    explicit RotationSizeVariable(LPCWSTR value)
    {
        SetEnvironmentVariableW(L"ROTATION_SIZE", value);
    }
    ~RotationSizeVariable()
    {
        SetEnvironmentVariableW(L"ROTATION_SIZE", nullptr);
    }
};

// A log opened on a fresh file in a temporary folder; the log is closed before the folder goes.
class LogMsgFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        path = folder / L"job.log";
        ASSERT_EQ(log.Open(path.c_str()), 0);
    }
    // What the entries wrote so far.
    std::wstring Written()
    {
        log.Flush();
        return ReadLog(path);
    }

    TempFolder folder;
    std::wstring path;
    CLogMsg log;
};

} // namespace

// ---------------------------------------------------------------------------------------------------------

TEST(LogMsgRotation, FileWithoutByteOrderMarkMovesToDotOne)
{
    TempFolder folder;
    std::wstring path = folder / L"job.log";
    ASSERT_TRUE(WriteFileBytes(path, "old text without a mark"));
    {
        CLogMsg log;
        ASSERT_EQ(log.Open(path.c_str()), 0);
        log.Log(LM_INFO, L"new");
    }
    EXPECT_EQ(ReadFileBytes(folder / L"job.log.1"), "old text without a mark");
    EXPECT_EQ(ReadLog(path), L"new\r\n");
}

TEST(LogMsgRotation, TakesTheNumberAfterTheLargest)
{
    TempFolder folder;
    std::wstring path = folder / L"job.log";
    ASSERT_TRUE(WriteFileBytes(path, "third"));
    ASSERT_TRUE(WriteFileBytes(folder / L"job.log.1", "first"));
    ASSERT_TRUE(WriteFileBytes(folder / L"job.log.7", "second"));
    ASSERT_TRUE(WriteFileBytes(folder / L"job.log.old", "not numbered"));
    {
        CLogMsg log;
        ASSERT_EQ(log.Open(path.c_str()), 0);
    }
    EXPECT_EQ(ReadFileBytes(folder / L"job.log.8"), "third");
    EXPECT_EQ(ReadFileBytes(folder / L"job.log.1"), "first");
    EXPECT_EQ(ReadFileBytes(folder / L"job.log.7"), "second");
    EXPECT_EQ(ReadFileBytes(path), kBom);
}

TEST(LogMsgRotation, RotationSizeFromTheEnvironment)
{
    RotationSizeVariable size(L"1000");
    TempFolder folder;
    std::wstring big = folder / L"big.log";
    std::wstring limit = folder / L"limit.log";
    std::string bigBytes = kBom + std::string(999, 'a');
    std::string limitBytes = kBom + std::string(998, 'b');
    ASSERT_TRUE(WriteFileBytes(big, bigBytes));
    ASSERT_TRUE(WriteFileBytes(limit, limitBytes));
    {
        CLogMsg log1;
        CLogMsg log2;
        ASSERT_EQ(log1.Open(big.c_str()), 0);
        ASSERT_EQ(log2.Open(limit.c_str()), 0);
    }
    // 1001 bytes exceed the limit; 1000 bytes do not.
    EXPECT_EQ(ReadFileBytes(big + L".1"), bigBytes);
    EXPECT_EQ(ReadFileBytes(big), kBom);
    EXPECT_EQ(ReadFileBytes(limit), limitBytes);
    EXPECT_EQ(GetFileAttributesW((limit + L".1").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(LogMsgRotation, AGrownLogIsMovedAsideAtTheNextOpen)
{
    RotationSizeVariable size(L"1000");
    TempFolder folder;
    std::wstring path = folder / L"job.log";
    CLogMsg log;
    ASSERT_EQ(log.Open(path.c_str()), 0);
    std::wstring entry(600, L'e');
    log.Log(LM_INFO, entry.c_str());
    // The same log opened again, as a job does when it is loaded once more: its read-only file is rotated.
    ASSERT_EQ(log.Open(path.c_str()), 0);
    log.Log(LM_INFO, L"fresh");
    log.Flush();
    EXPECT_EQ(ReadLog(path + L".1"), entry + L"\r\n");
    EXPECT_EQ(ReadLog(path), L"fresh\r\n");
}

TEST(LogMsgRotation, UnusableRotationSizeKeepsTheDefault)
{
    RotationSizeVariable size(L"none");
    TempFolder folder;
    std::wstring path = folder / L"job.log";
    ASSERT_TRUE(WriteFileBytes(path, kBom + Utf16Bytes(L"kept\r\n")));
    {
        CLogMsg log;
        ASSERT_EQ(log.Open(path.c_str()), 0);
        log.Log(LM_INFO, L"more");
    }
    EXPECT_EQ(ReadLog(path), L"kept\r\nmore\r\n");
}

TEST(LogMsgRotation, ReopeningAppendsAfterOneMark)
{
    TempFolder folder;
    std::wstring path = folder / L"job.log";
    for (int run = 0; run < 2; ++run)
    {
        CLogMsg log;
        ASSERT_EQ(log.Open(path.c_str()), 0);
        log.Log(LM_INFO, L"run %d\n", run);
    }
    EXPECT_EQ(ReadLog(path), L"run 0\r\nrun 1\r\n");
    EXPECT_EQ(GetFileAttributesW((path + L".1").c_str()), INVALID_FILE_ATTRIBUTES);
}

// ---------------------------------------------------------------------------------------------------------

TEST_F(LogMsgFileTest, SixtyFourBitDirectives)
{
    log.Log(LM_INFO, L"%Q|%q|%Q|%15Q", 1LL << 40, ULLONG_MAX, LLONG_MIN, -5LL);
    EXPECT_EQ(Written(), L"1099511627776|18446744073709551615|-9223372036854775808|             -5\r\n");
}

TEST_F(LogMsgFileTest, StandardConversionsKeepTheirFlags)
{
    log.Log(LM_INFO, L"[%*d][%-*d][%05d][%x][%#X][%+i][%.*s][%5.1f][%c][%Lf]", 5, 42, 4, 7, 42, 255, 255, 3, 3,
            L"abcdef", 3.14159, L'\x00FC', static_cast<long double>(0.5));
    EXPECT_EQ(Written(), L"[   42][7   ][00042][ff][0XFF][+3][abc][  3.1][\x00FC][0.500000]\r\n");
}

TEST_F(LogMsgFileTest, WideAndNarrowStrings)
{
    log.Log(LM_INFO, L"%s|%hs|%-6s|%%|%s",
            L"Gr\x00FC\x00DF"
            L"e \x4E2D",
            "narrow", L"ab", L"50%");
    EXPECT_EQ(Written(), L"Gr\x00FC\x00DF"
                         L"e \x4E2D|narrow|ab    |%|50%\r\n");
}

TEST_F(LogMsgFileTest, SystemErrorTextOfTheLocation)
{
    std::wstring text = SystemText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    log.SetLocation(L"SyncJob", 120, ERROR_FILE_NOT_FOUND);
    log.Log(LM_ERROR, L"%m|%p\n", L"Unable to open C:\\a.txt");
    EXPECT_EQ(Written(), text + L"|Unable to open C:\\a.txt: " + text + L"\r\n");
}

TEST_F(LogMsgFileTest, LocationNameLevelAndIds)
{
    log.Log(LM_INFO, L"%N|%l|%n|%M\n");
    std::wstring location = log.SetLocation(L"SyncTask", 88, 0);
    EXPECT_EQ(location, L"SyncTask");
    log.SetLogName(L"Orvane Velbrook Data Backup");
    log.Log(LM_WARNING | LM_ERROR, L"%N|%l|%n|%M|%P|%t\n");
    std::wstring expected = L"<unknown file>|-1|<unknown>|LM_INFO\r\nSyncTask|88|Orvane Velbrook Data Backup|"
                            L"LM_WARNING|" +
                            std::to_wstring(GetCurrentProcessId()) + L"|" + std::to_wstring(GetCurrentThreadId()) +
                            L"\r\n";
    EXPECT_EQ(Written(), expected);
    EXPECT_STREQ(LogLevelName(2048), L"");
    EXPECT_STREQ(LogLevelName(LM_EMERGENCY), L"LM_EMERGENCY");
}

TEST_F(LogMsgFileTest, LineFeedsBecomeCarriageReturnLineFeedAndEveryEntryEndsItsLine)
{
    EXPECT_EQ(log.Log(LM_INFO, L"a\nb\n\n%s", L"c\nd"), 8);
    // An entry that ends its own line gets no second line end; an empty entry writes nothing.
    EXPECT_EQ(log.Log(LM_INFO, L"e\n"), 2);
    EXPECT_EQ(log.Log(LM_INFO, L""), 0);
    EXPECT_EQ(log.Log(LM_INFO, L"f"), 1);
    EXPECT_EQ(Written(), L"a\r\nb\r\n\r\nc\r\nd\r\ne\r\nf\r\n");
}

TEST_F(LogMsgFileTest, EntriesAreCutAt4096Characters)
{
    std::wstring longFormat(5000, L'x');
    EXPECT_EQ(log.Log(LM_INFO, longFormat.c_str()), 4096);
    std::wstring longArgument(5000, L'y');
    EXPECT_EQ(log.Log(LM_INFO, L"abc%s%d", longArgument.c_str(), 5), 4096);
    // The cut falls inside a conversion; the rest of the directive and the format are dropped.
    EXPECT_EQ(log.Log(LM_INFO, L"%4094d%s|", 7, L"tail"), 4096);
    EXPECT_EQ(Written(), std::wstring(4096, L'x') + L"\r\nabc" + std::wstring(4093, L'y') + L"\r\n" +
                             std::wstring(4093, L' ') + L"7ta\r\n");
}

TEST_F(LogMsgFileTest, HugeWidthsStayWithinTheEntry)
{
    EXPECT_EQ(log.Log(LM_INFO, L"%999999999d|%*s|%.999999999f", 1, INT_MAX, L"a", 1.0), 4096);
    EXPECT_EQ(Written().size(), 4098u);
}

TEST_F(LogMsgFileTest, UnknownDirectivesAndAnOpenEndStayAsWritten)
{
    log.Log(LM_INFO, L"%k %y|%5");
    EXPECT_EQ(Written(), L"%k %y|%5\r\n");
}

TEST_F(LogMsgFileTest, TimePrefix)
{
    log.SetTimePrefix(1);
    log.Log(LM_INFO, L"entry");
    std::wregex pattern(L"\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d (AM|PM) entry\r\n");
    EXPECT_TRUE(std::regex_match(Written(), pattern));
}

TEST_F(LogMsgFileTest, MaskMissWritesNothing)
{
    EXPECT_EQ(log.Log(2048, L"outside every level"), 0);
    log.SetLevelMask(LM_ERROR | LM_CRITICAL);
    EXPECT_EQ(log.Log(LM_INFO, L"info"), 0);
    EXPECT_EQ(log.LogId(LM_INFO, 61001, L"a", 1), 0);
    EXPECT_EQ(log.Log(LM_INFO | LM_CRITICAL, L"critical"), 8);
    EXPECT_EQ(Written(), L"critical\r\n");
}

TEST_F(LogMsgFileTest, MessagesByStringNumber)
{
    EXPECT_EQ(log.LogId(LM_INFO, 61001, L"D:\\Data", 3), 25);
    log.SetLogName(L"Job");
    log.SetLocation(L"SyncJobFiles", 7, 0);
    log.LogId(LM_INFO, 61002);
    EXPECT_EQ(log.LogId(LM_INFO, 61999), -1);
    EXPECT_EQ(log.Log(LM_INFO, nullptr), -1);
    EXPECT_EQ(Written(), L"Copied D:\\Data (3 files)\r\nGr\x00FC\x00DF"
                         L"e from Job at SyncJobFiles:7\r\n");
}

TEST_F(LogMsgFileTest, TheOpenFileIsReadOnly)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_STREQ(log.GetPath(), path.c_str());
}

TEST_F(LogMsgFileTest, TwoThreadsWriteWholeLines)
{
    auto writer = [this](int thread) {
        for (int i = 0; i < 1000; ++i)
            log.Log(LM_INFO, L"thread %d entry %04d of the run\n", thread, i);
    };
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    first.join();
    second.join();

    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 2), kBom);
    EXPECT_EQ(bytes.find(kBom, 2), std::string::npos);
    std::wstring text = Written();
    int next[3] = {0, 0, 0};
    int lines = 0;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    {
        std::wstring line = text.substr(start, end - start);
        int thread = 0;
        int entry = -1;
        ASSERT_EQ(swscanf(line.c_str(), L"thread %d entry %d", &thread, &entry), 2) << line.c_str();
        ASSERT_TRUE(thread == 1 || thread == 2);
        wchar_t expected[64];
        _snwprintf(expected, 64, L"thread %d entry %04d of the run", thread, next[thread]++);
        EXPECT_EQ(line, expected);
        ++lines;
    }
    EXPECT_EQ(start, text.size());
    EXPECT_EQ(lines, 2000);
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
}

// ---------------------------------------------------------------------------------------------------------

TEST(LogMsgUnopened, EntriesAreDropped)
{
    CLogMsg log;
    EXPECT_EQ(log.Log(LM_ERROR, L"%s", L"lost"), 4);
    log.Flush();
    EXPECT_STREQ(log.GetPath(), L"");
    // The program-wide log is never opened.
    AppLog.SetLocation(L".\\Qordel", 496, 5);
    std::wstring expected = L"Unable to create main dialog: " + SystemText(5) + L"\n";
    EXPECT_EQ(AppLog.Log(LM_ERROR, L"%p\n", L"Unable to create main dialog"), static_cast<int>(expected.size()));
    EXPECT_STREQ(AppLog.GetPath(), L"");
}

TEST(LogMsgUnopened, FailedOpenDropsEntries)
{
    TempFolder folder;
    CLogMsg log;
    EXPECT_EQ(log.Open(L""), -1);
    EXPECT_EQ(log.Open(nullptr), -1);
    std::wstring missing = folder / L"no such folder\\job.log";
    EXPECT_EQ(log.Open(missing.c_str()), -1);
    EXPECT_EQ(log.Log(LM_INFO, L"dropped"), 7);
    EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(LogMsgExceptions, AnExceptionThatEndsAThreadIsOneLineOfTheProgramLog)
{
    TempFolder folder;
    const std::wstring path = folder / L"program.log";
    ASSERT_EQ(AppLog.Open(path.c_str()), 0);
    SeamOverride report(g_pfnReportException, &ReportExceptionToAppLog);

    CWinThread *thread = AfxBeginThread([](LPVOID) -> UINT { throw std::runtime_error("disk on fire"); }, nullptr,
                                        THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_EQ(code, static_cast<DWORD>(-1));
    delete thread;

    AppLog.Flush();
    const std::wstring text = ReadLog(path);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    EXPECT_EQ(text.find(L"\r\n"), text.size() - 2) << "one entry, one line";
    EXPECT_TRUE(std::regex_search(text, std::wregex(L"^\\d\\d.*Exception stopped in a thread: disk on fire\r\n$")));
}
