// The timeline in the main window: its back buffer, painting, hover read-out
// and click. Main thread only.
#pragma once
#include <windows.h>

// At WM_CREATE, after the log is emptied: geometry and back buffer.
void LayoutTimeline(HWND window);
void PaintTimeline(HWND window);
// For each noted message: at once, or at the end of the current repaint
// interval when one was shown just before (WM_TIMER goes to OnRepaintTimer).
void RepaintTimelineSoon(HWND window);
void OnRepaintTimer(HWND window, WPARAM timer);
void ShowHoverTitle(HWND window, LPARAM lParam);
void OpenSlotView(HWND window, LPARAM lParam);
// At shutdown: deletes the back buffer.
void ReleaseTimeline();
