// The main program's program-wide objects. They are all defined in ProgramObjects.cpp, in this order, because
// the order of construction across files is undefined.
#pragma once
#include <windows.h>

#include <locale>

#include "engine/program/Ini.h"
#include "engine/task/FileCopyingQueue.h"
#include "platform/text/String.h"
#include "platform/system/Sync.h"

// Paths that start-up fills; empty until then. The folders end with a backslash unless said otherwise.
extern CString g_strLanguageFolder;      // program folder + language abbreviation + "\"
extern CString g_strIniPath;             // the legacy job file "Zel.ini" in the data folder
extern CString g_strJobsXmlPath;         // the job store "Zel.xml" in the data folder
extern CString g_strLogPath;             // "Zel.log" in the data folder; only its folder is used
extern CString g_strAgentIniPath;        // "Login.ini" in the data folder
extern CString g_strWindowsFolder;       // no trailing backslash
extern CString g_strInternetCacheFolder; // no trailing backslash
extern CString g_strCookiesFolder;       // no trailing backslash
extern CString g_strTempFolder;          // no trailing backslash
extern CString g_strSystemDrive;         // such as "C:\"
extern CString g_strProgramDrive;        // root of the program's drive, such as "E:\"
extern CString g_strDataFolder;          // program drive + "Backup Data\" + computer name + "\Velbrook Data Backup\"
extern CString g_strComputerName;
extern CString g_strRecycleFolder;  // no trailing backslash
extern CString g_strLanguage;       // upper-case three-letter abbreviation, such as "ENU"
extern CString g_strComputerFolder; // program drive + "Backup Data\" + computer name, no trailing backslash
extern CString g_strFilterFolder;   // the data folder, where the filter files lie
extern CString g_strAppFolder;      // the program's own folder

// Signalled at exit; the destination-watch thread waits on it between its rounds. Auto-reset, initially clear.
extern CEvent StopEvent;
// Held around every snapshot copy batch.
extern CCriticalSection CopyLock;
// The agent options file "Login.ini".
extern CIni g_agentIni;
// The global locale with the UTF-8 conversion facet, built at start-up and kept for the whole run.
extern std::locale g_utf8Locale;
// The deferred copies of locked files; its thread runs from before start-up until process exit.
extern CFileCopyingQueue g_fileCopyingQueue;
