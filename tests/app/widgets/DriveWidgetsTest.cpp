// The drive usage widgets drawn on memory bitmaps: the pie's sectors, its thickness and grey disc, the warning
// marker, what a quarter too small draws, the drive's name and sizes of an empty path. The pie and the bar are
// left in the build folder as "pie.png" and "drivebar.png".
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/support/FaceTestSupport.h"
#include "setup/widgets/DriveUsageDrawing.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"

namespace
{

using testsupport::DibCanvas;

const COLORREF kWhite = RGB(255, 255, 255);
const ULONGLONG kGiB = 1024ull * 1024 * 1024;

class DriveWidgets : public facetest::FaceTest
{
  protected:
    // The pie alone over the whole canvas.
    static void DrawPie(DibCanvas &canvas, const DriveUsageFigures &figures)
    {
        Gdiplus::Graphics graphics(canvas.Dc());
        DrawSizePie(graphics, CRect(0, 0, canvas.Width(), canvas.Height()), figures);
    }

    // A point of the top ellipse at the angle (degrees clockwise from the x axis) and the share of the half-axes.
    static POINT OnTop(const PieGeometry &geometry, double degrees, double share)
    {
        const double radians = degrees * 3.14159265358979 / 180;
        return {geometry.centreX + static_cast<LONG>(geometry.a * share * std::cos(radians)),
                geometry.centreY - kPieLayers + static_cast<LONG>(geometry.b * share * std::sin(radians))};
    }
};

TEST_F(DriveWidgets, SweepsShareTheCircle)
{
    struct Case
    {
        const char *what;
        ULONGLONG total, used, added;
        PieSweeps sweeps;
    } cases[] = {
        {"a quarter used, a quarter to add", 360, 90, 90, {90, 90, 180}},
        {"300 and 100 degrees: the addition is cut, nothing is left free", 360, 300, 100, {300, 60, 0}},
        {"an addition larger than the free space", 100 * kGiB, 97 * kGiB, 5 * kGiB, {349, 11, 0}},
        {"tiny shares still show a degree", 1000 * kGiB, 1, 0, {1, 1, 358}},
        {"a full drive", 360, 360, 0, {360, 0, 0}},
    };
    for (const Case &c : cases)
    {
        const PieSweeps sweeps = ComputePieSweeps(c.total, c.used, c.added);
        EXPECT_EQ(sweeps.used, c.sweeps.used) << c.what;
        EXPECT_EQ(sweeps.added, c.sweeps.added) << c.what;
        EXPECT_EQ(sweeps.free, c.sweeps.free) << c.what;
    }
}

TEST_F(DriveWidgets, PieShowsEachSectorOnItsTopAndAGreyDiscForADriveOfNoSize)
{
    DibCanvas canvas(240, 160, kWhite);
    const PieGeometry geometry = ComputePieGeometry(CRect(0, 0, 240, 160));
    ASSERT_TRUE(geometry.drawable);

    DriveUsageFigures figures;
    figures.total = 400 * kGiB;
    figures.used = 200 * kGiB;  // 0 to 180 degrees: the lower half on the screen
    figures.added = 100 * kGiB; // 180 to 270
    DrawPie(canvas, figures);
    const struct
    {
        double degrees;
        COLORREF top;
    } sectors[] = {{90, RGB(255, 50, 255)}, {225, RGB(255, 240, 50)}, {315, RGB(140, 140, 255)}};
    for (const auto &sector : sectors)
    {
        const POINT point = OnTop(geometry, sector.degrees, 0.6);
        EXPECT_EQ(canvas.At(point.x, point.y), sector.top) << sector.degrees << " degrees";
    }
    // The side shows below the top: the used sector's side colour under the top's lowest point.
    EXPECT_EQ(canvas.At(geometry.centreX, geometry.box.bottom - kPieLayers / 2), RGB(204, 51, 0));

    canvas.Fill(kWhite);
    figures.total = 0;
    DrawPie(canvas, figures);
    EXPECT_EQ(canvas.At(geometry.centreX, geometry.centreY - kPieLayers), RGB(110, 110, 110));
    EXPECT_EQ(canvas.At(geometry.centreX, geometry.box.bottom - kPieLayers / 2), RGB(100, 100, 100));
}

TEST_F(DriveWidgets, MarkerPointsAtTheThresholdBetweenFiftyAndAHundred)
{
    const PieGeometry geometry = ComputePieGeometry(CRect(0, 0, 240, 160));
    const int topY = geometry.centreY - kPieLayers;
    struct Case
    {
        int threshold;
        bool drawn;
        int dx, dy; // the end's offset from the top's centre, within a pixel of truncation
    } cases[] = {
        {100, true, geometry.a, 0}, {75, true, 0, -geometry.b}, {50, true, -geometry.a, 0},
        {49, false, 0, 0},          {101, false, 0, 0},
    };
    for (const Case &c : cases)
    {
        POINT from = {};
        POINT to = {};
        ASSERT_EQ(PieMarkerLine(geometry, c.threshold, from, to), c.drawn) << c.threshold;
        if (!c.drawn)
            continue;
        EXPECT_EQ(from.x, geometry.centreX);
        EXPECT_EQ(from.y, topY);
        EXPECT_NEAR(to.x - from.x, c.dx, 1) << c.threshold;
        EXPECT_NEAR(to.y - from.y, c.dy, 1) << c.threshold;
    }

    // Drawn, the marker of 100 is a dashed black line along the top's middle row to the right.
    DibCanvas canvas(240, 160, kWhite);
    DriveUsageFigures figures;
    figures.total = 100;
    figures.used = 50;
    figures.warningThreshold = 100;
    DrawPie(canvas, figures);
    const CRect markerRow(geometry.centreX, topY, geometry.centreX + geometry.a, topY + 1);
    EXPECT_GT(canvas.Count(markerRow, RGB(0, 0, 0)), geometry.a / 2);
    figures.warningThreshold = 49;
    canvas.Fill(kWhite);
    DrawPie(canvas, figures);
    EXPECT_EQ(canvas.Count(markerRow, RGB(0, 0, 0)), 0);
}

TEST_F(DriveWidgets, AQuarterTooSmallForTheDiscDrawsNothing)
{
    // a = 0; b = 0; the disc's top above the quarter.
    const CRect quarters[] = {CRect(0, 0, 32, 100), CRect(0, 0, 60, 100), CRect(0, 0, 200, 24)};
    for (const CRect &quarter : quarters)
    {
        EXPECT_FALSE(ComputePieGeometry(quarter).drawable) << quarter.Width() << "x" << quarter.Height();
        DibCanvas canvas(quarter.Width(), quarter.Height(), kWhite);
        DriveUsageFigures figures;
        figures.total = 10;
        figures.used = 5;
        DrawPie(canvas, figures);
        EXPECT_EQ(canvas.Count(CRect(0, 0, canvas.Width(), canvas.Height()), kWhite), canvas.Width() * canvas.Height());
    }
}

TEST_F(DriveWidgets, AnEmptyPathHasNoSizesAndNoName)
{
    DriveUsageFigures figures;
    figures.total = figures.used = figures.free = 5;
    QueryDriveSpace(CString(), figures);
    EXPECT_EQ(figures.total + figures.used + figures.free, 0u);
    DriveRecordMap records;
    records[3].reset(new DriveRecord);
    EXPECT_EQ(GetDriveDisplayName(CString(), records), CString());
    EXPECT_TRUE(records.empty()) << "the records are emptied first";

    QueryDriveSpace(m_folder.Path().c_str(), figures);
    EXPECT_GT(figures.total, 0u);
    EXPECT_EQ(figures.used + figures.free, figures.total);
    const CString name = GetDriveDisplayName(m_folder.Path().c_str(), records);
    EXPECT_NE(name.Find(CString(m_folder.Path().substr(0, 2).c_str())), -1) << CStringA(name).GetString();
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(DriveWidgets, PieAndBarAsAPersonSeesThem)
{
    DriveUsageFigures figures;
    figures.name = L"BACKUP (E:)";
    figures.total = 16 * kGiB;
    figures.used = 9 * kGiB;
    figures.free = 7 * kGiB;
    figures.added = 3 * kGiB;
    figures.hasScanner = TRUE;
    figures.warningThreshold = 85;

    DibCanvas pie(360, 240, RGB(0, 0, 0));
    {
        Gdiplus::Graphics graphics(pie.Dc());
        DrawSizePieWidget(graphics, CRect(0, 0, pie.Width(), pie.Height()), figures);
    }
    EXPECT_EQ(pie.At(2, 2), kWhite) << "the widget's ground";
    EXPECT_TRUE(pie.SavePng(facetest::PicturePath(L"pie.png")));

    const std::wstring skin = testsupport::SkinFolder();
    std::unique_ptr<Gdiplus::Image> empty(new Gdiplus::Image((skin + L"progress_empty.png").c_str()));
    std::unique_ptr<Gdiplus::Image> used(new Gdiplus::Image((skin + L"progress_used.png").c_str()));
    DibCanvas bar(330, 42, RGB(222, 242, 255));
    {
        Gdiplus::Graphics graphics(bar.Dc());
        DrawDriveBarWidget(graphics, CRect(0, 0, bar.Width(), bar.Height()), figures, empty.get(), used.get());
    }
    // The used share (9 of 16) of the bar's middle row is the used image's green, the rest the empty track.
    const int middle = bar.Height() / 2;
    const COLORREF usedColour = bar.At(bar.Width() * 9 / 16 / 2, middle);
    const COLORREF freeColour = bar.At(bar.Width() * 9 / 16 + (bar.Width() * 7 / 16) / 2, middle);
    EXPECT_GT(GetGValue(usedColour), GetRValue(usedColour)) << "green over the used share";
    EXPECT_NE(usedColour, freeColour);
    EXPECT_TRUE(bar.SavePng(facetest::PicturePath(L"drivebar.png")));
}

} // namespace
