// The node kinds of the source selection tree: a shell item (FileNode), a fixed entry (RootNode) with its two
// special forms, a protected device volume (ZorbitNode) and a blank placeholder (BlankNode).
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "engine/snapshot/ZorbitInfo.h"
#include "platform/system/ComPtr.h"
#include "setup/shell/ShellPidl.h"
#include "setup/sourcetree/FileTreeNode.h"

namespace FileTree
{

// What a node shows: its icons, path, display name, attributes and the list's texts, kept as they were given or read.
class ShownNode : public BaseNode
{
  public:
    int GetIcon() const override
    {
        return m_icon;
    }
    int GetOpenIcon() const override
    {
        return m_openIcon;
    }
    CString GetPath() const override
    {
        return m_path;
    }
    CString GetDisplayName() const override
    {
        return m_name;
    }
    DWORD GetAttributes() const override
    {
        return m_attributes;
    }
    CString GetSizeText() const override
    {
        return m_sizeText;
    }
    CString GetTimeText() const override
    {
        return m_timeText;
    }
    CString GetTypeText() const override
    {
        return m_typeText;
    }

  protected:
    ShownNode(DWORD kind, int state) : BaseNode(kind, state)
    {
    }

    int m_icon = 0;
    int m_openIcon = 0;
    CString m_path;
    CString m_name;
    DWORD m_attributes = 0;
    CString m_sizeText;
    CString m_timeText;
    CString m_typeText;
};

// One shell item: the folder that holds it and its absolute item list. What it shows is read once, at
// construction.
class FileNode : public ShownNode
{
  public:
    FileNode(CComPtr<IShellFolder> parentFolder, CShellPidl pidl, DWORD kind, int state);

    IShellFolder *GetParentFolder() const
    {
        return m_parentFolder;
    }
    LPCITEMIDLIST GetPidl() const
    {
        return m_pidl;
    }

  protected:
    // A folder's items, folders first: drives (not those the device agent names as its protected volumes'),
    // My Computer, the network's kinds and files, and folders unless this is the network places; each takes
    // this node's state (a node without a check box gives its drives, folders and files unchecked ones).
    void Populate() override;

  private:
    void ReadTexts();

    CComPtr<IShellFolder> m_parentFolder;
    CShellPidl m_pidl;
};

// A fixed entry with what it shows given to it.
class RootNode : public ShownNode
{
  public:
    // A filled entry: it has no children but those added to it.
    RootNode(DWORD kind, int state, int icon, int openIcon, const CString &path, const CString &name, DWORD attributes,
             const CString &sizeText = CString(), const CString &timeText = CString(),
             const CString &typeText = CString());
    // An entry for the file at path (not filled): size and time from the file, the type text as given.
    RootNode(DWORD kind, int state, int icon, const CString &path, const CString &name, const CString &typeText);

  protected:
    void Populate() override;
};

// A protected device volume: its record, shown by the record's name; no check box.
class ZorbitNode : public RootNode
{
  public:
    ZorbitNode(const ZorbitRecord &record, int icon);
    const ZorbitRecord &GetRecord() const
    {
        return m_record;
    }

  private:
    ZorbitRecord m_record;
};

// A placeholder the tree does not draw.
class BlankNode : public RootNode
{
  public:
    BlankNode();
};

// The Desktop, the top of the shell's namespace, without a check box.
std::unique_ptr<FileNode> MakeDesktopNode();
// The node of a path (of its kind, classified as a folder's child is), with the state; null when the shell
// cannot parse the path.
std::unique_ptr<FileNode> MakeFileNodeForPath(LPCWSTR path, int state);
// The node of an item of a folder: the folder, its absolute list and the item's kind.
std::unique_ptr<FileNode> MakeChildNode(IShellFolder *folder, CShellPidl pidl, DWORD kind, int state);

} // namespace FileTree
