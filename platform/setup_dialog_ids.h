// The setup dialog's resource numbers, shared by its resource script and its
// Windows code. Run and Quit are the system's IDOK (1) and IDCANCEL (2).
#pragma once

#define IDD_SETUP 101
#define IDC_ANTIALIASED 1011
#define IDC_WINDOWED 1012
#define IDC_FORCE_16_9 1013
#define IDC_MODES 1014
