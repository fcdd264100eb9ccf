// The character-level sentence intake: one pass over the received bytes,
// constant work per byte, no allocation. Complete VDM and VDO messages and ABK
// sentences go to the message log, then the target is notified.
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

// Non-zero when a byte of `word` is below "0" (48); bytes above 127 never
// count. Every framing byte (LF, CR, "!", "$", "*", ",") is below "0", so a
// word that gives zero holds ordinary bytes only.
constexpr uint64_t BytesBelowDigits(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  return (word - kOnes * '0') & ~word & (kOnes * 0x80);
}

// XOR of the eight bytes of `word`.
constexpr uint32_t FoldBytes(uint64_t word) {
  word ^= word >> 32;
  word ^= word >> 16;
  word ^= word >> 8;
  return static_cast<uint32_t>(word & 0xFF);
}

constexpr uint32_t Tail(char a, char b, char c) {
  return (uint32_t{static_cast<uint8_t>(a)} << 16) | (uint32_t{static_cast<uint8_t>(b)} << 8) |
         uint32_t{static_cast<uint8_t>(c)};
}

int32_t TypeOfTail(uint32_t tail, int32_t type) {
  switch (tail) {
    case Tail('V', 'D', 'M'):
      return kSentenceVdm;
    case Tail('V', 'D', 'O'):
      return kSentenceVdo;
    case Tail('A', 'B', 'K'):
      return kSentenceAbk;
    case Tail('B', 'B', 'M'):
      return kSentenceBbm;
    default:
      return type;  // a type once set stays until the next start
  }
}

constexpr int kLastField = kIntakeFields - 1;
constexpr int kPayloadField = 5;  // of a VDM or VDO sentence
constexpr int kFieldChars = kFieldTextRoom - 1;

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

// Index of the last data field the sentence reached: the checksum field is
// not data.
int LastDataField(const SentenceIntake& in) {
  return in.checksumSeen ? in.checksumField - 1 : in.fieldIndex;
}

void Notify(const IntakeTarget* target, uint32_t notification, int32_t slot) {
  if (target->notify) target->notify(target->context, notification, slot);
}

void EndFragment(SentenceIntake* in, const IntakeTarget* target) {
  // A sentence cut short before its payload field would carry the payload of
  // an earlier sentence left in the field texts.
  if (LastDataField(*in) < kPayloadField) return;
  const int number = static_cast<uint8_t>(in->fields[2][0]) & 15;
  if (number > 9) return;
  const char* payload = in->fields[kPayloadField];
  const size_t length = strnlen(payload, kPayloadTextChars + 1);
  if (length > kPayloadTextChars) return;  // too long to store whole: dropped, not cut

  const bool vdm = in->sentenceType == kSentenceVdm;
  FragmentSet* store = vdm ? &in->vdmStore : &in->vdoStore;
  FragmentBlock& block = store->blocks[number];
  block.fragmentCountChar = in->fields[1][0];
  block.fragmentNumberChar = in->fields[2][0];
  block.sequenceIdChar = in->fields[3][0];
  block.channelChar = in->fields[4][0];
  // The whole room in one fixed-size copy, quicker than one of the text's
  // own length; what follows the terminator is never read.
  memcpy(block.payloadText, payload, sizeof block.payloadText);
  block.fillBitsChar = in->fields[6][0];
  if (block.fragmentCountChar != block.fragmentNumberChar) return;  // waits for the other fragments

  const int32_t slot = StoreInLog(target->log, vdm ? kSlotVdm : kSlotVdo, store);
  Notify(target, vdm ? ID_LOG_VDM : ID_LOG_VDO, slot);
}

void EndSentence(SentenceIntake* in, const IntakeTarget* target) {
  if (in->checksumSeen && !ChecksumMatches(*in)) return;
  if (in->fieldOverflow) return;  // a field started over: its text is not what was sent
  switch (in->sentenceType) {
    case kSentenceVdm:
    case kSentenceVdo:
      EndFragment(in, target);
      break;
    case kSentenceAbk:
      if (LastDataField(*in) < 5) return;  // the five data fields are all needed
      Notify(target, ID_LOG_ABK, StoreInLog(target->log, kSlotAbk, in->fields));
      break;
    default:
      break;  // BBM and unknown sentences are ignored
  }
}

}  // namespace

void FeedIntake(SentenceIntake* intake, const IntakeTarget* target, const uint8_t* bytes, int count) {
  // The hot state lives in locals for the loop and is written back before
  // anything outside the loop reads it.
  int32_t charCount = intake->charCount;
  uint32_t checksum = intake->checksum;
  int32_t fieldIndex = intake->fieldIndex;
  int32_t checksumSeen = intake->checksumSeen;
  char* field = intake->fields[fieldIndex];
  uint32_t tail = Tail(intake->addressTail[0], intake->addressTail[1], intake->addressTail[2]);
  int32_t sentenceType = intake->sentenceType;

  auto save = [&] {
    intake->charCount = charCount;
    intake->checksum = checksum;
    intake->fieldIndex = fieldIndex;
    intake->checksumSeen = checksumSeen;
    intake->sentenceType = sentenceType;
    intake->addressTail[0] = static_cast<char>(tail >> 16);
    intake->addressTail[1] = static_cast<char>(tail >> 8);
    intake->addressTail[2] = static_cast<char>(tail);
  };

  for (int i = 0; i < count; ++i) {
    uint8_t b = bytes[i];
    switch (kClass.of[b]) {
      case kComma:
        if (checksumSeen) {
          // Characters after "*" are not part of the sentence's checksum,
          // commas included (receivers append tags there).
          if (fieldIndex < kLastField) ++fieldIndex;
          charCount = 0;
          field = intake->fields[fieldIndex];
          field[0] = 0;
          break;
        }
        [[fallthrough]];
      case kOther:
        if (b != ',' && (fieldIndex == 0 || checksumSeen)) {
          // The address field and the checksum field, a byte at a time.
          if (charCount == kFieldChars) {
            charCount = 0;  // the field starts over; the sentence is spoilt
            intake->fieldOverflow = 1;
          }
          field[charCount] = static_cast<char>(b);
          field[++charCount] = 0;
          if (!checksumSeen) {
            checksum ^= b;
            if (fieldIndex == 0) {
              tail = ((tail << 8) | b) & 0xFFFFFF;
              sentenceType = TypeOfTail(tail, sentenceType);
            }
          }
          break;
        }
        // The data fields before "*", where most bytes are: runs of ordinary
        // bytes and the commas between them stay in this loop, so a field
        // costs no trip through the dispatch.
        for (;;) {
          if (b == ',') {
            checksum ^= ',';
            if (fieldIndex < kLastField) ++fieldIndex;
            charCount = 0;
            field = intake->fields[fieldIndex];
            field[0] = 0;
          } else {
            bool more = true;
            if (fieldIndex == kPayloadField && (sentenceType == kSentenceVdm || sentenceType == kSentenceVdo)) {
              // An AIS payload, nearly all bytes at or above "0" (which every
              // framing byte is below): eight bytes at a time while the field
              // has room for all eight, so no step meets a field that starts
              // over. What is left goes through the loop below.
              const int from = i;
              uint64_t wideSum = 0;
              while (i + 8 <= count && charCount + 8 <= kFieldChars) {
                uint64_t word;
                memcpy(&word, bytes + i, 8);
                if (BytesBelowDigits(word) != 0) break;
                memcpy(field + charCount, &word, 8);
                wideSum ^= word;
                charCount += 8;
                i += 8;
              }
              if (i != from) {
                checksum ^= FoldBytes(wideSum);
                if (i == count || kClass.of[bytes[i]] != kOther) {
                  more = false;
                  --i;  // the last byte taken
                } else {
                  b = bytes[i];
                }
              }
            }
            // The whole run of ordinary bytes, its terminator written once
            // at its end.
            while (more) {
              if (charCount == kFieldChars) {
                charCount = 0;
                intake->fieldOverflow = 1;
              }
              field[charCount++] = static_cast<char>(b);
              checksum ^= b;
              if (i + 1 == count || kClass.of[bytes[i + 1]] != kOther) break;
              b = bytes[++i];
            }
            field[charCount] = 0;
          }
          if (i + 1 == count) break;
          const uint8_t next = kClass.of[bytes[i + 1]];
          if (next != kOther && next != kComma) break;
          b = bytes[++i];
        }
        break;
      case kStar:
        checksumSeen = 1;
        if (fieldIndex < kLastField) ++fieldIndex;
        intake->checksumField = fieldIndex;
        charCount = 0;
        field = intake->fields[fieldIndex];
        // Emptied so that "*" with no digits after it cannot match the
        // digits of an earlier sentence.
        field[0] = 0;
        break;
      case kStart:
        sentenceType = kSentenceUnknown;
        charCount = 0;
        checksum = 0;
        fieldIndex = 0;
        checksumSeen = 0;
        intake->fieldOverflow = 0;
        field = intake->fields[0];
        field[0] = 0;
        tail = 0;
        break;
      case kCarriageReturn:
        save();
        EndSentence(intake, target);
        break;
      default:
        break;  // line feed
    }
  }
  save();
}
