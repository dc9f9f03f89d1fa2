#include "setup/sourcepage/SourcePageView.h"

#include <algorithm>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/run/DestPaths.h"
#include "engine/store/XmlLayer.h"
#include "setup/filters/FilterTree.h"
#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/windows/Wnd.h"
#include "setup/wizard/PageBase.h"
#include "ui/skin/SkinGlobals.h"

int MainWindowViewState()
{
    IMainWindowServices *main = g_pMainDlg.load();
    return main != nullptr ? main->GetMode() : 0;
}

bool IsRestoreViewFor(int wizardFlag)
{
    if (wizardFlag != 0)
        return false;
    const int state = MainWindowViewState();
    return state == MAIN_MODE_RESTORE_IDLE || state == MAIN_MODE_RESTORE_RUNNING;
}

CRect SourceHostArea(CWnd &page, bool isHost)
{
    CRect area;
    CWnd *host = isHost ? &page : page.GetParent();
    if (host == nullptr || host->GetSafeHwnd() == nullptr)
    {
        page.GetClientRect(&area);
        return area;
    }
    host->GetClientRect(&area);
    if (!isHost)
    {
        CRect placed;
        page.GetWindowRect(&placed);
        host->ScreenToClient(&placed);
        area.OffsetRect(-placed.left, -placed.top);
    }
    return area;
}

void PaintSourcePageBackground(CWnd &page, CDC &dc, bool restoreView, const CRect &area,
                               const std::function<void(Gdiplus::Graphics &graphics)> &draw)
{
    CRect client;
    page.GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    CDC surface;
    CBitmap bitmap;
    const bool offScreen =
        surface.CreateCompatibleDC(&dc) && bitmap.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
    CDC &target = offScreen ? surface : dc;
    {
        CSelectObjectGuard selected(surface, offScreen ? bitmap.GetSafeHandle() : nullptr);
        target.FillSolidRect(&client, kPageBackground);
        {
            Gdiplus::Graphics graphics(target.GetSafeHdc());
            Gdiplus::Image *picture =
                g_mainSkinImages[restoreView ? MAIN_SKIN_RESTORE_ADVANCED : MAIN_SKIN_RESTORE_EZ_BLANK];
            if (IsSkinImageValid(picture))
                graphics.DrawImage(picture, area.left, area.top, area.Width(), area.Height());
            graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
            if (draw)
                draw(graphics);
        }
        if (offScreen)
            dc.BitBlt(0, 0, client.Width(), client.Height(), &surface, 0, 0, SRCCOPY);
    }
}

Gdiplus::Image *LoadSourcePageImage(LPCWSTR fileName)
{
    if (g_strSkinFolder.IsEmpty())
        return nullptr;
    auto *image = Gdiplus::Image::FromFile(g_strSkinFolder + fileName);
    if (image != nullptr && image->GetLastStatus() != Gdiplus::Ok)
    {
        delete image;
        image = nullptr;
    }
    return image;
}

std::vector<StoredSource> ReadStoredSources(IXMLDOMElement *jobElement)
{
    std::vector<StoredSource> stored;
    {
        XmlDomLock lock;
        XmlElementIterator children(jobElement);
        while (children.Next())
        {
            if (children.GetName() != L"src")
                continue;
            IXMLDOMElementPtr source = children.GetElement();
            stored.push_back(StoredSource{XmlGetAttributeString(source, L"path"),
                                          XmlGetAttributeString(source, L"destination"),
                                          XmlGetAttributeString(source, L"rapid") == L"0"});
        }
    }
    std::stable_sort(stored.begin(), stored.end(),
                     [](const StoredSource &a, const StoredSource &b) { return a.path < b.path; });
    stored.erase(std::unique(stored.begin(), stored.end(),
                             [](const StoredSource &a, const StoredSource &b) { return a.path == b.path; }),
                 stored.end());
    return stored;
}

BackupLayout ReadBackupLayout(CSyncJob &job)
{
    const CJobDef *def = job.GetJobDef();
    BackupLayout layout;
    layout.dest = def->GetDest();
    layout.retainFullPath = def->GetRetainFullPath() != 0;
    layout.folderToFolder = def->GetFolder2Folder() != 0;
    layout.computer = GetDestComputerName();
    return layout;
}

CString WithOneTrailingBackslash(CString path)
{
    path.TrimRight(L'\\');
    return path + L"\\";
}

BOOL LoadFilterFileOrDefault(FilterNode *root, FiltersMedia &media, const CString &path, CString &loaded)
{
    const CString fallback = DefaultFilterFilePath();
    loaded = path;
    bool read = false;
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        read = LoadFilterTree(root, media, path);
    if (!read && path != fallback)
    {
        EnsureDefaultFilterFile();
        loaded = fallback;
        read = LoadFilterTree(root, media, fallback);
    }
    return read ? TRUE : FALSE;
}
