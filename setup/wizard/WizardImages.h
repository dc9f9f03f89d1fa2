// The pictures and texts that every new-job wizard and job type chooser share: the three step bands, the
// chooser's background and the wizard's two fixed texts. The main window loads them once at start-up, with GDI+
// running (CTesselWizard::LoadStepImages), and frees them before GDI+ shuts down (FreeStepImages). A picture
// whose file is missing or broken is left out: the windows then paint their texts without it.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "platform/text/String.h"

namespace wizardimages
{

constexpr int kStepCount = 3;

// The step band of step 0, 1 or 2; null when it is not loaded (or the step is out of range).
Gdiplus::Image *StepImage(int step);
// The first band's size; 0 by 0 when it is not loaded.
SIZE StepImageSize();
// The job type chooser's background, null when not loaded, and its size.
Gdiplus::Image *ChooserBackground();
SIZE ChooserBackgroundSize();
// Strings 562 (the wizard's caption) and 541 (the title painted over the band).
const CString &WizardCaption();
const CString &WizardTitle();

// Loads "step1.png" ... "step3.png" and "job wizard background.png" of the folder (with its trailing backslash)
// and the two texts, in place of what was loaded before.
void Load(const CString &folder);
void Free();

} // namespace wizardimages
