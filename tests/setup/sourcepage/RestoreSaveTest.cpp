// What saving the advanced source page writes, worked out from the checked places, the job's stored sources and its
// destination: the restore's sources with the places they go back to, its include text, and the backup's sources.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "engine/program/FolderSizeScanner.h"
#include "setup/categories/FileCategories.h"
#include "setup/sourcepage/AdvancedSourceSave.h"

namespace
{

const CString kMusic = CategoryIncludeText(GetFileCategoryInfo(CATEGORY_MUSIC).extensions);
const CString kPictures = CategoryIncludeText(GetFileCategoryInfo(CATEGORY_PICTURES).extensions);

// A write as "kind path > destination" ("+name" for a file, "!" for the rapid argument).
std::vector<std::wstring> Written(const SourceSavePlan &plan)
{
    static const wchar_t *const kinds[] = {L"src", L"srcpath", L"file"};
    std::vector<std::wstring> written;
    for (const SourceWrite &write : plan.writes)
    {
        std::wstring text = std::wstring(kinds[write.kind]) + L" " + write.path.GetString();
        if (!write.name.IsEmpty())
            text += std::wstring(L" +") + write.name.GetString();
        if (!write.destination.IsEmpty())
            text += std::wstring(L" > ") + write.destination.GetString();
        if (write.rapid)
            text += L" !";
        written.push_back(text);
    }
    return written;
}

struct RestoreCase
{
    const char *what;
    std::vector<CString> places;
    std::map<CString, CString> stored;
    bool toOtherFolder;
    std::vector<std::wstring> written;
    CString include;
    std::vector<CString> leftOut;
};

TEST(RestoreSave, EachPlaceGoesBackWhereItsStoredSourceCameFrom)
{
    const std::map<CString, CString> stored = {{L"C:\\Docs\\", L"X:\\Backup\\Docs\\"}, {L"K:\\", L"X:\\Backup\\K\\"}};
    const RestoreCase cases[] = {
        {"a stored folder and a folder below one",
         {L"X:\\Backup\\Docs\\", L"X:\\Backup\\K\\Work\\Sub\\"},
         stored,
         false,
         {L"src X:\\Backup\\Docs\\ > C:\\Docs\\ !", L"src X:\\Backup\\K\\Work\\Sub\\ > K:\\Work\\Sub\\ !"},
         L"",
         {}},
        {"two kinds: the first stored place once, both texts apart",
         {kMusic, kPictures},
         stored,
         false,
         {L"srcpath X:\\Backup\\Docs\\ > C:\\Docs\\"},
         kMusic + kPictures,
         {}},
        {"into a folder of the user's: no destinations",
         {L"X:\\Backup\\Docs\\a.txt", kMusic},
         stored,
         true,
         {L"src X:\\Backup\\Docs\\a.txt !", L"src X:\\Backup\\Docs\\"},
         kMusic,
         {}},
        {"no stored place: below the job's destination its own path",
         {L"X:\\Backup\\C\\Docs\\"},
         {},
         false,
         {L"src X:\\Backup\\C\\Docs\\ > C:\\Docs\\ !"},
         L"",
         {}},
        {"an older job's source without a destination is never taken",
         {L"X:\\Backup\\Work\\Sub\\"},
         {{L"A:\\Old\\", L""}, {L"K:\\Work\\", L"X:\\Backup\\Work\\"}},
         false,
         {L"src X:\\Backup\\Work\\Sub\\ > K:\\Work\\Sub\\ !"},
         L"",
         {}},
        {"a stored destination inside a longer name is no way back, nor is a place away from the destination",
         {L"X:\\Backup\\Docs Old\\", L"Y:\\Elsewhere\\"},
         {{L"C:\\Docs\\", L"X:\\Backup\\Docs"}},
         false,
         {},
         L"",
         {L"X:\\Backup\\Docs Old\\", L"Y:\\Elsewhere\\"}},
        {"kinds without a stored place write nothing", {kMusic}, {}, false, {}, kMusic, {}},
    };
    for (const RestoreCase &restore : cases)
    {
        SCOPED_TRACE(restore.what);
        const SourceSavePlan plan =
            PlanRestoreSave(restore.places, restore.stored, L"X:\\Backup\\", restore.toOtherFolder);
        EXPECT_EQ(Written(plan), restore.written);
        EXPECT_EQ(plan.include, restore.include);
        EXPECT_EQ(plan.leftOut, restore.leftOut);
    }
}

TEST(RestoreSave, TheRestoreRunTakesEveryExtensionOfEachCheckedKind)
{
    const CString outlook = CategoryIncludeText(GetFileCategoryInfo(CATEGORY_OUTLOOK).extensions);
    const CString windowsMail = CategoryIncludeText(GetFileCategoryInfo(CATEGORY_WINDOWS_MAIL).extensions);
    const SourceSavePlan plan = PlanRestoreSave({kMusic, outlook, windowsMail, kPictures}, {}, L"X:\\Backup\\", false);
    CExtFilterPair filters;
    filters.SetIncludeExts(plan.include);
    for (const wchar_t *file : {L"a.aac", L"a.mp3", L"Inbox.pst", L"a.eml", L"a.edb", L"a.jpg", L"a.raw"})
        EXPECT_TRUE(filters.IsIncludedExt(file)) << CStringA(file).GetString();
    EXPECT_FALSE(filters.IsIncludedExt(L"a.doc"));
}

TEST(RestoreSave, TheBackupTakesFoldersWholeAndFilesInTheirFoldersSource)
{
    const SourceSavePlan plan =
        PlanBackupSave({L"K:\\Data\\", L"K:\\", L"K:\\Other\\f.txt", L"K:\\Other\\g.txt", L"K:\\Data\\"}, TRUE);
    EXPECT_EQ(Written(plan), (std::vector<std::wstring>{L"src K:\\Data\\ !", L"src K:\\ !", L"src K:\\Other\\ !",
                                                        L"file K:\\Other\\ +f.txt !", L"file K:\\Other\\ +g.txt !"}));
}

} // namespace
