// The source page's entries of the new-job wizard's page factory (setup/wizard/WizardPageFactory.h): its source
// step, Finish's writing of the filter tree and the reload of the shell tree when drives came or went.
#pragma once

struct WizardPageFactory;

void AddSourcePageToFactory(WizardPageFactory &factory);
