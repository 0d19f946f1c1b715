// The numbers of the screen saver's resources and of the settings
// dialog's controls, shared by coderain.rc and the code.
#pragma once

#define IDD_SETTINGS 100
#define IDC_EVERY_MONITOR 101
#define IDC_FOLDER 102
#define IDC_BROWSE 103
#define IDC_OWN_FOLDER 104
#define IDC_SCALE 105
#define IDC_FPS 106
#define IDC_FPS_SPIN 107
#define IDC_HALF_ON_BATTERY 108
