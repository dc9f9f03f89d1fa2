// Handle owners close what they own exactly once and treat the failure values of the system as "none".
#include "platform/system/Handles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <thread>
#include <utility>

namespace
{

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent()
{
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

} // namespace

TEST(HandleOwners, KernelHandleCountsNullAndInvalidAsNone)
{
    CKernelHandle empty;
    EXPECT_FALSE(empty.IsValid());
    CKernelHandle failedOpen(
        CreateFileW(L"Q:\\no\\such\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(failedOpen.Get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(failedOpen.IsValid());
    failedOpen.Close();
    EXPECT_EQ(failedOpen.Get(), nullptr);

    HANDLE event = NewEvent();
    {
        CKernelHandle owner(event);
        EXPECT_TRUE(owner.IsValid());
        EXPECT_EQ(static_cast<HANDLE>(owner), event);
    }
    EXPECT_FALSE(IsOpen(event));
}

TEST(HandleOwners, OwnershipMovesAndDetaches)
{
    HANDLE first = NewEvent();
    HANDLE second = NewEvent();
    {
        CKernelHandle a(first);
        CKernelHandle b(std::move(a));
        EXPECT_FALSE(a.IsValid());
        EXPECT_EQ(b.Get(), first);

        CKernelHandle c(second);
        c = std::move(b); // drops second, takes first
        EXPECT_FALSE(IsOpen(second));
        EXPECT_TRUE(IsOpen(first));
        c = std::move(c);
        EXPECT_TRUE(IsOpen(first));

        c.Attach(first); // the same handle again: still owned once, still open
        EXPECT_TRUE(IsOpen(first));
    }
    EXPECT_FALSE(IsOpen(first));

    HANDLE kept = NewEvent();
    {
        CKernelHandle owner(kept);
        EXPECT_EQ(owner.Detach(), kept);
        EXPECT_FALSE(owner.IsValid());
    }
    EXPECT_TRUE(IsOpen(kept));
    CloseHandle(kept);
}

TEST(HandleOwners, FindHandleClosesTheSearch)
{
    testsupport::TempFolder folder;
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"one.txt", "1"));
    WIN32_FIND_DATAW data;
    {
        CFindHandle search(FindFirstFileW((folder / L"*.txt").c_str(), &data));
        ASSERT_TRUE(search.IsValid());
        EXPECT_STREQ(data.cFileName, L"one.txt");
        EXPECT_FALSE(FindNextFileW(search, &data));
    }
    CFindHandle none(FindFirstFileW((folder / L"*.none").c_str(), &data));
    EXPECT_FALSE(none.IsValid());
    CFindHandle empty;
    EXPECT_EQ(empty.Get(), INVALID_HANDLE_VALUE);
}

TEST(HandleOwners, GdiIconModuleAndMemoryOwnersFreeTheirObjects)
{
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    {
        CGdiObjectOwner<HBRUSH> ownedBrush(brush);
        CDCOwner ownedDC(dc);
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
        EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);

    BYTE andMask[32 * 4], xorMask[32 * 4];
    memset(andMask, 0xFF, sizeof andMask);
    memset(xorMask, 0, sizeof xorMask);
    HICON icon = CreateIcon(nullptr, 32, 32, 1, 1, andMask, xorMask);
    ASSERT_NE(icon, nullptr);
    {
        CIconOwner owned(icon);
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(owned, &info));
        DeleteObject(info.hbmMask);
        if (info.hbmColor != nullptr)
            DeleteObject(info.hbmColor);
    }
    ICONINFO gone;
    EXPECT_FALSE(GetIconInfo(icon, &gone));

    // A library nothing else in this program loads.
    ASSERT_EQ(GetModuleHandleW(L"cabinet.dll"), nullptr);
    {
        CModuleOwner module(LoadLibraryW(L"cabinet.dll"));
        EXPECT_TRUE(module.IsValid());
        EXPECT_NE(GetModuleHandleW(L"cabinet.dll"), nullptr);
    }
    EXPECT_EQ(GetModuleHandleW(L"cabinet.dll"), nullptr);

    CGlobalMemory global(GlobalAlloc(GMEM_MOVEABLE, 16));
    EXPECT_TRUE(global.IsValid());
    HGLOBAL raw = global.Get();
    global.Close();
    EXPECT_EQ(GlobalFlags(raw), static_cast<UINT>(GMEM_INVALID_HANDLE));
}

TEST(HandleOwners, MappedViewIsUnmapped)
{
    CKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, nullptr));
    ASSERT_TRUE(mapping.IsValid());
    void *address = nullptr;
    {
        CMappedView view(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 8));
        ASSERT_TRUE(view.IsValid());
        address = view.Get();
        static_cast<volatile LONG *>(address)[0] = 5;
    }
    MEMORY_BASIC_INFORMATION info;
    ASSERT_NE(VirtualQuery(address, &info, sizeof info), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
}

TEST(HandleOwners, RegistryKeyOwnerLeavesThePredefinedRootsOpen)
{
    {
        CRegKeyOwner root(HKEY_CURRENT_USER);
        EXPECT_FALSE(root.IsValid());
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    {
        CRegKeyOwner owned(key);
        EXPECT_TRUE(owned.IsValid());
        DWORD subkeys = 0;
        EXPECT_EQ(RegQueryInfoKeyW(owned, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_INVALID_HANDLE);
}

TEST(HandleOwners, CoInitializeScopeBalancesOnlySuccessfulStarts)
{
    // A fresh thread: nothing else has started COM on it.
    HRESULT outer = E_FAIL, nested = E_FAIL, otherModel = S_OK, afterInner = E_FAIL, afterAll = E_FAIL;
    std::thread worker([&] {
        {
            CCoInitialize com(COINIT_APARTMENTTHREADED);
            outer = com.GetResult();
            {
                CCoInitialize again(COINIT_APARTMENTTHREADED);
                nested = again.GetResult();
            }
            {
                CCoInitialize wrong(COINIT_MULTITHREADED);
                otherModel = wrong.GetResult();
            }
            // Still running: the failed start balanced nothing and the nested one only its own.
            afterInner = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (SUCCEEDED(afterInner))
                CoUninitialize();
        }
        afterAll = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterAll))
            CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(outer, S_OK);
    EXPECT_EQ(nested, S_FALSE);
    EXPECT_EQ(otherModel, RPC_E_CHANGED_MODE);
    EXPECT_EQ(afterInner, S_FALSE);
    EXPECT_EQ(afterAll, S_OK); // fully ended: another model is accepted
}
