// The watch benchmark: one on-change job (sync_type 1, autodel on, maxver 0) over DIR\src, watched as the
// main window watches it, its changes processed by the real engine. Run by hand through bench/run.sh watch,
// never by the tests.
//
//   watch_bench.exe [--files N] [--rate R] --work DIR
//
// The settle time is the longest a settled file waits for its test: the settle count and one tick more (4 s).
// Latency: N files (default 120) of 1-16 KB from a fixed seed, R a second (default 0.5); a file has arrived
// when its copy has its size and last-write time. p50, p95 and max from close to arrival; target p95 <=
// settle + 1 s.
// New files: 1,000 files of 1-16 KB written at full speed; the time from the last write until every copy has
// arrived, beside a plain copy loop over the same files; target: within 2 x the loop's time + settle.
// Burst: 1,000 operations at full speed on distinct files (500 creates, 200 rewrites, 150 renames, 150
// deletes); within 30 minutes every source file must be at the destination with equal content and, unless an
// overflow was reported, nothing else. A failed target or check prints FAIL and ends with 1.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/BenchWindow.h"
#include "engine/changes/FileChangeEntry.h"
#include "engine/changes/FileMonOperation.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/JobDeque.h"
#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/log/LogMsg.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "engine/watch/DirectoryChangeWatcher.h"
#include "platform/system/Handles.h"
#include "platform/system/Resources.h"

using namespace bench;

namespace
{

const wchar_t kWindowClass[] = L"VelbrookWatchBenchWindow";
const UINT WM_BENCH_REQUEST_RUN = WM_APP + 1;

// The main window as far as a watched job needs it: its collection, and the runs asked of it, which run.
class WatchWindow : public BenchMainWindow
{
  public:
    explicit WatchWindow(CSyncJobList *list) : BenchMainWindow(kWindowClass, list)
    {
    }
    BOOL RunJobNow(CSyncJob *job, int argument) override
    {
        if (job->GetJobDef()->GetState() == 0)
            return FALSE;
        if (job->TryClaimRun())
        {
            job->m_startArgument = 1;
            ++runs;
            GetJobDeque().Enqueue(job, argument);
        }
        return TRUE;
    }
    void RequestRun(CSyncJob *job) override
    {
        ::PostMessageW(GetWindowHandle(), WM_BENCH_REQUEST_RUN, reinterpret_cast<WPARAM>(job), 0);
    }

    // Dispatches this thread's messages for about ms milliseconds.
    static void Pump(DWORD ms)
    {
        const DWORD start = ::GetTickCount();
        do
        {
            PumpWaitingMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } while (::GetTickCount() - start < ms);
    }

    int runs = 0;

  protected:
    BOOL OnOtherMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message != WM_BENCH_REQUEST_RUN)
            return FALSE;
        CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
        if (m_list->Contains(job))
            RunJobNow(job, 1);
        return TRUE;
    }
};

// The program's file monitor, counting the overflows it hears of.
class CountingMonitor : public CFileMonOperation
{
  public:
    void WatchError(DWORD error, LPCWSTR folder) override
    {
        if (error == ERROR_NOTIFY_ENUM_DIR)
            ++overflows;
        CFileMonOperation::WatchError(error, folder);
    }
    std::atomic<int> overflows{0};
};

std::string Narrow(const std::wstring &text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

bool WriteBytes(const std::wstring &path, const std::string &bytes)
{
    CKernelHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.IsValid() &&
           ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadBytes(const std::wstring &path)
{
    CKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file.IsValid())
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

std::string RandomBytes(std::mt19937 &random)
{
    std::string bytes(1024 + random() % (15 * 1024 + 1), '\0');
    for (char &c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

bool SameState(const std::wstring &a, const std::wstring &b)
{
    WIN32_FILE_ATTRIBUTE_DATA da, db;
    return ::GetFileAttributesExW(a.c_str(), GetFileExInfoStandard, &da) &&
           ::GetFileAttributesExW(b.c_str(), GetFileExInfoStandard, &db) && da.nFileSizeLow == db.nFileSizeLow &&
           da.nFileSizeHigh == db.nFileSizeHigh && ::CompareFileTime(&da.ftLastWriteTime, &db.ftLastWriteTime) == 0;
}

std::map<std::wstring, std::string> Contents(const std::wstring &folder)
{
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
    for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[data.cFileName] = ReadBytes(folder + data.cFileName);
    }
    return files;
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// One file written in the latency phase: when it was closed, and when its copy was seen.
struct Written
{
    std::wstring name;
    LARGE_INTEGER closed;
    double latency = -1;
};

// The longest a record waits before the test that lets it go: the settle count and one tick.
double SettleSeconds()
{
    return (kSettleTicks + 1) * g_fileMonTickMs.Get() / 1000.0;
}

bool Latency(const std::wstring &src, const std::wstring &dst, int files, double rate)
{
    std::mutex lock;
    std::vector<Written> written;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::mt19937 random(16);
        const LARGE_INTEGER start = Now();
        for (int i = 0; i < files; ++i)
        {
            while (Seconds(start, Now()) < i / rate)
                ::Sleep(5);
            wchar_t name[32];
            swprintf(name, 32, L"f%03d.bin", i);
            WriteBytes(src + name, RandomBytes(random));
            const LARGE_INTEGER closed = Now();
            std::lock_guard<std::mutex> hold(lock);
            written.push_back(Written{name, closed});
        }
        done = true;
    });
    const LARGE_INTEGER start = Now();
    size_t arrived = 0;
    while (Seconds(start, Now()) < files / rate + 120)
    {
        WatchWindow::Pump(20);
        std::lock_guard<std::mutex> hold(lock);
        for (Written &file : written)
        {
            if (file.latency < 0 && SameState(src + file.name, dst + file.name))
            {
                file.latency = Seconds(file.closed, Now());
                ++arrived;
            }
        }
        if (done && arrived == written.size())
            break;
    }
    writer.join();
    std::vector<double> latencies;
    for (const Written &file : written)
    {
        if (file.latency >= 0)
            latencies.push_back(file.latency);
    }
    const double p50 = Percentile(latencies, 0.5), p95 = Percentile(latencies, 0.95);
    const double worst = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
    printf("latency: %d files at %.2f a second: p50 %.2f s, p95 %.2f s, max %.2f s (settle %.1f s)\n", files, rate, p50,
           p95, worst, SettleSeconds());
    if (latencies.size() != written.size())
    {
        printf("FAIL latency: %d of %d files never arrived\n", static_cast<int>(written.size() - latencies.size()),
               static_cast<int>(written.size()));
        return false;
    }
    if (p95 > SettleSeconds() + 1.0)
    {
        printf("FAIL latency: p95 %.2f s is above the target of settle + 1 s (%.1f s)\n", p95, SettleSeconds() + 1.0);
        return false;
    }
    printf("p95 target met\n");
    return true;
}

bool NewFiles(const std::wstring &src, const std::wstring &dst, const std::wstring &scratch)
{
    std::mt19937 random(2000);
    std::vector<std::wstring> names;
    const LARGE_INTEGER start = Now();
    for (int i = 0; i < 1000; ++i)
    {
        wchar_t name[32];
        swprintf(name, 32, L"n%03d.bin", i);
        names.push_back(name);
        WriteBytes(src + name, RandomBytes(random));
    }
    const LARGE_INTEGER written = Now();
    // Looked at by their attributes only: a file held open here could not be replaced by its copy.
    size_t arrived = 0;
    while (arrived < names.size() && Seconds(start, Now()) < 10 * 60)
    {
        WatchWindow::Pump(100);
        while (arrived < names.size() && SameState(src + names[arrived], dst + names[arrived]))
            ++arrived;
    }
    // The copy loop starts with every file there, and so does the time the target is set for: from the last write.
    const double writing = Seconds(start, written), copied = Seconds(written, Now());
    const LARGE_INTEGER loopStart = Now();
    for (const std::wstring &name : names)
        ::CopyFileW((src + name).c_str(), (scratch + name).c_str(), FALSE);
    const double loop = Seconds(loopStart, Now());
    const double target = 2 * loop + SettleSeconds();
    printf("new files: written in %.1f s, all copied %.1f s after the last write; a plain copy loop over them %.1f "
           "s, settle %.1f s: target %.1f s\n",
           writing, copied, loop, SettleSeconds(), target);
    if (arrived < names.size())
    {
        printf("FAIL new files: %d of 1000 never arrived\n", static_cast<int>(names.size() - arrived));
        return false;
    }
    if (copied > target)
    {
        printf("FAIL new files: %.1f s is above the target of %.1f s\n", copied, target);
        return false;
    }
    printf("new-file target met\n");
    return true;
}

bool Burst(const std::wstring &src, const std::wstring &dst, const CountingMonitor &monitor)
{
    std::mt19937 random(1000);
    // Every file is created once; each of the first 500 then gets one more operation.
    enum Kind
    {
        Rewrite,
        Rename,
        Delete
    };
    std::vector<std::pair<Kind, int>> followUps;
    for (int i = 0; i < 500; ++i)
        followUps.emplace_back(i < 200 ? Rewrite : i < 350 ? Rename : Delete, i);
    std::shuffle(followUps.begin(), followUps.end(), random);
    auto name = [](LPCWSTR prefix, int i) {
        wchar_t text[32];
        swprintf(text, 32, L"%s%03d.bin", prefix, i);
        return std::wstring(text);
    };

    const int overflowsBefore = monitor.overflows;
    std::atomic<bool> done{false};
    const LARGE_INTEGER start = Now();
    std::thread writer([&] {
        std::mt19937 bytes(1001);
        for (int i = 0; i < 500; ++i)
            WriteBytes(src + name(L"b", i), RandomBytes(bytes));
        for (const auto &[kind, i] : followUps)
        {
            if (kind == Rewrite)
                WriteBytes(src + name(L"b", i), RandomBytes(bytes));
            else if (kind == Rename)
                ::MoveFileW((src + name(L"b", i)).c_str(), (src + name(L"r", i)).c_str());
            else
                ::DeleteFileW((src + name(L"b", i)).c_str());
        }
        done = true;
    });

    bool passed = false;
    int missing = 0, extra = 0;
    while (Seconds(start, Now()) < 30 * 60)
    {
        WatchWindow::Pump(1000);
        if (!done)
            continue;
        const std::map<std::wstring, std::string> source = Contents(src), copy = Contents(dst);
        missing = extra = 0;
        for (const auto &[file, bytes] : source)
        {
            auto found = copy.find(file);
            missing += found == copy.end() || found->second != bytes ? 1 : 0;
        }
        for (const auto &entry : copy)
            extra += source.count(entry.first) == 0 ? 1 : 0;
        const bool overflowed = monitor.overflows > overflowsBefore;
        if (missing == 0 && (extra == 0 || overflowed))
        {
            passed = true;
            break;
        }
    }
    writer.join();
    printf("burst: 1000 operations, %.1f s, %d overflows, %d stale extra files\n", Seconds(start, Now()),
           monitor.overflows - overflowsBefore, extra);
    if (!passed)
    {
        printf("FAIL burst: after 30 minutes %d source files are missing or differ at the destination, %d extra\n",
               missing, extra);
        return false;
    }
    printf("burst checks passed\n");
    return true;
}

std::wstring WithSlash(std::wstring path)
{
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path;
}

// The English language library beside the program folder of the build, for the log's texts.
void UseLanguageLibrary()
{
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder = folder.substr(0, folder.rfind(L'\\'));
    folder = folder.substr(0, folder.rfind(L'\\') + 1);
    if (HMODULE library = ::LoadLibraryW((folder + L"out\\ENU\\Phrasel.dll").c_str()))
        AfxSetResourceHandle(library);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    int files = 120;
    double rate = 0.5;
    std::wstring work;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::wstring option = argv[i];
        if (option == L"--files")
            files = _wtoi(argv[i + 1]);
        else if (option == L"--rate")
            rate = _wtof(argv[i + 1]);
        else if (option == L"--work")
            work = WithSlash(argv[i + 1]);
    }
    if (files <= 0 || rate <= 0 || work.empty())
    {
        printf("usage: watch_bench.exe [--files N] [--rate R] --work DIR\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    UseLanguageLibrary();
    ::CreateDirectoryW(work.c_str(), nullptr);
    for (LPCWSTR part : {L"src", L"dst", L"data", L"scratch"})
        RemoveTree(work + part);
    const std::wstring src = work + L"src\\", dst = work + L"dst\\", data = work + L"data\\",
                       scratch = work + L"scratch\\";
    for (const std::wstring &folder : {src, dst, data, scratch})
        ::CreateDirectoryW(folder.c_str(), nullptr);
    // The phases' folders are there before the watch begins, as a user's folders are.
    for (LPCWSTR phase : {L"latency", L"new", L"burst"})
        ::CreateDirectoryW((src + phase).c_str(), nullptr);
    g_strDataFolder = data.c_str();
    g_strLogPath = (data + L"Zel.log").c_str();
    AppLog.Open((data + L"Program.log").c_str());
    RecordExclusionFolders();
    InstallBackupRunThread();

    // A job that has run once already: watching it queues the one run that catches what changed meanwhile.
    const std::wstring store = L"<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\"><jobdef name=\"Watched\" "
                               L"JobUUID=\"{5EC0F1A6-7D1B-4C52-9E1A-16B3E0C4D2A1}\" dest=\"" +
                               dst +
                               L"\" state=\"1\" js_type=\"0\" sync_type=\"1\" autodel=\"true\" maxver=\"0\" "
                               L"neverrun=\"2020-01-01 00:00:00\"><src path=\"" +
                               src + L"\" destination=\"" + dst + L"\" rapid=\"0\"/></jobdef></Tessel>";
    CKernelHandle storeFile(
        ::CreateFileW((data + L"Zel.xml").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::string bytes = Narrow(store);
    DWORD written = 0;
    ::WriteFile(storeFile.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    storeFile.Close();

    bool passed = false;
    {
        CSyncJobList list((data + L"Zel.xml").c_str(), (data + L"Zel.ini").c_str());
        WatchWindow window(&list);
        CDirectoryChangeWatcher watcher(TRUE, 8);
        auto *monitor = new CountingMonitor();
        CheckJobPaths(*list.GetAt(0), watcher, monitor, &window);
        if (!watcher.IsWatching(src.c_str()))
        {
            printf("FAIL the source folder could not be watched\n");
        }
        else
        {
            // The start-up run finds the empty folders.
            WatchWindow::Pump(2000);
            printf("== latency\n");
            const bool latency = Latency(src + L"latency\\", dst + L"latency\\", files, rate);
            printf("== new files\n");
            const bool fresh = NewFiles(src + L"new\\", dst + L"new\\", scratch);
            printf("== burst\n");
            const bool burst = Burst(src + L"burst\\", dst + L"burst\\", *monitor);
            passed = latency && fresh && burst;
            printf("catch-up runs: %d\n", window.runs);
        }
        watcher.RemoveAllWatches();
        monitor->Stop();
        monitor->Release();
        // A catch-up run still under way ends before its job goes.
        while (GetJobDeque().GetRunningCount() != 0 || GetJobDeque().GetWaitingCount() != 0)
            WatchWindow::Pump(100);
    }
    SetXmlStoreDocument(nullptr);
    return passed ? 0 : 1;
}
