// The transmitting side of AIS messages as a transponder presents them: the
// packing of a message's fields into its bits (the inverse of the decoders)
// and the armouring and split of any message into "!AIVDM" / "!AIVDO"
// sentences. No allocation; an encoder is used by one thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "ais/decoded_message.h"
#include "nmea/sentence_writer.h"

// A sentence stays within 82 characters with CR LF: "!AIVDM,9,9,9,A," (15),
// 60 payload characters and ",5*HH" (5).
constexpr int kVdmMaxPayloadChars = 60;

// The sequential message identifier of multi-sentence messages, 0 to 9 and
// round again; single-sentence messages leave the field empty.
struct VdmEncoder {
  int32_t nextSequentialId;
};

// A record for PackAisMessage: every field zero but the message id and the
// source MMSI.
DecodedMessage BlankAisMessage(int messageId, uint32_t mmsi);

// A text field of the record set from `text`, cut to fit.
template <size_t N>
void SetAisText(char (&field)[N], const char* text) {
  snprintf(field, N, "%s", text);
}

// Armours `bitCount` bits of `message` (bit 0 the most significant bit of
// message[0]) into 1 to 9 sentences of at most `maxPayloadChars` payload
// characters each (clamped to 1..60), "AIVDO" when `ownShip`, else "AIVDM",
// on `channel` ('A', 'B', or 0 for an empty channel field). Fill bits are
// carried by the last sentence only. Returns the number of sentences, 0 when
// the message is empty, longer than 1008 bits, or would need more than nine
// sentences at that split; out->count is set alike.
int EncodeVdmSentences(VdmEncoder* encoder, const uint8_t* message, int bitCount, bool ownShip, char channel,
                       int maxPayloadChars, SentenceBatch* out);

// Packs the fields of `fields` that message `fields.messageId` carries into
// `out` (kMaxMessageBytes, cleared first) and returns the message's length
// in bits, 0 for an id without a layout. Fields hold raw values as the
// decoders leave them (signed ones as two's complement; the low bits of the
// field's width are written). Which form is packed follows the fields:
//  - 1, 2: SOTDMA communication state; 3: ITDMA;
//  - 18: SOTDMA when commStateFlag is 0, ITDMA when 1;
//  - 21: the name extension is appended when nameExtension is not empty
//    (up to 14 characters, padded with spare bits to a whole byte);
//  - 24: part A when partNumber is 0, part B otherwise;
//  - 7, 13: one to four acknowledged stations: the pairs up to the last
//    non-zero ackDestination (at least one);
//  - 6, 8, 12, 14: the header, then the data as a BBM or ABM sentence
//    carries it: `applicationBits` bits of `applicationData` (for 6 and 8
//    from the application identifier, DAC and FI, on; for 12 and 14 the
//    six-bit text), placed at bit 72 (6, 12) or 40 (8, 14); dacFi of
//    `fields` is not used. At most 1008 bits in all; longer data is cut
//    there.
int PackAisMessage(const DecodedMessage& fields, const uint8_t* applicationData, int applicationBits, uint8_t* out);
