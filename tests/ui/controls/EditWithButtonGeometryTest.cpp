// The edit box with a button without a window: its rectangles, the places of its frame pieces, and the frame
// bitmaps the program holds.
#include <gtest/gtest.h>

#include "platform/drawing/GdiObjects.h"
#include "ui/controls/EditWithButton.h"

TEST(EditWithButtonGeometry, TextAndButtonRectangles)
{
    editbutton::Areas areas = editbutton::AreasOf(CRect(0, 0, 200, 24));
    EXPECT_EQ(areas.text, CRect(7, 2, 170, 22));
    EXPECT_EQ(areas.button, CRect(175, 2, 195, 22));
    // Text and button never overlap.
    EXPECT_LE(areas.text.right, areas.button.left);
}

TEST(EditWithButtonGeometry, TinyClientsGiveEmptyRectanglesNotNegativeOnes)
{
    for (const CRect &client : {CRect(0, 0, 0, 0), CRect(0, 0, 20, 3), CRect(0, 0, 33, 30)})
    {
        editbutton::Areas areas = editbutton::AreasOf(client);
        EXPECT_GE(areas.text.Width(), 0);
        EXPECT_GE(areas.text.Height(), 0);
        EXPECT_GE(areas.button.Width(), 0);
        EXPECT_GE(areas.button.Height(), 0);
    }
}

TEST(EditWithButtonGeometry, PiecesFillTheWindowFromTwoPixelsAbove)
{
    editbutton::PiecePlaces places = editbutton::PlacePieces(200, 24, 6, 30);
    EXPECT_EQ(places.left, CRect(0, -2, 6, 22));
    EXPECT_EQ(places.middle, CRect(6, -2, 170, 22));
    EXPECT_EQ(places.right, CRect(170, -2, 200, 22));

    // Narrower than the two ends: no middle, and never a negative one.
    places = editbutton::PlacePieces(20, 24, 6, 30);
    EXPECT_EQ(places.middle.Width(), 0);
    // Pieces that did not load have no width.
    places = editbutton::PlacePieces(100, 20, 0, 0);
    EXPECT_EQ(places.middle, CRect(0, -2, 100, 18));
}

TEST(EditWithButtonGeometry, TheProgramHoldsBothFrames)
{
    const UINT sets[2][3] = {{IDB_EDIT_FRAME_LEFT, IDB_EDIT_FRAME_MIDDLE, IDB_EDIT_FRAME_RIGHT},
                             {IDB_EDIT_FRAME2_LEFT, IDB_EDIT_FRAME2_MIDDLE, IDB_EDIT_FRAME2_RIGHT}};
    for (const auto &set : sets)
    {
        int height = -1;
        for (UINT id : set)
        {
            CBitmap bitmap;
            ASSERT_TRUE(bitmap.LoadBitmap(id)) << id;
            BITMAP info = {};
            ASSERT_NE(bitmap.GetBitmap(&info), 0);
            EXPECT_GT(info.bmWidth, 0);
            if (height < 0)
                height = info.bmHeight;
            EXPECT_EQ(info.bmHeight, height) << id;
        }
        // The right piece covers the button area (25 pixels from the right edge) and the gap before it.
        CBitmap right;
        ASSERT_TRUE(right.LoadBitmap(set[2]));
        BITMAP info = {};
        right.GetBitmap(&info);
        EXPECT_GE(info.bmWidth, 25);
    }
}
