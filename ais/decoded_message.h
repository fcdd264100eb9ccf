// The one decoded message record: raw, unsigned bit-field values of the
// message a view shows. Cleared to zero before every decode.
#pragma once
#include <cstdint>

// Room for the joined message bytes. An AIS message is at most 1008 bits
// (126 bytes); the rest of the area stays zero so decoders may read past it.
constexpr int kPayloadAreaBytes = 180;
constexpr int kMaxMessageBytes = 126;
constexpr int kMaxMessageBits = 8 * kMaxMessageBytes;
// The longest safety text: a type 14 of 1008 bits carries 161 characters.
constexpr int kSafetyTextChars = 161;

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
  uint32_t longitude;  // 28 bits in 1/10 000 minute; 18 bits in 1/10 minute in types 17 and 27
  uint32_t latitude;   // 27 bits in 1/10 000 minute; 17 bits in 1/10 minute in types 17 and 27
  // The base station's commands and the rarer reports (types 9 to 27).
  uint32_t destinationId2;  // second destination MMSI, 30 bits
  uint32_t neLongitude;     // corners of a region, 18 and 17 bits in 1/10 minute
  uint32_t neLatitude;
  uint32_t swLongitude;
  uint32_t swLatitude;
  uint16_t altitude;  // SAR aircraft altitude in metres, 12 bits
  uint16_t slotOffset11;
  uint16_t slotOffset12;
  uint16_t slotOffset21;
  uint16_t offsetA;
  uint16_t incrementA;
  uint16_t offsetB;
  uint16_t incrementB;
  uint16_t offsetNumber1;
  uint16_t increment1;
  uint16_t offsetNumber2;
  uint16_t increment2;
  uint16_t offsetNumber3;
  uint16_t increment3;
  uint16_t offsetNumber4;
  uint16_t increment4;
  uint16_t channelA;
  uint16_t channelB;
  uint8_t altitudeSensor;
  uint8_t regional4;
  uint8_t positionLatency;
  uint8_t addressedFlag;
  uint8_t structuredFlag;
  uint8_t requestedMessage11;  // interrogation: message 1.1, 1.2 of the first station, 2.1 of the second
  uint8_t requestedMessage12;
  uint8_t requestedMessage21;
  uint8_t reservedSlots1;
  uint8_t timeout1;
  uint8_t reservedSlots2;
  uint8_t timeout2;
  uint8_t reservedSlots3;
  uint8_t timeout3;
  uint8_t reservedSlots4;
  uint8_t timeout4;
  uint8_t txRxMode;
  uint8_t power;
  uint8_t bandwidthA;
  uint8_t bandwidthB;
  uint8_t zoneSize;
  uint8_t stationType;
  uint8_t reportingInterval;
  uint8_t quietTime;
  // Safety related text of types 12 and 14: as many characters as the
  // message carries (at most 161), "@" kept, zero after them.
  char text[kSafetyTextChars + 1];
  char callSign[8];
  char name[21];
  char nameExtension[15];
  char destination[21];
  char vendorId[8];
  uint8_t payload[kPayloadAreaBytes];
  // Count of payload bytes the decode wrote (whole and partial); not shown by
  // any view, used by tools that print the joined bytes.
  uint16_t payloadLength;
  // Bits of the message: the joined bits less the last fragment's fill bits.
  // Decoders of types whose last field runs to the end of the message use it.
  uint16_t payloadBits;
  // Where the binary data of types 6, 8, 17, 25 and 26 lies in payload:
  // first message bit and bit count (after the application identifier when
  // there is one); for the views.
  uint16_t dataStart;
  uint16_t dataBits;
};
