#include "setup/filters/DefaultFilterBuilder.h"

#include <shlobj.h>

#include "engine/log/LogMsg.h"
#include "mail/Postrel.h"
#include "outside/OutlookTessel/OutlookFacade.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/filters/FiltersMedia.h"

Seam<PFN_DETECT_FILTER_SOURCES> g_pfnDetectFilterSources{&CDefaultFilterBuilder::DetectInstalledSources};

namespace
{

const size_t kMailCategory = 2;
const size_t kBrowserCategory = 3;

// The label of each mail program's configuration.
const wchar_t *const kMailLabels[] = {L"OutLook Mail", L"OutLook Express Mail", L"Windows Mail"};

bool PathExists(const CString &path)
{
    return !path.IsEmpty() && ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

CString SpecialFolder(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return CString();
    return CString(buffer);
}

} // namespace

int CDefaultFilterBuilder::DetectSources(CStringArray &values)
{
    return g_pfnDetectFilterSources(values);
}

int CDefaultFilterBuilder::DetectInstalledSources(CStringArray &values)
{
    values.RemoveAll();
    const CString localAppData = SpecialFolder(CSIDL_LOCAL_APPDATA);
    {
        COutlookFacade facade;
        values.Add(COutlookFacade::IsInstalledOutlook() ? CString(L"pst, ost") : CString());
        // The library's answer of Init does not matter: each test answers by itself.
        Init();
        values.Add(HasInstalledOutlookExpress() ? CString(L"dbx") : CString());
        values.Add(HasInstalledWindowsMail() ? CString(L"eml, edb") : CString());
        Term();
        const CString favorites = SpecialFolder(CSIDL_FAVORITES);
        values.Add(PathExists(favorites) ? favorites : CString());
        const CString profiles = localAppData.IsEmpty() ? CString() : localAppData + L"\\Mozilla\\Firefox\\Profiles";
        values.Add(PathExists(profiles) ? profiles : CString());
    }
    return 1;
}

bool CDefaultFilterBuilder::Build(LPCWSTR templatePath, LPCWSTR outputPath)
{
    FiltersMedia media;
    FilterCategory *root = media.GetRoot();
    const bool loaded = media.Load(templatePath);
    if (!loaded || root->GetChildren().size() <= kBrowserCategory)
    {
        // An empty per-computer file would never be rebuilt: nothing is written, and the next start tries again.
        AppLog.LogIdAt(L"DefaultFilterBuilder", __LINE__, 0, LM_ERROR, IDS_LOG_FILTER_TEMPLATE_BAD,
                       templatePath != nullptr ? templatePath : L"");
        return false;
    }
    FilterCategory *mail = root->GetChild(kMailCategory);
    FilterCategory *browser = root->GetChild(kBrowserCategory);

    CStringArray values;
    DetectSources(values);
    INT_PTR index = 0;
    CString label;
    for (const auto &program : mail->GetChildren())
    {
        if (index >= DETECTED_SOURCE_COUNT || index >= values.GetSize())
            break;
        const CString value = values.GetAt(index);
        if (value.IsEmpty())
            program->SetSelected(false);
        else
        {
            if (index < static_cast<INT_PTR>(_countof(kMailLabels)))
                label = kMailLabels[index];
            program->AddConfiguration(
                new FilterConfiguration(value, FilterConfiguration::TYPE_EXTENSIONS, label, true));
        }
        ++index;
    }
    for (const auto &place : browser->GetChildren())
    {
        if (index >= DETECTED_SOURCE_COUNT || index >= values.GetSize())
            break;
        const CString value = values.GetAt(index);
        if (value.IsEmpty())
            place->SetSelected(false);
        else
            place->AddConfiguration(new FilterConfiguration(value, FilterConfiguration::TYPE_FOLDER, CString(), true));
        ++index;
    }
    return media.Save(outputPath);
}
