// The rules of the main window's job commands that depend only on what they are given: the request a later start
// (or start-up itself) hands over by WM_COPYDATA, the pending paths it names, the filter files a deleted job
// leaves, and how a proposed destination folder meets the jobs' sources.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/text/Collections.h"
#include "platform/text/String.h"

class CSyncJob;
class CSyncJobList;

// A "--select" or "--create" request as the copy-data message carries it: the whole command line of the start.
struct CommandRequest
{
    // False: the text holds no ";" and is ignored altogether.
    bool valid = false;
    // START_MODE_SELECT, START_MODE_CREATE or START_MODE_NONE (app/start/QordelStartRules.h).
    int mode = 0;
    // What follows the mode word and its blank, through the last ";": paths separated and ended by ";".
    CString paths;
};

// The message's text: at most cbData / 2 characters, up to the first zero; empty for null data. The sender's
// buffer is the sender's only while the message is handled: the text is a copy.
CString CopyDataText(const void *data, DWORD cbData);
// The request of a command line: its words are split at blanks, and the first word before the last ";" that is
// "--select" or "-s" (a select) or "--create" or "-c" (a create) gives the mode; a word must stand alone to
// count, so a path that holds "-s " is no mode word.
CommandRequest ParseCommandRequest(const CString &text);
// The pending paths of a request's path text, in order: the text is split at ";" and ends at the first empty
// piece; a piece that names nothing existing is dropped; a folder ends in exactly one backslash.
void FillPendingPaths(const CString &paths, CStringArray &pending);

// The job's own filter files in the filter folder, its "JobUUID" followed by "_1.xml" and by "_2.xml"; none for a
// JobUUID that is empty or could name another file (a separator, a drive colon, "..", a wildcard).
std::vector<CString> JobFilterFilesOf(const CString &jobUuid);

// How the proposed destination folder path of job meets the sources (letter case and trailing backslashes
// aside): -1 at once for a job with a source or destination agent; 1 when it is one of the job's own sources,
// 2 when it lies inside one or holds one (every child of the job's element with a "path" is looked at, whatever
// the job keeps of full paths), and 2 too for a two-way job's folder that meets the program's folder, its data
// folder or another job's destination (FindTwoWayPlaceClash); then, over the other jobs of the collection, 3 when
// it lies inside one of their sources, or holds one while neither job keeps full paths; else -1. A folder equal to
// another job's source is no clash. job may be a job the collection does not hold yet (the wizard's) or null.
int ClassifyDestination(const CSyncJobList &jobs, CSyncJob *job, LPCWSTR path);
