#include "setup/sourcetree/FileTreeNode.h"

#include <algorithm>

namespace FileTree
{

namespace
{

bool g_singleSelection = false;
BaseNode *g_selectedNode = nullptr;
bool g_showHidden = false;
HWND g_ownerWindow = nullptr;

} // namespace

void SetSingleSelection(bool single)
{
    g_singleSelection = single;
}

bool IsSingleSelection()
{
    return g_singleSelection;
}

BaseNode *GetSelectedNode()
{
    return g_selectedNode;
}

void ClearSelectedNode()
{
    g_selectedNode = nullptr;
}

void SetShowHidden(bool show)
{
    g_showHidden = show;
}

bool IsShowHidden()
{
    return g_showHidden;
}

void SetOwnerWindow(HWND owner)
{
    g_ownerWindow = owner;
}

HWND GetOwnerWindow()
{
    return g_ownerWindow;
}

BaseNode::BaseNode(DWORD kind, int state)
    : m_populated(false), m_kind(kind), m_state(state), m_parent(nullptr), m_callback(nullptr), m_context(nullptr)
{
}

BaseNode::~BaseNode()
{
    // The single-selection check would clear the node it remembers: a deleted one must not stay remembered.
    if (g_selectedNode == this)
        g_selectedNode = nullptr;
    ClearChildren();
}

CString BaseNode::GetSizeText() const
{
    return CString();
}

CString BaseNode::GetTimeText() const
{
    return CString();
}

CString BaseNode::GetTypeText() const
{
    return CString();
}

const std::vector<BaseNode *> &BaseNode::GetChildren()
{
    if (!m_populated)
    {
        m_populated = true;
        Populate();
    }
    return m_children;
}

void BaseNode::AddChild(std::unique_ptr<BaseNode> child)
{
    if (!child)
        return;
    child->m_parent = this;
    m_children.push_back(child.release());
}

void BaseNode::ClearChildren()
{
    std::vector<BaseNode *> children;
    children.swap(m_children);
    for (BaseNode *child : children)
        delete child;
}

void BaseNode::ForgetChildren()
{
    ClearChildren();
    m_populated = false;
}

std::unique_ptr<BaseNode> BaseNode::DetachChild(BaseNode *child)
{
    auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found == m_children.end())
        return nullptr;
    m_children.erase(found);
    child->m_parent = nullptr;
    return std::unique_ptr<BaseNode>(child);
}

BaseNode *BaseNode::GetTop()
{
    BaseNode *top = this;
    while (top->m_parent != nullptr)
        top = top->m_parent;
    return top;
}

void BaseNode::AddTreeItem(HTREEITEM item)
{
    if (std::find(m_treeItems.begin(), m_treeItems.end(), item) == m_treeItems.end())
        m_treeItems.push_back(item);
}

void BaseNode::SetChangeCallback(ChangeCallback callback, void *context)
{
    m_callback = callback;
    m_context = context;
}

void BaseNode::WriteState(int state)
{
    m_state = state;
    BaseNode *top = GetTop();
    if (top->m_callback != nullptr)
        top->m_callback(this, top->m_context);
}

void BaseNode::ClearSubtree()
{
    if (m_state != CHECK_NONE)
        WriteState(CHECK_OFF);
    for (BaseNode *child : m_children)
        child->ClearSubtree();
}

void BaseNode::SetState(int state)
{
    if (m_state == CHECK_NONE || state == m_state)
        return;
    if (g_singleSelection)
    {
        BaseNode *previous = g_selectedNode;
        // Several trees may live at once (the main window's pages and the wizard's): a check in one of them never
        // clears a place of another.
        if (previous != nullptr && previous != this && previous->GetTop() == GetTop())
        {
            previous->ClearSubtree();
            for (BaseNode *up = previous->m_parent; up != nullptr && up->m_state != CHECK_NONE; up = up->m_parent)
                up->WriteState(CHECK_OFF);
        }
        g_selectedNode = this;
    }
    if (state == CHECK_ON)
    {
        WriteState(CHECK_ON);
        for (BaseNode *up = m_parent; up != nullptr; up = up->m_parent)
        {
            if (up->m_state == CHECK_PARTIAL || up->m_state == CHECK_NONE)
                break;
            up->WriteState(CHECK_PARTIAL);
        }
    }
    else
    {
        WriteState(CHECK_OFF);
        RecomputeFrom(m_parent);
    }
    if (m_populated)
        PushDown(m_state);
}

void BaseNode::RecomputeFrom(BaseNode *node)
{
    while (node != nullptr && node->m_state != CHECK_NONE)
    {
        const bool anyChecked = std::any_of(node->m_children.begin(), node->m_children.end(), [](BaseNode *child) {
            return child->m_state == CHECK_ON || child->m_state == CHECK_PARTIAL;
        });
        if (!anyChecked)
        {
            if (node->m_state != CHECK_OFF)
                node->WriteState(CHECK_OFF);
            node = node->m_parent;
            continue;
        }
        // A checked node with one of its children unchecked is only partly checked now, and so is every checked
        // node above it.
        for (BaseNode *up = node; up != nullptr && up->m_state == CHECK_ON; up = up->m_parent)
            up->WriteState(CHECK_PARTIAL);
        return;
    }
}

void BaseNode::PushDown(int state)
{
    for (BaseNode *child : m_children)
    {
        // A held node keeps its state, and so does what lies below it.
        if (child->m_state == CHECK_HELD)
            continue;
        if (child->m_state != CHECK_NONE && child->m_state != state)
            child->WriteState(state);
        if (child->m_populated)
            child->PushDown(state);
    }
}

void BaseNode::Toggle()
{
    SetState(m_state == CHECK_OFF ? CHECK_ON : CHECK_OFF);
}

} // namespace FileTree
