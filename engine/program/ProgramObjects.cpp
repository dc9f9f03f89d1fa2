#include "engine/program/ProgramObjects.h"

#include "engine/log/Utf8Facet.h"

CString g_strLanguageFolder;
CString g_strIniPath;
CString g_strJobsXmlPath;
CString g_strLogPath;
CString g_strAgentIniPath;
CString g_strWindowsFolder;
CString g_strInternetCacheFolder;
CString g_strCookiesFolder;
CString g_strTempFolder;
CString g_strSystemDrive;
CString g_strProgramDrive;
CString g_strDataFolder;
CString g_strComputerName;
CString g_strRecycleFolder;
CString g_strLanguage;
CString g_strComputerFolder;
CString g_strFilterFolder;
CString g_strAppFolder;

CEvent StopEvent(FALSE, FALSE);
CCriticalSection CopyLock;
CIni g_agentIni;
std::locale g_utf8Locale = gel::stdx::ImbueUtf8(std::locale(), new gel::stdx::utf8cvt);
// Its thread starts here, before start-up, and is joined when the queue goes at process exit.
CFileCopyingQueue g_fileCopyingQueue;
