// The shared skin images: one call loads them from a folder, another frees them.
#include "platform/drawing/GdiPlusSession.h"
#include "support/TestSupport.h"
#include "ui/skin/SkinGlobals.h"

#include <gtest/gtest.h>

namespace
{

class SkinImagesShared : public testing::Test
{
  protected:
    void TearDown() override
    {
        FreeSharedSkinImages();
    }
    CGdiPlusSession m_gdiplus;
};

} // namespace

TEST_F(SkinImagesShared, SlotsFollowTheProgramsLoadingOrder)
{
    const wchar_t *names[] = {L"backup.png",  L"Restore.png", L"Cancel.png",        L"help_4.png",
                              L"close_4.png", L"min_4.png",   L"brenmark_logo.png", L"Orvane_Logo.png"};
    for (int i = 0; i < SKIN_IMAGE_COUNT; ++i)
        EXPECT_STREQ(SkinImageFileName(static_cast<SkinImageSlot>(i)), names[i]);
    EXPECT_STREQ(SkinBarImageFileName(SKIN_BAR_EMPTY), L"progress_empty.png");
    EXPECT_STREQ(SkinBarImageFileName(SKIN_BAR_USED), L"progress_used.png");
    EXPECT_STREQ(SkinImageFileName(SKIN_IMAGE_COUNT), L"");
}

TEST_F(SkinImagesShared, LoadFromTheBuiltSkinFolderAndFree)
{
    ASSERT_TRUE(m_gdiplus.IsStarted());
    LoadSharedSkinImages(testsupport::SkinFolder().c_str());
    for (Gdiplus::Image *image : g_skinImages)
        EXPECT_NE(image, nullptr);
    EXPECT_TRUE(IsSkinImageValid(g_skinImages[SKIN_IMAGE_CLOSE]));
    EXPECT_EQ(g_skinImages[SKIN_IMAGE_CLOSE]->GetWidth(), 4 * g_skinImages[SKIN_IMAGE_CLOSE]->GetHeight());
    EXPECT_TRUE(IsSkinImageValid(g_skinBarImages[SKIN_BAR_EMPTY]));
    EXPECT_TRUE(IsSkinImageValid(g_skinBarImages[SKIN_BAR_USED]));

    // Loading again replaces the images.
    CString withoutBackslash = testsupport::SkinFolder().c_str();
    withoutBackslash = withoutBackslash.Left(withoutBackslash.GetLength() - 1);
    LoadSharedSkinImages(withoutBackslash);
    EXPECT_TRUE(IsSkinImageValid(g_skinImages[SKIN_IMAGE_CLOSE]));

    FreeSharedSkinImages();
    for (Gdiplus::Image *image : g_skinImages)
        EXPECT_EQ(image, nullptr);
    for (Gdiplus::Image *image : g_skinBarImages)
        EXPECT_EQ(image, nullptr);
    FreeSharedSkinImages(); // twice is harmless
}

TEST_F(SkinImagesShared, MissingFilesGiveFailedImagesNotNullSlots)
{
    testsupport::TempFolder folder;
    ASSERT_TRUE(testsupport::WriteFileBytes(folder / L"close_4.png", "not a picture"));
    LoadSharedSkinImages(folder.Path().c_str());
    for (Gdiplus::Image *image : g_skinImages)
    {
        ASSERT_NE(image, nullptr);
        // Asked twice: GDI+ clears an image's last status when it is read, which must not make it valid.
        EXPECT_FALSE(IsSkinImageValid(image));
        EXPECT_FALSE(IsSkinImageValid(image));
    }
    for (Gdiplus::Image *image : g_skinBarImages)
    {
        ASSERT_NE(image, nullptr);
        EXPECT_FALSE(IsSkinImageValid(image));
    }
    EXPECT_FALSE(IsSkinImageValid(nullptr));

    LoadSharedSkinImages(L"");
    EXPECT_NE(g_skinImages[SKIN_IMAGE_CLOSE], nullptr);
    EXPECT_FALSE(IsSkinImageValid(g_skinImages[SKIN_IMAGE_CLOSE]));
}
