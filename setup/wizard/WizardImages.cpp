#include "setup/wizard/WizardImages.h"

#include <memory>

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

namespace wizardimages
{

namespace
{

struct SharedImages
{
    std::unique_ptr<Gdiplus::Image> steps[kStepCount];
    std::unique_ptr<Gdiplus::Image> chooser;
    CString caption;
    CString title;
};

SharedImages &Shared()
{
    static SharedImages images;
    return images;
}

// The picture of the file, or null when it cannot be read: a missing file gives GDI+ an image object in a failed
// state, which draws nothing and has no size.
std::unique_ptr<Gdiplus::Image> LoadPicture(const CString &path)
{
    std::unique_ptr<Gdiplus::Image> image(new Gdiplus::Image(path));
    if (image == nullptr || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0)
        return nullptr;
    return image;
}

SIZE SizeOf(Gdiplus::Image *image)
{
    if (image == nullptr)
        return SIZE{0, 0};
    return SIZE{static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())};
}

} // namespace

Gdiplus::Image *StepImage(int step)
{
    return step >= 0 && step < kStepCount ? Shared().steps[step].get() : nullptr;
}

SIZE StepImageSize()
{
    return SizeOf(StepImage(0));
}

Gdiplus::Image *ChooserBackground()
{
    return Shared().chooser.get();
}

SIZE ChooserBackgroundSize()
{
    return SizeOf(ChooserBackground());
}

const CString &WizardCaption()
{
    return Shared().caption;
}

const CString &WizardTitle()
{
    return Shared().title;
}

void Load(const CString &folder)
{
    SharedImages &images = Shared();
    for (int step = 0; step < kStepCount; ++step)
    {
        CString name;
        name.Format(L"step%d.png", step + 1);
        images.steps[step] = LoadPicture(folder + name);
    }
    images.chooser = LoadPicture(folder + L"job wizard background.png");
    images.caption = AfxLoadText(IDS_WIZARD_CAPTION);
    images.title = AfxLoadText(IDS_WIZARD_TITLE);
}

void Free()
{
    SharedImages &images = Shared();
    for (auto &step : images.steps)
        step.reset();
    images.chooser.reset();
}

} // namespace wizardimages
