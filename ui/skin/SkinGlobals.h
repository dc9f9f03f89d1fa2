// The skin folder and the skin images that several windows share. The program loads the images once GDI+ is
// running and frees them before GDI+ shuts down; nothing frees them on its own.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "platform/text/String.h"

// Folder of the skin images, with a trailing backslash.
extern CString g_strSkinFolder;

// Slots of g_skinImages, in the order the program loads them.
enum SkinImageSlot
{
    SKIN_IMAGE_BACKUP,        // "backup.png"
    SKIN_IMAGE_RESTORE,       // "Restore.png"
    SKIN_IMAGE_CANCEL,        // "Cancel.png"
    SKIN_IMAGE_HELP,          // "help_4.png"
    SKIN_IMAGE_CLOSE,         // "close_4.png"
    SKIN_IMAGE_MINIMIZE,      // "min_4.png"
    SKIN_IMAGE_BRENMARK_LOGO, // "brenmark_logo.png"
    SKIN_IMAGE_ORVANE_LOGO,   // "Orvane_Logo.png"
    SKIN_IMAGE_COUNT
};
extern Gdiplus::Image *g_skinImages[SKIN_IMAGE_COUNT];

// The two images of a skinned progress bar, loaded and freed with the shared images.
enum SkinBarImageSlot
{
    SKIN_BAR_EMPTY, // "progress_empty.png"
    SKIN_BAR_USED,  // "progress_used.png"
    SKIN_BAR_IMAGE_COUNT
};
extern Gdiplus::Image *g_skinBarImages[SKIN_BAR_IMAGE_COUNT];

// The main window's own images, which its painting and its pages read; the main window loads them when it is
// built and frees them when it goes.
enum MainSkinImageSlot
{
    MAIN_SKIN_MAIN,             // "main.png"
    MAIN_SKIN_RESTORE_OPTIONS,  // "restoreoptionswtext.png"
    MAIN_SKIN_RESTORE_EZ_BLANK, // "restoreezblank.png"
    MAIN_SKIN_RESTORE_ADVANCED, // "restoreadv.png"
    MAIN_SKIN_SD5,              // "sd5_01.png"
    MAIN_SKIN_BOTTOM_1_11,      // "bottom1+11.png"
    MAIN_SKIN_BOTTOM_1_2,       // "bottom1+2.png"
    MAIN_SKIN_BOTTOM_2_2,       // "bottom2+2.png"
    MAIN_SKIN_IMAGE_COUNT
};
extern Gdiplus::Image *g_mainSkinImages[MAIN_SKIN_IMAGE_COUNT];

// The file name of each slot.
LPCWSTR SkinImageFileName(SkinImageSlot slot);
LPCWSTR SkinBarImageFileName(SkinBarImageSlot slot);
LPCWSTR MainSkinImageFileName(MainSkinImageSlot slot);

// Frees any images held, then loads every shared image from folder (with or without a trailing backslash).
// A missing or unreadable file gives a failed image (not valid, see below), never a null slot (a slot is null only
// when the allocation failed). GDI+ must be running.
void LoadSharedSkinImages(const CString &folder);
// Deletes the shared images and empties their slots; call before GDI+ shuts down.
void FreeSharedSkinImages();
// The same for the main window's images (as LoadSharedSkinImages and FreeSharedSkinImages do).
void LoadMainSkinImages(const CString &folder);
void FreeMainSkinImages();

// True when image is not null, loaded and not empty.
bool IsSkinImageValid(Gdiplus::Image *image);

// A GDI+ font of the given face, size in points and style. When GDI+ does not know the face (its own font list
// is narrower than GDI's), the face that GDI substitutes for it is used, so text is never lost for a missing
// face; null only when no font at all could be made.
std::unique_ptr<Gdiplus::Font> CreateSkinFont(LPCWSTR face, Gdiplus::REAL points, INT style);
