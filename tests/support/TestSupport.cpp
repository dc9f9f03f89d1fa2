#include "support/TestSupport.h"

#include <vector>

namespace testsupport
{

std::wstring ProgramFolder()
{
    return VELBROOK_PROGRAM_FOLDER;
}

std::wstring LanguageFolder()
{
    return ProgramFolder() + L"ENU\\";
}

std::wstring SkinFolder()
{
    return LanguageFolder() + L"Skin\\";
}

std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    for (int i = 0; i < 2; ++i)
    {
        const size_t slash = folder.find_last_of(L"\\/");
        if (slash == std::wstring::npos)
            return std::wstring();
        folder.erase(slash);
    }
    return folder + L"\\";
}

namespace
{

std::wstring TemporaryFolder()
{
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    return base;
}

} // namespace

TempFolder::TempFolder() : TempFolder(TemporaryFolder())
{
}

TempFolder::TempFolder(const std::wstring &base)
{
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt)
    {
        wchar_t name[64];
        wsprintfW(name, L"velbrook-%lu-%ld-%d\\", GetCurrentProcessId(), InterlockedIncrement(&counter), attempt);
        std::wstring candidate = base + name;
        if (CreateDirectoryW(candidate.c_str(), nullptr))
        {
            m_path = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder()
{
    if (!m_path.empty())
        RemoveTree(m_path);
}

bool WriteFileBytes(const std::wstring &path, const std::string &bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring &path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::string result;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        result.append(buffer, got);
    CloseHandle(h);
    return result;
}

void CollectTemporaryCopies(const std::wstring &folder, std::vector<std::wstring> &found)
{
    WIN32_FIND_DATAW data;
    HANDLE listing = FindFirstFileW((folder + L"*").c_str(), &data);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (name.find(L".~#T") != std::wstring::npos)
            found.push_back(folder + name);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            CollectTemporaryCopies(folder + name + L"\\", found);
    } while (FindNextFileW(listing, &data));
    FindClose(listing);
}

std::vector<std::wstring> TemporaryCopies(const std::wstring &folder)
{
    std::vector<std::wstring> found;
    CollectTemporaryCopies(folder, found);
    return found;
}

bool RemoveTree(const std::wstring &path)
{
    std::wstring folder = path;
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(folder.c_str()) || GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace testsupport
