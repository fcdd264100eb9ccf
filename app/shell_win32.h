// State of the application shell that the other Win32 parts use: the main
// window, the module instance, the one message log, and the menu check mark.
#pragma once
#include <windows.h>

#include "log/message_log.h"

extern HWND mainWindow;
extern HINSTANCE instance;
extern MessageLog messageLog;

constexpr const char kMainWindowTitle[] = "VORNAK - Application Specific Message - Integration Client";

// Sets or clears the check mark of a menu item of `window`; returns `checked`.
BOOL SetMenuCheck(HWND window, UINT item, BOOL checked);

// The WM_COMMAND id that tells the main window a reader stored a message of
// `kind` (kSlotVdm, kSlotVdo or kSlotAbk) in the slot its parameter names.
UINT LogCommandOf(int32_t kind);

// Invalidates the timeline's plot rectangle without erasing.
void RepaintTimeline(HWND window);

// The window is created 800 by 400 and then grows by what lies below the
// timeline: from then on its client area keeps `height`.
void SetMainClientHeight(HWND window, int height);
// WM_SIZE: the menu bar took or gave back a line; the window's height follows.
void KeepMainClientHeight(HWND window);

// The main window's procedure, registered with the window class.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
