// Backup and restore of the Outlook Express / Windows Mail store into a compound file:
//
//   root
//     "Local Mail"
//       "Catalog"      CATALOGINFO per backed-up top-level folder (storage name, folder name)
//       <storage>      one per top-level folder:
//         "message"    MESSAGEINFO per saved message (number, size)
//         "<number>"   one stream per saved message, its raw bytes
//         "Catalog"    CATALOGINFO per subfolder
//         <storage>    one per subfolder, laid out the same way, to any depth
//
// A backup adds what the file lacks, a restore adds to the store what it lacks; a message counts as present
// when one of the same size has the same bytes. A failure in one folder makes the result 0 but keeps
// whatever was done before it.
#pragma once
#include <windows.h>

#include <vector>

#include "mail/mailstore/StoreNamespace.h"
#include "mail/storage/IndexRecords.h"
#include "platform/system/ComPtr.h"
#include "platform/text/Collections.h"
#include "platform/text/String.h"

class CStorager;

// The storage that holds the store's folders.
extern const wchar_t g_szLocalMail[]; // "Local Mail"

// What the store namespace tells of the top-level folders: names and special-folder types, in its order.
// FALSE when the store cannot be opened or has no top-level folder.
BOOL GetStoreCatalog(CStringArray &names, CArray<LONG, LONG> &values);
// The store's folder on disk.
BOOL GetStoreDirectory(CString &strDirectory);
// Backs up the wanted top-level folders (names compared without regard to case). strPath is completed by
// MakeBackupFilePath; a completed path of nMaxPath characters or more (0: no limit) fails before the file is
// touched. A store without folders succeeds without touching anything.
BOOL BackupMailStore(CString &strPath, int nMaxPath, const CStringArray &wanted);
// Restores the wanted folders from the file, which is only read.
BOOL RestoreMailStore(LPCWSTR pszPath, const CStringArray &wanted);

// The recursive workers: the top of the stack is the folder's storage.
BOOL BackupMailFolder(IStoreNamespace *pNamespace, IStoreFolder *pFolder, CStorager &storager);
BOOL RestoreMailFolder(IStoreNamespace *pNamespace, IStoreFolder *pFolder, CStorager &storager);

// Creates and initialises the store namespace; the failure is reported.
HRESULT OpenMailStore(CComPtr<IStoreNamespace> &ns);
// The folder of that name under the parent (created when missing), opened.
BOOL OpenOrCreateStoreFolder(IStoreNamespace *pNamespace, STOREFOLDERID parentId, const CString &strName,
                             CComPtr<IStoreFolder> &folder);
BOOL OpenStoreSubFolder(IStoreNamespace *pNamespace, const CString &strName, CComPtr<IStoreFolder> &folder,
                        IStoreFolder *pParent);

struct StoreMessage
{
    MESSAGEID id;
    DWORD size;
};
// The folder's messages in the store's order.
BOOL ListFolderMessages(IStoreFolder *pFolder, std::vector<StoreMessage> &messages);
// A number for a new saved message: the message's id unless a record has it, else the first free one
// counting up from 1.
DWORD MakeMessageNumber(const std::vector<MESSAGEINFO> &records, DWORD dwNumber);
BOOL ReadMessageIndex(IStream *pIndex, std::vector<MESSAGEINFO> &records);

// Folder names of the store are 8-bit text in the calling thread's ANSI code page.
CString StoreNameToText(const char *pszName);
CStringA TextToStoreName(const CString &strName);
// A catalog record keeps 99 characters of a folder name, so names are told apart by those alone.
constexpr int CATALOG_FOLDER_NAME_CHARS = 99;
bool SameFolderName(const CString &a, const CString &b, bool ignoreCase);

// The subfolders of one folder, closed on destruction when the enumeration left a handle.
class CStoreSubFolders
{
  public:
    explicit CStoreSubFolders(IStoreNamespace *pNamespace) : m_ns(pNamespace), m_hEnum(nullptr), m_props()
    {
    }
    ~CStoreSubFolders()
    {
        Close();
    }
    CStoreSubFolders(const CStoreSubFolders &) = delete;
    CStoreSubFolders &operator=(const CStoreSubFolders &) = delete;

    // S_OK with a folder in Props(), S_FALSE at the end, or the failure.
    HRESULT First(STOREFOLDERID parentId);
    HRESULT Next();
    void Close();
    const FOLDERPROPS &Props() const
    {
        return m_props;
    }
    CString Name() const
    {
        return StoreNameToText(m_props.szName);
    }

  private:
    IStoreNamespace *m_ns;
    HENUMSTORE m_hEnum;
    FOLDERPROPS m_props;
};

// The messages of one folder; the properties of the current one are freed when the next is fetched.
class CStoreMessages
{
  public:
    explicit CStoreMessages(IStoreFolder *pFolder) : m_folder(pFolder), m_hEnum(nullptr), m_props(), m_bHeld(false)
    {
    }
    ~CStoreMessages()
    {
        Close();
    }
    CStoreMessages(const CStoreMessages &) = delete;
    CStoreMessages &operator=(const CStoreMessages &) = delete;

    HRESULT First();
    HRESULT Next();
    void Close();
    const MESSAGEPROPS &Props() const
    {
        return m_props;
    }

  private:
    void FreeProps();

    IStoreFolder *m_folder;
    HENUMSTORE m_hEnum;
    MESSAGEPROPS m_props;
    bool m_bHeld;
};
