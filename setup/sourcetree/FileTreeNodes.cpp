#include "setup/sourcetree/FileTreeNodes.h"

#include <vector>

#include "setup/shell/ShellItems.h"
#include "setup/shell/ShellString.h"
#include "setup/sourcetree/FileTreeItems.h"

namespace FileTree
{

namespace
{

DWORD ReadAttributes(IShellFolder *folder, LPCITEMIDLIST item)
{
    return ShellItemBits(folder, item,
                         {{SFGAO_GHOSTED, ATTR_GHOSTED},
                          {SFGAO_SHARE, ATTR_SHARED},
                          {SFGAO_LINK, ATTR_LINK},
                          {SFGAO_FOLDER, ATTR_FOLDER},
                          {SFGAO_HASSUBFOLDER, ATTR_HAS_SUBFOLDERS}});
}

// The size text of a file (none for a folder) and the time text of its last write, from the disk.
void ReadFileTexts(const CString &path, CString &sizeText, CString &timeText)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.IsEmpty() || !::GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        sizeText = FormatSizeText((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    timeText = FormatTimeText(data.ftLastWriteTime);
}

CString RecordName(const ZorbitRecord &record)
{
    return CString(record.name, static_cast<int>(strnlen(record.name, sizeof(record.name))));
}

// The state a new child of a node in state parentState starts with.
int ChildState(int parentState, DWORD kind)
{
    const bool checkable = kind == KIND_DRIVE || kind == KIND_FOLDER || kind == KIND_FILE;
    if (parentState == CHECK_NONE && checkable)
        return CHECK_OFF;
    // Partly checked tells of the parent's other descendants, not of new children.
    if (parentState == CHECK_PARTIAL)
        return CHECK_OFF;
    return parentState;
}

} // namespace

FileNode::FileNode(CComPtr<IShellFolder> parentFolder, CShellPidl pidl, DWORD kind, int state)
    : ShownNode(kind, state), m_parentFolder(std::move(parentFolder)), m_pidl(std::move(pidl))
{
    LPCITEMIDLIST item = PidlLastItem(m_pidl);
    m_icon = m_pidl.GetIconIndex(SHGFI_SMALLICON);
    m_openIcon = m_pidl.GetIconIndex(SHGFI_SMALLICON | SHGFI_OPENICON);
    m_path = m_pidl.GetPath();
    m_name = ShellDisplayName(m_parentFolder, item, SHGDN_INFOLDER);
    m_attributes = ReadAttributes(m_parentFolder, item);
    if (kind == KIND_DESKTOP)
        m_attributes |= ATTR_FOLDER | ATTR_HAS_SUBFOLDERS;
    ReadTexts();
}

void FileNode::ReadTexts()
{
    if (GetKind() != KIND_DRIVE)
        ReadFileTexts(m_path, m_sizeText, m_timeText);
    SHFILEINFOW info = {};
    if (!m_pidl.IsNull() &&
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(m_pidl.Get()), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_TYPENAME))
        m_typeText = info.szTypeName;
}

void FileNode::Populate()
{
    if (GetKind() == KIND_FILE)
        return;
    CComPtr<IShellFolder> folder = BindToDesktopChild(m_pidl);
    SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
    if (IsShowHidden())
        flags |= SHCONTF_INCLUDEHIDDEN;
    CComPtr<IEnumIDList> items = ShellEnumObjects(folder, flags, GetOwnerWindow());
    if (!items)
        return;
    std::vector<ZorbitRecord> records;
    bool recordsRead = false;
    std::vector<std::unique_ptr<BaseNode>> others;
    std::vector<std::unique_ptr<BaseNode>> files;
    LPITEMIDLIST child = nullptr;
    while (items->Next(1, &child, nullptr) == S_OK)
    {
        CShellPidl item(child);
        const DWORD kind = ClassifyShellItem(folder, item);
        CShellPidl pidl = PidlConcat(m_pidl, item);
        bool keep = false;
        switch (kind)
        {
        case KIND_DRIVE: {
            if (!recordsRead)
            {
                recordsRead = true;
                if (PFN_LOAD_DEVICE_RECORDS load = g_pfnLoadDeviceRecords.Get())
                    load(records);
            }
            // A protected volume's opened letter is shown by the device-volume entries, not as a drive.
            const CString path = pidl.GetPath();
            const wchar_t letter = path.IsEmpty() ? 0 : path[0];
            keep = true;
            for (const ZorbitRecord &record : records)
            {
                if (SameDriveLetter(letter, OpenVolumeLetter(record)))
                    keep = false;
            }
            break;
        }
        case KIND_MY_COMPUTER:
        case KIND_NETWORK_PLACES:
        case KIND_NETWORK_ROOT:
        case KIND_NETWORK_PROVIDER:
        case KIND_NETWORK_DOMAIN:
        case KIND_NETWORK_SERVER:
        case KIND_FILE:
            keep = true;
            break;
        case KIND_FOLDER:
            keep = GetKind() != KIND_NETWORK_PLACES;
            break;
        default:
            break;
        }
        if (!keep)
            continue;
        auto node = MakeChildNode(folder, std::move(pidl), kind, ChildState(GetState(), kind));
        (kind == KIND_FILE ? files : others).push_back(std::move(node));
    }
    for (auto &node : others)
        AddChild(std::move(node));
    for (auto &node : files)
        AddChild(std::move(node));
}

RootNode::RootNode(DWORD kind, int state, int icon, int openIcon, const CString &path, const CString &name,
                   DWORD attributes, const CString &sizeText, const CString &timeText, const CString &typeText)
    : ShownNode(kind, state)
{
    m_icon = icon;
    m_openIcon = openIcon;
    m_path = path;
    m_name = name;
    m_attributes = attributes;
    m_sizeText = sizeText;
    m_timeText = timeText;
    m_typeText = typeText;
    MarkPopulated();
}

RootNode::RootNode(DWORD kind, int state, int icon, const CString &path, const CString &name, const CString &typeText)
    : ShownNode(kind, state)
{
    m_icon = icon;
    m_openIcon = icon;
    m_path = path;
    m_name = name;
    m_typeText = typeText;
    ReadFileTexts(path, m_sizeText, m_timeText);
}

void RootNode::Populate()
{
}

ZorbitNode::ZorbitNode(const ZorbitRecord &record, int icon)
    : RootNode(KIND_DEVICE_VOLUME, CHECK_NONE, icon, icon, CString(), RecordName(record),
               ATTR_FOLDER | ATTR_HAS_SUBFOLDERS),
      m_record(record)
{
}

BlankNode::BlankNode() : RootNode(KIND_BLANK, CHECK_NONE, 0, 0, CString(), CString(), 0)
{
}

std::unique_ptr<FileNode> MakeChildNode(IShellFolder *folder, CShellPidl pidl, DWORD kind, int state)
{
    return std::make_unique<FileNode>(CComPtr<IShellFolder>(folder), std::move(pidl), kind, state);
}

std::unique_ptr<FileNode> MakeDesktopNode()
{
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &pidl)))
        return nullptr;
    return MakeChildNode(CShellPidl::GetDesktopFolder(), CShellPidl(pidl), KIND_DESKTOP, CHECK_NONE);
}

std::unique_ptr<FileNode> MakeFileNodeForPath(LPCWSTR path, int state)
{
    CShellPidl pidl = ParseShellPath(GetOwnerWindow(), path);
    if (pidl.IsNull())
        return nullptr;
    CComPtr<IShellFolder> parent = BindToParentFolder(pidl);
    if (!parent)
        return nullptr;
    const DWORD kind = ClassifyShellItem(parent, PidlLastItem(pidl));
    return MakeChildNode(parent, std::move(pidl), kind, state);
}

} // namespace FileTree
