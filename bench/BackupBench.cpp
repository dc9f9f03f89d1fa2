// The backup benchmark. Run by hand through bench/run.sh, never by the tests.
//
//   backup_bench.exe [--files N] [--work DIR]          the whole benchmark (DIR is made when missing)
//   backup_bench.exe --runs --work DIR                 R1, R2 and R3 on DIR\src (a child process)
//   backup_bench.exe --r1 --files N --work DIR         one R1 over DIR\src of N files (a child process)
//
// Children write their figures to DIR\result.txt, one "name seconds peakMB" line per phase, and "FAIL text"
// on a failed check.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/BenchWindow.h"
#include "engine/program/AppPaths.h"
#include "engine/job/JobDeque.h"
#include "engine/store/JobDef.h"
#include "engine/job/MainWindowServices.h"
#include "engine/program/ProgramObjects.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/run/RunThread.h"
#include "engine/job/SyncJob.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/ComGlue.h"
#include "platform/system/Handles.h"

using namespace bench;

namespace
{

const wchar_t kWindowClass[] = L"VelbrookBackupBenchWindow";

// The main window as far as a run needs it.
class BenchWindow : public BenchMainWindow
{
  public:
    BenchWindow() : BenchMainWindow(kWindowClass, nullptr)
    {
    }

    // Queues the job and pumps until its end message; the message, 0 on time-out.
    UINT Run(CSyncJob *job)
    {
        m_end = 0;
        GetJobDeque().Enqueue(job, 0);
        MSG message;
        while (m_end == 0 && ::GetMessageW(&message, nullptr, 0, 0) > 0)
        {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        return m_end;
    }

  protected:
    void OnRunEnded(UINT message) override
    {
        m_end = message;
    }

  private:
    UINT m_end = 0;
};

struct Options
{
    int files = 20000;
    std::wstring work;
    bool runs = false;
    bool r1 = false;
};

std::wstring WithSlash(std::wstring path)
{
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path;
}

std::string Narrow(const std::wstring &text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

class ResultFile
{
  public:
    explicit ResultFile(const std::wstring &path) : m_out(Narrow(path).c_str(), std::ios::app)
    {
    }
    void Phase(const char *name, double seconds)
    {
        m_out << name << ' ' << seconds << ' ' << PeakWorkingSetMB() << '\n';
        m_out.flush();
    }
    void Fail(const std::string &text)
    {
        m_out << "FAIL " << text << '\n';
        m_out.flush();
    }

  private:
    std::ofstream m_out;
};

// A job over work\src with "rapid" "0" and its destination work\r\, with its data in work\data\.
class BenchJob
{
  public:
    explicit BenchJob(const std::wstring &work)
    {
        g_strDataFolder = (work + L"data\\").c_str();
        g_strLogPath = (work + L"data\\Zel.log").c_str();
        ::CreateDirectoryW((work + L"data").c_str(), nullptr);
        ::CreateDirectoryW((work + L"r").c_str(), nullptr);
        RecordExclusionFolders();
        m_document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        m_document->loadXML(_bstr_t(L"<Tessel xmlns=\"ORVANE\"/>"), &loaded);
        SetXmlStoreDocument(m_document);
        IXMLDOMNodePtr node;
        m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"), _bstr_t(L"ORVANE"),
                               &node);
        IXMLDOMElementPtr element = node;
        XmlSetAttributeString(element, L"name", L"Bench");
        XmlSetAttributeString(element, L"dest", (work + L"r\\").c_str());
        XmlSetAttributeInt(element, L"state", 1);
        m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"src"), _bstr_t(L"ORVANE"), &node);
        IXMLDOMElementPtr source = node;
        XmlSetAttributeString(source, L"path", (work + L"src\\").c_str());
        XmlSetAttributeString(source, L"rapid", L"0");
        IXMLDOMNodePtr added;
        element->appendChild(source, &added);
        m_job = std::make_unique<CSyncJob>();
        m_job->Attach(element);
        InstallBackupRunThread();
    }
    ~BenchJob()
    {
        m_job.reset();
        SetXmlStoreDocument(nullptr);
    }
    CSyncJob &Job()
    {
        return *m_job;
    }
    // The run's seconds; negative when it did not end with WM_JOB_FINISHED.
    double Run(BenchWindow &window)
    {
        LARGE_INTEGER start = Now();
        UINT end = window.Run(m_job.get());
        double seconds = Seconds(start, Now());
        return end == WM_JOB_FINISHED ? seconds : -1;
    }

  private:
    IXMLDOMDocument2Ptr m_document;
    std::unique_ptr<CSyncJob> m_job;
};

int ChildRuns(const Options &options)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    ResultFile result(options.work + L"result.txt");
    BenchWindow window;
    BenchJob job(options.work);
    std::wstring src = options.work + L"src\\", dst = options.work + L"r\\src\\";
    std::wstring problem;

    double r1 = job.Run(window);
    result.Phase("R1", r1);
    if (r1 < 0 || job.Job().GetErrorCount() != 0)
        result.Fail("R1 did not finish cleanly");
    if (!SameTree(src, dst, 50, problem))
        result.Fail("R1 destination differs: " + Narrow(problem));
    if (CountTemporaries(options.work + L"r\\") != 0)
        result.Fail("R1 left temporary files");

    double r2 = job.Run(window);
    result.Phase("R2", r2);
    if (r2 < 0 || job.Job().m_filesCopied != 0)
        result.Fail("R2 copied " + std::to_string(job.Job().m_filesCopied.Get()) + " files");

    std::vector<TreeFile> files;
    ListTree(src, files);
    std::mt19937 random(7);
    int changed = 0;
    for (const TreeFile &file : files)
    {
        if (random() % 100 != 0)
            continue;
        std::wstring path = src + file.relative;
        WIN32_FILE_ATTRIBUTE_DATA data;
        ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        ULARGE_INTEGER time;
        time.LowPart = data.ftLastWriteTime.dwLowDateTime;
        time.HighPart = data.ftLastWriteTime.dwHighDateTime;
        time.QuadPart += 60ULL * 10000000ULL;
        FILETIME later = {time.LowPart, time.HighPart};
        CKernelHandle handle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        char byte = static_cast<char>(random());
        DWORD written = 0;
        ::WriteFile(handle.Get(), &byte, 1, &written, nullptr);
        ::SetFileTime(handle.Get(), nullptr, nullptr, &later);
        ++changed;
    }
    double r3 = job.Run(window);
    result.Phase("R3", r3);
    if (r3 < 0 || job.Job().m_filesCopied != changed)
        result.Fail("R3 copied " + std::to_string(job.Job().m_filesCopied.Get()) + " files, " +
                    std::to_string(changed) + " changed");
    if (!SameTree(src, dst, 0, problem))
        result.Fail("R3 destination differs: " + Narrow(problem));
    return 0;
}

int ChildR1(const Options &options)
{
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    ResultFile result(options.work + L"result.txt");
    BenchWindow window;
    BenchJob job(options.work);
    double r1 = job.Run(window);
    result.Phase("R1", r1);
    if (r1 < 0 || job.Job().m_filesCopied != options.files)
        result.Fail("small R1 did not copy every file");
    return 0;
}

std::map<std::string, std::pair<double, double>> ReadResults(const std::wstring &path, std::vector<std::string> &fails)
{
    std::map<std::string, std::pair<double, double>> phases;
    std::ifstream in(Narrow(path).c_str());
    std::string line;
    while (std::getline(in, line))
    {
        if (line.compare(0, 5, "FAIL ") == 0)
        {
            fails.push_back(line.substr(5));
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        double seconds = 0, peak = 0;
        if (fields >> name >> seconds >> peak)
            phases[name] = {seconds, peak};
    }
    return phases;
}

// A folder for a command line: without its trailing backslash, which would escape the closing quote.
std::wstring Quoted(const std::wstring &folder)
{
    std::wstring text = folder;
    while (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return L"\"" + text + L"\"";
}

std::wstring Self()
{
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

int Main(const Options &options)
{
    std::wstring work = options.work;
    ::CreateDirectoryW(work.c_str(), nullptr);
    for (LPCWSTR part : {L"src", L"p", L"s", L"r", L"data", L"small20k", L"small100k"})
        RemoveTree(work + part);
    ::DeleteFileW((work + L"result.txt").c_str());
    std::vector<std::string> fails;

    std::printf("Generating %d files...\n", options.files);
    std::fflush(stdout);
    std::vector<TreeFile> files;
    ::CreateDirectoryW((work + L"src").c_str(), nullptr);
    if (!GenerateTree(work + L"src\\", options.files, false, files))
    {
        std::printf("FAIL: could not write the tree\n");
        return 1;
    }
    ULONGLONG bytes = ReadTree(work + L"src\\");
    std::printf("Tree: %zu files, %.2f GB (read once, untimed)\n", files.size(), bytes / 1e9);

    LARGE_INTEGER start = Now();
    std::vector<TreeFile> listed;
    ListTree(work + L"src\\", listed);
    double l = Seconds(start, Now());
    std::printf("L  bare listing      %8.2f s  peak %7.1f MB\n", l, PeakWorkingSetMB());

    start = Now();
    bool plain = CopyTreePlain(work + L"src\\", work + L"p\\");
    double p = Seconds(start, Now());
    std::printf("P  plain copy loop   %8.2f s  peak %7.1f MB\n", p, PeakWorkingSetMB());
    if (!plain)
        fails.push_back("the plain copy failed");

    std::wstring s_src = work + L"src", s_dst = work + L"s";
    start = Now();
    int code = RunProcess(L"robocopy.exe " + Quoted(s_src) + L" " + Quoted(s_dst) + L" /E /R:0 /W:0");
    double s = Seconds(start, Now());
    const char *tool = "robocopy";
    if (code >= 8 || code < 0)
    {
        std::printf("Notice: robocopy exited with %d; xcopy is timed instead\n", code);
        RemoveTree(s_dst + L"\\");
        start = Now();
        code = RunProcess(L"xcopy.exe " + Quoted(s_src) + L" " + Quoted(s_dst) + L" /E /I /H /K /Y /Q");
        s = Seconds(start, Now());
        tool = "xcopy";
    }
    std::printf("S  %-8s          %8.2f s  (exit %d)\n", tool, s, code);
    std::fflush(stdout);

    RunProcess(L"\"" + Self() + L"\" --runs --work " + Quoted(work));
    auto runs = ReadResults(work + L"result.txt", fails);
    for (const char *name : {"R1", "R2", "R3"})
    {
        auto found = runs.find(name);
        if (found == runs.end())
        {
            fails.push_back(std::string(name) + " gave no figures");
            continue;
        }
        double seconds = found->second.first;
        std::printf("%s backup run        %8.2f s  peak %7.1f MB  R/P %.2f  R/S %.2f  R/L %.2f\n", name, seconds,
                    found->second.second, seconds / p, seconds / s, seconds / l);
    }

    double peaks[2] = {0, 0};
    int counts[2] = {20000, 100000};
    for (int i = 0; i < 2; ++i)
    {
        std::wstring folder = work + (i == 0 ? L"small20k\\" : L"small100k\\");
        ::CreateDirectoryW(folder.c_str(), nullptr);
        // Written here, so that the child's peak is the run's alone.
        std::printf("Generating %d small files...\n", counts[i]);
        std::fflush(stdout);
        std::vector<TreeFile> smallFiles;
        ::CreateDirectoryW((folder + L"src").c_str(), nullptr);
        if (!GenerateTree(folder + L"src\\", counts[i], true, smallFiles))
        {
            fails.push_back("could not write the small tree");
            continue;
        }
        smallFiles = std::vector<TreeFile>();
        RunProcess(L"\"" + Self() + L"\" --r1 --files " + std::to_wstring(counts[i]) + L" --work " + Quoted(folder));
        auto small = ReadResults(folder + L"result.txt", fails);
        auto found = small.find("R1");
        if (found == small.end())
        {
            fails.push_back("small R1 gave no figures");
            continue;
        }
        peaks[i] = found->second.second;
        std::printf("R1 over %6d small files %8.2f s  peak %7.1f MB\n", counts[i], found->second.first, peaks[i]);
    }
    if (peaks[0] > 0)
        std::printf("Peak at 100,000 / peak at 20,000: %.2f\n", peaks[1] / peaks[0]);

    for (const std::string &fail : fails)
        std::printf("FAIL: %s\n", fail.c_str());
    if (!fails.empty())
        return 1;
    std::printf("checks passed\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i)
    {
        std::wstring arg = argv[i];
        if (arg == L"--files" && i + 1 < argc)
        {
            options.files = _wtoi(argv[++i]);
        }
        else if (arg == L"--work" && i + 1 < argc)
        {
            options.work = argv[++i];
        }
        else if (arg == L"--runs")
        {
            options.runs = true;
        }
        else if (arg == L"--r1")
        {
            options.r1 = true;
        }
        else
        {
            std::printf("usage: backup_bench.exe [--files N] [--work DIR]\n");
            return 2;
        }
    }
    if (options.files <= 0)
    {
        std::printf("--files needs a positive number\n");
        return 2;
    }
    if (options.work.empty())
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        options.work = std::wstring(temp) + L"velbrook-bench";
    }
    options.work = WithSlash(options.work);
    if (options.runs)
        return ChildRuns(options);
    if (options.r1)
        return ChildR1(options);
    return Main(options);
}
