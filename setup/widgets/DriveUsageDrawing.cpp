#include "setup/widgets/DriveUsageDrawing.h"

#include <shlwapi.h>

#include <cmath>

#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "ui/skin/SkinGlobals.h"
#include "ui/skin/SkinProgressBar.h"

namespace
{

// Side and top colours of the three sectors, and of the disc of a drive without size.
const Gdiplus::Color kUsedSide(255, 204, 51, 0);
const Gdiplus::Color kUsedTop(255, 255, 50, 255);
const Gdiplus::Color kAddedSide(255, 255, 252, 0);
const Gdiplus::Color kAddedTop(255, 255, 240, 50);
const Gdiplus::Color kFreeSide(255, 51, 51, 51);
const Gdiplus::Color kFreeTop(255, 140, 140, 255);
const Gdiplus::Color kEmptySide(255, 100, 100, 100);
const Gdiplus::Color kEmptyTop(255, 110, 110, 110);
const Gdiplus::Color kBlack(255, 0, 0, 0);

// Not a more exact 2 pi: the marker's angle is defined with this value.
const double kMarkerTurn = 6.28318;

const Gdiplus::REAL kTextPoints = 8.0f;
const int kSwatchSize = 10;

Gdiplus::RectF ToRectF(const CRect &rect)
{
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
}

// A label of the language library followed by a size; a label without its colon gets one.
CString SizeLine(UINT label, ULONGLONG bytes)
{
    CString line = AfxLoadText(label);
    if (!line.IsEmpty() && line[line.GetLength() - 1] != L':')
        line += L":";
    line += L" ";
    line += FormatSizeUnits(bytes);
    return line;
}

void FillSectors(Gdiplus::Graphics &graphics, const CRect &box, const PieSweeps &sweeps, const Gdiplus::Color &used,
                 const Gdiplus::Color &added, const Gdiplus::Color &free)
{
    const struct
    {
        const Gdiplus::Color &colour;
        int start;
        int sweep;
    } sectors[] = {
        {used, 0, sweeps.used},
        {added, sweeps.used, sweeps.added},
        {free, sweeps.used + sweeps.added, sweeps.free},
    };
    for (const auto &sector : sectors)
    {
        if (sector.sweep <= 0)
            continue;
        Gdiplus::SolidBrush brush(sector.colour);
        graphics.FillPie(&brush, box.left, box.top, box.Width(), box.Height(), static_cast<Gdiplus::REAL>(sector.start),
                         static_cast<Gdiplus::REAL>(sector.sweep));
    }
}

void FillDisc(Gdiplus::Graphics &graphics, const CRect &box, const Gdiplus::Color &colour)
{
    Gdiplus::SolidBrush brush(colour);
    graphics.FillEllipse(&brush, box.left, box.top, box.Width(), box.Height());
}

void DrawLine(Gdiplus::Graphics &graphics, const CString &text, const Gdiplus::Font *font, const CRect &box,
              Gdiplus::StringAlignment alignment = Gdiplus::StringAlignmentNear)
{
    if (font == nullptr || text.IsEmpty())
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(alignment);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    Gdiplus::SolidBrush brush(kBlack);
    graphics.DrawString(text, text.GetLength(), font, ToRectF(box), &format, &brush);
}

std::unique_ptr<Gdiplus::Pen> MarkerPen()
{
    std::unique_ptr<Gdiplus::Pen> pen(new Gdiplus::Pen(kBlack, 1.0f));
    const Gdiplus::REAL dashes[] = {5.0f, 2.0f};
    pen->SetDashPattern(dashes, 2);
    return pen;
}

} // namespace

PieSweeps ComputePieSweeps(ULONGLONG total, ULONGLONG used, ULONGLONG added)
{
    PieSweeps sweeps = {0, 0, 0};
    if (total == 0)
        return sweeps;
    sweeps.used = static_cast<int>(std::max<ULONGLONG>(used * 360 / total, 1));
    sweeps.added = static_cast<int>(std::max<ULONGLONG>(added * 360 / total, 1));
    sweeps.free = 360 - sweeps.used - sweeps.added;
    if (sweeps.free < 0)
    {
        sweeps.free = 0;
        sweeps.added = 360 - sweeps.used;
    }
    return sweeps;
}

PieGeometry ComputePieGeometry(const CRect &quarter)
{
    PieGeometry geometry = {};
    const int w = quarter.Width();
    const int h = quarter.Height();
    geometry.centreX = quarter.left + w / 2;
    geometry.centreY = quarter.top + h / 2;
    geometry.a = w / 2 - 16;
    geometry.b = w / 4 - 15;
    geometry.box.SetRect(geometry.centreX - geometry.a, geometry.centreY - geometry.b, geometry.centreX + geometry.a,
                         geometry.centreY + geometry.b);
    geometry.drawable = geometry.a > 0 && geometry.b > 0 && geometry.box.top - kPieLayers >= quarter.top;
    return geometry;
}

bool PieMarkerLine(const PieGeometry &geometry, int threshold, POINT &from, POINT &to)
{
    if (threshold < 50 || threshold > 100)
        return false;
    const double angle = (100 - threshold) * kMarkerTurn / 100;
    from.x = geometry.centreX;
    from.y = geometry.centreY - kPieLayers;
    to.x = geometry.centreX + static_cast<int>(geometry.a * std::cos(angle));
    to.y = geometry.centreY - kPieLayers - static_cast<int>(geometry.b * std::sin(angle));
    return true;
}

void DrawSizePie(Gdiplus::Graphics &graphics, const CRect &quarter, const DriveUsageFigures &figures)
{
    const PieGeometry geometry = ComputePieGeometry(quarter);
    if (!geometry.drawable)
        return;
    CRect box = geometry.box;
    if (figures.total == 0)
    {
        for (int layer = 0; layer < kPieLayers; ++layer)
        {
            FillDisc(graphics, box, kEmptySide);
            box.OffsetRect(0, -1);
        }
        FillDisc(graphics, box, kEmptyTop);
        return;
    }
    const PieSweeps sweeps = ComputePieSweeps(figures.total, figures.used, figures.added);
    for (int layer = 0; layer < kPieLayers; ++layer)
    {
        FillSectors(graphics, box, sweeps, kUsedSide, kAddedSide, kFreeSide);
        box.OffsetRect(0, -1);
    }
    FillSectors(graphics, box, sweeps, kUsedTop, kAddedTop, kFreeTop);

    POINT from = {};
    POINT to = {};
    if (PieMarkerLine(geometry, figures.warningThreshold, from, to))
    {
        std::unique_ptr<Gdiplus::Pen> pen = MarkerPen();
        graphics.DrawLine(pen.get(), static_cast<INT>(from.x), static_cast<INT>(from.y), static_cast<INT>(to.x),
                          static_cast<INT>(to.y));
    }
}

void DrawSizePieWidget(Gdiplus::Graphics &graphics, const CRect &rect, const DriveUsageFigures &figures)
{
    Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
    graphics.FillRectangle(&white, ToRectF(rect));
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(L"Arial", kTextPoints, Gdiplus::FontStyleRegular);
    std::unique_ptr<Gdiplus::Font> bold = CreateSkinFont(L"Arial", kTextPoints, Gdiplus::FontStyleBold);

    const int middleY = rect.top + rect.Height() / 2;
    const int middleX = rect.left + rect.Width() / 2;
    // The top half: the name, then one line per figure.
    const CString lines[] = {figures.name, SizeLine(IDS_DRIVE_CAPACITY, figures.total),
                             SizeLine(IDS_DRIVE_USED, figures.used), SizeLine(IDS_DRIVE_FREE, figures.free),
                             SizeLine(IDS_MAIN_BACKUP, figures.added)};
    const int lineHeight = std::max(1L, (middleY - rect.top) / static_cast<LONG>(ARRAYSIZE(lines)));
    for (size_t i = 0; i < ARRAYSIZE(lines); ++i)
    {
        const int top = rect.top + static_cast<int>(i) * lineHeight;
        DrawLine(graphics, lines[i], i == 0 ? bold.get() : font.get(),
                 CRect(rect.left + 4, top, rect.right - 4, top + lineHeight));
    }

    // The bottom-left quarter: a swatch of each sector's top colour and, when the marker is drawn, its line.
    const struct
    {
        Gdiplus::Color colour;
        UINT text;
    } legend[] = {{kUsedTop, IDS_LEGEND_USED}, {kAddedTop, IDS_LEGEND_ADDED}, {kFreeTop, IDS_LEGEND_FREE}};
    const int rowHeight = std::max(1L, (rect.bottom - middleY) / 4);
    int top = middleY;
    for (const auto &entry : legend)
    {
        Gdiplus::SolidBrush swatch(entry.colour);
        const int swatchTop = top + (rowHeight - kSwatchSize) / 2;
        graphics.FillRectangle(&swatch, rect.left + 4, swatchTop, kSwatchSize, kSwatchSize);
        DrawLine(graphics, AfxLoadText(entry.text), font.get(),
                 CRect(rect.left + 8 + kSwatchSize, top, middleX, top + rowHeight));
        top += rowHeight;
    }
    if (figures.warningThreshold >= 50 && figures.warningThreshold <= 100)
    {
        std::unique_ptr<Gdiplus::Pen> pen = MarkerPen();
        graphics.DrawLine(pen.get(), rect.left + 4, top + rowHeight / 2, rect.left + 4 + kSwatchSize,
                          top + rowHeight / 2);
        DrawLine(graphics, AfxLoadText(IDS_LEGEND_WARNING), font.get(),
                 CRect(rect.left + 8 + kSwatchSize, top, middleX, top + rowHeight));
    }

    DrawSizePie(graphics, CRect(middleX, middleY, rect.right, rect.bottom), figures);
}

void DrawDriveBarWidget(Gdiplus::Graphics &graphics, const CRect &rect, const DriveUsageFigures &figures,
                        Gdiplus::Image *emptyImage, Gdiplus::Image *usedImage)
{
    if (rect.IsRectEmpty())
        return;
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(L"Arial", kTextPoints, Gdiplus::FontStyleRegular);
    std::unique_ptr<Gdiplus::Font> bold = CreateSkinFont(L"Arial", kTextPoints, Gdiplus::FontStyleBold);

    const int third = rect.Height() / 3;
    const CRect top(rect.left, rect.top, rect.right, rect.top + third);
    const CRect bar(rect.left, rect.top + third, rect.right, rect.bottom - third);
    const CRect bottom(rect.left, rect.bottom - third, rect.right, rect.bottom);

    DrawLine(graphics, figures.name, bold.get(), top);
    CString usage = SizeLine(IDS_DRIVE_USED, figures.used);
    usage += L"   ";
    usage += SizeLine(IDS_DRIVE_FREE, figures.free);
    DrawLine(graphics, usage, font.get(), top, Gdiplus::StringAlignmentFar);

    if (IsSkinImageValid(emptyImage))
        graphics.DrawImage(emptyImage, bar.left, bar.top, bar.Width(), bar.Height());
    const int usedWidth = SkinProgressShare(bar.Width(), figures.used, figures.total);
    if (usedWidth > 0 && IsSkinImageValid(usedImage))
    {
        // The used image's own left share, so that its rounded end stays at the bar's start.
        const int sourceWidth =
            static_cast<int>(static_cast<LONGLONG>(usedImage->GetWidth()) * usedWidth / bar.Width());
        graphics.DrawImage(usedImage, Gdiplus::Rect(bar.left, bar.top, usedWidth, bar.Height()), 0, 0,
                           std::max(1, sourceWidth), static_cast<INT>(usedImage->GetHeight()), Gdiplus::UnitPixel);
    }

    DrawLine(graphics, SizeLine(IDS_DRIVE_CAPACITY, figures.total), font.get(), bottom);
    if (figures.hasScanner)
    {
        CString added = AfxLoadText(IDS_LEGEND_ADDED);
        added += L": ";
        added += FormatSizeUnits(figures.added);
        DrawLine(graphics, added, font.get(), bottom, Gdiplus::StringAlignmentFar);
    }
}

CString GetDriveDisplayName(const CString &path, DriveRecordMap &records)
{
    records.clear();
    if (path.IsEmpty())
        return CString();
    wchar_t root[MAX_PATH] = {};
    lstrcpynW(root, path, MAX_PATH);
    if (!::PathStripToRootW(root))
        return CString();
    std::unique_ptr<DriveRecord> record(new DriveRecord);
    record->root = root;
    if (!record->root.IsEmpty() && record->root[record->root.GetLength() - 1] != L'\\')
        record->root += L'\\';
    record->type = ::GetDriveTypeW(record->root);
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (::GetVolumeInformationW(record->root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
    {
        record->label = label;
        record->fileSystem = fileSystem;
    }
    // "E:" for a drive, the share itself for a network path.
    CString drive = record->root.Left(record->root.GetLength() - 1);
    const bool isLetter = drive.GetLength() == 2 && drive[1] == L':';
    if (record->label.IsEmpty())
        record->displayName.Format(IDS_DRIVE_NAME_PLAIN, drive.GetString());
    else
        record->displayName.Format(IDS_DRIVE_NAME_WITH_LABEL, record->label.GetString(), drive.GetString());
    const CString name = record->displayName;
    const DWORD key = isLetter ? static_cast<DWORD>(::towupper(drive[0]) - L'A') : 0xFFFFFFFFu;
    records[key] = std::move(record);
    return name;
}

void QueryDriveSpace(const CString &path, DriveUsageFigures &figures)
{
    figures.total = 0;
    figures.used = 0;
    figures.free = 0;
    if (path.IsEmpty())
        return;
    ULONGLONG total = 0;
    ULONGLONG used = 0;
    ULONGLONG free = 0;
    if (GetPathDiskSpace(path, total, used, free))
    {
        figures.total = total;
        figures.used = used;
        figures.free = free;
    }
}
