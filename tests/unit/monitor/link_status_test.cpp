// The status bar: each link's part, the rate over the last five seconds from
// samples at most four times a second, and when nothing can change any more.
#include "monitor/link_status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Counts as an intake keeps them: `in` lines, of which `stored` stored and
// `rejected` with a failure fate, the rest held.
IntakeCounts Counts(uint64_t in, uint64_t stored, uint64_t rejected) {
  IntakeCounts counts{};
  counts.of[kCountSentences] = in;
  counts.of[kFateStored] = stored;
  counts.of[kFateChecksumMismatch] = rejected;
  counts.of[kFateFragmentHeld] = in - stored - rejected;
  return counts;
}

struct Bar {
  std::unique_ptr<LinkStatusBar> bar = std::make_unique<LinkStatusBar>();
  LinkStatusInput inputs[kMonitorLinks] = {};
  Bar() { InitLinkStatusBar(bar.get()); }
  uint32_t Update(int64_t nowMs) { return UpdateLinkStatus(bar.get(), nowMs, inputs); }
  std::string Text(int link) const { return bar->parts[link - 1].text; }
};

// The last item of a part: the rate.
std::string Rate(const std::string& text) {
  const std::string dot = " \u00B7 ";
  return text.substr(text.rfind(dot) + dot.size());
}

// Link 1 on COM7 at 38400 with `in` sentences, all stored.
void Presentation(Bar* b, uint64_t in) {
  b->inputs[0] = {true, "COM7", 38400, Counts(in, in, 0)};
}

TEST(LinkStatus, EachPartSaysItsLinksStateAndCounts) {
  Bar b;
  EXPECT_EQ(b.Text(1), "Presentation Port: not connected");
  EXPECT_EQ(b.Text(2), "NMEA2000 Port: not connected");
  EXPECT_EQ(b.Text(3), "Sensor Port: not connected");

  b.inputs[0] = {true, "COM7", 38400, Counts(1099, 1086, 3)};
  b.inputs[2] = {true, "COM9", 4800, {}};
  b.inputs[2].counts.of[kCountSentences] = 1310;
  b.inputs[2].counts.of[kFateNoStartCharacter] = 2;  // a line of text is a line received
  EXPECT_EQ(b.Update(1000), 0b101u);
  b.inputs[0].counts = Counts(1203, 1190, 2);
  b.inputs[0].counts.of[kFateNoStartCharacter] = 1;  // counted in and rejected
  b.Update(6000);
  EXPECT_EQ(b.Text(1),
            "Presentation Port: COM7 38400 \u00B7 1 204 in \u00B7 1 190 stored \u00B7 3 rejected \u00B7 21/s");
  EXPECT_EQ(b.Text(2), "NMEA2000 Port: not connected");
  EXPECT_EQ(b.Text(3), "Sensor Port: COM9 4800 \u00B7 1 312 lines");

  b.inputs[0].connected = false;
  EXPECT_EQ(b.Update(6250), 0b001u);
  EXPECT_EQ(b.Text(1), "Presentation Port: not connected");
}

TEST(LinkStatus, TheRateIsOverTheLastFiveSecondsOfSamples) {
  const struct {
    const char* why;
    std::initializer_list<std::pair<int64_t, uint64_t>> ticks;  // time, sentences
    const char* rate;
  } cases[] = {
      {"the first tick has no span yet", {{0, 50}}, "0/s"},
      {"a quarter second", {{0, 0}, {250, 5}}, "20/s"},
      {"a slow port reads in tenths", {{0, 0}, {4000, 1}}, "0.3/s"},
      {"only the last five seconds", {{0, 0}, {1000, 500}, {5000, 600}, {6000, 610}}, "22/s"},
      {"idle for five seconds", {{0, 0}, {1000, 500}, {6000, 500}}, "0/s"},
      {"a reset starts it again", {{0, 1000}, {1000, 2000}, {2000, 40}}, "0/s"},
      {"thousands grouped", {{0, 0}, {1000, 1500}}, "1 500/s"},
  };
  for (const auto& c : cases) {
    Bar b;
    for (const auto& [time, sentences] : c.ticks) {
      Presentation(&b, sentences);
      b.Update(time);
    }
    EXPECT_EQ(Rate(b.Text(1)), c.rate) << c.why;
  }

  // Asked every 50 ms, it still keeps five seconds: 20 sentences a second
  // for 6 s, then none; 4 s later the last second's 20 are still counted.
  Bar b;
  for (int64_t now = 0; now <= 10000; now += 50) {
    Presentation(&b, static_cast<uint64_t>(std::min<int64_t>(now, 6000) / 50));
    b.Update(now);
    if (now == 6000) {
      EXPECT_EQ(Rate(b.Text(1)), "20/s");
    }
  }
  EXPECT_EQ(Rate(b.Text(1)), "4.0/s");
}

TEST(LinkStatus, SettledOnlyWhenNoPartCanChangeWithoutNewCounts) {
  Bar b;
  EXPECT_TRUE(LinkStatusSettled(*b.bar));
  Presentation(&b, 0);
  b.Update(0);
  EXPECT_FALSE(LinkStatusSettled(*b.bar));  // it changed
  b.Update(250);
  EXPECT_TRUE(LinkStatusSettled(*b.bar));  // connected and idle
  Presentation(&b, 10);
  b.Update(500);
  EXPECT_FALSE(LinkStatusSettled(*b.bar));
  // The rate reads 0 once the sample before the sentences has left the
  // window (at 5500); the tick after that changes nothing.
  int64_t now = 500;
  while (!LinkStatusSettled(*b.bar) && now < 20000) b.Update(now += kStatusTickMs);
  EXPECT_EQ(now, 250 + kStatusRateWindowMs + 2 * kStatusTickMs);
  EXPECT_EQ(b.Update(now += kStatusTickMs), 0u);

  // A sensor's lines change its text but have no rate to fall.
  b.inputs[2] = {true, "COM9", 4800, {}};
  b.Update(now += 10000);
  b.inputs[2].counts.of[kCountSentences] = 1;
  EXPECT_EQ(b.Update(now += kStatusTickMs), 0b100u);
  EXPECT_EQ(b.Update(now += kStatusTickMs), 0u);
  EXPECT_TRUE(LinkStatusSettled(*b.bar));
}

TEST(LinkStatus, CountsAreGroupedInThousands) {
  const struct {
    uint64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},        {999, "999"},           {1000, "1 000"},
      {1204, "1 204"}, {1234567, "1 234 567"}, {UINT64_MAX, "18 446 744 073 709 551 615"},
  };
  for (const auto& c : cases) {
    char text[32];
    EXPECT_EQ(FormatCount(c.value, text, sizeof text), strlen(c.text));
    EXPECT_STREQ(text, c.text);
  }
  char small[4];
  FormatCount(1204, small, sizeof small);
  EXPECT_STREQ(small, "1 2");
}

}  // namespace
