// The drawing resources that every job list view shares: the images of the cards and of the empty view's
// three large buttons, fonts, brushes, colours and texts. They are made once (CJobListView::LoadImages; GDI+
// must be running) and freed before GDI+ shuts down (CJobListView::FreeImages). A missing image is kept as a
// failed image and left out when drawing.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "platform/text/String.h"

// The three large buttons of the empty view, in their hit-test order.
enum JobListLargeButton
{
    LARGE_BUTTON_ADD_JOB,
    LARGE_BUTTON_BACKUP,
    LARGE_BUTTON_RESTORE,
    LARGE_BUTTON_COUNT
};

// A large button's pictures: normal, under the pointer, pressed.
enum JobListLargeButtonLook
{
    LARGE_LOOK_NORMAL,
    LARGE_LOOK_OVER,
    LARGE_LOOK_DOWN,
    LARGE_LOOK_COUNT
};

enum JobListCardImage
{
    CARD_IMAGE_BODY,             // "main.png": the expanded card
    CARD_IMAGE_BOTTOM,           // "bottom1+11.png": the band under the buttons' captions
    CARD_IMAGE_HEADER_COLLAPSED, // "bottom2+01.png": the header of a collapsed card, the collapsed height
    CARD_IMAGE_HEADER_EXPANDED,  // "bottom2+11.png"
    CARD_IMAGE_HEADER_SELECTED,  // "bottom2+2.png": laid over the header of the selected card
    CARD_IMAGE_TRIANGLE_OPEN,    // "triangle1.png"
    CARD_IMAGE_TRIANGLE_CLOSED,  // "triangle2.png"
    CARD_IMAGE_ONE_WAY,          // "one-way.png": sync type 0
    CARD_IMAGE_TWO_WAY,          // "two-way.png": sync type 1
    CARD_IMAGE_SYNC_WAY,         // "sync-way.png": sync type 2
    CARD_IMAGE_RUN_BUTTON,       // "backupimg.png": four-frame strip of the run button
    CARD_IMAGE_SECOND_BUTTON,    // "restoreimg.png": four-frame strip of the second button
    CARD_IMAGE_DETAILS,          // "maintext.png": behind the card's details
    CARD_IMAGE_COUNT
};

struct JobListResources
{
    std::unique_ptr<Gdiplus::Image> largeButtons[LARGE_BUTTON_COUNT][LARGE_LOOK_COUNT];
    std::unique_ptr<Gdiplus::Image> card[CARD_IMAGE_COUNT];

    std::unique_ptr<Gdiplus::Font> verdana9;
    std::unique_ptr<Gdiplus::Font> arial9;
    std::unique_ptr<Gdiplus::Font> arial8;
    std::unique_ptr<Gdiplus::Font> centuryGothic8; // italic

    std::unique_ptr<Gdiplus::SolidBrush> white;
    std::unique_ptr<Gdiplus::SolidBrush> slate;     // RGB 90, 113, 116
    std::unique_ptr<Gdiplus::SolidBrush> darkSlate; // RGB 81, 105, 109
    std::unique_ptr<Gdiplus::SolidBrush> grey;      // RGB 102, 102, 102

    Gdiplus::Color textColour{255, 81, 105, 109};
    Gdiplus::Color runningColour{255, 233, 70, 16};
    Gdiplus::Color linkColour{255, 52, 142, 216};

    CString runCaption;       // 369
    CString cancelCaption;    // 248
    CString addJobCaption;    // 201
    CString destinationLabel; // 515
    CString preparingText;    // 1246 and "..."
};

// The shared resources, or null before LoadJobListResources and after FreeJobListResources.
JobListResources *GetJobListResources();
// Frees what is loaded, then loads every image from the folder (with or without its trailing backslash), the
// fonts, brushes and texts (from the language library).
void LoadJobListResources(const CString &folder);
void FreeJobListResources();
