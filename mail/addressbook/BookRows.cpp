#include "mail/addressbook/BookRows.h"

#include "mail/frame/Trace.h"

namespace
{

// Rows asked for at a time.
constexpr LONG kRowsPerQuery = 50;

} // namespace

void FreeBookRows(IWABObject *pWab, LPSRowSet pRows)
{
    if (pWab == nullptr || pRows == nullptr)
        return;
    for (ULONG i = 0; i < pRows->cRows; ++i)
        if (pRows->aRow[i].lpProps != nullptr)
            pWab->FreeBuffer(pRows->aRow[i].lpProps);
    pWab->FreeBuffer(pRows);
}

HRESULT SetOneBookProp(IMAPIProp *pProp, const SPropValue &value)
{
    return pProp->SetProps(1, const_cast<LPSPropValue>(&value), nullptr);
}

CBookRows::~CBookRows()
{
    Free();
}

void CBookRows::Free()
{
    for (LPSRowSet set : m_sets)
        FreeBookRows(m_wab, set);
    m_sets.clear();
    m_rows.clear();
}

HRESULT CBookRows::QueryAll(IMAPITable *pTable, LPSPropTagArray pColumns)
{
    Free();
    HRESULT hr = S_OK;
    POSTREL_STEP(hr, pTable->SetColumns(pColumns, 0));
    POSTREL_STEP(hr, pTable->SeekRow(BOOKMARK_BEGINNING, 0, nullptr));
    while (SUCCEEDED(hr))
    {
        LPSRowSet set = nullptr;
        hr = POSTREL_CALL(pTable->QueryRows(kRowsPerQuery, 0, &set));
        if (FAILED(hr) || set == nullptr)
            break;
        m_sets.push_back(set);
        if (set->cRows == 0)
            break;
        for (ULONG i = 0; i < set->cRows; ++i)
            m_rows.push_back(&set->aRow[i]);
    }
    if (FAILED(hr))
        Free();
    return hr;
}
