#include "app/joblist/JobListImages.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

std::unique_ptr<JobListResources> g_resources;

const LPCWSTR kLargeButtonNames[LARGE_BUTTON_COUNT][LARGE_LOOK_COUNT] = {
    {L"Add_job.png", L"Add_job_over.png", L"Add_job_down.png"},
    {L"backup.png", L"backup_over.png", L"backup_down.png"},
    {L"Restore.png", L"Restore_over.png", L"Restore_down.png"},
};

const LPCWSTR kCardImageNames[CARD_IMAGE_COUNT] = {
    L"main.png",      L"bottom1+11.png", L"bottom2+01.png", L"bottom2+11.png", L"bottom2+2.png",
    L"triangle1.png", L"triangle2.png",  L"one-way.png",    L"two-way.png",    L"sync-way.png",
    L"backupimg.png", L"restoreimg.png", L"maintext.png",
};

// The suffix after the "Preparing" text of a running job without a status yet.
const wchar_t kPreparingSuffix[] = L"...";

std::unique_ptr<Gdiplus::Image> LoadImageFrom(const CString &folder, LPCWSTR name)
{
    CString path = folder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\' && path[path.GetLength() - 1] != L'/')
        path += L'\\';
    path += name;
    return std::unique_ptr<Gdiplus::Image>(new Gdiplus::Image(path));
}

} // namespace

JobListResources *GetJobListResources()
{
    return g_resources.get();
}

void LoadJobListResources(const CString &folder)
{
    std::unique_ptr<JobListResources> resources(new JobListResources);
    for (int button = 0; button < LARGE_BUTTON_COUNT; ++button)
    {
        for (int look = 0; look < LARGE_LOOK_COUNT; ++look)
            resources->largeButtons[button][look] = LoadImageFrom(folder, kLargeButtonNames[button][look]);
    }
    for (int image = 0; image < CARD_IMAGE_COUNT; ++image)
        resources->card[image] = LoadImageFrom(folder, kCardImageNames[image]);

    resources->verdana9 = CreateSkinFont(L"Verdana", 9.0f, Gdiplus::FontStyleRegular);
    resources->arial9 = CreateSkinFont(L"Arial", 9.0f, Gdiplus::FontStyleRegular);
    resources->arial8 = CreateSkinFont(L"Arial", 8.0f, Gdiplus::FontStyleRegular);
    resources->centuryGothic8 = CreateSkinFont(L"Century Gothic", 8.0f, Gdiplus::FontStyleItalic);

    resources->white.reset(new Gdiplus::SolidBrush(Gdiplus::Color(255, 255, 255, 255)));
    resources->slate.reset(new Gdiplus::SolidBrush(Gdiplus::Color(255, 90, 113, 116)));
    resources->darkSlate.reset(new Gdiplus::SolidBrush(Gdiplus::Color(255, 81, 105, 109)));
    resources->grey.reset(new Gdiplus::SolidBrush(Gdiplus::Color(255, 102, 102, 102)));

    resources->runCaption = AfxLoadText(IDS_MAIN_BACKUP);
    resources->cancelCaption = AfxLoadText(IDS_BUTTON_CANCEL);
    resources->addJobCaption = AfxLoadText(IDS_MAIN_ADD_JOB);
    resources->destinationLabel = AfxLoadText(IDS_MAIN_DESTINATION);
    resources->preparingText = AfxLoadText(IDS_PROGRESS_PREPARING) + kPreparingSuffix;
    g_resources = std::move(resources);
}

void FreeJobListResources()
{
    g_resources.reset();
}
