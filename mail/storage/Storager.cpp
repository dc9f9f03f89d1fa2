#include "mail/storage/Storager.h"

#include "mail/frame/Trace.h"
#include "mail/storage/CompoundFileCheck.h"
#include "platform/system/ComPtr.h"

namespace
{

// Read/write, nobody else; with create/replace added for what is made new.
constexpr DWORD kOpenMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kCreateMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE;
// Read mode: the file may be read by others meanwhile; its elements are opened exclusively, as the
// platform requires of the elements of a storage.
constexpr DWORD kReadRootMode = STGM_READ | STGM_SHARE_DENY_WRITE;
constexpr DWORD kReadChildMode = STGM_READ | STGM_SHARE_EXCLUSIVE;

// True when nothing of that name exists below the storage. The platform answers an open of an element of the
// other kind as if the name were missing, and creating would then replace that element: a saved message's
// stream by a folder's storage, or the other way round.
bool IsFreeName(IStorage *storage, LPCWSTR pszName)
{
    CComPtr<IStream> stream;
    if (SUCCEEDED(storage->OpenStream(pszName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
        return false;
    CComPtr<IStorage> child;
    return FAILED(storage->OpenStorage(pszName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &child));
}

bool IsMissing(HRESULT hr, IStorage *storage, LPCWSTR pszName)
{
    return hr == STG_E_FILENOTFOUND && IsFreeName(storage, pszName);
}

bool IsMissingFile(LPCWSTR pszPath)
{
    return pszPath != nullptr && ::GetFileAttributesW(pszPath) == INVALID_FILE_ATTRIBUTES &&
           ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace

CStorager::CStorager() : m_hr(S_OK), m_bReadOnly(FALSE)
{
}

CStorager::~CStorager()
{
    ReleaseAll();
}

void CStorager::ReleaseAll()
{
    while (!m_stack.empty())
    {
        m_stack.back()->Release();
        m_stack.pop_back();
    }
}

DWORD CStorager::ChildMode() const
{
    return m_bReadOnly ? kReadChildMode : kOpenMode;
}

BOOL CStorager::Open(LPCWSTR pszPath, BOOL bCreate, BOOL bReadOnly)
{
    ReleaseAll();
    m_bReadOnly = bReadOnly;
    if (!IsMissingFile(pszPath))
    {
        m_hr = POSTREL_CALL(CheckCompoundFile(pszPath));
        if (FAILED(m_hr))
            return FALSE;
    }
    IStorage *root = nullptr;
    m_hr = POSTREL_CALL(::StgOpenStorage(pszPath, nullptr, bReadOnly ? kReadRootMode : kOpenMode, nullptr, 0, &root));
    if (SUCCEEDED(m_hr) && root != nullptr)
    {
        m_stack.push_back(root);
        return TRUE;
    }
    // Only a missing file is made: one that cannot be opened (not compound, damaged, held by another
    // program) is somebody's data and stays as it is.
    if (bCreate && !bReadOnly && IsMissingFile(pszPath))
        return Create(pszPath);
    return FALSE;
}

BOOL CStorager::Create(LPCWSTR pszPath)
{
    ReleaseAll();
    m_bReadOnly = FALSE;
    IStorage *root = nullptr;
    m_hr = POSTREL_CALL(::StgCreateDocfile(pszPath, kCreateMode, 0, &root));
    if (FAILED(m_hr) || root == nullptr)
        return FALSE;
    m_stack.push_back(root);
    return TRUE;
}

BOOL CStorager::CreateStorage(LPCWSTR pszName)
{
    IStorage *top = Top();
    if (top == nullptr)
    {
        m_hr = E_POINTER;
        return FALSE;
    }
    if (m_bReadOnly)
    {
        m_hr = STG_E_ACCESSDENIED;
        return FALSE;
    }
    IStorage *child = nullptr;
    m_hr = POSTREL_CALL(top->CreateStorage(pszName, kCreateMode, 0, 0, &child));
    if (FAILED(m_hr) || child == nullptr)
        return FALSE;
    m_stack.push_back(child);
    return TRUE;
}

BOOL CStorager::OpenStorage(LPCWSTR pszName)
{
    IStorage *top = Top();
    if (top == nullptr)
    {
        m_hr = E_POINTER;
        return FALSE;
    }
    IStorage *child = nullptr;
    m_hr = POSTREL_CALL(top->OpenStorage(pszName, nullptr, ChildMode(), nullptr, 0, &child));
    if (SUCCEEDED(m_hr) && child != nullptr)
    {
        m_stack.push_back(child);
        return TRUE;
    }
    if (m_bReadOnly || !IsMissing(m_hr, top, pszName))
        return FALSE;
    return CreateStorage(pszName);
}

BOOL CStorager::CloseStorage()
{
    if (m_stack.empty())
    {
        m_hr = E_INVALIDARG;
        return FALSE;
    }
    m_stack.back()->Release();
    m_stack.pop_back();
    m_hr = S_OK;
    return TRUE;
}

BOOL CStorager::OpenStream(IStream **ppStream, LPCWSTR pszName, BOOL bCreate)
{
    IStorage *top = Top();
    if (top == nullptr || ppStream == nullptr)
    {
        m_hr = E_INVALIDARG;
        return FALSE;
    }
    *ppStream = nullptr;
    m_hr = POSTREL_CALL(top->OpenStream(pszName, nullptr, ChildMode(), 0, ppStream));
    if (SUCCEEDED(m_hr) && *ppStream != nullptr)
        return TRUE;
    if (!bCreate || m_bReadOnly || !IsMissing(m_hr, top, pszName))
        return FALSE;
    return CreateStream(ppStream, pszName);
}

BOOL CStorager::CreateStream(IStream **ppStream, LPCWSTR pszName)
{
    IStorage *top = Top();
    if (top == nullptr || ppStream == nullptr)
    {
        m_hr = E_INVALIDARG;
        return FALSE;
    }
    *ppStream = nullptr;
    if (m_bReadOnly)
    {
        m_hr = STG_E_ACCESSDENIED;
        return FALSE;
    }
    m_hr = POSTREL_CALL(top->CreateStream(pszName, kCreateMode, 0, 0, ppStream));
    return SUCCEEDED(m_hr) && *ppStream != nullptr;
}

BOOL CStorager::CopyStreamTo(IStream *pTarget, LPCWSTR pszName)
{
    if (pTarget == nullptr)
    {
        m_hr = E_INVALIDARG;
        return FALSE;
    }
    CComPtr<IStream> source;
    if (!OpenStream(&source, pszName, FALSE))
        return FALSE;
    STATSTG stat = {};
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, source->Stat(&stat, STATFLAG_NONAME));
    LARGE_INTEGER start = {};
    POSTREL_STEP(hr, source->Seek(start, STREAM_SEEK_SET, nullptr));
    ULARGE_INTEGER read = {}, written = {};
    POSTREL_STEP(hr, source->CopyTo(pTarget, stat.cbSize, &read, &written));
    if (SUCCEEDED(hr) && written.QuadPart != stat.cbSize.QuadPart)
    {
        DebugPrintf(POSTREL_TRACE, L"The stream %s gave %I64u of %I64u bytes.\n", pszName, written.QuadPart,
                    stat.cbSize.QuadPart);
        hr = STG_E_READFAULT;
    }
    m_hr = hr;
    return SUCCEEDED(hr);
}

BOOL CStorager::SaveStream(IStream *pSource, LPCWSTR pszName)
{
    if (pSource == nullptr)
    {
        m_hr = S_OK;
        return TRUE;
    }
    CComPtr<IStream> target;
    if (!OpenStream(&target, pszName, TRUE))
        return FALSE;
    STATSTG stat = {};
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, pSource->Stat(&stat, STATFLAG_NONAME));
    ULARGE_INTEGER read = {}, written = {};
    POSTREL_STEP(hr, pSource->CopyTo(target, stat.cbSize, &read, &written));
    // An older, longer stream of that name (a save that failed part way) must not leave its tail behind.
    POSTREL_STEP(hr, target->SetSize(written));
    m_hr = hr;
    return SUCCEEDED(hr);
}
