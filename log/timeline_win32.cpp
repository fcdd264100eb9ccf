// Painting of the timeline: the portable draw list executed into an
// off-screen bitmap and copied to the window in one step, so that repaints
// under steady traffic do not flicker. Also the hover read-out in
// the title bar and the click that opens a message view. Main thread only.
#include "log/timeline_win32.h"

#include <cstring>

#include "app/shell_win32.h"
#include "log/timeline.h"
#include "views/message_dialog_win32.h"
#include "views/view_model.h"

namespace {

TimelineLayout layout;
HDC backDC;
HBITMAP backBitmap;
HGDIOBJ originalBitmap;  // selected back before the bitmap is deleted
HGDIOBJ originalBrush;
DrawList drawList;  // rebuilt on every paint; fixed storage

// Both ports at full rate note hundreds of messages a second, faster than
// anyone can follow, and a paint after each cost most of the client's time.
// A note is shown at once after a quiet spell; within a burst the timeline
// is repainted once the interval is over, so at most 25 times a second.
constexpr DWORD kRepaintInterval = 40;  // ms
constexpr UINT_PTR kRepaintTimer = 1;
DWORD lastRepaint;
bool repaintPending;

// Pens live only for the line or mark they draw; the previous pen is
// selected back before the pen is deleted.
void ExecuteDrawList(HDC dc, const DrawList& list) {
  HPEN pen = nullptr;
  HGDIOBJ previous = nullptr;
  for (int i = 0; i < list.count; ++i) {
    const DrawOp& op = list.ops[i];
    switch (op.kind) {
      case DrawOpKind::kSelectPen:
        if (pen) break;  // the list never nests pens
        pen = CreatePen(PS_SOLID, op.penWidth, RGB(op.red, op.green, op.blue));
        if (pen) previous = SelectObject(dc, pen);
        break;
      case DrawOpKind::kRestorePen:
        if (!pen) break;
        SelectObject(dc, previous);
        DeleteObject(pen);
        pen = nullptr;
        break;
      case DrawOpKind::kMoveTo:
        MoveToEx(dc, op.x, op.y, nullptr);
        break;
      case DrawOpKind::kLineTo:
        LineTo(dc, op.x, op.y);
        break;
    }
  }
  if (pen) {
    SelectObject(dc, previous);
    DeleteObject(pen);
  }
}

}  // namespace

void LayoutTimeline(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  LayoutTimelineGeometry(client.right - client.left, client.bottom - client.top, &layout);

  HDC windowDC = GetDC(window);
  backDC = CreateCompatibleDC(windowDC);
  if (backDC && layout.backWidth > 0 && layout.backHeight > 0) {
    backBitmap = CreateCompatibleBitmap(windowDC, layout.backWidth, layout.backHeight);
    if (backBitmap) originalBitmap = SelectObject(backDC, backBitmap);
    originalBrush = SelectObject(backDC, GetStockObject(WHITE_BRUSH));
    PatBlt(backDC, 0, 0, layout.backWidth, layout.backHeight, PATCOPY);
    SetMapMode(backDC, MM_TEXT);
  }
  SetMapMode(windowDC, MM_TEXT);
  ReleaseDC(window, windowDC);
}

void PaintTimeline(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (backDC && backBitmap) {
    PatBlt(backDC, 0, 0, layout.backWidth, layout.backHeight, PATCOPY);
    BuildTimelineDrawList(layout, messageLog, &drawList);
    ExecuteDrawList(backDC, drawList);
    BitBlt(dc, 0, 0, layout.backWidth, layout.backHeight, backDC, 0, 0, SRCCOPY);
  }
  EndPaint(window, &paint);
}

void RepaintTimeline(HWND window) {
  RECT plot{layout.left, layout.top, layout.right, layout.bottom};
  InvalidateRect(window, &plot, FALSE);
}

void RepaintTimelineSoon(HWND window) {
  if (repaintPending) return;  // the timer will show this note too
  const DWORD since = GetTickCount() - lastRepaint;
  if (since < kRepaintInterval && SetTimer(window, kRepaintTimer, kRepaintInterval - since, nullptr) != 0) {
    repaintPending = true;
    return;
  }
  lastRepaint = GetTickCount();
  RepaintTimeline(window);  // without a timer to spare, at once rather than never
}

void OnRepaintTimer(HWND window, WPARAM timer) {
  if (timer != kRepaintTimer) return;
  KillTimer(window, kRepaintTimer);
  repaintPending = false;
  lastRepaint = GetTickCount();
  RepaintTimeline(window);
}

void ShowHoverTitle(HWND window, LPARAM lParam) {
  char title[160];
  int32_t x = static_cast<int16_t>(LOWORD(lParam));
  int32_t y = static_cast<int16_t>(HIWORD(lParam));
  FormatHoverTitle(layout, kMainWindowTitle, x, y, title, sizeof title);
  // Every pointer move arrives here; redraw the caption only when it changes.
  char shown[sizeof title];
  if (GetWindowTextA(window, shown, sizeof shown) > 0 && std::strcmp(shown, title) == 0) return;
  SetWindowTextA(window, title);
}

void OpenSlotView(HWND window, LPARAM lParam) {
  int32_t slot = TimelineSlotToOpen(layout, static_cast<int16_t>(LOWORD(lParam)));
  if (slot < 0) return;
  ViewChoice choice = ChooseSlotView(&messageLog, slot, &decodedMessage);
  if (choice.templateId != 0) OpenMessageView(window, choice.templateId, choice.viewCode);
  SetFocus(window);
}

void ReleaseTimeline() {
  if (!backDC) return;
  if (originalBrush) SelectObject(backDC, originalBrush);
  if (originalBitmap) SelectObject(backDC, originalBitmap);
  // The bitmap goes with the context rather than leaking at shutdown.
  if (backBitmap) DeleteObject(backBitmap);
  DeleteDC(backDC);
  backDC = nullptr;
  backBitmap = nullptr;
  originalBitmap = nullptr;
  originalBrush = nullptr;
}
