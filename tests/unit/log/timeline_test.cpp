// The timeline chart: geometry, hover read-out, hit test, and what the draw
// list paints for a given log, checked by replaying the list into segments.
#include "log/timeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr const char kTitle[] = "VORNAK - Application Specific Message - Integration Client";

struct Pen {
  uint8_t red, green, blue, width;
  bool operator==(const Pen&) const = default;
};
constexpr Pen kDefaultPen{0, 0, 0, 1};  // a fresh device context's black pen
constexpr Pen kGreenLine{0, 255, 0, 1};
constexpr Pen kBlackLine{0, 0, 0, 1};
constexpr Pen kGreyLine{221, 221, 221, 1};
constexpr Pen kRedMark{255, 0, 0, 2};
constexpr Pen kBlueMark{0, 0, 255, 2};
constexpr Pen kGreenMark{0, 255, 0, 2};

struct Segment {
  int32_t x0, y0, x1, y1;
  Pen pen;
  bool createdPen;  // drawn with a pen of its own rather than the default
};

// Replays a draw list as a device context would: the pen in use, the current
// position, and every line drawn. Fails the test on unbalanced pen changes.
std::vector<Segment> Replay(const DrawList& list) {
  std::vector<Segment> segments;
  std::vector<Pen> selected;
  int32_t x = 0, y = 0;
  for (int i = 0; i < list.count; ++i) {
    const DrawOp& op = list.ops[i];
    switch (op.kind) {
      case DrawOpKind::kSelectPen:
        EXPECT_TRUE(selected.empty()) << "pen selected over another at op " << i;
        selected.push_back({op.red, op.green, op.blue, op.penWidth});
        break;
      case DrawOpKind::kRestorePen:
        EXPECT_FALSE(selected.empty()) << "restore without a selected pen at op " << i;
        if (!selected.empty()) selected.pop_back();
        break;
      case DrawOpKind::kMoveTo:
        x = op.x;
        y = op.y;
        break;
      case DrawOpKind::kLineTo:
        segments.push_back({x, y, op.x, op.y, selected.empty() ? kDefaultPen : selected.back(), !selected.empty()});
        x = op.x;
        y = op.y;
        break;
    }
  }
  EXPECT_TRUE(selected.empty()) << "a pen is left selected at the end";
  return segments;
}

bool HasLine(const std::vector<Segment>& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Pen pen) {
  for (const Segment& g : s) {
    if (!(g.pen == pen)) continue;
    if ((g.x0 == x0 && g.y0 == y0 && g.x1 == x1 && g.y1 == y1) ||
        (g.x0 == x1 && g.y0 == y1 && g.x1 == x0 && g.y1 == y0))
      return true;
  }
  return false;
}

bool HasSquare(const std::vector<Segment>& s, int32_t x, int32_t y, int32_t h, Pen pen) {
  return HasLine(s, x - h, y - h, x - h, y + h, pen) && HasLine(s, x - h, y + h, x + h, y + h, pen) &&
         HasLine(s, x + h, y + h, x + h, y - h, pen) && HasLine(s, x + h, y - h, x - h, y - h, pen);
}

int CountSquares(const std::vector<Segment>& s, Pen pen) {
  int edges = 0;
  for (const Segment& g : s) edges += g.pen == pen && g.createdPen;
  return edges / 4;
}

struct TimelineTest : ::testing::Test {
  TimelineTest() : log(std::make_unique<MessageLog>()), list(std::make_unique<DrawList>()) {
    LayoutTimelineGeometry(794, 342, &layout);
  }

  void Note(int slot, int32_t kind, int32_t channelRow, int32_t messageId) {
    log->slots[slot].kind = kind;
    log->slots[slot].shownKind = kind;
    log->slots[slot].channelRow = channelRow;
    log->slots[slot].messageId = messageId;
  }

  std::vector<Segment> Paint() {
    BuildTimelineDrawList(layout, *log, list.get());
    return Replay(*list);
  }

  int32_t X(int column) const { return layout.columnX[column]; }
  int32_t Y(int row) const { return TimelineRowY(layout, row); }

  TimelineLayout layout;
  std::unique_ptr<MessageLog> log;  // large: keep it off the stack
  std::unique_ptr<DrawList> list;
};

TEST_F(TimelineTest, LayoutInsetsTheClientAreaAndSplitsItIntoRowsAndColumns) {
  EXPECT_EQ(layout.left, 5);
  EXPECT_EQ(layout.top, 5);
  EXPECT_EQ(layout.right, 789);
  EXPECT_EQ(layout.bottom, 337);
  EXPECT_EQ(layout.backWidth, 784);
  EXPECT_EQ(layout.backHeight, 332);
  EXPECT_EQ(layout.rowHeight, 10);  // 332 / 33 = 10.06, truncated
  EXPECT_DOUBLE_EQ(layout.columnWidth, 15.68);
  EXPECT_EQ(Y(0), 337);
  EXPECT_EQ(Y(29), 47);
  EXPECT_EQ(X(0), 5);
  EXPECT_EQ(X(49), 5 + 768);
}

TEST(TimelineLayout, ColumnsFollowTheRunningSumNotTheProduct) {
  // 705 / 50 = 14.1; adding it up ten times gives 140.99999..., one pixel
  // left of 10 x 14.1 = 141.
  TimelineLayout layout;
  LayoutTimelineGeometry(715, 400, &layout);
  EXPECT_EQ(layout.columnX[10], 5 + 140);
  EXPECT_EQ(layout.columnX[20], 5 + 281);
  EXPECT_EQ(layout.columnX[11], 5 + 155);
}

TEST_F(TimelineTest, EmptyLogPaintsOnlyTheGrid) {
  std::vector<Segment> s = Paint();
  int green = 0, black = 0, grey = 0;
  for (const Segment& g : s) {
    bool rowLine = g.y0 == g.y1 && g.x0 == layout.left && g.x1 == layout.right;
    bool columnLine = g.x0 == g.x1 && g.y0 == layout.top && g.y1 == layout.bottom;
    if (rowLine && g.pen == kGreenLine) ++green;
    if (rowLine && g.pen == kBlackLine && g.createdPen) ++black;
    if (columnLine && g.pen == kGreyLine) ++grey;
  }
  EXPECT_EQ(green, 27);
  EXPECT_EQ(black, 3);
  EXPECT_EQ(grey, 50);
  EXPECT_EQ(s.size(), 80u) << "marks or joining lines drawn for an empty log";
  EXPECT_TRUE(HasLine(s, layout.left, Y(1), layout.right, Y(1), kGreenLine));
  EXPECT_TRUE(HasLine(s, layout.left, Y(27), layout.right, Y(27), kGreenLine));
  EXPECT_TRUE(HasLine(s, layout.left, Y(30), layout.right, Y(30), kBlackLine));
  EXPECT_FALSE(HasLine(s, layout.left, Y(28), layout.right, Y(28), kBlackLine));
  EXPECT_FALSE(HasLine(s, layout.left, Y(28), layout.right, Y(28), kGreenLine));
}

TEST_F(TimelineTest, PositionReportOnChannelAMarksRow29RedAndRow1Blue) {
  Note(0, kSlotVdm, 29, 1);
  std::vector<Segment> s = Paint();
  EXPECT_TRUE(HasSquare(s, X(0), Y(29), 2, kRedMark));
  EXPECT_TRUE(HasSquare(s, X(0), Y(1), 2, kBlueMark));
  EXPECT_EQ(CountSquares(s, kRedMark), 1);
  EXPECT_EQ(CountSquares(s, kBlueMark), 1);
}

TEST_F(TimelineTest, AcknowledgementOnChannelBIsJoinedToThePreviousSlot) {
  Note(2, kSlotVdo, 29, 1);
  Note(3, kSlotAbk, 31, 8);
  std::vector<Segment> s = Paint();
  EXPECT_TRUE(HasSquare(s, X(3), Y(31), 2, kBlueMark));
  EXPECT_TRUE(HasSquare(s, X(3), Y(8), 2, kGreenMark));
  EXPECT_TRUE(HasSquare(s, X(2), Y(1), 2, kBlueMark)) << "a VDO message mark is blue";
  // Joining lines with the default pen, from slot 2's marks to slot 3's.
  EXPECT_TRUE(HasLine(s, X(2), Y(29), X(3), Y(31), kDefaultPen));
  EXPECT_TRUE(HasLine(s, X(2), Y(1), X(3), Y(8), kDefaultPen));
}

TEST_F(TimelineTest, StoredAndNotedMessagesAreDrawnInTheirColumns) {
  InitLog(log.get());
  auto vdm = std::make_unique<FragmentSet>();
  FragmentBlock& block = vdm->blocks[1];
  block.fragmentCountChar = '1';
  block.fragmentNumberChar = '1';
  block.channelChar = 'A';
  std::strcpy(block.payloadText, "13aDq30P00PJ8BPN?0@@0?wV2@NC");  // type 1, from the live-feed corpus
  block.fillBitsChar = '0';
  int32_t first = StoreInLog(log.get(), kSlotVdm, vdm.get());
  NoteStoredSlot(log.get(), first, kSlotVdm);

  auto abk = std::make_unique<AbkRecord>();
  std::strcpy(abk->fieldText[0], "AIABK");
  std::strcpy(abk->fieldText[1], "211000000");
  std::strcpy(abk->fieldText[2], "B");
  std::strcpy(abk->fieldText[3], "8");
  int32_t second = StoreInLog(log.get(), kSlotAbk, abk.get());
  NoteStoredSlot(log.get(), second, kSlotAbk);

  ASSERT_EQ(first, 0);
  ASSERT_EQ(second, 1);
  std::vector<Segment> s = Paint();
  EXPECT_TRUE(HasSquare(s, X(0), Y(29), 2, kRedMark));
  EXPECT_TRUE(HasSquare(s, X(0), Y(1), 2, kBlueMark));
  EXPECT_TRUE(HasSquare(s, X(1), Y(31), 2, kBlueMark));
  EXPECT_TRUE(HasSquare(s, X(1), Y(8), 2, kGreenMark));
  EXPECT_TRUE(HasLine(s, X(0), Y(1), X(1), Y(8), kDefaultPen));

  ClearLog(log.get());
  s = Paint();
  EXPECT_EQ(s.size(), 80u) << "cleared log still draws marks";
}

TEST_F(TimelineTest, MessageIdsWithoutARowGetOnlyAChannelMark) {
  Note(0, kSlotVdm, 29, 5);
  Note(1, kSlotVdm, 31, 0);
  Note(2, kSlotVdm, 29, 28);
  Note(3, kSlotVdm, 31, 63);
  Note(4, kSlotVdm, 29, 3);
  std::vector<Segment> s = Paint();
  EXPECT_EQ(CountSquares(s, kRedMark), 3);
  EXPECT_EQ(CountSquares(s, kBlueMark), 2 + 2);  // channel B twice, message marks of slots 0 and 4
  EXPECT_TRUE(HasSquare(s, X(1), Y(31), 2, kBlueMark));
  EXPECT_TRUE(HasSquare(s, X(3), Y(31), 2, kBlueMark));
  // The message trace passes over columns 1 to 3.
  EXPECT_TRUE(HasLine(s, X(0), Y(5), X(4), Y(3), kDefaultPen));
}

TEST_F(TimelineTest, OtherChannelGetsASmallBlackMark) {
  Note(5, kSlotAbk, 30, 0);
  std::vector<Segment> s = Paint();
  EXPECT_TRUE(HasSquare(s, X(5), Y(30), 1, kBlackLine));
  EXPECT_EQ(CountSquares(s, kRedMark) + CountSquares(s, kBlueMark), 0);
}

TEST_F(TimelineTest, EveryMarkOfAFullLogFitsTheList) {
  for (int i = 0; i < kLogSlots; ++i) Note(i, i % 2 ? kSlotAbk : kSlotVdm, i % 3 ? 29 : 30, 1 + i % 27);
  std::vector<Segment> s = Paint();
  EXPECT_TRUE(HasSquare(s, X(49), Y(1 + 49 % 27), 2, kGreenMark));
  EXPECT_TRUE(HasSquare(s, X(48), Y(30), 1, kBlackLine));
}

TEST_F(TimelineTest, HoverNamesTheRowAndTheSlot) {
  char title[128];
  FormatHoverTitle(layout, kTitle, X(3) + 2, Y(29) - 3, title, sizeof title);
  EXPECT_STREQ(title, "VORNAK - Application Specific Message - Integration Client: Timeline Channel AIS1 : Log 03 ");
  FormatHoverTitle(layout, kTitle, X(0), Y(30) - 1, title, sizeof title);
  EXPECT_NE(std::strstr(title, "Timeline No Channel Data : Log 00 "), nullptr) << title;
  FormatHoverTitle(layout, kTitle, X(0), Y(31) - 1, title, sizeof title);
  EXPECT_NE(std::strstr(title, "Timeline Channel AIS2 :"), nullptr) << title;
  FormatHoverTitle(layout, kTitle, X(0), Y(7) - 1, title, sizeof title);
  EXPECT_NE(std::strstr(title, "Timeline Message Number 07 :"), nullptr) << title;
  FormatHoverTitle(layout, kTitle, X(0), Y(28) - 1, title, sizeof title);
  EXPECT_NE(std::strstr(title, "Timeline No Channel Data :"), nullptr) << title;
  FormatHoverTitle(layout, kTitle, layout.right - 1, Y(33), title, sizeof title);
  EXPECT_NE(std::strstr(title, "Timeline No Channel Data : Log 50 "), nullptr) << title;

  char small[16];
  FormatHoverTitle(layout, kTitle, 0, 0, small, sizeof small);
  EXPECT_STREQ(small, "VORNAK - Applic");
}

TEST_F(TimelineTest, ClickRightOfTheLastColumnOpensNothing) {
  EXPECT_EQ(TimelineSlotToOpen(layout, 0), 0);
  EXPECT_EQ(TimelineSlotToOpen(layout, X(7) + 1), 7);
  EXPECT_EQ(TimelineSlotToOpen(layout, X(49) + 5), 49);
  EXPECT_EQ(TimelineSlotAt(layout, layout.right - 1), 50);
  EXPECT_EQ(TimelineSlotToOpen(layout, layout.right - 1), -1);
}

TEST(TimelineLayout, AWindowTooSmallForAChartStillAnswers) {
  TimelineLayout layout;
  LayoutTimelineGeometry(10, 10, &layout);
  EXPECT_EQ(layout.rowHeight, 0);
  EXPECT_EQ(TimelineRowAt(layout, 3), 0);
  EXPECT_EQ(TimelineSlotToOpen(layout, 3), 0);
  char title[128];
  FormatHoverTitle(layout, kTitle, 3, 3, title, sizeof title);
  EXPECT_NE(std::strstr(title, "No Channel Data : Log 00 "), nullptr) << title;
}

}  // namespace
