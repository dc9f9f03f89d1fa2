#include "engine/store/JobDef.h"

#include "engine/program/DriveMarker.h"
#include "engine/store/UuidString.h"

namespace
{

// The volume that holds a path: the folder itself, a file's folder, or for a path that does not exist yet
// (a destination still to be made) its drive root.
void QueryVolume(const CString &path, ULONGLONG &total, ULONGLONG &free, ULONGLONG &used)
{
    total = free = used = 0;
    CString folder;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        folder = path.Left(3);
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        folder = path;
    else
        folder = path.Left(path.ReverseFind(L'\\') + 1);
    if (folder.IsEmpty())
        return;
    // A UNC folder is accepted only with its trailing backslash.
    if (folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';
    ULARGE_INTEGER available, volumeTotal, volumeFree;
    if (!GetDiskFreeSpaceExW(folder, &available, &volumeTotal, &volumeFree))
        return;
    total = volumeTotal.QuadPart;
    free = volumeFree.QuadPart;
    used = total - free;
}

} // namespace

CJobDef::CJobDef(CSyncJob *owner) : m_owner(owner)
{
}

CJobDef::~CJobDef()
{
    XmlDomLock lock;
    m_element = nullptr;
}

void CJobDef::Attach(IXMLDOMElement *element)
{
    if (element == nullptr)
        return;
    {
        XmlDomLock lock;
        m_element = element;
    }
    Load();
}

void CJobDef::Load()
{
    if (!m_element)
        return;
    {
        // One lock for the whole read, so that no other thread's write lands between two attributes.
        XmlDomLock lock;
        CSingleLock text(&m_textLock, TRUE);
        IXMLDOMElement *const e = m_element;
        m_dest = XmlGetAttributeString(e, L"dest");
        m_uuid = XmlGetAttributeString(e, L"uuid");
        if (m_uuid.IsEmpty())
            WriteString(L"uuid", L"");
        m_hasSrc = 1;
        WriteInt(L"hassrc", 1);

        m_state = XmlGetAttributeInt(e, L"state");
        m_name = XmlGetAttributeString(e, L"name");
        m_neverRun = XmlGetAttributeString(e, L"neverrun");
        m_syncType = XmlGetAttributeInt(e, L"sync_type");
        m_jobUUID = XmlGetAttributeString(e, L"JobUUID");
        m_maxVer = XmlGetAttributeInt(e, L"maxver");
        m_retainFullPath = XmlGetAttributeInt(e, L"retain_full_path");
        m_autoDel = XmlGetAttributeString(e, L"autodel") == L"true" ? 1 : 0;
        m_warningThreshold = XmlGetAttributeInt(e, L"warningthreshold");
        m_threshold = XmlGetAttributeInt(e, L"threshold");
        m_suppressErrorLogWindow = XmlGetAttributeInt(e, L"suppress_error_log_window");
        m_sourceAgent = XmlGetAttributeInt(e, L"sourceagent");
        m_sourceNet = XmlGetAttributeInt(e, L"sourcenet");
        m_sourceHostName = XmlGetAttributeString(e, L"shostname");
        m_sourceHostIP = XmlGetAttributeString(e, L"shostip");
        m_destAgent = XmlGetAttributeInt(e, L"destagent");
        m_destNet = XmlGetAttributeInt(e, L"destnet");
        m_destHostName = XmlGetAttributeString(e, L"dhostname");
        m_destHostIP = XmlGetAttributeString(e, L"dhostip");
        m_jsType = XmlGetAttributeInt(e, L"js_type");
        m_jsMins = XmlGetAttributeInt(e, L"js_mins");
        m_jsDay = XmlGetAttributeInt(e, L"js_day");
        m_jsTime = XmlGetAttributeString(e, L"js_time");
        m_showProg = XmlGetAttributeInt(e, L"showprog");
        m_startBackupDlg = XmlGetAttributeInt(e, L"startbackupdlg");
        m_folder2Folder = XmlGetAttributeInt(e, L"folder2folder");
        m_include = XmlGetAttributeString(e, L"include");
        m_exclude = XmlGetAttributeString(e, L"exclude");
        m_completeStatus = XmlGetAttributeInt(e, L"complete_status");
        m_backupCount = XmlGetAttributeInt(e, L"backup_count");
        m_owType = XmlGetAttributeInt(e, L"ow_type");
        // Only an explicit "0" turns the wizard mode off; older stores have no such attribute.
        m_wizardMode = XmlGetAttributeString(e, L"wizard_mode") == L"0" ? 0 : 1;
        m_customType = XmlGetAttributeString(e, L"custom_type");
        m_moveToRecycle = XmlGetAttributeInt(e, L"move_to_recycle");

        if (m_jobUUID.IsEmpty())
        {
            CUuidString uuid;
            if (uuid.Create())
                SetJobUUID(uuid.GetText());
        }
    }
    // The volume query may wait on a slow drive: no DOM lock held.
    if (m_destAgent == 0)
        MeasureDestination();
    m_filters.SetIncludeExts(ReadText(m_include));
    m_filters.SetExcludeExts(ReadText(m_exclude));
}

void CJobDef::CreateNew()
{
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = ARRAYSIZE(computer);
    if (!GetComputerNameW(computer, &size))
        computer[0] = L'\0';
    CString name;
    name.Format(L"%s_%s", static_cast<LPCWSTR>(computer),
                CTime::GetCurrentTime().Format(L"%m-%d-%y_%H.%M.%S%p").GetString());

    IXMLDOMDocument2Ptr document = GetXmlStoreDocument();
    {
        const _variant_t kind(static_cast<long>(NODE_ELEMENT));
        const _bstr_t nodeName(L"jobdef");
        const _bstr_t namespaceUri(L"ORVANE");
        XmlDomLock lock;
        IXMLDOMNodePtr node;
        XmlCheck(document->createNode(kind, nodeName, namespaceUri, &node));
        IXMLDOMElementPtr element(node);
        if (!element)
            XmlRaiseError(E_NOINTERFACE);
        // Bound without reading: the new element has nothing to read, and the fields keep their initial values.
        m_element = element;
    }
    SetName(name);
    SetState(1);
    SetNeverRun(L"true");
}

void CJobDef::GetJsTime(int &hours, int &minutes) const
{
    const CString jsTime = ReadText(m_jsTime);
    if (jsTime.IsEmpty())
    {
        hours = minutes = 0;
        return;
    }
    hours = _wtoi(jsTime.Left(2));
    minutes = _wtoi(jsTime.Right(2));
}

wchar_t CJobDef::GetDestDriveLetter() const
{
    return FindDriveByDestinationId(ReadText(m_uuid));
}

void CJobDef::WriteInt(LPCWSTR key, int value)
{
    XmlSetAttributeInt(m_element, key, value);
}

void CJobDef::WriteString(LPCWSTR key, LPCWSTR value)
{
    XmlSetAttributeString(m_element, key, value);
}

void CJobDef::MeasureDestination()
{
    QueryVolume(ReadText(m_dest), m_destTotalBytes, m_destFreeBytes, m_destUsedBytes);
}

void CJobDef::SetName(CString name)
{
    StoreText(m_name, name);
    WriteString(L"name", name);
}

void CJobDef::SetState(int state)
{
    m_state = state;
    WriteInt(L"state", state);
}

void CJobDef::SetNeverRun(CString neverRun)
{
    StoreText(m_neverRun, neverRun);
    WriteString(L"neverrun", neverRun);
}

void CJobDef::SetSyncType(int syncType)
{
    m_syncType = syncType;
    WriteInt(L"sync_type", syncType);
}

void CJobDef::SetJobUUID(CString jobUUID)
{
    StoreText(m_jobUUID, jobUUID);
    WriteString(L"JobUUID", jobUUID);
}

void CJobDef::SetMaxVer(int maxVer)
{
    m_maxVer = maxVer;
    WriteInt(L"maxver", maxVer);
}

void CJobDef::SetRetainFullPath(int retainFullPath)
{
    m_retainFullPath = retainFullPath;
    WriteInt(L"retain_full_path", retainFullPath);
}

void CJobDef::SetAutoDel(int autoDel)
{
    m_autoDel = autoDel;
    WriteString(L"autodel", autoDel ? L"true" : L"false");
}

void CJobDef::SetWarningThreshold(int warningThreshold)
{
    m_warningThreshold = warningThreshold;
    WriteInt(L"warningthreshold", warningThreshold);
}

void CJobDef::SetThreshold(int threshold)
{
    m_threshold = threshold;
    WriteInt(L"threshold", threshold);
}

void CJobDef::SetSuppressErrorLogWindow(int suppress)
{
    m_suppressErrorLogWindow = suppress;
    WriteInt(L"suppress_error_log_window", suppress);
}

void CJobDef::SetSourceAgent(int sourceAgent)
{
    m_sourceAgent = sourceAgent;
    WriteInt(L"sourceagent", sourceAgent);
}

void CJobDef::SetSourceNet(int sourceNet)
{
    m_sourceNet = sourceNet;
    WriteInt(L"sourcenet", sourceNet);
}

void CJobDef::SetDestAgent(int destAgent)
{
    m_destAgent = destAgent;
    WriteInt(L"destagent", destAgent);
}

void CJobDef::SetDestNet(int destNet)
{
    m_destNet = destNet;
    WriteInt(L"destnet", destNet);
}

void CJobDef::SetDest(CString dest)
{
    StoreText(m_dest, dest);
    WriteString(L"dest", dest);
    StoreText(m_uuid, CString());
    WriteString(L"uuid", L"");
    if (m_destAgent == 0)
        MeasureDestination();
}

void CJobDef::SetUuid(CString uuid)
{
    // Change processing reads it on its own thread (CheckDestination).
    StoreText(m_uuid, uuid);
    WriteString(L"uuid", uuid);
}

void CJobDef::SetHasSrc(int hasSrc)
{
    m_hasSrc = hasSrc;
    WriteInt(L"hassrc", hasSrc);
}

void CJobDef::SetJsType(int jsType)
{
    m_jsType = jsType;
    WriteInt(L"js_type", jsType);
}

void CJobDef::SetJsMins(int jsMins)
{
    m_jsMins = jsMins;
    WriteInt(L"js_mins", jsMins);
}

void CJobDef::SetJsDay(int jsDay)
{
    m_jsDay = jsDay;
    WriteInt(L"js_day", jsDay);
}

void CJobDef::SetJsTime(const CTime &time)
{
    const CString jsTime = time.Format(L"%H:%M");
    StoreText(m_jsTime, jsTime);
    WriteString(L"js_time", jsTime);
}

void CJobDef::SetShowProg(int showProg)
{
    m_showProg = showProg;
    WriteInt(L"showprog", showProg);
}

void CJobDef::SetFolder2Folder(int folder2Folder)
{
    m_folder2Folder = folder2Folder;
    WriteInt(L"folder2folder", folder2Folder);
}

void CJobDef::SetInclude(CString include)
{
    StoreText(m_include, include);
    m_filters.SetIncludeExts(include);
    WriteString(L"include", include);
}

void CJobDef::SetExclude(CString exclude)
{
    StoreText(m_exclude, exclude);
    m_filters.SetExcludeExts(exclude);
    WriteString(L"exclude", exclude);
}

void CJobDef::SetCompleteStatus(int completeStatus)
{
    m_completeStatus = completeStatus;
    WriteInt(L"complete_status", completeStatus);
}

void CJobDef::SetBackupCount(int backupCount)
{
    m_backupCount = backupCount;
    WriteInt(L"backup_count", backupCount);
}

void CJobDef::SetOwType(int owType)
{
    m_owType = owType;
    WriteInt(L"ow_type", owType);
}

void CJobDef::SetWizardMode(int wizardMode)
{
    m_wizardMode = wizardMode;
    WriteInt(L"wizard_mode", wizardMode ? 1 : 0);
}

void CJobDef::SetCustomType(CString customType)
{
    StoreText(m_customType, customType);
    WriteString(L"custom_type", customType);
}

void CJobDef::SetMoveToRecycle(int moveToRecycle)
{
    m_moveToRecycle = moveToRecycle;
    WriteInt(L"move_to_recycle", moveToRecycle);
}
