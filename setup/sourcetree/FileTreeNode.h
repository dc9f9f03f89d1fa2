// The model behind the source selection tree and its file list: a tree of places the user can check for backup
// (shell folders, drives, files, special roots, protected device volumes). Each node has a check state that
// reaches its ancestors and its filled descendants, fills its children on first use, and gives the texts of the
// list's columns.
//
// Check states: 1 no check box (never changes), 2 unchecked, 3 checked, 4 partly checked (a descendant is
// checked), 5 held (keeps its state when an ancestor's state is pushed down).
//
// What the model keeps for the whole process (the user-interface thread's): the single-selection flag with the
// selected node, the show-hidden flag and the owner window of shell questions. Each tree keeps its own change
// callback on its topmost node: the callback hears of every state a node of that tree writes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "platform/text/String.h"

namespace FileTree
{

enum NodeKind : DWORD
{
    KIND_FIXED_ROOT = 0x10000, // Favorites, My Documents: no check box
    KIND_CONTROL_PANEL = 0x10001,
    KIND_RECYCLE_BIN = 0x10002,
    KIND_DESKTOP = 0x10003,
    KIND_MY_COMPUTER = 0x10004,
    KIND_NETWORK_PLACES = 0x10005,
    KIND_NETWORK_ROOT = 0x10006,     // the entire network
    KIND_NETWORK_PROVIDER = 0x10007, // "Microsoft Windows Network"
    KIND_NETWORK_DOMAIN = 0x10008,
    KIND_NETWORK_SERVER = 0x10009,
    KIND_DEVICE_VOLUME = 0x1000a, // ZorbitNode
    KIND_BLANK = 0x1000b,         // BlankNode
    KIND_UNCLASSIFIED = 0x1ffff,
    KIND_FILE = 0x20001,
    KIND_FOLDER = 0x20002, // also a network share and the My Documents item
    KIND_DRIVE = 0x20003,
    KIND_CATEGORY_ENTRY = 0x20004, // has no file list
    KIND_NOT_IN_TREE = 0x20006,
    KIND_CATEGORY = 0x80002, // a checkable entry of the category tree
};

enum CheckState : int
{
    CHECK_NONE = 1,
    CHECK_OFF = 2,
    CHECK_ON = 3,
    CHECK_PARTIAL = 4,
    CHECK_HELD = 5,
};

// Attribute bits (GetAttributes).
enum NodeAttribute : DWORD
{
    ATTR_GHOSTED = 1, // a hidden item
    ATTR_SHARED = 2,
    ATTR_LINK = 4,
    ATTR_FOLDER = 8,
    ATTR_HAS_SUBFOLDERS = 16,
};

class BaseNode;
typedef void (*ChangeCallback)(BaseNode *node, void *context);

class BaseNode
{
  public:
    BaseNode(DWORD kind, int state);
    // Deletes the children; a node that goes while it is the selected one leaves no selected node behind.
    virtual ~BaseNode();
    BaseNode(const BaseNode &) = delete;
    BaseNode &operator=(const BaseNode &) = delete;

    // Small icon index, and the one while the node is open.
    virtual int GetIcon() const = 0;
    virtual int GetOpenIcon() const = 0;
    virtual CString GetPath() const = 0;
    virtual CString GetDisplayName() const = 0;
    virtual DWORD GetAttributes() const = 0;
    // The list's size, time and type columns; empty here.
    virtual CString GetSizeText() const;
    virtual CString GetTimeText() const;
    virtual CString GetTypeText() const;

    // The children, filled (Populate) on the first call.
    const std::vector<BaseNode *> &GetChildren();
    // The children as they are, never filled here.
    const std::vector<BaseNode *> &GetChildrenSoFar() const
    {
        return m_children;
    }
    // Appends a child of the node's own (it becomes the child's parent).
    void AddChild(std::unique_ptr<BaseNode> child);
    // Deletes every child; the node stays filled.
    void ClearChildren();
    // Deletes every child and marks the node unfilled: the next GetChildren fills it anew.
    void ForgetChildren();
    // Takes the child out of the node's children and hands it over (it has no parent then); null for a node that
    // is not a child of this one.
    std::unique_ptr<BaseNode> DetachChild(BaseNode *child);

    bool IsPopulated() const
    {
        return m_populated;
    }
    DWORD GetKind() const
    {
        return m_kind;
    }
    int GetState() const
    {
        return m_state;
    }
    BaseNode *GetParent() const
    {
        return m_parent;
    }
    // The topmost node of the node's tree.
    BaseNode *GetTop();

    // Sets the check state as the user's click does: a node without a check box keeps it; 3 checks the node
    // and marks its ancestors partly checked; any other value unchecks it and recomputes its ancestors. In
    // single-selection mode the node checked before is cleared first. A filled node pushes its new state down
    // to every filled descendant that is not held.
    void SetState(int state);
    // Unchecked becomes checked, every other state unchecked.
    void Toggle();

    // The tree items that show the node, each once.
    const std::vector<HTREEITEM> &GetTreeItems() const
    {
        return m_treeItems;
    }
    void AddTreeItem(HTREEITEM item);
    void ClearTreeItems()
    {
        m_treeItems.clear();
    }

    // The callback of the tree the node is the top of (null: none); it is called with the node and the context
    // after each state a node of the tree writes.
    void SetChangeCallback(ChangeCallback callback, void *context);

  protected:
    // Fills the children (once, through GetChildren).
    virtual void Populate() = 0;
    void MarkPopulated()
    {
        m_populated = true;
    }

  private:
    void WriteState(int state);
    void ClearSubtree();
    void RecomputeFrom(BaseNode *node);
    void PushDown(int state);

    bool m_populated;
    DWORD m_kind;
    int m_state;
    BaseNode *m_parent;
    std::vector<BaseNode *> m_children;
    std::vector<HTREEITEM> m_treeItems;
    ChangeCallback m_callback;
    void *m_context;
};

// The process-wide parts of the model.
void SetSingleSelection(bool single);
bool IsSingleSelection();
// The node checked last in single-selection mode; null when there is none.
BaseNode *GetSelectedNode();
void ClearSelectedNode();
// Hidden items are listed while the flag is on.
void SetShowHidden(bool show);
bool IsShowHidden();
// The window that owns the shell's questions while folders are listed.
void SetOwnerWindow(HWND owner);
HWND GetOwnerWindow();

} // namespace FileTree
