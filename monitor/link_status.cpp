// The status bar's part texts and the links' rates.
#include "monitor/link_status.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kDot[] = " \u00B7 ";  // between the items of a part

// A count with its thousands grouped, in its own buffer for one snprintf.
struct CountText {
  char text[32];
  explicit CountText(uint64_t value) { FormatCount(value, text, sizeof text); }
};

void ForgetSamples(LinkStatusPart* part) {
  part->sampleCount = 0;
  part->newest = 0;
}

void AddSample(LinkStatusPart* part, int64_t nowMs, uint64_t received) {
  if (part->sampleCount > 0) {
    const StatusSample& newest = part->samples[part->newest];
    // Counts that went down were reset ("Clear Logs"): the rate starts again.
    if (received < newest.received) ForgetSamples(part);
    // Kept at most four times a second, however often the window asks.
    else if (nowMs - newest.timeMs < kStatusTickMs)
      return;
  }
  part->newest = part->sampleCount == 0 ? 0 : (part->newest + 1) % kStatusSamples;
  part->samples[part->newest] = {nowMs, received};
  if (part->sampleCount < kStatusSamples) ++part->sampleCount;
}

// The oldest sample within the rate window; the newest when none is.
const StatusSample& WindowStart(const LinkStatusPart& part, int64_t nowMs) {
  for (int32_t age = part.sampleCount - 1; age > 0; --age) {
    const StatusSample& sample = part.samples[(part.newest - age + kStatusSamples) % kStatusSamples];
    if (nowMs - sample.timeMs <= kStatusRateWindowMs) return sample;
  }
  return part.samples[part.newest];
}

// Lines per second since `start`: whole numbers from 10 on, tenths below
// (a port with a sentence every few seconds does not read "0/s").
void FormatRate(const StatusSample& start, int64_t nowMs, uint64_t received, char* out, size_t room) {
  const uint64_t lines = received - start.received;
  const auto spanMs = static_cast<uint64_t>(nowMs - start.timeMs);
  if (lines == 0 || spanMs == 0) {
    snprintf(out, room, "0/s");
    return;
  }
  const uint64_t tenths = (lines * 10000 + spanMs / 2) / spanMs;
  if (tenths < 100) {
    snprintf(out, room, "%u.%u/s", static_cast<unsigned>(tenths / 10), static_cast<unsigned>(tenths % 10));
    return;
  }
  const uint64_t whole = (lines * 1000 + spanMs / 2) / spanMs;
  snprintf(out, room, "%s/s", CountText(whole).text);
}

// The part of a connected link, and whether its rate is still moving.
bool DescribeConnected(const MonitorLinkTraits& traits, const LinkStatusPart& part, int64_t nowMs,
                       const LinkStatusInput& in, char (&out)[kStatusTextRoom]) {
  const size_t room = sizeof out;
  const uint64_t received = LinesReceived(in.counts);
  const char* port = in.portName != nullptr ? in.portName : "";
  if (!traits.judged) {
    snprintf(out, room, "%s: %.16s %ld%s%s %s", traits.name, port, static_cast<long>(in.baud), kDot,
             CountText(received).text, traits.lines);
    return false;
  }
  const StatusSample& start = WindowStart(part, nowMs);
  char rate[40];
  FormatRate(start, nowMs, received, rate, sizeof rate);
  snprintf(out, room, "%s: %.16s %ld%s%s in%s%s stored%s%s rejected%s%s", traits.name, port, static_cast<long>(in.baud),
           kDot, CountText(received).text, kDot, CountText(in.counts.of[kFateStored]).text, kDot,
           CountText(LinesRejected(in.counts)).text, kDot, rate);
  return received != start.received;
}

}  // namespace

void InitLinkStatusBar(LinkStatusBar* bar) {
  for (int i = 0; i < kMonitorLinks; ++i) {
    LinkStatusPart& part = bar->parts[i];
    ForgetSamples(&part);
    part.moving = false;
    snprintf(part.text, sizeof part.text, "%s: not connected", kMonitorLinkTraits[i].name);
  }
  bar->settled = true;
}

uint32_t UpdateLinkStatus(LinkStatusBar* bar, int64_t nowMs, const LinkStatusInput inputs[kMonitorLinks]) {
  uint32_t changed = 0;
  bool moving = false;
  for (int i = 0; i < kMonitorLinks; ++i) {
    LinkStatusPart& part = bar->parts[i];
    const LinkStatusInput& in = inputs[i];
    const MonitorLinkTraits& traits = kMonitorLinkTraits[i];
    char text[kStatusTextRoom];
    if (in.connected) {
      AddSample(&part, nowMs, LinesReceived(in.counts));
      part.moving = DescribeConnected(traits, part, nowMs, in, text);
    } else {
      // A link opened again starts its rate afresh.
      ForgetSamples(&part);
      part.moving = false;
      snprintf(text, sizeof text, "%s: not connected", traits.name);
    }
    moving = moving || part.moving;
    if (strcmp(text, part.text) != 0) {
      memcpy(part.text, text, strlen(text) + 1);
      changed |= 1u << i;
    }
  }
  bar->settled = changed == 0 && !moving;
  return changed;
}

size_t FormatCount(uint64_t value, char* out, size_t room) {
  if (room == 0) return 0;
  char digits[24];
  const int count = snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(value));
  size_t at = 0;
  for (int i = 0; i < count && at + 1 < room; ++i) {
    // A space before each group of three that has digits in front of it.
    if (i > 0 && (count - i) % 3 == 0) {
      out[at++] = ' ';
      if (at + 1 >= room) break;
    }
    out[at++] = digits[i];
  }
  out[at] = 0;
  return at;
}
