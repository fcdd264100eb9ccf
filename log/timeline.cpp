// The timeline's geometry, hover read-out, hit test and draw list.
#include "log/timeline.h"

#include <cmath>
#include <cstdio>

namespace {

struct Rgb {
  uint8_t red, green, blue;
};

constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kLightGrey{221, 221, 221};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};

// Grid line colour of each row; rows without a line are absent.
struct GridRow {
  bool drawn;
  Rgb colour;
};

constexpr GridRow GridRowOf(int row) {
  if (row >= 1 && row <= kTimelineLastMessageRow) return {true, kGreen};
  if (row >= kTimelineRowChannelA && row <= kTimelineRowChannelB) return {true, kBlack};
  return {false, kBlack};
}

const char* RowLabel(int32_t row, char* scratch, size_t room) {
  if (row >= 1 && row <= kTimelineLastMessageRow) {
    std::snprintf(scratch, room, "Message Number %02d", static_cast<int>(row));
    return scratch;
  }
  if (row == kTimelineRowChannelA) return "Channel AIS1";
  if (row == kTimelineRowChannelB) return "Channel AIS2";
  return "No Channel Data";
}

void Emit(DrawList* list, DrawOpKind kind, int32_t x, int32_t y) {
  if (list->count >= kMaxDrawOps) return;  // cannot happen: the bound covers every slot
  DrawOp& op = list->ops[list->count++];
  op = DrawOp{};
  op.kind = kind;
  op.x = x;
  op.y = y;
}

void SelectPen(DrawList* list, Rgb colour, int width) {
  if (list->count >= kMaxDrawOps) return;
  DrawOp& op = list->ops[list->count++];
  op = DrawOp{};
  op.kind = DrawOpKind::kSelectPen;
  op.red = colour.red;
  op.green = colour.green;
  op.blue = colour.blue;
  op.penWidth = static_cast<uint8_t>(width);
}

void RestorePen(DrawList* list) {
  Emit(list, DrawOpKind::kRestorePen, 0, 0);
}
void MoveTo(DrawList* list, int32_t x, int32_t y) {
  Emit(list, DrawOpKind::kMoveTo, x, y);
}
void LineTo(DrawList* list, int32_t x, int32_t y) {
  Emit(list, DrawOpKind::kLineTo, x, y);
}

// The outline of a square of half-size h round (x, y), starting and ending
// at its top-left corner.
void Square(DrawList* list, int32_t x, int32_t y, int32_t h) {
  MoveTo(list, x - h, y - h);
  LineTo(list, x - h, y + h);
  LineTo(list, x + h, y + h);
  LineTo(list, x + h, y - h);
  LineTo(list, x - h, y - h);
}

// A mark joined to the trace: a line to (x, y) with the default pen, the
// square in the mark's pen, and a line back to (x, y) with the default pen.
void Mark(DrawList* list, int32_t x, int32_t y, Rgb colour) {
  LineTo(list, x, y);
  SelectPen(list, colour, 2);
  Square(list, x, y, 2);
  RestorePen(list);
  LineTo(list, x, y);
}

// The row-30 channel mark is small and drawn with a thin black pen
// throughout, joining lines included.
void ThinMark(DrawList* list, int32_t x, int32_t y) {
  SelectPen(list, kBlack, 1);
  LineTo(list, x, y);
  Square(list, x, y, 1);
  LineTo(list, x, y);
  RestorePen(list);
}

}  // namespace

void LayoutTimelineGeometry(int32_t clientWidth, int32_t clientHeight, TimelineLayout* layout) {
  *layout = TimelineLayout{};
  layout->left = kTimelineMargin;
  layout->top = kTimelineMargin;
  layout->right = clientWidth - kTimelineMargin;
  layout->bottom = clientHeight - kTimelineMargin;
  layout->backWidth = layout->right - layout->left;
  layout->backHeight = layout->bottom - layout->top;
  layout->rowHeight = static_cast<int32_t>(static_cast<double>(layout->backHeight) / kTimelineRows);
  layout->columnWidth = static_cast<double>(layout->backWidth) / kLogSlots;
  // Columns sit at the running sum of the width, truncated, so the gaps vary
  // by a pixel the same way on every paint.
  double sum = 0.0;
  for (int i = 0; i < kLogSlots; ++i) {
    layout->columnX[i] = layout->left + static_cast<int32_t>(sum);
    sum += layout->columnWidth;
  }
}

int32_t TimelineRowY(const TimelineLayout& layout, int32_t row) {
  return layout.bottom - row * layout.rowHeight;
}

int32_t TimelineRowAt(const TimelineLayout& layout, int32_t y) {
  if (layout.rowHeight <= 0) return 0;  // a window too small for rows has only row 0
  int64_t distance = static_cast<int64_t>(layout.bottom) - y;
  if (distance < 0) distance = -distance;
  return static_cast<int32_t>(distance / layout.rowHeight);
}

int32_t TimelineSlotAt(const TimelineLayout& layout, int32_t x) {
  if (!(layout.columnWidth > 0.0)) return 0;  // no columns to divide by
  double slot = std::fabs(static_cast<double>(x) / layout.columnWidth);
  if (slot > 1e9) return 1000000000;  // keep the conversion defined
  return static_cast<int32_t>(slot);
}

int32_t TimelineSlotToOpen(const TimelineLayout& layout, int32_t x) {
  int32_t slot = TimelineSlotAt(layout, x);
  return slot < kLogSlots ? slot : -1;
}

void FormatHoverTitle(const TimelineLayout& layout, const char* windowTitle, int32_t x, int32_t y, char* out,
                      size_t room) {
  if (room == 0) return;
  char scratch[24];
  const char* label = RowLabel(TimelineRowAt(layout, y), scratch, sizeof scratch);
  std::snprintf(out, room, "%s: Timeline %s : Log %02d ", windowTitle, label,
                static_cast<int>(TimelineSlotAt(layout, x)));
}

void BuildTimelineDrawList(const TimelineLayout& layout, const MessageLog& log, DrawList* list) {
  list->count = 0;

  for (int row = 0; row <= kTimelineTopRow; ++row) {
    GridRow grid = GridRowOf(row);
    if (!grid.drawn) continue;
    int32_t y = TimelineRowY(layout, row);
    SelectPen(list, grid.colour, 1);
    MoveTo(list, layout.left, y);
    LineTo(list, layout.right, y);
    RestorePen(list);
  }

  // No line at the right edge: the last column's line is its left side.
  for (int i = 0; i < kLogSlots; ++i) {
    SelectPen(list, kLightGrey, 1);
    MoveTo(list, layout.columnX[i], layout.top);
    LineTo(list, layout.columnX[i], layout.bottom);
    RestorePen(list);
  }

  MoveTo(list, layout.left, TimelineRowY(layout, log.slots[0].channelRow));
  for (int i = 0; i < kLogSlots; ++i) {
    int32_t row = log.slots[i].channelRow;
    int32_t x = layout.columnX[i];
    int32_t y = TimelineRowY(layout, row);
    if (row == kTimelineRowChannelA) {
      Mark(list, x, y, kRed);
    } else if (row == kTimelineRowChannelB) {
      Mark(list, x, y, kBlue);
    } else if (row == kTimelineRowOtherChannel) {
      ThinMark(list, x, y);
    }
  }

  MoveTo(list, layout.left, TimelineRowY(layout, log.slots[0].messageId));
  for (int i = 0; i < kLogSlots; ++i) {
    int32_t row = log.slots[i].messageId;
    if (row < 1 || row > kTimelineLastMessageRow) continue;
    Mark(list, layout.columnX[i], TimelineRowY(layout, row), log.slots[i].shownKind == kSlotAbk ? kGreen : kBlue);
  }
}
