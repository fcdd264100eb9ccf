// Checking of "!AIBBM" sentences and reassembly of binary broadcasts by
// sequential identifier. One thread per receiver; no allocation.
#include "sim/bbm_receiver.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ais/bit_writer.h"
#include "ais/dearmour.h"
#include "nmea/sentence_writer.h"

namespace {

constexpr int kBbmFields = 8;  // the address and seven data fields
constexpr int kMostFieldsNoted = 16;

struct Span {
  const char* text;
  int length;
};

// One sentence taken apart. Fields are noted up to kMostFieldsNoted; the
// count goes on beyond.
struct SentenceParts {
  int fieldCount;
  Span fields[kMostFieldsNoted];
};

// A sentence that passed every check.
struct BbmSentence {
  int total;
  int number;
  int sequentialId;
  int channel;
  int messageId;
  Span data;
  int fill;
};

BbmOutcome NewOutcome(int32_t kind) {
  BbmOutcome outcome;
  memset(&outcome, 0, sizeof outcome);
  outcome.kind = kind;
  outcome.sequentialId = -1;
  outcome.channel = -1;
  outcome.messageId = -1;
  return outcome;
}

void FormatReason(BbmOutcome* outcome, const char* format, va_list args) {
  vsnprintf(outcome->reason, sizeof outcome->reason, format, args);
}

[[gnu::format(printf, 2, 3)]] void SetReason(BbmOutcome* outcome, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatReason(outcome, format, args);
  va_end(args);
}

// Sets the reason and answers false, so that a check reads as one line.
[[gnu::format(printf, 2, 3)]] bool Refuse(BbmOutcome* outcome, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatReason(outcome, format, args);
  va_end(args);
  return false;
}

void Report(const BbmOutcomeSink* sink, const BbmOutcome& outcome) {
  if (sink != nullptr && sink->report != nullptr) sink->report(sink->context, &outcome);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool InArmourAlphabet(char c) {
  return (c >= '0' && c <= 'W') || (c >= '`' && c <= 'w');
}

// A one-character decimal field within lowest..highest, else -1.
int SmallDigit(const Span& field, int lowest, int highest) {
  if (field.length != 1 || field.text[0] < '0' || field.text[0] > '9') return -1;
  const int value = field.text[0] - '0';
  return value >= lowest && value <= highest ? value : -1;
}

// A field as a short text for a reason line.
struct Shown {
  char text[16];
  explicit Shown(const Span& field) {
    const int length = field.length < 12 ? field.length : 12;
    snprintf(text, sizeof text, "%.*s%s", length, field.text, field.length > length ? "..." : "");
  }
};

// Framing, characters and checksum; on success fills `parts` with the
// fields between the start character and "*".
bool CheckFraming(const char* text, int length, SentenceParts* parts, BbmOutcome* outcome) {
  if (length == 0) return Refuse(outcome, "empty line");
  if (length > kBbmMaxSentenceChars) return Refuse(outcome, "%d characters with CR LF, more than 82", length + 2);
  if (text[0] != '!' && text[0] != '$') return Refuse(outcome, "does not start with '!' or '$'");
  int star = -1;
  for (int i = 1; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 32 || c > 126) return Refuse(outcome, "control or non-ASCII character in column %d", i + 1);
    if (c == '*' && star < 0) star = i;
  }
  if (star < 0) return Refuse(outcome, "no checksum");
  if (length - star != 3 || HexValue(text[star + 1]) < 0 || HexValue(text[star + 2]) < 0)
    return Refuse(outcome, "checksum is not two hexadecimal digits at the end");
  const uint8_t sum = SentenceChecksum(text + 1, star - 1);
  const int sent = HexValue(text[star + 1]) * 16 + HexValue(text[star + 2]);
  if (sent != sum) return Refuse(outcome, "checksum mismatch: sentence says %02X, computed %02X", sent, sum);

  parts->fieldCount = 0;
  int begin = 1;
  for (int i = 1; i <= star; ++i) {
    if (i < star && text[i] != ',') continue;
    if (parts->fieldCount < kMostFieldsNoted) parts->fields[parts->fieldCount] = {text + begin, i - begin};
    ++parts->fieldCount;
    begin = i + 1;
  }
  return true;
}

// The address field must name a BBM and the sentence must have its fields
// and a sequential identifier; what fails here cannot be acknowledged.
bool CheckAddress(const SentenceParts& parts, BbmOutcome* outcome, int* sequentialId) {
  const Span& address = parts.fields[0];
  if (address.length < 3 || memcmp(address.text + address.length - 3, "BBM", 3) != 0)
    return Refuse(outcome, "not a BBM sentence (address field '%s')", Shown(address).text);
  if (address.length != 5) return Refuse(outcome, "address field '%s' is not a talker and BBM", Shown(address).text);
  if (parts.fieldCount != kBbmFields)
    return Refuse(outcome, "%d fields after the address, a BBM has 7", parts.fieldCount - 1);
  *sequentialId = SmallDigit(parts.fields[3], 0, 9);
  if (*sequentialId < 0) return Refuse(outcome, "sequential identifier '%s' is not 0-9", Shown(parts.fields[3]).text);
  return true;
}

// The remaining fields of a sentence whose identifier is known; what fails
// here fails the broadcast.
bool CheckFields(const SentenceParts& parts, BbmSentence* s, BbmOutcome* outcome) {
  const Span* f = parts.fields;
  s->total = SmallDigit(f[1], 1, 9);
  if (s->total < 0) return Refuse(outcome, "total '%s' is not 1-9", Shown(f[1]).text);
  s->number = SmallDigit(f[2], 1, s->total);
  if (s->number < 0) return Refuse(outcome, "sentence number '%s' is not 1-%d", Shown(f[2]).text, s->total);
  s->channel = SmallDigit(f[4], 0, 3);
  if (s->channel < 0) return Refuse(outcome, "channel '%s' is not 0-3", Shown(f[4]).text);
  outcome->channel = s->channel;
  if (f[5].length == 1 && f[5].text[0] == '8')
    s->messageId = 8;
  else if (f[5].length == 2 && f[5].text[0] == '1' && f[5].text[1] == '4')
    s->messageId = 14;
  else
    return Refuse(outcome, "message id '%s' is not 8 or 14", Shown(f[5]).text);
  outcome->messageId = s->messageId;
  s->data = f[6];
  if (s->data.length == 0) return Refuse(outcome, "no data");
  for (int i = 0; i < s->data.length; ++i) {
    if (!InArmourAlphabet(s->data.text[i]))
      return Refuse(outcome, "data character '%c' is outside the six-bit alphabet", s->data.text[i]);
  }
  s->fill = SmallDigit(f[7], 0, 5);
  if (s->fill < 0) return Refuse(outcome, "fill bits '%s' is not 0-5", Shown(f[7]).text);
  if (s->fill != 0 && s->number != s->total)
    return Refuse(outcome, "%d fill bits in sentence %d of %d; only the last may have them", s->fill, s->number,
                  s->total);
  return true;
}

BbmOutcome AssemblyOutcome(int32_t kind, const BbmAssembly& a, int sequentialId) {
  BbmOutcome outcome = NewOutcome(kind);
  outcome.sequentialId = sequentialId;
  outcome.channel = a.channel;
  outcome.messageId = a.messageId;
  return outcome;
}

// Ends a broadcast as failed; its remaining sentences are then dropped.
[[gnu::format(printf, 5, 6)]] void FailAssembly(BbmAssembly* a, int sequentialId, int64_t nowMs,
                                                const BbmOutcomeSink* sink, const char* format, ...) {
  BbmOutcome outcome = AssemblyOutcome(kBbmFailed, *a, sequentialId);
  va_list args;
  va_start(args, format);
  FormatReason(&outcome, format, args);
  va_end(args);
  a->state = kBbmDiscarding;
  a->lastMs = nowMs;
  Report(sink, outcome);
}

void StartAssembly(BbmAssembly* a, const BbmSentence& s) {
  a->state = kBbmCollecting;
  a->total = s.total;
  a->received = 0;
  a->channel = s.channel;
  a->messageId = s.messageId;
  a->bitCount = 0;
  memset(a->data, 0, sizeof a->data);
}

// Appends the sentence's data bits; reports the broadcast when it is whole.
void AppendSentence(BbmAssembly* a, const BbmSentence& s, int64_t nowMs, const BbmOutcomeSink* sink) {
  const int bits = 6 * s.data.length - s.fill;
  if (a->bitCount + bits > kBbmMaxDataBits) {
    FailAssembly(a, s.sequentialId, nowMs, sink, "%d data bits, more than the %d one message can carry",
                 a->bitCount + bits, kBbmMaxDataBits);
    return;
  }
  for (int i = 0; i < s.data.length; ++i) {
    const int width = i + 1 < s.data.length ? 6 : 6 - s.fill;
    const uint32_t value = ArmourValue(static_cast<uint8_t>(s.data.text[i])) >> (6 - width);
    WriteBitField(a->data, a->bitCount, width, value);
    a->bitCount += width;
  }
  a->received = s.number;
  a->lastMs = nowMs;
  if (a->received < a->total) return;

  BbmOutcome outcome = AssemblyOutcome(kBbmComplete, *a, s.sequentialId);
  outcome.sentences = a->total;
  outcome.bitCount = a->bitCount;
  outcome.data = a->data;
  a->state = kBbmIdle;  // the data stay until the identifier is used again
  Report(sink, outcome);
}

bool Overdue(const BbmReceiver* receiver, const BbmAssembly& a, int64_t nowMs) {
  return nowMs - a.lastMs >= receiver->timeoutMs;
}

void ExpireOne(BbmReceiver* receiver, int id, int64_t nowMs, const BbmOutcomeSink* sink) {
  BbmAssembly* a = &receiver->assemblies[id];
  if (a->state == kBbmIdle || !Overdue(receiver, *a, nowMs)) return;
  if (a->state == kBbmCollecting) {
    FailAssembly(a, id, nowMs, sink, "incomplete: sentence %d of %d did not come within %d ms", a->received + 1,
                 a->total, receiver->timeoutMs);
  }
  a->state = kBbmIdle;
}

}  // namespace

void InitBbmReceiver(BbmReceiver* receiver, int timeoutMs) {
  memset(receiver, 0, sizeof *receiver);
  receiver->timeoutMs = timeoutMs > 0 ? timeoutMs : kBbmDefaultTimeoutMs;
}

void FeedBbmSentence(BbmReceiver* receiver, const char* text, int length, int64_t nowMs, const BbmOutcomeSink* sink) {
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) --length;
  BbmOutcome outcome = NewOutcome(kBbmRejected);
  SentenceParts parts;
  parts.fieldCount = 0;
  int id = -1;
  if (!CheckFraming(text, length, &parts, &outcome) || !CheckAddress(parts, &outcome, &id)) {
    Report(sink, outcome);
    return;
  }
  ExpireOne(receiver, id, nowMs, sink);
  BbmAssembly* a = &receiver->assemblies[id];
  BbmSentence s;
  s.sequentialId = id;
  outcome.sequentialId = id;
  if (!CheckFields(parts, &s, &outcome)) {
    // A malformed sentence fails the broadcast it belongs to, once.
    if (a->state == kBbmDiscarding) {
      outcome.kind = kBbmRejected;
    } else {
      outcome.kind = kBbmFailed;
      a->state = kBbmDiscarding;
    }
    a->lastMs = nowMs;
    Report(sink, outcome);
    return;
  }

  if (a->state == kBbmCollecting) {
    const bool next =
        s.number == a->received + 1 && s.total == a->total && s.channel == a->channel && s.messageId == a->messageId;
    if (next) {
      AppendSentence(a, s, nowMs, sink);
      return;
    }
    if (s.number != 1) {
      FailAssembly(a, id, nowMs, sink, "sentence %d of %d does not follow sentence %d of the broadcast", s.number,
                   s.total, a->received);
      return;
    }
    FailAssembly(a, id, nowMs, sink, "incomplete: a new broadcast began after sentence %d of %d", a->received,
                 a->total);
  }
  if (s.number == 1) {
    StartAssembly(a, s);
    AppendSentence(a, s, nowMs, sink);
    return;
  }
  if (a->state == kBbmDiscarding) {
    SetReason(&outcome, "sentence %d of %d belongs to a failed broadcast; dropped", s.number, s.total);
    a->lastMs = nowMs;
    Report(sink, outcome);
    return;
  }
  a->channel = s.channel;
  a->messageId = s.messageId;
  FailAssembly(a, id, nowMs, sink, "sentence %d of %d without sentence 1", s.number, s.total);
}

void ExpireBbmBroadcasts(BbmReceiver* receiver, int64_t nowMs, const BbmOutcomeSink* sink) {
  for (int id = 0; id < kBbmSequentialIds; ++id) ExpireOne(receiver, id, nowMs, sink);
}

int64_t NextBbmDeadline(const BbmReceiver* receiver) {
  int64_t earliest = -1;
  for (const BbmAssembly& a : receiver->assemblies) {
    if (a.state != kBbmCollecting) continue;
    const int64_t due = a.lastMs + receiver->timeoutMs;
    if (earliest < 0 || due < earliest) earliest = due;
  }
  return earliest;
}
