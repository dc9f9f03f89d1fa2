#include "setup/filters/FiltersMedia.h"

#include <climits>

#include "engine/log/LogMsg.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

namespace
{

const wchar_t kFiltersElement[] = L"filters";
const wchar_t kFilterElement[] = L"filter";
const wchar_t kConfigurationElement[] = L"configuration";

// The attribute's text; false when the element has no attribute of that name.
bool ReadAttribute(IXMLDOMElement *element, LPCWSTR name, CString &text)
{
    _variant_t value;
    if (element->getAttribute(_bstr_t(name), &value) != S_OK || value.vt != VT_BSTR)
        return false;
    text = value.bstrVal != nullptr ? value.bstrVal : L"";
    return true;
}

// An optionally signed decimal number within int, nothing else.
bool ParseDecimal(const CString &text, int &value)
{
    int at = 0;
    bool negative = false;
    if (at < text.GetLength() && (text[at] == L'-' || text[at] == L'+'))
        negative = text[at++] == L'-';
    if (at == text.GetLength())
        return false;
    long long number = 0;
    for (; at < text.GetLength(); ++at)
    {
        if (text[at] < L'0' || text[at] > L'9')
            return false;
        number = number * 10 + (text[at] - L'0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    number = negative ? -number : number;
    if (number > INT_MAX || number < INT_MIN)
        return false;
    value = static_cast<int>(number);
    return true;
}

void SetAttribute(IXMLDOMElement *element, LPCWSTR name, LPCWSTR value)
{
    XmlCheck(element->setAttribute(_bstr_t(name), _variant_t(value)));
}

LPCWSTR BoolText(bool value)
{
    // The DOM's own text of a VT_BOOL, so that files keep the form they always had.
    return value ? L"-1" : L"0";
}

IXMLDOMElementPtr AppendElement(IXMLDOMDocument2 *document, IXMLDOMNode *parent, LPCWSTR name)
{
    IXMLDOMElementPtr element;
    XmlCheck(document->createElement(_bstr_t(name), &element));
    IXMLDOMNodePtr appended;
    XmlCheck(parent->appendChild(element, &appended));
    return element;
}

void WriteCategory(IXMLDOMDocument2 *document, IXMLDOMNode *parent, const FilterCategory &category)
{
    IXMLDOMElementPtr element = AppendElement(document, parent, kFilterElement);
    SetAttribute(element, L"name", category.GetName());
    SetAttribute(element, L"selected", BoolText(category.IsSelected()));
    for (const auto &configuration : category.GetConfigurations())
    {
        IXMLDOMElementPtr entry = AppendElement(document, element, kConfigurationElement);
        SetAttribute(entry, L"val", configuration->GetVal());
        CString type;
        type.Format(L"%d", configuration->GetType());
        SetAttribute(entry, L"type", type);
        SetAttribute(entry, L"description", configuration->GetDescription());
        SetAttribute(entry, L"selected", BoolText(configuration->IsSelected()));
    }
    for (const auto &child : category.GetChildren())
        WriteCategory(document, element, *child);
}

IXMLDOMDocument2Ptr NewFilterDocument()
{
    IXMLDOMDocument2Ptr document;
    if (FAILED(document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER)) || !document)
        return nullptr;
    XmlCheck(document->put_async(VARIANT_FALSE));
    XmlCheck(document->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(L"XPath")));
    return document;
}

bool IsExistingFile(LPCWSTR path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The written file's data reaches the disk before the rename puts it in place.
DWORD FlushFile(LPCWSTR path)
{
    CKernelHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid() || !::FlushFileBuffers(file))
        return ::GetLastError();
    return ERROR_SUCCESS;
}

CString ParseReason(IXMLDOMDocument2 *document, long &line)
{
    line = 0;
    IXMLDOMParseErrorPtr error;
    if (FAILED(document->get_parseError(&error)) || !error)
        return CString();
    BSTR reason = nullptr;
    error->get_reason(&reason);
    error->get_line(&line);
    CString text(reason != nullptr ? reason : L"");
    ::SysFreeString(reason);
    return text.Trim();
}

} // namespace

bool ParseFilterBool(const CString &text, bool &value)
{
    if (text.CompareNoCase(L"true") == 0 || text.CompareNoCase(L"false") == 0)
    {
        value = text.CompareNoCase(L"true") == 0;
        return true;
    }
    int number = 0;
    if (!ParseDecimal(text, number))
        return false;
    value = number != 0;
    return true;
}

FiltersMedia::FiltersMedia() : m_root(CString(), false)
{
}

FiltersMedia::~FiltersMedia() = default;

bool FiltersMedia::Load(LPCWSTR path)
{
    m_root.ClearChildren();
    m_root.ClearConfigurations();
    m_path = path != nullptr ? path : L"";
    if (!IsExistingFile(m_path))
    {
        AppLog.LogIdAt(L"FiltersMedia", __LINE__, ERROR_FILE_NOT_FOUND, LM_WARNING, IDS_LOG_FILTER_FILE_MISSING,
                       m_path.GetString());
        return false;
    }
    try
    {
        IXMLDOMDocument2Ptr document = NewFilterDocument();
        if (!document)
        {
            AppLog.LogIdAt(L"FiltersMedia", __LINE__, 0, LM_ERROR, IDS_LOG_FILTER_FILE_UNREADABLE, m_path.GetString(),
                           L"the XML parser is not available", 0);
            return false;
        }
        VARIANT_BOOL loaded = VARIANT_FALSE;
        const HRESULT hr = document->load(_variant_t(m_path.GetString()), &loaded);
        if (FAILED(hr) || loaded != VARIANT_TRUE)
        {
            long line = 0;
            const CString reason = ParseReason(document, line);
            AppLog.LogIdAt(L"FiltersMedia", __LINE__, 0, LM_ERROR, IDS_LOG_FILTER_FILE_UNREADABLE, m_path.GetString(),
                           reason.GetString(), static_cast<int>(line));
            return false;
        }
        return ParseFilters(document);
    }
    catch (const _com_error &error)
    {
        m_root.ClearChildren();
        AppLog.LogIdAt(L"FiltersMedia", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR,
                       IDS_LOG_FILTER_FILE_UNREADABLE, m_path.GetString(), L"the document could not be walked", 0);
        return false;
    }
}

bool FiltersMedia::ParseFilters(IXMLDOMDocument2 *document)
{
    if (document == nullptr)
        return false;
    IXMLDOMElementPtr documentElement;
    if (FAILED(document->get_documentElement(&documentElement)) || !documentElement ||
        XmlGetNodeName(documentElement) != kFiltersElement)
    {
        AppLog.LogIdAt(L"FiltersMedia", __LINE__, 0, LM_ERROR, IDS_LOG_FILTER_FILE_NO_FILTERS, m_path.GetString());
        return false;
    }
    CString query;
    query.Format(L"/%s/%s", kFiltersElement, kFilterElement);
    IXMLDOMNodeListPtr nodes;
    XmlCheck(document->selectNodes(_bstr_t(query.GetString()), &nodes));
    bool complete = true;
    for (;;)
    {
        IXMLDOMNodePtr node;
        if (nodes->nextNode(&node) != S_OK || !node)
            break;
        IXMLDOMElementPtr element(node);
        if (!element)
        {
            complete = false;
            continue;
        }
        FilterCategory *category = ReadCategory(element, complete);
        if (category != nullptr)
            m_root.AddChild(category);
    }
    return complete;
}

FilterCategory *FiltersMedia::ReadCategory(IXMLDOMElement *element, bool &complete)
{
    CString name, selectedText;
    bool selected = false;
    if (!ReadAttribute(element, L"name", name))
    {
        ReportBadEntry(L"a \"filter\" element without a name");
        complete = false;
        return nullptr;
    }
    if (ReadAttribute(element, L"selected", selectedText) && !ParseFilterBool(selectedText, selected))
    {
        ReportBadEntry(L"a \"filter\" element whose \"selected\" is not a boolean");
        complete = false;
        return nullptr;
    }
    auto category = std::make_unique<FilterCategory>(name, selected);
    // Direct children only: the system never nests categories deeper than it writes them, and a deeper
    // category read at any depth would be offered to every ancestor in between.
    XmlElementIterator children(element);
    while (children.Next())
    {
        const CString childName = children.GetName();
        if (childName == kFilterElement)
        {
            if (FilterCategory *child = ReadCategory(children.GetElement(), complete))
                category->AddChild(child);
        }
        else if (childName == kConfigurationElement)
        {
            if (FilterConfiguration *configuration = ReadConfiguration(children.GetElement(), complete))
                category->AddConfiguration(configuration);
        }
    }
    return category.release();
}

FilterConfiguration *FiltersMedia::ReadConfiguration(IXMLDOMElement *element, bool &complete)
{
    CString val, typeText, description, selectedText;
    int type = 0;
    bool selected = false;
    LPCWSTR fault = nullptr;
    if (!ReadAttribute(element, L"val", val))
        fault = L"a \"configuration\" element without a value";
    else if (!ReadAttribute(element, L"type", typeText) || !ParseDecimal(typeText, type))
        fault = L"a \"configuration\" element without a numeric type";
    else if (ReadAttribute(element, L"selected", selectedText) && !ParseFilterBool(selectedText, selected))
        fault = L"a \"configuration\" element whose \"selected\" is not a boolean";
    if (fault != nullptr)
    {
        ReportBadEntry(fault);
        complete = false;
        return nullptr;
    }
    ReadAttribute(element, L"description", description);
    return new FilterConfiguration(val, type, description, selected);
}

void FiltersMedia::ReportBadEntry(LPCWSTR what)
{
    AppLog.LogIdAt(L"FiltersMedia", __LINE__, 0, LM_ERROR, IDS_LOG_FILTER_ENTRY_SKIPPED, m_path.GetString(), what);
}

bool FiltersMedia::Save(LPCWSTR path)
{
    const CString target = path != nullptr ? path : L"";
    const CString temporary = target + L".tmp";
    DWORD error = ERROR_SUCCESS;
    try
    {
        IXMLDOMDocument2Ptr document = NewFilterDocument();
        if (!document)
            XmlRaiseError(REGDB_E_CLASSNOTREG);
        IXMLDOMProcessingInstructionPtr instruction;
        XmlCheck(document->createProcessingInstruction(_bstr_t(L"xml"), _bstr_t(L"version='1.0' encoding='utf-8'"),
                                                       &instruction));
        IXMLDOMNodePtr appended;
        XmlCheck(document->appendChild(instruction, &appended));
        IXMLDOMElementPtr filters = AppendElement(document, document, kFiltersElement);
        for (const auto &category : m_root.GetChildren())
            WriteCategory(document, filters, *category);
        XmlCheck(document->save(_variant_t(temporary.GetString())));
        error = FlushFile(temporary);
        if (error == ERROR_SUCCESS &&
            !::MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = ::GetLastError();
    }
    catch (const _com_error &failure)
    {
        error = static_cast<DWORD>(failure.Error());
    }
    if (error == ERROR_SUCCESS)
        return true;
    // A folder of that name is not ours to remove; a file is what this save left behind.
    if (IsExistingFile(temporary))
        ::DeleteFileW(temporary);
    AppLog.LogIdAt(L"FiltersMedia", __LINE__, error, LM_ERROR, IDS_LOG_FILTER_FILE_NOT_SAVED, target.GetString());
    return false;
}
