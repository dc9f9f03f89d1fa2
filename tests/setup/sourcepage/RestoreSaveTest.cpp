// What saving a source page writes, worked out from the chosen places, the job's stored sources and its backup's
// layout: the restore's sources with the places they go back to, whole or through the kinds, its include text, and
// the advanced page's backup sources.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/program/FolderSizeScanner.h"
#include "setup/categories/FileCategories.h"
#include "setup/sourcepage/AdvancedSourceSave.h"
#include "setup/sourcepage/RestoreSave.h"

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

const BackupLayout kLayout{L"X:\\Backup\\", false, false, L"PC"};

struct RestoreCase
{
    const char *what;
    std::vector<CString> places;
    std::vector<StoredSource> stored;
    bool toOtherFolder;
    std::vector<std::wstring> written;
    CString include;
    std::vector<CString> leftOut;
};
// A row of the table, laid out as one.
RestoreCase Restore(const char *what, std::vector<CString> places, std::vector<StoredSource> stored, bool toOtherFolder,
                    std::vector<std::wstring> written, CString include = L"", std::vector<CString> leftOut = {})
{
    return {what, std::move(places), std::move(stored), toOtherFolder, std::move(written), include, std::move(leftOut)};
}

TEST(RestoreSave, EachPlaceGoesBackWhereItsStoredSourceCameFrom)
{
    const std::vector<StoredSource> stored = {{L"C:\\Docs\\", L"X:\\Backup\\Docs\\"}, {L"K:\\", L"X:\\Backup\\K\\"}};
    const RestoreCase cases[] = {
        Restore("a stored folder and a folder below one", {L"X:\\Backup\\Docs\\", L"X:\\Backup\\K\\Work\\Sub\\"},
                stored, false,
                {L"src X:\\Backup\\Docs\\ > C:\\Docs\\ !", L"src X:\\Backup\\K\\Work\\Sub\\ > K:\\Work\\Sub\\ !"}),
        Restore("two kinds: every stored place once, both texts apart", {kMusic, kPictures}, stored, false,
                {L"src X:\\Backup\\Docs\\ > C:\\Docs\\", L"src X:\\Backup\\K\\ > K:\\"}, kMusic + kPictures),
        Restore("into a folder of the user's: no destinations", {L"X:\\Backup\\Docs\\a.txt", kMusic}, stored, true,
                {L"src X:\\Backup\\Docs\\a.txt !", L"src X:\\Backup\\Docs\\", L"src X:\\Backup\\K\\"}, kMusic),
        Restore("no stored place: below the job's destination its own path", {L"X:\\Backup\\C\\Docs\\"}, {}, false,
                {L"src X:\\Backup\\C\\Docs\\ > C:\\Docs\\ !"}),
        Restore("an older job's source without a destination is where the backup puts it",
                {L"X:\\Backup\\Work\\Sub\\", L"X:\\Backup\\Old\\"},
                {{L"A:\\Old\\", L""}, {L"K:\\Work\\", L"X:\\Backup\\Work\\"}}, false,
                {L"src X:\\Backup\\Work\\Sub\\ > K:\\Work\\Sub\\ !", L"src X:\\Backup\\Old\\ > A:\\Old\\ !"}),
        Restore("a stored destination inside a longer name is no way back, nor is a place away from the destination",
                {L"X:\\Backup\\Docs Old\\", L"Y:\\Elsewhere\\"}, {{L"C:\\Docs\\", L"X:\\Backup\\Docs"}}, false, {}, L"",
                {L"X:\\Backup\\Docs Old\\", L"Y:\\Elsewhere\\"}),
        Restore("kinds without a stored place write nothing", {kMusic}, {}, false, {}, kMusic),
    };
    for (const RestoreCase &restore : cases)
    {
        SCOPED_TRACE(restore.what);
        const SourceSavePlan plan = PlanRestoreSave(restore.places, restore.stored, kLayout, restore.toOtherFolder);
        EXPECT_EQ(Written(plan), restore.written);
        EXPECT_EQ(plan.include, restore.include);
        EXPECT_EQ(plan.leftOut, restore.leftOut);
    }
}

// A stored job's form: its sources and where its backup puts them.
struct JobForm
{
    std::vector<StoredSource> stored;
    BackupLayout layout;
};
struct PageCase
{
    const char *what;
    const JobForm *form;
    bool basicPage;
    std::vector<CString> chosen; // the basic page's folders, or the advanced page's checked places
    CString kinds;               // the basic page's
    std::vector<std::wstring> written;
};
PageCase Page(const char *what, const JobForm &form, bool basicPage, std::vector<CString> chosen, CString kinds,
              std::vector<std::wstring> written)
{
    return {what, &form, basicPage, std::move(chosen), kinds, std::move(written)};
}

// The three forms a stored job comes in, restored to the places from either page: each backup folder back to the
// place it was backed up from, whole where the backup took it whole.
TEST(RestoreSave, BothPagesSendEveryPlaceBackWhereItCameFrom)
{
    const CString kinds = L".txt;.jpg;";
    const JobForm oneClick{{{L"C:\\", L"E:\\Backup Data\\PC\\C\\", false},
                            {L"C:\\Users\\Bob\\Favorites\\", L"E:\\Backup Data\\PC\\Favorites\\", true}},
                           {L"E:\\Backup Data\\PC\\", false, false, L"PC"}};
    const JobForm fullPaths{
        {{L"C:\\Users\\Bob\\Docs\\", L"X:\\Backup\\PC_C\\Users\\Bob\\Docs\\", true}, {L"D:\\Photos\\", L"", true}},
        {L"X:\\Backup\\", true, false, L"PC"}};
    const JobForm chosen{{{L"C:\\Work\\", L"X:\\Backup\\Work\\", true}, {L"K:\\", L"X:\\Backup\\K\\", true}}, kLayout};
    const PageCase cases[] = {
        Page("one-click job, basic page: the drive through the kinds, the chosen folder whole", oneClick, true,
             {L"C:\\Users\\Bob\\Favorites\\"}, kinds,
             {L"src E:\\Backup Data\\PC\\Favorites\\ > C:\\Users\\Bob\\Favorites\\ !",
              L"src E:\\Backup Data\\PC\\C\\ > C:\\"}),
        Page("one-click job, basic page: the kinds alone", oneClick, true, {}, kinds,
             {L"src E:\\Backup Data\\PC\\C\\ > C:\\"}),
        Page("one-click job, advanced page: a kind and the folder", oneClick, false,
             {kPictures, L"E:\\Backup Data\\PC\\Favorites\\"}, L"",
             {L"src E:\\Backup Data\\PC\\Favorites\\ > C:\\Users\\Bob\\Favorites\\ !",
              L"src E:\\Backup Data\\PC\\C\\ > C:\\"}),
        Page("full paths, basic page: a stored place without a destination is where the backup put it", fullPaths, true,
             {L"C:\\Users\\Bob\\Docs\\", L"D:\\Photos\\"}, L"",
             {L"src X:\\Backup\\PC_C\\Users\\Bob\\Docs\\ > C:\\Users\\Bob\\Docs\\ !",
              L"src X:\\Backup\\PC_D\\Photos\\ > D:\\Photos\\ !"}),
        Page("full paths, advanced page: below a stored place, and a drive's folder no place names", fullPaths, false,
             {L"X:\\Backup\\PC_C\\Users\\Bob\\Docs\\Letters\\", L"X:\\Backup\\PC_E\\"}, L"",
             {L"src X:\\Backup\\PC_C\\Users\\Bob\\Docs\\Letters\\ > C:\\Users\\Bob\\Docs\\Letters\\ !",
              L"src X:\\Backup\\PC_E\\ > E:\\ !"}),
        Page("chosen folders, basic page: whole", chosen, true, {L"C:\\Work\\", L"K:\\"}, kinds,
             {L"src X:\\Backup\\Work\\ > C:\\Work\\ !", L"src X:\\Backup\\K\\ > K:\\ !"}),
        Page("chosen folders, advanced page: a folder and a folder below the drive", chosen, false,
             {L"X:\\Backup\\Work\\", L"X:\\Backup\\K\\Sub\\"}, L"",
             {L"src X:\\Backup\\Work\\ > C:\\Work\\ !", L"src X:\\Backup\\K\\Sub\\ > K:\\Sub\\ !"}),
    };
    for (const auto &restore : cases)
    {
        SCOPED_TRACE(restore.what);
        const JobForm &form = *restore.form;
        const SourceSavePlan plan =
            restore.basicPage ? PlanBasicRestoreSave(restore.chosen, restore.kinds, form.stored, form.layout, false)
                              : PlanRestoreSave(restore.chosen, form.stored, form.layout, false);
        EXPECT_EQ(Written(plan), restore.written);
        EXPECT_TRUE(plan.leftOut.empty());
    }

    // A folder chosen on the basic page that the job never backed up has no place to go back to: it is left out.
    const SourceSavePlan unknown = PlanBasicRestoreSave({L"C:\\Games\\"}, L"", oneClick.stored, oneClick.layout, false);
    EXPECT_TRUE(unknown.writes.empty());
    EXPECT_EQ(unknown.leftOut, std::vector<CString>{L"C:\\Games\\"});
}

TEST(RestoreSave, TheRestoreRunTakesEveryExtensionOfEachCheckedKind)
{
    const CString outlook = CategoryIncludeText(GetFileCategoryInfo(CATEGORY_OUTLOOK).extensions);
    const CString windowsMail = CategoryIncludeText(GetFileCategoryInfo(CATEGORY_WINDOWS_MAIL).extensions);
    const SourceSavePlan plan = PlanRestoreSave({kMusic, outlook, windowsMail, kPictures}, {}, kLayout, false);
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
