#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>

#include "engine/program/NetPath.h"
#include "support/TestSupport.h"

using testsupport::TempFolder;

namespace
{

// Answers of a network that the test machine does not have: mapped drives, servers that tell their
// computer names, and shares of this computer.
class FakeNetwork : public CNetPathPlatform
{
  public:
    std::map<wchar_t, std::wstring> mapped;       // drive letter -> \\server\share
    std::map<std::wstring, std::wstring> servers; // "\\server" as asked -> computer name
    std::map<std::wstring, std::wstring> shares;  // share name -> local folder
    std::wstring computerName = L"PC1";
    std::map<std::wstring, std::wstring> universal; // local path -> universal name
    int outstandingBuffers = 0;
    std::wstring lastShareServer;

    UINT DriveType(LPCWSTR root) override
    {
        EXPECT_EQ(wcslen(root), 3u) << "drive types are asked of the root only";
        return mapped.count(root[0]) ? DRIVE_REMOTE : DRIVE_FIXED;
    }
    DWORD RemoteName(LPCWSTR localName, LPWSTR remoteName, LPDWORD length) override
    {
        EXPECT_EQ(*length, 261u);
        auto found = wcslen(localName) == 2 ? mapped.find(localName[0]) : mapped.end();
        if (found == mapped.end())
            return ERROR_NOT_CONNECTED;
        if (found->second.size() + 1 > *length)
            return ERROR_MORE_DATA;
        wcscpy(remoteName, found->second.c_str());
        return NO_ERROR;
    }
    DWORD UniversalName(LPCWSTR localPath, DWORD infoLevel, LPVOID buffer, LPDWORD bufferSize) override
    {
        EXPECT_EQ(infoLevel, static_cast<DWORD>(UNIVERSAL_NAME_INFO_LEVEL));
        auto found = universal.find(localPath);
        if (found == universal.end())
            return ERROR_NOT_CONNECTED;
        const DWORD needed = sizeof(UNIVERSAL_NAME_INFOW) + static_cast<DWORD>((found->second.size() + 1) * 2);
        if (needed > *bufferSize)
        {
            *bufferSize = needed;
            return ERROR_MORE_DATA;
        }
        auto *info = static_cast<UNIVERSAL_NAME_INFOW *>(buffer);
        info->lpUniversalName = reinterpret_cast<LPWSTR>(info + 1);
        wcscpy(info->lpUniversalName, found->second.c_str());
        return NO_ERROR;
    }
    NET_API_STATUS WorkstationInfo(LPWSTR server, DWORD level, LPBYTE *buffer) override
    {
        EXPECT_EQ(level, 100u);
        auto found = servers.find(server);
        if (found == servers.end())
            return ERROR_BAD_NETPATH;
        auto *info = static_cast<WKSTA_INFO_100 *>(Allocate(sizeof(WKSTA_INFO_100), found->second));
        info->wki100_computername = reinterpret_cast<LPWSTR>(info + 1);
        *buffer = reinterpret_cast<LPBYTE>(info);
        return NERR_Success;
    }
    NET_API_STATUS ShareInfo(LPWSTR server, LPWSTR share, DWORD level, LPBYTE *buffer) override
    {
        EXPECT_EQ(level, 502u);
        lastShareServer = server;
        auto found = shares.find(share);
        if (found == shares.end())
            return NERR_NetNameNotFound;
        auto *info = static_cast<SHARE_INFO_502 *>(Allocate(sizeof(SHARE_INFO_502), found->second));
        info->shi502_path = reinterpret_cast<LPWSTR>(info + 1);
        *buffer = reinterpret_cast<LPBYTE>(info);
        return NERR_Success;
    }
    NET_API_STATUS FreeBuffer(LPVOID buffer) override
    {
        --outstandingBuffers;
        delete[] static_cast<BYTE *>(buffer);
        return NERR_Success;
    }
    BOOL ComputerName(LPWSTR buffer, LPDWORD size) override
    {
        if (computerName.size() + 1 > *size)
            return FALSE;
        wcscpy(buffer, computerName.c_str());
        *size = static_cast<DWORD>(computerName.size());
        return TRUE;
    }

  private:
    // A structure followed by its text, in one block as the network functions give them.
    void *Allocate(size_t structSize, const std::wstring &text)
    {
        ++outstandingBuffers;
        BYTE *block = new BYTE[structSize + (text.size() + 1) * sizeof(wchar_t)]();
        wcscpy(reinterpret_cast<wchar_t *>(block + structSize), text.c_str());
        return block;
    }
};

class NetPathNetwork : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        EXPECT_EQ(net.outstandingBuffers, 0) << "every network answer is freed";
    }

    FakeNetwork net;

  private:
    SeamOverride<CNetPathPlatform *> m_network{g_netPathPlatform, &net};
};

// A buffer of 261 characters with a guard after it that must stay untouched.
struct GuardedBuffer
{
    wchar_t text[kNetPathChars];
    wchar_t guard[8];
    GuardedBuffer()
    {
        wcscpy(text, L"untouched");
        wmemset(guard, L'#', 8);
    }
    bool GuardIntact() const
    {
        return wmemchr(guard, L'#', 8) == guard && std::wstring(guard, 8) == L"########";
    }
};

} // namespace

TEST(NetPathShares, ShareNameAndRemainderTable)
{
    GuardedBuffer out;
    EXPECT_TRUE(GetUncShareName(L"\\\\SERVER\\Docs\\a\\b", out.text));
    EXPECT_STREQ(out.text, L"Docs");
    EXPECT_TRUE(GetUncRemainder(L"\\\\SERVER\\Docs\\a\\b", out.text, kNetPathChars));
    EXPECT_STREQ(out.text, L"\\a\\b");

    EXPECT_TRUE(GetUncShareName(L"\\\\SERVER\\Docs", out.text));
    EXPECT_STREQ(out.text, L"Docs");
    wcscpy(out.text, L"untouched");
    EXPECT_FALSE(GetUncRemainder(L"\\\\SERVER\\Docs", out.text, kNetPathChars));
    EXPECT_STREQ(out.text, L"untouched");

    EXPECT_FALSE(GetUncShareName(L"\\\\SERVER", out.text));
    EXPECT_FALSE(GetUncRemainder(L"\\\\SERVER", out.text, kNetPathChars));
    EXPECT_FALSE(GetUncShareName(nullptr, out.text));
    EXPECT_FALSE(GetUncShareName(L"", out.text));
    EXPECT_FALSE(GetUncRemainder(L"\\", out.text, kNetPathChars));
    EXPECT_STREQ(out.text, L"untouched");

    // The remainder is cut to the room the caller gives.
    EXPECT_TRUE(GetUncRemainder(L"\\\\S\\D\\abc", out.text, 3));
    EXPECT_STREQ(out.text, L"\\a");
}

TEST_F(NetPathNetwork, LongTextsStayInsideTheBuffers)
{
    const std::wstring longName(600, L'n');
    const std::wstring unc = L"\\\\NOSUCHHOST1\\" + longName + L"\\" + longName;
    GuardedBuffer out;
    EXPECT_TRUE(GetUncShareName(unc.c_str(), out.text));
    EXPECT_EQ(wcslen(out.text), 260u);
    EXPECT_TRUE(out.GuardIntact());
    EXPECT_TRUE(GetUncRemainder(unc.c_str(), out.text, kNetPathChars));
    EXPECT_EQ(wcslen(out.text), 260u);
    EXPECT_TRUE(out.GuardIntact());

    GuardedBuffer normal;
    NormalizeNetworkPath(unc.c_str(), normal.text);
    EXPECT_EQ(std::wstring(normal.text), unc.substr(0, 260));
    EXPECT_TRUE(normal.GuardIntact());
    NormalizeNetworkPath((L"C:\\" + longName).c_str(), normal.text);
    EXPECT_EQ(wcslen(normal.text), 260u);
    EXPECT_TRUE(normal.GuardIntact());
}

TEST_F(NetPathNetwork, MappedDriveGivesItsUncForm)
{
    net.mapped[L'X'] = L"\\\\srv\\data";
    GuardedBuffer out;
    EXPECT_TRUE(MappedPathToUnc(L"X:\\work\\file.txt", out.text));
    EXPECT_STREQ(out.text, L"\\\\srv\\data\\work\\file.txt");
    EXPECT_TRUE(MappedPathToUnc(L"X:", out.text));
    EXPECT_STREQ(out.text, L"\\\\srv\\data");
    EXPECT_EQ(GetPathDriveType(L"X:\\work"), static_cast<UINT>(DRIVE_REMOTE));

    wcscpy(out.text, L"untouched");
    EXPECT_FALSE(MappedPathToUnc(L"C:\\work", out.text));
    EXPECT_FALSE(MappedPathToUnc(L"\\\\srv\\data\\x", out.text));
    EXPECT_FALSE(MappedPathToUnc(nullptr, out.text));
    EXPECT_STREQ(out.text, L"untouched");

    // A long rest of the path is cut at 260 characters.
    EXPECT_TRUE(MappedPathToUnc((L"X:\\" + std::wstring(400, L'a')).c_str(), out.text));
    EXPECT_EQ(wcslen(out.text), 260u);
    EXPECT_TRUE(out.GuardIntact());
}

TEST_F(NetPathNetwork, ServerPartBecomesTheComputerName)
{
    net.servers[L"\\\\192.168.1.5"] = L"SRV";
    wchar_t unc[kNetPathChars] = L"\\\\192.168.1.5\\data\\x";
    EXPECT_TRUE(CanonicalizeUncServer(unc));
    EXPECT_STREQ(unc, L"\\\\SRV\\data\\x");

    wchar_t unreachable[kNetPathChars] = L"\\\\10.0.0.9\\data\\x";
    EXPECT_FALSE(CanonicalizeUncServer(unreachable));
    EXPECT_STREQ(unreachable, L"\\\\10.0.0.9\\data\\x");

    wchar_t bare[kNetPathChars] = L"\\\\192.168.1.5";
    EXPECT_TRUE(CanonicalizeUncServer(bare));
    EXPECT_STREQ(bare, L"\\\\SRV");

    // A long computer name and rest together stay within the buffer.
    net.servers[L"\\\\h"] = std::wstring(200, L'C');
    wchar_t longer[kNetPathChars + 4];
    wmemset(longer, L'#', kNetPathChars + 4);
    wcscpy(longer, (L"\\\\h\\" + std::wstring(250, L's')).c_str());
    EXPECT_TRUE(CanonicalizeUncServer(longer));
    EXPECT_EQ(wcslen(longer), 260u);
    EXPECT_EQ(std::wstring(longer, 202), L"\\\\" + std::wstring(200, L'C'));
    EXPECT_EQ(longer[kNetPathChars + 1], L'#');
}

TEST_F(NetPathNetwork, ShareOfThisComputerBecomesItsFolder)
{
    TempFolder temp;
    std::wstring documents = temp.Path();
    documents.pop_back();
    net.shares[L"Docs"] = documents;
    GuardedBuffer out;

    // The folder does not exist yet: the text is the same, the answer 0.
    EXPECT_FALSE(NormalizeNetworkPath(L"\\\\pc1\\Docs\\Sub", out.text));
    EXPECT_EQ(std::wstring(out.text), documents + L"\\Sub");
    EXPECT_EQ(net.lastShareServer, L"pc1");
    ASSERT_TRUE(::CreateDirectoryW((temp / L"Sub").c_str(), nullptr));
    EXPECT_TRUE(NormalizeNetworkPath(L"\\\\pc1\\Docs\\Sub", out.text));
    EXPECT_EQ(std::wstring(out.text), documents + L"\\Sub");

    // The share itself has no remainder; an unknown share and another computer keep the UNC text.
    EXPECT_FALSE(UncToLocalSharePath(L"\\\\PC1\\Docs", out.text));
    EXPECT_EQ(std::wstring(out.text), documents);
    EXPECT_FALSE(NormalizeNetworkPath(L"\\\\PC1\\Other\\Sub", out.text));
    EXPECT_STREQ(out.text, L"\\\\PC1\\Other\\Sub");
    EXPECT_FALSE(NormalizeNetworkPath(L"\\\\PC2\\Docs\\Sub", out.text));
    EXPECT_STREQ(out.text, L"\\\\PC2\\Docs\\Sub");
    wcscpy(out.text, L"untouched");
    EXPECT_FALSE(UncToLocalSharePath(L"\\\\ABCDEFGHIJKLMNOPQ\\Docs\\Sub", out.text));
    EXPECT_STREQ(out.text, L"untouched");

    // A server known by its address that names this computer.
    net.servers[L"\\\\192.168.1.7"] = L"PC1";
    EXPECT_FALSE(NormalizeNetworkPath(L"\\\\192.168.1.7\\Docs\\Sub", out.text));
    EXPECT_STREQ(out.text, L"\\\\PC1\\Docs\\Sub");
    EXPECT_TRUE(out.GuardIntact());
}

TEST_F(NetPathNetwork, MappedPathThroughItsUniversalName)
{
    TempFolder temp;
    std::wstring documents = temp.Path();
    documents.pop_back();
    ASSERT_TRUE(::CreateDirectoryW((temp / L"work").c_str(), nullptr));
    net.mapped[L'X'] = L"\\\\srv\\data";
    net.mapped[L'Y'] = L"\\\\pc1\\Docs";
    net.servers[L"\\\\srv"] = L"FILESRV";
    net.shares[L"Docs"] = documents;
    net.universal[L"X:\\work"] = L"\\\\srv\\data\\work";
    net.universal[L"Y:\\work"] = L"\\\\pc1\\Docs\\work";
    const std::wstring longPath = L"X:\\" + std::wstring(200, L'l');
    net.universal[longPath] = L"\\\\srv\\data\\" + std::wstring(200, L'l');

    GuardedBuffer out;
    EXPECT_TRUE(NormalizeNetworkPath(L"X:\\work", out.text));
    EXPECT_STREQ(out.text, L"\\\\FILESRV\\data\\work");
    EXPECT_TRUE(NormalizeNetworkPath(L"Y:\\work", out.text));
    EXPECT_EQ(std::wstring(out.text), documents + L"\\work");
    // The answer does not fit into 261 bytes: the path stays as it is.
    EXPECT_TRUE(NormalizeNetworkPath(longPath.c_str(), out.text));
    EXPECT_EQ(std::wstring(out.text), longPath);
    // A mapped drive without an answer and a local path stay as they are.
    EXPECT_TRUE(NormalizeNetworkPath(L"X:\\other", out.text));
    EXPECT_STREQ(out.text, L"X:\\other");
    EXPECT_TRUE(NormalizeNetworkPath(L"c:\\Local\\Path", out.text));
    EXPECT_STREQ(out.text, L"c:\\Local\\Path");
    EXPECT_FALSE(NormalizeNetworkPath(nullptr, out.text));
    EXPECT_STREQ(out.text, L"");
    EXPECT_TRUE(out.GuardIntact());
}
