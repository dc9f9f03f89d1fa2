// How the drive usage widgets draw: the pie of a destination drive (used, to be added, free after the addition)
// drawn as a disc twelve pixels thick, and the usage bar of the removable drive. The widgets' windows paint
// through these functions; they need only a GDI+ graphics object, so they draw on any bitmap.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <map>
#include <memory>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

// What a widget shows of a drive.
struct DriveUsageFigures
{
    CString name;             // the drive's display name
    ULONGLONG total = 0;      // bytes of the volume
    ULONGLONG used = 0;       // total - free
    ULONGLONG free = 0;       // free bytes
    ULONGLONG added = 0;      // the scanner's total: what a backup would add
    BOOL hasScanner = FALSE;  // the widget follows a scanner
    int warningThreshold = 0; // the pie's warning level in percent; drawn only from 50 to 100
};

// The three sectors of the pie in degrees: used, to be added, free after the addition. The first two are
// U * 360 / T and S * 360 / T (unsigned 64-bit division), each at least 1; the third is what is left of the
// circle, never below 0: when the first two overrun it the added sector is cut to what the used one leaves.
struct PieSweeps
{
    int used;
    int added;
    int free;
};
// total must not be 0 (a drive of no size is drawn as a plain grey disc).
PieSweeps ComputePieSweeps(ULONGLONG total, ULONGLONG used, ULONGLONG added);

// The disc's place in its quarter of the widget (all integer, divisions truncated): centre in the middle of the
// quarter, horizontal half-axis a = w / 2 - 16, vertical half-axis b = w / 4 - 15.
struct PieGeometry
{
    int centreX;
    int centreY;
    int a;
    int b;
    CRect box;     // the ellipse of the lowest layer
    bool drawable; // false when a or b is not above 0, or the disc's top (box.top - 12) leaves the quarter
};
PieGeometry ComputePieGeometry(const CRect &quarter);

// The disc's thickness: twelve layers, each one pixel above the last; the top lies this far above the box.
constexpr int kPieLayers = 12;

// The warning marker: a line from the top's centre towards the threshold's place on the rim (100 points right,
// 75 up, 50 left). False, with no line, for a threshold outside 50 to 100.
bool PieMarkerLine(const PieGeometry &geometry, int threshold, POINT &from, POINT &to);

// The disc in the quarter: twelve layers of side colours and the top, the grey disc when total is 0, and the
// marker (dashed black, 5 drawn and 2 left out). Nothing when the geometry is not drawable.
void DrawSizePie(Gdiplus::Graphics &graphics, const CRect &quarter, const DriveUsageFigures &figures);

// The whole pie widget over rect on a white ground: the drive's name and sizes in the top half, the legend in
// the bottom-left quarter, the disc in the bottom-right quarter.
void DrawSizePieWidget(Gdiplus::Graphics &graphics, const CRect &rect, const DriveUsageFigures &figures);

// The usage bar over rect: the drive's name and its used and free space above, the bar (the empty image
// stretched over its place, the used image over the used share), and below it the capacity and, while a
// scanner is followed, the size of the backup. A missing image is left out.
void DrawDriveBarWidget(Gdiplus::Graphics &graphics, const CRect &rect, const DriveUsageFigures &figures,
                        Gdiplus::Image *emptyImage, Gdiplus::Image *usedImage);

// One drive as the widgets record it while they name it.
struct DriveRecord
{
    UINT type = DRIVE_UNKNOWN;
    CString root;
    CString label;
    CString fileSystem;
    CString displayName;
};
// Keyed by the drive's letter (0 for A:), or 0xFFFFFFFF for a network share.
typedef std::map<DWORD, std::unique_ptr<DriveRecord>> DriveRecordMap;

// The display name of the drive that holds path: the volume label and the drive ("BACKUP (E:)", string 422), or
// string 423 with the drive alone when it has no label. Empties records first, then records the drive. An empty
// path gives an empty name and queries nothing.
CString GetDriveDisplayName(const CString &path, DriveRecordMap &records);

// The drive's sizes by GetPathDiskSpace; all 0 for an empty path (which queries nothing) or a failed query.
void QueryDriveSpace(const CString &path, DriveUsageFigures &figures);
