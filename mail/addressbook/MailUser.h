// One mail user of the address book and the property records of its stream in a backup file: each record is
// the property tag as a value of type 19 (unsigned 32-bit), then the property's value (ValueStream.h):
//
//   MAPI type              written as
//   2  16-bit integer      2
//   3  32-bit integer      3
//   4  32-bit float        4
//   5  64-bit float        5
//   6  currency            20, its 8 bytes
//   7  application time    5
//   11 boolean             18, its 16-bit value
//   20 64-bit integer      20
//   30 8-bit string        8, converted to UTF-16 with the thread's ANSI code page (and back)
//   31 UTF-16 string       8
//
// Properties of any other type are neither written nor read.
#pragma once
#include <objidl.h>

#include <memory>

#include "mail/addressbook/BookInterfaces.h"
#include "platform/system/ComPtr.h"

class MailUser
{
  public:
    MailUser(IMailUser *pUser, IWABObject *pWab) : m_user(pUser), m_wab(pWab)
    {
    }
    virtual ~MailUser() = default;

    // Writes the user's properties of the saved types in the order the book gives them; FALSE when they
    // cannot be had or a record cannot be written (no later record is written then).
    BOOL Save(IStream *pStream);
    // Sets the records of the stream on the user, then saves the user's changes (a user half set is kept).
    // FALSE unless every record was read and set: a damaged record, a part record at the end or a type that
    // is not saved ends the reading.
    BOOL Load(IStream *pStream);

    // One property that writes and reads itself; the value is the caller's (the book's buffer on a save, a
    // record being read on a load).
    class IPersistPropValue
    {
      public:
        explicit IPersistPropValue(SPropValue *pValue) : m_value(pValue)
        {
        }
        virtual ~IPersistPropValue() = default;
        // Reads the value record and sets the property on the user.
        virtual HRESULT Load(IStream *pStream, IMailUser *pUser);
        // Writes the tag record and then the value record.
        virtual HRESULT Save(IStream *pStream);

      protected:
        virtual HRESULT LoadPropValue(IStream *pStream, IMailUser *pUser) = 0;
        virtual HRESULT SavePropValue(IStream *pStream) = 0;
        // Sets the value on the user, or, after a failed read (hrRead), reports the setting as skipped.
        HRESULT SetOnUser(IMailUser *pUser, HRESULT hrRead);

        SPropValue *m_value;
    };

    class CPropValueI2;
    class CPropValueLong;
    class CPropValueR4;
    class CPropValueDouble;
    class CPropValueCurrency;
    class CPropValueAPPTIME;
    class CPropValueBoolean;
    class CPropValueI8;
    class CPropValueSTRING8;
    class CPropValueUNICODE;

    // The persister of the property's type (the low 16 bits of its tag); none for a type that is not saved.
    static std::unique_ptr<IPersistPropValue> CreatePropValue(SPropValue *pValue);

  private:
    CComPtr<IMailUser> m_user;
    IWABObject *m_wab;
};
