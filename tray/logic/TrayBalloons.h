// The progress balloons of the tray icon: which percentages the main program sends become balloons, and when
// the balloon is cleared. The window side shows and clears the balloon; the pause after 100 % goes through
// g_pfnTrayPause.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

class ITrayBalloonSink
{
  public:
    virtual void ShowBalloon(const std::wstring &text) = 0;
    virtual void HideBalloon() = 0;

  protected:
    ~ITrayBalloonSink() = default;
};

// The balloon text of WM_TRAY_RUN_STOPPED: the cause's text, then the system's text of the error (when the error
// is not 0 and has one).
std::wstring RunStoppedBalloonText(const std::wstring &cause, DWORD error);

class CTrayBalloons
{
  public:
    // loadFormat gives the progress format (one integer argument, the percentage) at the first progress.
    CTrayBalloons(ITrayBalloonSink &sink, std::function<std::wstring()> loadFormat);

    // WM_TRAY_PROGRESS. A repeated value is ignored; values above 100 count as 100; once the balloon was
    // cleared only a 0 (a new run) brings balloons back. At 100 the balloon stays up for 3 s, then goes.
    void OnProgress(int value);
    // WM_TRAY_HIDE_BALLOON: the run failed or was cancelled.
    void OnHide();
    // WM_TRAY_RUN_STOPPED: why the run stopped, in a balloon of its own; progress values stay ignored until a new
    // run's 0. An empty text shows nothing.
    void OnRunStopped(const std::wstring &text);
    // NIN_BALLOONTIMEOUT: when every balloon shown has timed out, the balloon is cleared.
    void OnBalloonTimeout();

    int LastProgress() const
    {
        return m_last;
    }
    BOOL IsHidden() const
    {
        return m_hidden;
    }

  private:
    void Hide();

    ITrayBalloonSink &m_sink;
    std::function<std::wstring()> m_loadFormat;
    bool m_formatLoaded = false;
    std::wstring m_format;
    int m_last = -1;
    BOOL m_hidden = FALSE;
    UINT m_count = 0;
};
