// Numbers of the resources that the programs hold themselves (not the language library).
#pragma once

// The message box: its template and its text static.
#define IDD_SKIN_MESSAGE_BOX 369
#define IDC_SKIN_MESSAGE_TEXT 1138
