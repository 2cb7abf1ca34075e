#pragma once
// Numbers of the window's resources and of the profile choice's controls, shared by
// the resource script (windres) and the code: plain macros, which windres reads.

#define VOR_ICON_PROGRAM 1
#define VOR_ICON_STATUS_RUNNING 2
#define VOR_ICON_STATUS_INFO 3
#define VOR_ICON_STATUS_ERROR 4
#define VOR_BITMAP_BANNER 10
#define VOR_BITMAP_DEEP_SLEEP 11
#define VOR_BITMAP_BANNER_LARGE 12  // drawn at twice the size, for scaled screens
#define VOR_BITMAP_DEEP_SLEEP_LARGE 13

#define VOR_DIALOG_PROFILE_CHOICE 20
#define VOR_CHOICE_TEXT 21
#define VOR_CHOICE_ICON 22
#define VOR_CHOICE_USE_SAVED 23
#define VOR_CHOICE_KEEP_DC 24
