#include "setup/destpage/DestinationPageFactory.h"

#include "setup/destpage/DestinationPage.h"
#include "setup/wizard/WizardPageFactory.h"

void AddDestinationPageToFactory(WizardPageFactory &factory)
{
    factory.makeDestinationPage = [](CTesselWizard &wizard) -> std::unique_ptr<CPageBase> {
        return std::make_unique<CDestinationPage>(&wizard);
    };
    // A test may put a page of its own in the destination step: only a destination page has a tree.
    factory.rebuildDestinationTree = [](CPageBase &page) {
        if (auto *destination = dynamic_cast<CDestinationPage *>(&page))
            destination->RebuildTree();
    };
}
