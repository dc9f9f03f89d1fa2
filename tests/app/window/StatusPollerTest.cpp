// The job-status poller's rounds against a scripted block, window and clock: what it reports, when, and when it
// stops.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/window/StatusPoller.h"

namespace
{

struct Report
{
    DWORD time;
    int index;
    LPARAM state;
    bool operator==(const Report &other) const
    {
        return index == other.index && state == other.state;
    }
};

// A block whose bits follow a script of the fake clock; Wait moves the clock on, and the poller is told to end at
// the script's end.
class ScriptedSource : public IJobStatusSource
{
  public:
    std::function<DWORD(DWORD now)> bits = [](DWORD) { return 0u; };
    std::function<LRESULT(int index, LPARAM state)> reply = [](int, LPARAM) { return 1; };
    int jobs = 1;
    bool window = true;
    DWORD end = 30000;
    DWORD now = 0;
    std::vector<Report> reports;

    bool ReadRunningBits(DWORD &value) override
    {
        value = bits(now);
        return true;
    }
    int GetJobCount() override
    {
        return jobs;
    }
    bool HasWindow() override
    {
        return window;
    }
    LRESULT SendStatus(int index, LPARAM state) override
    {
        reports.push_back({now, index, state});
        return reply(index, state);
    }
    bool Wait(DWORD milliseconds) override
    {
        now += milliseconds;
        return now >= end;
    }
};

TEST(StatusPoller, ASteadyBitIsReportedOnce)
{
    ScriptedSource source;
    source.bits = [](DWORD) { return 1u; };
    CJobStatusPoller poller;
    EXPECT_EQ(poller.Run(source), 0u);
    EXPECT_EQ(source.reports, (std::vector<Report>{{0, 0, 0}}));
    EXPECT_GE(source.reports[0].time, CJobStatusPoller::kFirstWaitMs);
    EXPECT_TRUE(poller.IsReported(0));
}

TEST(StatusPoller, AClearedBitIsReportedOnceAtLeastFiveSecondsLater)
{
    const DWORD cleared = 4000;
    ScriptedSource source;
    source.jobs = 2;
    source.bits = [cleared](DWORD now) { return now < cleared ? 2u : 0u; };
    CJobStatusPoller poller;
    poller.Run(source);
    ASSERT_EQ(source.reports, (std::vector<Report>{{0, 1, 0}, {0, 1, 1}}));
    EXPECT_GE(source.reports[1].time, cleared + CJobStatusPoller::kEndDelayMs);
    EXPECT_FALSE(poller.IsReported(1));
}

TEST(StatusPoller, AReplyOtherThanOneIsSentAgainOnTheNextPass)
{
    ScriptedSource source;
    source.bits = [](DWORD) { return 1u; };
    int calls = 0;
    source.reply = [&calls](int, LPARAM) { return ++calls < 3 ? 0 : 1; };
    CJobStatusPoller poller;
    poller.Run(source);
    ASSERT_EQ(source.reports.size(), 3u);
    EXPECT_EQ(source.reports[1].time - source.reports[0].time, CJobStatusPoller::kPassWaitMs);
    EXPECT_TRUE(poller.IsReported(0));
}

TEST(StatusPoller, FortyJobsAreCoveredUpToIndexThirtyOne)
{
    ScriptedSource source;
    source.jobs = 40;
    source.bits = [](DWORD) { return 0xFFFFFFFFu; };
    CJobStatusPoller poller;
    poller.Run(source);
    std::vector<Report> expected;
    for (int i = 0; i < kJobStatusSlots; ++i)
        expected.push_back({0, i, 0});
    EXPECT_EQ(source.reports, expected);
    EXPECT_FALSE(poller.IsReported(32));
}

TEST(StatusPoller, ADialogWithoutAWindowEndsThePoller)
{
    ScriptedSource source;
    source.window = false;
    source.bits = [](DWORD now) { return now >= 3000 ? 1u : 0u; };
    CJobStatusPoller poller;
    poller.Run(source);
    EXPECT_TRUE(source.reports.empty());
    EXPECT_LT(source.now, 3200u) << "the poller ended at the first report it could not send";
}

} // namespace
