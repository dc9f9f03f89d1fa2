// The rules of the program's start that depend only on what the platform answers: the command line, the language
// folder, the data folder's paths and whether the data folder can be used. Start-up feeds them the platform's
// answers; the tests feed them their own.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/text/String.h"

// Start modes of the command line; a later mode word replaces an earlier one.
enum StartMode
{
    START_MODE_NONE = 0,
    START_MODE_SELECT = 1, // "-s", "--select"
    START_MODE_CREATE = 2, // "-c", "--create"
    START_MODE_BACKUP = 3, // "-b", "--backup"
};

// The program's exit code: how the start went, for the tray program and scripts that start it.
enum ProgramExitCode
{
    EXIT_DONE = 0,        // a run that finished, a plain start and close, or a start handed to the running one
    EXIT_COPY_ERRORS = 1, // a run that finished with files it could not copy
    EXIT_RUN_STOPPED = 2, // a run that failed or was cancelled
    EXIT_NOT_STARTED = 3, // a start that could not begin: no data folder, no language library, no window
};
// The exit code of a one-shot run's end: finished (with errorCount errors) or not.
int RunExitCode(bool finished, int errorCount);

struct StartCommand
{
    int mode = START_MODE_NONE;
    bool hidden = false; // "--minimize"
};

// Reads the whole command line (program path included): words are split at single blanks, empty pieces are
// skipped and each word is compared exactly, case-sensitively. "-i", "--install", "-u", "--uninstall", the program
// path, the path after "--select" or "--create" and every other word are skipped. Any length; null reads as empty.
StartCommand ParseStartCommandLine(LPCWSTR commandLine);

struct LanguageChoice
{
    CString language;       // the locale's abbreviation in upper case; empty when it could not be read
    CString languageFolder; // the program folder + the abbreviation + "\" when that folder holds the library,
                            // else the program folder + "ENU\"
};

// programFolder ends with a backslash; abbreviation is null when the locale could not be read; libraryExists tells
// whether a path names an existing file (it is asked about folder + abbreviation + "\Phrasel.dll").
LanguageChoice ChooseLanguage(const CString &programFolder, LPCWSTR abbreviation,
                              const std::function<bool(const CString &)> &libraryExists);

// The name every place of the data folder uses for a computer whose name cannot be read.
extern const wchar_t kUnknownComputerName[];

struct DataPaths
{
    CString programDrive;   // the program folder cut after its first backslash, such as "E:\"
    CString computerName;   // the computer's name, else kUnknownComputerName
    CString computerFolder; // programDrive + "Backup Data\" + computerName, no trailing backslash
    CString dataFolder;     // computerFolder + "\Velbrook Data Backup\"
    CString iniPath;        // dataFolder + "Zel.ini"
    CString jobsXmlPath;    // dataFolder + "Zel.xml"
    CString logPath;        // dataFolder + "Zel.log"
    CString agentIniPath;   // dataFolder + "Login.ini"
};

// appFolder is the program's folder with its trailing backslash; computerName is null (or empty) when the name
// could not be read.
DataPaths MakeDataPaths(const CString &appFolder, LPCWSTR computerName);

// Whether the data folder can hold the program's files after SHCreateDirectoryExW answered createResult and the
// path's attributes read attributes: the creation succeeded or found the path there, and the path is a folder
// (a file standing in its place is "already there" too, but nothing can be saved in it).
bool IsDataFolderUsable(int createResult, DWORD attributes);

// The folder of a file path, with its trailing backslash: the path cut after its last backslash (empty without one).
CString FolderOfPath(const CString &path);
