// Resource and control ids of the screen saver.
#pragma once

#define IDS_DESCRIPTION 1  // the name the display control panel lists
#define IDI_TAVOL_NUMBERED 100
#define IDD_SETTINGS 2003

#define IDC_SECONDS_UPDOWN 1000
#define IDC_ABOUT 1001
#define IDC_SECONDS 1002
