#include "platform/system/CopyFile.h"

#include "platform/system/Handles.h"

#include <memory>
#include <new>

Seam<PFN_COPY_FILE_EX> g_pfnCopyFileEx{&CopyFileWithProgress};

namespace
{

// The attributes that SetFileAttributesW accepts; the others describe how a file is stored.
constexpr DWORD SETTABLE_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// The target while it is being written: deleted on every way out except success and PROGRESS_STOP.
class PartialTarget
{
  public:
    PartialTarget(LPCWSTR path, HANDLE file) : m_path(path), m_file(file)
    {
    }
    ~PartialTarget()
    {
        if (m_file.IsValid())
            Discard();
    }
    PartialTarget(const PartialTarget &) = delete;
    PartialTarget &operator=(const PartialTarget &) = delete;

    HANDLE Handle() const
    {
        return m_file.Get();
    }

    // Deletes what was written and fails with the given code.
    BOOL Fail(DWORD error)
    {
        Discard();
        SetLastError(error);
        return FALSE;
    }
    // Keeps what was written (PROGRESS_STOP) and fails as aborted.
    BOOL Stop()
    {
        m_file.Close();
        SetLastError(ERROR_REQUEST_ABORTED);
        return FALSE;
    }
    // Closes the finished target.
    void Keep()
    {
        m_file.Close();
    }

  private:
    void Discard()
    {
        m_file.Close();
        ::DeleteFileW(m_path);
    }

    LPCWSTR m_path;
    CKernelHandle m_file;
};

FILETIME ToFileTime(const LARGE_INTEGER &time)
{
    FILETIME result;
    result.dwLowDateTime = time.LowPart;
    result.dwHighDateTime = static_cast<DWORD>(time.HighPart);
    return result;
}

bool IsCancelled(const BOOL *pbCancel)
{
    return pbCancel != nullptr && *static_cast<const volatile BOOL *>(pbCancel) != FALSE;
}

bool WriteAll(HANDLE file, const BYTE *data, DWORD size)
{
    while (size > 0)
    {
        DWORD written = 0;
        if (!::WriteFile(file, data, size, &written, nullptr))
            return false;
        if (written == 0)
        {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

BOOL WINAPI CopyFileWithProgress(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName,
                                 LPPROGRESS_ROUTINE lpProgressRoutine, LPVOID lpData, LPBOOL pbCancel,
                                 DWORD dwCopyFlags)
{
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr || *lpExistingFileName == L'\0' ||
        *lpNewFileName == L'\0')
        return Fail(ERROR_INVALID_PARAMETER);

    // Sharing read access only: a source that someone is still writing is refused, not copied half-written.
    CKernelHandle source(::CreateFileW(lpExistingFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid())
        return FALSE;
    // Times, attributes and size only: the full by-handle record also asks for the volume's serial number,
    // which under Wine costs more than copying a small file.
    FILE_BASIC_INFO sourceInfo = {};
    LARGE_INTEGER total = {};
    if (!::GetFileInformationByHandleEx(source, FileBasicInfo, &sourceInfo, sizeof(sourceInfo)) ||
        !::GetFileSizeEx(source, &total))
        return FALSE;
    if (sourceInfo.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED);

    // A cancel that came before the copy leaves an existing target alone.
    if (IsCancelled(pbCancel))
        return Fail(ERROR_REQUEST_ABORTED);

    const bool failIfExists = (dwCopyFlags & COPY_FILE_FAIL_IF_EXISTS) != 0;
    // A new file is made with CREATE_NEW, which refuses any name that is taken: the name is looked up only when
    // that fails. A name that is not there costs the most to look up (a folder search that ignores case).
    const DWORD existing = failIfExists ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(lpNewFileName);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return Fail(ERROR_ACCESS_DENIED);
    // Replacing a hidden or system file is refused unless the new file is created with the same two attributes.
    DWORD createAttributes =
        existing != INVALID_FILE_ATTRIBUTES ? existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) : 0;
    if (createAttributes == 0)
        createAttributes = FILE_ATTRIBUTE_NORMAL;
    HANDLE created = ::CreateFileW(lpNewFileName, GENERIC_WRITE, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                                   createAttributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (created == INVALID_HANDLE_VALUE)
    {
        // Whatever holds the name (a file, read-only or not, or a folder), a taken name is "file exists".
        const DWORD error = ::GetLastError();
        if (failIfExists && ::GetFileAttributesW(lpNewFileName) != INVALID_FILE_ATTRIBUTES)
            return Fail(ERROR_FILE_EXISTS);
        return Fail(error);
    }
    PartialTarget target(lpNewFileName, created);

    // A small file gets a buffer of its own size: a fresh 1 MB block per call is mapped and unmapped by the
    // heap each time, which costs more than copying a typical small file.
    DWORD chunk = COPY_CHUNK_SIZE;
    if (total.QuadPart < COPY_CHUNK_SIZE)
        chunk = (static_cast<DWORD>(total.QuadPart) + 4096) & ~DWORD(4095);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[chunk]);
    if (!buffer)
        return target.Fail(ERROR_NOT_ENOUGH_MEMORY);
    LARGE_INTEGER done;
    done.QuadPart = 0;
    bool quiet = lpProgressRoutine == nullptr;

    // Returns true to go on; otherwise the copy has ended and *result holds what to return.
    auto report = [&](DWORD reason, BOOL *result) -> bool {
        if (quiet)
            return true;
        DWORD answer = lpProgressRoutine(total, done, total, done, 1, reason, source.Get(), target.Handle(), lpData);
        switch (answer)
        {
        case PROGRESS_CANCEL:
            *result = target.Fail(ERROR_REQUEST_ABORTED);
            return false;
        case PROGRESS_STOP:
            *result = target.Stop();
            return false;
        case PROGRESS_QUIET:
            quiet = true;
            return true;
        default:
            return true;
        }
    };

    BOOL result = FALSE;
    if (!report(CALLBACK_STREAM_SWITCH, &result))
        return result;

    // Read to the end of the file rather than to the size seen at the start: a file that grows meanwhile is
    // copied whole, and the reported total grows with it.
    for (bool first = true;; first = false)
    {
        DWORD got = 0;
        if (!::ReadFile(source, buffer.get(), chunk, &got, nullptr))
            return target.Fail(::GetLastError());
        if (got == 0 && !first)
            break;
        if (IsCancelled(pbCancel))
            return target.Fail(ERROR_REQUEST_ABORTED);
        if (!WriteAll(target.Handle(), buffer.get(), got))
            return target.Fail(::GetLastError());
        done.QuadPart += got;
        if (done.QuadPart > total.QuadPart)
            total = done;
        if (!report(CALLBACK_CHUNK_FINISHED, &result))
            return result;
        if (got == 0)
            break;
    }

    // Times and attributes in one call through the open handle: a read-only attribute set first would make the
    // times unwritable, and setting the attributes by name after the close opens the file once more.
    DWORD attributes = sourceInfo.FileAttributes & SETTABLE_ATTRIBUTES;
    FILE_BASIC_INFO basic = {};
    basic.CreationTime = sourceInfo.CreationTime;
    basic.LastAccessTime = sourceInfo.LastAccessTime;
    basic.LastWriteTime = sourceInfo.LastWriteTime;
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(target.Handle(), FileBasicInfo, &basic, sizeof(basic)))
    {
        // Some file systems take the times but not the attributes through a handle: the old way, one by one.
        const FILETIME creation = ToFileTime(basic.CreationTime);
        const FILETIME accessed = ToFileTime(basic.LastAccessTime);
        const FILETIME written = ToFileTime(basic.LastWriteTime);
        ::SetFileTime(target.Handle(), &creation, &accessed, &written);
        target.Keep();
        ::SetFileAttributesW(lpNewFileName, basic.FileAttributes);
    }
    target.Keep();
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
