// The answer hook answers every message box without a window (there is no display here to show one on).
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "support/TestSupport.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "ui/boxes/MessageBoxDlg.h"

#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

namespace
{

struct Asked
{
    UINT textId;
    CString text;
    UINT flags;
};

class MessageBoxHook : public testing::Test
{
  protected:
    void SetUp() override
    {
        m_previous = AfxGetResourceHandle();
        m_language =
            LoadLibraryExW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_language, nullptr);
        AfxSetResourceHandle(m_language);
        m_answer.emplace(g_messageBoxAnswer, [this](UINT textId, const CString &text, UINT flags) {
            m_asked.push_back({textId, text, flags});
            return (flags & 15) == MB_YESNO ? IDNO : IDOK;
        });
    }
    void TearDown() override
    {
        m_answer.reset();
        AfxSetResourceHandle(m_previous);
        if (m_language)
            FreeLibrary(m_language);
    }

    HINSTANCE m_previous = nullptr;
    HMODULE m_language = nullptr;
    std::vector<Asked> m_asked;
    std::optional<SeamOverride<MessageBoxAnswer>> m_answer;
};

} // namespace

TEST_F(MessageBoxHook, AnswersTextsAndStringNumbers)
{
    EXPECT_EQ(SkinMessageBox(L"Stop the backup?", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(SkinMessageBoxId(IDS_BUTTON_RETRY, MB_RETRYCANCEL), IDOK);
    EXPECT_EQ(SkinMessageBoxId(64999, MB_OK), IDOK); // a string the library lacks: empty text
    EXPECT_EQ(SkinMessageBox(nullptr, MB_OK), IDOK);
    ASSERT_EQ(m_asked.size(), 4u);
    EXPECT_EQ(m_asked[0].textId, 0u);
    EXPECT_STREQ(m_asked[0].text, L"Stop the backup?");
    EXPECT_EQ(m_asked[0].flags, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(m_asked[1].textId, UINT(IDS_BUTTON_RETRY));
    CString retry;
    ASSERT_TRUE(retry.LoadString(IDS_BUTTON_RETRY));
    EXPECT_STREQ(m_asked[1].text, retry);
    EXPECT_STREQ(m_asked[2].text, L"");
    EXPECT_STREQ(m_asked[3].text, L"");
}

TEST_F(MessageBoxHook, AnswersOnOtherThreads)
{
    int answer = 0;
    std::thread worker([&answer] { answer = SkinMessageBox(L"From the copy thread", MB_YESNO); });
    worker.join();
    EXPECT_EQ(answer, IDNO);
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_STREQ(m_asked[0].text, L"From the copy thread");
}
