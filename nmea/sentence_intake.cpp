// The character-level sentence intake: a state machine fed one byte at a
// time, one small handler per byte class, the state in the SentenceIntake
// record so that a sentence may be cut across any number of calls. Constant
// work per byte, no allocation.
//
// A sentence runs from its start character to the carriage return that ends
// it, which evaluates it once and leaves the intake outside any sentence:
// line feeds, further carriage returns and text up to the next start
// character store nothing. Multi-sentence VDM and VDO messages are joined per
// sequential message identifier, and only from fragments 1 to n in order.
//
// Threading: an instance is used only by its link's reader thread; the log is
// the only thing two instances share.
#include "nmea/sentence_intake.h"

#include <cstring>

namespace {

enum ByteClass : uint8_t { kOther, kLineFeed, kCarriageReturn, kStart, kStar, kComma };

struct ByteClassTable {
  uint8_t of[256];
  constexpr ByteClassTable() : of() {
    of[10] = kLineFeed;
    of[13] = kCarriageReturn;
    of[33] = kStart;  // "!"
    of[36] = kStart;  // "$"
    of[42] = kStar;
    of[44] = kComma;
  }
};
constexpr ByteClassTable kClass;

// Hexadecimal digit values; -1 for anything else, so that a checksum
// character that is not a digit can never match.
struct HexTable {
  int8_t of[256];
  constexpr HexTable() : of() {
    for (int c = 0; c < 256; ++c) of[c] = -1;
    for (int c = '0'; c <= '9'; ++c) of[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) of[c] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) of[c] = static_cast<int8_t>(c - 'a' + 10);
  }
};
constexpr HexTable kHex;

constexpr int kLastField = kIntakeFields - 1;
constexpr int kPayloadField = 5;      // of a VDM or VDO sentence
constexpr int kFillBitsField = 6;     //
constexpr int kNeededDataFields = 5;  // a VDM or VDO up to its payload; an ABK's five
constexpr int kFieldChars = kFieldTextRoom - 1;

// The sentence types the intake knows, by the formatter that ends field 0.
// Any talker, or none, may come before it.
struct KnownFormatter {
  char text[3];
  int32_t type;
};
constexpr KnownFormatter kKnownFormatters[] = {
    {{'V', 'D', 'M'}, kSentenceVdm},
    {{'V', 'D', 'O'}, kSentenceVdo},
    {{'A', 'B', 'K'}, kSentenceAbk},
    {{'B', 'B', 'M'}, kSentenceBbm},
};

// --- The line's text and fate record

void BeginLine(SentenceIntake* in) {
  in->fate.textLength = 0;
  in->fate.textLonger = false;
  in->fate.details = FateDetails{};
}

void KeepText(SentenceIntake* in, uint8_t b) {
  SentenceFate& fate = in->fate;
  if (fate.textLength < kFateTextChars)
    fate.text[fate.textLength++] = static_cast<char>(b);
  else
    fate.textLonger = true;
}

// Counts the fate and hands a copy of the record to the observers.
void RecordFate(SentenceIntake* in, const IntakeTarget* target, FateCode code) {
  SentenceFate& fate = in->fate;
  fate.code = code;
  fate.link = target->link;
  fate.unixTimeMs = target->clock ? target->clock(target->context) : 0;
  fate.text[fate.textLength] = 0;
  if (target->counters) {
    AddToCount(target->counters, code, 1);
    if (code != kFateNoStartCharacter) AddToCount(target->counters, kCountSentences, 1);
  }
  if (target->fates) PushFate(target->fates, fate);
}

// A line of text without a start character ends at a carriage return or a
// line feed; an empty line has no fate.
void EndTextLine(SentenceIntake* in, const IntakeTarget* target) {
  if (in->fate.textLength != 0 || in->fate.textLonger) RecordFate(in, target, kFateNoStartCharacter);
  BeginLine(in);
}

// --- Fields

void AddToField(SentenceIntake* in, uint8_t b) {
  if (in->charCount == kFieldChars) {
    in->fieldOverflow = true;  // the rest of the field is not kept; the sentence is dropped
    return;
  }
  in->fields[in->fieldIndex][in->charCount++] = static_cast<char>(b);
}

// A field's text is terminated when the field ends.
void EndField(SentenceIntake* in) {
  in->fields[in->fieldIndex][in->charCount] = 0;
}

void NextField(SentenceIntake* in) {
  EndField(in);
  if (in->fieldIndex < kLastField) ++in->fieldIndex;  // fields past the last all land in it
  in->charCount = 0;
  in->fields[in->fieldIndex][0] = 0;
}

// The data fields after the address field that the sentence reached; the
// checksum field is not data.
int DataFields(const SentenceIntake& in) {
  return in.state == kChecksumField ? in.checksumField - 1 : in.fieldIndex;
}

// True when the received checksum (first two characters of the checksum
// field, a missing second one counting as 0) equals the computed one.
bool ChecksumMatches(const SentenceIntake& in) {
  const auto* text = reinterpret_cast<const uint8_t*>(in.fields[in.checksumField]);
  const int high = kHex.of[text[0]];
  if (high < 0) return false;
  const int low = text[1] == 0 ? 0 : kHex.of[text[1]];
  if (low < 0) return false;
  return static_cast<uint32_t>(high * 16 + low) == (in.checksum & 0xFF);
}

// Up to room - 1 characters of a field, for a fate's details.
template <size_t room>
void CopyStart(char (&to)[room], const char* field) {
  size_t i = 0;
  for (; i + 1 < room && field[i] != 0; ++i) to[i] = field[i];
  to[i] = 0;
}

// 1 to 9 for a field of exactly one digit "1" to "9"; 0 for anything else.
int OneDigit(const char* field) {
  return field[0] >= '1' && field[0] <= '9' && field[1] == 0 ? field[0] - '0' : 0;
}

// The reassembly key of a sequential message identifier: 0 to 9 for one
// digit, kEmptySequenceKey for an empty field, -1 for anything else (no
// transponder sends it, and joining on it would only guess).
int SequenceKey(const char* field) {
  if (field[0] == 0) return kEmptySequenceKey;
  if (field[0] >= '0' && field[0] <= '9' && field[1] == 0) return field[0] - '0';
  return -1;
}

// --- Byte handlers

void OnStart(SentenceIntake* in, const IntakeTarget* target, uint8_t b) {
  if (in->state != kOutsideSentence) RecordFate(in, target, kFateCutShort);
  // Text before a start character on its line (a TAG block, line noise) is
  // not a line of its own and has no fate.
  BeginLine(in);
  KeepText(in, b);
  in->state = kAddressField;
  in->sentenceType = kSentenceUnknown;
  in->charCount = 0;
  in->checksum = 0;
  in->fieldIndex = 0;
  in->fieldOverflow = false;
  in->fields[0][0] = 0;
  memset(in->addressTail, 0, sizeof in->addressTail);
}

// The address field's last three characters say the sentence type.
void NoteAddressByte(SentenceIntake* in, uint8_t b) {
  char* tail = in->addressTail;
  tail[0] = tail[1];
  tail[1] = tail[2];
  tail[2] = static_cast<char>(b);
  // A formatter once recognised stays until the next start character.
  for (const KnownFormatter& known : kKnownFormatters)
    if (memcmp(tail, known.text, 3) == 0) in->sentenceType = known.type;
}

void OnOther(SentenceIntake* in, uint8_t b) {
  KeepText(in, b);
  const int32_t state = in->state;
  if (state == kOutsideSentence) return;
  AddToField(in, b);
  if (state == kChecksumField) return;
  in->checksum ^= b;
  if (state == kAddressField) NoteAddressByte(in, b);
}

void OnComma(SentenceIntake* in) {
  KeepText(in, ',');
  if (in->state == kOutsideSentence) return;
  // After "*" commas separate what receivers append, outside the checksum.
  if (in->state != kChecksumField) {
    in->checksum ^= ',';
    in->state = kDataFields;
  }
  NextField(in);
}

void OnStar(SentenceIntake* in) {
  KeepText(in, '*');
  if (in->state == kOutsideSentence) return;
  in->state = kChecksumField;
  NextField(in);  // emptied: "*" with no digits after it never matches an earlier sentence's
  in->checksumField = in->fieldIndex;
}

void EvaluateSentence(SentenceIntake* in, const IntakeTarget* target);

void OnCarriageReturn(SentenceIntake* in, const IntakeTarget* target) {
  if (in->state == kOutsideSentence) {
    EndTextLine(in, target);
    return;
  }
  EndField(in);
  EvaluateSentence(in, target);
  in->state = kOutsideSentence;
  BeginLine(in);
}

// Inside a sentence a line feed is not part of it and ends nothing.
void OnLineFeed(SentenceIntake* in, const IntakeTarget* target) {
  if (in->state == kOutsideSentence) EndTextLine(in, target);
}

// --- Evaluation at the carriage return

// The record goes to the observers before the notification, so that the main
// thread finds it when it handles the notification.
void StoreMessage(SentenceIntake* in, const IntakeTarget* target, int32_t kind, const void* source) {
  const int32_t slot = StoreInLog(target->log, kind, source);
  in->fate.details.slot = slot;
  in->fate.details.kind = kind;
  RecordFate(in, target, kFateStored);
  if (target->notify) target->notify(target->context, kind, slot);
}

void FillBlock(const SentenceIntake& in, size_t payloadLength, FragmentBlock* block) {
  block->fragmentCountChar = in.fields[1][0];
  block->fragmentNumberChar = in.fields[2][0];
  block->sequenceIdChar = in.fields[3][0];
  block->channelChar = in.fields[4][0];
  memcpy(block->payloadText, in.fields[kPayloadField], payloadLength + 1);
  // A sentence that ends at its payload has no fill bits; the field holds an
  // earlier sentence's text or the checksum.
  block->fillBitsChar = DataFields(in) >= kFillBitsField ? in.fields[kFillBitsField][0] : 0;
}

void DiscardPartial(MessageInProgress* message, const IntakeTarget* target, FateDetails* details) {
  message->fragmentCount = 0;
  details->partialDiscarded = true;
  if (target->counters) AddToCount(target->counters, kCountPartialMessagesDiscarded, 1);
}

void EndFragment(SentenceIntake* in, const IntakeTarget* target) {
  FateDetails& d = in->fate.details;
  const bool vdm = in->sentenceType == kSentenceVdm;
  const int32_t kind = vdm ? kSlotVdm : kSlotVdo;
  d.kind = kind;
  if (in->fieldOverflow) return RecordFate(in, target, kFateFieldTooLong);
  const int dataFields = DataFields(*in);
  if (dataFields < kNeededDataFields) {
    d.length = static_cast<uint16_t>(dataFields);
    return RecordFate(in, target, kFateTooFewFields);
  }
  const int count = OneDigit(in->fields[1]);
  const int number = OneDigit(in->fields[2]);
  const char channel = in->fields[4][0];
  d.fragmentCount = static_cast<uint8_t>(count);
  d.fragmentNumber = static_cast<uint8_t>(number);
  d.sequenceId = in->fields[3][0];
  d.channel = channel;
  if (count == 0 || number == 0 || number > count) {
    CopyStart(d.countText, in->fields[1]);
    CopyStart(d.numberText, in->fields[2]);
    return RecordFate(in, target, kFateBadFragmentNumber);
  }
  const size_t payloadLength = strlen(in->fields[kPayloadField]);
  if (payloadLength > kPayloadTextChars) {  // dropped, not cut: a cut payload is another message
    d.length = static_cast<uint16_t>(payloadLength);
    return RecordFate(in, target, kFatePayloadTooLong);
  }

  // A message of one sentence goes straight to the log, past any in progress.
  if (count == 1) {
    FillBlock(*in, payloadLength, &in->single.blocks[1]);
    return StoreMessage(in, target, kind, &in->single);
  }

  const int key = SequenceKey(in->fields[3]);
  if (key < 0) {
    CopyStart(d.sequenceText, in->fields[3]);
    return RecordFate(in, target, kFateBadSequenceId);
  }
  MessageInProgress& message = (vdm ? in->vdm : in->vdo).messages[key];
  if (number == 1) {
    // A new first fragment restarts its identifier's message.
    if (message.fragmentCount != 0) DiscardPartial(&message, target, &d);
    message.fragmentCount = static_cast<uint8_t>(count);
    message.channelChar = channel;
    message.fragments = FragmentSet{};
  } else if (message.fragmentCount != count || message.nextFragment != number || message.channelChar != channel) {
    if (message.fragmentCount != 0) {
      d.expectedNumber = message.nextFragment;
      d.expectedCount = message.fragmentCount;
      d.expectedChannel = message.channelChar;
      DiscardPartial(&message, target, &d);
    }
    return RecordFate(in, target, kFateOutOfOrder);
  }
  FillBlock(*in, payloadLength, &message.fragments.blocks[number]);
  if (number < count) {
    message.nextFragment = static_cast<uint8_t>(number + 1);
    return RecordFate(in, target, kFateFragmentHeld);
  }
  message.fragmentCount = 0;  // complete: the identifier is free again
  StoreMessage(in, target, kind, &message.fragments);
}

void EndAbk(SentenceIntake* in, const IntakeTarget* target) {
  if (in->fieldOverflow) return RecordFate(in, target, kFateFieldTooLong);
  const int dataFields = DataFields(*in);
  if (dataFields < kNeededDataFields) {
    in->fate.details.length = static_cast<uint16_t>(dataFields);
    return RecordFate(in, target, kFateTooFewFields);
  }
  // Fields the sentence did not reach still hold earlier sentences' texts,
  // and the checksum is not a field of the acknowledgement.
  for (int i = dataFields + 1; i < kIntakeFields; ++i) in->fields[i][0] = 0;
  StoreMessage(in, target, kSlotAbk, in->fields);
}

void EvaluateSentence(SentenceIntake* in, const IntakeTarget* target) {
  FateDetails& d = in->fate.details;
  int used = 0;
  for (char c : in->addressTail)
    if (c != 0) d.formatter[used++] = c;
  if (in->state == kChecksumField && !ChecksumMatches(*in)) {
    CopyStart(d.receivedChecksum, in->fields[in->checksumField]);
    d.computedChecksum = static_cast<uint8_t>(in->checksum);
    return RecordFate(in, target, kFateChecksumMismatch);
  }
  switch (in->sentenceType) {
    case kSentenceVdm:
    case kSentenceVdo:
      return EndFragment(in, target);
    case kSentenceAbk:
      return EndAbk(in, target);
    default:
      return RecordFate(in, target, kFateIgnored);  // BBM and every other formatter
  }
}

}  // namespace

void FeedIntake(SentenceIntake* intake, const IntakeTarget* target, const uint8_t* bytes, int count) {
  if (target->counters && count > 0) AddToCount(target->counters, kCountBytes, static_cast<uint64_t>(count));
  for (int i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    switch (kClass.of[b]) {
      case kOther:
        OnOther(intake, b);
        break;
      case kComma:
        OnComma(intake);
        break;
      case kStar:
        OnStar(intake);
        break;
      case kStart:
        OnStart(intake, target, b);
        break;
      case kCarriageReturn:
        OnCarriageReturn(intake, target);
        break;
      case kLineFeed:
        OnLineFeed(intake, target);
        break;
    }
  }
}
