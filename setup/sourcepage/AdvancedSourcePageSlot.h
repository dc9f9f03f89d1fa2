// Where the source page host gets its advanced sub-page from (the folder tree beside the file list, template 138):
// the program's own CSourceAdvancedPage (SourceAdvancedPage.h) unless a test puts a page of its own in. With an
// empty slot a host has no advanced page and stays on its basic page.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "platform/system/Seam.h"

class CPageBase;

struct AdvancedSourcePageSlot
{
    // Makes the advanced page of a host, given the host's wizard flag (1 in the new-job wizard); its window is
    // made by the host as a child of its own. Null: the host has none.
    std::function<std::unique_ptr<CPageBase>(int wizardFlag)> make;
    // The host's refresh: the page reloads its filter tree and its job; what it answers.
    std::function<BOOL(CPageBase &page)> loadFilters;
    // Writes the page's filter tree into the job's own filter file; FALSE when that failed.
    std::function<BOOL(CPageBase &page)> saveFilterFile;
    // Drives came or went: the page reloads its shell tree.
    std::function<void(CPageBase &page)> reloadTree;
};

extern Seam<AdvancedSourcePageSlot> g_advancedSourcePage;
