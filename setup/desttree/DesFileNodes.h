// The destination tree's shell items: a drive, a folder or a network item (DesFileNode) and a network place with
// its level in the network's hierarchy (DesNetworkNode). What an item shows is read from the shell once, when its
// node is made.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "platform/system/ComPtr.h"
#include "setup/desttree/DesTreeNode.h"
#include "setup/shell/ShellPidl.h"

namespace DesFileTree
{

class DesFileNode : public DesBaseNode
{
  public:
    // The folder that holds the item and the item's absolute list.
    DesFileNode(CComPtr<IShellFolder> parentFolder, CShellPidl pidl, int kind);

    int GetTypeCode() const override
    {
        return TYPE_FILE;
    }
    int GetImage() const override
    {
        return m_image;
    }
    CString GetPath() const override
    {
        return m_path;
    }
    CString GetDisplayText() const override
    {
        return m_name;
    }
    DWORD GetAttributes() const override
    {
        return m_attributes;
    }
    LPCITEMIDLIST GetPidl() const
    {
        return m_pidl;
    }

  protected:
    // The item's folders (hidden ones too, no files), each a node of this node's kind.
    void Populate() override;

  private:
    CComPtr<IShellFolder> m_parentFolder;
    CShellPidl m_pidl;
    int m_image = 0;
    CString m_path;
    CString m_name;
    DWORD m_attributes = 0;
};

class DesNetworkNode : public DesFileNode
{
  public:
    enum Level : int
    {
        LEVEL_PLACES = 0, // the network places root
        LEVEL_WHOLE_NETWORK = 1,
        LEVEL_PROVIDER = 2, // "Microsoft Windows Network"
        LEVEL_DOMAIN = 3,   // a domain or workgroup
        LEVEL_SERVER = 4,
        LEVEL_SHARE = 5,
        LEVEL_FOLDER = 6, // a folder on a share
        LEVEL_OTHER = 7,  // not shown
    };
    DesNetworkNode(CComPtr<IShellFolder> parentFolder, CShellPidl pidl, int level);

    int GetTypeCode() const override
    {
        return TYPE_NETWORK;
    }
    int GetLevel() const
    {
        return m_level;
    }

  protected:
    // The folder's items by their level; the levels not shown, and folders right under the root, are left out.
    void Populate() override;

  private:
    int m_level;
};

// The network places root; null when the shell gives none.
std::unique_ptr<DesNetworkNode> MakeNetworkPlacesNode();

} // namespace DesFileTree
