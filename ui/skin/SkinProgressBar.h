// The skinned horizontal progress bar: the shared bar images with a centred percentage.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "platform/text/String.h"

// Draws "progress_empty.png" stretched over rect, then the left share pos/max of "progress_used.png" over the
// same share of rect, then "N%" centred in Tahoma 8 bold black. pos is clamped to max; max 0 draws 0 %. An image
// that is missing or failed is left out (the text is still drawn); an empty rect draws nothing.
void DrawSkinProgressBar(Gdiplus::Graphics &graphics, const RECT &rect, ULONGLONG pos, ULONGLONG max);

// The whole percentage (0-100, rounded down) of pos out of max, pos clamped to max; 0 when max is 0.
int SkinProgressPercent(ULONGLONG pos, ULONGLONG max);
// The part of a length (0 or more) that pos out of max covers, rounded down, on the same terms.
int SkinProgressShare(int length, ULONGLONG pos, ULONGLONG max);
// The bar's text: the percentage followed by "%".
CString SkinProgressText(ULONGLONG pos, ULONGLONG max);
