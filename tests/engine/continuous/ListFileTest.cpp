// The continuous-copy list file, byte for byte, through growth, and after a process that held it open was
// killed.
//
// This program's main serves three roles: started with VELBROOK_LIST_CHILD naming a folder, it opens that
// folder's list, adds kChildLines entries, makes the file "ready" beside it and waits to be killed; started with
// kTwoWayChildVariable it is the two-way run of TwoWaySafetyProcessTest.cpp; otherwise it runs the tests.
#include "ContinuousTestSupport.h"
#include "engine/continuous/TesselDirText.h"
#include "engine/program/AppPaths.h"

using namespace continuoustest;
using testsupport::ReadFileBytes;

namespace
{

const wchar_t kChildVariable[] = L"VELBROOK_LIST_CHILD";
const int kChildLines = 40;

std::string Bytes(const std::wstring &text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2);
}

std::wstring ChildName(int i)
{
    return L"child" + std::to_wstring(i) + L".txt";
}

int RunChild(const std::wstring &folder)
{
    SetTesselDirListName(L"TesselDir.list");
    TesselDirText list(kJobId);
    for (int i = 0; list.Open(folder.c_str()) && i < kChildLines; ++i)
        list.Add(ChildName(i).c_str(), 0);
    testsupport::WriteFileBytes(folder + L"ready", "1");
    ::Sleep(INFINITE);
    return 3;
}

class ListFile : public ContinuousTest
{
};

} // namespace

TEST_F(ListFile, BytesOfANewListAndOfOneEntryAndWhatCountsAsOneLine)
{
    const std::wstring folder = m_a.substr(0, m_a.size() - 1); // passed without its backslash
    const std::wstring head = folder + L"\r\n";
    ASSERT_TRUE(TesselDirText::Create(folder.c_str()));
    EXPECT_EQ(ReadFileBytes(m_a + L"TesselDir.list"), Bytes(head));
    TesselDirText list(kJobId);
    ASSERT_TRUE(list.Open(folder.c_str()) && list.Add(L"f.txt", 0));
    list.Close();
    EXPECT_EQ(ReadFileBytes(m_a + L"TesselDir.list"), Bytes(head + Entry(L"f.txt") + L"\r\n"));

    ASSERT_TRUE(list.Open(m_a.c_str()));
    TesselDirText second(kJobId);
    EXPECT_FALSE(second.Open(m_a.c_str())); // lists are opened without sharing
    for (const auto &[name, isDir] : {std::pair{L"f.txt", 0}, {L"f.txt", 1}, {L"F.TXT", 0}})
        EXPECT_TRUE(list.Add(name, isDir));
    EXPECT_TRUE(list.Remove(L"absent", 0) && list.Remove(L"f.txt", 0));
    EXPECT_FALSE(list.Contains(L"F.txt", 0));
    list.Close();
    EXPECT_EQ(ListEntries(m_a), (std::vector<std::wstring>{Entry(L"f.txt", 1), Entry(L"F.TXT")}));
}

TEST_F(ListFile, GrowthPastTheSlackReopensAndKeepsEveryLine)
{
    TesselDirText list(kJobId);
    ASSERT_TRUE(list.Open(m_a.c_str()));
    for (int i = 0; i < 1200; ++i)
        ASSERT_TRUE(list.Add((std::wstring(60, L'n') + std::to_wstring(i)).c_str(), 0)) << i;
    for (int i = 0; i < 1200; ++i)
        EXPECT_TRUE(list.Contains((std::wstring(60, L'n') + std::to_wstring(i)).c_str(), 0)) << i;
    list.Close();
    EXPECT_EQ(ListEntries(m_a).size(), 1200u);
}

TEST_F(ListFile, AListLeftOpenByAKilledProcessReadsBackWholeAndIsTrimmed)
{
    CKernelHandle child = StartChild(kChildVariable, m_a);
    ASSERT_TRUE(child.IsValid());
    for (int i = 0; i < 600 && !Exists(m_a + L"ready"); ++i)
        ::Sleep(50);
    ASSERT_TRUE(Exists(m_a + L"ready") && ::TerminateProcess(child, 1));
    ASSERT_EQ(::WaitForSingleObject(child, 30000), WAIT_OBJECT_0);

    std::vector<std::wstring> entries;
    for (int i = 0; i < kChildLines; ++i)
        entries.push_back(Entry(ChildName(i)));
    // The killed process left its list at the open size: the text, then NUL units.
    const std::string left = ReadFileBytes(m_a + L"TesselDir.list");
    const size_t textEnd = left.find_last_not_of('\0') + 2;
    EXPECT_EQ(left.substr(textEnd - 4, 4), std::string("\r\0\n\0", 4));
    EXPECT_GT(left.size(), textEnd);
    EXPECT_EQ(ListEntries(m_a), entries);

    TesselDirText list(kJobId);
    ASSERT_TRUE(list.Open(m_a.c_str()) && list.Add(L"after.txt", 0));
    for (int i = 0; i < kChildLines; ++i)
        EXPECT_TRUE(list.Contains(ChildName(i).c_str(), 0)) << i;
    EXPECT_TRUE(list.Contains(L"after.txt", 0));
    list.Close();
    entries.push_back(Entry(L"after.txt"));
    EXPECT_EQ(ListEntries(m_a), entries);
    const std::string trimmed = ReadFileBytes(m_a + L"TesselDir.list");
    EXPECT_EQ(trimmed.substr(trimmed.size() - 4), std::string("\r\0\n\0", 4)) << "cut back to its text";
}

// The test program's own entry (instead of GoogleTest's): see the top of this file.
int main(int argc, char **argv)
{
    std::vector<wchar_t> folder(32768);
    if (::GetEnvironmentVariableW(kChildVariable, folder.data(), static_cast<DWORD>(folder.size())) > 0)
        return RunChild(folder.data());
    if (::GetEnvironmentVariableW(kTwoWayChildVariable, folder.data(), static_cast<DWORD>(folder.size())) > 0)
        return RunTwoWayChild(folder.data());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
