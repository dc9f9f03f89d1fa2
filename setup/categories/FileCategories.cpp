#include "setup/categories/FileCategories.h"

#include <shlobj.h>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/shell/ShellPidl.h"
#include "setup/sourcetree/FileTreeNodes.h"

namespace
{

const FileCategoryInfo kCategories[CATEGORY_COUNT] = {
    {IDS_CATEGORY_MUSIC, L".mp3;.wav;.wma;.ogg;.aif;.m4a;.m4p;.aac"},
    {IDS_CATEGORY_VIDEO, L".mpg;.avi;.mov;.wmv;.mp4;.m4v;.m2v"},
    {IDS_CATEGORY_DOCUMENTS, L".txt;.doc;.ppt;.pptx;.docx;.docm;.xls;.xlsx;.xlsm;.pub;.adp;.accdb;.accdr;.mdb;.mda;"
                             L".mdt;.mdw;.mdf;.zip;.rar;.pdf;.pptm"},
    {IDS_CATEGORY_PICTURES, L".jpg;.bmp;.gif;.tif;.png;.raw"},
    {IDS_PROGRAM_OUTLOOK, L".pst"},
    {IDS_PROGRAM_OUTLOOK_EXPRESS, L".dbx"},
    {IDS_PROGRAM_WINDOWS_MAIL, L".eml;.edb"},
};

// The order in which a piece of a job's filter text is looked up.
const int kLookupOrder[CATEGORY_COUNT] = {CATEGORY_MUSIC,       CATEGORY_PICTURES, CATEGORY_VIDEO,
                                          CATEGORY_DOCUMENTS,   CATEGORY_OUTLOOK,  CATEGORY_OUTLOOK_EXPRESS,
                                          CATEGORY_WINDOWS_MAIL};

const wchar_t kCategoryMark[] = L"ZZZ";

} // namespace

const FileCategoryInfo &GetFileCategoryInfo(int category)
{
    return kCategories[category];
}

std::vector<CString> SplitLowerPieces(const CString &text)
{
    std::vector<CString> pieces;
    int start = 0;
    while (start >= 0)
    {
        CString piece = text.Tokenize(L";, ", start);
        if (!piece.IsEmpty())
            pieces.push_back(piece.MakeLower());
    }
    return pieces;
}

CategoryExtensions::CategoryExtensions()
{
    for (int i = 0; i < CATEGORY_COUNT; ++i)
    {
        for (const CString &piece : SplitLowerPieces(kCategories[i].extensions))
            m_sets[i].insert(piece);
    }
}

int CategoryExtensions::KindOfPiece(const CString &piece) const
{
    CString lower = piece;
    lower.MakeLower();
    for (int category : kLookupOrder)
    {
        if (m_sets[category].count(lower) != 0)
            return category;
    }
    return CATEGORY_NONE;
}

bool CategoryExtensions::HoldsFile(int category, const CString &path) const
{
    if (category < 0 || category >= CATEGORY_COUNT)
        return false;
    const int dot = path.ReverseFind(L'.');
    // The stored names keep the case they had: "IMG_0001.JPG" is a picture as much as "a.jpg".
    CString extension = dot >= 0 ? path.Mid(dot) : path;
    extension.MakeLower();
    return m_sets[category].count(extension) != 0;
}

CString CategoryIncludeText(const CString &extensions)
{
    CString text = CString(kCategoryMark) + L";" + extensions;
    if (text.Right(1) != L";")
        text += L";";
    return text;
}

bool IsCategoryText(const CString &text)
{
    return text.Left(3) == kCategoryMark;
}

std::unique_ptr<FileTree::BaseNode> MakeCategoryNode(int category)
{
    int icon = 0;
    int openIcon = 0;
    LPITEMIDLIST documents = nullptr;
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &documents)))
    {
        CShellPidl pidl(documents);
        icon = pidl.GetIconIndex(SHGFI_SMALLICON);
        openIcon = pidl.GetIconIndex(SHGFI_SMALLICON | SHGFI_OPENICON);
    }
    const FileCategoryInfo &info = kCategories[category];
    // Its files are the file list's: the tree shows no button for them.
    return std::make_unique<FileTree::RootNode>(FileTree::KIND_CATEGORY, FileTree::CHECK_OFF, icon, openIcon,
                                                info.extensions, AfxLoadText(info.nameId), FileTree::ATTR_FOLDER);
}
