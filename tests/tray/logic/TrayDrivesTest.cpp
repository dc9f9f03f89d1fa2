// Which drives the tray program starts the main program from, with injected drives: a drive mapped onto a
// folder never answers the USB bus type. And the removal copy's command line.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tray/logic/TrayDrives.h"
#include "tray/logic/TrayRemoval.h"
#include "tray/logic/TraySeams.h"

namespace
{

// e and g are USB drives that hold the program, f a fixed drive that holds it, h a USB drive without it.
UINT InjectedBusType(wchar_t letter)
{
    return letter == L'e' || letter == L'g' || letter == L'h' ? 7 : 3;
}

BOOL InjectedProgramFiles(LPCWSTR path)
{
    return (path[0] == L'e' || path[0] == L'f' || path[0] == L'g') &&
           std::wstring(path + 1) == L":\\Tarnvel Program Files\\Tarnvel.exe";
}

std::vector<std::wstring> g_started;

void RecordStart(LPCWSTR path, LPCWSTR arguments)
{
    g_started.push_back(std::wstring(1, path[0]) + L" " + arguments);
}

DWORD Mask(const wchar_t *letters)
{
    DWORD mask = 0;
    for (; *letters != 0; ++letters)
        mask |= 1u << (*letters - L'a');
    return mask;
}

class TrayLogicDrives : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_started.clear();
    }

    SeamOverride<PFN_DRIVE_BUS_TYPE> m_bus{g_pfnDriveBusType, &InjectedBusType};
    SeamOverride<PFN_FILE_EXISTS> m_files{g_pfnFileExists, &InjectedProgramFiles};
    SeamOverride<PFN_START_PROGRAM> m_start{g_pfnStartProgram, &RecordStart};
};

} // namespace

TEST_F(TrayLogicDrives, AnArrivalStartsABackupFromEachOfItsDrivesThatHoldTheProgram)
{
    DEV_BROADCAST_VOLUME volume = {sizeof(volume), DBT_DEVTYP_VOLUME, 0, Mask(L"efh"), 0};
    DEV_BROADCAST_VOLUME port = volume;
    port.dbcv_devicetype = DBT_DEVTYP_PORT;
    DEV_BROADCAST_HDR shortHeader = {sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0};
    const struct
    {
        const char *name;
        WPARAM event;
        const void *header;
        std::vector<std::wstring> started;
    } cases[] = {
        {"e, f and h arrive", DBT_DEVICEARRIVAL, &volume, {L"e -b", L"f -b"}},
        {"a removal", DBT_DEVICEREMOVECOMPLETE, &volume, {}},
        {"no header", DBT_DEVICEARRIVAL, nullptr, {}},
        {"a header too short for a volume", DBT_DEVICEARRIVAL, &shortHeader, {}},
        {"not a volume", DBT_DEVICEARRIVAL, &port, {}},
    };
    for (const auto &c : cases)
    {
        g_started.clear();
        StartBackupsOnArrival(c.event, reinterpret_cast<LPARAM>(c.header));
        EXPECT_EQ(g_started, c.started) << c.name;
    }
}

TEST_F(TrayLogicDrives, BackUpNowAndTheMenuOfferOnlyUsbDrivesThatHoldTheProgram)
{
    EXPECT_EQ(CollectProgramDrives(Mask(L"efgh")), (std::vector<std::wstring>{L"e:\\", L"g:\\"}));
    EXPECT_EQ(CollectProgramDrives(Mask(L"fgh")), std::vector<std::wstring>{L"g:\\"});
    EXPECT_TRUE(BackUpFromFirstUsbDrive(Mask(L"efgh")));
    EXPECT_FALSE(BackUpFromFirstUsbDrive(Mask(L"fh")));
    EXPECT_EQ(g_started, std::vector<std::wstring>{L"e -b"});
}

TEST(TrayLogic, TheRemovalCommandLineCarriesAQuotedPathAndTheHandle)
{
    const std::wstring copy = L"C:\\Documents and Settings\\All Users\\Application Data\\Tarnvel_PHRASEL\\"
                              L"Tarnvel_Tray.exe";
    int count = 0;
    LPWSTR *arguments = CommandLineToArgvW(BuildRemovalCommandLine(copy, LongToHandle(0x2f4)).c_str(), &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(std::wstring(arguments[0]), copy);
    HANDLE read = nullptr;
    EXPECT_TRUE(ParseRemovalHandle(arguments[1], read));
    EXPECT_EQ(read, LongToHandle(0x2f4));
    LocalFree(arguments);
    for (LPCWSTR bad : {L"", L"abc", L"12abc", L"-1", L"0", L"99999999999"})
        EXPECT_FALSE(ParseRemovalHandle(bad, read)) << bad;
}
