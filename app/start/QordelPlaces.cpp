// The application object's places: the language library, the program folder, the data folder on the program's
// drive, the program's log and the agent options file.
#include "app/start/Qordel.h"

#include <shlobj.h>

#include <vector>

#include "engine/log/LogMsg.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "platform/system/ExceptionReport.h"
#include "platform/system/Handles.h"
#include "platform/system/Resources.h"
#include "setup/filters/DefaultFilterBuilder.h"
#include "setup/filters/FilterTree.h"

namespace
{

// The title the program's log carries.
const wchar_t kProgramTitle[] = L"Orvane Velbrook Data Backup";

bool IsExistingFile(const CString &path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

CString ModulePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return CString();
        if (length < buffer.size())
            return CString(buffer.data(), static_cast<int>(length));
        if (buffer.size() >= 32768)
            return CString();
        buffer.resize(buffer.size() * 2);
    }
}

void CQordelApp::LoadLanguageLibrary()
{
    wchar_t abbreviation[4] = {};
    const bool read = ::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SABBREVLANGNAME, abbreviation, 4) > 0;
    const LanguageChoice choice = ChooseLanguage(g_strLanguageFolder, read ? abbreviation : nullptr, &IsExistingFile);
    g_strLanguage = choice.language;
    g_strLanguageFolder = choice.languageFolder;
    // Without the library nothing else happens here: the main dialog's template cannot be found and the start ends
    // there.
    HMODULE library = ::LoadLibraryW(g_strLanguageFolder + L"Phrasel.dll");
    if (library == nullptr)
        return;
    m_started.languageLibrary = library;
    // Resources the library lacks are still found in the program (AfxFindResourceHandle).
    AfxSetResourceHandle(library);
}

void CQordelApp::InitAppFolder()
{
    m_strAppFolder = FolderOfPath(ModulePath());
    g_strAppFolder = m_strAppFolder;
}

CString CQordelApp::GetTesselDirListName()
{
    CString name;
    name.Format(L"%s%s", L"TesselDir", L".list");
    return name;
}

void CQordelApp::InitTesselDirList()
{
    SetTesselDirListName(GetTesselDirListName());
}

BOOL CQordelApp::MakeDataFolder(DWORD &error)
{
    InitAppFolder();
    InitTesselDirList();
    RecordExclusionFolders();

    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = _countof(name);
    const bool named = ::GetComputerNameW(name, &size) != FALSE;
    const DataPaths paths = MakeDataPaths(m_strAppFolder, named ? name : nullptr);
    g_strProgramDrive = paths.programDrive;
    g_strComputerName = paths.computerName;
    g_strComputerFolder = paths.computerFolder;
    g_strDataFolder = paths.dataFolder;

    const CString folder = g_strDataFolder.Left(g_strDataFolder.GetLength() - 1);
    const int created = ::SHCreateDirectoryExW(nullptr, folder, nullptr);
    if (!IsDataFolderUsable(created, ::GetFileAttributesW(folder)))
    {
        error = created != ERROR_SUCCESS && created != ERROR_ALREADY_EXISTS ? static_cast<DWORD>(created)
                                                                            : static_cast<DWORD>(ERROR_DIRECTORY);
        return FALSE;
    }
    // A folder that is there on a write-protected drive holds the jobs but keeps nothing of this start: no log,
    // no saved job, no backup on the drive.
    CKernelHandle probe(::CreateFileW(g_strDataFolder + L"Zel.probe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!probe.IsValid())
    {
        error = ::GetLastError();
        return FALSE;
    }
    probe.Close();

    g_strIniPath = paths.iniPath;
    g_strJobsXmlPath = paths.jobsXmlPath;
    g_strLogPath = paths.logPath;
    g_strAgentIniPath = paths.agentIniPath;
    g_strFilterFolder = g_strDataFolder;
    return TRUE;
}

void CQordelApp::OpenProgramLog()
{
    AppLog.SetLogName(kProgramTitle);
    // From now on an exception stopped at a window procedure or thread boundary reaches the program's log.
    if (AppLog.Open(g_strLogPath) == 0)
        g_pfnReportException.Exchange(&ReportExceptionToAppLog);
}

void CQordelApp::WriteAgentOptions()
{
    if (::GetFileAttributesW(g_strAgentIniPath) == INVALID_FILE_ATTRIBUTES)
    {
        // Made empty, and closed at once.
        CKernelHandle file(::CreateFileW(g_strAgentIniPath, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    g_agentIni.SetPath(g_strAgentIniPath);
    g_agentIni.WriteString(L"AGENT-OPTIONS", L"Wireless", L"TRUE");
    g_agentIni.WriteString(L"AGENT-OPTIONS", L"Ethernet", L"TRUE");
}

void CQordelApp::LoadBasicFilter()
{
    const CString target = DefaultFilterFilePath();
    if (IsExistingFile(target))
        return;
    CDefaultFilterBuilder::Build(g_strLanguageFolder + kBasicFilterFileName, target);
}
