// The one decoded message record: raw, unsigned bit-field values of the
// message a view shows. Cleared to zero before every decode.
#pragma once
#include <cstdint>

// Room for the joined message bytes. An AIS message is at most 1008 bits
// (126 bytes); the rest of the area stays zero so decoders may read past it.
constexpr int kPayloadAreaBytes = 180;
constexpr int kMaxMessageBytes = 126;
constexpr int kMaxMessageBits = 8 * kMaxMessageBytes;

struct DecodedMessage {
  uint8_t ackType;
  uint32_t userId;
  uint32_t destinationId;
  uint16_t dacFi;
  uint8_t specialManoeuvre;
  uint8_t longRangeControl;
  uint8_t messageId;
  uint8_t repeatIndicator;
  uint8_t regional2;
  uint8_t regional8;
  uint8_t partNumber;
  uint8_t unitFlag;
  uint8_t displayFlag;
  uint8_t dscFlag;
  uint8_t bandFlag;
  uint8_t msg22Flag;
  uint8_t modeFlag;
  uint16_t spare;
  uint16_t subMessage;
  uint8_t slotTimeout;
  uint16_t slotIncrement;
  uint8_t numberOfSlots;
  uint8_t syncState;
  uint8_t keepFlag;
  uint32_t ackDestination1;
  uint8_t ackSequence1;
  uint32_t ackDestination2;
  uint8_t ackSequence2;
  uint32_t ackDestination3;
  uint8_t ackSequence3;
  uint32_t ackDestination4;
  uint8_t ackSequence4;
  uint8_t virtualFlag;
  uint8_t assignedFlag;
  uint8_t atonStatus;
  uint8_t commStateFlag;
  char rxChannel;
  uint8_t atonType;
  uint8_t offPosition;
  uint8_t dte;
  uint8_t rateOfTurn;
  uint8_t positionAccuracy;
  uint8_t navStatus;
  uint8_t aisVersion;
  uint8_t timeStamp;
  uint8_t raimFlag;
  uint8_t epfdType;
  uint8_t shipType;
  uint8_t draught;
  uint8_t sequenceNumber;
  uint8_t retransmitFlag;
  uint8_t utcMonth;
  uint8_t utcDay;
  uint8_t utcHour;
  uint8_t utcMinute;
  uint8_t utcSecond;
  uint16_t utcYear;
  uint16_t sog;
  uint16_t cog;
  uint16_t trueHeading;
  uint32_t imoNumber;
  uint32_t dimensions;
  uint32_t eta;
  uint32_t longitude;
  uint32_t latitude;
  char callSign[8];
  char name[21];
  char nameExtension[15];
  char destination[21];
  char vendorId[8];
  uint8_t payload[kPayloadAreaBytes];
  // Count of payload bytes the decode wrote (whole and partial); not shown by
  // any view, used by tools that print the joined bytes.
  uint16_t payloadLength;
};
