// The library's own table helpers over the address book (named apart from the platform's MAPI utilities,
// which are not used): all rows of a table, one property set, and the rows freed as the book wants them.
#pragma once
#include <vector>

#include "mail/addressbook/BookInterfaces.h"

// Frees one row set: each row's property array, then the set, with the library object's FreeBuffer.
void FreeBookRows(IWABObject *pWab, LPSRowSet pRows);

// Sets one property on the object (SetProps of one value without a problem array).
HRESULT SetOneBookProp(IMAPIProp *pProp, const SPropValue &value);

// Every row of a table: SetColumns, SeekRow to the beginning, then QueryRows until it yields no row. The row
// sets stay held (and are freed with the library object) until the rows are destroyed.
class CBookRows
{
  public:
    explicit CBookRows(IWABObject *pWab) : m_wab(pWab)
    {
    }
    ~CBookRows();
    CBookRows(const CBookRows &) = delete;
    CBookRows &operator=(const CBookRows &) = delete;

    HRESULT QueryAll(IMAPITable *pTable, LPSPropTagArray pColumns);

    size_t GetCount() const
    {
        return m_rows.size();
    }
    const SRow &operator[](size_t index) const
    {
        return *m_rows[index];
    }

  private:
    void Free();

    IWABObject *m_wab;
    std::vector<LPSRowSet> m_sets;
    std::vector<const SRow *> m_rows;
};
