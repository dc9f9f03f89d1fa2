#include "setup/wizard/WizardPageFactory.h"

Seam<WizardPageFactory> g_wizardPageFactory{WizardPageFactory{}};
