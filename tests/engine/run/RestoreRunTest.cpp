// A restore run on real files: the backup's folder of a place is the "src" path and the place its "destination",
// as the restore page writes them. What it leaves at the places, what it says in the log, and which runs keep the
// journal.
#include "RunTestSupport.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/run/FileOpsSeams.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"

using namespace runtest;

namespace
{

// The backup's drive, pulled once the first file is restored: below its folder nothing is found any more.
struct PulledBackup
{
    std::wstring folder;
    bool gone = false;
} g_pulled;

bool UnderPulledBackup(LPCWSTR path)
{
    return g_pulled.gone && path != nullptr && _wcsnicmp(path, g_pulled.folder.c_str(), g_pulled.folder.size()) == 0;
}

BOOL WINAPI CopyThenPull(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                         DWORD flags)
{
    if (UnderPulledBackup(source))
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const BOOL copied = CopyFileWithProgress(source, target, progress, data, cancel, flags);
    g_pulled.gone = true;
    return copied;
}

BOOL WINAPI AttributesOfPulled(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data)
{
    if (UnderPulledBackup(path))
    {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return ::GetFileAttributesExW(path, level, data);
}

HANDLE WINAPI ListingOfPulled(LPCWSTR pattern, LPWIN32_FIND_DATAW found)
{
    if (UnderPulledBackup(pattern) || wcsstr(pattern, L"\\locked\\") != nullptr)
    {
        ::SetLastError(UnderPulledBackup(pattern) ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return ::FindFirstFileW(pattern, found);
}

BOOL PresentUnlessPulled(LPCWSTR root)
{
    return UnderPulledBackup(root) ? FALSE : IsDestinationPresent(root);
}

class RestoreRun : public RunTest
{
  protected:
    // The backup's folder of the place Src().
    std::wstring Backup() const
    {
        return Target(L"");
    }
    // The place's folder restored from the backup, as the restore page writes it.
    void AddPlace(const std::wstring &backup, const std::wstring &place)
    {
        IXMLDOMElementPtr source = AddSource(backup);
        XmlSetAttributeString(source, L"destination", place.c_str());
    }
    PostedMessage Restore(bool everyFile)
    {
        m_job->m_restoreRun = TRUE;
        m_job->m_fullCopy = everyFile ? TRUE : FALSE;
        return Run();
    }
};

} // namespace

TEST_F(RestoreRun, APlaceFileNewerThanItsBackupStaysUnlessEveryFileIsAsked)
{
    // Each file's backup copy says "backup"; the place holds it missing, older, newer or the same.
    const struct
    {
        const wchar_t *name;
        const char *atPlace; // null: missing
        LONGLONG placeSeconds;
        const char *kept;  // without 1270
        const char *every; // with 1270
    } files[] = {
        {L"missing.txt", nullptr, 0, "backup", "backup"},
        {L"older.txt", "old place", -60, "backup", "backup"},
        {L"newer.txt", "edited after the backup", 60, "edited after the backup", "backup"},
        {L"same.txt", "backup", 0, "backup", "backup"},
    };
    AddPlace(Backup(), Src());
    for (bool every : {false, true})
    {
        SCOPED_TRACE(every ? "every file (1270)" : "newer files kept");
        for (const auto &file : files)
        {
            WriteFileAt(Backup() + file.name, "backup");
            const std::wstring place = Src() + file.name;
            ::DeleteFileW(place.c_str());
            if (file.atPlace != nullptr)
                WriteFileAt(place, file.atPlace, file.placeSeconds);
        }
        const PostedMessage end = Restore(every);
        EXPECT_EQ(end.message, WM_JOB_FINISHED);
        EXPECT_EQ(end.lParam, 0);
        for (const auto &file : files)
            EXPECT_EQ(testsupport::ReadFileBytes(Src() + file.name), every ? file.every : file.kept)
                << CStringA(file.name).GetString();
        EXPECT_EQ(m_job->m_newerKept, every ? 0 : 1);
        EXPECT_EQ(m_job->GetErrorCount(), 0);
        EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_NEWER_KEPT, kAnyTime, (Src() + L"newer.txt").c_str())), 1)
            << "one line for the file left, from the first restore only";
    }
    // A restore speaks of itself, and keeps no journal of what it wrote back.
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_STARTED, kAnyTime)), 2);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_ENDED, kAnyTime)), 2);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RUN_STARTED, kAnyTime)), 0);
    EXPECT_TRUE(JournalTargets().empty());
}

TEST_F(RestoreRun, AnEmptyPlaceIsSaidAndWhatDoesNotFitIsReportedAtItsPlace)
{
    // The place the backup never made a folder for (it was empty) is said once; the other place comes back.
    const std::wstring emptyBackup = Dest() + L"Favorites\\";
    const std::wstring emptyPlace = m_folder / L"Favorites\\";
    AddPlace(emptyBackup, emptyPlace);
    WriteFileAt(Backup() + L"a.txt", "alpha");
    // A file whose place fits in a path but whose copy on its way there does not: it is not restored, and
    // nothing goes anywhere else.
    const std::wstring deepPlace = Src() + std::wstring(253 - Src().size(), L'd') + L"\\";
    const std::wstring deepBackup = Dest() + L"deep\\";
    WriteFileAt(deepBackup + L"x.y", "deep");
    AddPlace(Backup(), Src());
    AddPlace(deepBackup, deepPlace);

    EXPECT_EQ(Restore(false).message, WM_JOB_FINISHED);
    EXPECT_EQ(testsupport::ReadFileBytes(Src() + L"a.txt"), "alpha");
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_NOTHING_OF_PLACE, kAnyTime, emptyPlace.c_str(), emptyBackup.c_str())),
              1);
    EXPECT_EQ(m_job->GetErrorCount(), 1) << "only the file that does not fit";
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_COPY_FAILED, kAnyTime, (deepPlace + L"x.y").c_str())), 1)
        << "the file is named at its place";
    std::map<std::wstring, std::string> written;
    ReadFileTree(m_folder.Path(), written);
    for (const auto &file : written)
        EXPECT_EQ(file.first.find(L"Recycled"), std::wstring::npos) << CStringA(file.first.c_str()).GetString();
}

TEST_F(RestoreRun, EveryBackupKeepsTheJournalWhateverTheWindowShows)
{
    WriteSource(L"a.txt", "alpha");
    AddSource(Src());
    // A scheduled, caught-up or wizard-started run comes while the window shows its job list, or the restore page.
    for (int mode : {0, MAIN_MODE_RESTORE_IDLE})
    {
        SCOPED_TRACE(mode);
        m_window->m_mode = mode;
        ::DeleteFileW(Target(L"a.txt").c_str());
        EXPECT_EQ(Run().message, WM_JOB_FINISHED);
        EXPECT_TRUE(m_job->m_journalFlag);
        EXPECT_EQ(JournalTargets(), std::vector<std::wstring>{Target(L"a.txt")});
    }
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RUN_STARTED, kAnyTime)), 2);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_STARTED, kAnyTime)), 0);
}

TEST_F(RestoreRun, ABackupThatGoesAwayStopsTheRestoreAndEveryFailureSpeaksOfTheRestore)
{
    // A folder of the backup that cannot be read is the restore's failure, in its own words; the rest comes back.
    AddPlace(Backup(), Src());
    WriteFileAt(Backup() + L"a.txt", "alpha");
    WriteFileAt(Backup() + L"locked\\l.txt", "held");
    SeamOverride listing(g_pfnFindFirstFile, &ListingOfPulled);
    EXPECT_EQ(Restore(false).message, WM_JOB_FINISHED);
    EXPECT_EQ(testsupport::ReadFileBytes(Src() + L"a.txt"), "alpha");
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_FOLDER_UNREADABLE, kAnyTime, (Backup() + L"locked\\").c_str(),
                                 GetSystemErrorText(ERROR_ACCESS_DENIED).GetString())),
              1);
    ::DeleteFileW((Backup() + L"locked\\l.txt").c_str());
    ::RemoveDirectoryW((Backup() + L"locked").c_str());

    // The backup's drive pulled after the first file: the files still to come are not found, and the restore
    // stops with the drive instead of passing over them as files deleted since their listing.
    for (const wchar_t *name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"})
    {
        WriteFileAt(Backup() + name, "backup");
        ::DeleteFileW((Src() + name).c_str());
    }
    g_pulled = PulledBackup{Dest(), false};
    SeamOverride copy(g_pfnCopyFileEx, &CopyThenPull);
    SeamOverride attributes(g_pfnGetFileAttributesEx, &AttributesOfPulled);
    SeamOverride present(g_pfnIsDestinationPresent, &PresentUnlessPulled);
    EXPECT_EQ(Restore(false).message, WM_JOB_FAILED);
    EXPECT_TRUE(m_job->m_destinationLost);
    int restored = 0;
    for (const wchar_t *name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"})
        restored += ::GetFileAttributesW((Src() + name).c_str()) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
    EXPECT_EQ(restored, 1) << "what came back before the drive went stays";
    EXPECT_TRUE(testsupport::TemporaryCopies(m_folder.Path()).empty());
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_BACKUP_LOST, kAnyTime, Dest().c_str())), 1);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_DEST_LOST, kAnyTime, Dest().c_str())), 0);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RESTORE_ENDED, kAnyTime)), 2);
    g_pulled = PulledBackup();
}
