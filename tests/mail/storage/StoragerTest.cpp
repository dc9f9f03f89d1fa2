// CStorager on real compound files: the stack, what is created and what never is, a file another process
// holds, and streams rewritten shorter.
#include "mail/storage/Storager.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/storage/IndexRecords.h"
#include "mail/support/MailTestSupport.h"
#include "platform/system/ComPtr.h"
#include "platform/system/Handles.h"

using PostrelStorage = mailtest::MailTest;

namespace
{

bool WriteStream(CStorager &storager, const wchar_t *name, const std::string &bytes)
{
    CComPtr<IStream> stream;
    if (::CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
        return false;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return storager.SaveStream(stream, name) != FALSE;
}

// The named stream of the storager's top, copied out through CopyStreamTo.
std::string CopiedOut(CStorager &storager, const wchar_t *name, BOOL *ok = nullptr)
{
    CComPtr<IStream> target;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &target);
    BOOL copied = storager.CopyStreamTo(target, name);
    if (ok != nullptr)
        *ok = copied;
    STATSTG stat = {};
    target->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER start = {};
    target->Seek(start, STREAM_SEEK_SET, nullptr);
    if (!bytes.empty())
        target->Read(&bytes[0], static_cast<ULONG>(bytes.size()), nullptr);
    return bytes;
}

} // namespace

TEST_F(PostrelStorage, AnEmptyStackRefusesEveryOperation)
{
    CStorager storager;
    CComPtr<IStream> stream;
    EXPECT_FALSE(storager.CloseStorage());
    EXPECT_EQ(E_INVALIDARG, storager.GetResult());
    EXPECT_FALSE(storager.CreateStorage(L"a"));
    EXPECT_EQ(E_POINTER, storager.GetResult());
    EXPECT_FALSE(storager.OpenStorage(L"a"));
    EXPECT_EQ(E_POINTER, storager.GetResult());
    EXPECT_FALSE(storager.OpenStream(&stream, L"a", TRUE));
    EXPECT_EQ(E_INVALIDARG, storager.GetResult());
    EXPECT_FALSE(storager.CreateStream(&stream, L"a"));
    EXPECT_EQ(E_INVALIDARG, storager.GetResult());
    EXPECT_FALSE(storager.CopyStreamTo(nullptr, L"a"));
}

TEST_F(PostrelStorage, StoragesNestAndStreamsLandInTheTopOne)
{
    const std::wstring file = m_temp / L"nest.dat";
    {
        CStorager storager;
        ASSERT_TRUE(storager.Open(file.c_str(), TRUE));
        ASSERT_TRUE(storager.OpenStorage(L"Local Mail"));
        ASSERT_TRUE(storager.CreateStorage(L"Inbox"));
        EXPECT_EQ(3, storager.GetDepth());
        ASSERT_TRUE(WriteStream(storager, L"1", "first message"));
        ASSERT_TRUE(storager.CloseStorage());
        ASSERT_TRUE(WriteStream(storager, L"Catalog", "catalog"));
    }
    const mailtest::BackupLevel mail = mailtest::ReadBackupLevel(file, {L"Local Mail"});
    EXPECT_EQ((std::vector<std::wstring>{L"Catalog", L"Inbox"}), mail.elements);
    std::string bytes;
    ASSERT_TRUE(mailtest::ReadBackupStream(file, {L"Local Mail", L"Inbox"}, L"1", bytes));
    EXPECT_EQ("first message", bytes);
}

TEST_F(PostrelStorage, AMissingFileIsMadeOnlyWhenAsked)
{
    const std::wstring file = m_temp / L"missing.dat";
    CStorager storager;
    EXPECT_FALSE(storager.Open(file.c_str(), FALSE));
    EXPECT_EQ(STG_E_FILENOTFOUND, storager.GetResult());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(file.c_str()));
    EXPECT_FALSE(storager.Open(file.c_str(), TRUE, TRUE)) << "read mode never creates";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(file.c_str()));
    EXPECT_TRUE(storager.Open(file.c_str(), TRUE));
    EXPECT_EQ(S_OK, ::StgIsStorageFile(file.c_str()));
}

TEST_F(PostrelStorage, AFileThatCannotBeOpenedIsNeverReplaced)
{
    const std::wstring file = m_temp / L"notes.dat";
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "somebody's notes, not a compound file"));
    CStorager storager;
    EXPECT_FALSE(storager.Open(file.c_str(), TRUE));
    EXPECT_EQ("somebody's notes, not a compound file", testsupport::ReadFileBytes(file));
}

TEST_F(PostrelStorage, AnElementOfTheOtherKindIsNeverReplaced)
{
    const std::wstring file = m_temp / L"kinds.dat";
    CStorager storager;
    ASSERT_TRUE(storager.Open(file.c_str(), TRUE));
    ASSERT_TRUE(WriteStream(storager, L"7", "a saved message"));
    ASSERT_TRUE(storager.CreateStorage(L"Folder"));
    ASSERT_TRUE(storager.CloseStorage());
    EXPECT_FALSE(storager.OpenStorage(L"7"));
    CComPtr<IStream> stream;
    EXPECT_FALSE(storager.OpenStream(&stream, L"Folder", TRUE));
    EXPECT_EQ(1, storager.GetDepth());
    EXPECT_EQ("a saved message", CopiedOut(storager, L"7"));
    EXPECT_TRUE(storager.OpenStorage(L"Folder"));
}

TEST_F(PostrelStorage, AFileHeldByAnotherProcessCannotBeOpened)
{
    const std::wstring file = m_temp / L"held.dat";
    {
        CStorager storager;
        ASSERT_TRUE(storager.Open(file.c_str(), TRUE));
    }
    wchar_t event[64];
    wsprintfW(event, L"VelbrookHold%lu", ::GetCurrentProcessId());
    CKernelHandle held(::CreateEventW(nullptr, TRUE, FALSE, (std::wstring(event) + L".held").c_str()));
    CKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, (std::wstring(event) + L".release").c_str()));
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(program) + L"\" --hold-compound-file \"" + file + L"\" " + event;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        ::CreateProcessW(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    CKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(held, 60000));

    CStorager storager;
    EXPECT_FALSE(storager.Open(file.c_str(), TRUE));
    EXPECT_FALSE(SUCCEEDED(storager.GetResult()));
    EXPECT_FALSE(storager.Open(file.c_str(), FALSE, TRUE));

    ::SetEvent(release);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(processHandle, 60000));
    DWORD exitCode = 1;
    ::GetExitCodeProcess(processHandle, &exitCode);
    EXPECT_EQ(0u, exitCode) << "the other process held the file";
    EXPECT_TRUE(storager.Open(file.c_str(), FALSE));
}

TEST_F(PostrelStorage, ReadModeCreatesNothing)
{
    const std::wstring file = m_temp / L"read.dat";
    {
        CStorager storager;
        ASSERT_TRUE(storager.Open(file.c_str(), TRUE));
        ASSERT_TRUE(storager.OpenStorage(L"Local Mail"));
        ASSERT_TRUE(WriteStream(storager, L"Catalog", "records"));
    }
    const std::string before = testsupport::ReadFileBytes(file);
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        CStorager storager;
        ASSERT_TRUE(storager.Open(file.c_str(), FALSE, TRUE));
        CComPtr<IStream> stream;
        EXPECT_FALSE(storager.OpenStorage(L"Other"));
        EXPECT_FALSE(storager.CreateStorage(L"Other"));
        EXPECT_FALSE(storager.OpenStream(&stream, L"new", TRUE));
        EXPECT_FALSE(storager.CreateStream(&stream, L"new"));
        ASSERT_TRUE(storager.OpenStorage(L"Local Mail"));
        EXPECT_EQ("records", CopiedOut(storager, L"Catalog"));
        EXPECT_FALSE(WriteStream(storager, L"Catalog", "changed"));
    }
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(before, testsupport::ReadFileBytes(file));
}

TEST_F(PostrelStorage, AShorterRewriteKeepsNoTail)
{
    const std::wstring file = m_temp / L"rewrite.dat";
    CStorager storager;
    ASSERT_TRUE(storager.Open(file.c_str(), TRUE));
    ASSERT_TRUE(WriteStream(storager, L"5", std::string(5000, 'o')));
    ASSERT_TRUE(WriteStream(storager, L"5", "new"));
    EXPECT_EQ("new", CopiedOut(storager, L"5"));
    EXPECT_TRUE(storager.SaveStream(nullptr, L"5")) << "no source, nothing done";
    EXPECT_EQ("new", CopiedOut(storager, L"5"));
    BOOL copied = TRUE;
    EXPECT_EQ("", CopiedOut(storager, L"6", &copied));
    EXPECT_FALSE(copied);
}

TEST_F(PostrelStorage, IndexesReadWholeRecordsOnly)
{
    CComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    std::vector<MESSAGEINFO> messages;
    ASSERT_EQ(S_OK, ReadIndex(stream.p, messages));
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(S_OK, AppendIndexRecord(stream.p, MESSAGEINFO{1, 100}));
    ASSERT_EQ(S_OK, AppendIndexRecord(stream.p, MESSAGEINFO{2, 200}));
    stream->Write("half", 4, nullptr); // two and a half records
    ASSERT_EQ(S_OK, ReadIndex(stream.p, messages));
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(2u, messages[1].dwNumber);
    EXPECT_EQ(200u, messages[1].dwSize);
    ASSERT_EQ(S_OK, AppendIndexRecord(stream.p, MESSAGEINFO{3, 300}));

    // Name fields that a damaged file left unterminated end within their field.
    CComPtr<IStream> catalog;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &catalog));
    const std::wstring filled(sizeof(CATALOGINFO) / sizeof(wchar_t), L'x');
    catalog->Write(filled.data(), sizeof(CATALOGINFO), nullptr);
    std::vector<CATALOGINFO> records;
    ASSERT_EQ(S_OK, ReadIndex(catalog.p, records));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(std::wstring(31, L'x'), records[0].szStorageName);
    EXPECT_EQ(std::wstring(99, L'x'), records[0].szFolderName);

    // An index stream over 64 MiB is refused.
    ULARGE_INTEGER huge = {};
    huge.QuadPart = MAX_INDEX_STREAM_BYTES + sizeof(MESSAGEINFO);
    ASSERT_EQ(S_OK, stream->SetSize(huge));
    EXPECT_EQ(E_FAIL, ReadIndex(stream.p, messages));
    EXPECT_TRUE(messages.empty());
}
