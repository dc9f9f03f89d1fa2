// The seven kinds of files the restore view groups a job's stored files by: each a name of the language library
// and a fixed list of extensions. A kind is checked as a whole in the category tree and stored in the job's
// "include" text as "ZZZ;" + its list + ";" (the closing ";" keeps the next kind's text apart).
#pragma once
#include <windows.h>

#include <memory>
#include <unordered_set>
#include <vector>

#include "platform/text/String.h"

namespace FileTree
{
class BaseNode;
}

enum FileCategory : int
{
    CATEGORY_MUSIC,
    CATEGORY_VIDEO,
    CATEGORY_DOCUMENTS,
    CATEGORY_PICTURES,
    CATEGORY_OUTLOOK,
    CATEGORY_OUTLOOK_EXPRESS,
    CATEGORY_WINDOWS_MAIL,
    CATEGORY_COUNT,
    CATEGORY_NONE = -1,
};

struct FileCategoryInfo
{
    UINT nameId;        // the display name, a string of the language library
    LPCWSTR extensions; // ".mp3;.wav;..."
};
const FileCategoryInfo &GetFileCategoryInfo(int category);

// The pieces of a text split at ";", "," and blanks, lower-cased; empty pieces are dropped.
std::vector<CString> SplitLowerPieces(const CString &text);

// Lower-case extensions of every kind, for the lookups of the category tree and its sorter.
class CategoryExtensions
{
  public:
    CategoryExtensions();
    // The first kind, in the order music, pictures, video, documents and the three mail stores, whose list holds the
    // piece (lower-cased first); CATEGORY_NONE for none.
    int KindOfPiece(const CString &piece) const;
    // Whether the file's extension (from its last ".", the whole name without one, case ignored) is of the kind.
    bool HoldsFile(int category, const CString &path) const;

  private:
    std::unordered_set<CString> m_sets[CATEGORY_COUNT];
};

// What the include text holds for a checked kind: "ZZZ;" + the kind's list (a category node's path) + ";".
CString CategoryIncludeText(const CString &extensions);
// True for a text CategoryIncludeText made (it begins with "ZZZ").
bool IsCategoryText(const CString &text);

// The node of a kind in the tree (kind 0x80002, unchecked, My Documents' icons, the list as its path).
std::unique_ptr<FileTree::BaseNode> MakeCategoryNode(int category);
