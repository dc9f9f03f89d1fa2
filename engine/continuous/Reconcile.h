// Two-way reconciliation of one pair of a two-way job (sync_type 2): the same name in two folders, A the side
// that changed or is being walked, B its counterpart. The two folders' list files (TesselDirText, the job's
// "JobUUID" as id) tell a name never seen in a folder from one seen there and removed since. A name enters a
// list only once it stands on both sides (its copy succeeded, or the pair was found in step), so only a name
// that both lists hold was ever in step, and only such a name can have been removed by the user:
//
//   A      B      lists and first-pass byte                 action
//   -      -                                                the name leaves both lists
//   yes    -      in both lists, byte clear                 B was removed: the removal is carried over to A
//   -      yes    in both lists, byte clear                 A was removed: the removal is carried over to B
//   yes    -      otherwise                                 A is copied to B
//   -      yes    otherwise                                 B is copied to A
//   yes    yes                                              the newer copy replaces the older (CompareCopies);
//                                                           copies in step are listed on both sides; a pair
//                                                           never in step goes by the job's overwrite choice
//                                                           (OverwriteChoice)
// A side whose list does not hold the name is new to it (a new or refilled destination, a list that lost the
// line): nothing there was removed, so the copy that stands is copied over, never deleted.
//
// Carrying a removal over (CarryOverRemoval, RemovalRules.h) deletes the surviving copy only when it was not
// written after the time its list line holds (the pair as the job last had it in step): a copy written since is
// kept and copied back. A pair found or put in step gets that time in both lists (the later of its two copies'
// last-write times). While the first-pass byte is set (the first run of the job) nothing is deleted. A deletion
// that fails is logged (string 443) and undone by copying the copy that stayed back to the other side. Every
// deletion, and every copy that replaces a file on either side, writes one line in the job's log.
//
// A side counts as absent only when the system says its path is not found while its folder is there: a
// counterpart that cannot be looked at (a drive or share gone, access denied) is never taken for a deletion.
//
// Every copy goes through the task runner's safe replace (CopyFileViaTemp): a copy that fails leaves the old
// copy whole and both lists as they were. Each copy or delete first marks the job busy for the main window and
// sets its refresh flag; the caller puts the job back to idle.
#pragma once
#include <windows.h>

#include "engine/continuous/TesselDirText.h"
#include "platform/text/String.h"

class CSyncJob;

// Which path of a pair lies in the job's source folder (the user's own data); the other is its copy.
enum class PairSource
{
    A,
    B
};

// Asked before a reconciliation replaces or deletes a file (a replacement once its new copy stands whole beside
// it): TRUE lets it go ahead (the guard has kept what it needs of it, a revision); FALSE leaves the file and the
// pair as they are, the guard having reported why. removed: for a deletion, the path whose removal it carries
// over; empty when the file is to be replaced.
class IReplaceGuard
{
  public:
    virtual bool BeforeReplace(const CString &file, const CString &removed) = 0;

  protected:
    IReplaceGuard() = default;
    ~IReplaceGuard() = default;
    IReplaceGuard(const IReplaceGuard &) = delete;
    IReplaceGuard &operator=(const IReplaceGuard &) = delete;
};

// Results: 1 the pair needs nothing more (also when a guard left it), 0 a copy failed or the pair was not
// examined.
//
// direction: 1 when the copy made or tried went from A to B, 0 from B to A; a caller queues a failed copy again
// in that direction. On result 0 the job's m_lastCopyError holds the system error of the failed copy, or 0
// when no copy was tried (the pair could not be looked at; the thread's last error says why).

// Opens both lists itself (and gives 0 without touching a file when either cannot be opened: a missing folder,
// a folder without write access, or a list another operation holds). Which side is the source follows from
// the job's sources.
int ReconcilePair(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction, IReplaceGuard *guard = nullptr);
// The same with both lists held open by the caller (the continuous-copy pass), which says which side is the
// source.
int ReconcilePairInLists(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction, TesselDirText &listA,
                         TesselDirText &listB, PairSource source, IReplaceGuard *guard = nullptr);

// The name is in the list as a file or as a folder.
BOOL IsListed(const TesselDirText &list, LPCWSTR name);
// Takes the name out of the list as a file and as a folder.
void Unlist(TesselDirText &list, LPCWSTR name);

// A file time as whole seconds (local time through the time zone, daylight saving as the system decides); -1
// for a time that cannot be converted.
__int64 LocalWholeSeconds(const FILETIME &time);

// Which of two copies of a file is the newer one.
enum class NewerCopy
{
    Same,     // in step: nothing to copy
    A,        // A replaces B
    B,        // B replaces A
    Conflict, // different sizes, one time: neither is known to be newer
};
// By their last-write times in whole seconds of local time: 6 seconds or more apart, the later is newer. Within
// 5 seconds copies of one size are the same; of different sizes the later time (to the file system's own
// precision) is newer, and with equal times they are in conflict. FALSE when a time cannot be converted.
BOOL CompareCopies(const WIN32_FILE_ATTRIBUTE_DATA &a, const WIN32_FILE_ATTRIBUTE_DATA &b, NewerCopy &newer);

// The overwrite choice of a folder-to-folder job ("ow_type", asked when the job was made) over a pair that stands on
// both sides but was never in step (the job's first pass, or a pair the choice kept apart before):
//   1  the newer copy replaces the older (newer as CompareCopies found it); so does a job without the choice (0)
//   2  the source's copy replaces the other, whichever is newer
//   3  neither is replaced: keptApart is set, and the pair stays out of the lists (nothing is copied)
// Copies in step (Same) stay so whatever the choice. Before a copy replaces another, the copy it replaces is kept as
// a revision when the job keeps revisions (the pass keeps it first; change processing through its guard).
NewerCopy OverwriteChoice(int owType, NewerCopy newer, PairSource source, bool &keptApart);

// What the reconciliation does with a pair that stands on both sides: CompareCopies, turned by the job's overwrite
// choice when the pair is not in step (inStep: both lists name it and it is not the job's first pass). FALSE when
// a time cannot be converted.
BOOL DecideBothPresent(CSyncJob &job, const WIN32_FILE_ATTRIBUTE_DATA &a, const WIN32_FILE_ATTRIBUTE_DATA &b,
                       bool inStep, PairSource source, NewerCopy &newer, bool &keptApart);
// inStep of DecideBothPresent for a caller that does not hold the pair's lists: both lists name the file of pathA
// (a list that cannot be read names nothing) and it is not the job's first pass.
bool IsPairInStep(CSyncJob &job, const CString &pathA, const CString &pathB);

// Whether path lies in one of the job's source folders (as its "path" names it, case ignored).
bool IsInJobSource(CSyncJob &job, LPCWSTR path);

// Marks the job busy through the main window (or directly without one) and sets its refresh flag.
void MarkJobBusy(CSyncJob &job);
