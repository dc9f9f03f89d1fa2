// CStorager: the one way into a backup file. It keeps a stack of open storages, the file's root at the
// bottom and the storage last entered on top; every stream and storage operation works on the top.
//
// Every operation returns 1 or 0 and keeps the result code of the last platform call (or E_INVALIDARG /
// E_POINTER that it set itself) for GetResult. Something is created only where the caller asks for it, and
// only where nothing of that name exists: an element that exists but cannot be opened (damaged, locked, of
// the other kind) is never replaced.
#pragma once
#include <objidl.h>
#include <windows.h>

#include <vector>

class CStorager
{
  public:
    CStorager();
    virtual ~CStorager();
    CStorager(const CStorager &) = delete;
    CStorager &operator=(const CStorager &) = delete;

    // Releases the stack and opens the file: read/write and exclusive, or, with bReadOnly, for reading while
    // others may read too; then nothing below it is ever created. A missing file is created when bCreate is
    // set (not in read mode); a file whose structure is damaged is refused (STG_E_DOCFILECORRUPT).
    BOOL Open(LPCWSTR pszPath, BOOL bCreate, BOOL bReadOnly = FALSE);
    // Releases the stack and creates the file, replacing one that exists.
    BOOL Create(LPCWSTR pszPath);

    // Enters a new sub-storage of the top (one of that name is replaced). E_POINTER on an empty stack.
    BOOL CreateStorage(LPCWSTR pszName);
    // Enters the sub-storage of the top, creating it when it is missing (never in read mode).
    BOOL OpenStorage(LPCWSTR pszName);
    // Leaves the top storage. E_INVALIDARG on an empty stack.
    BOOL CloseStorage();

    // Opens a stream of the top, creating it when it is missing and bCreate is set (never in read mode).
    // E_INVALIDARG on an empty stack.
    BOOL OpenStream(IStream **ppStream, LPCWSTR pszName, BOOL bCreate);
    // Creates a stream of the top (one of that name is replaced). E_INVALIDARG on an empty stack.
    BOOL CreateStream(IStream **ppStream, LPCWSTR pszName);

    // Copies the whole named stream of the top into the target at its current position.
    BOOL CopyStreamTo(IStream *pTarget, LPCWSTR pszName);
    // Writes the source, from its current position to its end, into the named stream of the top (opened or
    // created), which ends where the copy ends. A null source succeeds without doing anything.
    BOOL SaveStream(IStream *pSource, LPCWSTR pszName);

    HRESULT GetResult() const
    {
        return m_hr;
    }
    int GetDepth() const
    {
        return static_cast<int>(m_stack.size());
    }
    BOOL IsReadOnly() const
    {
        return m_bReadOnly;
    }

  private:
    void ReleaseAll();
    IStorage *Top() const
    {
        return m_stack.empty() ? nullptr : m_stack.back();
    }
    DWORD ChildMode() const;

    std::vector<IStorage *> m_stack;
    HRESULT m_hr;
    BOOL m_bReadOnly;
};
