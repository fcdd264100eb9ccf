// The text formats of the view cells and the row type of the cell tables:
// which field (or which message bits) a cell shows, and how.
#pragma once
#include <cstddef>
#include <cstdint>

#include "ais/decoded_message.h"

enum class CellFormat : uint8_t {
  kD1,             // "%01u"
  kD2,             // "%02u"
  kD3,             // "%03u"
  kRot,            // "%03d" of the 8-bit value as two's complement
  kD4,             // "%04u"
  kD9,             // "%09u"
  kTenths,         // "%03u.%01u" of value / 10 and value % 10
  kDraught,        // "%02u.%01u"
  kChar,           // "%c"
  kBits,           // the eight bits of an 8-bit value, most significant first
  kText,           // a zero-terminated text field, bounded by its room
  kNumber,         // unsigned decimal, no padding
  kSigned,         // the value's `width` bits sign-extended, decimal
  kLat4,           // 27-bit two's complement in 1/10000 minute
  kLon4,           // 28-bit
  kLat3,           // 24-bit in 1/1000 minute
  kLon3,           // 25-bit
  kDayHourMinute,  // "%02u:%02u:%02u" of a 16-bit day (5), hour (5), minute (6)
};

// Where a cell's value comes from: a numeric field of the record, a text
// field, or bits of the message itself.
enum class CellSource : uint8_t { kU8, kU16, kU32, kText, kPayloadBits };

struct FieldRef {
  CellSource source;
  uint16_t at;    // offset in DecodedMessage, or first message bit
  uint16_t size;  // bytes of the field (text: its room including the zero)
};

constexpr CellSource SourceForSize(size_t size) {
  return size == 1 ? CellSource::kU8 : size == 2 ? CellSource::kU16 : size == 4 ? CellSource::kU32 : CellSource::kText;
}

// A field of the decoded record by name, for the tables of cells and rows;
// text fields carry their room so that a missing terminator cannot run a
// copy past them.
#define ASM_RECORD_FIELD(name)                                                                          \
  FieldRef {                                                                                            \
    SourceForSize(sizeof(DecodedMessage::name)), static_cast<uint16_t>(offsetof(DecodedMessage, name)), \
        static_cast<uint16_t>(sizeof(DecodedMessage::name))                                             \
  }

// Conditional cells: a list may leave a cell out depending on the view code
// or the record.
enum class CellWhen : uint8_t {
  kAlways,
  kSotdmaView,   // view codes other than 3 (messages 1 and 2)
  kItdmaView,    // view code 3
  kUnitFlagSet,  // class B flag cells, only when unitFlag is not 0
  kSotdmaState,  // commStateFlag 0: the 1471 form of message 18
  kItdmaState,   // commStateFlag not 0: the 142 form
  kPartA,        // partNumber 0
  kPartB,        // partNumber not 0
};

struct CellRow {
  uint16_t controlId;
  CellFormat format;
  CellWhen when;
  FieldRef field;
  uint8_t shift = 0;  // bits below the value inside a packed field
  uint8_t width = 0;  // bits of the value; 0 takes the whole field
};

// Reads the row's value from the record: the field, shifted and masked, or
// `width` message bits from `at`.
uint32_t ReadCellValue(const CellRow& row, const DecodedMessage& record);

// Writes the text of `value` in `format` into out (size bytes, always
// zero-terminated, never overrun). `width` is the value's bit width, used by
// kSigned.
void FormatCellValue(CellFormat format, uint32_t value, int width, char* out, size_t size);

// Writes the text of one row into out: text fields are copied up to their
// zero or their room, everything else goes through FormatCellValue.
void FormatCell(const CellRow& row, const DecodedMessage& record, char* out, size_t size);
