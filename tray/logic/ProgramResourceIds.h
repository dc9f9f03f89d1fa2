// Numbers of the own resources of the tray program and of the starter, which both programs use alike: the
// window title and class strings, the icons, the about box, the window menu and its accelerators.
#pragma once

#define IDS_PROGRAM_TITLE 103
#define IDS_PROGRAM_CLASS 109
#define IDD_PROGRAM_ABOUT 103
#define IDI_PROGRAM 107
#define IDI_PROGRAM_SMALL 108
#define IDR_PROGRAM_MENU 109
#define IDR_PROGRAM_ACCELERATORS 109

// Commands of the window menu
#define IDM_PROGRAM_ABOUT 104
#define IDM_PROGRAM_EXIT 105
