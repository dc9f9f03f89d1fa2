#include "setup/desttree/DesTreeNode.h"

#include <shellapi.h>

#include <cstring>

namespace DesFileTree
{

namespace
{

HWND g_shellOwner = nullptr;

int SharedFolderImage()
{
    static int image = -1;
    if (image < 0)
    {
        SHFILEINFOW info = {};
        image = ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) != 0
                    ? info.iIcon
                    : 0;
    }
    return image;
}

} // namespace

Seam<PFN_NODE_DESTROYED> g_pfnNodeDestroyed{nullptr};

void SetShellOwner(HWND owner)
{
    g_shellOwner = owner;
}

HWND GetShellOwner()
{
    return g_shellOwner;
}

DesBaseNode::~DesBaseNode()
{
    m_children.clear();
    if (PFN_NODE_DESTROYED told = g_pfnNodeDestroyed.Get())
        told(this);
}

int DesBaseNode::GetSelectedImage() const
{
    return SharedFolderImage();
}

const NodeList &DesBaseNode::GetChildren()
{
    if (!m_populated)
    {
        m_populated = true;
        Populate();
    }
    return m_children;
}

void DesBaseNode::DeleteChildren()
{
    if (!m_populated)
        return;
    m_children.clear();
    m_populated = false;
}

void DesBaseNode::AddChild(std::unique_ptr<DesBaseNode> child)
{
    if (!child)
        return;
    child->m_parent = this;
    m_children.push_back(std::move(child));
}

DesZorbitNode::DesZorbitNode(const ZorbitRecord &record, int image)
    : DesBaseNode(KIND_DEVICE), m_record(record), m_image(image),
      m_text(record.name, static_cast<int>(strnlen(record.name, sizeof(record.name))))
{
}

} // namespace DesFileTree
