// The job list's cards without a window: how they stack, collapse and close up, the width they are centred in,
// and which job a run thread finds by its card.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/joblist/JobListView.h"
#include "app/support/FaceTestSupport.h"
#include "engine/job/SyncJob.h"

namespace
{

struct ViewDeleter
{
    void operator()(CJobListView *view) const
    {
        delete view;
    }
};
using ViewPtr = std::unique_ptr<CJobListView, ViewDeleter>;

class JobListGeometry : public facetest::FaceTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(FaceTest::SetUp());
        m_view.reset(dynamic_cast<CJobListView *>(RUNTIME_CLASS(CJobListView)->CreateObject()));
        ASSERT_NE(m_view, nullptr);
    }
    void TearDown() override
    {
        m_view.reset();
        FaceTest::TearDown();
    }

    std::vector<int> Tops() const
    {
        std::vector<int> tops;
        for (int i = 0; i < m_view->GetItemCount(); ++i)
            tops.push_back(m_view->GetItem(i)->m_rect.top);
        return tops;
    }

    ViewPtr m_view;
};

TEST_F(JobListGeometry, CardsStackCollapseAndCloseUp)
{
    const JobListMetrics metrics = CurrentJobListMetrics();
    // The layout's card and the collapsed header's image.
    ASSERT_EQ(metrics.width, 560);
    ASSERT_EQ(metrics.expandedHeight, 130);
    ASSERT_EQ(metrics.collapsedHeight, 36);
    const int H = metrics.expandedHeight;
    const int C = metrics.collapsedHeight;
    const int step = metrics.Step();

    CSyncJob *jobs[] = {NewJob(L"Documents"), NewJob(L"Pictures"), NewJob(L"Mail")};
    for (CSyncJob *job : jobs)
        m_view->AddJob(job->GetJobDef());
    EXPECT_EQ(Tops(), (std::vector<int>{0, H, 2 * H}));
    EXPECT_EQ(m_view->GetTotalHeight(), 3 * H);

    CJobListItem *first = m_view->GetItem(0);
    const CRect runExpanded = first->m_runButton.m_rect;
    struct Step
    {
        const char *what;
        int toggle; // card to click on its header, -1 for none
        int remove; // job whose card goes, -1 for none
        std::vector<int> tops;
        int total;
    };
    const Step steps[] = {
        {"collapse the first", 0, -1, {0, C, C + H}, 3 * H - step},
        {"expand it again", 0, -1, {0, H, 2 * H}, 3 * H},
        {"collapse the second", 1, -1, {0, H, H + C}, 3 * H - step},
        {"remove the collapsed second", -1, 1, {0, H}, 2 * H},
    };
    for (const Step &s : steps)
    {
        if (s.toggle >= 0)
            m_view->ToggleItem(m_view->GetItem(s.toggle));
        if (s.remove >= 0)
        {
            EXPECT_EQ(m_view->RemoveJob(jobs[s.remove]->GetJobDef()), 1) << s.what;
        }
        EXPECT_EQ(Tops(), s.tops) << s.what;
        EXPECT_EQ(m_view->GetTotalHeight(), s.total) << s.what;
    }
    // The card that went back and forth has its buttons where they were; a collapsed card's lie 9 pixels higher.
    EXPECT_EQ(first->m_runButton.m_rect, runExpanded);
    m_view->ToggleItem(first);
    EXPECT_EQ(first->m_runButton.m_rect.top, runExpanded.top - kJobCardButtonShift);
    EXPECT_EQ(first->m_headerButton.GetState(), 1u);
    EXPECT_EQ(m_view->RemoveJob(jobs[1]->GetJobDef()), 0) << "its card is gone already";
}

TEST_F(JobListGeometry, CardsAreCentredBesideTheScrollBarOnlyOnceTheyOutgrowTheClient)
{
    const int bar = 17;
    struct Case
    {
        int total;
        BOOL hasBar;
        int width;
    } cases[] = {
        {396, FALSE, 596},           // exactly as tall as the client: no bar
        {397, FALSE, 596 - bar - 1}, // one pixel more: the bar comes and narrows the client
        {397, TRUE, 596},            // the bar is there: the client is narrow already
        {0, FALSE, 596},
    };
    for (const Case &c : cases)
        EXPECT_EQ(JobListCentringWidth(596, 396, c.total, c.hasBar, bar), c.width) << c.total << " " << c.hasBar;
}

TEST_F(JobListGeometry, FindJobAnswersOnlyForJobsThatHaveACard)
{
    CSyncJob *first = NewJob(L"First");
    CSyncJob *second = NewJob(L"Second");
    CSyncJob *without = NewJob(L"Without a card");
    m_view->AddJob(first->GetJobDef());
    m_view->AddJob(second->GetJobDef());

    int index = -1;
    EXPECT_EQ(m_view->FindJob(nullptr, index), 0);
    EXPECT_EQ(m_view->FindJob(without, index), 0);
    EXPECT_EQ(index, -1) << "an unknown job leaves the index alone";
    ASSERT_EQ(m_view->FindJob(second, index), 1);
    EXPECT_EQ(index, 1);
    m_view->RemoveJob(first->GetJobDef());
    ASSERT_EQ(m_view->FindJob(second, index), 1);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(m_view->AddJob(nullptr), nullptr);
    EXPECT_EQ(m_view->GetItemCount(), 1);
}

} // namespace
