#include "engine/program/NetPath.h"

#include <shlwapi.h>
#include <winnetwk.h>

#include <cwchar>
#include <string>

namespace
{

const int kMaxChars = kNetPathChars - 1;
// Computer names of this machine are NetBIOS names.
const int kMaxComputerName = 15;

CNetPathPlatform g_systemPlatform;

CNetPathPlatform &Platform()
{
    return *g_netPathPlatform.Get();
}

// Copies at most maxChars characters of text and the terminator.
void CopyBounded(LPWSTR out, LPCWSTR text, size_t maxChars)
{
    const size_t length = wcsnlen(text, maxChars);
    wmemcpy(out, text, length);
    out[length] = L'\0';
}

// Appends text to out so that out holds at most maxChars characters.
void AppendBounded(LPWSTR out, LPCWSTR text, size_t maxChars)
{
    const size_t used = wcslen(out);
    if (used < maxChars)
        CopyBounded(out + used, text, maxChars - used);
}

bool HasDriveLetter(LPCWSTR path)
{
    return path != nullptr && path[0] != L'\0' && path[1] == L':';
}

// Frees a buffer of the network answers when it goes out of scope.
class NetBuffer
{
  public:
    NetBuffer() = default;
    ~NetBuffer()
    {
        if (m_buffer != nullptr)
            Platform().FreeBuffer(m_buffer);
    }
    NetBuffer(const NetBuffer &) = delete;
    NetBuffer &operator=(const NetBuffer &) = delete;
    LPBYTE *Receive()
    {
        return &m_buffer;
    }
    template <typename T> const T *As() const
    {
        return reinterpret_cast<const T *>(m_buffer);
    }

  private:
    LPBYTE m_buffer = nullptr;
};

} // namespace

UINT CNetPathPlatform::DriveType(LPCWSTR root)
{
    return ::GetDriveTypeW(root);
}

DWORD CNetPathPlatform::RemoteName(LPCWSTR localName, LPWSTR remoteName, LPDWORD length)
{
    return ::WNetGetConnectionW(localName, remoteName, length);
}

DWORD CNetPathPlatform::UniversalName(LPCWSTR localPath, DWORD infoLevel, LPVOID buffer, LPDWORD bufferSize)
{
    return ::WNetGetUniversalNameW(localPath, infoLevel, buffer, bufferSize);
}

NET_API_STATUS CNetPathPlatform::WorkstationInfo(LPWSTR server, DWORD level, LPBYTE *buffer)
{
    return ::NetWkstaGetInfo(server, level, buffer);
}

NET_API_STATUS CNetPathPlatform::ShareInfo(LPWSTR server, LPWSTR share, DWORD level, LPBYTE *buffer)
{
    return ::NetShareGetInfo(server, share, level, buffer);
}

NET_API_STATUS CNetPathPlatform::FreeBuffer(LPVOID buffer)
{
    return ::NetApiBufferFree(buffer);
}

BOOL CNetPathPlatform::ComputerName(LPWSTR buffer, LPDWORD size)
{
    return ::GetComputerNameW(buffer, size);
}

DWORD CNetPathPlatform::Reconnect(LPCWSTR localName, LPCWSTR remoteName)
{
    NETRESOURCEW resource = {};
    resource.dwType = RESOURCETYPE_DISK;
    resource.lpLocalName = const_cast<LPWSTR>(localName);
    resource.lpRemoteName = const_cast<LPWSTR>(remoteName);
    return ::WNetAddConnection2W(&resource, nullptr, nullptr, 0);
}

Seam<CNetPathPlatform *> g_netPathPlatform{&g_systemPlatform};

UINT GetPathDriveType(LPCWSTR path)
{
    if (path == nullptr)
        return DRIVE_NO_ROOT_DIR;
    if (::PathIsUNCW(path))
        return DRIVE_REMOTE;
    if (!HasDriveLetter(path))
        return DRIVE_NO_ROOT_DIR;
    // Only the root: the type of a folder is the drive's under Wine but "no root" under Windows.
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return Platform().DriveType(root);
}

BOOL GetUncShareName(LPCWSTR unc, LPWSTR out)
{
    if (unc == nullptr || out == nullptr || wcsnlen(unc, 2) < 2)
        return FALSE;
    const wchar_t *serverEnd = wcschr(unc + 2, L'\\');
    if (serverEnd == nullptr)
        return FALSE;
    const wchar_t *shareEnd = wcschr(serverEnd + 1, L'\\');
    if (shareEnd == nullptr)
    {
        CopyBounded(out, serverEnd + 1, kMaxChars);
    }
    else
    {
        const size_t length = static_cast<size_t>(shareEnd - (serverEnd + 1));
        CopyBounded(out, serverEnd + 1, length < static_cast<size_t>(kMaxChars) ? length : kMaxChars);
    }
    return TRUE;
}

BOOL GetUncRemainder(LPCWSTR unc, LPWSTR out, int outSize)
{
    if (unc == nullptr || out == nullptr || outSize <= 0 || wcsnlen(unc, 3) < 3)
        return FALSE;
    const wchar_t *serverEnd = wcschr(unc + 3, L'\\');
    if (serverEnd == nullptr)
        return FALSE;
    const wchar_t *shareEnd = wcschr(serverEnd + 1, L'\\');
    if (shareEnd == nullptr)
        return FALSE;
    CopyBounded(out, shareEnd, static_cast<size_t>(outSize - 1));
    return TRUE;
}

BOOL MappedPathToUnc(LPCWSTR path, LPWSTR out)
{
    if (out == nullptr || !HasDriveLetter(path) || GetPathDriveType(path) != DRIVE_REMOTE)
        return FALSE;
    const wchar_t drive[] = {path[0], L':', L'\0'};
    wchar_t remote[kNetPathChars] = {};
    DWORD length = kNetPathChars;
    if (Platform().RemoteName(drive, remote, &length) != NO_ERROR)
        return FALSE;
    remote[kMaxChars] = L'\0';
    CopyBounded(out, remote, kMaxChars);
    if (path[2] != L'\0')
        AppendBounded(out, path + 2, kMaxChars);
    return TRUE;
}

BOOL CanonicalizeUncServer(LPWSTR unc)
{
    if (unc == nullptr || unc[0] != L'\\' || unc[1] != L'\\')
        return FALSE;
    wchar_t *serverEnd = wcschr(unc + 2, L'\\');
    std::wstring rest;
    if (serverEnd != nullptr)
    {
        rest = serverEnd;
        *serverEnd = L'\0';
    }
    NetBuffer answer;
    if (Platform().WorkstationInfo(unc, 100, answer.Receive()) != NERR_Success || answer.As<BYTE>() == nullptr)
    {
        if (serverEnd != nullptr)
            *serverEnd = L'\\';
        return FALSE;
    }
    const wchar_t *name = answer.As<WKSTA_INFO_100>()->wki100_computername;
    const size_t afterSlashes = kMaxChars - 2;
    CopyBounded(unc + 2, name != nullptr ? name : L"", afterSlashes);
    AppendBounded(unc + 2, rest.c_str(), afterSlashes);
    return TRUE;
}

BOOL UncToLocalSharePath(LPCWSTR unc, LPWSTR out)
{
    if (unc == nullptr || out == nullptr || wcsnlen(unc, 2) < 2)
        return FALSE;
    const wchar_t *serverStart = unc + 2;
    const wchar_t *serverEnd = wcschr(serverStart, L'\\');
    const size_t serverLength =
        serverEnd != nullptr ? static_cast<size_t>(serverEnd - serverStart) : wcslen(serverStart);
    if (serverLength > static_cast<size_t>(kMaxComputerName))
        return FALSE;
    wchar_t server[kMaxComputerName + 1];
    CopyBounded(server, serverStart, serverLength);

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD computerSize = MAX_COMPUTERNAME_LENGTH + 1;
    if (!Platform().ComputerName(computer, &computerSize))
        return FALSE;
    computer[MAX_COMPUTERNAME_LENGTH] = L'\0';
    if (::CompareStringOrdinal(server, -1, computer, -1, TRUE) != CSTR_EQUAL)
        return FALSE;

    wchar_t share[kNetPathChars];
    if (!GetUncShareName(unc, share))
        return FALSE;
    NetBuffer answer;
    if (Platform().ShareInfo(server, share, 502, answer.Receive()) != NERR_Success || answer.As<BYTE>() == nullptr)
        return FALSE;
    const wchar_t *local = answer.As<SHARE_INFO_502>()->shi502_path;
    CopyBounded(out, local != nullptr ? local : L"", kMaxChars);
    const int used = static_cast<int>(wcslen(out));
    if (!GetUncRemainder(unc, out + used, kNetPathChars - used))
        return FALSE;
    return ::GetFileAttributesW(out) != INVALID_FILE_ATTRIBUTES;
}

BOOL NormalizeNetworkPath(LPCWSTR path, LPWSTR out)
{
    if (out == nullptr)
        return FALSE;
    out[0] = L'\0';
    if (path == nullptr)
        return FALSE;
    BOOL result = TRUE;
    if (::PathIsUNCW(path))
    {
        CopyBounded(out, path, kMaxChars);
        CanonicalizeUncServer(out);
        // The incoming text, not the rewritten one: a share of this computer is asked for by the name the
        // path gives.
        result = UncToLocalSharePath(path, out);
    }
    else if (GetPathDriveType(path) == DRIVE_REMOTE)
    {
        // The answer structure and its text share one buffer of kNetPathChars bytes.
        union {
            UNIVERSAL_NAME_INFOW info;
            BYTE bytes[kNetPathChars];
        } answer;
        DWORD size = sizeof(answer.bytes);
        if (Platform().UniversalName(path, UNIVERSAL_NAME_INFO_LEVEL, &answer, &size) == NO_ERROR &&
            answer.info.lpUniversalName != nullptr)
        {
            const BYTE *text = reinterpret_cast<const BYTE *>(answer.info.lpUniversalName);
            // Only text inside the buffer is trusted.
            if (text >= answer.bytes && text < answer.bytes + sizeof(answer.bytes))
            {
                const size_t room = static_cast<size_t>(answer.bytes + sizeof(answer.bytes) - text) / sizeof(wchar_t);
                std::wstring name(answer.info.lpUniversalName, wcsnlen(answer.info.lpUniversalName, room));
                CopyBounded(out, name.c_str(), kMaxChars);
                CanonicalizeUncServer(out);
                wchar_t local[kNetPathChars];
                if (UncToLocalSharePath(out, local))
                    CopyBounded(out, local, kMaxChars);
            }
        }
    }
    if (out[0] == L'\0')
        CopyBounded(out, path, kMaxChars);
    return result;
}
