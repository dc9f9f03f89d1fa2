#include "ContinuousTestSupport.h"

#include "engine/continuous/ContinuousRun.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"

namespace continuoustest
{

const wchar_t kJobId[] = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

void ContinuousTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    m_savedDataFolder = g_strDataFolder;
    g_strDataFolder = m_folder.Path().c_str();
    m_savedListName = GetTesselDirListFileName();
    SetTesselDirListName(L"TesselDir.list");
    m_a = m_folder / L"a\\";
    m_b = m_folder / L"b\\";
    ASSERT_TRUE(::CreateDirectoryW(m_a.c_str(), nullptr) && ::CreateDirectoryW(m_b.c_str(), nullptr));
    m_element = NewJobElement(m_document, L"Sync", m_b.c_str());
    XmlSetAttributeInt(m_element, L"sync_type", 2);
    XmlSetAttributeString(m_element, L"JobUUID", kJobId);
    XmlSetAttributeInt(m_element, L"maxver", 3);
    XmlSetAttributeString(m_element, L"neverrun", L"true");
    m_window = std::make_unique<FakeMainWindow>();
    m_job = std::make_unique<CSyncJob>();
    m_job->Attach(m_element);
    m_workers.emplace(g_syncJobWorkers, g_syncJobWorkers.Get());
    InstallListFileRunThread();
}

void ContinuousTest::TearDown()
{
    m_job.reset();
    m_window.reset();
    m_element = nullptr;
    m_workers.reset();
    SetTesselDirListName(m_savedListName);
    g_strDataFolder = m_savedDataFolder;
    EngineTest::TearDown();
}

IXMLDOMElementPtr ContinuousTest::AddSource(const std::wstring &path, const std::wstring &destination)
{
    IXMLDOMElementPtr element = NewStoreElement(m_document, L"src");
    XmlSetAttributeString(element, L"path", path.c_str());
    XmlSetAttributeString(element, L"destination", destination.c_str());
    XmlSetAttributeString(element, L"rapid", L"0");
    IXMLDOMNodePtr added;
    _com_util::CheckError(m_element->appendChild(element, &added));
    return element;
}

PostedMessage ContinuousTest::Run()
{
    return m_window->RunQueued(m_job.get());
}

std::vector<std::string> FileBytes(std::initializer_list<std::wstring> folders)
{
    std::vector<std::string> bytes;
    for (const std::wstring &folder : folders)
    {
        std::map<std::wstring, std::string> files;
        ReadFileTree(folder, files);
        for (const auto &file : files)
            bytes.push_back(file.second);
    }
    return bytes;
}

void Write(const std::wstring &path, const std::string &bytes, LONGLONG seconds)
{
    WriteFileAt(path, bytes, seconds);
}

FILETIME WrittenAt(LONGLONG seconds)
{
    const SYSTEMTIME base = {2020, 6, 1, 1, 12, 0, 0, 0};
    FILETIME time;
    ::SystemTimeToFileTime(&base, &time);
    const ULONGLONG value = (ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart +
                             static_cast<ULONGLONG>(seconds) * 10000000ULL);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

std::vector<std::wstring> ListEntries(const std::wstring &folder, bool withTimes)
{
    const std::string bytes = testsupport::ReadFileBytes(folder + L"TesselDir.list");
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(&text[0], bytes.data(), text.size() * 2);
    std::vector<std::wstring> lines;
    for (size_t start = text.find(L"\r\n"), end; start != std::wstring::npos; start = end)
    {
        if ((end = text.find(L"\r\n", start + 2)) == std::wstring::npos)
            break;
        std::wstring line = text.substr(start + 2, end - start - 2);
        const size_t synced = line.find(L",synced=\"");
        if (!withTimes && synced != std::wstring::npos)
            line.erase(synced);
        lines.push_back(line);
    }
    return lines;
}

CKernelHandle StartChild(const wchar_t *variable, const std::wstring &value)
{
    std::vector<wchar_t> program(32768);
    ::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    std::wstring line = L"\"" + std::wstring(program.data()) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ::SetEnvironmentVariableW(variable, value.c_str());
    const BOOL started =
        ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(variable, nullptr);
    if (!started)
        return CKernelHandle();
    ::CloseHandle(process.hThread);
    return CKernelHandle(process.hProcess);
}

std::wstring Entry(const std::wstring &name, int isDir)
{
    return L"id=\"" + std::wstring(kJobId) + L"\",name=\"" + name + L"\",isdir=\"" + std::to_wstring(isDir) + L"\"";
}

} // namespace continuoustest
