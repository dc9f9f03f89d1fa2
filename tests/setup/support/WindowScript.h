// Drives the program's modal windows from inside the loops that show them: a timer of the calling thread tries the
// script's steps in order, one attempt per tick, and a step says when it is done (it may wait for its window to
// show). A step that is not done in time gives the script up: every dialog of the thread is then cancelled, tick
// by tick, until the modal loops are gone, and GivingUp() tells the message-box answers to say Yes.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace setuptest
{

class WindowScript
{
  public:
    using Step = std::function<bool()>;

    // Starts the timer; make the script on the thread that will show the windows, before they show.
    explicit WindowScript(std::vector<Step> steps, DWORD stepTimeoutMs = 15000);
    ~WindowScript();
    WindowScript(const WindowScript &) = delete;
    WindowScript &operator=(const WindowScript &) = delete;

    bool Finished() const
    {
        return m_next == m_steps.size();
    }
    // The number of the step that did not get done in time, or -1.
    int FailedStep() const
    {
        return m_failedStep;
    }
    // Set while a script of this thread gives up.
    static bool GivingUp();

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_stepTimeoutMs;
    DWORD m_stepStart;
    int m_failedStep = -1;
    bool m_inTick = false;
    UINT_PTR m_timer = 0;
    WindowScript *m_previous = nullptr;
};

// The visible top-level dialog of this thread that holds a control of the id, or null.
HWND FindDialogWith(int controlId);
// Posts a key press to the window, through the dialog's own keyboard handling.
void PressKey(HWND window, UINT key);
// Sets a combo box's selection and tells its dialog, as a choice of the user does.
void ChooseComboItem(HWND dialog, int comboId, int index);
std::wstring WindowText(HWND window);

} // namespace setuptest
