// The generic message view: one table of fields per message type (label,
// where the value comes from, format, unit, values with a meaning of their
// own, and when the row applies), and the formats that make each value's
// text. No state; any thread.
#include "views/generic_view.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <iterator>

#include "ais/bit_reader.h"
#include "ais/message_types.h"
#include "views/cell_formats.h"

namespace {

constexpr char kDegree[] = "\xC2\xB0";  // the degree sign in UTF-8

enum class GenericFormat : uint8_t {
  kNumber,      // unsigned decimal and the unit if any: "303 m"
  kMmsi,        // nine digits, as the templates show an MMSI
  kTenths,      // a tenth of the unit: "12.3 kn (raw 123)"
  kRateOfTurn,  // degrees per minute from the 8-bit two's complement
  kLongitude4,  // 28 bits in 1/10 000 minute: "4°53.1234' E (raw 2931234)"
  kLatitude4,   // 27 bits in 1/10 000 minute
  kLongitude1,  // 18 bits in 1/10 minute
  kLatitude1,   // 17 bits in 1/10 minute
  kText,        // a text field without the "@" and blanks that pad it
  kStatusBits,  // eight bits, most significant first
  kSubMessage,  // SOTDMA sub message, read as its slot time-out says
  kBinaryData,  // the record's binary data in hex, with its bit count
  kMessage,     // the whole message in hex, with its bit count
};

enum class GenericWhen : uint8_t {
  kAlways,
  kSotdma,      // communication state in the SOTDMA form
  kItdma,       // in the ITDMA form: message 3, or the selector flag set
  kPartA,       // message 24 part A
  kPartB,       // message 24 part B (and the reserved part numbers)
  kAddressed,   // messages 22, 25, 26 sent to stations
  kBroadcast,   // message 22 for a region
  kStructured,  // messages 25, 26 with an application identifier
};

// Field values, or a range of them, that mean something of their own.
struct Meaning {
  uint32_t from, to;
  const char* text;
};
// Refers to a constant list of meanings; empty for none.
struct Meanings {
  const Meaning* list = nullptr;
  int count = 0;
  constexpr Meanings() = default;
  template <size_t N>
  constexpr Meanings(const Meaning (&meanings)[N]) : list(meanings), count(static_cast<int>(N)) {}
};

struct GenericField {
  const char* label;
  GenericFormat format;
  FieldRef field;
  const char* unit = nullptr;
  Meanings meanings = {};
  GenericWhen when = GenericWhen::kAlways;
  uint8_t shift = 0;  // bits below the value inside a packed field
  uint8_t width = 0;  // bits of the value; message bits need it
};

constexpr Meaning Is(uint32_t value, const char* text) {
  return {value, value, text};
}
constexpr Meaning Range(uint32_t from, uint32_t to, const char* text) {
  return {from, to, text};
}

#define FIELD ASM_RECORD_FIELD

// Bits of the message itself, for the spare bits the decoders leave there.
constexpr FieldRef Bits(uint16_t start) {
  return {CellSource::kPayloadBits, start, 0};
}
constexpr FieldRef kNoField = {CellSource::kU8, 0, 0};

// The meanings of ITU-R M.1371's coded fields and special values.
constexpr Meaning kRepeat[] = {Is(3, "do not repeat any more")};
constexpr Meaning kNavStatus[] = {
    Is(0, "under way using engine"),
    Is(1, "at anchor"),
    Is(2, "not under command"),
    Is(3, "restricted manoeuvrability"),
    Is(4, "constrained by her draught"),
    Is(5, "moored"),
    Is(6, "aground"),
    Is(7, "engaged in fishing"),
    Is(8, "under way sailing"),
    Is(9, "reserved (HSC)"),
    Is(10, "reserved (WIG)"),
    Is(11, "power-driven vessel towing astern"),
    Is(12, "power-driven vessel pushing ahead or towing alongside"),
    Is(13, "reserved for future use"),
    Is(14, "AIS-SART, MOB-AIS or EPIRB-AIS active"),
    Is(15, "not defined"),
};
constexpr Meaning kRateOfTurn[] = {
    Is(127, "turning right at more than 5\xC2\xB0 per 30 s (no turn indicator)"),
    Is(128, "not available"),
    Is(129, "turning left at more than 5\xC2\xB0 per 30 s (no turn indicator)"),
};
constexpr Meaning kSogTenths[] = {Is(1022, "102.2 kn or more"), Is(1023, "not available")};
constexpr Meaning kSogKnots[] = {Is(1022, "1022 kn or more"), Is(1023, "not available")};
constexpr Meaning kSogLongRange[] = {Is(63, "not available")};
constexpr Meaning kCogTenths[] = {Range(3600, 4095, "not available")};
constexpr Meaning kDegrees[] = {Range(360, 511, "not available")};
constexpr Meaning kAccuracy[] = {Is(0, "low (> 10 m)"), Is(1, "high (<= 10 m)")};
constexpr Meaning kLongitude4[] = {Is(181 * 600000, "not available (181\xC2\xB0)")};
constexpr Meaning kLatitude4[] = {Is(91 * 600000, "not available (91\xC2\xB0)")};
constexpr Meaning kLongitude1[] = {Is(181 * 600, "not available (181\xC2\xB0)")};
constexpr Meaning kLatitude1[] = {Is(91 * 600, "not available (91\xC2\xB0)")};
constexpr Meaning kTimeStamp[] = {Is(60, "not available"), Is(61, "manual input mode"), Is(62, "dead reckoning mode"),
                                  Is(63, "positioning system inoperative")};
constexpr Meaning kManoeuvre[] = {Is(0, "not available"), Is(1, "not engaged in special manoeuvre"),
                                  Is(2, "engaged in special manoeuvre")};
constexpr Meaning kRaim[] = {Is(0, "not in use"), Is(1, "in use")};
constexpr Meaning kSyncState[] = {Is(0, "UTC direct"), Is(1, "UTC indirect"), Is(2, "synchronised to a base station"),
                                  Is(3, "synchronised to another station")};
constexpr Meaning kSelector[] = {Is(0, "SOTDMA"), Is(1, "ITDMA")};
constexpr Meaning kSlots[] = {
    Is(0, "1 slot"),
    Is(1, "2 slots"),
    Is(2, "3 slots"),
    Is(3, "4 slots"),
    Is(4, "5 slots"),
    Is(5, "1 slot, offset 8192 slots further"),
    Is(6, "2 slots, offset 8192 slots further"),
    Is(7, "3 slots, offset 8192 slots further"),
};
constexpr Meaning kKeep[] = {Is(0, "not kept"), Is(1, "kept for one more frame")};
constexpr Meaning kEpfd[] = {
    Is(0, "undefined"),
    Is(1, "GPS"),
    Is(2, "GLONASS"),
    Is(3, "combined GPS/GLONASS"),
    Is(4, "Loran-C"),
    Is(5, "Chayka"),
    Is(6, "integrated navigation system"),
    Is(7, "surveyed"),
    Is(8, "Galileo"),
    Range(9, 14, "not used"),
    Is(15, "internal GNSS"),
};
constexpr Meaning kUtcYear[] = {Is(0, "not available")};
constexpr Meaning kZeroUnavailable[] = {Is(0, "not available")};
constexpr Meaning kHour[] = {Is(24, "not available")};
constexpr Meaning kMinute[] = {Is(60, "not available")};
constexpr Meaning kLongRange[] = {Is(0, "message 27 not requested in base station coverage"),
                                  Is(1, "message 27 requested in base station coverage")};
constexpr Meaning kAisVersion[] = {Is(0, "ITU-R M.1371-1"), Is(1, "ITU-R M.1371-3"), Is(2, "ITU-R M.1371-5"),
                                   Is(3, "future editions")};
constexpr Meaning kShipType[] = {
    Is(0, "not available"),
    Range(1, 19, "reserved for future use"),
    Range(20, 29, "wing in ground (WIG)"),
    Is(30, "fishing"),
    Is(31, "towing"),
    Is(32, "towing, over 200 m long or 25 m wide"),
    Is(33, "dredging or underwater operations"),
    Is(34, "diving operations"),
    Is(35, "military operations"),
    Is(36, "sailing"),
    Is(37, "pleasure craft"),
    Range(38, 39, "reserved"),
    Range(40, 49, "high speed craft (HSC)"),
    Is(50, "pilot vessel"),
    Is(51, "search and rescue vessel"),
    Is(52, "tug"),
    Is(53, "port tender"),
    Is(54, "anti-pollution equipment"),
    Is(55, "law enforcement"),
    Range(56, 57, "spare, local vessel"),
    Is(58, "medical transport"),
    Is(59, "non-combatant ship"),
    Range(60, 69, "passenger ship"),
    Range(70, 79, "cargo ship"),
    Range(80, 89, "tanker"),
    Range(90, 99, "other type of ship"),
    Range(100, 199, "reserved for regional use"),
    Range(200, 255, "reserved for future use"),
};
constexpr Meaning kLengthAb[] = {Is(511, "511 m or more")};
constexpr Meaning kLengthCd[] = {Is(63, "63 m or more")};
constexpr Meaning kDraught[] = {Is(0, "not available"), Is(255, "25.5 m or more")};
constexpr Meaning kDte[] = {Is(0, "available"), Is(1, "not available")};
constexpr Meaning kRetransmit[] = {Is(0, "no retransmission"), Is(1, "retransmitted")};
constexpr Meaning kAltitude[] = {Is(4094, "4094 m or higher"), Is(4095, "not available")};
constexpr Meaning kAltitudeSensor[] = {Is(0, "GNSS"), Is(1, "barometric source")};
constexpr Meaning kAssigned[] = {Is(0, "autonomous and continuous mode"), Is(1, "assigned mode")};
constexpr Meaning kUnit[] = {Is(0, "class B SOTDMA unit"), Is(1, "class B CS unit")};
constexpr Meaning kDisplay[] = {Is(0, "no display"), Is(1, "integrated display")};
constexpr Meaning kDsc[] = {Is(0, "no DSC"), Is(1, "DSC function")};
constexpr Meaning kBand[] = {Is(0, "upper 525 kHz of the marine band"), Is(1, "whole marine band")};
constexpr Meaning kMessage22[] = {Is(0, "no frequency management by message 22"),
                                  Is(1, "frequency management by message 22")};
constexpr Meaning kAtonType[] = {
    Is(0, "not specified"),
    Is(1, "reference point"),
    Is(2, "RACON"),
    Is(3, "fixed structure off shore"),
    Is(4, "spare"),
    Is(5, "light, without sectors"),
    Is(6, "light, with sectors"),
    Is(7, "leading light front"),
    Is(8, "leading light rear"),
    Is(9, "beacon, cardinal N"),
    Is(10, "beacon, cardinal E"),
    Is(11, "beacon, cardinal S"),
    Is(12, "beacon, cardinal W"),
    Is(13, "beacon, port hand"),
    Is(14, "beacon, starboard hand"),
    Is(15, "beacon, preferred channel port hand"),
    Is(16, "beacon, preferred channel starboard hand"),
    Is(17, "beacon, isolated danger"),
    Is(18, "beacon, safe water"),
    Is(19, "beacon, special mark"),
    Is(20, "cardinal mark N"),
    Is(21, "cardinal mark E"),
    Is(22, "cardinal mark S"),
    Is(23, "cardinal mark W"),
    Is(24, "port hand mark"),
    Is(25, "starboard hand mark"),
    Is(26, "preferred channel port hand"),
    Is(27, "preferred channel starboard hand"),
    Is(28, "isolated danger"),
    Is(29, "safe water"),
    Is(30, "special mark"),
    Is(31, "light vessel, LANBY or rig"),
};
constexpr Meaning kOffPosition[] = {Is(0, "on position"), Is(1, "off position")};
constexpr Meaning kVirtual[] = {Is(0, "real aid to navigation"), Is(1, "virtual aid to navigation")};
constexpr Meaning kPart[] = {Is(0, "part A"), Is(1, "part B")};
constexpr Meaning kAddressed[] = {Is(0, "broadcast"), Is(1, "addressed")};
constexpr Meaning kStructured[] = {Is(0, "unstructured"), Is(1, "with application identifier")};
constexpr Meaning kTxRx[] = {Is(0, "Tx A/Tx B, Rx A/Rx B"), Is(1, "Tx A, Rx A/Rx B"), Is(2, "Tx B, Rx A/Rx B"),
                             Range(3, 15, "reserved for future use")};
constexpr Meaning kPower[] = {Is(0, "high"), Is(1, "low")};
constexpr Meaning kBandwidth[] = {Is(0, "as the channel number gives it"), Is(1, "spare")};
constexpr Meaning kZoneSize[] = {Is(0, "1 nm"), Is(1, "2 nm"), Is(2, "3 nm"), Is(3, "4 nm"),
                                 Is(4, "5 nm"), Is(5, "6 nm"), Is(6, "7 nm"), Is(7, "8 nm")};
constexpr Meaning kStationType[] = {
    Is(0, "all types of mobiles"),
    Is(1, "class A mobile stations only"),
    Is(2, "all types of class B mobile stations"),
    Is(3, "SAR airborne mobile station"),
    Is(4, "class B SO mobile stations only"),
    Is(5, "class B CS shipborne mobile station only"),
    Is(6, "inland waterways"),
    Range(7, 9, "regional use"),
    Range(10, 15, "reserved for future use"),
};
constexpr Meaning kInterval[] = {
    Is(0, "as given by the autonomous mode"),
    Is(1, "10 min"),
    Is(2, "6 min"),
    Is(3, "3 min"),
    Is(4, "1 min"),
    Is(5, "30 s"),
    Is(6, "15 s"),
    Is(7, "10 s"),
    Is(8, "5 s"),
    Is(9, "next shorter reporting interval"),
    Is(10, "next longer reporting interval"),
    Is(11, "2 s"),
    Range(12, 15, "reserved for future use"),
};
constexpr Meaning kQuiet[] = {Is(0, "none")};
constexpr Meaning kLatency[] = {Is(0, "less than 5 s"), Is(1, "more than 5 s")};

using F = GenericFormat;
using W = GenericWhen;

// Every decoded message begins with these.
constexpr GenericField kHeaderRows[] = {
    {"Message ID", F::kNumber, FIELD(messageId)},
    {"Repeat indicator", F::kNumber, FIELD(repeatIndicator), nullptr, kRepeat},
    {"User ID", F::kMmsi, FIELD(userId)},
};

// A message type without a decoder: its header as every message has it, and
// the whole message.
constexpr GenericField kReservedRows[] = {
    {"Message ID", F::kNumber, Bits(0), nullptr, {}, W::kAlways, 0, 6},
    {"Repeat indicator", F::kNumber, Bits(6), nullptr, kRepeat, W::kAlways, 0, 2},
    {"User ID", F::kMmsi, Bits(8), nullptr, {}, W::kAlways, 0, 30},
    {"Message", F::kMessage, kNoField},
};

// Rows several tables share.
constexpr GenericField kSogRow = {"SOG", F::kTenths, FIELD(sog), "kn", kSogTenths};
constexpr GenericField kAccuracyRow = {"Position accuracy", F::kNumber, FIELD(positionAccuracy), nullptr, kAccuracy};
constexpr GenericField kLongitudeRow = {"Longitude", F::kLongitude4, FIELD(longitude), nullptr, kLongitude4};
constexpr GenericField kLatitudeRow = {"Latitude", F::kLatitude4, FIELD(latitude), nullptr, kLatitude4};
constexpr GenericField kCogRow = {"COG", F::kTenths, FIELD(cog), kDegree, kCogTenths};
constexpr GenericField kHeadingRow = {"True heading", F::kNumber, FIELD(trueHeading), kDegree, kDegrees};
constexpr GenericField kTimeStampRow = {"Time stamp", F::kNumber, FIELD(timeStamp), "s", kTimeStamp};
constexpr GenericField kRaimRow = {"RAIM flag", F::kNumber, FIELD(raimFlag), nullptr, kRaim};
constexpr GenericField kEpfdRow = {"Type of EPFD", F::kNumber, FIELD(epfdType), nullptr, kEpfd};
constexpr GenericField kShipTypeRow = {"Type of ship and cargo", F::kNumber, FIELD(shipType), nullptr, kShipType};
constexpr GenericField kDimensionARow = {
    "Dimension A (bow)", F::kNumber, FIELD(dimensions), "m", kLengthAb, W::kAlways, 21, 9};
constexpr GenericField kDimensionBRow = {
    "Dimension B (stern)", F::kNumber, FIELD(dimensions), "m", kLengthAb, W::kAlways, 12, 9};
constexpr GenericField kDimensionCRow = {
    "Dimension C (port)", F::kNumber, FIELD(dimensions), "m", kLengthCd, W::kAlways, 6, 6};
constexpr GenericField kDimensionDRow = {
    "Dimension D (starboard)", F::kNumber, FIELD(dimensions), "m", kLengthCd, W::kAlways, 0, 6};
constexpr GenericField kDteRow = {"DTE", F::kNumber, FIELD(dte), nullptr, kDte};
constexpr GenericField kAssignedRow = {"Assigned mode flag", F::kNumber, FIELD(assignedFlag), nullptr, kAssigned};
constexpr GenericField kSpareRow = {"Spare", F::kNumber, FIELD(spare)};
constexpr GenericField kDacRow = {"DAC", F::kNumber, FIELD(dacFi), nullptr, {}, W::kAlways, 6, 10};
constexpr GenericField kFiRow = {"FI", F::kNumber, FIELD(dacFi), nullptr, {}, W::kAlways, 0, 6};
constexpr GenericField kNavStatusRow = {"Navigational status", F::kNumber, FIELD(navStatus), nullptr, kNavStatus};

// Spare bits the decoders leave in the message.
constexpr GenericField Spare(uint16_t start, uint8_t width) {
  return {"Spare", F::kNumber, Bits(start), nullptr, {}, W::kAlways, 0, width};
}

// The communication state: the selector, where the message has one, then the
// sync state and the SOTDMA or ITDMA form.
constexpr GenericField kSelectorRows[] = {
    {"Communication state selector flag", F::kNumber, FIELD(commStateFlag), nullptr, kSelector},
};
constexpr GenericField kCommStateRows[] = {
    {"Sync state", F::kNumber, FIELD(syncState), nullptr, kSyncState},
    {"Slot time-out", F::kNumber, FIELD(slotTimeout), "frames", {}, W::kSotdma},
    {"Sub message", F::kSubMessage, FIELD(subMessage), nullptr, {}, W::kSotdma},
    {"Slot increment", F::kNumber, FIELD(slotIncrement), nullptr, {}, W::kItdma},
    {"Number of slots", F::kNumber, FIELD(numberOfSlots), nullptr, kSlots, W::kItdma},
    {"Keep flag", F::kNumber, FIELD(keepFlag), nullptr, kKeep, W::kItdma},
};

// Messages 1, 2 and 3.
constexpr GenericField kPositionReportRows[] = {
    kNavStatusRow, {"Rate of turn", F::kRateOfTurn, FIELD(rateOfTurn), nullptr, kRateOfTurn},
    kSogRow,       kAccuracyRow,
    kLongitudeRow, kLatitudeRow,
    kCogRow,       kHeadingRow,
    kTimeStampRow, {"Special manoeuvre indicator", F::kNumber, FIELD(specialManoeuvre), nullptr, kManoeuvre},
    kSpareRow,     kRaimRow,
};

// Messages 4 and 11.
constexpr GenericField kBaseStationRows[] = {
    {"UTC year", F::kNumber, FIELD(utcYear), nullptr, kUtcYear},
    {"UTC month", F::kNumber, FIELD(utcMonth), nullptr, kZeroUnavailable},
    {"UTC day", F::kNumber, FIELD(utcDay), nullptr, kZeroUnavailable},
    {"UTC hour", F::kNumber, FIELD(utcHour), nullptr, kHour},
    {"UTC minute", F::kNumber, FIELD(utcMinute), nullptr, kMinute},
    {"UTC second", F::kNumber, FIELD(utcSecond), nullptr, kMinute},
    kAccuracyRow,
    kLongitudeRow,
    kLatitudeRow,
    kEpfdRow,
    {"Transmission control for long-range broadcast", F::kNumber, FIELD(longRangeControl), nullptr, kLongRange},
    kSpareRow,
    kRaimRow,
};

constexpr GenericField kStaticVoyageRows[] = {
    {"AIS version indicator", F::kNumber, FIELD(aisVersion), nullptr, kAisVersion},
    {"IMO number", F::kNumber, FIELD(imoNumber), nullptr, kZeroUnavailable},
    {"Call sign", F::kText, FIELD(callSign)},
    {"Name", F::kText, FIELD(name)},
    kShipTypeRow,
    kDimensionARow,
    kDimensionBRow,
    kDimensionCRow,
    kDimensionDRow,
    kEpfdRow,
    {"ETA month", F::kNumber, FIELD(eta), nullptr, kZeroUnavailable, W::kAlways, 16, 4},
    {"ETA day", F::kNumber, FIELD(eta), nullptr, kZeroUnavailable, W::kAlways, 11, 5},
    {"ETA hour", F::kNumber, FIELD(eta), nullptr, kHour, W::kAlways, 6, 5},
    {"ETA minute", F::kNumber, FIELD(eta), nullptr, kMinute, W::kAlways, 0, 6},
    {"Maximum present static draught", F::kTenths, FIELD(draught), "m", kDraught},
    {"Destination", F::kText, FIELD(destination)},
    kDteRow,
    kSpareRow,
};

constexpr GenericField kAddressedBinaryRows[] = {
    {"Sequence number", F::kNumber, FIELD(sequenceNumber)},
    {"Destination ID", F::kMmsi, FIELD(destinationId)},
    {"Retransmit flag", F::kNumber, FIELD(retransmitFlag), nullptr, kRetransmit},
    kSpareRow,
    kDacRow,
    kFiRow,
    {"Application data", F::kBinaryData, kNoField},
};

// Messages 7 and 13.
constexpr GenericField kAcknowledgeRows[] = {
    kSpareRow,
    {"Destination ID 1", F::kMmsi, FIELD(ackDestination1)},
    {"Sequence number 1", F::kNumber, FIELD(ackSequence1)},
    {"Destination ID 2", F::kMmsi, FIELD(ackDestination2)},
    {"Sequence number 2", F::kNumber, FIELD(ackSequence2)},
    {"Destination ID 3", F::kMmsi, FIELD(ackDestination3)},
    {"Sequence number 3", F::kNumber, FIELD(ackSequence3)},
    {"Destination ID 4", F::kMmsi, FIELD(ackDestination4)},
    {"Sequence number 4", F::kNumber, FIELD(ackSequence4)},
};

constexpr GenericField kBroadcastBinaryRows[] = {
    {"Spare", F::kNumber, FIELD(sequenceNumber)},  // the record keeps bits 38-39 there
    kDacRow,
    kFiRow,
    {"Application data", F::kBinaryData, kNoField},
};

constexpr GenericField kSarAircraftRows[] = {
    {"Altitude", F::kNumber, FIELD(altitude), "m", kAltitude},
    {"SOG", F::kNumber, FIELD(sog), "kn", kSogKnots},
    kAccuracyRow,
    kLongitudeRow,
    kLatitudeRow,
    kCogRow,
    kTimeStampRow,
    {"Altitude sensor", F::kNumber, FIELD(altitudeSensor), nullptr, kAltitudeSensor},
    Spare(135, 7),
    kDteRow,
    Spare(143, 3),
    kAssignedRow,
    kRaimRow,
};

constexpr GenericField kUtcInquiryRows[] = {
    Spare(38, 2),
    {"Destination ID", F::kMmsi, FIELD(destinationId)},
    Spare(70, 2),
};

constexpr GenericField kAddressedSafetyRows[] = {
    {"Sequence number", F::kNumber, FIELD(sequenceNumber)},
    {"Destination ID", F::kMmsi, FIELD(destinationId)},
    {"Retransmit flag", F::kNumber, FIELD(retransmitFlag), nullptr, kRetransmit},
    Spare(71, 1),
    {"Safety related text", F::kText, FIELD(text)},
};

constexpr GenericField kBroadcastSafetyRows[] = {
    Spare(38, 2),
    {"Safety related text", F::kText, FIELD(text)},
};

constexpr GenericField kInterrogationRows[] = {
    Spare(38, 2),
    {"Destination ID 1", F::kMmsi, FIELD(destinationId)},
    {"Message ID 1.1", F::kNumber, FIELD(requestedMessage11)},
    {"Slot offset 1.1", F::kNumber, FIELD(slotOffset11)},
    Spare(88, 2),
    {"Message ID 1.2", F::kNumber, FIELD(requestedMessage12)},
    {"Slot offset 1.2", F::kNumber, FIELD(slotOffset12)},
    Spare(108, 2),
    {"Destination ID 2", F::kMmsi, FIELD(destinationId2)},
    {"Message ID 2.1", F::kNumber, FIELD(requestedMessage21)},
    {"Slot offset 2.1", F::kNumber, FIELD(slotOffset21)},
    Spare(158, 2),
};

constexpr GenericField kAssignedModeRows[] = {
    Spare(38, 2),
    {"Destination ID A", F::kMmsi, FIELD(destinationId)},
    {"Offset A", F::kNumber, FIELD(offsetA)},
    {"Increment A", F::kNumber, FIELD(incrementA)},
    {"Destination ID B", F::kMmsi, FIELD(destinationId2)},
    {"Offset B", F::kNumber, FIELD(offsetB)},
    {"Increment B", F::kNumber, FIELD(incrementB)},
};

constexpr GenericField kDgnssRows[] = {
    Spare(38, 2),
    {"Longitude", F::kLongitude1, FIELD(longitude), nullptr, kLongitude1},
    {"Latitude", F::kLatitude1, FIELD(latitude), nullptr, kLatitude1},
    Spare(75, 5),
    {"DGNSS data", F::kBinaryData, kNoField},
};

constexpr GenericField kClassBRows[] = {
    {"Regional reserved", F::kNumber, FIELD(regional8)},
    kSogRow,
    kAccuracyRow,
    kLongitudeRow,
    kLatitudeRow,
    kCogRow,
    kHeadingRow,
    kTimeStampRow,
    {"Regional reserved", F::kNumber, FIELD(regional2)},
    {"Class B unit flag", F::kNumber, FIELD(unitFlag), nullptr, kUnit},
    {"Class B display flag", F::kNumber, FIELD(displayFlag), nullptr, kDisplay},
    {"Class B DSC flag", F::kNumber, FIELD(dscFlag), nullptr, kDsc},
    {"Class B band flag", F::kNumber, FIELD(bandFlag), nullptr, kBand},
    {"Class B message 22 flag", F::kNumber, FIELD(msg22Flag), nullptr, kMessage22},
    {"Mode flag", F::kNumber, FIELD(modeFlag), nullptr, kAssigned},
    kRaimRow,
};

constexpr GenericField kExtendedClassBRows[] = {
    {"Regional reserved", F::kNumber, FIELD(regional8)},
    kSogRow,
    kAccuracyRow,
    kLongitudeRow,
    kLatitudeRow,
    kCogRow,
    kHeadingRow,
    kTimeStampRow,
    {"Regional reserved", F::kNumber, FIELD(regional4)},
    {"Name", F::kText, FIELD(name)},
    kShipTypeRow,
    kDimensionARow,
    kDimensionBRow,
    kDimensionCRow,
    kDimensionDRow,
    kEpfdRow,
    kRaimRow,
    kDteRow,
    kAssignedRow,
    Spare(308, 4),
};

constexpr GenericField kDataLinkRows[] = {
    Spare(38, 2),
    {"Offset number 1", F::kNumber, FIELD(offsetNumber1)},
    {"Number of slots 1", F::kNumber, FIELD(reservedSlots1)},
    {"Time-out 1", F::kNumber, FIELD(timeout1), "min"},
    {"Increment 1", F::kNumber, FIELD(increment1)},
    {"Offset number 2", F::kNumber, FIELD(offsetNumber2)},
    {"Number of slots 2", F::kNumber, FIELD(reservedSlots2)},
    {"Time-out 2", F::kNumber, FIELD(timeout2), "min"},
    {"Increment 2", F::kNumber, FIELD(increment2)},
    {"Offset number 3", F::kNumber, FIELD(offsetNumber3)},
    {"Number of slots 3", F::kNumber, FIELD(reservedSlots3)},
    {"Time-out 3", F::kNumber, FIELD(timeout3), "min"},
    {"Increment 3", F::kNumber, FIELD(increment3)},
    {"Offset number 4", F::kNumber, FIELD(offsetNumber4)},
    {"Number of slots 4", F::kNumber, FIELD(reservedSlots4)},
    {"Time-out 4", F::kNumber, FIELD(timeout4), "min"},
    {"Increment 4", F::kNumber, FIELD(increment4)},
};

constexpr GenericField kAtonRows[] = {
    {"Type of aids-to-navigation", F::kNumber, FIELD(atonType), nullptr, kAtonType},
    {"Name of aids-to-navigation", F::kText, FIELD(name)},
    kAccuracyRow,
    kLongitudeRow,
    kLatitudeRow,
    kDimensionARow,
    kDimensionBRow,
    kDimensionCRow,
    kDimensionDRow,
    kEpfdRow,
    kTimeStampRow,
    {"Off-position indicator", F::kNumber, FIELD(offPosition), nullptr, kOffPosition},
    {"AtoN status", F::kStatusBits, FIELD(atonStatus)},
    kRaimRow,
    {"Virtual AtoN flag", F::kNumber, FIELD(virtualFlag), nullptr, kVirtual},
    kAssignedRow,
    kSpareRow,
    {"Name of aids-to-navigation extension", F::kText, FIELD(nameExtension)},
};

constexpr GenericField kChannelManagementRows[] = {
    Spare(38, 2),
    {"Channel A", F::kNumber, FIELD(channelA)},
    {"Channel B", F::kNumber, FIELD(channelB)},
    {"Tx/Rx mode", F::kNumber, FIELD(txRxMode), nullptr, kTxRx},
    {"Power", F::kNumber, FIELD(power), nullptr, kPower},
    {"Longitude 1 (north-east)", F::kLongitude1, FIELD(neLongitude), nullptr, kLongitude1, W::kBroadcast},
    {"Latitude 1 (north-east)", F::kLatitude1, FIELD(neLatitude), nullptr, kLatitude1, W::kBroadcast},
    {"Longitude 2 (south-west)", F::kLongitude1, FIELD(swLongitude), nullptr, kLongitude1, W::kBroadcast},
    {"Latitude 2 (south-west)", F::kLatitude1, FIELD(swLatitude), nullptr, kLatitude1, W::kBroadcast},
    {"Destination ID 1", F::kMmsi, FIELD(destinationId), nullptr, {}, W::kAddressed},
    {"Destination ID 2", F::kMmsi, FIELD(destinationId2), nullptr, {}, W::kAddressed},
    {"Addressed or broadcast message indicator", F::kNumber, FIELD(addressedFlag), nullptr, kAddressed},
    {"Channel A bandwidth", F::kNumber, FIELD(bandwidthA), nullptr, kBandwidth},
    {"Channel B bandwidth", F::kNumber, FIELD(bandwidthB), nullptr, kBandwidth},
    {"Transitional zone size", F::kNumber, FIELD(zoneSize), nullptr, kZoneSize},
    Spare(145, 23),
};

constexpr GenericField kGroupAssignmentRows[] = {
    Spare(38, 2),
    {"Longitude 1 (north-east)", F::kLongitude1, FIELD(neLongitude), nullptr, kLongitude1},
    {"Latitude 1 (north-east)", F::kLatitude1, FIELD(neLatitude), nullptr, kLatitude1},
    {"Longitude 2 (south-west)", F::kLongitude1, FIELD(swLongitude), nullptr, kLongitude1},
    {"Latitude 2 (south-west)", F::kLatitude1, FIELD(swLatitude), nullptr, kLatitude1},
    {"Station type", F::kNumber, FIELD(stationType), nullptr, kStationType},
    kShipTypeRow,
    Spare(122, 22),
    {"Tx/Rx mode", F::kNumber, FIELD(txRxMode), nullptr, kTxRx},
    {"Reporting interval", F::kNumber, FIELD(reportingInterval), nullptr, kInterval},
    {"Quiet time", F::kNumber, FIELD(quietTime), "min", kQuiet},
    Spare(154, 6),
};

constexpr GenericField kStaticDataRows[] = {
    {"Part number", F::kNumber, FIELD(partNumber), nullptr, kPart},
    {"Name", F::kText, FIELD(name), nullptr, {}, W::kPartA},
    {"Type of ship and cargo", F::kNumber, FIELD(shipType), nullptr, kShipType, W::kPartB},
    {"Vendor ID", F::kText, FIELD(vendorId), nullptr, {}, W::kPartB},
    {"Call sign", F::kText, FIELD(callSign), nullptr, {}, W::kPartB},
    {"Dimension A (bow)", F::kNumber, FIELD(dimensions), "m", kLengthAb, W::kPartB, 21, 9},
    {"Dimension B (stern)", F::kNumber, FIELD(dimensions), "m", kLengthAb, W::kPartB, 12, 9},
    {"Dimension C (port)", F::kNumber, FIELD(dimensions), "m", kLengthCd, W::kPartB, 6, 6},
    {"Dimension D (starboard)", F::kNumber, FIELD(dimensions), "m", kLengthCd, W::kPartB, 0, 6},
};

// Messages 25 and 26; 26 goes on with its communication state.
constexpr GenericField kSlotBinaryRows[] = {
    {"Destination indicator", F::kNumber, FIELD(addressedFlag), nullptr, kAddressed},
    {"Binary data flag", F::kNumber, FIELD(structuredFlag), nullptr, kStructured},
    {"Destination ID", F::kMmsi, FIELD(destinationId), nullptr, {}, W::kAddressed},
    {"DAC", F::kNumber, FIELD(dacFi), nullptr, {}, W::kStructured, 6, 10},
    {"FI", F::kNumber, FIELD(dacFi), nullptr, {}, W::kStructured, 0, 6},
    {"Binary data", F::kBinaryData, kNoField},
};

constexpr GenericField kLongRangeRows[] = {
    kAccuracyRow,
    kRaimRow,
    kNavStatusRow,
    {"Longitude", F::kLongitude1, FIELD(longitude), nullptr, kLongitude1},
    {"Latitude", F::kLatitude1, FIELD(latitude), nullptr, kLatitude1},
    {"SOG", F::kNumber, FIELD(sog), "kn", kSogLongRange},
    {"COG", F::kNumber, FIELD(cog), kDegree, kDegrees},
    {"Position latency", F::kNumber, FIELD(positionLatency), nullptr, kLatency},
    Spare(95, 1),
};

#undef FIELD

struct RowList {
  const GenericField* rows;
  int count;
};
template <size_t N>
constexpr RowList Rows(const GenericField (&rows)[N]) {
  return {rows, static_cast<int>(N)};
}
constexpr RowList kNoRows = {nullptr, 0};
constexpr RowList kSelectorPart = Rows(kSelectorRows);
constexpr RowList kCommStatePart = Rows(kCommStateRows);

// Each message type's fields after the header, in three parts: its own, the
// communication state selector, the state. Its title is the message types'
// table's.
struct GenericTable {
  uint8_t messageId;
  RowList parts[3];
};

constexpr GenericTable kGenericTables[] = {
    {1, {Rows(kPositionReportRows), kNoRows, kCommStatePart}},
    {2, {Rows(kPositionReportRows), kNoRows, kCommStatePart}},
    {3, {Rows(kPositionReportRows), kNoRows, kCommStatePart}},
    {4, {Rows(kBaseStationRows), kNoRows, kCommStatePart}},
    {5, {Rows(kStaticVoyageRows)}},
    {6, {Rows(kAddressedBinaryRows)}},
    {7, {Rows(kAcknowledgeRows)}},
    {8, {Rows(kBroadcastBinaryRows)}},
    {9, {Rows(kSarAircraftRows), kSelectorPart, kCommStatePart}},
    {10, {Rows(kUtcInquiryRows)}},
    {11, {Rows(kBaseStationRows), kNoRows, kCommStatePart}},
    {12, {Rows(kAddressedSafetyRows)}},
    {13, {Rows(kAcknowledgeRows)}},
    {14, {Rows(kBroadcastSafetyRows)}},
    {15, {Rows(kInterrogationRows)}},
    {16, {Rows(kAssignedModeRows)}},
    {17, {Rows(kDgnssRows)}},
    {18, {Rows(kClassBRows), kSelectorPart, kCommStatePart}},
    {19, {Rows(kExtendedClassBRows)}},
    {20, {Rows(kDataLinkRows)}},
    {21, {Rows(kAtonRows)}},
    {22, {Rows(kChannelManagementRows)}},
    {23, {Rows(kGroupAssignmentRows)}},
    {24, {Rows(kStaticDataRows)}},
    {25, {Rows(kSlotBinaryRows)}},
    {26, {Rows(kSlotBinaryRows), kSelectorPart, kCommStatePart}},
    {27, {Rows(kLongRangeRows)}},
};

constexpr bool TablesFit() {
  for (const GenericTable& table : kGenericTables) {
    int count = static_cast<int>(std::size(kHeaderRows));
    for (const RowList& part : table.parts) count += part.count;
    if (count > kMaxGenericRows) return false;
  }
  return static_cast<int>(std::size(kReservedRows)) <= kMaxGenericRows;
}
static_assert(TablesFit(), "a message's rows outgrow kMaxGenericRows");

constexpr const GenericTable* FindTable(int messageId) {
  for (const GenericTable& table : kGenericTables)
    if (table.messageId == messageId) return &table;
  return nullptr;
}

// Every message type has its table of fields here.
#define ASM_TYPE_HAS_TABLE(id, title, decoder, view, encoder) &&FindTable(id) != nullptr
static_assert(true ASM_MESSAGE_TYPES(ASM_TYPE_HAS_TABLE), "a message type has no generic table");
#undef ASM_TYPE_HAS_TABLE

bool RowWanted(GenericWhen when, const DecodedMessage& record) {
  switch (when) {
    case GenericWhen::kAlways:
      return true;
    case GenericWhen::kSotdma:
      return record.messageId != 3 && record.commStateFlag == 0;
    case GenericWhen::kItdma:
      return record.messageId == 3 || record.commStateFlag != 0;
    case GenericWhen::kPartA:
      return record.partNumber == 0;
    case GenericWhen::kPartB:
      return record.partNumber != 0;
    case GenericWhen::kAddressed:
      return record.addressedFlag != 0;
    case GenericWhen::kBroadcast:
      return record.addressedFlag == 0;
    case GenericWhen::kStructured:
      return record.structuredFlag != 0;
  }
  return false;
}

// Appends to a value text; never runs past its end, always terminated.
struct ValueText {
  char* at;
  char* end;
};

[[gnu::format(printf, 2, 3)]] void Put(ValueText* text, const char* format, ...) {
  if (text->at >= text->end - 1) return;
  va_list args;
  va_start(args, format);
  const int written = vsnprintf(text->at, static_cast<size_t>(text->end - text->at), format, args);
  va_end(args);
  if (written < 0) return;
  text->at = written < text->end - text->at ? text->at + written : text->end - 1;
}

int32_t SignExtend(uint32_t value, int width) {
  const uint32_t sign = 1u << (width - 1);
  const uint32_t low = value & ((sign << 1) - 1);
  return static_cast<int32_t>(low ^ sign) - static_cast<int32_t>(sign);
}

// Bits of the two's-complement formats; 0 for the unsigned ones.
int SignedWidth(GenericFormat format) {
  switch (format) {
    case GenericFormat::kRateOfTurn:
      return 8;
    case GenericFormat::kLongitude4:
      return 28;
    case GenericFormat::kLatitude4:
      return 27;
    case GenericFormat::kLongitude1:
      return 18;
    case GenericFormat::kLatitude1:
      return 17;
    default:
      return 0;
  }
}

// "4°53.1234' E (raw 2931234)": degrees, minutes with `digits` decimals of
// a minute, hemisphere, and the signed field value.
void PutPosition(ValueText* text, int32_t value, uint32_t perMinute, int digits, char positive, char negative) {
  const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  const uint32_t minutes = magnitude / perMinute;
  Put(text, "%u%s%02u.%0*u' %c (raw %d)", minutes / 60, kDegree, minutes % 60, digits, magnitude % perMinute,
      value < 0 ? negative : positive, value);
}

void PutUnit(ValueText* text, const char* unit) {
  if (unit == nullptr) return;
  Put(text, unit == kDegree ? "%s" : " %s", unit);
}

// `bits` message bits from `start` in hex, the last byte filled with zero
// bits, and the count.
void PutHex(ValueText* text, const uint8_t* payload, int start, int bits) {
  if (bits <= 0) {
    Put(text, "none");
    return;
  }
  for (int at = 0; at < bits; at += 8) {
    const int width = bits - at < 8 ? bits - at : 8;
    Put(text, "%02x", ReadBitField(payload, start + at, width) << (8 - width));
  }
  Put(text, " (%d bits)", bits);
}

// The sub message of a SOTDMA state means what the slot time-out says.
void PutSubMessage(ValueText* text, const DecodedMessage& record) {
  const uint32_t value = record.subMessage;
  switch (record.slotTimeout) {
    case 0:
      Put(text, "%u (slot offset)", value);
      break;
    case 1:
      Put(text, "UTC %02u:%02u (raw %u)", (value >> 9) & 31, (value >> 2) & 127, value);
      break;
    case 2:
    case 4:
    case 6:
      Put(text, "%u (slot number)", value);
      break;
    default:
      Put(text, "%u (received stations)", value);
      break;
  }
}

void PutText(ValueText* text, const DecodedMessage& record, const FieldRef& field) {
  const char* at = reinterpret_cast<const char*>(&record) + field.at;
  int length = 0;
  while (length < field.size && at[length] != '\0') ++length;
  // "@" pads a text to its field; blanks often do the same.
  while (length > 0 && (at[length - 1] == '@' || at[length - 1] == ' ')) --length;
  Put(text, "%.*s", length, at);
}

const Meaning* FindMeaning(const Meanings& meanings, uint32_t value) {
  for (int i = 0; i < meanings.count; ++i)
    if (value >= meanings.list[i].from && value <= meanings.list[i].to) return &meanings.list[i];
  return nullptr;
}

void FormatValue(const GenericField& row, const DecodedMessage& record, ValueText* text) {
  switch (row.format) {
    case GenericFormat::kText:
      return PutText(text, record, row.field);
    case GenericFormat::kBinaryData:
      return PutHex(text, record.payload, record.dataStart, record.dataBits);
    case GenericFormat::kMessage:
      return PutHex(text, record.payload, 0, record.payloadBits);
    case GenericFormat::kSubMessage:
      return PutSubMessage(text, record);
    default:
      break;
  }
  const CellRow source = {0, CellFormat::kNumber, CellWhen::kAlways, row.field, row.shift, row.width};
  const uint32_t value = ReadCellValue(source, record);
  const int width = SignedWidth(row.format);
  const int32_t signedValue = width ? SignExtend(value, width) : 0;
  if (const Meaning* meaning = FindMeaning(row.meanings, value)) {
    if (width)
      Put(text, "%d = %s", signedValue, meaning->text);
    else
      Put(text, "%u = %s", value, meaning->text);
    return;
  }
  switch (row.format) {
    case GenericFormat::kNumber:
      Put(text, "%u", value);
      PutUnit(text, row.unit);
      break;
    case GenericFormat::kMmsi:
      Put(text, "%09u", value);
      break;
    case GenericFormat::kTenths:
      Put(text, "%u.%u", value / 10, value % 10);
      PutUnit(text, row.unit);
      Put(text, " (raw %u)", value);
      break;
    case GenericFormat::kRateOfTurn: {
      // The sensor's rate is the square of the field over 4.733, signed.
      const double rate = (signedValue / 4.733) * (signedValue / 4.733);
      const char* side = signedValue > 0 ? " right" : signedValue < 0 ? " left" : "";
      Put(text, "%.1f%s/min%s (raw %d)", rate, kDegree, side, signedValue);
      break;
    }
    case GenericFormat::kLongitude4:
      PutPosition(text, signedValue, 10000, 4, 'E', 'W');
      break;
    case GenericFormat::kLatitude4:
      PutPosition(text, signedValue, 10000, 4, 'N', 'S');
      break;
    case GenericFormat::kLongitude1:
      PutPosition(text, signedValue, 10, 1, 'E', 'W');
      break;
    case GenericFormat::kLatitude1:
      PutPosition(text, signedValue, 10, 1, 'N', 'S');
      break;
    case GenericFormat::kStatusBits:
      for (int bit = 7; bit >= 0; --bit) Put(text, "%u", (value >> bit) & 1);
      Put(text, " (raw %u)", value);
      break;
    default:
      break;
  }
}

int AddRows(const RowList& list, const DecodedMessage& record, GenericRow* rows, int count) {
  for (int i = 0; i < list.count; ++i) {
    const GenericField& row = list.rows[i];
    if (!RowWanted(row.when, record)) continue;
    rows[count].label = row.label;
    ValueText text = {rows[count].value, rows[count].value + sizeof rows[count].value};
    text.at[0] = '\0';
    FormatValue(row, record, &text);
    ++count;
  }
  return count;
}

}  // namespace

void FormatGenericTitle(const DecodedMessage& record, char* out, size_t size) {
  if (size == 0) return;
  const GenericTable* table = FindTable(record.messageId);
  if (table == nullptr) {
    snprintf(out, size, " Message %d : Reserved for future use", record.payload[0] >> 2);
  } else if (table->messageId == 24) {
    snprintf(out, size, " Message 24 %c : %s", record.partNumber == 0 ? 'A' : 'B', MessageTypeTitle(24));
  } else {
    snprintf(out, size, " Message %d : %s", table->messageId, MessageTypeTitle(table->messageId));
  }
}

int FillGenericRows(const DecodedMessage& record, GenericRow* rows) {
  const GenericTable* table = FindTable(record.messageId);
  if (table == nullptr) {
    if (record.payloadBits == 0) return 0;  // nothing was received
    return AddRows(Rows(kReservedRows), record, rows, 0);
  }
  int count = AddRows(Rows(kHeaderRows), record, rows, 0);
  for (const RowList& part : table->parts) count = AddRows(part, record, rows, count);
  return count;
}
