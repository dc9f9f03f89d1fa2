// The schedule: which job the main window's timer runs (or starts or stops watching) next.
#include "engine/store/SyncJobList.h"

#include <ctime>

#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"
#include "platform/system/Clock.h"

namespace
{

// Weekday bits of "js_day": Sunday 64, Monday 32 ... Saturday 1.
int WeekdayBit(int weekday)
{
    return 1 << (7 - (weekday + 1));
}

} // namespace

CSyncJob *CSyncJobList::GetNextDueJob()
{
    const __time64_t now = g_pfnClock();
    struct tm local = {};
    const bool haveLocal = _localtime64_s(&local, &now) == 0;

    for (CSyncJob *job : m_jobs)
    {
        // Neither watched nor run before the user has answered its setup's questions.
        if (job->m_awaitingAnswers)
            continue;
        CJobDef *jobDef = job->GetJobDef();
        const int state = jobDef->GetState();
        const int type = jobDef->GetJsType();

        if (type == 0)
        {
            // Watched jobs: the timer starts watching an enabled job and stops watching a disabled one.
            const BOOL watched = job->m_watchFlag;
            if ((state != 0 && !watched) || (state == 0 && watched))
                return job;
            continue;
        }
        if (state == 0 || job->m_runState != JOB_IDLE)
            continue;

        if (type == 1)
        {
            // A last start later than now means the clock went back: waiting for the interval to pass from a
            // start in the future would hold the job for as long as the clock went back.
            const __int64 minutes = (now - job->m_startTime) / 60;
            if (job->m_startTime > now || minutes >= jobDef->GetJsMins())
            {
                job->m_startTime = now;
                return job;
            }
            continue;
        }
        if (type != 2)
            continue;

        const int bit = haveLocal ? WeekdayBit(local.tm_wday) : 128;
        if (!(jobDef->GetJsDay() & bit) || !haveLocal)
            continue;
        int hours = 0;
        int minutes = 0;
        jobDef->GetJsTime(hours, minutes);
        struct tm scheduledParts = local;
        scheduledParts.tm_hour = hours;
        scheduledParts.tm_min = minutes;
        scheduledParts.tm_sec = 0;
        scheduledParts.tm_isdst = -1;
        const __time64_t scheduled = _mktime64(&scheduledParts);
        if (scheduled == -1 || now <= scheduled)
            continue;
        if (job->GetLastRanDay() != bit)
        {
            job->SetLastRanDay(bit);
            job->m_lastRunMonthDay = local.tm_mday;
            return job;
        }
        if (job->m_lastRunMonthDay != local.tm_mday)
        {
            job->m_lastRunMonthDay = local.tm_mday;
            return job;
        }
    }
    return nullptr;
}
