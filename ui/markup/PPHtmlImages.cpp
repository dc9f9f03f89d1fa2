#include "ui/markup/PPHtmlImages.h"

#include <cwchar>

#include "platform/system/Handles.h"
#include "platform/system/Resources.h"
#include "ui/markup/PPHtmlDrawer.h"

namespace
{

// An image handle, freed on destruction unless it was borrowed.
class LoadedImage
{
  public:
    explicit LoadedImage(UINT nType) : m_nType(nType)
    {
    }
    ~LoadedImage()
    {
        Reset(nullptr, false);
    }
    LoadedImage(const LoadedImage &) = delete;
    LoadedImage &operator=(const LoadedImage &) = delete;

    void Reset(HANDLE hImage, bool bOwned)
    {
        if (m_bOwned && m_hImage != nullptr)
        {
            if (m_nType == IMAGE_ICON)
                ::DestroyIcon(static_cast<HICON>(m_hImage));
            else
                ::DeleteObject(m_hImage);
        }
        m_hImage = hImage;
        m_bOwned = bOwned;
    }
    HBITMAP Bitmap() const
    {
        return static_cast<HBITMAP>(m_hImage);
    }
    HICON Icon() const
    {
        return static_cast<HICON>(m_hImage);
    }
    bool IsValid() const
    {
        return m_hImage != nullptr;
    }
    UINT Type() const
    {
        return m_nType;
    }

  private:
    UINT m_nType;
    HANDLE m_hImage = nullptr;
    bool m_bOwned = false;
};

// Where an image comes from, as the tag's parameters name it.
struct ImageSource
{
    UINT nIdRes = 0;
    UINT nIdDll = 0;
    CString strDll;
    CString strFile;
    ULONGLONG handle = 0;
};

UINT ParseNumber(const CString &strValue)
{
    return static_cast<UINT>(std::wcstoul(strValue, nullptr, 0));
}

// Loads a bitmap or an icon of cx x cy from the source; a handle is borrowed. Resource number 0 and a missing
// library, file or resource give no image.
void LoadImageFrom(const ImageSource &source, int cx, int cy, LoadedImage &image)
{
    const UINT type = image.Type();
    const UINT flags = type == IMAGE_BITMAP ? LR_CREATEDIBSECTION : 0;
    if (source.nIdRes != 0)
    {
        const LPCWSTR name = MAKEINTRESOURCEW(source.nIdRes);
        HINSTANCE module = AfxFindResourceHandle(name, type == IMAGE_ICON ? RT_GROUP_ICON : RT_BITMAP);
        image.Reset(::LoadImageW(module, name, type, cx, cy, flags), true);
    }
    else if (source.nIdDll != 0)
    {
        // Without "srcdll" the image would come from the drawer's own image library, which nothing sets.
        if (source.strDll.IsEmpty())
            return;
        CModuleOwner library(::LoadLibraryExW(source.strDll, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (library.IsValid())
            image.Reset(::LoadImageW(library.Get(), MAKEINTRESOURCEW(source.nIdDll), type, cx, cy, flags), true);
    }
    else if (!source.strFile.IsEmpty())
    {
        image.Reset(::LoadImageW(nullptr, source.strFile, type, cx, cy, flags | LR_LOADFROMFILE), true);
    }
    else if (source.handle != 0)
    {
        image.Reset(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(source.handle)), false);
    }
}

// Effect letters: "g" grey, "d" darker, "l" lighter, "s" the drop shade (soft while the drawer's shade is on).
DWORD EffectFlags(const CPPHtmlDrawer &drawer, const CString &strValue)
{
    const CPPHtmlDrawer::ImageShade &shade = drawer.GetImageShade();
    DWORD flags = 0;
    for (int i = 0; i < strValue.GetLength(); ++i)
    {
        switch (strValue[i])
        {
        case L'g':
            flags |= PPIE_GRAY;
            break;
        case L'd':
            flags |= PPIE_DARKEN;
            break;
        case L'l':
            flags |= PPIE_LIGHTEN;
            break;
        case L's':
            if (shade.nOffsetX != 0 || shade.nOffsetY != 0)
                flags |= shade.bOn ? PPIE_SOFT_SHADOW : PPIE_SHADOW;
            break;
        default:
            break;
        }
    }
    return flags;
}

const DWORD kShadeFlags = PPIE_SHADOW | PPIE_SOFT_SHADOW;

} // namespace

void CPPHtmlImages::InlineTag(CPPHtmlDrawer &drawer, int nTag, const CString &strParams)
{
    if (nTag == PPTAG_STRING)
    {
        CString number = strParams;
        number.Trim();
        drawer.PlaceText(drawer.GetStringFromResource(ParseNumber(number)));
        return;
    }
    if (nTag != PPTAG_BMP && nTag != PPTAG_ICON && nTag != PPTAG_ILST)
        return;

    CString value;
    auto param = [&](LPCWSTR name) { return CPPHtmlDrawer::GetParameter(strParams, name, value); };
    auto number = [&](LPCWSTR name) { return param(name) ? ParseNumber(value) : 0u; };
    ImageSource source;
    source.nIdRes = number(L"idres");
    source.nIdDll = number(L"iddll");
    if (param(L"srcdll"))
        source.strDll = value;
    if (param(L"file"))
        source.strFile = value;
    if (param(L"handle"))
        source.handle = _wcstoui64(value, nullptr, 0);

    // The frame or icon size ("cx", "cy"): an icon takes the platform's icon size, an image list one frame of
    // the whole strip's width.
    int cx = 0;
    int cy = 0;
    if (nTag == PPTAG_ICON)
    {
        cx = ::GetSystemMetrics(SM_CXICON);
        cy = ::GetSystemMetrics(SM_CYICON);
    }
    const bool hasCx = param(L"cx");
    if (hasCx)
        cx = drawer.GetLengthUnit(value, cx);
    const bool hasCy = param(L"cy");
    if (hasCy)
        cy = drawer.GetLengthUnit(value, cy);

    LoadedImage image(nTag == PPTAG_ICON ? IMAGE_ICON : IMAGE_BITMAP);
    LoadImageFrom(source, nTag == PPTAG_ICON ? cx : 0, nTag == PPTAG_ICON ? cy : 0, image);
    if (!image.IsValid())
        return;

    int frames = 1;
    if (nTag != PPTAG_ICON)
    {
        DWORD width = 0;
        DWORD height = 0;
        drawer.GetDrawManager().GetBitmapSize(image.Bitmap(), &width, &height);
        if (nTag == PPTAG_BMP || !hasCx)
            cx = static_cast<int>(width);
        if (nTag == PPTAG_BMP || !hasCy)
            cy = static_cast<int>(height);
        if (nTag == PPTAG_ILST && cx > 0 && cy > 0)
            frames = static_cast<int>(width) / cx * (static_cast<int>(height) / cy);
    }
    if (cx <= 0 || cy <= 0 || frames <= 0)
        return;

    const int width = param(L"width") ? drawer.GetLengthUnit(value, cx) : cx;
    const int height = param(L"height") ? drawer.GetLengthUnit(value, cy) : cy;
    if (width <= 0 || height <= 0)
        return;
    const DWORD normal = param(L"style") ? EffectFlags(drawer, value) : 0;
    const DWORD hot = param(L"hotstyle") ? EffectFlags(drawer, value) : normal;
    const BOOL useMask = param(L"mask");
    const COLORREF mask = useMask ? drawer.GetColor(value, 0) : 0;
    const int speed = param(L"speed") ? drawer.GetLengthUnit(value, 0) : 0;
    int index = static_cast<int>(number(L"index"));

    // The box takes the shade too, whichever of the two flag sets asks for it, so that it keeps its size when
    // the link under the pointer changes.
    const CPPHtmlDrawer::ImageShade &imageShade = drawer.GetImageShade();
    CSize box(width, height);
    if (((normal | hot) & kShadeFlags) != 0)
        box += CSize(imageShade.nOffsetX, imageShade.nOffsetY);

    // An animated image list keeps its frame in an animation entry, added while measuring and taken back in the
    // same order while drawing.
    const bool animated = nTag == PPTAG_ILST && speed > 0;
    if (animated)
    {
        if (drawer.IsMeasuring())
            drawer.AddAnimation(frames, speed);
        else
            index = drawer.TakeAnimationFrame();
    }

    CRect rcBox;
    if (!drawer.PlaceBox(box, rcBox))
        return;
    DWORD effect = drawer.IsOpenLinkMarked() ? hot : normal;
    if (!drawer.IsEnabled())
        effect |= PPIE_MONOCHROME;
    CPPDrawManager::ShadeInfo shade;
    shade.bShadow = (effect & kShadeFlags) != 0;
    shade.nOffsetX = imageShade.nOffsetX;
    shade.nOffsetY = imageShade.nOffsetY;
    shade.nDepthX = imageShade.nDepthX;
    shade.nDepthY = imageShade.nDepthY;
    shade.crShadow = imageShade.crColor;

    HDC hDC = drawer.GetOutputDC();
    CPPDrawManager &draw = drawer.GetDrawManager();
    const DWORD dwWidth = static_cast<DWORD>(width);
    const DWORD dwHeight = static_cast<DWORD>(height);
    if (nTag == PPTAG_ICON)
        draw.DrawIcon(hDC, rcBox.left, rcBox.top, dwWidth, dwHeight, image.Icon(), effect, shade);
    else if (nTag == PPTAG_ILST)
        draw.DrawImageList(hDC, rcBox.left, rcBox.top, dwWidth, dwHeight, image.Bitmap(), index, cx, cy, useMask, mask,
                           effect, shade);
    else
        draw.DrawBitmap(hDC, rcBox.left, rcBox.top, dwWidth, dwHeight, image.Bitmap(), useMask, mask, effect, shade);

    if (IPPHtmlObserver *observer = drawer.GetObserver())
    {
        PPHtmlImage drawn;
        drawn.nTag = nTag;
        drawn.rect = CRect(rcBox.left, rcBox.top, rcBox.left + width, rcBox.top + height);
        drawn.dwEffect = effect;
        drawn.nIndex = index;
        observer->OnImage(drawn);
    }
}

void CPPHtmlImages::DrawBackground(CPPHtmlDrawer &drawer, const CString &strValue, const CRect &rect)
{
    if (!drawer.IsEnabled() || strValue.GetLength() < 6 || rect.IsRectEmpty())
        return;
    const int colon = strValue.Find(L':');
    if (colon < 0)
        return;
    const CString kind = strValue.Left(colon);
    const CString rest = strValue.Mid(colon + 1);
    ImageSource source;
    if (kind == L"idres")
        source.nIdRes = ParseNumber(rest);
    else if (kind == L"iddll")
        return; // from the drawer's own image library, which nothing sets
    else if (kind == L"file")
        source.strFile = rest;
    else
        return;
    LoadedImage image(IMAGE_BITMAP);
    LoadImageFrom(source, 0, 0, image);
    if (!image.IsValid())
        return;
    drawer.GetDrawManager().DrawBitmap(drawer.GetOutputDC(), rect.left, rect.top, static_cast<DWORD>(rect.Width()),
                                       static_cast<DWORD>(rect.Height()), image.Bitmap(), FALSE, 0, 0,
                                       CPPDrawManager::ShadeInfo());
}
