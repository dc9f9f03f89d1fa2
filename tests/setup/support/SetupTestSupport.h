// Shared by the tests of job setup: the fixture of the filter tests (COM, the language library, a temporary
// folder that is also the filter folder, and the program's log in it), the fixture of the filter windows (GDI+,
// a filter set loaded into a display tree, host windows), and the picture of a shown window.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/support/EngineTestSupport.h"
#include "platform/controls/Controls.h"
#include "platform/drawing/GdiPlusSession.h"
#include "platform/text/String.h"
#include "setup/filters/FilterTree.h"
#include "support/ImageSupport.h"

namespace setuptest
{

class FilterTest : public enginetest::EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A file of the temporary folder holding the text as UTF-8; its path.
    std::wstring WriteFile(const std::wstring &name, const std::string &utf8);
    // The program's log as the user reads it: its lines without their line ends.
    std::vector<std::wstring> ProgramLogLines();

  private:
    CString m_savedFilterFolder;
};

// Dispatches the messages waiting for this thread.
void PumpMessages();
// The expand button mark of a tree item (its cChildren: 0 without a button).
int TreeChildrenMark(const CTreeCtrl &tree, HTREEITEM item);

class FilterWindowTest : public FilterTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Loads "<filters>" + filters + "</filters>" into m_media and the display tree under m_root.
    void LoadSets(const std::string &filters);
    // A plain shown top-level window to hold a child page; it goes at the end of the test.
    HWND MakeHost(int width, int height);
    static void Pump()
    {
        PumpMessages();
    }

    CGdiPlusSession m_gdiplus;
    FiltersMedia m_media;
    FilterNode m_root{FilterNode::KIND_ROOT, nullptr, nullptr};
    std::vector<HWND> m_hosts;
};

using testsupport::SaveWindowPng;

} // namespace setuptest
