// Packing of AIS messages from their raw field values, one layout table per
// message family, and their armouring into "!AIVDM" / "!AIVDO" sentences.
// No state but the caller's encoder; any thread.
#include "sim/vdm_encoder.h"

#include <cstring>

#include "ais/bit_writer.h"

namespace {

using FieldValue = uint32_t (*)(const DecodedMessage&);
using FieldText = const char* (*)(const DecodedMessage&);

template <auto Member>
uint32_t Bits(const DecodedMessage& m) {
  return static_cast<uint32_t>(m.*Member);
}

template <auto Member>
const char* Text(const DecodedMessage& m) {
  return m.*Member;
}

// One field of a layout: `width` bits from `value`, or `width` six-bit
// characters from `text`. Bits no row names stay zero (spares).
struct PackRow {
  int16_t start;
  int16_t width;
  FieldValue value;
  FieldText text;
};

constexpr PackRow B(int start, int width, FieldValue value) {
  return {static_cast<int16_t>(start), static_cast<int16_t>(width), value, nullptr};
}
constexpr PackRow T(int start, int characters, FieldText text) {
  return {static_cast<int16_t>(start), static_cast<int16_t>(characters), nullptr, text};
}

using M = DecodedMessage;

// clang-format off
// Every layout starts with the header; the tables below hold what follows it.
constexpr PackRow kHeader[] = {
  B(  0,  6, Bits<&M::messageId>),
  B(  6,  2, Bits<&M::repeatIndicator>),
  B(  8, 30, Bits<&M::userId>),
};

constexpr PackRow kPositionReport[] = {
  B( 38,  4, Bits<&M::navStatus>),
  B( 42,  8, Bits<&M::rateOfTurn>),
  B( 50, 10, Bits<&M::sog>),
  B( 60,  1, Bits<&M::positionAccuracy>),
  B( 61, 28, Bits<&M::longitude>),
  B( 89, 27, Bits<&M::latitude>),
  B(116, 12, Bits<&M::cog>),
  B(128,  9, Bits<&M::trueHeading>),
  B(137,  6, Bits<&M::timeStamp>),
  B(143,  2, Bits<&M::specialManoeuvre>),
  B(145,  3, Bits<&M::spare>),
  B(148,  1, Bits<&M::raimFlag>),
  B(149,  2, Bits<&M::syncState>),
};

constexpr PackRow kSotdmaState[] = {
  B(151,  3, Bits<&M::slotTimeout>),
  B(154, 14, Bits<&M::subMessage>),
};

constexpr PackRow kItdmaState[] = {
  B(151, 13, Bits<&M::slotIncrement>),
  B(164,  3, Bits<&M::numberOfSlots>),
  B(167,  1, Bits<&M::keepFlag>),
};

constexpr PackRow kBaseStation[] = {
  B( 38, 14, Bits<&M::utcYear>),
  B( 52,  4, Bits<&M::utcMonth>),
  B( 56,  5, Bits<&M::utcDay>),
  B( 61,  5, Bits<&M::utcHour>),
  B( 66,  6, Bits<&M::utcMinute>),
  B( 72,  6, Bits<&M::utcSecond>),
  B( 78,  1, Bits<&M::positionAccuracy>),
  B( 79, 28, Bits<&M::longitude>),
  B(107, 27, Bits<&M::latitude>),
  B(134,  4, Bits<&M::epfdType>),
  B(138,  1, Bits<&M::longRangeControl>),
  B(139,  9, Bits<&M::spare>),
  B(148,  1, Bits<&M::raimFlag>),
  B(149,  2, Bits<&M::syncState>),
  B(151,  3, Bits<&M::slotTimeout>),
  B(154, 14, Bits<&M::subMessage>),
};

constexpr PackRow kStaticVoyage[] = {
  B( 38,  2, Bits<&M::aisVersion>),
  B( 40, 30, Bits<&M::imoNumber>),
  T( 70,  7, Text<&M::callSign>),
  T(112, 20, Text<&M::name>),
  B(232,  8, Bits<&M::shipType>),
  B(240, 30, Bits<&M::dimensions>),
  B(270,  4, Bits<&M::epfdType>),
  B(274, 20, Bits<&M::eta>),
  B(294,  8, Bits<&M::draught>),
  T(302, 20, Text<&M::destination>),
  B(422,  1, Bits<&M::dte>),
  B(423,  1, Bits<&M::spare>),
};

constexpr PackRow kAddressedBinary[] = {
  B( 38,  2, Bits<&M::sequenceNumber>),
  B( 40, 30, Bits<&M::destinationId>),
  B( 70,  1, Bits<&M::retransmitFlag>),
  B( 71,  1, Bits<&M::spare>),
};

// Types 7, 13 and 8 keep their two spare bits at 38 zero.
constexpr PackRow kAcknowledge[] = {
  B( 40, 30, Bits<&M::ackDestination1>),
  B( 70,  2, Bits<&M::ackSequence1>),
  B( 72, 30, Bits<&M::ackDestination2>),
  B(102,  2, Bits<&M::ackSequence2>),
  B(104, 30, Bits<&M::ackDestination3>),
  B(134,  2, Bits<&M::ackSequence3>),
  B(136, 30, Bits<&M::ackDestination4>),
  B(166,  2, Bits<&M::ackSequence4>),
};

constexpr PackRow kClassBPosition[] = {
  B( 38,  8, Bits<&M::regional8>),
  B( 46, 10, Bits<&M::sog>),
  B( 56,  1, Bits<&M::positionAccuracy>),
  B( 57, 28, Bits<&M::longitude>),
  B( 85, 27, Bits<&M::latitude>),
  B(112, 12, Bits<&M::cog>),
  B(124,  9, Bits<&M::trueHeading>),
  B(133,  6, Bits<&M::timeStamp>),
  B(139,  2, Bits<&M::regional2>),
  B(141,  1, Bits<&M::unitFlag>),
  B(142,  1, Bits<&M::displayFlag>),
  B(143,  1, Bits<&M::dscFlag>),
  B(144,  1, Bits<&M::bandFlag>),
  B(145,  1, Bits<&M::msg22Flag>),
  B(146,  1, Bits<&M::modeFlag>),
  B(147,  1, Bits<&M::raimFlag>),
  B(148,  1, Bits<&M::commStateFlag>),
  B(149,  2, Bits<&M::syncState>),
};

constexpr PackRow kAtonReport[] = {
  B( 38,  5, Bits<&M::atonType>),
  T( 43, 20, Text<&M::name>),
  B(163,  1, Bits<&M::positionAccuracy>),
  B(164, 28, Bits<&M::longitude>),
  B(192, 27, Bits<&M::latitude>),
  B(219, 30, Bits<&M::dimensions>),
  B(249,  4, Bits<&M::epfdType>),
  B(253,  6, Bits<&M::timeStamp>),
  B(259,  1, Bits<&M::offPosition>),
  B(260,  8, Bits<&M::atonStatus>),
  B(268,  1, Bits<&M::raimFlag>),
  B(269,  1, Bits<&M::virtualFlag>),
  B(270,  1, Bits<&M::assignedFlag>),
  B(271,  1, Bits<&M::spare>),
};

constexpr PackRow kStaticPartA[] = {
  B( 38,  2, Bits<&M::partNumber>),
  T( 40, 20, Text<&M::name>),
};

constexpr PackRow kStaticPartB[] = {
  B( 38,  2, Bits<&M::partNumber>),
  B( 40,  8, Bits<&M::shipType>),
  T( 48,  7, Text<&M::vendorId>),
  T( 90,  7, Text<&M::callSign>),
  B(132, 30, Bits<&M::dimensions>),
  B(162,  4, Bits<&M::epfdType>),
};
// clang-format on

template <int N>
void PackRows(const PackRow (&rows)[N], const DecodedMessage& m, uint8_t* out) {
  for (const PackRow& row : rows) {
    if (row.text != nullptr)
      WriteBitText(out, row.start, row.text(m), row.width);
    else
      WriteBitField(out, row.start, row.width, row.value(m));
  }
}

// Copies `bits` bits from data (bit 0 its first byte's MSB) to out from bit
// `start`, a byte at a time.
void CopyBits(const uint8_t* data, int bits, uint8_t* out, int start) {
  for (int at = 0; at < bits; at += 8) {
    const int width = bits - at < 8 ? bits - at : 8;
    WriteBitField(out, start + at, width, static_cast<uint32_t>(data[at / 8] >> (8 - width)));
  }
}

int BinaryMessage(const uint8_t* data, int bits, int start, uint8_t* out) {
  if (data == nullptr || bits < 0) bits = 0;
  if (bits > kMaxMessageBits - start) bits = kMaxMessageBits - start;
  CopyBits(data, bits, out, start);
  return start + bits;
}

// Text length up to `most` characters, not reading past the field's zero.
int TextLength(const char* text, int most) {
  int length = 0;
  while (length < most && text[length] != 0) ++length;
  return length;
}

int AcknowledgedPairs(const DecodedMessage& m) {
  if (m.ackDestination4 != 0) return 4;
  if (m.ackDestination3 != 0) return 3;
  if (m.ackDestination2 != 0) return 2;
  return 1;
}

}  // namespace

DecodedMessage BlankAisMessage(int messageId, uint32_t mmsi) {
  DecodedMessage m;
  memset(&m, 0, sizeof m);
  m.messageId = static_cast<uint8_t>(messageId);
  m.userId = mmsi;
  return m;
}

int PackAisMessage(const DecodedMessage& m, const uint8_t* applicationData, int applicationBits, uint8_t* out) {
  memset(out, 0, kMaxMessageBytes);
  PackRows(kHeader, m, out);
  switch (m.messageId) {
    case 1:
    case 2:
      PackRows(kPositionReport, m, out);
      PackRows(kSotdmaState, m, out);
      return 168;
    case 3:
      PackRows(kPositionReport, m, out);
      PackRows(kItdmaState, m, out);
      return 168;
    case 4:
      PackRows(kBaseStation, m, out);
      return 168;
    case 5:
      PackRows(kStaticVoyage, m, out);
      return 424;
    case 6:
    case 12:  // an addressed safety message's text sits where an addressed binary's data does
      PackRows(kAddressedBinary, m, out);
      return BinaryMessage(applicationData, applicationBits, 72, out);
    case 7:
    case 13: {
      // The rows write all four pairs; the length keeps those carried.
      PackRows(kAcknowledge, m, out);
      const int bits = 40 + 32 * AcknowledgedPairs(m);
      memset(out + bits / 8, 0, kMaxMessageBytes - bits / 8);
      return bits;
    }
    case 8:
    case 14:  // a safety broadcast's text sits where a binary broadcast's data does
      return BinaryMessage(applicationData, applicationBits, 40, out);
    case 18:
      PackRows(kClassBPosition, m, out);
      if (m.commStateFlag == 1)
        PackRows(kItdmaState, m, out);
      else
        PackRows(kSotdmaState, m, out);
      return 168;
    case 21: {
      PackRows(kAtonReport, m, out);
      const int extension = TextLength(m.nameExtension, 14);
      WriteBitText(out, 272, m.nameExtension, extension);
      return (272 + 6 * extension + 7) / 8 * 8;  // spare bits to a whole byte
    }
    case 24:
      if (m.partNumber == 0) {
        PackRows(kStaticPartA, m, out);
        return 160;
      }
      PackRows(kStaticPartB, m, out);
      return 168;
    default:
      return 0;
  }
}

int EncodeVdmSentences(VdmEncoder* encoder, const uint8_t* message, int bitCount, bool ownShip, char channel,
                       int maxPayloadChars, SentenceBatch* out) {
  out->count = 0;
  if (bitCount <= 0 || bitCount > kMaxMessageBits) return 0;
  if (maxPayloadChars < 1) maxPayloadChars = 1;
  if (maxPayloadChars > kVdmMaxPayloadChars) maxPayloadChars = kVdmMaxPayloadChars;

  Encapsulation vdm{
      ownShip ? &kVdoSentence : &kVdmSentence, 0, 0, channel, 0, maxPayloadChars, kMaxEncapsulatedSentences};
  const int total = EncapsulatedSentenceCount(&vdm, bitCount);
  if (total > kMaxEncapsulatedSentences) return 0;
  if (total > 1) {  // a single sentence leaves the field empty
    vdm.sequentialId = static_cast<char>('0' + encoder->nextSequentialId % 10);
    encoder->nextSequentialId = (encoder->nextSequentialId + 1) % 10;
  }
  return WriteEncapsulatedSentences(&vdm, message, bitCount, out);
}
