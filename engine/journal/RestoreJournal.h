// The restore journal of a job: which files the job copied, as pairs of destination path and source path.
//
// Files in the journal folder: "<job name>.restore", the journal itself; "<job name>.restore.bak", the saved
// copy that holds the previous journal while a run writes a new one (and the working copy of AppendOne); and
// "<job name>.restore.new", which exists only while RecordRename rewrites the journal.
//
// The journal is a plain sequence of records without a file header. Each record is a 20-byte header of five
// little-endian 32-bit words (magic 1111, the record's own file offset low and high, the byte lengths L1 and
// L2 of the two strings), then string 1 (destination) and string 2 (source) in UTF-16LE without terminators.
// A record is bad when its header is short, its magic is wrong, or a length is odd or runs past the end of
// the file; reading stops at the first bad record.
//
// No lock: the run thread uses a job's journal between Open and Close, and AppendOne and RecordRename are
// used only while the job is idle.
#pragma once
#include <windows.h>

#include <utility>
#include <vector>

#include "platform/text/Collections.h"
#include "platform/system/Handles.h"
#include "platform/system/Seam.h"
#include "platform/text/String.h"

constexpr DWORD RESTORE_JOURNAL_MAGIC = 1111;

// Every write of a journal's records goes through here: WriteFile unless a test makes a write stop part-way, as
// a full disk or a pulled drive does.
using PFN_JOURNAL_WRITE = BOOL(WINAPI *)(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED);
extern Seam<PFN_JOURNAL_WRITE> g_pfnJournalWrite;
constexpr DWORD RESTORE_RECORD_HEADER_SIZE = 20;

class CRestoreJournal
{
  public:
    enum Mode
    {
        ModeClosed = 0,
        ModeReading = 1,
        ModeWriting = 2
    };

    // folder: where the journals lie (the data folder); a missing trailing backslash is supplied.
    explicit CRestoreJournal(LPCWSTR folder);
    // Close(0).
    ~CRestoreJournal();
    CRestoreJournal(const CRestoreJournal &) = delete;
    CRestoreJournal &operator=(const CRestoreJournal &) = delete;

    // Closes what is open (as Close(0)), then opens the journal of the job `name`.
    // Writing (forWrite nonzero): a saved copy left by a run that never reached Close is first put back over
    // the journal; then an existing journal is copied to the saved copy (a failed copy fails the open and
    // changes nothing) and the journal is created empty.
    // Reading: the journal must exist and begin with a good record.
    // 1 on success; 0 for a missing or bad journal, a name that is not a plain file name, or a journal path
    // (or, for writing, its saved copy's path) longer than 259 characters.
    BOOL Open(LPCWSTR name, int forWrite);

    // Writes one record at the end of the journal opened for writing; 1 when it was written whole. A failed
    // write is cut off again, so the records before and after it stay readable.
    BOOL Append(LPCWSTR destination, LPCWSTR source);
    // Adds one record to the journal opened for writing, as Append does, but keeps it in memory with the ones
    // queued after it: they are written in order, together, once they fill a block, and before anything else
    // is written or read (Append, KeepRecordsBelow, Close). A backup run adds one record per file this way. A
    // block that cannot be written whole is cut off again and its records written one by one, so that the
    // journal keeps the records Append would have kept. Does nothing outside a writing session.
    void Queue(LPCWSTR destination, LPCWSTR source);

    // Ends the session. After writing: writes what is queued, flushes and closes; with rollback nonzero the saved copy
    // is copied back over the journal; then the saved copy is deleted (kept only when copying it back failed, as it is
    // then the one copy of the previous journal). After reading: just closes. 0 only when a rollback copy failed.
    BOOL Close(int rollback);

    // Adds one record to the journal of the job `name` outside a run, through the saved copy: the journal is
    // copied to it, the record appended there, and the copy put back in place of the journal. 1 on success;
    // on failure the journal is left as it was and nothing stays open. Refused while a write session is open.
    BOOL AppendOne(LPCWSTR name, LPCWSTR destination, LPCWSTR source);
    // The same for several records (destination, source) at once, all or none.
    BOOL AppendRecords(LPCWSTR name, const std::vector<std::pair<CString, CString>> &records);

    // Renames the journal of a renamed job; when the old one does not exist the new one is created empty.
    // 1 on success, 0 when the rename (or the creation) failed.
    BOOL Rename(LPCWSTR oldName, LPCWSTR newName);

    // Rewrites the journal of the job `name` after a file or folder was renamed: a record whose destination
    // is oldDestination or lies below it (oldDestination followed by a backslash; trailing backslashes
    // ignored, case ignored) gets newDestination in its place, and its source gets newSource in place of
    // oldSource when it is oldSource or lies below it; every other record is copied byte for byte. Records
    // after a bad record are dropped. 1 on success; 0 when the journal is missing, a file could not be opened
    // or written (the journal is then left as it was), or oldDestination is empty. Refused while a write
    // session is open.
    BOOL RecordRename(LPCWSTR name, LPCWSTR newDestination, LPCWSTR newSource, LPCWSTR oldDestination,
                      LPCWSTR oldSource);

    // In a writing session, before it closes: appends every record of the previous journal (the saved copy) whose
    // source is one of the folders or lies below one (trailing backslashes and case ignored) and whose destination
    // is still a file, unless this session has already written a record for that destination. A run that could
    // not list a folder thus keeps listing the copies that folder still has on the destination. The number of
    // records added; -1 when a file could not be read or a record not written.
    int KeepRecordsBelow(const std::vector<CString> &folders);

    // In a reading session: adds the destination of every record, in record order, to list (empty ones are
    // skipped), stopping at the first bad record. Returns the number added.
    int ReadAll(CStringList &list);

    int GetMode() const
    {
        return m_mode;
    }
    // Folder + name + ".restore"; empty for a name that is not a plain file name.
    CString GetJournalPath(LPCWSTR name) const;

  private:
    // Folder + name + suffix into path; false (with the last error set) for a bad name or a path too long.
    bool BuildPath(LPCWSTR name, LPCWSTR suffix, CString &path) const;
    // Writes whole records (each starting at one of starts) at the end of the journal, with their offsets filled
    // in; TRUE when all were written.
    BOOL WriteRecords(BYTE *records, size_t bytes, const std::vector<size_t> &starts);
    // Writes and forgets the queued records; TRUE when there were none or all were written.
    BOOL WriteQueued();

    // About 300 records of a backup run.
    static constexpr size_t kQueuedBlock = 65536;

    CKernelHandle m_file;
    std::vector<BYTE> m_queued;
    std::vector<size_t> m_queuedStarts;
    CString m_folder;
    CString m_name;
    int m_mode = ModeClosed;
};
