#include "setup/categories/SourceCategoryTree.h"

#include <deque>
#include <map>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"
#include "setup/categories/CategoryTreeWalks.h"
#include "setup/categories/RememberedChecks.h"
#include "setup/shell/ShellItems.h"
#include "setup/sourcetree/FileTreeCtrl.h"
#include "setup/sourcetree/FileTreeNodes.h"
#include "setup/sourcetree/FilesListCtrl.h"

using namespace FileTree;

SourceCategoryTree::SourceCategoryTree()
    : m_restoreView(false), m_job(nullptr), m_networkNode(nullptr), m_categoryNodes{}, m_current(nullptr),
      m_callback(nullptr), m_context(nullptr), m_sorter(m_extensions)
{
}

SourceCategoryTree::~SourceCategoryTree()
{
    m_sorter.Wait();
}

CSyncJob *SourceCategoryTree::ViewJob() const
{
    if (m_job != nullptr)
        return m_job;
    IMainWindowServices *main = g_pMainDlg.load();
    CSyncJobList *jobs = main != nullptr ? main->GetJobList() : nullptr;
    return jobs != nullptr && jobs->GetCount() > 0 ? jobs->GetAt(0) : nullptr;
}

void SourceCategoryTree::BuildTree()
{
    std::unique_ptr<BaseNode> root = m_restoreView ? MakeRestoreView() : MakeBackupView();
    BaseNode *shown = root.get();
    SetTopNode(std::move(root));
    CFileTreeCtrl *tree = GetTree();
    if (shown == nullptr || tree == nullptr || tree->GetSafeHwnd() == nullptr)
        return;
    HTREEITEM item = tree->InsertNode(TVI_ROOT, shown);
    tree->InsertChildrenOnce(item, shown);
    tree->Expand(item, TVE_EXPAND);
    tree->SetRoot(shown, tree->GetRootItem());
}

std::unique_ptr<BaseNode> SourceCategoryTree::MakeBackupView()
{
    std::unique_ptr<FileNode> desktop = MakeDesktopNode();
    if (!desktop)
        return nullptr;
    BaseNode *myComputer = FindChildOfKind(desktop.get(), KIND_MY_COMPUTER);
    m_startNodes = {myComputer};
    m_networkNode = FindChildOfKind(desktop.get(), KIND_NETWORK_PLACES);
    SetReloadRoot(myComputer);
    return desktop;
}

std::unique_ptr<BaseNode> SourceCategoryTree::MakeRestoreView()
{
    CSyncJob *job = ViewJob();
    if (job == nullptr)
        return nullptr;
    const CString dest = job->GetJobDef()->GetDest();
    auto root =
        std::make_unique<RootNode>(KIND_FIXED_ROOT, CHECK_NONE, ShellIconIndexOfPath(dest), ShellIconIndexOfPath(dest),
                                   dest, job->GetJobDef()->GetName(), ATTR_FOLDER | ATTR_HAS_SUBFOLDERS);
    m_startNodes = {root.get()};
    m_networkNode = nullptr;
    FillRestoreView(*root, *job);
    return root;
}

void SourceCategoryTree::FillRestoreView(BaseNode &root, CSyncJob &job)
{
    CStringArray sources;
    // Where the backup put each folder source, as the store says.
    std::map<CString, CString> backupFolders;
    try
    {
        XmlReadSrcList(job.GetElement(), sources);
        XmlDomLock lock;
        XmlElementIterator children(job.GetElement());
        while (children.Next())
        {
            if (children.GetName() == L"src")
                backupFolders.emplace(GetXmlPathAttribute(children.GetElement()),
                                      XmlGetAttributeString(children.GetElement(), L"destination"));
        }
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"SourceCategoryTree", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
    const CString dest = job.GetJobDef()->GetDest();
    if (sources.GetSize() > 0)
        m_hiddenDesktop = MakeDesktopNode();
    for (INT_PTR i = 0; i < sources.GetSize() && m_hiddenDesktop; ++i)
    {
        CString place = RestoreViewPlace(sources[i], dest);
        // A job that keeps full paths puts a folder below the computer's and drive's name, not its last name.
        const auto stored = backupFolders.find(sources[i]);
        if (!place.IsEmpty() && sources[i].Right(1) == L"\\" && stored != backupFolders.end() &&
            !stored->second.IsEmpty())
            place = CutTrailingBackslashes(stored->second);
        BaseNode *found = place.IsEmpty() ? nullptr : FindNodeForPath(m_hiddenDesktop.get(), place);
        // The node leaves the search tree for the view: it is the view's from now on.
        if (found != nullptr && found->GetParent() != nullptr)
            root.AddChild(found->GetParent()->DetachChild(found));
    }

    CString filter;
    job.GetFilterText(filter);
    for (const CString &piece : SplitLowerPieces(filter))
    {
        const int category = m_extensions.KindOfPiece(piece);
        if (category == CATEGORY_NONE || m_categoryNodes[category] != nullptr)
            continue;
        std::unique_ptr<BaseNode> node = MakeCategoryNode(category);
        m_categoryNodes[category] = node.get();
        root.AddChild(std::move(node));
    }
    ReadRestoreFiles(job);
}

void SourceCategoryTree::ReadRestoreFiles(CSyncJob &job)
{
    const CString name = job.GetJobDef()->GetName();
    // The files of another job's journal are not this one's.
    if (name != m_restoreFilesJob)
        m_restoreFiles.clear();
    m_restoreFilesJob = name;
    // A journal of the tree's own: the job's is the run's, which may be writing it.
    CRestoreJournal journal(g_strDataFolder);
    if (!journal.Open(name, 0))
        return;
    CStringList files;
    journal.ReadAll(files);
    journal.Close(0);
    m_restoreFiles.clear();
    for (POSITION at = files.GetHeadPosition(); at != nullptr;)
        m_restoreFiles.push_back(files.GetNext(at));
}

void SourceCategoryTree::DeleteView()
{
    CFileTreeCtrl *tree = GetTree();
    // The items go before their nodes: nothing may show a deleted node.
    if (tree != nullptr && tree->GetSafeHwnd() != nullptr)
        tree->DeleteAllItems();
    SetCurrentNode(nullptr);
    m_sorter.Wait();
    SetReloadRoot(nullptr);
    m_startNodes.clear();
    m_networkNode = nullptr;
    for (BaseNode *&node : m_categoryNodes)
        node = nullptr;
    SetTopNode(nullptr);
    m_hiddenDesktop.reset();
}

void SourceCategoryTree::Refresh(BOOL showHidden)
{
    DeleteView();
    SetShowHidden(showHidden != FALSE);
    ClearSelectedNode();
    BuildTree();
}

void SourceCategoryTree::Rebuild(BOOL showHidden)
{
    CFileTreeCtrl *tree = GetTree();
    CFilesListCtrl *list = GetList();
    const bool withTree = tree != nullptr && tree->GetSafeHwnd() != nullptr;
    const bool withList = list != nullptr && list->GetSafeHwnd() != nullptr;
    if (withTree)
        tree->SetRedraw(FALSE);
    if (withList)
        list->SetRedraw(FALSE);
    std::vector<CString> places;
    CollectChecked(places);
    Refresh(showHidden);
    RestoreChecks(places);
    if (withTree)
    {
        tree->SetRedraw(TRUE);
        tree->Invalidate();
    }
    if (withList)
    {
        list->SetRedraw(TRUE);
        list->Invalidate();
    }
}

void SourceCategoryTree::CollectChecked(std::vector<CString> &places) const
{
    FileTree::CollectChecked(GetViewRoot(), places);
}

void SourceCategoryTree::RestoreChecks(const std::vector<CString> &places)
{
    const RememberedChecks remembered = RecordRememberedChecks(places);
    if (!remembered.drives.empty())
        ApplyPathStates(m_startNodes, remembered.drives);
    ApplyNetworkStates(m_networkNode, remembered.network);
    for (const CString &list : remembered.categories)
    {
        for (BaseNode *node : m_categoryNodes)
        {
            if (node != nullptr && node->GetPath().CompareNoCase(list) == 0)
                node->SetState(CHECK_ON);
        }
    }
    ExpandChecked();
}

void SourceCategoryTree::ExpandChecked()
{
    CFileTreeCtrl *tree = GetTree();
    if (tree == nullptr || tree->GetSafeHwnd() == nullptr || GetViewRoot() == nullptr)
        return;
    std::deque<BaseNode *> queue{GetViewRoot()};
    while (!queue.empty())
    {
        BaseNode *node = queue.front();
        queue.pop_front();
        if (!node->IsPopulated() || node->GetState() == CHECK_OFF)
            continue;
        // A copy: opening an item records nothing in its own node, but the walk must not depend on it.
        const std::vector<HTREEITEM> items = node->GetTreeItems();
        for (HTREEITEM item : items)
        {
            tree->InsertChildrenOnce(item, node);
            tree->Expand(item, TVE_EXPAND);
        }
        for (BaseNode *child : node->GetChildrenSoFar())
            queue.push_back(child);
    }
}
