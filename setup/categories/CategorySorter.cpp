#include "setup/categories/CategorySorter.h"

#include <process.h>
#include <shellapi.h>

#include "platform/system/ExceptionReport.h"
#include "setup/sourcetree/FileTreeNodes.h"

CCategorySorter::CCategorySorter(const CategoryExtensions &extensions)
    : m_extensions(extensions), m_node(nullptr), m_category(CATEGORY_NONE), m_running(false)
{
}

CCategorySorter::~CCategorySorter()
{
    Wait();
}

void CCategorySorter::Wait()
{
    m_running = false;
    if (m_thread.IsValid())
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Close();
}

HANDLE CCategorySorter::Start(FileTree::BaseNode *node, int category, const std::vector<CString> &files)
{
    Wait();
    // A kind is filled once: a second start on it would give each file a second node.
    if (node == nullptr || category == CATEGORY_NONE || !node->GetChildrenSoFar().empty())
        return nullptr;
    m_node = node;
    m_category = category;
    m_files = files;
    m_running = true;
    unsigned id = 0;
    m_thread.Attach(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadEntry, this, 0, &id)));
    if (!m_thread.IsValid())
        m_running = false;
    return m_thread.Get();
}

unsigned __stdcall CCategorySorter::ThreadEntry(void *sorter)
{
    auto *self = static_cast<CCategorySorter *>(sorter);
    try
    {
        // The shell's file information needs COM on the asking thread.
        CCoInitialize com;
        self->Run();
    }
    catch (...)
    {
        AfxReportCurrentException("the category sorter thread");
    }
    self->m_running = false;
    return 0;
}

void CCategorySorter::Run()
{
    // Files found under a checked kind are checked with it.
    const int state = m_node->GetState() == FileTree::CHECK_ON ? FileTree::CHECK_ON : FileTree::CHECK_OFF;
    for (const CString &file : m_files)
    {
        if (!m_extensions.HoldsFile(m_category, file))
            continue;
        if (std::unique_ptr<FileTree::BaseNode> node = MakeFileNode(file, state))
            m_node->AddChild(std::move(node));
    }
}

std::unique_ptr<FileTree::BaseNode> MakeFileNode(const CString &path, int state)
{
    SHFILEINFOW info = {};
    const UINT flags = SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    if (path.IsEmpty() || ::SHGetFileInfoW(path, 0, &info, sizeof(info), flags) == 0 ||
        ::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    return std::make_unique<FileTree::RootNode>(FileTree::KIND_FILE, state, info.iIcon, path, info.szDisplayName,
                                                info.szTypeName);
}
