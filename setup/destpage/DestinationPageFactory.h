// The destination page's entries of the new-job wizard's page factory (setup/wizard/WizardPageFactory.h): its
// destination step and the rebuilding of its tree when drives came or went.
#pragma once

struct WizardPageFactory;

void AddDestinationPageToFactory(WizardPageFactory &factory);
