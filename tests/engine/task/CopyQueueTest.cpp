#include "TaskTestSupport.h"

#include <functional>
#include <mutex>

#include "engine/log/LogMsg.h"
#include "engine/task/FileCopyingQueue.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/windows/MessageBoxAnswer.h"

using namespace tasktest;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace
{

// What the message-box hook was asked, from the queue's thread.
struct Shown
{
    std::mutex lock;
    std::vector<std::wstring> texts;

    std::vector<std::wstring> Texts()
    {
        std::lock_guard<std::mutex> hold(lock);
        return texts;
    }
};

bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs = 10000)
{
    const DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < timeoutMs)
        ::Sleep(20);
    return done();
}

class CopyQueue : public TaskTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TaskTest::SetUp());
        ASSERT_EQ(AppLog.Open((m_folder / L"Program.log").c_str()), 0);
        m_answer.emplace(g_messageBoxAnswer, [this](UINT, const CString &text, UINT) {
            std::lock_guard<std::mutex> hold(m_shown.lock);
            m_shown.texts.push_back(text.GetString());
            return IDOK;
        });
    }
    void TearDown() override
    {
        m_answer.reset();
        // Closes the program's log: the folder goes with the test.
        AppLog.Open((m_folder / L"gone\\closed.log").c_str());
        TaskTest::TearDown();
    }
    // The program's log has the line for the record once.
    bool Logged(UINT id, const std::wstring &source, const std::wstring &target, bool error = false)
    {
        CString line;
        line.Format(id, kAnyTime, source.c_str(), target.c_str(), error ? kAnyText : L"");
        return CountLines(enginetest::LogLines(AppLog), line.GetString()) == 1;
    }

    Shown m_shown;

  private:
    std::optional<SeamOverride<MessageBoxAnswer>> m_answer;
};

TEST_F(CopyQueue, HeldSourceStaysQueuedUntilLetGoThenIsCopiedAndDropped)
{
    const std::wstring source = MakeSource(L"held.txt", "held data");
    const std::wstring target = Dest() + L"held.txt";
    CFileCopyingQueue queue;
    {
        LockedFile lock(source);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_TRUE(queue.Enqueue(source.c_str(), target.c_str()));
        // Three rounds of the thread.
        ::Sleep(1600);
        EXPECT_EQ(queue.GetCount(), 1);
        EXPECT_FALSE(Exists(target));
    }

    EXPECT_TRUE(WaitFor([&] { return queue.GetCount() == 0; }));
    EXPECT_EQ(ReadFileBytes(target), "held data");
    EXPECT_TRUE(m_shown.Texts().empty());
}

TEST_F(CopyQueue, EveryRecordIsTriedInTurnAndAHeldOneKeepsNoOtherWaiting)
{
    const std::wstring held = MakeSource(L"accounts.mdb", "accounts"), free = MakeSource(L"letter.pst", "letter");
    CFileCopyingQueue queue;
    {
        LockedFile lock(held);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_TRUE(queue.Enqueue(held.c_str(), (Dest() + L"accounts.mdb").c_str()));
        EXPECT_TRUE(queue.Enqueue(free.c_str(), (Dest() + L"letter.pst").c_str()));
        EXPECT_TRUE(WaitFor([&] { return queue.GetCount() == 1; }, 5000)) << "the second waits behind the first";
        EXPECT_EQ(ReadFileBytes(Dest() + L"letter.pst"), "letter");
        EXPECT_TRUE(Logged(IDS_LOG_QUEUE_COPIED, free, Dest() + L"letter.pst"));
        ::Sleep(1100);
        EXPECT_EQ(queue.GetCount(), 1);
        EXPECT_FALSE(Exists(Dest() + L"accounts.mdb"));
    }
    EXPECT_TRUE(WaitFor([&] { return queue.GetCount() == 0; }));
    EXPECT_EQ(ReadFileBytes(Dest() + L"accounts.mdb"), "accounts");
    EXPECT_TRUE(m_shown.Texts().empty());
}

TEST_F(CopyQueue, AGoneOrNoLongerNewerSourceIsDroppedWithALogLine)
{
    CFileCopyingQueue queue;
    EXPECT_FALSE(queue.Enqueue(L"", (Dest() + L"x").c_str()));
    EXPECT_FALSE(queue.Enqueue(nullptr, (Dest() + L"x").c_str()));
    // A later copy reached the destination meanwhile: the queue's copy would put the older one back.
    const std::wstring older = MakeSource(L"older.txt", "older");
    ::Sleep(50);
    ASSERT_TRUE(WriteFileBytes(Dest() + L"older.txt", "newer"));
    const std::wstring gone = Src() + L"missing.txt";
    EXPECT_TRUE(queue.Enqueue(gone.c_str(), (Dest() + L"missing.txt").c_str()));
    EXPECT_TRUE(queue.Enqueue(older.c_str(), (Dest() + L"older.txt").c_str()));

    EXPECT_TRUE(WaitFor([&] { return queue.GetCount() == 0; }));
    EXPECT_TRUE(Logged(IDS_LOG_QUEUE_SOURCE_GONE, gone, Dest() + L"missing.txt"));
    EXPECT_TRUE(Logged(IDS_LOG_QUEUE_NOT_NEWER, older, Dest() + L"older.txt"));
    EXPECT_FALSE(Exists(Dest() + L"missing.txt"));
    EXPECT_EQ(ReadFileBytes(Dest() + L"older.txt"), "newer");
    EXPECT_TRUE(m_shown.Texts().empty());
}

TEST_F(CopyQueue, OtherFailureIsLoggedShownOnceAndDropped)
{
    // A file stands where the destination's folder would be made.
    ASSERT_TRUE(WriteFileBytes(Dest() + L"blocker", "a file"));
    const std::wstring source = MakeSource(L"f.txt"), target = Dest() + L"blocker\\f.txt";
    CFileCopyingQueue queue;
    EXPECT_TRUE(queue.Enqueue(source.c_str(), target.c_str()));

    EXPECT_TRUE(WaitFor([&] { return queue.GetCount() == 0; }));
    ::Sleep(600);
    EXPECT_EQ(m_shown.Texts().size(), 1u);
    EXPECT_TRUE(Logged(IDS_LOG_QUEUE_FAILED, source, target, true));
    EXPECT_EQ(ReadFileBytes(Dest() + L"blocker"), "a file");
}

TEST_F(CopyQueue, DestructionEndsTheThreadAtOnceAndFreesWhatWaits)
{
    const std::wstring source = MakeSource(L"held.txt");
    LockedFile lock(source);
    ASSERT_TRUE(lock.IsLocked());
    auto queue = std::make_unique<CFileCopyingQueue>();
    EXPECT_TRUE(queue->Enqueue(source.c_str(), (Dest() + L"held.txt").c_str()));
    ::Sleep(200);

    const DWORD start = ::GetTickCount();
    queue.reset();
    EXPECT_LT(::GetTickCount() - start, 100u);
    EXPECT_FALSE(Exists(Dest() + L"held.txt"));
}

} // namespace
