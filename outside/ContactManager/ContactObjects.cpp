// The stand-in's objects: the manager, its collection, the contacts and the class factory.
#include "mail/contacts/ContactInterfaces.h"
#include "outside/ContactManager/ContactStandIn.h"
#include "outside/common/CallScript.h"

#include <ocidl.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace contactstandin
{

namespace
{

struct State
{
    std::mutex lock;
    std::wstring profile;
    standin::CallScript script;
};

State &TheState()
{
    static State state;
    return state;
}

// Counts the call; true (with hr) when a script makes this call fail.
bool Scripted(const std::wstring &call, HRESULT &hr)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    return state.script.Hit(call, hr);
}

bool ReadFileBytes(const std::wstring &path, std::string &bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return true;
}

HRESULT CopyText(const std::wstring &text, LPWSTR buffer, DWORD cch, DWORD *required)
{
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (required != nullptr)
        *required = needed;
    if (buffer == nullptr || cch < needed)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    std::copy(text.c_str(), text.c_str() + needed, buffer);
    return S_OK;
}

class CContact final : public IContact, public IPersistStreamInit
{
  public:
    CContact(const std::wstring &path, bool persists) : m_path(path), m_persists(persists)
    {
    }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IContact)
            *ppv = static_cast<IContact *>(this);
        else if (m_persists && (riid == IID_IPersistStreamInit || riid == IID_IPersist))
            *ppv = static_cast<IPersistStreamInit *>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    STDMETHODIMP GetContactID(LPWSTR pszContactID, DWORD cchContactID, DWORD *pdwcchRequired) override
    {
        std::string bytes;
        if (!ReadFileBytes(m_path, bytes))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        const std::string prefix = "ContactID=";
        const size_t end = bytes.find_first_of("\r\n");
        std::wstring id = m_path;
        if (bytes.compare(0, prefix.size(), prefix) == 0)
        {
            const std::string guid = bytes.substr(prefix.size(), end == std::string::npos ? end : end - prefix.size());
            id = L"/GUID:\"" + std::wstring(guid.begin(), guid.end()) + L"\" /PATH:\"" + m_path + L"\"";
        }
        return CopyText(id, pszContactID, cchContactID, pdwcchRequired);
    }
    STDMETHODIMP GetPath(LPWSTR pszPath, DWORD cchPath, DWORD *pdwcchRequired) override
    {
        return CopyText(m_path, pszPath, cchPath, pdwcchRequired);
    }
    STDMETHODIMP CommitChanges(DWORD) override
    {
        return E_NOTIMPL;
    }

    STDMETHODIMP GetClassID(CLSID *pClassID) override
    {
        if (pClassID == nullptr)
            return E_POINTER;
        *pClassID = CLSID_ContactManager;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override
    {
        return S_FALSE;
    }
    STDMETHODIMP Load(LPSTREAM) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Save(LPSTREAM pStm, BOOL) override
    {
        std::string bytes;
        if (pStm == nullptr || !ReadFileBytes(m_path, bytes))
            return E_FAIL;
        HRESULT failure = S_OK;
        const bool fails = Scripted(L"Save", failure);
        if (fails)
            bytes += std::string(bytes.size() + 1024, 'x');
        ULONG written = 0;
        HRESULT hr = pStm->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (fails)
            return failure;
        return SUCCEEDED(hr) && written == bytes.size() ? S_OK : STG_E_WRITEFAULT;
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP InitNew() override
    {
        return E_NOTIMPL;
    }

  private:
    std::wstring m_path;
    bool m_persists;
    LONG m_refs = 1;
};

template <class Interface> class CUnknown : public Interface
{
  public:
    CUnknown(REFIID iid) : m_iid(iid)
    {
    }
    virtual ~CUnknown() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != m_iid)
            return E_NOINTERFACE;
        *ppv = static_cast<Interface *>(this);
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

  private:
    IID m_iid;
    LONG m_refs = 1;
};

class CCollection final : public CUnknown<IContactCollection>
{
  public:
    explicit CCollection(std::vector<std::wstring> paths) : CUnknown(IID_IContactCollection), m_paths(std::move(paths))
    {
    }

    STDMETHODIMP Reset() override
    {
        m_at = -1;
        return S_OK;
    }
    STDMETHODIMP Next() override
    {
        if (m_at + 1 >= static_cast<int>(m_paths.size()))
            return S_FALSE;
        ++m_at;
        return S_OK;
    }
    STDMETHODIMP GetCurrent(IContact **ppContact) override
    {
        if (ppContact == nullptr)
            return E_POINTER;
        *ppContact = nullptr;
        if (m_at < 0 || m_at >= static_cast<int>(m_paths.size()))
            return E_UNEXPECTED;
        HRESULT hr = S_OK;
        *ppContact = new CContact(m_paths[m_at], !Scripted(L"Persist", hr));
        return S_OK;
    }

  private:
    std::vector<std::wstring> m_paths;
    int m_at = -1;
};

class CManager final : public CUnknown<IContactManager>
{
  public:
    CManager() : CUnknown(IID_IContactManager)
    {
    }

    STDMETHODIMP Initialize(LPCWSTR pszAppName, LPCWSTR pszAppVersion) override
    {
        HRESULT hr = S_OK;
        if (Scripted(L"Initialize", hr))
            return hr;
        return pszAppName != nullptr && pszAppVersion != nullptr ? S_OK : E_INVALIDARG;
    }
    STDMETHODIMP Load(LPCWSTR, IContact **) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP MergeContactIDs(LPCWSTR, LPCWSTR) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetMeContact(IContact **) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetMeContact(IContact *) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContactCollection(IContactCollection **ppCollection) override
    {
        HRESULT hr = S_OK;
        if (Scripted(L"GetContactCollection", hr))
            return hr;
        if (ppCollection == nullptr)
            return E_POINTER;
        std::wstring folder;
        {
            State &state = TheState();
            std::lock_guard<std::mutex> hold(state.lock);
            folder = state.profile + L"\\Contacts\\";
        }
        std::vector<std::wstring> paths;
        WIN32_FIND_DATAW data;
        HANDLE search = ::FindFirstFileW((folder + L"*.contact").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    paths.push_back(folder + data.cFileName);
            while (::FindNextFileW(search, &data));
            ::FindClose(search);
        }
        std::sort(paths.begin(), paths.end());
        *ppCollection = new CCollection(std::move(paths));
        return S_OK;
    }
};

class CFactory final : public IClassFactory
{
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory *>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown *pOuter, REFIID riid, void **ppv) override
    {
        if (pOuter != nullptr)
            return CLASS_E_NOAGGREGATION;
        CManager *manager = new CManager();
        HRESULT hr = manager->QueryInterface(riid, ppv);
        manager->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override
    {
        return S_OK;
    }
};

} // namespace

void SetProfile(const std::wstring &folder)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.profile = folder;
}

void Reset()
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.profile.clear();
    state.script.Clear();
}

void ScriptFailure(const std::wstring &call, DWORD which, HRESULT hr)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.script.Add(call, which, hr);
}

IClassFactory *ClassFactory()
{
    static CFactory factory;
    return &factory;
}

} // namespace contactstandin
