#include "setup/wizard/WizardPageFactory.h"

#include "setup/sourcepage/SourcePageFactory.h"

namespace
{

WizardPageFactory MakeDefaultFactory()
{
    WizardPageFactory factory;
    AddSourcePageToFactory(factory);
    return factory;
}

} // namespace

Seam<WizardPageFactory> g_wizardPageFactory{MakeDefaultFactory()};
