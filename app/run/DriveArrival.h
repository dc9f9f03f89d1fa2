// Drives that come and go: what a WM_DEVICECHANGE says, and the walk over the jobs when a drive arrives. Jobs know
// their drives by the identity in each drive's marker (DriveMarker.h), not by letter: an arriving drive that holds
// a job's sources or destination gets the job's paths rewritten to its present letter, its watches back and the
// job enabled.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "engine/program/VolumeChange.h"
#include "platform/system/XmlDom.h"
#include "platform/text/String.h"

class CDirectoryChangeHandler;
class CSyncJob;
class CSyncJobList;
class IDirectoryWatch;

// The notifications an arriving drive's sources are watched for: names of files and folders, last write and
// creation (FILE_NOTIFY_CHANGE_FILE_NAME | DIR_NAME | LAST_WRITE | CREATION).
constexpr DWORD kArrivedSourceWatchFilter = 0x4b;

// The fixed question asked before a disabled job on an arrived drive is enabled.
extern const wchar_t kAskEnableJob[];

// The identity of the drive a "src" element lies on: its "uuid" when it has one, else the drive's marker is read,
// or made with a new identity, and written to the element ("uuid", "hassrc" 1). Empty when the element's "path"
// does not begin with a drive letter or no identity could be read or made.
CString EnsureSourceDriveId(IXMLDOMElement *source);

// What the walk asks of the main window.
struct DriveArrivalActions
{
    // Watches for the arrived sources of on-change jobs; null watches nothing.
    IDirectoryWatch *watch = nullptr;
    CDirectoryChangeHandler *handler = nullptr;
    // Enables (or disables) the job, logged, as the main window's enable command does.
    std::function<void(CSyncJob *job, BOOL enable, BOOL fromQuestion)> setJobEnabled;
    // Starts an enabled on-change job when the window runs a backup and the job is idle; a running job is left
    // alone.
    std::function<void(CSyncJob *job)> startIdleJob;
};

// The walk over the collection when the drive of the letter arrived: each job's sources on that drive get the
// letter (and their watches, for an on-change job); a job with such a source, or whose destination is on it, gets
// its destination's letter, with every source's destination (CSyncJob::MoveDestinationToDrive), and is enabled: a
// disabled job after a Yes to kAskEnableJob. An identity that two drives carry moves nothing (logged in the job's
// log). The number of jobs whose paths moved, for the caller to save the store.
int ApplyDriveArrival(CSyncJobList &jobs, wchar_t letter, const DriveArrivalActions &actions);
