// Backup and restore of the mail users of the Windows Address Book's personal address book:
//
//   root
//     "addressbook"
//       "addressbook"   ADDRESSINFO per saved user (id, display name)
//       "<id>"          one stream per saved user: its property records (MailUser.h)
//
// A backup adds the users whose display names the file lacks; a restore creates the saved users whose
// display names the book lacks and never changes a user the book has. A user that fails makes the result 0
// but does not stop the others.
#pragma once
#include <windows.h>

#include <vector>

#include "mail/addressbook/BookInterfaces.h"
#include "platform/system/ComPtr.h"
#include "platform/system/Seam.h"
#include "platform/text/String.h"

class CBookRows;

using PFN_WAB32_PATH = CString (*)();
// The full path of the address-book library; DefaultWab32Path unless a test points it elsewhere.
extern Seam<PFN_WAB32_PATH> g_pfnWab32Path;
// The program files folder + "\Common Files\System\wab32.dll"; empty when the folder cannot be had.
CString DefaultWab32Path();

// Loads the library (it stays loaded) and opens the address book through WABOpen, without a window or flags.
BOOL OpenAddressBook(CComPtr<IAddrBook> &book, CComPtr<IWABObject> &wab);

// The personal address book: the library object, the book and its container, released in that order's
// reverse. Rows queried through it are to be destroyed before it.
class CAddressBook
{
  public:
    // Opens the book and its personal address book, which must be an address-book container.
    BOOL Open();
    // Every row of the container's contents: display name (UTF-16), entry id, object type.
    BOOL QueryContents(CBookRows &rows);
    // The user of that entry id, for reading.
    BOOL OpenUser(const SBinary &entryId, CComPtr<IMailUser> &user);
    // The container's template for new mail users, copied.
    BOOL ReadUserTemplate(std::vector<BYTE> &templateId);
    // A new mail user made from the template.
    BOOL CreateUser(std::vector<BYTE> &templateId, CComPtr<IMailUser> &user);

    IWABObject *Wab() const
    {
        return m_wab;
    }

  private:
    CComPtr<IWABObject> m_wab;
    CComPtr<IAddrBook> m_book;
    CComPtr<IABContainer> m_container;
};

// The columns of a contents row, in QueryContents' order.
enum
{
    BOOK_COLUMN_NAME,
    BOOK_COLUMN_ENTRYID,
    BOOK_COLUMN_TYPE
};
// The row's display name, empty when it has none.
CString BookRowName(const SRow &row);
// The row's object type, 0 when it has none.
ULONG BookRowType(const SRow &row);

// An index record keeps 59 characters of a display name, so names are told apart by those alone (case
// counts).
constexpr int ADDRESS_NAME_CHARS = 59;
bool SameIndexName(const CString &a, const CString &b);

// Completes strPath (MakeBackupFilePath; one of nMaxPath characters or more fails, 0: no limit) and saves
// every mail user of the personal address book that the file lacks.
BOOL BackupAddressBook(CString &strPath, int nMaxPath);
// Creates the users of the file that the book lacks; the file is only read.
BOOL RestoreAddressBook(LPCWSTR pszPath);
