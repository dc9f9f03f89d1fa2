// TesselDirText: the continuous-copy list file of one folder. Each folder that a two-way job keeps in step holds
// a hidden file (its name set once at start-up, SetTesselDirListName: "TesselDir.list") naming the files and
// folders the job has seen there, so that a name never seen in a folder can be told from one removed since.
//
// The file, UTF-16LE:
//   FF FE                                   byte-order mark
//   <folder as passed to Create> CR LF      the folder line
//   id="<id>",name="<name>",isdir="<0|1>"[,synced="<16 hex digits>"] CR LF     one line per entry, in the
//                                                                            order added
// id is the job's "JobUUID" (one list may hold lines of several jobs), name the bare file or folder name, isdir
// 1 for a folder. Lines are compared exactly, case included. "synced" is the last-write time (a FILETIME, high
// word first) the pair had when this job last found or put it in step: the later of its two copies' times.
//
// An open list is edited in place through a mapping kListFileSlack bytes larger than the file, which grows the
// file by as much while it is open; Close cuts it back to its text. The text ends where only NUL units follow:
// a list left at its open size by a process that was killed or a drive that was pulled reads back whole, and
// its next Close trims the NULs. A damaged line inside (a NUL, a line cut short, anything not of the entry
// form) is left out when the list is opened and logged once (LM_WARNING, string IDS_LOG_LIST_DAMAGED): its
// name counts as never seen, so its file is copied again, never deleted; every good line stays.
//
// A file written after its pair's "synced" time was changed since the job last had the pair in step
// (IsWrittenSinceInStep), and a removal on the other side must not take it. The time is the job's own and the
// pair's own: another job's pass, another pair's change, an opening of the list (which grows the file by its
// slack and cuts it back) or a reopening for room move nothing of it. A file line without the time (one a
// program that went by the list's own last write wrote) gets that last write, as its first opening here finds
// it, once; a line that has none (a folder's) never lets a file go.
//
// The file is opened without sharing, so two list objects on one folder exclude each other: the second Open
// fails with 32 (sharing violation), also within one process. Callers open, edit and close within one
// operation; an object is used by one thread at a time.
#pragma once
#include <windows.h>

#include <string>

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
    // Lists the file name (isdir 0) as in step with the time written, its line added or its time replaced.
    BOOL MarkInStep(LPCWSTR name, const FILETIME &written);
    // The time the file name's line holds; FALSE when it holds none (or the name is not listed as a file).
    BOOL GetInStepTime(LPCWSTR name, FILETIME &written) const;

    // The text (folder line and entries) without the mark; empty when closed.
    CString GetText() const;

    // TRUE when the file name, last written at lastWrite, changed after the job last had its pair in step: later
    // than the line's time, or its line holds none.
    BOOL IsWrittenSinceInStep(LPCWSTR name, const FILETIME &lastWrite) const;
    // The damaged lines Open left out.
    int GetDamagedLines() const
    {
        return m_damagedLines;
    }

  private:
    // The entry's line without its time and its CR LF.
    CString FormatLine(LPCWSTR name, int isDir) const;
    // Appends a whole line (with its CR LF), reopening the list for room when needed.
    BOOL Append(const CString &line);
    // The bytes of the line at offset, its CR LF included.
    DWORD LineBytesAt(DWORD offset) const;
    // The good lines of the mapped list's text (units long, slack cut off), each file line without its time
    // given listWritten when that is not null.
    std::wstring TidyText(DWORD units, const FILETIME *listWritten);

    CString m_id;
    CString m_folder;
    CKernelHandle m_file;
    CKernelHandle m_mapping;
    CMappedView m_view;
    wchar_t *m_text = nullptr; // just after the mark
    DWORD m_textBytes = 0;     // without the mark
    DWORD m_sizeAtOpen = 0;
    CLogMsg *m_log;
    int m_damagedLines = 0;
};

// Lists and unlists one path of a two-way job (its "JobUUID" as the id) in the list of the path's folder.
// AddToListFile takes the entry's kind from the disk and does nothing (FALSE) when the path does not exist.
// RemoveFromListFile takes out the name's line of either kind: a name is a file or a folder, never both at once,
// and the pass writes folders as 1 where the pair reconciliation writes 0. FALSE when the list cannot be opened
// or the path has no folder part.
BOOL AddToListFile(CSyncJob &job, LPCWSTR path);
BOOL RemoveFromListFile(CSyncJob &job, LPCWSTR path, int isFolder);
