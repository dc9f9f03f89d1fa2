// A destination tree node of the tests' own: a path, and children that it takes on when it is first filled.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "setup/desttree/DesTreeNode.h"

namespace setuptest
{

class PathNode : public DesFileTree::DesBaseNode
{
  public:
    PathNode(int kind, const CString &path) : DesBaseNode(kind), m_path(path)
    {
    }
    int GetTypeCode() const override
    {
        return DesFileTree::TYPE_FILE;
    }
    CString GetPath() const override
    {
        return m_path;
    }
    // A child it shows once filled.
    PathNode &Add(const CString &path)
    {
        m_later.push_back(std::make_unique<PathNode>(GetKind(), path));
        return *m_later.back();
    }

  protected:
    void Populate() override
    {
        for (auto &child : m_later)
            AddChild(std::move(child));
        m_later.clear();
    }

  private:
    CString m_path;
    std::vector<std::unique_ptr<PathNode>> m_later;
};

} // namespace setuptest
