// The job store file: reading it into the collection's document, writing it back safely, the legacy
// "Zel.ini" import and the reload of one job's stored definition.
#include "engine/store/SyncJobList.h"

#include <algorithm>
#include <memory>
#include <string>

#include "engine/store/JobDef.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/job/SyncJob.h"
#include "engine/job/TwoWayPlaces.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

namespace
{

const wchar_t kFreshStore[] = L"<Tessel xmlns=\"ORVANE\"/>";
const wchar_t kStoreNamespace[] = L"ORVANE";
const int kIniValueChars = 3000;

bool IsExistingFile(const CString &path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ULONGLONG FileSize(const CString &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

[[noreturn]] void RaiseLastError()
{
    const DWORD error = GetLastError();
    XmlRaiseError(error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

IXMLDOMDocument2Ptr NewDocument()
{
    IXMLDOMDocument2Ptr document;
    XmlCheck(document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    XmlCheck(document->put_async(VARIANT_FALSE));
    return document;
}

// Loads a file into the document; false when it is missing or not well formed.
bool LoadFile(IXMLDOMDocument2 *document, const CString &path)
{
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = document->load(_variant_t(path.GetString()), &loaded);
    return SUCCEEDED(hr) && loaded == VARIANT_TRUE;
}

// The root of a loaded store document when it is the store's own ("Tessel" in "ORVANE"), else null.
IXMLDOMElementPtr StoreRoot(IXMLDOMDocument2 *document)
{
    IXMLDOMElementPtr root;
    if (FAILED(document->get_documentElement(&root)) || !root)
        return nullptr;
    BSTR namespaceUri = nullptr;
    if (FAILED(root->get_namespaceURI(&namespaceUri)))
        return nullptr;
    const _bstr_t uri(namespaceUri, false);
    if (XmlGetNodeName(root) != L"Tessel" || CString(static_cast<LPCWSTR>(uri)) != kStoreNamespace)
        return nullptr;
    return root;
}

int CountChildElements(IXMLDOMNode *parent)
{
    int count = 0;
    XmlElementIterator children(parent);
    while (children.Next())
        ++count;
    return count;
}

// The XML declaration of a document read from a file keeps the encoding that file had ("UTF-16"), but the
// library does not always write the bytes it declares: some write UTF-8 under it, and the next start reads no
// jobs. Without a declared encoding every writer and reader agrees on UTF-8.
void DropDeclaredEncoding(IXMLDOMDocument2 *document)
{
    IXMLDOMNodePtr first;
    XmlCheck(document->get_firstChild(&first));
    if (!first)
        return;
    DOMNodeType type = NODE_INVALID;
    XmlCheck(first->get_nodeType(&type));
    if (type != NODE_PROCESSING_INSTRUCTION || XmlGetNodeName(first) != L"xml")
        return;
    BSTR data = nullptr;
    XmlCheck(first->get_text(&data));
    const CString declaration(static_cast<LPCWSTR>(_bstr_t(data, false)));
    CString lower = declaration;
    lower.MakeLower();
    if (lower.Find(L"encoding") < 0)
        return;
    IXMLDOMProcessingInstructionPtr plain;
    XmlCheck(document->createProcessingInstruction(_bstr_t(L"xml"), _bstr_t(L"version=\"1.0\""), &plain));
    IXMLDOMNodePtr replaced;
    XmlCheck(document->replaceChild(plain, first, &replaced));
}

IXMLDOMElementPtr NewJobElement(IXMLDOMDocument2 *document)
{
    IXMLDOMNodePtr node;
    XmlCheck(document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                  _bstr_t(kStoreNamespace), &node));
    IXMLDOMElementPtr element(node);
    if (!element)
        XmlRaiseError(E_NOINTERFACE);
    return element;
}

void AppendChild(IXMLDOMNode *parent, IXMLDOMNode *child)
{
    IXMLDOMNodePtr appended;
    XmlCheck(parent->appendChild(child, &appended));
}

bool IsNamespaceDeclaration(const CString &name)
{
    return name == L"xmlns" || name.Left(6) == L"xmlns:";
}

// The element's attributes as (name, value) pairs, namespace declarations left out.
std::vector<std::pair<CString, CString>> ReadAttributes(IXMLDOMElement *element)
{
    std::vector<std::pair<CString, CString>> result;
    IXMLDOMNamedNodeMapPtr attributes;
    XmlCheck(element->get_attributes(&attributes));
    if (!attributes)
        return result;
    long count = 0;
    XmlCheck(attributes->get_length(&count));
    for (long i = 0; i < count; ++i)
    {
        IXMLDOMNodePtr attribute;
        if (attributes->get_item(i, &attribute) != S_OK || !attribute)
            continue;
        const CString name = XmlGetNodeName(attribute);
        if (name.IsEmpty() || IsNamespaceDeclaration(name))
            continue;
        BSTR text = nullptr;
        XmlCheck(attribute->get_text(&text));
        result.emplace_back(name, CString(text ? text : L""));
        SysFreeString(text);
    }
    return result;
}

// Builds a copy of source's children (elements with their attributes, and text) under target, made by
// target's own document: nodes of another document are never moved across.
void CopyChildren(IXMLDOMDocument *targetDocument, IXMLDOMNode *source, IXMLDOMNode *target)
{
    IXMLDOMNodePtr child;
    XmlCheck(source->get_firstChild(&child));
    while (child)
    {
        DOMNodeType type = NODE_INVALID;
        XmlCheck(child->get_nodeType(&type));
        if (type == NODE_ELEMENT)
        {
            BSTR namespaceUri = nullptr;
            XmlCheck(child->get_namespaceURI(&namespaceUri));
            const _bstr_t uri(namespaceUri, false);
            IXMLDOMNodePtr copy;
            XmlCheck(targetDocument->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)),
                                                _bstr_t(XmlGetNodeName(child).GetString()), uri, &copy));
            IXMLDOMElementPtr sourceElement(child);
            IXMLDOMElementPtr copyElement(copy);
            if (!sourceElement || !copyElement)
                XmlRaiseError(E_NOINTERFACE);
            for (const auto &attribute : ReadAttributes(sourceElement))
                XmlSetAttributeString(copyElement, attribute.first, attribute.second);
            CopyChildren(targetDocument, child, copy);
            AppendChild(target, copy);
        }
        else if (type == NODE_TEXT)
        {
            BSTR text = nullptr;
            XmlCheck(child->get_text(&text));
            const _bstr_t value(text, false);
            IXMLDOMTextPtr copy;
            XmlCheck(targetDocument->createTextNode(value, &copy));
            AppendChild(target, copy);
        }
        IXMLDOMNodePtr next;
        XmlCheck(child->get_nextSibling(&next));
        child = next;
    }
}

// Makes live hold exactly the attributes and children of stored.
void ReplaceElementContent(IXMLDOMElement *live, IXMLDOMElement *stored)
{
    for (const auto &attribute : ReadAttributes(live))
        XmlCheck(live->removeAttribute(_bstr_t(attribute.first.GetString())));
    IXMLDOMNodePtr child;
    XmlCheck(live->get_firstChild(&child));
    while (child)
    {
        IXMLDOMNodePtr next;
        XmlCheck(child->get_nextSibling(&next));
        IXMLDOMNodePtr removed;
        XmlCheck(live->removeChild(child, &removed));
        child = next;
    }
    for (const auto &attribute : ReadAttributes(stored))
        XmlSetAttributeString(live, attribute.first, attribute.second);
    IXMLDOMDocumentPtr liveDocument;
    XmlCheck(live->get_ownerDocument(&liveDocument));
    if (!liveDocument)
        XmlRaiseError(E_POINTER);
    CopyChildren(liveDocument, stored, live);
}

// The text of a legacy key with a leading "\\?\" cut.
CString WithoutLongPrefix(const CString &path)
{
    return path.Left(4) == L"\\\\?\\" ? path.Mid(4) : path;
}

// An extension list of the legacy file in the form the filters read: ";" without a blank after it and no "*",
// but for the entry "*.*" (every file), which the filters know as it stands.
CString LegacyExtensionList(CString text)
{
    text.Replace(L"; ", L";");
    CString result;
    int position = 0;
    bool first = true;
    while (position >= 0 && position <= text.GetLength())
    {
        int end = text.Find(L';', position);
        CString entry = end < 0 ? text.Mid(position) : text.Mid(position, end - position);
        if (entry.Trim() != L"*.*")
            entry.Remove(L'*');
        if (!first)
            result += L';';
        result += entry;
        first = false;
        if (end < 0)
            break;
        position = end + 1;
    }
    return result;
}

// True when the list takes in every file: "*.*" among its entries.
bool IncludesEverything(const CString &list)
{
    int position = 0;
    while (position >= 0)
    {
        CString entry = list.Tokenize(L";", position);
        if (entry.Trim() == L"*.*")
            return true;
    }
    return false;
}

std::string FileBytes(const CString &path)
{
    std::string bytes;
    CKernelHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return bytes;
    char block[16384];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    return bytes;
}

// How many copies of broken stores are kept beside the store at most.
const int kMaxBrokenCopies = 1000;

// Copies a store that cannot be read to the first free name of "<store>.bad", "<store>.bad.1", ...: every
// broken store met is kept, none over another. A copy that already holds the same bytes is taken as it is (the
// same broken store at the next start). copy names the copy, or where it should have gone; false when the copy
// failed.
bool KeepBrokenStore(const CString &store, CString &copy)
{
    const std::string bytes = FileBytes(store);
    for (int n = 0; n < kMaxBrokenCopies; ++n)
    {
        copy = store + L".bad";
        if (n > 0)
            copy.AppendFormat(L".%d", n);
        if (!IsExistingFile(copy))
            return CopyFileW(store, copy, TRUE) != FALSE;
        if (!bytes.empty() && FileSize(copy) == bytes.size() && FileBytes(copy) == bytes)
            return true;
    }
    return false;
}

// The legacy file numbers its job sections from 0; "totaljobs" is not trusted beyond the first gap.
const int kMaxLegacyJobs = 10000;

} // namespace

HRESULT WriteStoreDocument(IXMLDOMDocument2 *document, LPCWSTR path)
{
    return document->save(_variant_t(path));
}

Seam<PFN_WRITE_STORE_DOCUMENT> g_pfnWriteStoreDocument{&WriteStoreDocument};

CSyncJobList::CSyncJobList(LPCWSTR storePath, LPCWSTR iniPath)
    : m_storePath(storePath ? CString(storePath) : g_strJobsXmlPath),
      m_iniPath(iniPath ? CString(iniPath) : g_strIniPath)
{
    m_document = NewDocument();
    SetXmlStoreDocument(m_document);
    try
    {
        if (!m_iniPath.IsEmpty() && IsExistingFile(m_iniPath))
        {
            ImportIniJobs();
            bool saved = false;
            try
            {
                Save();
                saved = true;
            }
            catch (const _com_error &)
            {
                // The legacy file stays, so the import is tried again at the next start; the first Load below
                // reads the store as it is on disk, without the imported elements.
            }
            if (saved)
                MoveFileExW(m_iniPath, m_iniPath + L".bak", MOVEFILE_REPLACE_EXISTING);
        }
        Load();
    }
    catch (...)
    {
        std::vector<CSyncJob *> jobs;
        {
            ListLock hold(*this);
            jobs.swap(m_jobs);
        }
        for (CSyncJob *job : jobs)
            delete job;
        SetXmlStoreDocument(nullptr);
        throw;
    }
}

CSyncJobList::~CSyncJobList()
{
    std::vector<CSyncJob *> jobs;
    {
        ListLock hold(*this);
        jobs.swap(m_jobs);
    }
    for (CSyncJob *job : jobs)
        delete job;
    try
    {
        if (GetXmlStoreDocument() == m_document)
            SetXmlStoreDocument(nullptr);
    }
    catch (const _com_error &)
    {
        // No store document was set.
    }
    XmlDomLock lock;
    m_root = nullptr;
    m_document = nullptr;
}

void CSyncJobList::MakeFreshDocument()
{
    VARIANT_BOOL loaded = VARIANT_FALSE;
    XmlCheck(m_document->loadXML(_bstr_t(kFreshStore), &loaded));
    if (loaded != VARIANT_TRUE)
        XmlRaiseError(E_FAIL);
}

void CSyncJobList::LoadDocumentFromFile()
{
    XmlDomLock lock;
    m_root = nullptr;
    XmlCheck(m_document->put_async(VARIANT_FALSE));
    const bool exists = IsExistingFile(m_storePath);
    if (!exists && RecoverFromTemporary())
    {
        XmlCheck(m_document->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(L"XPath")));
        return;
    }
    if (!exists || !LoadFile(m_document, m_storePath))
    {
        // A store that is there but cannot be read must not be lost to the next save, which writes the
        // empty collection over it.
        if (exists && FileSize(m_storePath) > 0)
            m_brokenCopyFailed = !KeepBrokenStore(m_storePath, m_brokenStoreCopy);
        MakeFreshDocument();
    }
    IXMLDOMElementPtr root;
    if (FAILED(m_document->get_documentElement(&root)) || !root)
        MakeFreshDocument();
    XmlCheck(m_document->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(L"XPath")));
}

bool CSyncJobList::RecoverFromTemporary()
{
    // A save is a write of "Zel.xml.tmp" and a replace of "Zel.xml". Where the replace is not atomic (FAT, as
    // on most flash drives) a save cut off in between leaves the temporary file alone, and the next save
    // would write over it: every job would be lost.
    const CString temporary = m_storePath + L".tmp";
    if (!IsExistingFile(temporary))
        return false;
    IXMLDOMDocument2Ptr candidate = NewDocument();
    if (!LoadFile(candidate, temporary) || !StoreRoot(candidate))
        return false;
    // Kept aside under a name of its own, as the next save writes the temporary name again.
    const CString recovered = m_storePath + L".recovered";
    if (!MoveFileExW(temporary, recovered, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
        !LoadFile(m_document, recovered))
        return false;
    m_recoveredStoreCopy = recovered;
    AppLog.LogIdAt(L"SyncJobList", __LINE__, 0, LM_WARNING, IDS_LOG_STORE_RECOVERED, FormatNow().GetString(),
                   m_storePath.GetString(), temporary.GetString(), recovered.GetString());
    return true;
}

IXMLDOMElementPtr CSyncJobList::GetRoot() const
{
    if (!m_document)
        XmlRaiseError(E_POINTER);
    XmlDomLock lock;
    if (m_root)
        return m_root;
    IXMLDOMElementPtr root;
    XmlCheck(m_document->get_documentElement(&root));
    if (!root)
        XmlRaiseError(E_POINTER);
    m_root = root;
    return root;
}

std::vector<IXMLDOMElementPtr> CSyncJobList::FindUnboundElements() const
{
    // Node objects carry no identity to compare (the platform's DOM may hand out a new object for the same
    // node on every call), so the bound elements are marked for the walk and unmarked afterwards.
    const _bstr_t mark(L"velbrook-bound-mark");
    std::vector<IXMLDOMElementPtr> unbound;
    IXMLDOMElementPtr root = GetRoot();
    XmlDomLock lock;
    std::vector<IXMLDOMElementPtr> marked;
    try
    {
        for (CSyncJob *job : m_jobs)
        {
            IXMLDOMElementPtr element = job->GetJobDef()->GetElement();
            if (element)
            {
                XmlCheck(element->setAttribute(mark, _variant_t(L"1")));
                marked.push_back(element);
            }
        }
        XmlElementIterator children(root);
        while (children.Next())
        {
            if (XmlGetAttributeString(children.GetElement(), mark).IsEmpty())
                unbound.push_back(children.GetElement());
        }
    }
    catch (const _com_error &)
    {
        for (const IXMLDOMElementPtr &element : marked)
            element->removeAttribute(mark);
        throw;
    }
    for (const IXMLDOMElementPtr &element : marked)
        XmlCheck(element->removeAttribute(mark));
    return unbound;
}

void CSyncJobList::AddJobForElement(IXMLDOMElement *element)
{
    auto job = std::make_unique<CSyncJob>();
    job->Attach(element);
    job->m_notStored = FALSE;
    {
        ListLock hold(*this);
        m_jobs.push_back(job.get());
    }
    CSyncJob *added = job.release();
    added->Validate();
}

int CSyncJobList::Load()
{
    // A second call (after a job that was never stored was removed) keeps what is held: reading the file
    // again would bind a second job to every stored element.
    if (!m_loaded)
        LoadDocumentFromFile();
    const std::vector<IXMLDOMElementPtr> unbound = FindUnboundElements();
    const size_t first = m_jobs.size();
    for (const IXMLDOMElementPtr &element : unbound)
        AddJobForElement(element);
    if (!m_loaded)
        m_savedText = DocumentText();
    m_loaded = 1;
    // Once every job is there, as another job's destination counts. The disabled state is stored at the next save.
    for (size_t i = first; i < m_jobs.size(); ++i)
        DisableTwoWayJobInUnsafePlace(*this, *m_jobs[i]);
    return 1;
}

CString CSyncJobList::DocumentText() const
{
    XmlDomLock lock;
    BSTR text = nullptr;
    XmlCheck(m_document->get_xml(&text));
    return CString(static_cast<LPCWSTR>(_bstr_t(text, false)));
}

int CSyncJobList::SaveIfChanged()
{
    if (!m_document || DocumentText() == m_savedText)
        return 0;
    return Save();
}

void CSyncJobList::WriteDocumentTo(const CString &path)
{
    XmlCheck(g_pfnWriteStoreDocument(m_document, path));
    // The rename below must not put a file in place whose data still sits in the cache.
    CKernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        RaiseLastError();
    const BOOL flushed = FlushFileBuffers(file);
    const DWORD error = GetLastError();
    file.Close();
    if (!flushed)
    {
        SetLastError(error);
        RaiseLastError();
    }
}

void CSyncJobList::SetSavedForm(CSyncJob *job, IXMLDOMElement *form)
{
    CSingleLock listLock(&m_lock, TRUE);
    m_savedForms.erase(std::remove_if(m_savedForms.begin(), m_savedForms.end(),
                                      [job](const auto &saved) { return saved.first == job; }),
                       m_savedForms.end());
    if (job != nullptr && form != nullptr)
        m_savedForms.emplace_back(job, form);
}

namespace
{

// The elements that hold another form while a save writes them, given back their own when it has.
class SavedFormSwap
{
  public:
    ~SavedFormSwap()
    {
        for (auto it = m_own.rbegin(); it != m_own.rend(); ++it)
        {
            try
            {
                ReplaceElementContent(it->first, it->second);
            }
            catch (const _com_error &)
            {
            }
        }
    }
    void Swap(IXMLDOMElement *live, IXMLDOMElement *form)
    {
        IXMLDOMNodePtr copy;
        XmlCheck(live->cloneNode(VARIANT_TRUE, &copy));
        IXMLDOMElementPtr own(copy);
        if (!own)
            XmlRaiseError(E_NOINTERFACE);
        ReplaceElementContent(live, form);
        m_own.emplace_back(live, own);
    }

  private:
    std::vector<std::pair<IXMLDOMElementPtr, IXMLDOMElementPtr>> m_own;
};

} // namespace

int CSyncJobList::Save()
{
    CSingleLock listLock(&m_lock, TRUE);
    XmlDomLock domLock;
    IXMLDOMElementPtr root = GetRoot();
    for (CSyncJob *job : m_jobs)
    {
        IXMLDOMElementPtr element = job->GetJobDef()->GetElement();
        if (element)
            AppendChild(root, element);
    }
    DropDeclaredEncoding(m_document);
    const int jobs = CountChildElements(root);
    // A job in another form than the one to store (the restore page's) is written in the stored one; its
    // element is its own again as the save ends, however it ends.
    SavedFormSwap swap;
    for (const auto &saved : m_savedForms)
    {
        IXMLDOMElementPtr element = Contains(saved.first) ? saved.first->GetJobDef()->GetElement() : nullptr;
        if (element)
            swap.Swap(element, saved.second);
    }
    // The store is never rewritten in place: a drive pulled in the middle of the write would leave a file
    // that loads as no jobs at all. Nor is it replaced by a file that does not read back as every job.
    const CString temporary = m_storePath + L".tmp";
    try
    {
        WriteDocumentTo(temporary);
        IXMLDOMDocument2Ptr written = NewDocument();
        IXMLDOMElementPtr writtenRoot;
        if (LoadFile(written, temporary))
            writtenRoot = StoreRoot(written);
        if (!writtenRoot || CountChildElements(writtenRoot) != jobs)
        {
            AppLog.LogIdAt(L"SyncJobList", __LINE__, 0, LM_ERROR, IDS_LOG_STORE_NOT_SAVED, FormatNow().GetString(),
                           m_storePath.GetString(), temporary.GetString());
            XmlRaiseError(HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT));
        }
        written = nullptr;
        if (!MoveFileExW(temporary, m_storePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            RaiseLastError();
    }
    catch (const _com_error &)
    {
        DeleteFileW(temporary);
        throw;
    }
    if (!m_recoveredStoreCopy.IsEmpty())
    {
        DeleteFileW(m_recoveredStoreCopy);
        m_recoveredStoreCopy.Empty();
    }
    m_savedText = DocumentText();
    return 1;
}

void CSyncJobList::ImportIniJobs()
{
    LoadDocumentFromFile();
    IXMLDOMElementPtr root = GetRoot();
    const LPCWSTR ini = m_iniPath;
    auto readText = [ini](LPCWSTR section, LPCWSTR key, LPCWSTR fallback) {
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[kIniValueChars]());
        GetPrivateProfileStringW(section, key, fallback, buffer.get(), kIniValueChars, ini);
        return CString(buffer.get());
    };
    auto readInt = [ini](LPCWSTR section, LPCWSTR key, int fallback) {
        return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, ini));
    };
    // A key that is not there reads as the mark, which no value of the file holds.
    const CString absent(L"\x1");
    auto sectionExists = [ini](LPCWSTR section) {
        wchar_t keys[4] = {};
        return GetPrivateProfileStringW(section, nullptr, L"", keys, 4, ini) > 0;
    };

    const int totalJobs = readInt(L"Qordel", L"totaljobs", 0);
    for (int n = 0; n < totalJobs && n < kMaxLegacyJobs; ++n)
    {
        CString section;
        section.Format(L"job%d", n);
        if (!sectionExists(section))
            break;
        IXMLDOMElementPtr element;
        {
            XmlDomLock lock;
            element = NewJobElement(m_document);
        }
        XmlSetAttributeString(element, L"name", readText(section, L"name", L""));
        XmlSetAttributeString(element, L"neverrun", L"true");
        XmlSetAttributeInt(element, L"state", readInt(section, L"jobstate", 1));
        XmlSetAttributeInt(element, L"maxver", readInt(section, L"revision", 0));
        XmlSetAttributeInt(element, L"showprog", readInt(section, L"progressbar", 0));
        XmlSetAttributeString(element, L"dest", WithoutLongPrefix(readText(section, L"dest", L"")));
        const CString scheduleType = readText(section, L"jstype", L"");
        if (scheduleType == L"SYNC_EVERYxxMIN")
        {
            XmlSetAttributeInt(element, L"js_type", 1);
            XmlSetAttributeInt(element, L"js_mins", readInt(section, L"jsminutes", 5));
        }
        else if (scheduleType == L"SYNC_ONDATE")
        {
            XmlSetAttributeInt(element, L"js_type", 2);
            XmlSetAttributeString(element, L"js_time", readText(section, L"jsdate", L"00:00"));
            XmlSetAttributeInt(element, L"js_day", readInt(section, L"jsday", 1));
        }
        else
        {
            XmlSetAttributeInt(element, L"js_type", 0);
        }
        const int totalSources = readInt(section, L"totalsrcs", 0);
        XmlSetAttributeInt(element, L"hassrc", 1);
        CString include;
        CString exclude;
        if (totalSources > 0)
        {
            // The source elements are made as the job setup makes them.
            CJobDef sources(nullptr);
            sources.Attach(element);
            for (int i = 0; i < totalSources && i < kMaxLegacyJobs; ++i)
            {
                CString key;
                key.Format(L"src%d", i);
                const CString path = WithoutLongPrefix(readText(section, key, L""));
                if (!path.IsEmpty())
                    sources.AddSourcePath(path, nullptr);
                // The lists are the job's own: a source without them leaves those of the sources before it.
                key.Format(L"inc%d", i);
                const CString includeText = readText(section, key, absent);
                if (includeText != absent)
                    include = LegacyExtensionList(includeText);
                key.Format(L"exc%d", i);
                const CString excludeText = readText(section, key, absent);
                if (excludeText != absent)
                    exclude = LegacyExtensionList(excludeText);
            }
        }
        // The old program copied every file when its include list was "*.*" or empty. The filters know "*.*"
        // only for names with an extension, so a job that also excludes nothing has its sources' filters off.
        const bool everything = include.IsEmpty() || IncludesEverything(include);
        if (everything)
            include = L"*.*";
        XmlSetAttributeString(element, L"include", include);
        XmlSetAttributeString(element, L"exclude", exclude);
        if (everything && exclude.IsEmpty())
        {
            XmlElementIterator sources(element);
            while (sources.Next())
                XmlSetAttributeString(sources.GetElement(), L"rapid", L"0");
        }
        XmlDomLock lock;
        AppendChild(root, element);
    }
}

int CSyncJobList::ReloadJob(CSyncJob *job)
{
    if (job == nullptr)
        return 0;
    IXMLDOMElementPtr live = job->GetJobDef()->GetElement();
    const CString jobUuid = XmlGetAttributeString(live, L"JobUUID");
    if (!live || jobUuid.IsEmpty())
        return 0;
    // The file goes into a document of its own: reloading the shared one would leave every other job bound
    // to an element that is no longer in the tree.
    IXMLDOMDocument2Ptr stored = NewDocument();
    if (!LoadFile(stored, m_storePath))
        return 0;
    IXMLDOMElementPtr storedRoot;
    XmlCheck(stored->get_documentElement(&storedRoot));
    IXMLDOMElementPtr storedJob;
    XmlElementIterator children(storedRoot);
    while (children.Next())
    {
        if (XmlGetAttributeString(children.GetElement(), L"JobUUID") == jobUuid)
        {
            storedJob = children.GetElement();
            break;
        }
    }
    if (!storedJob)
        return 0;
    return PutBackJob(job, storedJob);
}

int CSyncJobList::PutBackJob(CSyncJob *job, IXMLDOMElement *kept)
{
    IXMLDOMElementPtr live = job != nullptr ? job->GetJobDef()->GetElement() : nullptr;
    if (!live || kept == nullptr)
        return 0;
    {
        XmlDomLock lock;
        ReplaceElementContent(live, kept);
    }
    job->Attach(live);
    return 1;
}
