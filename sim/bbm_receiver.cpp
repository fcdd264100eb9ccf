// Checking of "!AIBBM" and "!AIABM" sentences and reassembly of their
// messages by sentence type and sequential identifier. One thread per
// receiver; no allocation.
#include "sim/bbm_receiver.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ais/bit_writer.h"
#include "ais/dearmour.h"
#include "nmea/sentence_writer.h"

namespace {

constexpr int kMostFieldsNoted = 16;
constexpr int kMmsiDigits = 9;

// What tells the sentence types apart. An ABM has the destination MMSI
// after the sequential identifier; every later field is one further on.
struct ReceivedFormat {
  char formatter[4];
  int32_t dataFields;  // after the address
  bool destination;
  int32_t highestSequentialId;
  int32_t messageIds[2];
  int32_t maxDataBits;
};

// Indexed by ReceivedSentence.
constexpr ReceivedFormat kReceivedFormats[kReceivedSentenceTypes] = {
    {"BBM", 7, false, 9, {8, 14}, kBbmMaxDataBits},
    {"ABM", 8, true, 3, {6, 12}, kAbmMaxDataBits},
};

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
  int type;  // a ReceivedSentence
  int total;
  int number;
  int sequentialId;
  uint32_t destination;
  int channel;
  int messageId;
  Span data;
  int fill;
};

BbmOutcome NewOutcome(int32_t kind) {
  BbmOutcome outcome;
  memset(&outcome, 0, sizeof outcome);
  outcome.kind = kind;
  outcome.sentence = -1;
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

// The address field must name a BBM or an ABM and the sentence must have
// its fields and a sequential identifier; what fails here cannot be
// acknowledged.
bool CheckAddress(const SentenceParts& parts, BbmOutcome* outcome, int* type, int* sequentialId) {
  const Span& address = parts.fields[0];
  *type = -1;
  for (int t = 0; t < kReceivedSentenceTypes && address.length >= 3; ++t)
    if (memcmp(address.text + address.length - 3, kReceivedFormats[t].formatter, 3) == 0) *type = t;
  if (*type < 0) return Refuse(outcome, "not a BBM or ABM sentence (address field '%s')", Shown(address).text);
  const ReceivedFormat& format = kReceivedFormats[*type];
  if (address.length != 5)
    return Refuse(outcome, "address field '%s' is not a talker and %s", Shown(address).text, format.formatter);
  if (parts.fieldCount != format.dataFields + 1)
    return Refuse(outcome, "%d fields after the address, %s sentences have %d", parts.fieldCount - 1, format.formatter,
                  format.dataFields);
  *sequentialId = SmallDigit(parts.fields[3], 0, format.highestSequentialId);
  if (*sequentialId < 0)
    return Refuse(outcome, "sequential identifier '%s' is not 0-%d", Shown(parts.fields[3]).text,
                  format.highestSequentialId);
  outcome->sentence = *type;
  return true;
}

// A message id field naming one of the format's two ids, else -1.
int MessageIdOf(const Span& field, const ReceivedFormat& format) {
  int value = 0;
  if (field.length < 1 || field.length > 2) return -1;
  for (int i = 0; i < field.length; ++i) {
    if (field.text[i] < '0' || field.text[i] > '9') return -1;
    value = value * 10 + (field.text[i] - '0');
  }
  return value == format.messageIds[0] || value == format.messageIds[1] ? value : -1;
}

// The remaining fields of a sentence whose identifier is known; what fails
// here fails the broadcast.
bool CheckFields(const SentenceParts& parts, BbmSentence* s, BbmOutcome* outcome) {
  const ReceivedFormat& format = kReceivedFormats[s->type];
  const Span* f = parts.fields;
  s->total = SmallDigit(f[1], 1, 9);
  if (s->total < 0) return Refuse(outcome, "total '%s' is not 1-9", Shown(f[1]).text);
  s->number = SmallDigit(f[2], 1, s->total);
  if (s->number < 0) return Refuse(outcome, "sentence number '%s' is not 1-%d", Shown(f[2]).text, s->total);
  s->destination = 0;
  if (format.destination) {
    const Span& mmsi = f[4];
    bool digits = mmsi.length == kMmsiDigits;
    for (int i = 0; i < mmsi.length && digits; ++i) {
      digits = mmsi.text[i] >= '0' && mmsi.text[i] <= '9';
      s->destination = s->destination * 10 + static_cast<uint32_t>(mmsi.text[i] - '0');
    }
    if (!digits) return Refuse(outcome, "destination MMSI '%s' is not nine digits", Shown(mmsi).text);
    outcome->destination = s->destination;
  }
  f += format.destination ? 1 : 0;  // from here on the fields of both types line up
  s->channel = SmallDigit(f[4], 0, 3);
  if (s->channel < 0) return Refuse(outcome, "channel '%s' is not 0-3", Shown(f[4]).text);
  outcome->channel = s->channel;
  s->messageId = MessageIdOf(f[5], format);
  if (s->messageId < 0)
    return Refuse(outcome, "message id '%s' is not %d or %d", Shown(f[5]).text, format.messageIds[0],
                  format.messageIds[1]);
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
  outcome.sentence = a.sentence;
  outcome.sequentialId = sequentialId;
  outcome.destination = a.destination;
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

// Takes over what a sentence says of its message.
void NoteMessage(BbmAssembly* a, const BbmSentence& s) {
  a->destination = s.destination;
  a->channel = s.channel;
  a->messageId = s.messageId;
}

void StartAssembly(BbmAssembly* a, const BbmSentence& s) {
  a->state = kBbmCollecting;
  a->total = s.total;
  a->received = 0;
  NoteMessage(a, s);
  a->bitCount = 0;
  memset(a->data, 0, sizeof a->data);
}

// Appends the sentence's data bits; reports the broadcast when it is whole.
void AppendSentence(BbmAssembly* a, const BbmSentence& s, int64_t nowMs, const BbmOutcomeSink* sink) {
  const int bits = 6 * s.data.length - s.fill;
  const int most = kReceivedFormats[a->sentence].maxDataBits;
  if (a->bitCount + bits > most) {
    FailAssembly(a, s.sequentialId, nowMs, sink, "%d data bits, more than the %d one message can carry",
                 a->bitCount + bits, most);
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

void ExpireOne(BbmReceiver* receiver, int type, int id, int64_t nowMs, const BbmOutcomeSink* sink) {
  BbmAssembly* a = &receiver->assemblies[type][id];
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
  for (int type = 0; type < kReceivedSentenceTypes; ++type)
    for (BbmAssembly& a : receiver->assemblies[type]) a.sentence = type;
}

void FeedBbmSentence(BbmReceiver* receiver, const char* text, int length, int64_t nowMs, const BbmOutcomeSink* sink) {
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) --length;
  BbmOutcome outcome = NewOutcome(kBbmRejected);
  SentenceParts parts;
  parts.fieldCount = 0;
  int type = -1;
  int id = -1;
  if (!CheckFraming(text, length, &parts, &outcome) || !CheckAddress(parts, &outcome, &type, &id)) {
    Report(sink, outcome);
    return;
  }
  ExpireOne(receiver, type, id, nowMs, sink);
  BbmAssembly* a = &receiver->assemblies[type][id];
  BbmSentence s;
  s.type = type;
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
    const bool next = s.number == a->received + 1 && s.total == a->total && s.destination == a->destination &&
                      s.channel == a->channel && s.messageId == a->messageId;
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
  NoteMessage(a, s);
  FailAssembly(a, id, nowMs, sink, "sentence %d of %d without sentence 1", s.number, s.total);
}

void ExpireBbmBroadcasts(BbmReceiver* receiver, int64_t nowMs, const BbmOutcomeSink* sink) {
  for (int type = 0; type < kReceivedSentenceTypes; ++type)
    for (int id = 0; id < kBbmSequentialIds; ++id) ExpireOne(receiver, type, id, nowMs, sink);
}

int64_t NextBbmDeadline(const BbmReceiver* receiver) {
  int64_t earliest = -1;
  for (const auto& assemblies : receiver->assemblies) {
    for (const BbmAssembly& a : assemblies) {
      if (a.state != kBbmCollecting) continue;
      const int64_t due = a.lastMs + receiver->timeoutMs;
      if (earliest < 0 || due < earliest) earliest = due;
    }
  }
  return earliest;
}
