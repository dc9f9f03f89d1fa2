// The progress balloons: which of the main program's percentages become balloons, and when the balloon goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tray/logic/TrayBalloons.h"
#include "tray/logic/TraySeams.h"

namespace
{

std::vector<std::wstring> *g_events = nullptr;

void RecordPause(DWORD milliseconds)
{
    g_events->push_back(L"pause " + std::to_wstring(milliseconds));
}

class RecordingIcon : public ITrayBalloonSink
{
  public:
    void ShowBalloon(const std::wstring &text) override
    {
        g_events->push_back(L"show " + text);
    }
    void HideBalloon() override
    {
        g_events->push_back(L"hide");
    }
};

// 'p' a progress value, 'h' the hide message, 's' why the run stopped ("The disk is full."), 't' a balloon's
// time-out.
struct Step
{
    char kind;
    int value;
};

struct BalloonCase
{
    const char *name;
    std::vector<Step> steps;
    std::vector<std::wstring> events;
};

} // namespace

TEST(TrayLogic, ProgressBecomesBalloons)
{
    const std::vector<BalloonCase> cases = {
        {"a repeated value is ignored",
         {{'p', 0}, {'p', 10}, {'p', 10}, {'p', 20}},
         {L"show Backup 0% done", L"show Backup 10% done", L"show Backup 20% done"}},
        {"above 100 shows 100, stays 3 s and goes; then 100 and 150 are ignored",
         {{'p', 150}, {'p', 100}, {'p', 150}},
         {L"show Backup 100% done", L"pause 3000", L"hide"}},
        {"after the hide message only 0 brings balloons back",
         {{'p', 10}, {'h', 0}, {'p', 30}, {'p', 0}, {'p', 40}},
         {L"show Backup 10% done", L"hide", L"show Backup 0% done", L"show Backup 40% done"}},
        {"a run cancelled at 0 leaves the next run without balloons",
         {{'p', 0}, {'h', 0}, {'p', 0}, {'p', 10}, {'p', 20}},
         {L"show Backup 0% done", L"hide"}},
        {"why a run stopped comes after the hide, and only 0 brings progress back",
         {{'p', 10}, {'h', 0}, {'s', 0}, {'p', 30}, {'t', 0}, {'t', 0}, {'p', 0}},
         {L"show Backup 10% done", L"hide", L"show The disk is full.", L"hide", L"show Backup 0% done"}},
        {"the balloon goes once every balloon shown has timed out",
         {{'p', 10}, {'p', 20}, {'t', 0}, {'t', 0}, {'p', 30}, {'p', 0}},
         {L"show Backup 10% done", L"show Backup 20% done", L"hide", L"show Backup 0% done"}},
    };
    for (const BalloonCase &c : cases)
    {
        std::vector<std::wstring> events;
        g_events = &events;
        SeamOverride<PFN_TRAY_PAUSE> pause(g_pfnTrayPause, &RecordPause);
        RecordingIcon icon;
        int formatLoads = 0;
        CTrayBalloons balloons(icon, [&formatLoads] {
            ++formatLoads;
            return std::wstring(L"Backup %d%% done");
        });
        for (const Step &step : c.steps)
        {
            if (step.kind == 'p')
                balloons.OnProgress(step.value);
            else if (step.kind == 'h')
                balloons.OnHide();
            else if (step.kind == 's')
                balloons.OnRunStopped(L"The disk is full.");
            else
                balloons.OnBalloonTimeout();
        }
        EXPECT_EQ(events, c.events) << c.name;
        EXPECT_EQ(formatLoads, 1) << c.name;
        g_events = nullptr;
    }
}
