// The fate of one received line: the fixed record the sentence intake writes
// for every sentence it evaluates (and for every line of text without a start
// character), and the short text a user reads for it. The record is a plain
// value, copied whole into the observers' ring.
#pragma once
#include <cstddef>
#include <cstdint>

// The longest valid sentence, start character to checksum; a longer line
// keeps its first characters and is marked as longer.
constexpr int kFateTextChars = 82;

// The closed list of fates, in the order the counters and tools list them.
enum FateCode : uint8_t {
  kFateStored,             // a message complete: stored in a log slot
  kFateFragmentHeld,       // fragment k of n kept until the message is complete
  kFateChecksumMismatch,   // received and computed checksums differ
  kFateTooFewFields,       // a VDM, VDO or ABK that ends before its data fields
  kFateBadFragmentNumber,  // count or number not one digit, or number above count
  kFateBadSequenceId,      // a multi-sentence fragment whose identifier is not one digit
  kFateOutOfOrder,         // does not continue a message in progress
  kFatePayloadTooLong,     // more payload characters than a fragment block holds
  kFateFieldTooLong,       // a field longer than the intake's room
  kFateIgnored,            // not a sentence the intake stores (GGA, BBM, ...)
  kFateCutShort,           // a start character came before the carriage return
  kFateNoStartCharacter,   // a line of text outside any sentence
  kFateCodes
};

// What the fate is about; each code reads only the members its comment names.
struct FateDetails {
  int32_t slot;              // stored: the log slot
  int32_t kind;              // stored, and a VDM or VDO fragment: kSlotVdm, kSlotVdo or kSlotAbk
  uint16_t length;           // too few fields: data fields received; payload too long: characters
  uint8_t fragmentNumber;    // a VDM or VDO fragment: k of n, 0 when not a digit
  uint8_t fragmentCount;     //
  char sequenceId;           // "0" to "9"; 0 for the empty identifier
  char channel;              // 0 when the field is empty
  uint8_t expectedNumber;    // out of order: the fragment the message in progress awaited,
  uint8_t expectedCount;     //   its count and channel; 0 when none was in progress
  char expectedChannel;      //
  bool partialDiscarded;     // held or out of order: an unfinished message was discarded
  uint8_t computedChecksum;  // checksum mismatch
  char receivedChecksum[3];  // checksum mismatch: the characters after "*", at most two
  char formatter[4];         // the last three characters of the address field (GGA, VDM)
  char countText[4];         // bad fragment number: the first characters of fields 1 to 3
  char numberText[4];        //
  char sequenceText[4];      //
};

struct SentenceFate {
  int64_t unixTimeMs;  // the end of the line, from the target's clock; 0 without one
  int32_t link;        // 1 or 2
  FateCode code;
  uint8_t textLength;             // characters in text
  bool textLonger;                // the line went on past text
  char text[kFateTextChars + 1];  // from the start character as received, zero-terminated
  FateDetails details;
};

// The fate's name as tools print it ("stored", "checksumMismatch").
const char* FateName(FateCode code);

// The short user-facing text of a fate ("stored in column 17", "checksum
// mismatch: received 5C, computed 5F"), zero-terminated and cut to `room`. A
// log slot is named by the timeline column that shows it, as users see it.
// Returns the length written.
size_t DescribeFate(const SentenceFate& fate, char* out, size_t room);
constexpr size_t kFateDescriptionRoom = 160;  // room for the longest description
