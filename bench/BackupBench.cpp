// The backup benchmark. Run by hand through bench/run.sh, never by the tests.
//
//   backup_bench.exe [--files N] [--work DIR]          the whole benchmark (DIR is made when missing)
//   backup_bench.exe --runs --work DIR                 R1, L2, R2, R3 and C3 on DIR\src (a child process)
//   backup_bench.exe --r1 --files N --work DIR         one R1 over DIR\src of N files (a child process)
//
// Children write their figures to DIR\result.txt, one "name seconds peakMB" line per phase, one "COUNT name
// files n0 n1 ..." line per counted phase (the system calls of CallCount.h), and "FAIL text" on a failed check.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/CallCount.h"
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
    void Counts(const char *name, long long files, const CallCounts &counts)
    {
        m_out << "COUNT " << name << ' ' << files;
        for (long long count : counts)
            m_out << ' ' << count;
        m_out << '\n';
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
    if (!StartCountingCalls())
        result.Fail("the system calls could not be counted");

    CallCounts before = TakeCallCounts();
    double r1 = job.Run(window);
    CallCounts r1Calls = CallsBetween(before, TakeCallCounts());
    result.Phase("R1", r1);
    result.Counts("R1", job.Job().m_filesCopied, r1Calls);
    if (r1 < 0 || job.Job().GetErrorCount() != 0)
        result.Fail("R1 did not finish cleanly");
    if (!SameTree(src, dst, 50, problem))
        result.Fail("R1 destination differs: " + Narrow(problem));
    if (CountTemporaries(options.work + L"r\\") != 0)
        result.Fail("R1 left temporary files");

    // The floor of a rerun: it has to look at both trees.
    SettleWrites();
    LARGE_INTEGER start = Now();
    std::vector<TreeFile> backedUp;
    ListTree(dst, backedUp);
    result.Phase("L2", Seconds(start, Now()));

    before = TakeCallCounts();
    double r2 = job.Run(window);
    CallCounts r2Calls = CallsBetween(before, TakeCallCounts());
    result.Phase("R2", r2);
    result.Counts("R2", static_cast<long long>(backedUp.size()), r2Calls);
    if (r2 < 0 || job.Job().m_filesCopied != 0)
        result.Fail("R2 copied " + std::to_string(job.Job().m_filesCopied.Get()) + " files");

    std::vector<TreeFile> files;
    ListTree(src, files);
    std::mt19937 random(7);
    std::vector<std::wstring> changed;
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
        changed.push_back(file.relative);
    }
    SettleWrites();
    double r3 = job.Run(window);
    result.Phase("R3", r3);
    if (r3 < 0 || job.Job().m_filesCopied != static_cast<int>(changed.size()))
        result.Fail("R3 copied " + std::to_string(job.Job().m_filesCopied.Get()) + " files, " +
                    std::to_string(changed.size()) + " changed");
    if (!SameTree(src, dst, 0, problem))
        result.Fail("R3 destination differs: " + Narrow(problem));

    // What R3 has to copy, copied as P2 copies it.
    SettleWrites();
    start = Now();
    if (!CopyFilesSafe(src, changed, options.work + L"c\\"))
        result.Fail("the copy of the changed files failed");
    result.Phase("C3", Seconds(start, Now()));
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

// A phase's figures: its seconds and its process's peak working set, or its files and system calls.
struct Phase
{
    double seconds = 0;
    double peak = 0;
};
struct PhaseCalls
{
    long long files = 0;
    CallCounts calls;
};
struct Results
{
    std::map<std::string, Phase> phases;
    std::map<std::string, PhaseCalls> calls;
};

Results ReadResults(const std::wstring &path, std::vector<std::string> &fails)
{
    Results results;
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
        if (line.compare(0, 6, "COUNT ") == 0)
        {
            std::string word;
            PhaseCalls phase;
            fields >> word >> name >> phase.files;
            for (long long count = 0; fields >> count;)
                phase.calls.push_back(count);
            results.calls[name] = phase;
            continue;
        }
        Phase phase;
        if (fields >> name >> phase.seconds >> phase.peak)
            results.phases[name] = phase;
    }
    return results;
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

// A copy the runs are measured against, run twice (in alternating order with the others) into its own folder.
struct Baseline
{
    const char *name;
    const char *what;
    std::wstring folder;
    std::function<bool()> copy;
    double seconds[2] = {0, 0};
    bool ok = true;

    // With two figures the median is their mean.
    double Median() const
    {
        return (seconds[0] + seconds[1]) / 2;
    }
};

// The system calls per file of R1, R2 and P2, and the microseconds per file spent in them, one line per function
// that any of them calls.
void PrintCallTable(const PhaseCalls &r1, const PhaseCalls &r2, const PhaseCalls &p2)
{
    const std::vector<std::string> &names = CountedCallNames();
    const PhaseCalls *phases[3] = {&r1, &r2, &p2};
    auto perFile = [](const PhaseCalls &phase, size_t i) {
        return phase.files > 0 && i < phase.calls.size() ? static_cast<double>(phase.calls[i]) / phase.files : 0.0;
    };
    std::printf("Per file                      R1 (copied)     R2 (unchanged)   P2 (copy+rename)\n"
                "                             calls     us     calls     us     calls     us\n");
    double totals[6] = {};
    for (size_t i = 0; i < names.size(); ++i)
    {
        double row[6];
        bool any = false;
        for (int k = 0; k < 3; ++k)
        {
            row[2 * k] = perFile(*phases[k], i);
            row[2 * k + 1] = perFile(*phases[k], names.size() + i);
            any = any || row[2 * k] >= 0.005;
        }
        if (!any)
            continue;
        std::printf("  %-26s", names[i].c_str());
        // A wait's time is another thread's work (the benchmark's window, the log writer's lock): its calls
        // count, its microseconds stay out of the total.
        const bool wait = names[i] == "WaitForSingleObject";
        for (int k = 0; k < 6; ++k)
        {
            std::printf(k % 2 == 0 ? " %7.2f" : " %6.1f", row[k]);
            if (k % 2 == 0 || !wait)
                totals[k] += row[k];
        }
        std::printf("\n");
    }
    std::printf("  %-26s", "all counted");
    for (int k = 0; k < 6; ++k)
        std::printf(k % 2 == 0 ? " %7.2f" : " %6.1f", totals[k]);
    std::printf("\n");
}

int Main(const Options &options)
{
    std::wstring work = options.work;
    ::CreateDirectoryW(work.c_str(), nullptr);
    for (LPCWSTR part : {L"src", L"p", L"p2", L"s", L"r", L"c", L"data", L"small20k", L"small100k"})
        RemoveTree(work + part);
    ::DeleteFileW((work + L"result.txt").c_str());
    std::vector<std::string> fails;
    if (!StartCountingCalls())
        fails.push_back("the system calls could not be counted");

    std::printf("Generating %d files...\n", options.files);
    std::fflush(stdout);
    std::vector<TreeFile> files;
    const std::wstring src = work + L"src\\";
    ::CreateDirectoryW((work + L"src").c_str(), nullptr);
    if (!GenerateTree(src, options.files, false, files))
    {
        std::printf("FAIL: could not write the tree\n");
        return 1;
    }
    ULONGLONG bytes = ReadTree(src);
    std::printf("Tree: %zu files, %.2f GB (read once, untimed)\n", files.size(), bytes / 1e9);

    // A listing is short: it is timed before the copies and after them, and the median counts.
    std::vector<TreeFile> listed;
    auto timeListing = [&] {
        SettleWrites();
        listed.clear();
        LARGE_INTEGER from = Now();
        ListTree(src, listed);
        return Seconds(from, Now());
    };
    double listings[2] = {timeListing(), 0};
    LARGE_INTEGER start;

    // Single figures move by a fifth on a shared machine: each copy runs twice, the second time in the
    // opposite order, and the median counts.
    Baseline baselines[3] = {
        {"P ", "plain copy loop", work + L"p\\", nullptr},
        {"P2", "copy and rename", work + L"p2\\", nullptr},
        {"X ", "xcopy", work + L"s\\", nullptr},
    };
    baselines[0].copy = [&] { return CopyTreePlain(src, baselines[0].folder); };
    baselines[1].copy = [&] { return CopyTreeSafe(src, baselines[1].folder); };
    baselines[2].copy = [&] {
        return RunProcess(L"xcopy.exe " + Quoted(src) + L" " + Quoted(baselines[2].folder) + L" /E /I /H /K /Y /Q") ==
               0;
    };
    PhaseCalls p2Calls;
    for (int round = 0; round < 2; ++round)
    {
        for (int k = 0; k < 3; ++k)
        {
            Baseline &baseline = baselines[round == 0 ? k : 2 - k];
            RemoveTree(baseline.folder);
            SettleWrites();
            const CallCounts before = TakeCallCounts();
            start = Now();
            baseline.ok = baseline.copy() && baseline.ok;
            baseline.seconds[round] = Seconds(start, Now());
            if (&baseline == &baselines[1] && round == 0)
                p2Calls = PhaseCalls{static_cast<long long>(listed.size()), CallsBetween(before, TakeCallCounts())};
        }
    }
    listings[1] = timeListing();
    const double l = (listings[0] + listings[1]) / 2;
    std::printf("L  bare listing         %8.2f s  %8.2f s  median %8.2f s  peak %7.1f MB\n", listings[0], listings[1],
                l, PeakWorkingSetMB());
    std::wstring problem;
    for (const Baseline &baseline : baselines)
    {
        std::printf("%s %-19s %8.2f s  %8.2f s  median %8.2f s\n", baseline.name, baseline.what, baseline.seconds[0],
                    baseline.seconds[1], baseline.Median());
        if (!baseline.ok)
            fails.push_back(std::string(baseline.what) + " failed");
    }
    if (!SameTree(src, baselines[0].folder, 50, problem))
        fails.push_back("the plain copy differs: " + Narrow(problem));
    if (!SameTree(src, baselines[1].folder, 50, problem) || CountTemporaries(baselines[1].folder) != 0)
        fails.push_back("the copy and rename differs: " + Narrow(problem));
    const double p = baselines[0].Median(), p2 = baselines[1].Median(), x = baselines[2].Median();
    std::fflush(stdout);

    SettleWrites();
    RunProcess(L"\"" + Self() + L"\" --runs --work " + Quoted(work));
    Results runs = ReadResults(work + L"result.txt", fails);
    auto seconds = [&](const char *name) {
        auto found = runs.phases.find(name);
        if (found != runs.phases.end())
            return found->second.seconds;
        fails.push_back(std::string(name) + " gave no figures");
        return 0.0;
    };
    const double r1 = seconds("R1"), l2 = seconds("L2"), r2 = seconds("R2"), r3 = seconds("R3"), c3 = seconds("C3");
    for (const char *name : {"R1", "R2", "R3"})
    {
        const Phase &phase = runs.phases[name];
        std::printf("%s backup run            %8.2f s  peak %7.1f MB  R/P %.2f  R/P2 %.2f  R/X %.2f  R/L %.2f\n", name,
                    phase.seconds, phase.peak, phase.seconds / p, phase.seconds / p2, phase.seconds / x,
                    phase.seconds / l);
    }
    std::printf("L2 listing of the backup %8.2f s\n", l2);
    std::printf("C3 R3's changed files    %8.2f s  (copied and renamed as P2 does)\n", c3);
    PrintCallTable(runs.calls["R1"], runs.calls["R2"], p2Calls);

    double times[2] = {0, 0}, peaks[2] = {0, 0};
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
        SettleWrites();
        RunProcess(L"\"" + Self() + L"\" --r1 --files " + std::to_wstring(counts[i]) + L" --work " + Quoted(folder));
        Results small = ReadResults(folder + L"result.txt", fails);
        auto found = small.phases.find("R1");
        if (found == small.phases.end())
        {
            fails.push_back("small R1 gave no figures");
            continue;
        }
        times[i] = found->second.seconds;
        peaks[i] = found->second.peak;
        std::printf("R1 over %6d small files %8.2f s  peak %7.1f MB\n", counts[i], times[i], peaks[i]);
    }

    for (const std::string &fail : fails)
        std::printf("FAIL: %s\n", fail.c_str());
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("R1/P %.2f (<= 1.20)  R1/P2 %.2f (<= 1.05)  R2/(L+L2) %.2f (<= 1.10)  R3/(1.2 R2 + C3) %.2f (<= 1.00)  "
                "time 100k/20k %.2f (<= 5.00)  peak 100k/20k %.2f (<= 1.05)  %s\n",
                ratio(r1, p), ratio(r1, p2), ratio(r2, l + l2), ratio(r3, 1.2 * r2 + c3), ratio(times[1], times[0]),
                ratio(peaks[1], peaks[0]), fails.empty() ? "checks passed" : "checks FAILED");
    return fails.empty() ? 0 : 1;
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
