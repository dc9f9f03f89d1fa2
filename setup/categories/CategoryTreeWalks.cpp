#include "setup/categories/CategoryTreeWalks.h"

#include <cwctype>
#include <deque>

#include "engine/run/DestPaths.h"
#include "setup/categories/FileCategories.h"

namespace FileTree
{

namespace
{

CString LowerWithoutTrailingBackslashes(const CString &path)
{
    CString lower = path;
    lower.TrimRight(L'\\');
    return lower.MakeLower();
}

bool IsNetworkKind(DWORD kind)
{
    return kind >= KIND_NETWORK_PLACES && kind <= KIND_NETWORK_SERVER;
}

// Whether the search for target (lower-cased, no trailing backslash) goes into child.
bool LeadsTo(BaseNode *child, const CString &target, bool &equal)
{
    equal = false;
    const CString path = child->GetPath();
    if (path.IsEmpty())
    {
        if (child->GetKind() == KIND_MY_COMPUTER)
            return true;
        return IsNetworkKind(child->GetKind()) && target.Left(2) == L"\\\\";
    }
    const CString own = LowerWithoutTrailingBackslashes(path);
    if (own == target)
    {
        equal = true;
        return true;
    }
    // "e:\backup" does not lead to "e:\backup data\docs": the child's path must end at a backslash of the target.
    return !own.IsEmpty() && target.GetLength() > own.GetLength() && target.Left(own.GetLength()) == own &&
           target[own.GetLength()] == L'\\';
}

BaseNode *FindBelow(BaseNode *start, const CString &target)
{
    for (BaseNode *child : start->GetChildren())
    {
        bool equal = false;
        if (!LeadsTo(child, target, equal))
            continue;
        if (equal)
            return child;
        if (BaseNode *found = FindBelow(child, target))
            return found;
    }
    return nullptr;
}

bool IsFolderLike(DWORD kind)
{
    return (kind & 0x20000) != 0 && (kind & 0x2) != 0;
}

} // namespace

BaseNode *FindNodeForPath(BaseNode *start, const CString &path)
{
    const CString target = LowerWithoutTrailingBackslashes(path);
    if (start == nullptr || target.IsEmpty())
        return nullptr;
    return FindBelow(start, target);
}

void CollectChecked(BaseNode *root, std::vector<CString> &places)
{
    if (root == nullptr)
        return;
    std::deque<BaseNode *> queue{root};
    while (!queue.empty())
    {
        BaseNode *node = queue.front();
        queue.pop_front();
        if (!node->IsPopulated())
            continue;
        for (BaseNode *child : node->GetChildrenSoFar())
        {
            const int state = child->GetState();
            if (state == CHECK_PARTIAL || state == CHECK_NONE)
            {
                queue.push_back(child);
                continue;
            }
            if (state != CHECK_ON)
                continue;
            CString place = child->GetPath();
            if (child->GetKind() == KIND_CATEGORY)
                place = CategoryIncludeText(place);
            else if (IsFolderLike(child->GetKind()) && place.Right(1) != L"\\")
                place += L"\\";
            places.push_back(place);
        }
    }
}

CString RestoreViewPlace(const CString &source, const CString &dest)
{
    CString name = source;
    if (source.GetLength() > 1 && source[1] == L':')
    {
        name.Remove(L':');
        const int last = name.ReverseFind(L'\\');
        const int before = last > 0 ? name.Left(last).ReverseFind(L'\\') : -1;
        if (before < 0)
            return CString();
        name = name.Mid(before + 1, last - before - 1);
    }
    name.Trim(L'\\');
    const CString root = JoinDestRoot(dest);
    if (root.IsEmpty() || name.IsEmpty())
        return CString();
    return root + name;
}

BaseNode *FindChildNamed(BaseNode *node, const CString &name)
{
    for (BaseNode *child : node->GetChildren())
    {
        if (child->GetDisplayName().CompareNoCase(name) == 0)
            return child;
    }
    return nullptr;
}

BaseNode *FindChildNamedFrom(BaseNode *node, const CString &prefix)
{
    for (BaseNode *child : node->GetChildren())
    {
        const CString name = child->GetDisplayName();
        if (name.GetLength() < prefix.GetLength() || name.Left(prefix.GetLength()).CompareNoCase(prefix) != 0)
            continue;
        if (name.GetLength() == prefix.GetLength() || !::IsCharAlphaW(name[prefix.GetLength()]))
            return child;
    }
    return nullptr;
}

BaseNode *FindChildOfKind(BaseNode *node, DWORD kind)
{
    for (BaseNode *child : node->GetChildren())
    {
        if (child->GetKind() == kind)
            return child;
    }
    return nullptr;
}

} // namespace FileTree
