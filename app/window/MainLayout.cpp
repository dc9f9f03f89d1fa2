#include "app/window/MainLayout.h"

CLayoutRect g_layoutJobCard(0, 0, 560, 130);
CLayoutRect g_layoutText(kLayoutTextFirst.left, kLayoutTextFirst.top, kLayoutTextFirst.right, kLayoutTextFirst.bottom);
