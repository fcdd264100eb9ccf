// The transmissions' ring, the reading of ABK sentences and their matching,
// the 10 s time-out, and the texts of a transmissions list. Main thread only.
#include "transmit/ack_tracker.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "transmit/compose.h"

namespace {

constexpr const char* kOutcomeTexts[] = {
    "acknowledged",       "not acknowledged", "could not broadcast", "broadcast", "late acknowledgement",
    "no acknowledgement", "waiting",
};
constexpr int kAbkDataFields = 5;  // MMSI, channel, message id, sequential identifier, type
constexpr int kMostAbkType = 4;

struct Span {
  const char* text;
  int length;
};

// A field of 1 to `most` decimal digits.
bool ReadDigits(const Span& field, int most, uint32_t* value) {
  if (field.length < 1 || field.length > most) return false;
  uint32_t v = 0;
  for (int i = 0; i < field.length; ++i) {
    if (field.text[i] < '0' || field.text[i] > '9') return false;
    v = v * 10 + static_cast<uint32_t>(field.text[i] - '0');
  }
  *value = v;
  return true;
}

bool ReadAbkFields(const Span (&f)[kAbkDataFields], AbkAnswer* answer) {
  AbkAnswer a{};
  uint32_t messageId = 0, sequentialId = 0, type = 0;
  a.hasDestination = f[0].length > 0;
  if (a.hasDestination && !ReadDigits(f[0], 9, &a.destination)) return false;
  if (f[1].length > 1) return false;
  a.channel = f[1].length == 1 ? f[1].text[0] : 0;
  if (!ReadDigits(f[2], 2, &messageId) || !ReadDigits(f[3], 1, &sequentialId) || !ReadDigits(f[4], 1, &type) ||
      type > kMostAbkType)
    return false;
  a.messageId = static_cast<int32_t>(messageId);
  a.sequentialId = static_cast<int32_t>(sequentialId);
  a.type = static_cast<int32_t>(type);
  *answer = a;
  return true;
}

bool IsAddressed(int messageId) {
  const EncapsulationFormat* sentence = SentenceOfMessage(messageId);
  return sentence != nullptr && sentence->destination;
}

bool Answers(const TrackedTransmission& t, int link, const AbkAnswer& a) {
  if (t.link != link || t.messageId != a.messageId || t.sequentialId != a.sequentialId) return false;
  return !IsAddressed(t.messageId) || (a.hasDestination && a.destination == t.destination);
}

TrackedTransmission* MutableAt(AckTracker* tracker, int index) {
  return const_cast<TrackedTransmission*>(TrackedAt(tracker, index));
}

[[gnu::format(printf, 3, 4)]] void Cell(TransmissionCells* cells, TransmissionColumn column, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(cells->text[column], kTransmissionCellRoom, format, args);
  va_end(args);
}

}  // namespace

const char* const kTransmissionColumnTitles[kTransmissionColumns] = {
    "Time", "Link", "Sentence", "Seq. id", "Message", "Destination", "Outcome", "Latency",
};

const char* AckOutcomeText(int32_t outcome) {
  constexpr int count = static_cast<int>(sizeof kOutcomeTexts / sizeof kOutcomeTexts[0]);
  return outcome >= 0 && outcome < count ? kOutcomeTexts[outcome] : "";
}

void InitAckTracker(AckTracker* tracker) {
  memset(tracker, 0, sizeof *tracker);
}

const TrackedTransmission* RecordTransmission(AckTracker* tracker, int link, int messageId, int sequentialId,
                                              uint32_t destination, int sentences, int64_t nowMs) {
  const uint32_t number = ++tracker->recorded;
  TrackedTransmission* t = &tracker->entries[(number - 1) % kTrackedTransmissions];
  *t = TrackedTransmission{};
  t->number = number;
  t->sentMs = nowMs;
  t->link = link;
  t->messageId = messageId;
  t->sequentialId = sequentialId;
  t->destination = IsAddressed(messageId) ? destination : 0;
  t->sentences = sentences;
  t->outcome = kAckWaiting;
  ++tracker->changes;
  return t;
}

bool ReadAbkSentence(const char* text, int length, AbkAnswer* answer) {
  if (text == nullptr || length < 1 || (text[0] != '$' && text[0] != '!')) return false;
  Span fields[1 + kAbkDataFields + 1];  // the address, the data fields, and room to see one too many
  int count = 0;
  int begin = 1;
  for (int i = 1; i <= length; ++i) {
    const bool end = i == length || text[i] == '*' || text[i] == '\r' || text[i] == '\n';
    if (!end && text[i] != ',') continue;
    if (count == 1 + kAbkDataFields) return false;  // a field too many
    fields[count++] = {text + begin, i - begin};
    begin = i + 1;
    if (end) break;
  }
  const Span& address = fields[0];
  if (count != 1 + kAbkDataFields || address.length != 5 || memcmp(address.text + 2, "ABK", 3) != 0) return false;
  const Span data[kAbkDataFields] = {fields[1], fields[2], fields[3], fields[4], fields[5]};
  return ReadAbkFields(data, answer);
}

bool ReadAbkRecord(const AbkRecord& record, AbkAnswer* answer) {
  Span data[kAbkDataFields];
  for (int i = 0; i < kAbkDataFields; ++i)
    data[i] = {record.fieldText[1 + i], static_cast<int>(strnlen(record.fieldText[1 + i], kFieldTextRoom))};
  return ReadAbkFields(data, answer);
}

const TrackedTransmission* TrackAbk(AckTracker* tracker, int link, const AbkAnswer& answer, int64_t nowMs) {
  ExpireTransmissions(tracker, nowMs);
  ++tracker->changes;
  TrackedTransmission* chosen = nullptr;
  TrackedTransmission* late = nullptr;
  if (answer.type >= 0 && answer.type <= kMostAbkType) {
    for (int i = 0; i < TrackedCount(tracker) && chosen == nullptr; ++i) {
      TrackedTransmission* t = MutableAt(tracker, i);
      if (!Answers(*t, link, answer)) continue;
      if (t->outcome == kAckWaiting)
        chosen = t;  // the oldest waiting
      else if (t->outcome == kAckNone || (t->outcome == kAckNotAcknowledged && answer.type == kAckLate))
        late = t;  // the newest open to a late answer
    }
  }
  if (chosen == nullptr) chosen = late;
  if (chosen == nullptr) {
    ++tracker->unmatchedAbks;
    return nullptr;
  }
  chosen->outcome = answer.type;
  chosen->answeredMs = nowMs;
  return chosen;
}

const TrackedTransmission* TrackAbkFate(AckTracker* tracker, const SentenceFate& fate, int64_t nowMs) {
  if (fate.code != kFateStored || fate.details.kind != kSlotAbk) return nullptr;
  const int64_t at = fate.unixTimeMs != 0 ? fate.unixTimeMs : nowMs;
  AbkAnswer answer;
  if (!ReadAbkSentence(fate.text, fate.textLength, &answer)) {
    ++tracker->unmatchedAbks;
    ++tracker->changes;
    return nullptr;
  }
  return TrackAbk(tracker, fate.link, answer, at);
}

int ExpireTransmissions(AckTracker* tracker, int64_t nowMs) {
  int marked = 0;
  for (int i = 0; i < TrackedCount(tracker); ++i) {
    TrackedTransmission* t = MutableAt(tracker, i);
    if (t->outcome == kAckWaiting && nowMs - t->sentMs >= kAckTimeoutMs) {
      t->outcome = kAckNone;
      ++marked;
    }
  }
  if (marked > 0) ++tracker->changes;
  return marked;
}

int64_t NextAckDeadline(const AckTracker* tracker) {
  int64_t earliest = -1;
  for (int i = 0; i < TrackedCount(tracker); ++i) {
    const TrackedTransmission* t = TrackedAt(tracker, i);
    const int64_t due = t->sentMs + kAckTimeoutMs;
    if (t->outcome == kAckWaiting && (earliest < 0 || due < earliest)) earliest = due;
  }
  return earliest;
}

int TrackedCount(const AckTracker* tracker) {
  return tracker->recorded < kTrackedTransmissions ? static_cast<int>(tracker->recorded) : kTrackedTransmissions;
}

const TrackedTransmission* TrackedAt(const AckTracker* tracker, int index) {
  if (index < 0 || index >= TrackedCount(tracker)) return nullptr;
  const uint32_t first = tracker->recorded - static_cast<uint32_t>(TrackedCount(tracker)) + 1;
  return &tracker->entries[(first + static_cast<uint32_t>(index) - 1) % kTrackedTransmissions];
}

void FormatTransmissionCells(const TrackedTransmission& t, TransmissionCells* cells) {
  const int64_t dayMs = ((t.sentMs % 86400000) + 86400000) % 86400000;  // UTC time of day
  Cell(cells, kColumnTime, "%02d:%02d:%02d.%03d", static_cast<int>(dayMs / 3600000),
       static_cast<int>(dayMs / 60000 % 60), static_cast<int>(dayMs / 1000 % 60), static_cast<int>(dayMs % 1000));
  Cell(cells, kColumnLink, "%s", t.link == 2 ? "NMEA2000 Port" : "Presentation Port");
  Cell(cells, kColumnSentence, "%s", IsAddressed(t.messageId) ? "ABM" : "BBM");
  Cell(cells, kColumnSequentialId, "%d", static_cast<int>(t.sequentialId));
  Cell(cells, kColumnMessageId, "%d", static_cast<int>(t.messageId));
  if (IsAddressed(t.messageId))
    Cell(cells, kColumnDestination, "%09u", static_cast<unsigned>(t.destination));
  else
    Cell(cells, kColumnDestination, "%s", "");
  Cell(cells, kColumnOutcome, "%s", AckOutcomeText(t.outcome));
  if (t.outcome <= kMostAbkType)
    Cell(cells, kColumnLatency, "%" PRId64 " ms", t.answeredMs - t.sentMs);
  else
    Cell(cells, kColumnLatency, "%s", "");
}
