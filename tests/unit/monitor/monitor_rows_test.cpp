// The monitor's rows: the ring of the last 10 000, the filter and its view
// as rows arrive and the ring wraps, pause, clear, and the texts a list and
// the clipboard get.
#include "monitor/monitor_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "monitor/monitor_text.h"
#include "monitor_test_support.h"

namespace {

using monitor_test::CopiedLines;
using monitor_test::kMidnight;
using monitor_test::ViewSentences;

std::unique_ptr<MonitorRows> NewRows() {
  auto rows = std::make_unique<MonitorRows>();
  InitMonitorRows(rows.get());
  return rows;
}

// Row n: "$ROW,n" written on link n % 3 + 1; the even ones not sent.
void AddNumberedRows(MonitorRows* rows, int from, int to) {
  for (int n = from; n < to; ++n) {
    const std::string sentence = "$ROW," + std::to_string(n) + "\r\n";
    const LinkWriteResult result = n % 2 == 0 ? kLinkPortStalled : kLinkWritten;
    AddWrittenRows(rows, kMidnight + n, n % 3 + 1, reinterpret_cast<const uint8_t*>(sentence.data()),
                   static_cast<int>(sentence.size()), result);
  }
}

std::vector<std::string> Numbered(std::initializer_list<int> numbers) {
  std::vector<std::string> sentences;
  for (int n : numbers) sentences.push_back("$ROW," + std::to_string(n));
  return sentences;
}

MonitorFilter Filter(const char* text, bool link1, bool link2, bool link3, bool rejectedOnly) {
  MonitorFilter filter{};
  snprintf(filter.text, sizeof filter.text, "%s", text);
  filter.links[0] = link1;
  filter.links[1] = link2;
  filter.links[2] = link3;
  filter.rejectedOnly = rejectedOnly;
  return filter;
}

// What the view must hold: every row kept that passes, found the slow way.
std::vector<std::string> ScannedView(const MonitorRows& rows, bool (*passes)(const MonitorRow&)) {
  std::vector<std::string> sentences;
  for (uint64_t n = rows.first; n < rows.added; ++n) {
    const MonitorRow& row = rows.rows[n % kMonitorRows];
    if (passes(row)) sentences.push_back(row.sentence);
  }
  return sentences;
}

TEST(MonitorRows, TheRingKeepsTheLast10000Rows) {
  auto rows = NewRows();
  AddNumberedRows(rows.get(), 0, kMonitorRows + 5);
  ASSERT_EQ(MonitorViewCount(*rows), kMonitorRows);
  EXPECT_STREQ(MonitorViewRow(*rows, 0)->sentence, "$ROW,5");
  EXPECT_STREQ(MonitorViewRow(*rows, kMonitorRows - 1)->sentence, "$ROW,10004");
  EXPECT_EQ(MonitorViewRow(*rows, kMonitorRows), nullptr);
  EXPECT_EQ(MonitorViewRow(*rows, -1), nullptr);
  EXPECT_EQ(rows->viewDropped, 5u);
}

TEST(MonitorRows, TheFilterSelectsByTextLinksAndRejection) {
  auto rows = NewRows();
  AddNumberedRows(rows.get(), 0, 7);
  const struct {
    const char* why;
    MonitorFilter filter;
    std::vector<std::string> view;
  } cases[] = {
      {"everything", Filter("", true, true, true, false), Numbered({0, 1, 2, 3, 4, 5, 6})},
      {"one link", Filter("", false, true, false, false), Numbered({1, 4})},
      {"rejected only", Filter("", true, true, true, true), Numbered({0, 2, 4, 6})},
      {"rejected on link 1", Filter("", true, false, false, true), Numbered({0, 6})},
      {"text in the sentence, any case", Filter("row,4", true, true, true, false), Numbered({4})},
      {"text in the fate", Filter("STALLED", true, true, true, false), Numbered({0, 2, 4, 6})},
      {"text and link: \"not sent\" contains it too", Filter("sent", false, true, true, false), Numbered({1, 2, 4, 5})},
      {"no link", Filter("", false, false, false, false), {}},
      {"nothing contains it", Filter("GGA", true, true, true, false), {}},
  };
  for (const auto& c : cases) {
    SetMonitorFilter(rows.get(), c.filter);
    EXPECT_EQ(ViewSentences(*rows), c.view) << c.why;
  }
}

TEST(MonitorRows, TheFilteredViewFollowsArrivalsAndTheRingsWrap) {
  auto rows = NewRows();
  SetMonitorFilter(rows.get(), Filter("5", true, false, true, true));
  const auto passes = [](const MonitorRow& row) {
    return row.link != 2 && row.mark != kMarkNone && std::string(row.sentence).find('5') != std::string::npos;
  };
  uint64_t dropped = 0;
  for (int step : {10, 3000, 9000, 20000, 1}) {
    const uint64_t before = rows->added;
    AddNumberedRows(rows.get(), static_cast<int>(before), static_cast<int>(before) + step);
    EXPECT_EQ(ViewSentences(*rows), ScannedView(*rows, passes)) << "after " << rows->added << " rows";
    EXPECT_GE(rows->viewDropped, dropped);
    dropped = rows->viewDropped;
  }
  EXPECT_GT(dropped, 0u);
  // Rebuilt from the ring as it stands.
  SetMonitorFilter(rows.get(), Filter("", true, true, true, false));
  EXPECT_EQ(MonitorViewCount(*rows), kMonitorRows);
}

TEST(MonitorRows, PauseHoldsTheViewWhileRowsAreCollected) {
  auto rows = NewRows();
  AddNumberedRows(rows.get(), 0, 4);
  PauseMonitor(rows.get(), true);
  AddNumberedRows(rows.get(), 4, 6);
  EXPECT_EQ(ViewSentences(*rows), Numbered({0, 1, 2, 3}));
  // A new filter applies to the rows the paused view holds.
  SetMonitorFilter(rows.get(), Filter("", true, false, false, false));
  EXPECT_EQ(ViewSentences(*rows), Numbered({0, 3}));
  PauseMonitor(rows.get(), false);
  EXPECT_EQ(ViewSentences(*rows), Numbered({0, 3}));
  AddNumberedRows(rows.get(), 6, 7);
  EXPECT_EQ(ViewSentences(*rows), Numbered({0, 3, 6}));

  // Paused for longer than the ring lasts: what it overwrites leaves the
  // front of the view, and the list learns how many left.
  PauseMonitor(rows.get(), true);
  const uint64_t dropped = rows->viewDropped;
  AddNumberedRows(rows.get(), 7, kMonitorRows + 4);
  EXPECT_EQ(ViewSentences(*rows), Numbered({6}));
  EXPECT_EQ(rows->viewDropped, dropped + 2);
  AddNumberedRows(rows.get(), kMonitorRows + 4, kMonitorRows + 7);
  EXPECT_EQ(MonitorViewCount(*rows), 0);
  PauseMonitor(rows.get(), false);
  EXPECT_EQ(MonitorViewCount(*rows), kMonitorRows / 3);
}

TEST(MonitorRows, ClearEmptiesTheViewAndRowsGoOnArriving) {
  auto rows = NewRows();
  AddNumberedRows(rows.get(), 0, 5);
  PauseMonitor(rows.get(), true);
  ClearMonitorRows(rows.get());
  EXPECT_EQ(MonitorViewCount(*rows), 0);
  AddNumberedRows(rows.get(), 5, 7);
  EXPECT_EQ(MonitorViewCount(*rows), 0);  // still paused
  PauseMonitor(rows.get(), false);
  EXPECT_EQ(ViewSentences(*rows), Numbered({5, 6}));
  SetMonitorFilter(rows.get(), Filter("", true, true, true, false));
  EXPECT_EQ(ViewSentences(*rows), Numbered({5, 6}));  // the cleared rows stay gone
}

TEST(MonitorText, CellsAndCopiedLinesAreWhatTheUserReads) {
  auto rows = NewRows();
  const std::string sent = "!AIBBM,1,1,0,1,8,04a9M>1@PU>0U>06185=08E99V1@E=4,0*7E\r\n";
  AddWrittenRows(rows.get(), kMidnight - 1, 1, reinterpret_cast<const uint8_t*>(sent.data()),
                 static_cast<int>(sent.size()), kLinkWriteRefused);
  AddMissedRow(rows.get(), kMidnight + 45296789, 3, 1);  // 12:34:56.789
  SentenceFate fate{};
  fate.unixTimeMs = 0;
  fate.link = 2;
  fate.code = kFateIgnored;
  snprintf(fate.details.formatter, sizeof fate.details.formatter, "G\tA");
  const std::string text = "$GPG\tA," + std::string(kFateTextChars - 7, '7');
  memcpy(fate.text, text.data(), kFateTextChars);
  fate.textLength = kFateTextChars;
  fate.textLonger = true;
  AddFateRow(rows.get(), fate);

  const std::vector<std::string> expected = {
      "23:59:59.999\tPresentation Port\tout\t!AIBBM,1,1,0,1,8,04a9M>1@PU>0U>06185=08E99V1@E=4,0*7E\tnot sent: the port "
      "refused the write",
      "12:34:56.789\tSensor Port\tin\t\t1 line not shown: the monitor fell behind (they were received and counted as "
      "usual)",
      "00:00:00.000\tNMEA2000 Port\tin\t$GPG\\x09A," + std::string(kFateTextChars - 7, '7') +
          "\u2026\tignored: G\\x09A",
  };
  EXPECT_EQ(CopiedLines(*rows), expected);

  // Only the rows asked for, in the order asked; a buffer too small gets a
  // terminated start and the whole length.
  const int32_t picked[] = {2, 0};
  const size_t whole = CopyMonitorRows(*rows, picked, 2, nullptr, 0);
  EXPECT_EQ(whole, expected[2].size() + expected[0].size() + 4);
  char small[10];
  EXPECT_EQ(CopyMonitorRows(*rows, picked, 2, small, sizeof small), whole);
  EXPECT_STREQ(small, "00:00:00.");

  // A cell cut to its room never ends in half an escape.
  char cell[7];
  FormatMonitorCell(*MonitorViewRow(*rows, 2), kColumnSentence, cell, sizeof cell);
  EXPECT_STREQ(cell, "$GPG");
  for (int column = 0; column < kMonitorColumns; ++column) EXPECT_NE(kMonitorColumnTitles[column], nullptr);
}

}  // namespace
