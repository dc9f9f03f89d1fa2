#include "platform/system/FileAttributes.h"

BOOL AfxSetFileAttributes(LPCWSTR path, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0 || attributes == FILE_ATTRIBUTE_READONLY)
        return ::SetFileAttributesW(path, attributes);
    DWORD rest = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!::SetFileAttributesW(path, rest != 0 ? rest : FILE_ATTRIBUTE_NORMAL))
        return FALSE;
    return ::SetFileAttributesW(path, attributes);
}
