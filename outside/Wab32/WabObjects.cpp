// The stand-in's objects: the library object, the address book, its personal address book container, the
// contents table and the entries, over the book file.
#include "mail/addressbook/BookInterfaces.h"
#include "outside/Wab32/BookFile.h"
#include "outside/Wab32/Wab32StandIn.h"
#include "outside/common/CallScript.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace wabstandin
{

namespace
{

struct State
{
    std::mutex lock;
    std::wstring book;
    standin::CallScript script;
};

State &TheState()
{
    static State state;
    return state;
}

std::wstring BookPath()
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    return state.book;
}

// Counts the call; true (with hr) when a script makes this call fail. "SetProps" is scripted by tag.
bool Scripted(const std::wstring &call, HRESULT &hr, ULONG tag = 0)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    return call == L"SetProps" ? state.script.HitKeyed(call, tag, hr) : state.script.Hit(call, hr);
}

// Entry ids: four flag bytes, a kind ('P' the personal address book, 'T' the template of new users, 'E' an
// entry) and the entry's id.
#pragma pack(push, 1)
struct StandInEntryId
{
    BYTE flags[4];
    BYTE kind;
    DWORD id;
};
#pragma pack(pop)

HRESULT MakeEntryId(BYTE kind, DWORD id, void *parent, SBinary &binary)
{
    StandInEntryId value = {{0, 0, 0, 0}, kind, id};
    void *block = nullptr;
    HRESULT hr = parent != nullptr ? AllocateMore(sizeof(value), parent, &block) : Allocate(sizeof(value), &block);
    if (FAILED(hr))
        return hr;
    memcpy(block, &value, sizeof(value));
    binary.cb = sizeof(value);
    binary.lpb = static_cast<LPBYTE>(block);
    return S_OK;
}

bool ReadEntryId(ULONG cb, const void *data, BYTE &kind, DWORD &id)
{
    if (cb != sizeof(StandInEntryId) || data == nullptr)
        return false;
    StandInEntryId value;
    memcpy(&value, data, sizeof(value));
    kind = value.kind;
    id = value.id;
    return true;
}

std::string WideOf(const std::string &narrow)
{
    const int units =
        ::MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    std::string bytes(static_cast<size_t>(units) * 2, '\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, narrow.data(), static_cast<int>(narrow.size()),
                          reinterpret_cast<wchar_t *>(&bytes[0]), units);
    return bytes;
}

// Copies bytes with a terminator of termination bytes into memory chained to parent.
HRESULT CopyBytes(const std::string &bytes, size_t termination, void *parent, void **copy)
{
    HRESULT hr = AllocateMore(static_cast<ULONG>(bytes.size() + termination), parent, copy);
    if (SUCCEEDED(hr) && !bytes.empty())
        memcpy(*copy, bytes.data(), bytes.size());
    return hr;
}

// Fills a property value of the book's memory (strings chained to parent).
HRESULT FillValue(SPropValue &value, const Property &prop, void *parent)
{
    value.ulPropTag = prop.tag;
    void *copy = nullptr;
    HRESULT hr = S_OK;
    switch (PROP_TYPE(prop.tag))
    {
    case PT_I2:
        value.Value.i = static_cast<short>(prop.integer);
        break;
    case PT_LONG:
        value.Value.l = static_cast<LONG>(prop.integer);
        break;
    case PT_BOOLEAN:
        value.Value.b = static_cast<unsigned short>(prop.integer);
        break;
    case PT_CURRENCY:
        value.Value.cur.int64 = prop.integer;
        break;
    case PT_I8:
        value.Value.li.QuadPart = prop.integer;
        break;
    case PT_R4:
        value.Value.flt = static_cast<float>(prop.real);
        break;
    case PT_DOUBLE:
        value.Value.dbl = prop.real;
        break;
    case PT_APPTIME:
        value.Value.at = prop.real;
        break;
    case PT_STRING8:
        hr = CopyBytes(prop.bytes, 1, parent, &copy);
        value.Value.lpszA = static_cast<LPSTR>(copy);
        break;
    case PT_UNICODE:
        hr = CopyBytes(prop.bytes, 2, parent, &copy);
        value.Value.lpszW = static_cast<LPWSTR>(copy);
        break;
    case PT_BINARY:
        hr = CopyBytes(prop.bytes, 0, parent, &copy);
        value.Value.bin.cb = static_cast<ULONG>(prop.bytes.size());
        value.Value.bin.lpb = static_cast<LPBYTE>(copy);
        break;
    case PT_MV_UNICODE: {
        hr = AllocateMore(static_cast<ULONG>(sizeof(LPWSTR) * (prop.values.size() + 1)), parent, &copy);
        value.Value.MVszW.cValues = static_cast<ULONG>(prop.values.size());
        value.Value.MVszW.lppszW = static_cast<LPWSTR *>(copy);
        for (size_t i = 0; SUCCEEDED(hr) && i < prop.values.size(); ++i)
        {
            void *text = nullptr;
            hr = CopyBytes(prop.values[i], 2, parent, &text);
            value.Value.MVszW.lppszW[i] = static_cast<LPWSTR>(text);
        }
        break;
    }
    default:
        hr = MAPI_E_BAD_VALUE;
    }
    return hr;
}

// Takes a property value given by a caller.
bool TakeValue(const SPropValue &value, Property &prop)
{
    prop = Property();
    prop.tag = value.ulPropTag;
    switch (PROP_TYPE(value.ulPropTag))
    {
    case PT_I2:
        prop.integer = value.Value.i;
        return true;
    case PT_LONG:
        prop.integer = value.Value.l;
        return true;
    case PT_BOOLEAN:
        prop.integer = value.Value.b;
        return true;
    case PT_CURRENCY:
        prop.integer = value.Value.cur.int64;
        return true;
    case PT_I8:
        prop.integer = value.Value.li.QuadPart;
        return true;
    case PT_R4:
        prop.real = value.Value.flt;
        return true;
    case PT_DOUBLE:
        prop.real = value.Value.dbl;
        return true;
    case PT_APPTIME:
        prop.real = value.Value.at;
        return true;
    case PT_STRING8:
        prop.bytes = value.Value.lpszA != nullptr ? value.Value.lpszA : "";
        return true;
    case PT_UNICODE:
        if (value.Value.lpszW != nullptr)
            prop.bytes.assign(reinterpret_cast<const char *>(value.Value.lpszW), wcslen(value.Value.lpszW) * 2);
        return true;
    default:
        return false;
    }
}

template <class Interface> class CUnknown : public Interface
{
  public:
    explicit CUnknown(const IID *pIid = nullptr) : m_iid(pIid)
    {
    }
    virtual ~CUnknown() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && (m_iid == nullptr || riid != *m_iid))
            return E_NOINTERFACE;
        *ppv = static_cast<Interface *>(this);
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

  private:
    const IID *m_iid;
    LONG m_refs = 1;
};

#define WAB_NOT_IMPLEMENTED(method, params)                                                                            \
    STDMETHODIMP method params override                                                                                \
    {                                                                                                                  \
        return E_NOTIMPL;                                                                                              \
    }

// IMAPIProp with nothing but GetProps and SetProps left to the object.
template <class Interface> class CPropObject : public CUnknown<Interface>
{
  public:
    using CUnknown<Interface>::CUnknown;

    WAB_NOT_IMPLEMENTED(GetLastError, (HRESULT, ULONG, LPMAPIERROR *))
    WAB_NOT_IMPLEMENTED(SaveChanges, (ULONG))
    WAB_NOT_IMPLEMENTED(GetPropList, (ULONG, LPSPropTagArray *))
    WAB_NOT_IMPLEMENTED(OpenProperty, (ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN *))
    WAB_NOT_IMPLEMENTED(SetProps, (ULONG, LPSPropValue, LPSPropProblemArray *))
    WAB_NOT_IMPLEMENTED(DeleteProps, (LPSPropTagArray, LPSPropProblemArray *))
    WAB_NOT_IMPLEMENTED(CopyTo, (ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                 LPSPropProblemArray *))
    WAB_NOT_IMPLEMENTED(CopyProps,
                        (LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG, LPSPropProblemArray *))
    WAB_NOT_IMPLEMENTED(GetNamesFromIDs, (LPSPropTagArray *, LPGUID, ULONG, ULONG *, LPMAPINAMEID **))
    WAB_NOT_IMPLEMENTED(GetIDsFromNames, (ULONG, LPMAPINAMEID *, ULONG, LPSPropTagArray *))

  protected:
    // Answers GetProps from the object's own properties: all of them, or those asked for (PT_ERROR for a
    // missing one).
    HRESULT AnswerProps(const std::vector<Property> &props, LPSPropTagArray pTags, ULONG *pcValues,
                        LPSPropValue *ppValues)
    {
        if (pcValues == nullptr || ppValues == nullptr)
            return E_INVALIDARG;
        *pcValues = 0;
        *ppValues = nullptr;
        const ULONG count = pTags != nullptr ? pTags->cValues : static_cast<ULONG>(props.size());
        void *block = nullptr;
        HRESULT hr = Allocate(static_cast<ULONG>(sizeof(SPropValue) * (count + 1)), &block);
        if (FAILED(hr))
            return hr;
        auto *values = static_cast<LPSPropValue>(block);
        bool missing = false;
        for (ULONG i = 0; SUCCEEDED(hr) && i < count; ++i)
        {
            const Property *found = pTags == nullptr ? &props[i] : nullptr;
            for (size_t j = 0; found == nullptr && j < props.size(); ++j)
                if (props[j].tag == pTags->aulPropTag[i])
                    found = &props[j];
            if (found != nullptr)
            {
                hr = FillValue(values[i], *found, block);
                continue;
            }
            values[i].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(pTags->aulPropTag[i]));
            values[i].Value.err = MAPI_E_NOT_FOUND;
            missing = true;
        }
        if (FAILED(hr))
        {
            Free(block);
            return hr;
        }
        *pcValues = count;
        *ppValues = values;
        return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
    }
};

// A mail user (or a list) of the book; one made by CreateEntry has the id 0 until it is saved.
class CEntry final : public CPropObject<IMailUser>
{
  public:
    explicit CEntry(const Entry &entry) : CPropObject(&IID_IMailUser), m_entry(entry)
    {
    }

    STDMETHODIMP GetProps(LPSPropTagArray pTags, ULONG, ULONG *pcValues, LPSPropValue *ppValues) override
    {
        HRESULT hr = S_OK;
        if (Scripted(L"GetProps", hr))
            return hr;
        std::vector<Property> props = m_entry.props;
        Property entryId, type;
        entryId.tag = PR_ENTRYID;
        const StandInEntryId id = {{0, 0, 0, 0}, 'E', m_entry.id};
        entryId.bytes.assign(reinterpret_cast<const char *>(&id), sizeof(id));
        type.tag = PR_OBJECT_TYPE;
        type.integer = m_entry.type;
        props.push_back(entryId);
        props.push_back(type);
        return AnswerProps(props, pTags, pcValues, ppValues);
    }

    // Read-only properties are passed over without a word, as the book does.
    STDMETHODIMP SetProps(ULONG cValues, LPSPropValue pValues, LPSPropProblemArray *ppProblems) override
    {
        if (ppProblems != nullptr)
            *ppProblems = nullptr;
        for (ULONG i = 0; i < cValues; ++i)
        {
            HRESULT hr = S_OK;
            if (Scripted(L"SetProps", hr, pValues[i].ulPropTag))
                return hr;
            if (pValues[i].ulPropTag == PR_ENTRYID || pValues[i].ulPropTag == PR_OBJECT_TYPE)
                continue;
            Property prop;
            if (!TakeValue(pValues[i], prop))
                return MAPI_E_BAD_VALUE;
            bool replaced = false;
            for (Property &held : m_entry.props)
                if (PROP_ID(held.tag) == PROP_ID(prop.tag))
                {
                    held = prop;
                    replaced = true;
                }
            if (!replaced)
                m_entry.props.push_back(prop);
        }
        return S_OK;
    }

    STDMETHODIMP SaveChanges(ULONG) override
    {
        std::vector<Entry> entries;
        const std::wstring path = BookPath();
        if (path.empty() || !ReadBook(path, entries))
            return MAPI_E_NOT_FOUND;
        bool found = false;
        DWORD highest = 0;
        for (Entry &entry : entries)
        {
            highest = entry.id > highest ? entry.id : highest;
            if (m_entry.id != 0 && entry.id == m_entry.id)
            {
                entry = m_entry;
                found = true;
            }
        }
        if (!found)
        {
            m_entry.id = highest + 1;
            entries.push_back(m_entry);
        }
        return WriteBook(path, entries) ? S_OK : MAPI_E_DISK_ERROR;
    }

  private:
    Entry m_entry;
};

class CContentsTable final : public CUnknown<IMAPITable>
{
  public:
    explicit CContentsTable(std::vector<Entry> entries) : m_entries(std::move(entries))
    {
    }

    STDMETHODIMP SetColumns(LPSPropTagArray pColumns, ULONG) override
    {
        if (pColumns == nullptr)
            return E_INVALIDARG;
        m_columns.assign(pColumns->aulPropTag, pColumns->aulPropTag + pColumns->cValues);
        return S_OK;
    }
    STDMETHODIMP SeekRow(BOOKMARK origin, LONG count, LONG *pSought) override
    {
        if (origin != BOOKMARK_BEGINNING || count != 0)
            return MAPI_E_NO_SUPPORT;
        m_next = 0;
        if (pSought != nullptr)
            *pSought = 0;
        return S_OK;
    }
    STDMETHODIMP QueryRows(LONG count, ULONG, LPSRowSet *ppRows) override
    {
        if (ppRows == nullptr || count <= 0)
            return E_INVALIDARG;
        const size_t rows = std::min(static_cast<size_t>(count), m_entries.size() - m_next);
        void *block = nullptr;
        HRESULT hr = Allocate(static_cast<ULONG>(offsetof(SRowSet, aRow) + sizeof(SRow) * (rows + 1)), &block);
        if (FAILED(hr))
            return hr;
        auto *set = static_cast<LPSRowSet>(block);
        for (size_t i = 0; SUCCEEDED(hr) && i < rows; ++i)
            hr = FillRow(m_entries[m_next + i], set->aRow[i]);
        set->cRows = static_cast<ULONG>(rows);
        if (FAILED(hr))
        {
            for (size_t i = 0; i < rows; ++i)
                Free(set->aRow[i].lpProps);
            Free(set);
            return hr;
        }
        m_next += rows;
        *ppRows = set;
        return S_OK;
    }

    WAB_NOT_IMPLEMENTED(GetLastError, (HRESULT, ULONG, LPMAPIERROR *))
    WAB_NOT_IMPLEMENTED(Advise, (ULONG, LPMAPIADVISESINK, ULONG *))
    WAB_NOT_IMPLEMENTED(Unadvise, (ULONG))
    WAB_NOT_IMPLEMENTED(GetStatus, (ULONG *, ULONG *))
    WAB_NOT_IMPLEMENTED(QueryColumns, (ULONG, LPSPropTagArray *))
    WAB_NOT_IMPLEMENTED(GetRowCount, (ULONG, ULONG *))
    WAB_NOT_IMPLEMENTED(SeekRowApprox, (ULONG, ULONG))
    WAB_NOT_IMPLEMENTED(QueryPosition, (ULONG *, ULONG *, ULONG *))
    WAB_NOT_IMPLEMENTED(FindRow, (LPSRestriction, BOOKMARK, ULONG))
    WAB_NOT_IMPLEMENTED(Restrict, (LPSRestriction, ULONG))
    WAB_NOT_IMPLEMENTED(CreateBookmark, (BOOKMARK *))
    WAB_NOT_IMPLEMENTED(FreeBookmark, (BOOKMARK))
    WAB_NOT_IMPLEMENTED(SortTable, (LPSSortOrderSet, ULONG))
    WAB_NOT_IMPLEMENTED(QuerySortOrder, (LPSSortOrderSet *))
    WAB_NOT_IMPLEMENTED(Abort, ())
    WAB_NOT_IMPLEMENTED(ExpandRow, (ULONG, LPBYTE, ULONG, ULONG, LPSRowSet *, ULONG *))
    WAB_NOT_IMPLEMENTED(CollapseRow, (ULONG, LPBYTE, ULONG, ULONG *))
    WAB_NOT_IMPLEMENTED(WaitForCompletion, (ULONG, ULONG, ULONG *))
    WAB_NOT_IMPLEMENTED(GetCollapseState, (ULONG, ULONG, LPBYTE, ULONG *, LPBYTE *))
    WAB_NOT_IMPLEMENTED(SetCollapseState, (ULONG, ULONG, LPBYTE, BOOKMARK *))

  private:
    // One row of the columns set: the display name as UTF-16 whatever its stored type, the entry id, the type.
    HRESULT FillRow(const Entry &entry, SRow &row)
    {
        void *block = nullptr;
        HRESULT hr = Allocate(static_cast<ULONG>(sizeof(SPropValue) * (m_columns.size() + 1)), &block);
        if (FAILED(hr))
            return hr;
        row.cValues = static_cast<ULONG>(m_columns.size());
        row.lpProps = static_cast<LPSPropValue>(block);
        for (size_t i = 0; SUCCEEDED(hr) && i < m_columns.size(); ++i)
        {
            SPropValue &value = row.lpProps[i];
            const ULONG column = m_columns[i];
            value.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(column));
            value.Value.err = MAPI_E_NOT_FOUND;
            if (column == PR_ENTRYID)
            {
                value.ulPropTag = PR_ENTRYID;
                hr = MakeEntryId('E', entry.id, block, value.Value.bin);
                continue;
            }
            if (column == PR_OBJECT_TYPE)
            {
                value.ulPropTag = PR_OBJECT_TYPE;
                value.Value.l = static_cast<LONG>(entry.type);
                continue;
            }
            for (const Property &prop : entry.props)
            {
                if (PROP_ID(prop.tag) != PROP_ID(column))
                    continue;
                Property answer = prop;
                if (PROP_TYPE(column) == PT_UNICODE && PROP_TYPE(prop.tag) == PT_STRING8)
                    answer.bytes = WideOf(prop.bytes);
                answer.tag = column;
                if (PROP_TYPE(answer.tag) == PROP_TYPE(prop.tag) || PROP_TYPE(column) == PT_UNICODE)
                    hr = FillValue(value, answer, block);
            }
        }
        return hr;
    }

    std::vector<Entry> m_entries;
    std::vector<ULONG> m_columns;
    size_t m_next = 0;
};

class CContainer final : public CPropObject<IABContainer>
{
  public:
    STDMETHODIMP GetProps(LPSPropTagArray pTags, ULONG, ULONG *pcValues, LPSPropValue *ppValues) override
    {
        Property templateId, type;
        templateId.tag = PR_DEF_CREATE_MAILUSER;
        const StandInEntryId id = {{0, 0, 0, 0}, 'T', MAPI_MAILUSER};
        templateId.bytes.assign(reinterpret_cast<const char *>(&id), sizeof(id));
        type.tag = PR_OBJECT_TYPE;
        type.integer = MAPI_ABCONT;
        return AnswerProps({templateId, type}, pTags, pcValues, ppValues);
    }

    STDMETHODIMP GetContentsTable(ULONG, LPMAPITABLE *ppTable) override
    {
        std::vector<Entry> entries;
        if (ppTable == nullptr || !ReadBook(BookPath(), entries))
            return MAPI_E_CORRUPT_DATA;
        *ppTable = new CContentsTable(std::move(entries));
        return S_OK;
    }

    STDMETHODIMP CreateEntry(ULONG cbEntryID, LPENTRYID pEntryID, ULONG, LPMAPIPROP *ppProp) override
    {
        BYTE kind = 0;
        DWORD id = 0;
        if (ppProp == nullptr || !ReadEntryId(cbEntryID, pEntryID, kind, id) || kind != 'T' || id != MAPI_MAILUSER)
            return MAPI_E_INVALID_ENTRYID;
        Entry entry;
        entry.type = MAPI_MAILUSER;
        *ppProp = new CEntry(entry);
        return S_OK;
    }

    WAB_NOT_IMPLEMENTED(GetHierarchyTable, (ULONG, LPMAPITABLE *))
    WAB_NOT_IMPLEMENTED(OpenEntry, (ULONG, LPENTRYID, LPCIID, ULONG, ULONG *, LPUNKNOWN *))
    WAB_NOT_IMPLEMENTED(SetSearchCriteria, (LPSRestriction, LPENTRYLIST, ULONG))
    WAB_NOT_IMPLEMENTED(GetSearchCriteria, (ULONG, LPSRestriction *, LPENTRYLIST *, ULONG *))
    WAB_NOT_IMPLEMENTED(CopyEntries, (LPENTRYLIST, ULONG, LPMAPIPROGRESS, ULONG))
    WAB_NOT_IMPLEMENTED(DeleteEntries, (LPENTRYLIST, ULONG))
    WAB_NOT_IMPLEMENTED(ResolveNames, (LPSPropTagArray, ULONG, LPADRLIST, LPFlagList))
};

class CAddrBook final : public CPropObject<IAddrBook>
{
  public:
    STDMETHODIMP GetProps(LPSPropTagArray, ULONG, ULONG *, LPSPropValue *) override
    {
        return E_NOTIMPL;
    }

    STDMETHODIMP OpenEntry(ULONG cbEntryID, LPENTRYID pEntryID, LPCIID, ULONG, ULONG *pulObjType,
                           LPUNKNOWN *ppUnk) override
    {
        BYTE kind = 0;
        DWORD id = 0;
        if (pulObjType == nullptr || ppUnk == nullptr || !ReadEntryId(cbEntryID, pEntryID, kind, id))
            return MAPI_E_INVALID_ENTRYID;
        if (kind == 'P')
        {
            *pulObjType = MAPI_ABCONT;
            *ppUnk = static_cast<IABContainer *>(new CContainer());
            return S_OK;
        }
        std::vector<Entry> entries;
        if (kind != 'E' || !ReadBook(BookPath(), entries))
            return MAPI_E_NOT_FOUND;
        for (const Entry &entry : entries)
        {
            if (entry.id == id)
            {
                *pulObjType = entry.type;
                *ppUnk = static_cast<IMailUser *>(new CEntry(entry));
                return S_OK;
            }
        }
        return MAPI_E_NOT_FOUND;
    }

    STDMETHODIMP GetPAB(ULONG *pcbEntryID, LPENTRYID *ppEntryID) override
    {
        HRESULT hr = S_OK;
        if (Scripted(L"GetPAB", hr))
            return hr;
        if (pcbEntryID == nullptr || ppEntryID == nullptr)
            return E_INVALIDARG;
        SBinary binary = {};
        hr = MakeEntryId('P', 0, nullptr, binary);
        *pcbEntryID = binary.cb;
        *ppEntryID = reinterpret_cast<LPENTRYID>(binary.lpb);
        return hr;
    }

    WAB_NOT_IMPLEMENTED(CompareEntryIDs, (ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG *))
    WAB_NOT_IMPLEMENTED(Advise, (ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG *))
    WAB_NOT_IMPLEMENTED(Unadvise, (ULONG))
    WAB_NOT_IMPLEMENTED(CreateOneOff, (LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG *, LPENTRYID *))
    WAB_NOT_IMPLEMENTED(NewEntry, (ULONG, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG *, LPENTRYID *))
    WAB_NOT_IMPLEMENTED(ResolveName, (ULONG_PTR, ULONG, LPTSTR, LPADRLIST))
    WAB_NOT_IMPLEMENTED(Address, (ULONG *, LPADRPARM, LPADRLIST *))
    WAB_NOT_IMPLEMENTED(Details, (ULONG *, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID, LPTSTR, ULONG))
    WAB_NOT_IMPLEMENTED(RecipOptions, (ULONG, ULONG, LPADRENTRY))
    WAB_NOT_IMPLEMENTED(QueryDefaultRecipOpt, (LPTSTR, ULONG, ULONG *, LPSPropValue *))
    WAB_NOT_IMPLEMENTED(SetPAB, (ULONG, LPENTRYID))
    WAB_NOT_IMPLEMENTED(GetDefaultDir, (ULONG *, LPENTRYID *))
    WAB_NOT_IMPLEMENTED(SetDefaultDir, (ULONG, LPENTRYID))
    WAB_NOT_IMPLEMENTED(GetSearchPath, (ULONG, LPSRowSet *))
    WAB_NOT_IMPLEMENTED(SetSearchPath, (ULONG, LPSRowSet))
    WAB_NOT_IMPLEMENTED(PrepareRecips, (ULONG, LPSPropTagArray, LPADRLIST))
};

class CWabObject final : public CUnknown<IWABObject>
{
  public:
    STDMETHODIMP AllocateBuffer(ULONG cbSize, LPVOID *ppBuffer) override
    {
        return Allocate(cbSize, ppBuffer);
    }
    STDMETHODIMP AllocateMore(ULONG cbSize, LPVOID pObject, LPVOID *ppBuffer) override
    {
        return wabstandin::AllocateMore(cbSize, pObject, ppBuffer);
    }
    STDMETHODIMP FreeBuffer(LPVOID pBuffer) override
    {
        return Free(pBuffer);
    }

    WAB_NOT_IMPLEMENTED(GetLastError, (HRESULT, ULONG, LPMAPIERROR *))
    WAB_NOT_IMPLEMENTED(Backup, (LPSTR))
    WAB_NOT_IMPLEMENTED(Import, (LPSTR))
    WAB_NOT_IMPLEMENTED(Find, (LPADRBOOK, HWND))
    WAB_NOT_IMPLEMENTED(VCardDisplay, (LPADRBOOK, HWND, LPSTR))
    WAB_NOT_IMPLEMENTED(LDAPUrl, (LPADRBOOK, HWND, ULONG, LPSTR, LPMAILUSER *))
    WAB_NOT_IMPLEMENTED(VCardCreate, (LPADRBOOK, ULONG, LPSTR, LPMAILUSER))
    WAB_NOT_IMPLEMENTED(VCardRetrieve, (LPADRBOOK, ULONG, LPSTR, LPMAILUSER *))
    WAB_NOT_IMPLEMENTED(GetMe, (LPADRBOOK, ULONG, DWORD *, SBinary *, ULONG))
    WAB_NOT_IMPLEMENTED(SetMe, (LPADRBOOK, ULONG, SBinary, ULONG))
};

} // namespace

} // namespace wabstandin

using namespace wabstandin;

#ifndef WAB32_NO_WABOPEN
extern "C" __declspec(dllexport) HRESULT WINAPI
    WABOpen(LPADRBOOK *ppAdrBook, LPWABOBJECT *ppWABObject, LPWAB_PARAM, DWORD)
{
    HRESULT hr = S_OK;
    if (Scripted(L"WABOpen", hr))
        return hr;
    if (ppAdrBook == nullptr || ppWABObject == nullptr)
        return E_INVALIDARG;
    *ppAdrBook = new CAddrBook();
    *ppWABObject = new CWabObject();
    return S_OK;
}
#endif

void Wab32SetBook(const wchar_t *path)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.book = path != nullptr ? path : L"";
}

void Wab32Reset(void)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.book.clear();
    state.script.Clear();
}

void Wab32ScriptFailure(const wchar_t *call, DWORD which, HRESULT hr)
{
    State &state = TheState();
    std::lock_guard<std::mutex> hold(state.lock);
    state.script.Add(call != nullptr ? call : L"", which, hr);
}

LONG Wab32LiveBuffers(void)
{
    return LiveBlocks();
}
