// The local mail store of Outlook Express / Windows Mail as the platform offers it: the store namespace
// object, its folders and their messages. Folder names are 8-bit text in the calling thread's ANSI code page;
// messages travel as raw message streams.
//
// Enumerations (subfolders, messages) start with GetFirst..., go on with GetNext... and end with S_FALSE and
// a null handle; only a handle that is not null is closed.
#pragma once
#include <objbase.h>
#include <windows.h>

typedef DWORD STOREFOLDERID;
typedef DWORD MESSAGEID;
typedef void *HENUMSTORE;
typedef void *HBATCHLOCK;

// The store's root folder: its subfolders are the top-level folders.
constexpr STOREFOLDERID FOLDERID_ROOT = 0;
constexpr STOREFOLDERID FOLDERID_INVALID = 0xFFFFFFFF;
// Starts a message enumeration at the folder's first message.
constexpr MESSAGEID MESSAGEID_FIRST = 0xFFFFFFFF;
constexpr DWORD CCHMAX_FOLDER_NAME = 256;

// The special-folder type of a folder.
enum SPECIALFOLDER : LONG
{
    FOLDER_NOTSPECIAL = -1,
    FOLDER_INBOX = 0,
    FOLDER_OUTBOX,
    FOLDER_SENT,
    FOLDER_DELETED,
    FOLDER_DRAFT,
    FOLDER_MAX
};

struct FOLDERPROPS
{
    DWORD cbSize; // set by the caller
    STOREFOLDERID dwFolderId;
    INT cSubFolders;
    SPECIALFOLDER sfType;
    DWORD cUnread;
    DWORD cMessage;
    CHAR szName[CCHMAX_FOLDER_NAME];
};

struct MESSAGEPROPS
{
    DWORD cbSize; // set by the caller
    DWORD dwReserved;
    MESSAGEID dwMessageId;
    DWORD dwLanguage;
    DWORD dwState;
    DWORD cbMessage; // the raw message's size in bytes
    LONG priority;
    FILETIME ftReceived;
    FILETIME ftSent;
    LPSTR pszSubject;
    LPSTR pszDisplayTo;
    LPSTR pszDisplayFrom;
    LPSTR pszNormalSubject;
    DWORD dwFlags;
    IStream *pStmOffsetTable;
};

struct MESSAGEIDLIST
{
    DWORD cbSize;
    DWORD cMsgs;
    MESSAGEID *prgdwMsgId;
};

struct IStoreFolder;
struct IMimeMessage;
struct IProgressNotify;

// {E70C92A9-4BFD-11D1-8A95-00C04FB951F3}
constexpr CLSID CLSID_StoreNamespace = {0xE70C92A9, 0x4BFD, 0x11D1, {0x8A, 0x95, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xF3}};
// {E70C92AA-4BFD-11D1-8A95-00C04FB951F3}
constexpr IID IID_IStoreNamespace = {0xE70C92AA, 0x4BFD, 0x11D1, {0x8A, 0x95, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xF3}};
// {E70C92AC-4BFD-11D1-8A95-00C04FB951F3}
constexpr IID IID_IStoreFolder = {0xE70C92AC, 0x4BFD, 0x11D1, {0x8A, 0x95, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xF3}};

struct IStoreNamespace : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Initialize(HWND hwndOwner, DWORD dwReserved) = 0;
    // The store's folder on disk, 8-bit.
    virtual HRESULT STDMETHODCALLTYPE GetDirectory(LPSTR pszPath, DWORD cchMaxPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenSpecialFolder(LONG sfType, DWORD dwReserved, IStoreFolder **ppFolder) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenFolder(STOREFOLDERID dwFolderId, DWORD dwReserved,
                                                 IStoreFolder **ppFolder) = 0;
    // Fails when the parent already holds a folder of that name.
    virtual HRESULT STDMETHODCALLTYPE CreateFolder(STOREFOLDERID dwParentId, LPCSTR pszName, DWORD dwReserved,
                                                   STOREFOLDERID *pdwFolderId) = 0;
    virtual HRESULT STDMETHODCALLTYPE RenameFolder(STOREFOLDERID dwFolderId, DWORD dwReserved, LPCSTR pszNewName) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFolder(STOREFOLDERID dwFolderId, STOREFOLDERID dwParentId,
                                                 DWORD dwReserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteFolder(STOREFOLDERID dwFolderId, DWORD dwReserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFolderProps(STOREFOLDERID dwFolderId, DWORD dwReserved,
                                                     FOLDERPROPS *pProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyMoveMessages(IStoreFolder *pSource, IStoreFolder *pDest,
                                                       MESSAGEIDLIST *pMsgIdList, DWORD dwFlags, DWORD dwFlagsRemove,
                                                       IProgressNotify *pProgress) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterNotification(DWORD dwReserved, HWND hwnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterNotification(DWORD dwReserved, HWND hwnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompactAll(DWORD dwReserved) = 0;
    // The subfolders of a folder, in the store's order.
    virtual HRESULT STDMETHODCALLTYPE GetFirstSubFolder(STOREFOLDERID dwFolderId, FOLDERPROPS *pProps,
                                                        HENUMSTORE *phEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNextSubFolder(HENUMSTORE hEnum, FOLDERPROPS *pProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSubFolderClose(HENUMSTORE hEnum) = 0;
};

struct IStoreFolder : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetFolderProps(DWORD dwReserved, FOLDERPROPS *pProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMessageProps(MESSAGEID dwMessageId, DWORD dwFlags, MESSAGEPROPS *pProps) = 0;
    // Frees what an enumeration put into the record.
    virtual HRESULT STDMETHODCALLTYPE FreeMessageProps(MESSAGEPROPS *pProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteMessages(MESSAGEIDLIST *pMsgIdList, DWORD dwReserved,
                                                     IProgressNotify *pProgress) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLanguage(DWORD dwLanguage, DWORD dwReserved, MESSAGEIDLIST *pMsgIdList) = 0;
    virtual HRESULT STDMETHODCALLTYPE MarkMessagesAsRead(BOOL fRead, DWORD dwReserved, MESSAGEIDLIST *pMsgIdList) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(MESSAGEIDLIST *pMsgIdList, DWORD dwState, DWORD dwStatemask,
                                               DWORD *prgdwNewFlags) = 0;
    // The raw message as a stream (riid IID_IStream).
    virtual HRESULT STDMETHODCALLTYPE OpenMessage(MESSAGEID dwMessageId, REFIID riid, LPVOID *ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveMessage(REFIID riid, LPVOID pvObject, DWORD dwMsgFlags,
                                                  MESSAGEID *pdwMessageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE BatchLock(DWORD dwReserved, HBATCHLOCK *phBatchLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE BatchFlush(DWORD dwReserved, HBATCHLOCK hBatchLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE BatchUnlock(DWORD dwReserved, HBATCHLOCK hBatchLock) = 0;
    // A stream for a new message, whose id is reserved; CommitStream makes it a message of the folder.
    virtual HRESULT STDMETHODCALLTYPE CreateStream(HBATCHLOCK hBatchLock, DWORD dwReserved, IStream **ppStream,
                                                   MESSAGEID *pdwMessageId) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitStream(HBATCHLOCK hBatchLock, DWORD dwFlags, DWORD dwMsgFlags,
                                                   IStream *pStream, MESSAGEID dwMessageId, IMimeMessage *pMessage) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterNotification(DWORD dwReserved, HWND hwnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterNotification(DWORD dwReserved, HWND hwnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compact(DWORD dwReserved) = 0;
    // The folder's messages in the store's order.
    virtual HRESULT STDMETHODCALLTYPE GetFirstMessage(DWORD dwFlags, DWORD dwMsgFlags, MESSAGEID dwMsgIdFirst,
                                                      MESSAGEPROPS *pProps, HENUMSTORE *phEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNextMessage(HENUMSTORE hEnum, DWORD dwFlags, MESSAGEPROPS *pProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMessageClose(HENUMSTORE hEnum) = 0;
};
