// Drives modal boxes from inside their own loop: a timer of the showing thread finds the box among that
// thread's windows, records it and posts a button. Every step gives up after a time limit.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/text/Geometry.h"
#include "platform/system/Resources.h"
#include "platform/text/String.h"
#include "support/TestSupport.h"

namespace boxtest
{

// What a box looked like when the closer found it.
struct BoxRecord
{
    bool found = false;
    HWND box = nullptr;
    HWND owner = nullptr;
    bool ownerEnabled = false;
    CRect window; // screen coordinates
    CString title;
    CString text;           // control 1138
    CRect textRect;         // client coordinates
    CRect button1, button2; // client coordinates
    bool button1Visible = false, button2Visible = false;
    CString caption1, caption2;
    LOGFONTW font = {}; // the box's font (its handle goes with the box)
};

BoxRecord Record(HWND box);

// One step: wait for a window of the calling thread that matches, then act on it.
struct Step
{
    std::function<bool(HWND)> matches;
    std::function<void(HWND)> act;
};

// A top-level window of the thread holding a control with this id.
std::function<bool(HWND)> WindowWithControl(int id);
// A dialog of the thread owned by owner.
std::function<bool(HWND)> DialogOwnedBy(const HWND *owner);

// Actions.
std::function<void(HWND)> RecordInto(BoxRecord &record, std::function<void(HWND)> then);
std::function<void(HWND)> ClickButton(int id);
std::function<void(HWND)> PressEscape();

// Runs its steps from a thread timer while the calling thread's modal loops dispatch messages. Create it on
// the thread that will show the boxes, before showing them. Posts Cancel to every dialog of the thread when a
// step is not done within timeoutMs.
class ModalCloser
{
  public:
    explicit ModalCloser(std::vector<Step> steps, DWORD timeoutMs = 8000);
    ~ModalCloser();
    ModalCloser(const ModalCloser &) = delete;
    ModalCloser &operator=(const ModalCloser &) = delete;

    bool AllDone() const
    {
        return m_next >= m_steps.size();
    }
    bool TimedOut() const
    {
        return m_timedOut;
    }

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_timeoutMs;
    DWORD m_stepStart;
    bool m_timedOut = false;
    UINT_PTR m_timer = 0;
    ModalCloser *m_previous = nullptr;
};

// The English language library as the resource module for the lifetime of the object.
class LanguageLibrary
{
  public:
    LanguageLibrary();
    ~LanguageLibrary();
    LanguageLibrary(const LanguageLibrary &) = delete;
    LanguageLibrary &operator=(const LanguageLibrary &) = delete;
    bool Loaded() const
    {
        return m_module != nullptr;
    }

  private:
    HINSTANCE m_previous;
    HINSTANCE m_module;
};

// Dispatches the thread's messages until done() holds or timeoutMs passes; the final done().
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 8000);

} // namespace boxtest
