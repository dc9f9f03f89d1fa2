// Where the new-job wizard gets its source and destination steps from. The source and destination pages live in
// job setup parts of their own, which fill this seam with their makers and operations; the wizard only calls
// through it. Until a part fills an entry, the default does nothing: a step without a page shows an empty page
// area and passes its Next or Finish (nothing is loaded or saved there). Tests put counting pages in.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "platform/system/Seam.h"
#include "platform/text/String.h"

class CPageBase;
class CTesselWizard;

struct WizardPageFactory
{
    // The wizard's pages for its source step (template 485) and its destination step (template 419): made by the
    // wizard's constructor, unowned by anyone else, their windows created as children in the wizard's
    // initialisation. Null: the step has no page.
    std::function<std::unique_ptr<CPageBase>(CTesselWizard &wizard)> makeSourcePage;
    std::function<std::unique_ptr<CPageBase>(CTesselWizard &wizard)> makeDestinationPage;
    // Finish: writes the source page's filter tree into the job's own filter file.
    std::function<void(CPageBase &sourcePage)> saveFilters;
    // A drive came or went (the wizard's private message 2024): the source page reloads its shell tree, the
    // destination page rebuilds its tree and keeps its selection.
    std::function<void(CPageBase &sourcePage)> reloadSourceTree;
    std::function<void(CPageBase &destinationPage)> rebuildDestinationTree;
    // The source page's shared images, loaded once from the skin folder by the wizard's image loader (the main
    // window calls it at start-up) and freed with the wizard's images, before GDI+ shuts down.
    std::function<void(const CString &skinFolder)> loadSourceImages;
    std::function<void()> freeSourceImages;
};

// Empty entries until the page parts fill them.
extern Seam<WizardPageFactory> g_wizardPageFactory;
