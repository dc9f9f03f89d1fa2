// Running an "href" link with the shell, the registry and the program start replaced: the ".htm" command
// builder, the fallback to the ".htm" program when the shell fails, and a URL outside the ANSI code page.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/markup/PPHtmlHyperlink.h"

namespace
{

// What the replaced functions answer and what they were asked.
struct Platform
{
    INT_PTR shellResult = 2;
    std::map<std::wstring, std::wstring> classes; // key -> default value
    bool started = true;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> keys;
    std::vector<std::wstring> commandLines;
    std::vector<int> showModes;
};
Platform *g_platform = nullptr;

HINSTANCE WINAPI FakeShellExecute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    g_platform->opened.push_back(file);
    return reinterpret_cast<HINSTANCE>(g_platform->shellResult);
}

LONG WINAPI FakeRegQueryValue(HKEY, LPCWSTR key, LPWSTR value, PLONG size)
{
    g_platform->keys.push_back(key);
    auto found = g_platform->classes.find(key);
    if (found == g_platform->classes.end())
        return ERROR_FILE_NOT_FOUND;
    const LONG bytes = static_cast<LONG>((found->second.size() + 1) * sizeof(wchar_t));
    if (bytes > *size)
        return ERROR_MORE_DATA;
    memcpy(value, found->second.c_str(), static_cast<size_t>(bytes));
    *size = bytes;
    return ERROR_SUCCESS;
}

BOOL WINAPI FakeCreateProcess(LPCWSTR, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                              LPVOID, LPCWSTR, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION)
{
    g_platform->commandLines.push_back(commandLine);
    g_platform->showModes.push_back(startup->wShowWindow);
    if (!g_platform->started)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return g_platform->started;
}

const wchar_t kWineCommand[] = L"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\"";

} // namespace

TEST(HyperlinkRun, TheHtmCommandLine)
{
    const struct
    {
        LPCWSTR command;
        LPCWSTR line;
    } cases[] = {
        {kWineCommand, L"\"C:\\windows\\system32\\winebrowser.exe\" http://example.invalid/"},
        {L"C:\\Browser\\open.exe %1 -new", L"C:\\Browser\\open.exe http://example.invalid/"},
        {L"C:\\Browser\\open.exe -nohome", L"C:\\Browser\\open.exe -nohome http://example.invalid/"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(BuildHtmCommand(c.command, L"http://example.invalid/"), c.line);
}

TEST(HyperlinkRun, TheShellFirstThenTheHtmProgram)
{
    // Characters outside the ANSI code page in the program's path and in the URL.
    const std::wstring url = L"http://example.invalid/\x65E5\x672C/\x00FC?q=\x0416";
    const std::wstring program = L"\"C:\\Programme\\\x0411rowser\\open.exe\"";
    const std::wstring longClass(200, L'x');
    const struct
    {
        const char *name;
        INT_PTR shellResult;
        std::map<std::wstring, std::wstring> classes;
        bool started;
        INT_PTR result;
        size_t keysRead;
        std::wstring commandLine; // empty: nothing started
    } cases[] = {
        {"the shell opens it", 42, {{L".htm", L"htmlfile"}}, true, 42, 0, L""},
        {"no .htm association", 31, {}, true, 31, 1, L""},
        {"a class name too long", 31, {{L".htm", longClass}}, true, 31, 1, L""},
        {"no open command", 31, {{L".htm", L"htmlfile"}}, true, 31, 2, L""},
        {"the .htm program",
         31,
         {{L".htm", L"htmlfile"}, {L"htmlfile\\shell\\open\\command", program + L" \"%1\""}},
         true,
         33,
         2,
         program + L" " + url},
        {"the .htm program does not start",
         31,
         {{L".htm", L"htmlfile"}, {L"htmlfile\\shell\\open\\command", program + L" \"%1\""}},
         false,
         ERROR_FILE_NOT_FOUND,
         2,
         program + L" " + url},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        Platform platform;
        platform.shellResult = c.shellResult;
        platform.classes = c.classes;
        platform.started = c.started;
        g_platform = &platform;
        SeamOverride<PFN_LINK_SHELL_EXECUTE> shell(g_pfnLinkShellExecute, &FakeShellExecute);
        SeamOverride<PFN_LINK_REG_QUERY_VALUE> registry(g_pfnLinkRegQueryValue, &FakeRegQueryValue);
        SeamOverride<PFN_LINK_CREATE_PROCESS> start(g_pfnLinkCreateProcess, &FakeCreateProcess);

        EXPECT_EQ(RunHyperlink(url.c_str(), SW_SHOWMAXIMIZED), c.result);
        EXPECT_EQ(platform.opened, std::vector<std::wstring>{url});
        EXPECT_EQ(platform.keys.size(), c.keysRead);
        if (c.commandLine.empty())
        {
            EXPECT_TRUE(platform.commandLines.empty());
        }
        else
        {
            EXPECT_EQ(platform.commandLines, std::vector<std::wstring>{c.commandLine});
            EXPECT_EQ(platform.showModes, std::vector<int>{SW_SHOWMAXIMIZED});
        }
        g_platform = nullptr;
    }
}
