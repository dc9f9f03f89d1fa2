// Network paths in one comparable form: a mapped drive path becomes its UNC form, the server part of a UNC
// path becomes the server's own computer name, and a share of this computer becomes the folder behind it.
// Every "out" buffer holds kNetPathChars characters (260 and the terminator); no function writes past it.
#pragma once
#include <windows.h>
#include <lm.h>

#include "platform/system/Seam.h"

const int kNetPathChars = 261;

// The platform queries the functions rely on. The default answers come from the system; tests put answers
// of their own in place, since the test machines have no shares or mapped drives.
class CNetPathPlatform
{
  public:
    virtual ~CNetPathPlatform() = default;
    // Drive type of a drive root such as "X:\".
    virtual UINT DriveType(LPCWSTR root);
    // WNetGetConnectionW: the remote name of a drive such as "X:".
    virtual DWORD RemoteName(LPCWSTR localName, LPWSTR remoteName, LPDWORD length);
    // WNetGetUniversalNameW.
    virtual DWORD UniversalName(LPCWSTR localPath, DWORD infoLevel, LPVOID buffer, LPDWORD bufferSize);
    // NetWkstaGetInfo and NetShareGetInfo; their buffers are released through FreeBuffer.
    virtual NET_API_STATUS WorkstationInfo(LPWSTR server, DWORD level, LPBYTE *buffer);
    virtual NET_API_STATUS ShareInfo(LPWSTR server, LPWSTR share, DWORD level, LPBYTE *buffer);
    virtual NET_API_STATUS FreeBuffer(LPVOID buffer);
    // GetComputerNameW.
    virtual BOOL ComputerName(LPWSTR buffer, LPDWORD size);
    // WNetAddConnection2W of a disk resource: the drive (such as "X:") to the remote name, without user name,
    // password or flags. The system error (0 on success).
    virtual DWORD Reconnect(LPCWSTR localName, LPCWSTR remoteName);
};

// The answers in use: the system's unless a test has put a set of its own in place.
extern Seam<CNetPathPlatform *> g_netPathPlatform;

// Drive type of the drive a path lies on, asked of its root ("X:\"); DRIVE_REMOTE for a UNC path and
// DRIVE_NO_ROOT_DIR for a path without a drive.
UINT GetPathDriveType(LPCWSTR path);

// The share name of a UNC path. FALSE (out untouched) when the path has no share name.
BOOL GetUncShareName(LPCWSTR unc, LPWSTR out);
// The remainder after the server and share names, from the backslash that ends the share name, in at most
// outSize - 1 characters. FALSE (out untouched) when there is none.
BOOL GetUncRemainder(LPCWSTR unc, LPWSTR out, int outSize);
// A path on a network-mapped drive letter in UNC form.
BOOL MappedPathToUnc(LPCWSTR path, LPWSTR out);
// Rewrites the server part of a UNC path in place with the server's computer name; the path is unchanged
// when the server does not answer.
BOOL CanonicalizeUncServer(LPWSTR unc);
// The local folder behind a UNC path that names a share of this computer; TRUE when that folder exists.
BOOL UncToLocalSharePath(LPCWSTR unc, LPWSTR out);
// The comparable form of any path. FALSE only when a UNC path is not an existing folder of a share of this
// computer; callers use the text in out either way.
BOOL NormalizeNetworkPath(LPCWSTR path, LPWSTR out);
