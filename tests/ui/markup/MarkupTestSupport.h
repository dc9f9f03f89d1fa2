// Shared by the markup tests: an observer that records a drawing pass, a message-only window that records
// what the drawer sends, and a fixture with a drawer and a canvas.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/drawing/DibSection.h"
#include "platform/system/Handles.h"
#include "ui/markup/PPHtmlDrawer.h"

// Rectangles in failure messages.
inline void PrintTo(const CRect &rect, std::ostream *os)
{
    *os << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}

namespace markuptest
{

class Recorder : public IPPHtmlObserver
{
  public:
    void OnText(const PPHtmlTextRun &run) override
    {
        texts.push_back(run);
    }
    void OnRule(const PPHtmlRule &rule) override
    {
        rules.push_back(rule);
    }
    void OnHotArea(const PPHtmlHotArea &area) override
    {
        areas.push_back(area);
    }
    void OnBox(const PPHtmlBox &box) override
    {
        boxes.push_back(box);
    }
    void OnImage(const PPHtmlImage &image) override
    {
        images.push_back(image);
    }
    void Clear()
    {
        texts.clear();
        rules.clear();
        areas.clear();
        boxes.clear();
        images.clear();
    }
    // The texts of the runs joined, each run in brackets: "[a][b]".
    std::wstring Joined() const;
    // The run holding the text (the first one); fails the test when there is none.
    const PPHtmlTextRun &Run(LPCWSTR text) const;

    std::vector<PPHtmlTextRun> texts;
    std::vector<PPHtmlRule> rules;
    std::vector<PPHtmlHotArea> areas;
    std::vector<PPHtmlBox> boxes;
    std::vector<PPHtmlImage> images;
};

// A message-only window that records every message sent to it in the user range, with a copy of the text that
// wParam points to for the message given as textMessage.
class MessageWindow
{
  public:
    explicit MessageWindow(UINT textMessage);
    ~MessageWindow();
    MessageWindow(const MessageWindow &) = delete;
    MessageWindow &operator=(const MessageWindow &) = delete;

    HWND Handle() const
    {
        return m_hWnd;
    }

    struct Message
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::wstring text;
    };
    std::vector<Message> messages;

  private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd = nullptr;
    UINT m_textMessage;
};

class MarkupTest : public testing::Test
{
  protected:
    void SetUp() override;

    // Measures the text and draws it with its top-left corner at (x, y) into a rectangle of the measured size
    // less the extra pixel (or of the given width); the recorder holds that drawing.
    CSize MeasureAndDraw(const CString &text, int x = 0, int y = 0, int width = -1);
    // The width of the text in the font of the run, measured on the canvas.
    int TextWidth(const PPHtmlTextRun &run, const CString &text) const;
    // The metrics of the font of the run on the canvas.
    TEXTMETRICW Metrics(const PPHtmlTextRun &run) const;
    // The rectangle the last drawing covered.
    CRect m_drawn;

    CDibSection m_canvas;
    CPPHtmlDrawer m_drawer;
    Recorder m_recorder;
};

} // namespace markuptest
