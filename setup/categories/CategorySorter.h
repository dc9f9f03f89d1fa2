// The worker that fills a kind-of-files node of the restore view: it walks the files the job's restore journal
// recorded and adds a file node under the kind's node for each file of that kind. One worker at a time: a new start
// waits for the previous worker first, and the sorter waits for its worker when it goes. The node is left alone by
// the user-interface thread while the worker runs (the tree waits on the worker's thread).
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/system/Handles.h"
#include "platform/text/String.h"
#include "setup/categories/FileCategories.h"
#include "setup/sourcetree/FileTreeNode.h"

class CCategorySorter
{
  public:
    explicit CCategorySorter(const CategoryExtensions &extensions);
    ~CCategorySorter();
    CCategorySorter(const CCategorySorter &) = delete;
    CCategorySorter &operator=(const CCategorySorter &) = delete;

    // Waits for the previous worker, then starts one that fills node (of the kind category) from a copy of files.
    // The new worker's thread (kept by the sorter); null when there is nothing to fill (not a kind, or a node that
    // has its files already) or the thread could not be started.
    HANDLE Start(FileTree::BaseNode *node, int category, const std::vector<CString> &files);
    // Waits for a running worker.
    void Wait();
    bool IsRunning() const
    {
        return m_running.load();
    }

  private:
    static unsigned __stdcall ThreadEntry(void *sorter);
    void Run();

    const CategoryExtensions &m_extensions;
    FileTree::BaseNode *m_node;
    int m_category;
    std::vector<CString> m_files;
    std::atomic<bool> m_running;
    CKernelHandle m_thread;
};

// The node of a stored file (kind 0x20001) with the shell's display name, type name and small icon and the file's
// size and time; null when the shell does not know the file (it is gone).
std::unique_ptr<FileTree::BaseNode> MakeFileNode(const CString &path, int state);
