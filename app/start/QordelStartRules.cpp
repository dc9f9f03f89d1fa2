#include "app/start/QordelStartRules.h"

#include <cwchar>

const wchar_t kUnknownComputerName[] = L"My Backup folder";

namespace
{

bool WordIs(LPCWSTR word, size_t length, LPCWSTR expected)
{
    return wcslen(expected) == length && wcsncmp(word, expected, length) == 0;
}

} // namespace

StartCommand ParseStartCommandLine(LPCWSTR commandLine)
{
    StartCommand command;
    if (commandLine == nullptr)
        return command;
    LPCWSTR word = commandLine;
    for (;;)
    {
        LPCWSTR end = wcschr(word, L' ');
        const size_t length = end != nullptr ? static_cast<size_t>(end - word) : wcslen(word);
        if (length > 0)
        {
            if (WordIs(word, length, L"--minimize"))
                command.hidden = true;
            else if (WordIs(word, length, L"-s") || WordIs(word, length, L"--select"))
                command.mode = START_MODE_SELECT;
            else if (WordIs(word, length, L"-c") || WordIs(word, length, L"--create"))
                command.mode = START_MODE_CREATE;
            else if (WordIs(word, length, L"-b") || WordIs(word, length, L"--backup"))
                command.mode = START_MODE_BACKUP;
            // "-i", "--install", "-u", "--uninstall" and every other word are skipped.
        }
        if (end == nullptr)
            break;
        word = end + 1;
    }
    return command;
}

LanguageChoice ChooseLanguage(const CString &programFolder, LPCWSTR abbreviation,
                              const std::function<bool(const CString &)> &libraryExists)
{
    LanguageChoice choice;
    choice.languageFolder = programFolder + L"ENU\\";
    if (abbreviation == nullptr)
        return choice;
    choice.language = abbreviation;
    choice.language.MakeUpper();
    const CString folder = programFolder + abbreviation + L"\\";
    if (!choice.language.IsEmpty() && libraryExists && libraryExists(folder + L"Phrasel.dll"))
        choice.languageFolder = folder;
    return choice;
}

DataPaths MakeDataPaths(const CString &appFolder, LPCWSTR computerName)
{
    DataPaths paths;
    const int slash = appFolder.Find(L'\\');
    paths.programDrive = slash >= 0 ? appFolder.Left(slash + 1) : CString();
    paths.computerName = computerName != nullptr && computerName[0] != L'\0' ? computerName : kUnknownComputerName;
    paths.computerFolder = paths.programDrive + L"Backup Data\\" + paths.computerName;
    paths.dataFolder = paths.computerFolder + L"\\Velbrook Data Backup\\";
    paths.iniPath = paths.dataFolder + L"Zel.ini";
    paths.jobsXmlPath = paths.dataFolder + L"Zel.xml";
    paths.logPath = paths.dataFolder + L"Zel.log";
    paths.agentIniPath = paths.dataFolder + L"Login.ini";
    return paths;
}

bool IsDataFolderUsable(int createResult, DWORD attributes)
{
    if (createResult != ERROR_SUCCESS && createResult != ERROR_ALREADY_EXISTS)
        return false;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

CString FolderOfPath(const CString &path)
{
    const int slash = path.ReverseFind(L'\\');
    return slash >= 0 ? path.Left(slash + 1) : CString();
}

int RunExitCode(bool finished, int errorCount)
{
    if (!finished)
        return EXIT_RUN_STOPPED;
    return errorCount > 0 ? EXIT_COPY_ERRORS : EXIT_DONE;
}
