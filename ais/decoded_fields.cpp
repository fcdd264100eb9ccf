// Every field of the decoded message record by name, kind and offset, in
// record order, with the messages that carry it, for tools that print what
// a message decodes to.
#include <cstddef>
#include <initializer_list>

#include "ais/decode.h"
#include "ais/message_types.h"

namespace {

constexpr uint32_t Ids(std::initializer_list<int> messageIds) {
  uint32_t mask = 0;
  for (int id : messageIds) mask |= MessageFieldBit(id);
  return mask;
}

// Every message type of the table has a decoder and carries the header;
// the groups below are the fields several message tables share.
#define ASM_TYPE_BIT(id, title, decoder, view, encoder) | MessageFieldBit(id)
constexpr uint32_t kDecoded = 0 ASM_MESSAGE_TYPES(ASM_TYPE_BIT);
#undef ASM_TYPE_BIT
constexpr uint32_t kAbk = kAbkFieldBit;
constexpr uint32_t kClassA = Ids({1, 2, 3});
constexpr uint32_t kBaseStation = Ids({4, 11});
constexpr uint32_t kMoving = Ids({1, 2, 3, 9, 18, 19, 27});
constexpr uint32_t kHeading = Ids({1, 2, 3, 18, 19});
constexpr uint32_t kPosition = Ids({1, 2, 3, 4, 9, 11, 18, 19, 21, 27});
constexpr uint32_t kSotdma = Ids({1, 2, 4, 9, 11, 18, 26});
constexpr uint32_t kItdma = Ids({3, 9, 18, 26});
constexpr uint32_t kSlotBinary = Ids({25, 26});
constexpr uint32_t kRegion = Ids({22, 23});

}  // namespace

// Offsets and sizes fit the 16-bit slots: the record is well under 64 KiB.
#define ASM_FIELD(field, kind, carriedBy) \
  { #field, FieldKind::kind, offsetof(DecodedMessage, field), sizeof(DecodedMessage::field), carriedBy }

const DecodedField kDecodedFields[] = {
    ASM_FIELD(ackType, kU8, kAbk),
    ASM_FIELD(userId, kU32, kDecoded),
    ASM_FIELD(destinationId, kU32, Ids({6, 10, 12, 15, 16, 22, 25, 26}) | kAbk),
    ASM_FIELD(dacFi, kU16, Ids({6, 8, 25, 26})),
    ASM_FIELD(specialManoeuvre, kU8, kClassA),
    ASM_FIELD(longRangeControl, kU8, kBaseStation),
    ASM_FIELD(messageId, kU8, kDecoded | kAbk),
    ASM_FIELD(repeatIndicator, kU8, kDecoded),
    ASM_FIELD(regional2, kU8, Ids({18})),
    ASM_FIELD(regional8, kU8, Ids({18, 19})),
    ASM_FIELD(partNumber, kU8, Ids({24})),
    ASM_FIELD(unitFlag, kU8, Ids({18})),
    ASM_FIELD(displayFlag, kU8, Ids({18})),
    ASM_FIELD(dscFlag, kU8, Ids({18})),
    ASM_FIELD(bandFlag, kU8, Ids({18})),
    ASM_FIELD(msg22Flag, kU8, Ids({18})),
    ASM_FIELD(modeFlag, kU8, Ids({18})),
    ASM_FIELD(spare, kU16, Ids({1, 2, 3, 4, 5, 6, 11, 21})),
    ASM_FIELD(subMessage, kU16, kSotdma),
    ASM_FIELD(slotTimeout, kU8, kSotdma),
    ASM_FIELD(slotIncrement, kU16, kItdma),
    ASM_FIELD(numberOfSlots, kU8, kItdma),
    ASM_FIELD(syncState, kU8, kSotdma | kItdma),
    ASM_FIELD(keepFlag, kU8, kItdma),
    ASM_FIELD(ackDestination1, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence1, kU8, Ids({7, 13})),
    ASM_FIELD(ackDestination2, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence2, kU8, Ids({7, 13})),
    ASM_FIELD(ackDestination3, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence3, kU8, Ids({7, 13})),
    ASM_FIELD(ackDestination4, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence4, kU8, Ids({7, 13})),
    ASM_FIELD(virtualFlag, kU8, Ids({21})),
    ASM_FIELD(assignedFlag, kU8, Ids({9, 19, 21})),
    ASM_FIELD(atonStatus, kU8, Ids({21})),
    ASM_FIELD(commStateFlag, kU8, Ids({9, 18, 26})),
    ASM_FIELD(rxChannel, kChar, kAbk),
    ASM_FIELD(atonType, kU8, Ids({21})),
    ASM_FIELD(offPosition, kU8, Ids({21})),
    ASM_FIELD(dte, kU8, Ids({5, 9, 19})),
    ASM_FIELD(rateOfTurn, kU8, kClassA),
    ASM_FIELD(positionAccuracy, kU8, kPosition),
    ASM_FIELD(navStatus, kU8, kClassA | Ids({27})),
    ASM_FIELD(aisVersion, kU8, Ids({5})),
    ASM_FIELD(timeStamp, kU8, Ids({1, 2, 3, 9, 18, 19, 21})),
    ASM_FIELD(raimFlag, kU8, kPosition),
    ASM_FIELD(epfdType, kU8, kBaseStation | Ids({5, 19, 21})),
    ASM_FIELD(shipType, kU8, Ids({5, 19, 23, 24})),
    ASM_FIELD(draught, kU8, Ids({5})),
    ASM_FIELD(sequenceNumber, kU8, Ids({6, 8, 12}) | kAbk),
    ASM_FIELD(retransmitFlag, kU8, Ids({6, 12})),
    ASM_FIELD(utcMonth, kU8, kBaseStation),
    ASM_FIELD(utcDay, kU8, kBaseStation),
    ASM_FIELD(utcHour, kU8, kBaseStation),
    ASM_FIELD(utcMinute, kU8, kBaseStation),
    ASM_FIELD(utcSecond, kU8, kBaseStation),
    ASM_FIELD(utcYear, kU16, kBaseStation),
    ASM_FIELD(sog, kU16, kMoving),
    ASM_FIELD(cog, kU16, kMoving),
    ASM_FIELD(trueHeading, kU16, kHeading),
    ASM_FIELD(imoNumber, kU32, Ids({5})),
    ASM_FIELD(dimensions, kU32, Ids({5, 19, 21, 24})),
    ASM_FIELD(eta, kU32, Ids({5})),
    ASM_FIELD(longitude, kU32, kPosition | Ids({17})),
    ASM_FIELD(latitude, kU32, kPosition | Ids({17})),
    ASM_FIELD(destinationId2, kU32, Ids({15, 16, 22})),
    ASM_FIELD(neLongitude, kU32, kRegion),
    ASM_FIELD(neLatitude, kU32, kRegion),
    ASM_FIELD(swLongitude, kU32, kRegion),
    ASM_FIELD(swLatitude, kU32, kRegion),
    ASM_FIELD(altitude, kU16, Ids({9})),
    ASM_FIELD(slotOffset11, kU16, Ids({15})),
    ASM_FIELD(slotOffset12, kU16, Ids({15})),
    ASM_FIELD(slotOffset21, kU16, Ids({15})),
    ASM_FIELD(offsetA, kU16, Ids({16})),
    ASM_FIELD(incrementA, kU16, Ids({16})),
    ASM_FIELD(offsetB, kU16, Ids({16})),
    ASM_FIELD(incrementB, kU16, Ids({16})),
    ASM_FIELD(offsetNumber1, kU16, Ids({20})),
    ASM_FIELD(increment1, kU16, Ids({20})),
    ASM_FIELD(offsetNumber2, kU16, Ids({20})),
    ASM_FIELD(increment2, kU16, Ids({20})),
    ASM_FIELD(offsetNumber3, kU16, Ids({20})),
    ASM_FIELD(increment3, kU16, Ids({20})),
    ASM_FIELD(offsetNumber4, kU16, Ids({20})),
    ASM_FIELD(increment4, kU16, Ids({20})),
    ASM_FIELD(channelA, kU16, Ids({22})),
    ASM_FIELD(channelB, kU16, Ids({22})),
    ASM_FIELD(altitudeSensor, kU8, Ids({9})),
    ASM_FIELD(regional4, kU8, Ids({19})),
    ASM_FIELD(positionLatency, kU8, Ids({27})),
    ASM_FIELD(addressedFlag, kU8, Ids({22}) | kSlotBinary),
    ASM_FIELD(structuredFlag, kU8, kSlotBinary),
    ASM_FIELD(requestedMessage11, kU8, Ids({15})),
    ASM_FIELD(requestedMessage12, kU8, Ids({15})),
    ASM_FIELD(requestedMessage21, kU8, Ids({15})),
    ASM_FIELD(reservedSlots1, kU8, Ids({20})),
    ASM_FIELD(timeout1, kU8, Ids({20})),
    ASM_FIELD(reservedSlots2, kU8, Ids({20})),
    ASM_FIELD(timeout2, kU8, Ids({20})),
    ASM_FIELD(reservedSlots3, kU8, Ids({20})),
    ASM_FIELD(timeout3, kU8, Ids({20})),
    ASM_FIELD(reservedSlots4, kU8, Ids({20})),
    ASM_FIELD(timeout4, kU8, Ids({20})),
    ASM_FIELD(txRxMode, kU8, kRegion),
    ASM_FIELD(power, kU8, Ids({22})),
    ASM_FIELD(bandwidthA, kU8, Ids({22})),
    ASM_FIELD(bandwidthB, kU8, Ids({22})),
    ASM_FIELD(zoneSize, kU8, Ids({22})),
    ASM_FIELD(stationType, kU8, Ids({23})),
    ASM_FIELD(reportingInterval, kU8, Ids({23})),
    ASM_FIELD(quietTime, kU8, Ids({23})),
    ASM_FIELD(text, kText, Ids({12, 14})),
    ASM_FIELD(callSign, kText, Ids({5, 24})),
    ASM_FIELD(name, kText, Ids({5, 19, 21, 24})),
    ASM_FIELD(nameExtension, kText, Ids({21})),
    ASM_FIELD(destination, kText, Ids({5})),
    ASM_FIELD(vendorId, kText, Ids({24})),
};

#undef ASM_FIELD

const int kDecodedFieldCount = static_cast<int>(sizeof kDecodedFields / sizeof kDecodedFields[0]);
