// TesselDirText: the continuous-copy list file of one folder. Each folder that a two-way job keeps in step holds
// a hidden file (its name set once at start-up, SetTesselDirListName: "TesselDir.list") naming the files and
// folders the job has seen there, so that a name never seen in a folder can be told from one removed since.
//
// The file, UTF-16LE:
//   FF FE                                   byte-order mark
//   <folder as passed to Create> CR LF      the folder line
//   id="<id>",name="<name>",isdir="<0|1>" CR LF     one line per entry, in the order added
// id is the job's "JobUUID" (one list may hold lines of several jobs), name the bare file or folder name, isdir
// 1 for a folder. Lines are compared exactly, case included.
//
// An open list is edited in place through a mapping kListFileSlack bytes larger than the file, which grows the
// file by as much while it is open; Close cuts it back to its text. The text ends where only NUL units follow:
// a list left at its open size by a process that was killed or a drive that was pulled reads back whole, and
// its next Close trims the NULs. A damaged line inside (a NUL, a line cut short, anything not of the entry
// form) is left out when the list is opened and logged once (LM_WARNING, string IDS_LOG_LIST_DAMAGED): its
// name counts as never seen, so its file is copied again, never deleted; every good line stays.
//
// The list's own last-write time, as Open finds it, is when the job last went through the folder: a file
// written after it was changed since (IsWrittenSinceLastPass), which a removal on the other side must not take.
//
// The file is opened without sharing, so two list objects on one folder exclude each other: the second Open
// fails with 32 (sharing violation), also within one process. Callers open, edit and close within one
// operation; an object is used by one thread at a time.
#pragma once
#include <windows.h>

#include "platform/system/Handles.h"
#include "platform/text/String.h"

class CLogMsg;
class CSyncJob;

// How far the mapping of an open list reaches beyond the file's size.
constexpr DWORD kListFileSlack = 102400;

class TesselDirText
{
  public:
    // log takes the entry about damaged lines; the program's log when null.
    explicit TesselDirText(LPCWSTR id, CLogMsg *log = nullptr);
    virtual ~TesselDirText();
    TesselDirText(const TesselDirText &) = delete;
    TesselDirText &operator=(const TesselDirText &) = delete;

    // The list's path in folder: a backslash is added when missing, then the list name. FALSE (ERROR_INVALID_NAME)
    // for an empty folder or list name, or with the folder's error when it is not an existing folder.
    static BOOL GetListPath(LPCWSTR folder, CString &path);
    // Makes the folder's list (hidden, archive) with its mark and folder line when it has none. TRUE also when
    // it was there; FALSE with the thread's last error when the folder is missing or the file cannot be made.
    static BOOL Create(LPCWSTR folder);

    // Closes what is open, makes the list when absent and opens it for editing. FALSE with the thread's last
    // error when the folder is missing or the list cannot be opened (held by another object, no write access)
    // or mapped; nothing stays open then.
    BOOL Open(LPCWSTR folder);
    // Unmaps the list, cuts the file to its text and closes it. Nothing when closed.
    void Close();
    BOOL IsOpen() const
    {
        return m_text != nullptr;
    }
    const CString &GetFolder() const
    {
        return m_folder;
    }

    // The byte offset of the entry's line from the start of the text; 0 when it is not there or nothing is
    // open (offset 0 is the folder line, never an entry).
    DWORD Find(LPCWSTR name, int isDir) const;
    BOOL Contains(LPCWSTR name, int isDir) const
    {
        return Find(name, isDir) != 0;
    }
    // Appends the entry's line unless it is there (TRUE). A list whose room is used up is closed and opened
    // again, which gives it kListFileSlack bytes more. FALSE when nothing is open or the reopening failed.
    BOOL Add(LPCWSTR name, int isDir);
    // Takes the entry's line out; TRUE whether or not it was there, FALSE when nothing is open.
    BOOL Remove(LPCWSTR name, int isDir);

    // The text (folder line and entries) without the mark; empty when closed.
    CString GetText() const;

    // TRUE when a file last written at lastWrite changed after the job's last pass through the folder: later
    // than the list's last write as Open found it, or the list was new then.
    BOOL IsWrittenSinceLastPass(const FILETIME &lastWrite) const;
    // The damaged lines Open left out.
    int GetDamagedLines() const
    {
        return m_damagedLines;
    }

  private:
    CString FormatLine(LPCWSTR name, int isDir) const;
    // Takes the text of the mapped list (units long, slack cut off) into its good lines; their length.
    DWORD TidyText(DWORD units);

    CString m_id;
    CString m_folder;
    CKernelHandle m_file;
    CKernelHandle m_mapping;
    CMappedView m_view;
    wchar_t *m_text = nullptr; // just after the mark
    DWORD m_textBytes = 0;     // without the mark
    DWORD m_sizeAtOpen = 0;
    CLogMsg *m_log;
    FILETIME m_lastPass = {0, 0}; // 0: the list was new
    int m_damagedLines = 0;
};

// Lists and unlists one path of a two-way job (its "JobUUID" as the id) in the list of the path's folder.
// AddToListFile takes the entry's kind from the disk and does nothing (FALSE) when the path does not exist.
// RemoveFromListFile takes out the name's line of either kind: a name is a file or a folder, never both at once,
// and the pass writes folders as 1 where the pair reconciliation writes 0. FALSE when the list cannot be opened
// or the path has no folder part.
BOOL AddToListFile(CSyncJob &job, LPCWSTR path);
BOOL RemoveFromListFile(CSyncJob &job, LPCWSTR path, int isFolder);
