// Joining of a slot's fragments into message bytes, the bit reader, and the
// per-type decoders that fill the decoded message record.
#pragma once
#include <cstdint>

#include "ais/bit_reader.h"
#include "ais/decoded_message.h"
#include "log/message_log.h"

// Joins fragments 1 to n (at most 5) of `fragments` bit by bit into
// record->payload and runs the decoder of the message id (every id from 1 to
// 27). The record must be cleared by the caller.
void DecodeMessage(const FragmentSet& fragments, DecodedMessage* record);

void DecodePositionReport(const uint8_t* payload, DecodedMessage* record);
void DecodeClassBPosition(const uint8_t* payload, DecodedMessage* record);
void DecodeBaseStation(const uint8_t* payload, DecodedMessage* record);
void DecodeStaticVoyage(const uint8_t* payload, DecodedMessage* record);
void DecodeAtonReport(const uint8_t* payload, DecodedMessage* record);
void DecodeStaticDataReport(const uint8_t* payload, DecodedMessage* record);
void DecodeAddressedBinary(const uint8_t* payload, DecodedMessage* record);
void DecodeBroadcastBinary(const uint8_t* payload, DecodedMessage* record);
void DecodeAcknowledge(const uint8_t* payload, DecodedMessage* record);
void DecodeSarAircraftPosition(const uint8_t* payload, DecodedMessage* record);
void DecodeExtendedClassBPosition(const uint8_t* payload, DecodedMessage* record);
void DecodeLongRangeBroadcast(const uint8_t* payload, DecodedMessage* record);
void DecodeAddressedSafety(const uint8_t* payload, DecodedMessage* record);
void DecodeBroadcastSafety(const uint8_t* payload, DecodedMessage* record);
void DecodeSingleSlotBinary(const uint8_t* payload, DecodedMessage* record);
void DecodeMultipleSlotBinary(const uint8_t* payload, DecodedMessage* record);
void DecodeUtcInquiry(const uint8_t* payload, DecodedMessage* record);
void DecodeInterrogation(const uint8_t* payload, DecodedMessage* record);
void DecodeAssignedModeCommand(const uint8_t* payload, DecodedMessage* record);
void DecodeDgnssBroadcast(const uint8_t* payload, DecodedMessage* record);
void DecodeDataLinkManagement(const uint8_t* payload, DecodedMessage* record);
void DecodeChannelManagement(const uint8_t* payload, DecodedMessage* record);
void DecodeGroupAssignment(const uint8_t* payload, DecodedMessage* record);

// Every field of DecodedMessage by name, in record order, with the messages
// that carry it, for tools that print what a message decodes to.
enum class FieldKind : uint8_t { kU8, kU16, kU32, kChar, kText };

// Bit of message id 1 to 27 in DecodedField::carriedBy. Id 0 is no message,
// so its bit stands for the ABK sentence.
constexpr uint32_t MessageFieldBit(int messageId) {
  return messageId >= 1 && messageId <= 27 ? 1u << messageId : 0;
}
constexpr uint32_t kAbkFieldBit = 1u;

struct DecodedField {
  const char* name;
  FieldKind kind;
  uint16_t offset;     // offsetof in DecodedMessage
  uint16_t size;       // sizeof the field: a text's room, its zero included
  uint32_t carriedBy;  // MessageFieldBit of each message id that has it, kAbkFieldBit
};
extern const DecodedField kDecodedFields[];
extern const int kDecodedFieldCount;
