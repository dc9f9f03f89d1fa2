#include "setup/sourcepage/SourcePageFactory.h"

#include "setup/sourcepage/SourcePage.h"
#include "setup/wizard/WizardPageFactory.h"

void AddSourcePageToFactory(WizardPageFactory &factory)
{
    factory.makeSourcePage = [](CTesselWizard &) -> std::unique_ptr<CPageBase> {
        return std::make_unique<CSourcePage>(1);
    };
    // A test may put a page of its own in the source step: only a source page has a filter tree and a shell tree.
    factory.saveFilters = [](CPageBase &page) {
        if (auto *source = dynamic_cast<CSourcePage *>(&page))
            source->SaveFilters();
    };
    factory.reloadSourceTree = [](CPageBase &page) {
        if (auto *source = dynamic_cast<CSourcePage *>(&page))
            source->ReloadTree();
    };
}
