#include "bench/BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <map>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <random>

#include "platform/system/CopyFile.h"
#include "platform/system/Handles.h"

namespace bench
{

namespace
{

const int kFilesPerFolder = 20;
const int kBranching = 5; // folder i hangs below folder (i - 1) / 5: at most 6 levels for 19,530 folders

std::wstring FolderName(int index, std::vector<std::wstring> &names)
{
    if (index == 0)
        return L"";
    std::wstring name = names[static_cast<size_t>((index - 1) / kBranching)] + L"f" + std::to_wstring(index) + L"\\";
    return name;
}

bool WriteRandomFile(const std::wstring &path, ULONGLONG size, std::mt19937_64 &random, std::vector<uint64_t> &buffer)
{
    CKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file.IsValid())
        return false;
    ULONGLONG left = size;
    while (left > 0)
    {
        size_t words = static_cast<size_t>(std::min<ULONGLONG>(left, buffer.size() * 8) + 7) / 8;
        for (size_t i = 0; i < words; ++i)
            buffer[i] = random();
        DWORD chunk = static_cast<DWORD>(std::min<ULONGLONG>(left, buffer.size() * 8));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), buffer.data(), chunk, &written, nullptr) || written != chunk)
            return false;
        left -= chunk;
    }
    return true;
}

template <typename Visit> void Walk(const std::wstring &root, const std::wstring &relative, Visit &visit)
{
    WIN32_FIND_DATAW data;
    CFindHandle listing(::FindFirstFileW((root + relative + L"*").c_str(), &data));
    if (!listing.IsValid())
        return;
    do
    {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            visit(relative + name + L"\\", data, true);
            Walk(root, relative + name + L"\\", visit);
        }
        else
        {
            visit(relative + name, data, false);
        }
    } while (::FindNextFileW(listing, &data));
}

bool SameBytes(const std::wstring &a, const std::wstring &b)
{
    CKernelHandle fa(::CreateFileW(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    CKernelHandle fb(::CreateFileW(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!fa.IsValid() || !fb.IsValid())
        return false;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;)
    {
        DWORD ra = 0, rb = 0;
        if (!::ReadFile(fa.Get(), ba.data(), static_cast<DWORD>(ba.size()), &ra, nullptr) ||
            !::ReadFile(fb.Get(), bb.data(), static_cast<DWORD>(bb.size()), &rb, nullptr) || ra != rb)
            return false;
        if (ra == 0)
            return true;
        if (memcmp(ba.data(), bb.data(), ra) != 0)
            return false;
    }
}

// Sizes spread evenly over the orders of magnitude of a band, as real files are: the bands then add up to
// about 2.3 GB over 20,000 files.
ULONGLONG LogUniformSize(double low, double high, std::mt19937_64 &random)
{
    double unit = static_cast<double>(random() >> 11) / 9007199254740992.0;
    return static_cast<ULONGLONG>(low * std::exp(unit * std::log(high / low)));
}

} // namespace

bool GenerateTree(const std::wstring &root, int n, bool small, std::vector<TreeFile> &files)
{
    std::mt19937_64 random(20261209);
    std::vector<uint64_t> buffer(1 << 17);
    int folders = (n + kFilesPerFolder - 1) / kFilesPerFolder;
    std::vector<std::wstring> names;
    for (int i = 0; i < folders; ++i)
    {
        names.push_back(FolderName(i, names));
        std::wstring path = root + names.back();
        if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    files.clear();
    for (int i = 0; i < n; ++i)
    {
        unsigned pick = static_cast<unsigned>(random() % 100);
        ULONGLONG size;
        if (small || pick < 80)
            size = LogUniformSize(1024, 16 * 1024, random);
        else if (pick < 98)
            size = LogUniformSize(16 * 1024, 1024 * 1024, random);
        else
            size = LogUniformSize(1024 * 1024, 8 * 1024 * 1024, random);
        std::wstring relative =
            names[static_cast<size_t>(i / kFilesPerFolder)] + L"file" + std::to_wstring(i) + L".dat";
        if (!WriteRandomFile(root + relative, size, random, buffer))
            return false;
        files.push_back(TreeFile{relative, size});
    }
    return true;
}

void ListTree(const std::wstring &root, std::vector<TreeFile> &files)
{
    auto visit = [&](const std::wstring &relative, const WIN32_FIND_DATAW &data, bool folder) {
        if (!folder)
            files.push_back(TreeFile{relative, (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    };
    Walk(root, L"", visit);
}

ULONGLONG ReadTree(const std::wstring &root)
{
    std::vector<TreeFile> files;
    ListTree(root, files);
    std::vector<char> buffer(1 << 20);
    ULONGLONG total = 0;
    for (const TreeFile &file : files)
    {
        CKernelHandle handle(::CreateFileW((root + file.relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        DWORD read = 0;
        while (handle.IsValid() &&
               ::ReadFile(handle.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0)
            total += read;
    }
    return total;
}

namespace
{

// The floor of a safe copy of one file: the copy routine (which stamps the source's times) to a temporary name
// beside the target, then a rename over it.
bool CopyOneSafe(const std::wstring &from, const std::wstring &to)
{
    const std::wstring temporary = to.substr(0, to.rfind(L'.')) + L".~#T0";
    return g_pfnCopyFileEx(from.c_str(), temporary.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS) &&
           ::MoveFileExW(temporary.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool CopyTree(const std::wstring &from, const std::wstring &to, bool safe)
{
    bool ok = ::CreateDirectoryW(to.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
    auto visit = [&](const std::wstring &relative, const WIN32_FIND_DATAW &, bool folder) {
        if (!ok)
            return;
        if (folder)
            ok = ::CreateDirectoryW((to + relative).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
        else if (safe)
            ok = CopyOneSafe(from + relative, to + relative);
        else
            ok = g_pfnCopyFileEx((from + relative).c_str(), (to + relative).c_str(), nullptr, nullptr, nullptr, 0) !=
                 FALSE;
    };
    Walk(from, L"", visit);
    return ok;
}

} // namespace

bool CopyTreePlain(const std::wstring &from, const std::wstring &to)
{
    return CopyTree(from, to, false);
}

bool CopyTreeSafe(const std::wstring &from, const std::wstring &to)
{
    return CopyTree(from, to, true);
}

bool CopyFilesSafe(const std::wstring &from, const std::vector<std::wstring> &relatives, const std::wstring &to)
{
    if (!::CreateDirectoryW(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    for (size_t i = 0; i < relatives.size(); ++i)
    {
        if (!CopyOneSafe(from + relatives[i], to + std::to_wstring(i) + L".dat"))
            return false;
    }
    return true;
}

void RemoveTree(std::wstring folder)
{
    // The walk lists "folder*": without its backslash the folder would list itself and its namesakes.
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    std::vector<std::wstring> folders;
    auto visit = [&](const std::wstring &relative, const WIN32_FIND_DATAW &data, bool isFolder) {
        if (isFolder)
        {
            folders.push_back(folder + relative);
        }
        else
        {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                ::SetFileAttributesW((folder + relative).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW((folder + relative).c_str());
        }
    };
    Walk(folder, L"", visit);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        ::RemoveDirectoryW(it->c_str());
    ::RemoveDirectoryW(folder.c_str());
}

bool SameTree(const std::wstring &a, const std::wstring &b, int step, std::wstring &problem)
{
    std::map<std::wstring, WIN32_FIND_DATAW> left, right;
    auto collect = [](std::map<std::wstring, WIN32_FIND_DATAW> &into) {
        return [&into](const std::wstring &relative, const WIN32_FIND_DATAW &data, bool folder) {
            if (!folder)
                into[relative] = data;
        };
    };
    auto visitLeft = collect(left);
    auto visitRight = collect(right);
    Walk(a, L"", visitLeft);
    Walk(b, L"", visitRight);
    if (left.size() != right.size())
    {
        problem = L"file counts differ: " + std::to_wstring(left.size()) + L" and " + std::to_wstring(right.size());
        return false;
    }
    int index = 0;
    for (const auto &entry : left)
    {
        auto other = right.find(entry.first);
        if (other == right.end())
        {
            problem = L"missing " + entry.first;
            return false;
        }
        const WIN32_FIND_DATAW &x = entry.second, &y = other->second;
        if (x.nFileSizeLow != y.nFileSizeLow || x.nFileSizeHigh != y.nFileSizeHigh ||
            CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) != 0)
        {
            problem = L"size or time differs: " + entry.first;
            return false;
        }
        if (step > 0 && index++ % step == 0 && !SameBytes(a + entry.first, b + entry.first))
        {
            problem = L"bytes differ: " + entry.first;
            return false;
        }
    }
    return true;
}

int CountTemporaries(const std::wstring &root)
{
    int count = 0;
    auto visit = [&](const std::wstring &relative, const WIN32_FIND_DATAW &, bool) {
        if (relative.find(L".~#T") != std::wstring::npos)
            ++count;
    };
    Walk(root, L"", visit);
    return count;
}

namespace
{

// The kilobytes that "Dirty:" and "Writeback:" of the kernel's memory report add up to; -1 without the report.
long long UnwrittenKilobytes()
{
    CKernelHandle file(::CreateFileW(L"Z:\\proc\\meminfo", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid())
        return -1;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    long long total = -1;
    for (const char *key : {"\nDirty:", "\nWriteback:"})
    {
        const size_t at = text.find(key);
        if (at == std::string::npos)
            return -1;
        total = std::max(total, 0LL) + std::atoll(text.c_str() + at + std::strlen(key));
    }
    return total;
}

} // namespace

void SettleWrites()
{
    // What the kernel keeps for longer than this is other programs' business.
    const long long enough = 64 * 1024;
    for (int waited = 0; waited < 150; ++waited)
    {
        const long long unwritten = UnwrittenKilobytes();
        if (unwritten < enough)
            return;
        ::Sleep(100);
    }
}

int RunProcess(const std::wstring &commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CKernelHandle thread(process.hThread), handle(process.hProcess);
    ::WaitForSingleObject(handle.Get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(handle.Get(), &code);
    return static_cast<int>(code);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakWorkingSetMB()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

} // namespace bench
