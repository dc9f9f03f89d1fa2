// Two-way reconciliation of one pair of a two-way job (sync_type 2): the same name in two folders, A the side
// that changed or is being walked, B its counterpart. The two folders' list files (TesselDirText, the job's
// "JobUUID" as id) tell a name never seen in a folder from one seen there and removed since:
//
//   A      B      lists and first-pass byte                 action
//   -      -                                                the name leaves both lists
//   yes    -      in both lists, byte clear                 B was removed: A is deleted
//   yes    -      only in B's list, byte clear              nothing
//   yes    -      otherwise                                 A is copied to B
//   -      yes    in both lists, byte clear                 A was removed: B is deleted
//   -      yes    only in A's list, byte clear              nothing
//   -      yes    only in B's list, byte clear              B is deleted
//   -      yes    otherwise                                 B is copied to A
//   yes    yes                                              the newer copy (by more than 5 seconds of local
//                                                           time) replaces the older; within 5 s nothing
// A copy that succeeds, and a pair that is in step, lists the name where it is missing. While the first-pass
// byte is set (the first run of the job) nothing is deleted. A deletion that fails is logged (string 443) and
// undone by copying the copy that stayed back to the other side.
//
// A side counts as absent only when the system says its path is not found while its folder is there: a
// counterpart that cannot be looked at (a drive or share gone, access denied) is never taken for a deletion.
//
// Each copy or delete first marks the job busy for the main window and sets its refresh flag; the caller puts
// the job back to idle.
#pragma once
#include <windows.h>

#include "engine/continuous/TesselDirText.h"

class CSyncJob;

// Results: 1 the pair needs nothing more, 0 a copy failed or the pair was not examined.
//
// direction: 1 when the copy made or tried went from A to B, 0 from B to A; a caller queues a failed copy again
// in that direction. On result 0 the job's m_lastCopyError holds the system error of the failed copy, or 0
// when no copy was tried (the pair could not be looked at; the thread's last error says why).

// Opens both lists itself (and gives 0 without touching a file when either cannot be opened: a folder without
// write access, or a list another operation holds).
int ReconcilePair(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction);
// The same with both lists held open by the caller (the continuous-copy pass).
int ReconcilePairInLists(CSyncJob &job, LPCWSTR pathA, LPCWSTR pathB, DWORD &direction, TesselDirText &listA,
                         TesselDirText &listB);

// The name is in the list as a file or as a folder.
BOOL IsListed(const TesselDirText &list, LPCWSTR name);
// Takes the name out of the list as a file and as a folder.
void Unlist(TesselDirText &list, LPCWSTR name);

// A file time as whole seconds (local time through the time zone, daylight saving as the system decides); -1
// for a time that cannot be converted.
__int64 LocalWholeSeconds(const FILETIME &time);
// The newer of two copies by their last-write times: 1 when B is newer by 6 seconds or more, -1 when A is,
// 0 when they are within 5 seconds of each other; FALSE when a time cannot be converted.
BOOL CompareCopies(const FILETIME &timeA, const FILETIME &timeB, int &newer);

// Marks the job busy through the main window (or directly without one) and sets its refresh flag.
void MarkJobBusy(CSyncJob &job);
