#include "setup/wizard/WizardPageFactory.h"

#include "setup/destpage/DestinationPageFactory.h"
#include "setup/sourcepage/SourcePageFactory.h"

namespace
{

WizardPageFactory MakeDefaultFactory()
{
    WizardPageFactory factory;
    AddSourcePageToFactory(factory);
    AddDestinationPageToFactory(factory);
    return factory;
}

} // namespace

Seam<WizardPageFactory> g_wizardPageFactory{MakeDefaultFactory()};
