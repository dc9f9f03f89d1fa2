// CJobDef: the in-memory mirror of one "jobdef" element of the job store. Every setter stores its field and
// writes the attribute at once; the store file is written only when the job collection saves the document.
//
// Without a bound element the setters only store their fields, and the source operations raise E_POINTER.
//
// The text fields are read by other threads (change processing, run threads) while the user-interface thread
// may edit the job: they are guarded by the record's own lock, and their getters return copies.
#pragma once
#include <windows.h>

#include "engine/program/FolderSizeScanner.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Sync.h"
#include "platform/text/String.h"
#include "platform/text/Time.h"

class CSyncJob;

class CJobDef
{
  public:
    explicit CJobDef(CSyncJob *owner);
    ~CJobDef();
    CJobDef(const CJobDef &) = delete;
    CJobDef &operator=(const CJobDef &) = delete;

    // Binds the record to an existing "jobdef" element and reads it (Load). A null element changes nothing.
    void Attach(IXMLDOMElement *element);
    // Reads every attribute. Writes back "uuid" (empty) when it is empty, "hassrc" = 1 always, and a new
    // "JobUUID" when there is none; refreshes the destination volume figures and the extension filters.
    void Load();
    // Binds the record to a new "jobdef" element of the store document (GetXmlStoreDocument), not yet
    // inserted into the tree, named after the computer and the current time, with state 1 and neverrun
    // "true". Raises E_POINTER when no store document is set.
    void CreateNew();

    IXMLDOMElementPtr GetElement() const
    {
        return m_element;
    }
    CSyncJob *GetOwner() const
    {
        return m_owner;
    }
    CFolderSizeScanner &GetFolderSizeScanner()
    {
        return m_scanner;
    }
    // The include and exclude extension sets of "include" and "exclude", for the run's file filters.
    CExtFilterPair &GetFilterPair()
    {
        return m_filters;
    }

    // Capacity of the volume that holds "dest"; all 0 until measured, when the query failed, or while the
    // destination is reached through an agent.
    ULONGLONG GetDestTotalBytes() const
    {
        return m_destTotalBytes;
    }
    ULONGLONG GetDestFreeBytes() const
    {
        return m_destFreeBytes;
    }
    ULONGLONG GetDestUsedBytes() const
    {
        return m_destUsedBytes;
    }

    CString GetName() const
    {
        return ReadText(m_name);
    }
    int GetState() const
    {
        return m_state;
    }
    CString GetNeverRun() const
    {
        return ReadText(m_neverRun);
    }
    int GetSyncType() const
    {
        return m_syncType;
    }
    CString GetJobUUID() const
    {
        return ReadText(m_jobUUID);
    }
    int GetMaxVer() const
    {
        return m_maxVer;
    }
    int GetRetainFullPath() const
    {
        return m_retainFullPath;
    }
    int GetAutoDel() const
    {
        return m_autoDel;
    }
    int GetWarningThreshold() const
    {
        return m_warningThreshold;
    }
    int GetThreshold() const
    {
        return m_threshold;
    }
    int GetSuppressErrorLogWindow() const
    {
        return m_suppressErrorLogWindow;
    }
    int GetSourceAgent() const
    {
        return m_sourceAgent;
    }
    int GetSourceNet() const
    {
        return m_sourceNet;
    }
    CString GetSourceHostName() const
    {
        return ReadText(m_sourceHostName);
    }
    CString GetSourceHostIP() const
    {
        return ReadText(m_sourceHostIP);
    }
    int GetDestAgent() const
    {
        return m_destAgent;
    }
    int GetDestNet() const
    {
        return m_destNet;
    }
    CString GetDestHostName() const
    {
        return ReadText(m_destHostName);
    }
    CString GetDestHostIP() const
    {
        return ReadText(m_destHostIP);
    }
    CString GetDest() const
    {
        return ReadText(m_dest);
    }
    CString GetUuid() const
    {
        return ReadText(m_uuid);
    }
    int GetHasSrc() const
    {
        return m_hasSrc;
    }
    int GetJsType() const
    {
        return m_jsType;
    }
    int GetJsMins() const
    {
        return m_jsMins;
    }
    int GetJsDay() const
    {
        return m_jsDay;
    }
    // Hours from the first two characters of "js_time", minutes from its last two; both 0 when it is empty.
    void GetJsTime(int &hours, int &minutes) const;
    int GetShowProg() const
    {
        return m_showProg;
    }
    int GetStartBackupDlg() const
    {
        return m_startBackupDlg;
    }
    int GetFolder2Folder() const
    {
        return m_folder2Folder;
    }
    CString GetInclude() const
    {
        return ReadText(m_include);
    }
    CString GetExclude() const
    {
        return ReadText(m_exclude);
    }
    int GetCompleteStatus() const
    {
        return m_completeStatus;
    }
    int GetBackupCount() const
    {
        return m_backupCount;
    }
    int GetOwType() const
    {
        return m_owType;
    }
    int GetWizardMode() const
    {
        return m_wizardMode;
    }
    CString GetCustomType() const
    {
        return ReadText(m_customType);
    }
    int GetMoveToRecycle() const
    {
        return m_moveToRecycle;
    }

    // The lower-case letter of the present drive whose marker holds "uuid"; 0 when none does.
    wchar_t GetDestDriveLetter() const;

    void SetName(CString name);
    void SetState(int state);
    void SetNeverRun(CString neverRun);
    void SetSyncType(int syncType);
    void SetJobUUID(CString jobUUID);
    void SetMaxVer(int maxVer);
    void SetRetainFullPath(int retainFullPath);
    // Writes "true" for nonzero, "false" for 0.
    void SetAutoDel(int autoDel);
    void SetWarningThreshold(int warningThreshold);
    void SetThreshold(int threshold);
    void SetSuppressErrorLogWindow(int suppress);
    void SetSourceAgent(int sourceAgent);
    void SetSourceNet(int sourceNet);
    void SetDestAgent(int destAgent);
    void SetDestNet(int destNet);
    // Stores and writes "dest", empties "uuid" (the drive identity belongs to the old destination) and, unless
    // the destination is reached through an agent, measures the new destination's volume.
    void SetDest(CString dest);
    // Stores and writes "uuid", the destination drive's identity (DriveMarker.h); SetDest empties it, so a
    // caller that only moved the destination to another letter of the same drive writes it back.
    void SetUuid(CString uuid);
    void SetHasSrc(int hasSrc);
    void SetJsType(int jsType);
    void SetJsMins(int jsMins);
    void SetJsDay(int jsDay);
    // Stores the time of day as "HH:MM".
    void SetJsTime(const CTime &time);
    void SetShowProg(int showProg);
    void SetFolder2Folder(int folder2Folder);
    // Both also replace the matching extension set of the filter pair.
    void SetInclude(CString include);
    void SetExclude(CString exclude);
    void SetCompleteStatus(int completeStatus);
    void SetBackupCount(int backupCount);
    void SetOwType(int owType);
    // Writes 1 for nonzero, 0 for 0.
    void SetWizardMode(int wizardMode);
    void SetCustomType(CString customType);
    void SetMoveToRecycle(int moveToRecycle);

    // Sources (JobDefSourceList.cpp). Each raises E_POINTER when no element is bound.

    // Appends a new "src" with "path", "hassrc" = 1, "rapid" = 0 when rapid is nonzero and "destination" when
    // one is given (non-null); returns it.
    IXMLDOMElementPtr AddSource(LPCWSTR path, LPCWSTR destination, BOOL rapid);
    // Adds a "file" for the file under the "src" whose "path" is exactly the folder, making that "src" when
    // there is none.
    void FindSource(LPCWSTR folder, LPCWSTR fileName);
    // A path ending in a backslash becomes a "src" (with the destination); any other path is split at its last
    // backslash into folder (backslash kept) and file name for FindSource. A path without a backslash adds
    // nothing.
    void AddSourcePath(LPCWSTR path, LPCWSTR destination);
    // TRUE when a "src" lies on the network: a UNC path or a path on a remote drive.
    BOOL HasNetworkSource() const;
    // TRUE when the path is one of the job's sources, lies inside one or contains one (JobDefSourcePaths.cpp).
    BOOL IsPathInJobSources(LPCWSTR path) const;

  private:
    CString ReadText(const CString &field) const
    {
        CSingleLock hold(&m_textLock, TRUE);
        return field;
    }
    void StoreText(CString &field, const CString &value)
    {
        CSingleLock hold(&m_textLock, TRUE);
        field = value;
    }
    void WriteInt(LPCWSTR key, int value);
    void WriteString(LPCWSTR key, LPCWSTR value);
    void MeasureDestination();

    mutable CCriticalSection m_textLock;
    CSyncJob *const m_owner;
    IXMLDOMElementPtr m_element;
    CFolderSizeScanner m_scanner;
    CExtFilterPair m_filters;
    ULONGLONG m_destTotalBytes = 0;
    ULONGLONG m_destFreeBytes = 0;
    ULONGLONG m_destUsedBytes = 0;

    CString m_name;
    int m_state = 1;
    CString m_neverRun;
    int m_syncType = 0;
    CString m_jobUUID;
    int m_maxVer = 1;
    int m_retainFullPath = 0;
    int m_autoDel = 0;
    int m_warningThreshold = 1;
    int m_threshold = 90;
    int m_suppressErrorLogWindow = 0;
    int m_sourceAgent = 0;
    int m_sourceNet = 0;
    CString m_sourceHostName;
    CString m_sourceHostIP;
    int m_destAgent = 0;
    int m_destNet = 0;
    CString m_destHostName;
    CString m_destHostIP;
    CString m_dest;
    CString m_uuid;
    int m_hasSrc = 1;
    int m_jsType = 0;
    int m_jsMins = 0;
    int m_jsDay = 0;
    CString m_jsTime;
    int m_showProg = 1;
    int m_startBackupDlg = 1;
    int m_folder2Folder = 0;
    CString m_include;
    CString m_exclude;
    int m_completeStatus = 0;
    int m_backupCount = 0;
    int m_owType = 1;
    int m_wizardMode = 0;
    CString m_customType;
    int m_moveToRecycle = 0;
};
