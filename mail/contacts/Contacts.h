// Backup and restore of Windows Contacts, the contact files of the user's "Contacts" folder:
//
//   root
//     "contact"
//       "contact"          CONTACTINFO per saved contact (GUID text, file name)
//       "<GUID text[30]>"  one stream per saved contact: the bytes it saves of itself
//
// A backup adds the contacts whose GUIDs the file lacks; a restore writes the files of the saved contacts
// whose GUIDs the collection lacks into the Contacts folder, and nowhere else.
#pragma once
#include <windows.h>

#include <vector>

#include "mail/contacts/ContactInterfaces.h"
#include "mail/storage/IndexRecords.h"
#include "platform/system/ComPtr.h"
#include "platform/system/Seam.h"
#include "platform/text/Collections.h"
#include "platform/text/String.h"

class CStorager;

using PFN_PROFILE_FOLDER = CString (*)();
// The user's profile folder; DefaultProfileFolder unless a test points it elsewhere.
extern Seam<PFN_PROFILE_FOLDER> g_pfnProfileFolder;
CString DefaultProfileFolder();
// The profile folder + "\Contacts".
CString ContactsFolder();

// Creates the contact manager, initialises it as "Postrel" 1.0 and asks it for the contact collection.
HRESULT OpenContacts(CComPtr<IContactCollection> &collection);
// The contact's id text (at most 519 characters).
BOOL ReadContactId(IContact *pContact, CString &strId);
// Takes the GUID text (between the first pair of double quotes, at most 49 characters) and the file name
// (after the last backslash, up to the last double quote, at most 99 characters) of an id text. FALSE when
// either is missing or empty.
BOOL ParseContactId(const CString &strId, CONTACTINFO &record);
// The GUID texts of the collection's contacts; a contact whose id text has none is left out.
BOOL ListContactIds(IContactCollection *pCollection, CStringArray &ids);
// The name of a contact's stream: the first 30 characters of its GUID text.
CString ContactStreamName(const wchar_t *pszGuid);
// A plain file name: not empty, not "." or "..", no \ / : * ? " < > | and no control character.
bool IsPlainFileName(const CString &strName);

// The "contact" index stream.
class ContactAssistant
{
  public:
    // Opens the index of the storager's top storage, creating it when asked.
    BOOL Open(CStorager &storager, BOOL bCreate);
    // Reads every record (a part record at the end is left out).
    BOOL ReadAll();
    BOOL Append(const CONTACTINFO &record);
    // TRUE when a record has that GUID text (compared without regard to case).
    BOOL Contains(const wchar_t *pszGuid) const;

    const std::vector<CONTACTINFO> &Records() const
    {
        return m_records;
    }

  private:
    CComPtr<IStream> m_stream;
    std::vector<CONTACTINFO> m_records;
};

// Completes strPath (MakeBackupFilePath; one of nMaxPath characters or more fails, 0: no limit) and saves the
// contacts that the file lacks.
BOOL BackupContacts(CString &strPath, int nMaxPath);
// Writes the saved contacts that the collection lacks into the Contacts folder; the file is only read.
BOOL RestoreContacts(LPCWSTR pszPath);
