// Every field of the decoded message record by name, kind and offset, in
// record order, with the messages that carry it, for tools that print what
// a message decodes to.
#include <cstddef>
#include <initializer_list>

#include "ais/decode.h"

namespace {

constexpr uint32_t Ids(std::initializer_list<int> messageIds) {
  uint32_t mask = 0;
  for (int id : messageIds) mask |= MessageFieldBit(id);
  return mask;
}

// Every message id with a decoder carries the header; the groups below are
// the fields several message tables share.
constexpr uint32_t kDecoded = Ids({1, 2, 3, 4, 5, 6, 7, 8, 13, 18, 21, 24});
constexpr uint32_t kAbk = kAbkFieldBit;
constexpr uint32_t kClassA = Ids({1, 2, 3});
constexpr uint32_t kMoving = Ids({1, 2, 3, 18});
constexpr uint32_t kPosition = Ids({1, 2, 3, 4, 18, 21});

}  // namespace

// Offsets fit the 16-bit slot: the record is well under 64 KiB.
#define ASM_FIELD(field, kind, carriedBy) \
  { #field, FieldKind::kind, offsetof(DecodedMessage, field), carriedBy }

const DecodedField kDecodedFields[] = {
    ASM_FIELD(ackType, kU8, kAbk),
    ASM_FIELD(userId, kU32, kDecoded),
    ASM_FIELD(destinationId, kU32, Ids({6}) | kAbk),
    ASM_FIELD(dacFi, kU16, Ids({6, 8})),
    ASM_FIELD(specialManoeuvre, kU8, kClassA),
    ASM_FIELD(longRangeControl, kU8, Ids({4})),
    ASM_FIELD(messageId, kU8, kDecoded | kAbk),
    ASM_FIELD(repeatIndicator, kU8, kDecoded),
    ASM_FIELD(regional2, kU8, Ids({18})),
    ASM_FIELD(regional8, kU8, Ids({18})),
    ASM_FIELD(partNumber, kU8, Ids({24})),
    ASM_FIELD(unitFlag, kU8, Ids({18})),
    ASM_FIELD(displayFlag, kU8, Ids({18})),
    ASM_FIELD(dscFlag, kU8, Ids({18})),
    ASM_FIELD(bandFlag, kU8, Ids({18})),
    ASM_FIELD(msg22Flag, kU8, Ids({18})),
    ASM_FIELD(modeFlag, kU8, Ids({18})),
    ASM_FIELD(spare, kU16, Ids({1, 2, 3, 4, 5, 6, 21})),
    ASM_FIELD(subMessage, kU16, Ids({1, 2, 4, 18})),
    ASM_FIELD(slotTimeout, kU8, Ids({1, 2, 4, 18})),
    ASM_FIELD(slotIncrement, kU16, Ids({3, 18})),
    ASM_FIELD(numberOfSlots, kU8, Ids({3, 18})),
    ASM_FIELD(syncState, kU8, Ids({1, 2, 3, 4, 18})),
    ASM_FIELD(keepFlag, kU8, Ids({3, 18})),
    ASM_FIELD(ackDestination1, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence1, kU8, Ids({7, 13})),
    ASM_FIELD(ackDestination2, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence2, kU8, Ids({7, 13})),
    ASM_FIELD(ackDestination3, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence3, kU8, Ids({7, 13})),
    ASM_FIELD(ackDestination4, kU32, Ids({7, 13})),
    ASM_FIELD(ackSequence4, kU8, Ids({7, 13})),
    ASM_FIELD(virtualFlag, kU8, Ids({21})),
    ASM_FIELD(assignedFlag, kU8, Ids({21})),
    ASM_FIELD(atonStatus, kU8, Ids({21})),
    ASM_FIELD(commStateFlag, kU8, Ids({18})),
    ASM_FIELD(rxChannel, kChar, kAbk),
    ASM_FIELD(atonType, kU8, Ids({21})),
    ASM_FIELD(offPosition, kU8, Ids({21})),
    ASM_FIELD(dte, kU8, Ids({5})),
    ASM_FIELD(rateOfTurn, kU8, kClassA),
    ASM_FIELD(positionAccuracy, kU8, kPosition),
    ASM_FIELD(navStatus, kU8, kClassA),
    ASM_FIELD(aisVersion, kU8, Ids({5})),
    ASM_FIELD(timeStamp, kU8, Ids({1, 2, 3, 18, 21})),
    ASM_FIELD(raimFlag, kU8, kPosition),
    ASM_FIELD(epfdType, kU8, Ids({4, 5, 21})),
    ASM_FIELD(shipType, kU8, Ids({5, 24})),
    ASM_FIELD(draught, kU8, Ids({5})),
    ASM_FIELD(sequenceNumber, kU8, Ids({6, 8}) | kAbk),
    ASM_FIELD(retransmitFlag, kU8, Ids({6})),
    ASM_FIELD(utcMonth, kU8, Ids({4})),
    ASM_FIELD(utcDay, kU8, Ids({4})),
    ASM_FIELD(utcHour, kU8, Ids({4})),
    ASM_FIELD(utcMinute, kU8, Ids({4})),
    ASM_FIELD(utcSecond, kU8, Ids({4})),
    ASM_FIELD(utcYear, kU16, Ids({4})),
    ASM_FIELD(sog, kU16, kMoving),
    ASM_FIELD(cog, kU16, kMoving),
    ASM_FIELD(trueHeading, kU16, kMoving),
    ASM_FIELD(imoNumber, kU32, Ids({5})),
    ASM_FIELD(dimensions, kU32, Ids({5, 21, 24})),
    ASM_FIELD(eta, kU32, Ids({5})),
    ASM_FIELD(longitude, kU32, kPosition),
    ASM_FIELD(latitude, kU32, kPosition),
    ASM_FIELD(callSign, kText, Ids({5, 24})),
    ASM_FIELD(name, kText, Ids({5, 21, 24})),
    ASM_FIELD(nameExtension, kText, Ids({21})),
    ASM_FIELD(destination, kText, Ids({5})),
    ASM_FIELD(vendorId, kText, Ids({24})),
};

#undef ASM_FIELD

const int kDecodedFieldCount = static_cast<int>(sizeof kDecodedFields / sizeof kDecodedFields[0]);
