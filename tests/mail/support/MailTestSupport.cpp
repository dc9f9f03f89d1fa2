#include "mail/support/MailTestSupport.h"

#include <algorithm>

#include "mail/Postrel.h"
#include "mail/frame/Trace.h"
#include "mail/mailstore/StoreNamespace.h"
#include "platform/system/ComPtr.h"

namespace mailtest
{

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

bool Traced(const std::vector<std::string> &lines, const std::string &text)
{
    for (const std::string &line : lines)
        if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0)
            return true;
    return false;
}

void MailTest::SetUp()
{
    ResetTrace();
}

void MailTest::TearDown()
{
    ResetTrace();
}

void MailStoreTest::SetUp()
{
    MailTest::SetUp();
    m_com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(m_com));
    ASSERT_EQ(S_OK, ::CoRegisterClassObject(CLSID_StoreNamespace, storestandin::ClassFactory(), CLSCTX_INPROC_SERVER,
                                            REGCLS_MULTIPLEUSE, &m_cookie));
    storestandin::Reset();
    UseNewStore(L"store");
}

void MailStoreTest::TearDown()
{
    storestandin::Reset();
    if (m_cookie != 0)
        ::CoRevokeClassObject(m_cookie);
    if (SUCCEEDED(m_com))
        ::CoUninitialize();
    MailTest::TearDown();
}

void MailStoreTest::Unregister()
{
    if (m_cookie != 0)
        ::CoRevokeClassObject(m_cookie);
    m_cookie = 0;
}

std::wstring MailStoreTest::UseNewStore(const std::wstring &name)
{
    const std::wstring root = m_temp / (name + L"\\");
    ::CreateDirectoryW(root.c_str(), nullptr);
    storestandin::SetRoot(root);
    return root;
}

void MailTest::StartTrace()
{
    ConfigurateDebug(TraceLog().c_str(), POSTREL_TRACE);
}

std::vector<std::string> MailTest::TraceLines() const
{
    return Lines(testsupport::ReadFileBytes(TraceLog()));
}

BOOL MailStoreTest::Backup(const std::wstring &path, const std::vector<std::wstring> &names, std::wstring *completed)
{
    std::vector<const wchar_t *> list;
    for (const std::wstring &name : names)
        list.push_back(name.c_str());
    wchar_t buffer[MAX_PATH] = {};
    wcsncpy(buffer, path.c_str(), MAX_PATH - 1);
    BOOL result = BackupWinMail(buffer, MAX_PATH, list.data(), static_cast<int>(list.size()));
    if (completed != nullptr)
        *completed = buffer;
    return result;
}

BOOL MailStoreTest::Restore(const std::wstring &path, const std::vector<std::wstring> &names)
{
    std::vector<const wchar_t *> list;
    for (const std::wstring &name : names)
        list.push_back(name.c_str());
    return RestoreWinMail(path.c_str(), list.data(), static_cast<int>(list.size()));
}

namespace
{

// Opens the storage at the path below the file's root, for reading.
bool Descend(const std::wstring &file, const std::vector<std::wstring> &storages, std::vector<CComPtr<IStorage>> &chain)
{
    CComPtr<IStorage> root;
    if (FAILED(::StgOpenStorage(file.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &root)))
        return false;
    chain.push_back(root);
    for (const std::wstring &name : storages)
    {
        CComPtr<IStorage> child;
        if (FAILED(
                chain.back()->OpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &child)))
            return false;
        chain.push_back(child);
    }
    return true;
}

bool ReadStream(IStorage *storage, const std::wstring &name, std::string &bytes)
{
    CComPtr<IStream> stream;
    if (FAILED(storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
        return false;
    bytes.clear();
    char buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0)
        bytes.append(buffer, read);
    return true;
}

template <class T> std::vector<T> Records(const std::string &bytes)
{
    std::vector<T> records(bytes.size() / sizeof(T));
    if (!records.empty())
        memcpy(static_cast<void *>(records.data()), bytes.data(), records.size() * sizeof(T));
    return records;
}

} // namespace

BackupLevel ReadBackupLevel(const std::wstring &file, const std::vector<std::wstring> &storages)
{
    BackupLevel level;
    std::vector<CComPtr<IStorage>> chain;
    if (!Descend(file, storages, chain))
        return level;
    level.opened = true;
    std::string bytes;
    if (ReadStream(chain.back(), L"Catalog", bytes))
        level.catalog = Records<CATALOGINFO>(bytes);
    if (ReadStream(chain.back(), L"message", bytes))
        level.messages = Records<MESSAGEINFO>(bytes);
    CComPtr<IEnumSTATSTG> elements;
    if (SUCCEEDED(chain.back()->EnumElements(0, nullptr, 0, &elements)))
    {
        STATSTG stat;
        while (elements->Next(1, &stat, nullptr) == S_OK)
        {
            level.elements.push_back(stat.pwcsName);
            ::CoTaskMemFree(stat.pwcsName);
        }
    }
    std::sort(level.elements.begin(), level.elements.end());
    return level;
}

bool ReadBackupStream(const std::wstring &file, const std::vector<std::wstring> &storages, const std::wstring &name,
                      std::string &bytes)
{
    std::vector<CComPtr<IStorage>> chain;
    return Descend(file, storages, chain) && ReadStream(chain.back(), name, bytes);
}

bool WriteBackupStream(const std::wstring &file, const std::vector<std::wstring> &storages, const std::wstring &name,
                       const std::string &bytes)
{
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    std::vector<CComPtr<IStorage>> chain(1);
    if (FAILED(::StgOpenStorage(file.c_str(), nullptr, mode, nullptr, 0, &chain[0])) &&
        FAILED(::StgCreateDocfile(file.c_str(), mode | STGM_CREATE, 0, &chain[0])))
        return false;
    for (const std::wstring &storage : storages)
    {
        CComPtr<IStorage> child;
        if (FAILED(chain.back()->OpenStorage(storage.c_str(), nullptr, mode, nullptr, 0, &child)) &&
            FAILED(chain.back()->CreateStorage(storage.c_str(), mode, 0, 0, &child)))
            return false;
        chain.push_back(child);
    }
    CComPtr<IStream> stream;
    ULONG written = 0;
    return SUCCEEDED(chain.back()->CreateStream(name.c_str(), mode | STGM_CREATE, 0, 0, &stream)) &&
           SUCCEEDED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) &&
           written == bytes.size();
}

std::vector<std::wstring> StorageNames(const std::vector<CATALOGINFO> &catalog)
{
    std::vector<std::wstring> names;
    for (const CATALOGINFO &record : catalog)
        names.push_back(record.szStorageName);
    return names;
}

std::vector<std::wstring> FolderNames(const std::vector<CATALOGINFO> &catalog)
{
    std::vector<std::wstring> names;
    for (const CATALOGINFO &record : catalog)
        names.push_back(record.szFolderName);
    return names;
}

namespace
{

struct ThreadCall
{
    void (*body)(void *);
    void *context;
};

DWORD WINAPI RunThreadCall(void *data)
{
    const ThreadCall &call = *static_cast<ThreadCall *>(data);
    call.body(call.context);
    return 0;
}

} // namespace

void OnNewThread(void (*body)(void *), void *context)
{
    ThreadCall call{body, context};
    HANDLE thread = ::CreateThread(nullptr, 0, &RunThreadCall, &call, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

} // namespace mailtest
