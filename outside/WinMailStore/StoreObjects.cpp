// The stand-in's COM objects: the store namespace, its folders and the class factory.
#include "mail/mailstore/StoreNamespace.h"
#include "outside/WinMailStore/StoreStandIn.h"
#include "outside/WinMailStore/StoreTree.h"

#include <cstring>
#include <new>

namespace storestandin
{

namespace
{

template <class Interface> class CUnknownImpl : public Interface
{
  public:
    explicit CUnknownImpl(REFIID iid) : m_iid(iid)
    {
    }
    virtual ~CUnknownImpl() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == m_iid)
        {
            *ppv = static_cast<Interface *>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

  private:
    IID m_iid;
    LONG m_refs = 1;
};

void FillFolderProps(const FolderPlace &folder, FOLDERPROPS &props)
{
    const DWORD size = props.cbSize;
    props = FOLDERPROPS();
    props.cbSize = size;
    props.dwFolderId = folder.index.id;
    props.cSubFolders = static_cast<INT>(ListSubFolders(folder.dir).size());
    props.sfType = static_cast<SPECIALFOLDER>(folder.index.type);
    props.cMessage = static_cast<DWORD>(folder.index.messages.size());
    strncpy(props.szName, folder.index.name.c_str(), CCHMAX_FOLDER_NAME - 1);
}

// The first header line "Subject: ..." of a raw message.
std::string SubjectOf(const std::string &bytes)
{
    size_t at = 0;
    while (at < bytes.size())
    {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            break;
        if (line.compare(0, 9, "Subject: ") == 0)
            return line.substr(9);
        at = end + 1;
    }
    return std::string();
}

char *CopyText(const std::string &text)
{
    char *copy = static_cast<char *>(::CoTaskMemAlloc(text.size() + 1));
    if (copy != nullptr)
        memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

HRESULT StreamOf(const std::string &bytes, IStream **ppStream)
{
    IStream *stream = nullptr;
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr))
        return hr;
    ULONG written = 0;
    if (!bytes.empty())
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER start = {};
    if (SUCCEEDED(hr))
        hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
    {
        stream->Release();
        return hr;
    }
    *ppStream = stream;
    return S_OK;
}

HRESULT BytesOf(IStream *stream, std::string &bytes)
{
    STATSTG stat = {};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    LARGE_INTEGER start = {};
    hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    bytes.assign(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    if (SUCCEEDED(hr) && !bytes.empty())
        hr = stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read);
    if (SUCCEEDED(hr) && read != bytes.size())
        hr = E_FAIL;
    return hr;
}

// An enumeration: the ids it walks and where it stands.
struct Enumeration
{
    std::vector<DWORD> ids;
    size_t next = 0;
};

class CStandInFolder : public CUnknownImpl<IStoreFolder>
{
  public:
    explicit CStandInFolder(DWORD id) : CUnknownImpl(IID_IStoreFolder), m_id(id)
    {
    }

    HRESULT STDMETHODCALLTYPE GetFolderProps(DWORD, FOLDERPROPS *pProps) override
    {
        std::lock_guard<std::mutex> hold(Lock());
        FolderPlace folder;
        if (pProps == nullptr)
            return E_INVALIDARG;
        if (!FindFolder(m_id, folder))
            return E_FAIL;
        FillFolderProps(folder, *pProps);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMessageProps(MESSAGEID, DWORD, MESSAGEPROPS *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FreeMessageProps(MESSAGEPROPS *pProps) override
    {
        if (pProps == nullptr)
            return E_INVALIDARG;
        ::CoTaskMemFree(pProps->pszSubject);
        pProps->pszSubject = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteMessages(MESSAGEIDLIST *, DWORD, IProgressNotify *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetLanguage(DWORD, DWORD, MESSAGEIDLIST *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE MarkMessagesAsRead(BOOL, DWORD, MESSAGEIDLIST *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetFlags(MESSAGEIDLIST *, DWORD, DWORD, DWORD *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OpenMessage(MESSAGEID dwMessageId, REFIID riid, LPVOID *ppvObject) override
    {
        if (ppvObject == nullptr)
            return E_INVALIDARG;
        *ppvObject = nullptr;
        if (riid != IID_IStream)
            return E_NOINTERFACE;
        std::string bytes;
        {
            std::lock_guard<std::mutex> hold(Lock());
            HRESULT scripted = S_OK;
            if (ScriptedFailureUnlocked(L"OpenMessage", dwMessageId, scripted))
                return scripted;
            FolderPlace folder;
            if (!FindFolder(m_id, folder) || !ReadMessageFile(folder, dwMessageId, bytes))
                return E_FAIL;
        }
        return StreamOf(bytes, reinterpret_cast<IStream **>(ppvObject));
    }
    HRESULT STDMETHODCALLTYPE SaveMessage(REFIID, LPVOID, DWORD, MESSAGEID *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BatchLock(DWORD, HBATCHLOCK *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BatchFlush(DWORD, HBATCHLOCK) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BatchUnlock(DWORD, HBATCHLOCK) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateStream(HBATCHLOCK, DWORD, IStream **ppStream, MESSAGEID *pdwMessageId) override
    {
        if (ppStream == nullptr || pdwMessageId == nullptr)
            return E_INVALIDARG;
        *ppStream = nullptr;
        {
            std::lock_guard<std::mutex> hold(Lock());
            HRESULT scripted = S_OK;
            if (ScriptedFailureUnlocked(L"CreateStream", 0, scripted))
                return scripted;
            FolderPlace folder;
            if (!FindFolder(m_id, folder))
                return E_FAIL;
            *pdwMessageId = NextMessageIdUnlocked(m_id);
            ReserveMessageIdUnlocked(m_id, *pdwMessageId);
        }
        return StreamOf(std::string(), ppStream);
    }
    HRESULT STDMETHODCALLTYPE CommitStream(HBATCHLOCK, DWORD, DWORD, IStream *pStream, MESSAGEID dwMessageId,
                                           IMimeMessage *) override
    {
        if (pStream == nullptr)
            return E_INVALIDARG;
        std::string bytes;
        HRESULT hr = BytesOf(pStream, bytes);
        if (FAILED(hr))
            return hr;
        std::lock_guard<std::mutex> hold(Lock());
        HRESULT scripted = S_OK;
        if (ScriptedFailureUnlocked(L"CommitStream", 0, scripted))
            return scripted;
        if (!TakeReservedMessageIdUnlocked(m_id, dwMessageId))
            return E_INVALIDARG;
        return StoreMessageUnlocked(m_id, dwMessageId, bytes) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE RegisterNotification(DWORD, HWND) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterNotification(DWORD, HWND) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Compact(DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetFirstMessage(DWORD, DWORD, MESSAGEID, MESSAGEPROPS *pProps,
                                              HENUMSTORE *phEnum) override
    {
        if (pProps == nullptr || phEnum == nullptr)
            return E_INVALIDARG;
        *phEnum = nullptr;
        auto *enumeration = new (std::nothrow) Enumeration;
        if (enumeration == nullptr)
            return E_OUTOFMEMORY;
        {
            std::lock_guard<std::mutex> hold(Lock());
            FolderPlace folder;
            if (!FindFolder(m_id, folder))
            {
                delete enumeration;
                return E_FAIL;
            }
            for (const auto &message : folder.index.messages)
                enumeration->ids.push_back(message.first);
        }
        if (enumeration->ids.empty())
        {
            delete enumeration;
            return S_FALSE;
        }
        *phEnum = enumeration;
        return GetNextMessage(enumeration, 0, pProps);
    }
    HRESULT STDMETHODCALLTYPE GetNextMessage(HENUMSTORE hEnum, DWORD, MESSAGEPROPS *pProps) override
    {
        auto *enumeration = static_cast<Enumeration *>(hEnum);
        if (enumeration == nullptr || pProps == nullptr)
            return E_INVALIDARG;
        if (enumeration->next >= enumeration->ids.size())
            return S_FALSE;
        const DWORD id = enumeration->ids[enumeration->next++];
        std::lock_guard<std::mutex> hold(Lock());
        FolderPlace folder;
        std::string bytes;
        if (!FindFolder(m_id, folder) || !ReadMessageFile(folder, id, bytes))
            return E_FAIL;
        const DWORD size = pProps->cbSize;
        *pProps = MESSAGEPROPS();
        pProps->cbSize = size;
        pProps->dwMessageId = id;
        pProps->cbMessage = static_cast<DWORD>(bytes.size());
        pProps->pszSubject = CopyText(SubjectOf(bytes));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMessageClose(HENUMSTORE hEnum) override
    {
        if (hEnum == nullptr)
            return E_INVALIDARG;
        delete static_cast<Enumeration *>(hEnum);
        return S_OK;
    }

  private:
    DWORD m_id;
};

class CStandInNamespace : public CUnknownImpl<IStoreNamespace>
{
  public:
    CStandInNamespace() : CUnknownImpl(IID_IStoreNamespace)
    {
    }

    HRESULT STDMETHODCALLTYPE Initialize(HWND, DWORD) override
    {
        std::lock_guard<std::mutex> hold(Lock());
        HRESULT scripted = S_OK;
        if (ScriptedFailureUnlocked(L"Initialize", 0, scripted))
            return scripted;
        const std::wstring root = Root();
        DWORD attributes = root.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(root.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetDirectory(LPSTR pszPath, DWORD cchMaxPath) override
    {
        if (pszPath == nullptr || cchMaxPath == 0)
            return E_INVALIDARG;
        std::wstring root;
        {
            std::lock_guard<std::mutex> hold(Lock());
            root = Root();
        }
        int bytes = ::WideCharToMultiByte(CP_ACP, 0, root.c_str(), -1, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0 || static_cast<DWORD>(bytes) > cchMaxPath)
            return E_INVALIDARG;
        ::WideCharToMultiByte(CP_ACP, 0, root.c_str(), -1, pszPath, bytes, nullptr, nullptr);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenSpecialFolder(LONG, DWORD, IStoreFolder **) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OpenFolder(STOREFOLDERID dwFolderId, DWORD, IStoreFolder **ppFolder) override
    {
        if (ppFolder == nullptr)
            return E_INVALIDARG;
        *ppFolder = nullptr;
        {
            std::lock_guard<std::mutex> hold(Lock());
            FolderPlace folder;
            if (!FindFolder(dwFolderId, folder))
                return E_FAIL;
        }
        *ppFolder = new (std::nothrow) CStandInFolder(dwFolderId);
        return *ppFolder != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE CreateFolder(STOREFOLDERID dwParentId, LPCSTR pszName, DWORD,
                                           STOREFOLDERID *pdwFolderId) override
    {
        if (pszName == nullptr || pdwFolderId == nullptr)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> hold(Lock());
        HRESULT scripted = S_OK;
        if (ScriptedFailureUnlocked(L"CreateFolder", 0, scripted))
            return scripted;
        *pdwFolderId = CreateFolderUnlocked(dwParentId, pszName, FOLDER_NOTSPECIAL);
        return *pdwFolderId != kNone ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE RenameFolder(STOREFOLDERID, DWORD, LPCSTR) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE MoveFolder(STOREFOLDERID, STOREFOLDERID, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeleteFolder(STOREFOLDERID, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetFolderProps(STOREFOLDERID dwFolderId, DWORD, FOLDERPROPS *pProps) override
    {
        if (pProps == nullptr)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> hold(Lock());
        FolderPlace folder;
        if (!FindFolder(dwFolderId, folder))
            return E_FAIL;
        FillFolderProps(folder, *pProps);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CopyMoveMessages(IStoreFolder *, IStoreFolder *, MESSAGEIDLIST *, DWORD, DWORD,
                                               IProgressNotify *) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterNotification(DWORD, HWND) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnregisterNotification(DWORD, HWND) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompactAll(DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetFirstSubFolder(STOREFOLDERID dwFolderId, FOLDERPROPS *pProps,
                                                HENUMSTORE *phEnum) override
    {
        if (pProps == nullptr || phEnum == nullptr)
            return E_INVALIDARG;
        *phEnum = nullptr;
        auto *enumeration = new (std::nothrow) Enumeration;
        if (enumeration == nullptr)
            return E_OUTOFMEMORY;
        {
            std::lock_guard<std::mutex> hold(Lock());
            FolderPlace parent;
            if (!FindFolder(dwFolderId, parent))
            {
                delete enumeration;
                return E_FAIL;
            }
            for (const FolderPlace &child : ListSubFolders(parent.dir))
                enumeration->ids.push_back(child.index.id);
        }
        if (enumeration->ids.empty())
        {
            delete enumeration;
            return S_FALSE;
        }
        *phEnum = enumeration;
        return GetNextSubFolder(enumeration, pProps);
    }
    HRESULT STDMETHODCALLTYPE GetNextSubFolder(HENUMSTORE hEnum, FOLDERPROPS *pProps) override
    {
        auto *enumeration = static_cast<Enumeration *>(hEnum);
        if (enumeration == nullptr || pProps == nullptr)
            return E_INVALIDARG;
        if (enumeration->next >= enumeration->ids.size())
            return S_FALSE;
        return GetFolderProps(enumeration->ids[enumeration->next++], 0, pProps);
    }
    HRESULT STDMETHODCALLTYPE GetSubFolderClose(HENUMSTORE hEnum) override
    {
        if (hEnum == nullptr)
            return E_INVALIDARG;
        delete static_cast<Enumeration *>(hEnum);
        return S_OK;
    }
};

class CStandInFactory : public IClassFactory
{
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory)
        {
            *ppv = static_cast<IClassFactory *>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto *store = new (std::nothrow) CStandInNamespace;
        if (store == nullptr)
            return E_OUTOFMEMORY;
        HRESULT hr = store->QueryInterface(riid, ppv);
        store->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override
    {
        return S_OK;
    }
};

} // namespace

IClassFactory *ClassFactory()
{
    static CStandInFactory *factory = new CStandInFactory;
    return factory;
}

} // namespace storestandin
