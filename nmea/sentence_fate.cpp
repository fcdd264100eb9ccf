// The names and user-facing texts of the sentence fates.
#include "nmea/sentence_fate.h"

#include <cstdio>

#include "log/message_log.h"

namespace {

constexpr const char* kFateNames[kFateCodes] = {
    "stored",     "fragmentHeld",   "checksumMismatch", "tooFewFields", "badFragmentNumber", "badSequenceId",
    "outOfOrder", "payloadTooLong", "fieldTooLong",     "ignored",      "cutShort",          "noStartCharacter",
};

// A one-character field by name ("id 3", "channel A"), or `none` when the
// field was empty.
struct FieldText {
  char text[16];
  FieldText(const char* name, char value, const char* none) {
    if (value)
      snprintf(text, sizeof text, "%s %c", name, value);
    else
      snprintf(text, sizeof text, "%s", none);
  }
};
FieldText IdText(char id) {
  return FieldText("id", id, "no id");
}
FieldText ChannelText(char channel) {
  return FieldText("channel", channel, "no channel");
}

int DescribeOutOfOrder(const FateDetails& d, char* out, size_t room) {
  const FieldText id = IdText(d.sequenceId);
  if (d.expectedCount == 0)
    return snprintf(out, room, "fragment %u of %u (%s) out of order: no message with this id in progress",
                    d.fragmentNumber, d.fragmentCount, id.text);
  if (d.channel == d.expectedChannel)
    return snprintf(out, room,
                    "fragment %u of %u (%s) out of order: expected fragment %u of %u; partial message discarded",
                    d.fragmentNumber, d.fragmentCount, id.text, d.expectedNumber, d.expectedCount);
  return snprintf(out, room,
                  "fragment %u of %u (%s) on %s out of order: expected fragment %u of %u on %s; partial message "
                  "discarded",
                  d.fragmentNumber, d.fragmentCount, id.text, ChannelText(d.channel).text, d.expectedNumber,
                  d.expectedCount, ChannelText(d.expectedChannel).text);
}

}  // namespace

const char* FateName(FateCode code) {
  return code < kFateCodes ? kFateNames[code] : "unknown";
}

size_t DescribeFate(const SentenceFate& fate, char* out, size_t room) {
  if (room == 0) return 0;
  const FateDetails& d = fate.details;
  int length = 0;
  switch (fate.code) {
    case kFateStored:
      if (d.fragmentCount > 1)
        length = snprintf(out, room, "fragment %u of %u (%s): message stored in column %d", d.fragmentNumber,
                          d.fragmentCount, IdText(d.sequenceId).text, static_cast<int>(d.slot));
      else
        length = snprintf(out, room, "stored in column %d", static_cast<int>(d.slot));
      break;
    case kFateFragmentHeld:
      length =
          snprintf(out, room, "fragment %u of %u (%s)%s", d.fragmentNumber, d.fragmentCount, IdText(d.sequenceId).text,
                   d.partialDiscarded ? "; an unfinished message with this id discarded" : "");
      break;
    case kFateChecksumMismatch:
      if (d.receivedChecksum[0] == 0)
        length = snprintf(out, room, "checksum mismatch: nothing after \"*\", computed %02X", d.computedChecksum);
      else
        length = snprintf(out, room, "checksum mismatch: received %s, computed %02X", d.receivedChecksum,
                          d.computedChecksum);
      break;
    case kFateTooFewFields:
      length = snprintf(out, room, "too few fields: %u data fields, %s needs 5", d.length, d.formatter);
      break;
    case kFateBadFragmentNumber:
      length = snprintf(out, room, "bad fragment number: \"%s\" of \"%s\"", d.numberText, d.countText);
      break;
    case kFateBadSequenceId:
      length = snprintf(out, room, "bad sequential identifier \"%s\" in fragment %u of %u", d.sequenceText,
                        d.fragmentNumber, d.fragmentCount);
      break;
    case kFateOutOfOrder:
      length = DescribeOutOfOrder(d, out, room);
      break;
    case kFatePayloadTooLong:
      length = snprintf(out, room, "payload too long: %u characters, at most %d", d.length, kPayloadTextChars);
      break;
    case kFateFieldTooLong:
      length = snprintf(out, room, "field too long: more than %d characters", kFieldTextRoom - 1);
      break;
    case kFateIgnored:
      length = d.formatter[0] ? snprintf(out, room, "ignored: %s", d.formatter)
                              : snprintf(out, room, "ignored: no formatter");
      break;
    case kFateCutShort:
      length = snprintf(out, room, "cut short: the next sentence began before its end");
      break;
    case kFateNoStartCharacter:
      length = snprintf(out, room, "line without a start character");
      break;
    default:
      length = snprintf(out, room, "unknown fate");
      break;
  }
  if (length < 0) {
    out[0] = 0;
    return 0;
  }
  return static_cast<size_t>(length) < room ? static_cast<size_t>(length) : room - 1;
}
