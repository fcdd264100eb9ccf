// TAG block writing and reading.
#include "nmea/tag_block.h"

#include <cstring>

#include "nmea/sentence_writer.h"

namespace {

constexpr int kTagTextChars = 24;
// From 12 digits on, a c: value is milliseconds: 10^11 seconds lie some
// three thousand years ahead, 10^11 milliseconds in 1973.
constexpr int64_t kLeastMilliseconds = 100000000000;

bool Reserved(unsigned char c) {
  return c < 32 || c > 126 || c == '\\' || c == '*' || c == ',' || c == '!' || c == '$';
}

void PutParameter(SentenceWriter* out, char key, const char* value, int most) {
  const char head[] = {',', key, ':'};
  const bool first = out->length <= 1;
  AddText(out, head + (first ? 1 : 0), first ? 2 : 3);
  for (int i = 0; i < most && value[i] != 0; ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    const char kept = Reserved(c) ? '_' : static_cast<char>(c);
    AddText(out, &kept, 1);
  }
}

void PutNumber(SentenceWriter* out, char key, int64_t value) {
  char digits[20];
  int first = sizeof digits;
  do {
    digits[--first] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 && first > 0);
  char text[sizeof digits + 1];
  const int count = static_cast<int>(sizeof digits) - first;
  memcpy(text, digits + first, static_cast<size_t>(count));
  text[count] = 0;
  PutParameter(out, key, text, count);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A c: value: whole seconds or milliseconds, seconds with a fraction.
bool ParseTime(const char* text, int length, int64_t* unixTimeMs) {
  int64_t whole = 0;
  int at = 0;
  for (; at < length && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (at == 18) return false;  // past any time, and past what 64 bits hold
    whole = whole * 10 + (text[at] - '0');
  }
  if (at == 0) return false;
  if (at == length) {
    *unixTimeMs = whole >= kLeastMilliseconds ? whole : whole * 1000;
    return true;
  }
  if (text[at] != '.' || whole >= kLeastMilliseconds) return false;
  int64_t milliseconds = 0;
  int digits = 0;
  for (++at; at < length; ++at, ++digits) {
    if (text[at] < '0' || text[at] > '9') return false;
    if (digits < 3) milliseconds = milliseconds * 10 + (text[at] - '0');
  }
  for (; digits < 3; ++digits) milliseconds *= 10;
  *unixTimeMs = whole * 1000 + milliseconds;
  return true;
}

void CopyStation(const char* text, int length, char* out) {
  if (length > kTagStationChars) length = 0;  // cut, it would name another port
  memcpy(out, text, static_cast<size_t>(length));
  out[length] = 0;
}

// The parameters of one block's text (between "\" and "*"), into `tag`.
void ReadParameters(const char* text, int length, TagBlock* tag) {
  int start = 0;
  while (start < length) {
    int end = start;
    while (end < length && text[end] != ',') ++end;
    if (end - start >= 2 && text[start + 1] == ':') {
      const char* value = text + start + 2;
      const int valueLength = end - start - 2;
      switch (text[start]) {
        case 'c':
          tag->hasTime = ParseTime(value, valueLength, &tag->unixTimeMs) || tag->hasTime;
          break;
        case 's':
          CopyStation(value, valueLength, tag->source);
          break;
        case 'd':
          CopyStation(value, valueLength, tag->destination);
          break;
        default:  // grouping, line count, relative time, text: not needed here
          break;
      }
    }
    start = end + 1;
  }
}

}  // namespace

int WriteTagBlock(char* out, int room, TagDirection direction, const char* station, int64_t unixTimeMs,
                  const char* text) {
  SentenceWriter o = StartSentence(out, room, '\\', "");
  PutParameter(&o, direction == kTagSource ? 's' : 'd', station, kTagStationChars);
  if (unixTimeMs > 0) PutNumber(&o, 'c', unixTimeMs);
  if (text != nullptr) PutParameter(&o, 't', text, kTagTextChars);
  AddChecksum(&o);
  AddText(&o, "\\", 1);
  if (o.overflow) {
    if (room > 0) out[0] = 0;
    return 0;
  }
  out[o.length] = 0;
  return o.length;
}

void ParseTaggedLine(const char* line, int length, TaggedLine* out) {
  memset(&out->tag, 0, sizeof out->tag);
  int at = 0;
  while (at < length && line[at] == '\\') {
    const char* close = static_cast<const char*>(memchr(line + at + 1, '\\', static_cast<size_t>(length - at - 1)));
    if (close == nullptr) break;
    const char* block = line + at + 1;
    const int blockLength = static_cast<int>(close - block);
    const char* star = static_cast<const char*>(memchr(block, '*', static_cast<size_t>(blockLength)));
    int parameters = blockLength;
    bool good = true;
    if (star != nullptr) {
      parameters = static_cast<int>(star - block);
      const int high = blockLength - parameters == 3 ? HexValue(star[1]) : -1;
      const int low = high >= 0 ? HexValue(star[2]) : -1;
      good = low >= 0 && SentenceChecksum(block, parameters) == (high << 4 | low);
    }
    out->tag.present = true;
    if (good)
      ReadParameters(block, parameters, &out->tag);
    else
      out->tag.checksumBad = true;
    at = static_cast<int>(close - line) + 1;
  }
  out->sentence = line + at;
  out->sentenceLength = length - at;
}

bool ReceivedOn(const TagBlock& tag, const char* port) {
  if (tag.source[0] == 0) return false;
  for (int i = 0;; ++i) {
    char a = tag.source[i];
    char b = port[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
    if (a == 0) return true;
  }
}
