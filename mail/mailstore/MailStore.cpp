// The store namespace: opening it, its names, folders and messages, and what the exports ask of it directly.
#include "mail/mailstore/MailStore.h"

#include <cstring>
#include <string>

#include "mail/frame/Trace.h"

const wchar_t g_szLocalMail[] = L"Local Mail";

CString StoreNameToText(const char *pszName)
{
    if (pszName == nullptr || *pszName == '\0')
        return CString();
    int units = ::MultiByteToWideChar(CP_THREAD_ACP, 0, pszName, -1, nullptr, 0);
    if (units <= 1)
        return CString();
    CString text;
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, pszName, -1, text.GetBuffer(units), units);
    text.ReleaseBuffer();
    return text;
}

CStringA TextToStoreName(const CString &strName)
{
    if (strName.IsEmpty())
        return CStringA();
    int bytes = ::WideCharToMultiByte(CP_THREAD_ACP, 0, strName, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return CStringA();
    std::string narrow(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_THREAD_ACP, 0, strName, -1, &narrow[0], bytes, nullptr, nullptr);
    return CStringA(narrow.c_str());
}

bool SameFolderName(const CString &a, const CString &b, bool ignoreCase)
{
    const CString left = a.Left(CATALOG_FOLDER_NAME_CHARS), right = b.Left(CATALOG_FOLDER_NAME_CHARS);
    return ignoreCase ? left.CompareNoCase(right) == 0 : left.Compare(right) == 0;
}

HRESULT OpenMailStore(CComPtr<IStoreNamespace> &ns)
{
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, ns.CoCreateInstance(CLSID_StoreNamespace, IID_IStoreNamespace, CLSCTX_ALL));
    POSTREL_STEP(hr, ns->Initialize(nullptr, 0));
    if (FAILED(hr))
        ns.Release();
    return hr;
}

HRESULT CStoreSubFolders::First(STOREFOLDERID parentId)
{
    Close();
    m_props = FOLDERPROPS();
    m_props.cbSize = sizeof(m_props);
    HRESULT hr = POSTREL_CALL(m_ns->GetFirstSubFolder(parentId, &m_props, &m_hEnum));
    m_props.szName[CCHMAX_FOLDER_NAME - 1] = '\0';
    return hr;
}

HRESULT CStoreSubFolders::Next()
{
    if (m_hEnum == nullptr)
        return S_FALSE;
    m_props = FOLDERPROPS();
    m_props.cbSize = sizeof(m_props);
    HRESULT hr = POSTREL_CALL(m_ns->GetNextSubFolder(m_hEnum, &m_props));
    m_props.szName[CCHMAX_FOLDER_NAME - 1] = '\0';
    return hr;
}

void CStoreSubFolders::Close()
{
    if (m_hEnum != nullptr)
        POSTREL_CALL(m_ns->GetSubFolderClose(m_hEnum));
    m_hEnum = nullptr;
}

void CStoreMessages::FreeProps()
{
    if (m_bHeld)
        m_folder->FreeMessageProps(&m_props);
    m_bHeld = false;
    m_props = MESSAGEPROPS();
    m_props.cbSize = sizeof(m_props);
}

HRESULT CStoreMessages::First()
{
    Close();
    FreeProps();
    HRESULT hr = POSTREL_CALL(m_folder->GetFirstMessage(0, 0, MESSAGEID_FIRST, &m_props, &m_hEnum));
    m_bHeld = hr == S_OK;
    return hr;
}

HRESULT CStoreMessages::Next()
{
    FreeProps();
    if (m_hEnum == nullptr)
        return S_FALSE;
    HRESULT hr = POSTREL_CALL(m_folder->GetNextMessage(m_hEnum, 0, &m_props));
    m_bHeld = hr == S_OK;
    return hr;
}

void CStoreMessages::Close()
{
    FreeProps();
    if (m_hEnum != nullptr)
        POSTREL_CALL(m_folder->GetMessageClose(m_hEnum));
    m_hEnum = nullptr;
}

BOOL OpenOrCreateStoreFolder(IStoreNamespace *pNamespace, STOREFOLDERID parentId, const CString &strName,
                             CComPtr<IStoreFolder> &folder)
{
    STOREFOLDERID id = FOLDERID_INVALID;
    CStoreSubFolders subFolders(pNamespace);
    HRESULT hr = subFolders.First(parentId);
    for (; hr == S_OK; hr = subFolders.Next())
    {
        if (SameFolderName(subFolders.Name(), strName, false))
        {
            id = subFolders.Props().dwFolderId;
            break;
        }
    }
    subFolders.Close();
    if (FAILED(hr))
        return FALSE;
    if (id == FOLDERID_INVALID)
    {
        const CStringA name = TextToStoreName(strName);
        if (FAILED(POSTREL_CALL(pNamespace->CreateFolder(parentId, name, 0, &id))))
            return FALSE;
    }
    return SUCCEEDED(POSTREL_CALL(pNamespace->OpenFolder(id, 0, &folder)));
}

BOOL OpenStoreSubFolder(IStoreNamespace *pNamespace, const CString &strName, CComPtr<IStoreFolder> &folder,
                        IStoreFolder *pParent)
{
    FOLDERPROPS props = {};
    props.cbSize = sizeof(props);
    if (FAILED(POSTREL_CALL(pParent->GetFolderProps(0, &props))))
        return FALSE;
    return OpenOrCreateStoreFolder(pNamespace, props.dwFolderId, strName, folder);
}

BOOL ListFolderMessages(IStoreFolder *pFolder, std::vector<StoreMessage> &messages)
{
    messages.clear();
    CStoreMessages enumeration(pFolder);
    HRESULT hr = enumeration.First();
    for (; hr == S_OK; hr = enumeration.Next())
        messages.push_back(StoreMessage{enumeration.Props().dwMessageId, enumeration.Props().cbMessage});
    return SUCCEEDED(hr);
}

DWORD MakeMessageNumber(const std::vector<MESSAGEINFO> &records, DWORD dwNumber)
{
    bool first = true;
    for (size_t i = 0; i < records.size(); ++i)
    {
        if (records[i].dwNumber == dwNumber)
        {
            dwNumber = first ? 1 : dwNumber + 1;
            first = false;
            i = static_cast<size_t>(-1);
        }
    }
    return dwNumber;
}

BOOL ReadMessageIndex(IStream *pIndex, std::vector<MESSAGEINFO> &records)
{
    return SUCCEEDED(ReadIndex(pIndex, records));
}

BOOL GetStoreCatalog(CStringArray &names, CArray<LONG, LONG> &values)
{
    names.RemoveAll();
    values.RemoveAll();
    CComPtr<IStoreNamespace> ns;
    if (FAILED(OpenMailStore(ns)))
        return FALSE;
    CStoreSubFolders folders(ns);
    HRESULT hr = folders.First(FOLDERID_ROOT);
    if (hr != S_OK)
        return FALSE;
    for (; hr == S_OK; hr = folders.Next())
    {
        values.Add(folders.Props().sfType);
        names.Add(folders.Name());
    }
    return SUCCEEDED(hr);
}

BOOL GetStoreDirectory(CString &strDirectory)
{
    CComPtr<IStoreNamespace> ns;
    if (FAILED(OpenMailStore(ns)))
        return FALSE;
    char directory[MAX_PATH] = {};
    if (FAILED(POSTREL_CALL(ns->GetDirectory(directory, MAX_PATH))))
        return FALSE;
    directory[MAX_PATH - 1] = '\0';
    strDirectory = StoreNameToText(directory);
    return TRUE;
}
