#include "TaskTestSupport.h"

#include <functional>
#include <mutex>

#include "engine/task/FileCopyingQueue.h"
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
        m_answer.emplace(g_messageBoxAnswer, [this](UINT, const CString &text, UINT) {
            std::lock_guard<std::mutex> hold(m_shown.lock);
            m_shown.texts.push_back(text.GetString());
            return IDOK;
        });
    }
    void TearDown() override
    {
        m_answer.reset();
        TaskTest::TearDown();
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

TEST_F(CopyQueue, OtherFailureIsShownOnceAndDropped)
{
    CFileCopyingQueue queue;
    EXPECT_FALSE(queue.Enqueue(L"", (Dest() + L"x").c_str()));
    EXPECT_FALSE(queue.Enqueue(nullptr, (Dest() + L"x").c_str()));
    EXPECT_TRUE(queue.Enqueue((Src() + L"missing.txt").c_str(), (Dest() + L"missing.txt").c_str()));

    EXPECT_TRUE(WaitFor([&] { return queue.GetCount() == 0; }));
    ::Sleep(600);
    wchar_t text[1024] = {};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, _countof(text), nullptr);
    EXPECT_EQ(m_shown.Texts(), std::vector<std::wstring>{text});
    EXPECT_FALSE(Exists(Dest() + L"missing.txt"));
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
