// A host of the source tree's controls for the tests: it keeps the current node (and sets the list's items when
// it has a list), records the item callbacks, fills nothing and opens nothing.
#pragma once
#include <windows.h>

#include <vector>

#include "setup/sourcetree/FileTreeHost.h"
#include "setup/sourcetree/FilesListCtrl.h"

namespace setuptest
{

class TreeHostDouble : public FileTree::CFileTreeHost
{
  public:
    FileTree::BaseNode *GetCurrentNode() const override
    {
        return m_current;
    }
    void SetCurrentNode(FileTree::BaseNode *node) override
    {
        m_current = node;
        if (GetList() != nullptr)
            GetList()->UpdateItemCount();
    }
    HANDLE StartFill(FileTree::BaseNode *) override
    {
        return nullptr;
    }
    void FireItemCallback(FileTree::BaseNode *node) override
    {
        m_fired.push_back(node);
    }
    void SelectPath(FileTree::BaseNode *) override
    {
    }
    void OpenDeviceRecord(FileTree::BaseNode *) override
    {
    }

    FileTree::BaseNode *m_current = nullptr;
    std::vector<FileTree::BaseNode *> m_fired;
};

} // namespace setuptest
