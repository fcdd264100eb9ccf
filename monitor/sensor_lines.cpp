// Line assembly of the Sensor Port for the monitor.
#include "monitor/sensor_lines.h"

#include "monitor/monitor_links.h"

namespace {

void BeginLine(SensorLines* s, bool inSentence) {
  s->line.textLength = 0;
  s->line.textLonger = false;
  s->inSentence = inSentence;
}

void KeepByte(SensorLines* s, uint8_t b) {
  SentenceFate& line = s->line;
  if (line.textLength < kFateTextChars)
    line.text[line.textLength++] = static_cast<char>(b);
  else
    line.textLonger = true;
}

void HandOver(SensorLines* s, int64_t (*clock)(void*), void* context) {
  SentenceFate& line = s->line;
  line.code = s->inSentence ? kFateIgnored : kFateNoStartCharacter;
  line.link = kSensorLinkNumber;
  line.unixTimeMs = clock != nullptr ? clock(context) : 0;
  line.text[line.textLength] = 0;
  AddToCount(&s->counters, line.code, 1);
  if (s->inSentence) AddToCount(&s->counters, kCountSentences, 1);
  PushFate(&s->ring, line);
}

}  // namespace

void FeedSensorLines(SensorLines* s, int64_t (*clock)(void*), void* context, const uint8_t* bytes, int count) {
  if (count <= 0) return;
  AddToCount(&s->counters, kCountBytes, static_cast<uint64_t>(count));
  for (int i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    if (b == '!' || b == '$') {
      // A sentence cut short by the next is a line of its own; text before
      // a start character on its line is not (as the intake has it).
      if (s->inSentence) HandOver(s, clock, context);
      BeginLine(s, true);
      KeepByte(s, b);
    } else if (b == '\r' || b == '\n') {
      if (s->inSentence || s->line.textLength != 0 || s->line.textLonger) HandOver(s, clock, context);
      BeginLine(s, false);
    } else {
      KeepByte(s, b);
    }
  }
}
