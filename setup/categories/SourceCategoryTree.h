// SourceCategoryTree: what the advanced source page's tree and file list show, and their host. It builds one of
// two views, fixed when it is attached:
//
// - the backup view: this computer's places under the Desktop (My Computer's drives and folders, the network);
//   remembered checks go back from My Computer and the network places, and My Computer is the place the reload
//   after drives came or went lists anew;
// - the restore view: what a job stored at its destination, under a root named after the job: the folder of each
//   source the job backed up (found in a hidden Desktop tree that goes with the view) and one node per kind of
//   files the job's filter names, which fills with the restore journal's files of that kind on a worker.
//
// It collects the checked places for saving and puts remembered ones back after a rebuild. The files of the class:
// SourceCategoryTree.cpp (the views, rebuilding, remembered checks) and SourceCategoryTreeHost.cpp (attaching and
// what the controls ask of their host).
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/drawing/ImageList.h"
#include "setup/categories/CategorySorter.h"
#include "setup/categories/FileCategories.h"
#include "setup/sourcetree/FileTreeHost.h"

class CSyncJob;

class SourceCategoryTree : public FileTree::CFileTreeHost
{
  public:
    typedef void (*ItemCallback)(FileTree::BaseNode *node, void *context);

    SourceCategoryTree();
    // Waits for the worker; the nodes go with the host (the controls' windows must be gone before).
    ~SourceCategoryTree() override;

    // The job whose stores the restore view shows (not owned); without one, the job collection's first job.
    void SetJob(CSyncJob *job)
    {
        m_job = job;
    }
    // Makes this object the host of both controls, sets up their looks (the list's check images greyed while its
    // check boxes are off) and builds the view: the restore view when restoreView is set, else the backup view.
    void Attach(FileTree::CFileTreeCtrl &tree, FileTree::CFilesListCtrl &list, bool restoreView);
    // Builds the view and shows its root open and selected.
    void BuildTree();
    // Builds the view anew with hidden items shown or not; checks are not kept.
    void Refresh(BOOL showHidden);
    // The same, keeping the checked places (as far as the new view has them).
    void Rebuild(BOOL showHidden);
    // The checked places of the view (CollectChecked of CategoryTreeWalks.h from the view's root); none without one.
    void CollectChecked(std::vector<CString> &places) const;
    // Checks the remembered places (RememberedChecks.h) and opens the way to each.
    void RestoreChecks(const std::vector<CString> &places);

    // What the controls ask.
    FileTree::BaseNode *GetCurrentNode() const override
    {
        return m_current;
    }
    void SetCurrentNode(FileTree::BaseNode *node) override;
    // A kind of files fills on the sorter's worker; the worker's thread (null: nothing to fill).
    HANDLE StartFill(FileTree::BaseNode *node) override;
    void FireItemCallback(FileTree::BaseNode *node) override;
    void SelectPath(FileTree::BaseNode *node) override;
    // The open dialog of a protected volume, unless the agent reports it open.
    void OpenDeviceRecord(FileTree::BaseNode *node) override;
    void SetItemCallback(ItemCallback callback, void *context)
    {
        m_callback = callback;
        m_context = context;
    }

    bool IsRestoreView() const
    {
        return m_restoreView;
    }
    // The view's root: the Desktop, or the restore view's root (none without a job).
    FileTree::BaseNode *GetViewRoot() const
    {
        return GetTopNode();
    }
    // The node of a kind of files in the restore view; null while it has none.
    FileTree::BaseNode *GetCategoryNode(int category) const
    {
        return m_categoryNodes[category];
    }
    // The files the job's restore journal recorded (their copies at the destination).
    const std::vector<CString> &GetRestoreFiles() const
    {
        return m_restoreFiles;
    }
    const CCategorySorter &GetSorter() const
    {
        return m_sorter;
    }

  private:
    // The job the restore view shows; null for none.
    CSyncJob *ViewJob() const;
    std::unique_ptr<FileTree::BaseNode> MakeBackupView();
    std::unique_ptr<FileTree::BaseNode> MakeRestoreView();
    void FillRestoreView(FileTree::BaseNode &root, CSyncJob &job);
    void ReadRestoreFiles(CSyncJob &job);
    // The tree's items go, then the nodes (after the worker).
    void DeleteView();
    // Opens every filled node on the way to a check.
    void ExpandChecked();
    void LoadCheckImages(FileTree::CFilesListCtrl &list);

    CImageList m_treeChecks;
    CImageList m_listChecks;
    bool m_restoreView;
    CSyncJob *m_job;
    // The restore view's search tree, kept with the view.
    std::unique_ptr<FileTree::BaseNode> m_hiddenDesktop;
    // Where remembered drive and folder checks are looked for, and the network node for the network's.
    std::vector<FileTree::BaseNode *> m_startNodes;
    FileTree::BaseNode *m_networkNode;
    FileTree::BaseNode *m_categoryNodes[CATEGORY_COUNT];
    FileTree::BaseNode *m_current;
    std::vector<CString> m_restoreFiles;
    // The job whose journal m_restoreFiles holds.
    CString m_restoreFilesJob;
    ItemCallback m_callback;
    void *m_context;
    CategoryExtensions m_extensions;
    // Goes first: its worker reads the extensions and adds to a node.
    CCategorySorter m_sorter;
};
