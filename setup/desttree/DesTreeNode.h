// The nodes of the destination tree: the places a job's backup can go (drives and folders below them, network
// places, protected device volumes) and the decoration rows between the groups. A node owns its children and fills
// them the first time they are asked for.
//
// Kinds say where a node belongs: 1 a fixed drive, 2 a removable drive, 3 the network, 4 a backup agent (no node of
// this build has it), 5 a protected device, 6 a decoration row. A folder takes the kind of the node it lies in.
// Type codes say what a node is: 0 a shell item, 1 a network place, 5 a device volume, 6 a decoration row.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "engine/snapshot/ZorbitInfo.h"
#include "platform/system/Seam.h"
#include "platform/text/String.h"

namespace DesFileTree
{

enum NodeKind : int
{
    KIND_FIXED = 1,
    KIND_REMOVABLE = 2,
    KIND_NETWORK = 3,
    KIND_AGENT = 4,
    KIND_DEVICE = 5,
    KIND_CUSTOM = 6,
};

enum TypeCode : int
{
    TYPE_FILE = 0,
    TYPE_NETWORK = 1,
    TYPE_ZORBIT = 5,
    TYPE_CUSTOM = 6,
};

// Attribute bits (GetAttributes).
enum NodeAttribute : DWORD
{
    ATTR_GHOSTED = 1,
    ATTR_SHARED = 2,
    ATTR_LINK = 4,
    ATTR_HAS_SUBFOLDERS = 8,
};

class DesBaseNode;
using NodeList = std::vector<std::unique_ptr<DesBaseNode>>;

class DesBaseNode
{
  public:
    explicit DesBaseNode(int kind) : m_kind(kind)
    {
    }
    // Destroys the children first.
    virtual ~DesBaseNode();
    DesBaseNode(const DesBaseNode &) = delete;
    DesBaseNode &operator=(const DesBaseNode &) = delete;

    virtual int GetTypeCode() const = 0;
    // Small icon indices of the shell's system image list.
    virtual int GetImage() const
    {
        return 0;
    }
    // The folder image, shared by every node that gives no other.
    virtual int GetSelectedImage() const;
    virtual CString GetPath() const
    {
        return CString();
    }
    virtual CString GetDisplayText() const
    {
        return GetPath();
    }
    virtual DWORD GetAttributes() const
    {
        return 0;
    }

    // Fills the children on the first call (Populate); later calls give them as they are.
    const NodeList &GetChildren();
    // Destroys the children of a filled node; the next GetChildren fills it again.
    void DeleteChildren();
    // Appends a child of the node's own (it becomes the child's parent).
    void AddChild(std::unique_ptr<DesBaseNode> child);

    int GetKind() const
    {
        return m_kind;
    }
    DesBaseNode *GetParent() const
    {
        return m_parent;
    }
    bool IsPopulated() const
    {
        return m_populated;
    }

  protected:
    virtual void Populate()
    {
    }

  private:
    int m_kind;
    DesBaseNode *m_parent = nullptr;
    NodeList m_children;
    bool m_populated = false;
};

// A decoration row: a spacer, a separator line or a group caption.
class DesCustomNode : public DesBaseNode
{
  public:
    enum Style : int
    {
        STYLE_SPACER = 0,
        STYLE_SEPARATOR = 1,
        STYLE_CAPTION = 2,
    };
    DesCustomNode(int style, const CString &text) : DesBaseNode(KIND_CUSTOM), m_style(style), m_text(text)
    {
    }
    int GetTypeCode() const override
    {
        return TYPE_CUSTOM;
    }
    CString GetDisplayText() const override
    {
        return m_text;
    }
    int GetStyle() const
    {
        return m_style;
    }

  private:
    int m_style;
    CString m_text;
};

// A protected device volume as the device agent names it: its record, the drive's icon and the record's name.
class DesZorbitNode : public DesBaseNode
{
  public:
    DesZorbitNode(const ZorbitRecord &record, int image);
    int GetTypeCode() const override
    {
        return TYPE_ZORBIT;
    }
    int GetImage() const override
    {
        return m_image;
    }
    int GetSelectedImage() const override
    {
        return m_image;
    }
    CString GetDisplayText() const override
    {
        return m_text;
    }
    const ZorbitRecord &GetRecord() const
    {
        return m_record;
    }

  private:
    ZorbitRecord m_record;
    int m_image;
    CString m_text;
};

// The window that owns the shell's questions while the tree's folders are listed (the destination tree's).
void SetShellOwner(HWND owner);
HWND GetShellOwner();

// Told of every node as it is destroyed (none unless a test puts one in).
typedef void (*PFN_NODE_DESTROYED)(const DesBaseNode *node);
extern Seam<PFN_NODE_DESTROYED> g_pfnNodeDestroyed;

} // namespace DesFileTree
