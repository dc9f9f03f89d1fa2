#include "setup/filters/FilterTree.h"

#include "engine/program/ProgramObjects.h"

const wchar_t kBasicFilterFileName[] = L"BasicFilter.xml";

Seam<PFN_ENSURE_DEFAULT_FILTER_FILE> g_pfnEnsureDefaultFilterFile{nullptr};

namespace
{

void CollectExtensions(const CString &list, CString &extensions)
{
    int at = 0;
    for (;;)
    {
        CString piece = list.Tokenize(L";, ", at);
        if (at < 0)
            break;
        if (piece.Left(2) == L"*.")
            piece = piece.Mid(2);
        else if (piece.Left(1) == L".")
            piece = piece.Mid(1);
        if (!piece.IsEmpty())
            extensions += L"." + piece + L";";
    }
}

} // namespace

CString JobFilterFilePath(const CString &jobUuid)
{
    return g_strFilterFolder + jobUuid + L"_1.xml";
}

CString DefaultFilterFilePath()
{
    return g_strFilterFolder + kBasicFilterFileName;
}

void EnsureDefaultFilterFile()
{
    if (PFN_ENSURE_DEFAULT_FILTER_FILE ensure = g_pfnEnsureDefaultFilterFile.Get())
        ensure();
}

bool LoadFilterTree(FilterNode *root, FiltersMedia &media, LPCWSTR path)
{
    // The old nodes are bound to the objects that the load destroys.
    if (root != nullptr)
        root->DeleteChildren();
    const bool loaded = media.Load(path);
    if (root == nullptr)
        return loaded;
    for (const auto &set : media.GetRoot()->GetChildren())
    {
        auto *setNode = new FilterNode(FilterNode::KIND_SET, set.get(), root);
        root->AddChild(setNode, false);
        for (const auto &filter : set->GetChildren())
        {
            auto *filterNode = new FilterNode(FilterNode::KIND_FILTER, filter.get(), setNode);
            setNode->AddChild(filterNode, false);
            for (const auto &configuration : filter->GetConfigurations())
                filterNode->AddChild(new FilterLeafNode(configuration.get(), filterNode), false);
        }
    }
    return loaded;
}

void CollectTreeSelection(const FilterNode *root, CStringArray &paths, CString &extensions)
{
    if (root == nullptr)
        return;
    for (const FilterNode *set : root->GetChildren())
    {
        if (set->GetKind() != FilterNode::KIND_SET || !set->IsSelected())
            continue;
        for (const FilterNode *filter : set->GetChildren())
        {
            if (filter->GetKind() != FilterNode::KIND_FILTER || !filter->IsSelected())
                continue;
            for (const FilterNode *node : filter->GetChildren())
            {
                const auto *leaf = dynamic_cast<const FilterLeafNode *>(node);
                if (leaf == nullptr || !leaf->IsSelected())
                    continue;
                if (!leaf->IsFolder())
                {
                    CollectExtensions(leaf->GetText(), extensions);
                    continue;
                }
                CString path = leaf->GetText();
                path.TrimRight(L'\\');
                if (!path.IsEmpty())
                    paths.Add(path + L"\\");
            }
        }
    }
}
