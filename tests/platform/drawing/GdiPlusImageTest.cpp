// The skin images drawn by the build load through GDI+ as the skinned windows load them.
#include "platform/drawing/GdiPlusSession.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <objidl.h>
#include <gdiplus.h>

TEST(SkinImages, CloseStripLoadsAsFourSquareFrames)
{
    CGdiPlusSession gdiplus;
    ASSERT_TRUE(gdiplus.IsStarted());
    {
        std::wstring path = testsupport::SkinFolder() + L"close_4.png";
        std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(path.c_str()));
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok) << "cannot load " << std::string(path.begin(), path.end());
        EXPECT_EQ(image->GetWidth() % 4, 0u);
        EXPECT_EQ(image->GetWidth() / 4, image->GetHeight());

        // The frames differ (normal, hover, pressed, disabled) and the corners stay transparent.
        Gdiplus::Bitmap *bitmap = static_cast<Gdiplus::Bitmap *>(image.get());
        UINT frame = image->GetWidth() / 4;
        Gdiplus::Color corner, normal, disabled;
        bitmap->GetPixel(0, 0, &corner);
        bitmap->GetPixel(frame / 2, 2, &normal);
        bitmap->GetPixel(3 * frame + frame / 2, 2, &disabled);
        EXPECT_EQ(corner.GetA(), 0);
        EXPECT_EQ(normal.GetA(), 255);
        EXPECT_NE(normal.GetValue(), disabled.GetValue());
    }
}

TEST(SkinImages, MissingImageFailsWithoutCrashing)
{
    CGdiPlusSession gdiplus;
    testsupport::TempFolder folder;
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile((folder / L"absent.png").c_str()));
    ASSERT_NE(image, nullptr);
    EXPECT_NE(image->GetLastStatus(), Gdiplus::Ok);
}
