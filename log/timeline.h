// The timeline's geometry and drawing, free of any platform: the plot
// rectangle and its rows and columns, the hover read-out, the column under
// the pointer, and the list of pen changes and lines that paint the chart
// from the message log. The Win32 layer only executes the list.
//
// Threading: main thread only (the log's timeline fields are written there).
#pragma once
#include <cstddef>
#include <cstdint>

#include "log/message_log.h"

constexpr int kTimelineMargin = 5;
constexpr int kTimelineRows = 33;  // rows 0 to 33 lie on row boundaries
constexpr int kTimelineTopRow = 33;
constexpr int kTimelineLastMessageRow = 27;
constexpr int kTimelineRowChannelA = 29;
constexpr int kTimelineRowOtherChannel = 30;
constexpr int kTimelineRowChannelB = 31;

// Computed once from the client size; the window is never resized.
struct TimelineLayout {
  int32_t left, top, right, bottom;  // plotRect: the client area, 5 pixels in
  int32_t backWidth, backHeight;     // the back buffer bitmap
  int32_t rowHeight;
  double columnWidth;
  int32_t columnX[kLogSlots];  // x of each column, from the running sum
};

void LayoutTimelineGeometry(int32_t clientWidth, int32_t clientHeight, TimelineLayout* layout);

int32_t TimelineRowY(const TimelineLayout& layout, int32_t row);

// Row under a client y, as the hover read-out counts it (0 at the bottom).
int32_t TimelineRowAt(const TimelineLayout& layout, int32_t y);

// Column under a client x. Not limited to the 50 slots: the strip right of
// the last column gives 50 and above.
int32_t TimelineSlotAt(const TimelineLayout& layout, int32_t x);

// The slot a click at x opens, or -1 when it lies right of the last column.
int32_t TimelineSlotToOpen(const TimelineLayout& layout, int32_t x);

// The window title while the pointer is at (x, y): the plain title, the row
// label and the slot. `out` gets at most `room` characters with the zero.
void FormatHoverTitle(const TimelineLayout& layout, const char* windowTitle, int32_t x, int32_t y, char* out,
                      size_t room);

enum class DrawOpKind : uint8_t {
  kSelectPen,   // create a solid pen of colour and width and select it
  kRestorePen,  // select the previous pen back and delete the created one
  kMoveTo,
  kLineTo,
};

struct DrawOp {
  DrawOpKind kind;
  uint8_t red, green, blue;  // kSelectPen
  uint8_t penWidth;          // kSelectPen
  int32_t x, y;              // kMoveTo, kLineTo
};

// Worst case: 30 grid rows and 50 grid columns of 4 operations each, and two
// traces of one move and 9 operations per slot.
constexpr int kMaxDrawOps = 30 * 4 + kLogSlots * 4 + 2 * (1 + kLogSlots * 9);

struct DrawList {
  DrawOp ops[kMaxDrawOps];
  int count;
};

// The whole chart for the log as it stands: grid rows, grid columns, the
// channel trace and the message trace, in painting order.
void BuildTimelineDrawList(const TimelineLayout& layout, const MessageLog& log, DrawList* list);
