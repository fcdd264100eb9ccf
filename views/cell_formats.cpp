// Text formats of the view cells. Every text is made with the size of its
// buffer, so no field value, however wild, can overrun a cell.
#include "views/cell_formats.h"

#include <cstdio>
#include <cstring>

#include "ais/decode.h"

namespace {

uint32_t LowBits(uint32_t value, int width) {
  return width >= 32 ? value : value & ((1u << width) - 1u);
}

int32_t SignExtend(uint32_t value, int width) {
  if (width <= 0 || width >= 32) return static_cast<int32_t>(value);
  const uint32_t low = LowBits(value, width);
  const uint32_t sign = 1u << (width - 1);
  return static_cast<int32_t>(low ^ sign) - static_cast<int32_t>(sign);
}

struct Angle {
  uint32_t degrees;
  uint32_t minutes;
  uint32_t fraction;
  char letter;
};

// A position field of `width` bits in 1/unit minute: magnitude split into
// degrees, minutes and fraction, with its hemisphere letter.
Angle SplitAngle(uint32_t raw, int width, uint32_t unit, char positive, char negative) {
  uint32_t value = LowBits(raw, width);
  char letter = positive;
  if (value & (1u << (width - 1))) {
    letter = negative;
    value = (1u << width) - value;  // magnitude of the two's complement value
  }
  const uint32_t wholeMinutes = value / unit;
  return {wholeMinutes / 60, wholeMinutes % 60, value % unit, letter};
}

}  // namespace

uint32_t ReadCellValue(const CellRow& row, const DecodedMessage& record) {
  if (row.field.source == CellSource::kPayloadBits) return ReadBitField(record.payload, row.field.at, row.width);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record) + row.field.at;
  uint32_t value = 0;
  switch (row.field.source) {
    case CellSource::kU8:
      value = bytes[0];
      break;
    case CellSource::kU16: {
      uint16_t v16;
      memcpy(&v16, bytes, sizeof v16);
      value = v16;
      break;
    }
    case CellSource::kU32:
      memcpy(&value, bytes, sizeof value);
      break;
    default:
      return 0;
  }
  value >>= row.shift;
  return row.width ? LowBits(value, row.width) : value;
}

void FormatCellValue(CellFormat format, uint32_t value, int width, char* out, size_t size) {
  if (size == 0) return;
  Angle a{};
  switch (format) {
    case CellFormat::kD1:
      snprintf(out, size, "%01u", value);
      break;
    case CellFormat::kD2:
      snprintf(out, size, "%02u", value);
      break;
    case CellFormat::kD3:
      snprintf(out, size, "%03u", value);
      break;
    case CellFormat::kRot:
      snprintf(out, size, "%03d", SignExtend(value, 8));
      break;
    case CellFormat::kD4:
      snprintf(out, size, "%04u", value);
      break;
    case CellFormat::kD9:
      snprintf(out, size, "%09u", value);
      break;
    case CellFormat::kTenths:
      snprintf(out, size, "%03u.%01u", value / 10, value % 10);
      break;
    case CellFormat::kDraught:
      snprintf(out, size, "%02u.%01u", value / 10, value % 10);
      break;
    case CellFormat::kChar:
      snprintf(out, size, "%c", static_cast<char>(value));
      break;
    case CellFormat::kBits:
      snprintf(out, size, "%01u %01u %01u %01u %01u %01u %01u %01u", (value >> 7) & 1, (value >> 6) & 1,
               (value >> 5) & 1, (value >> 4) & 1, (value >> 3) & 1, (value >> 2) & 1, (value >> 1) & 1, value & 1);
      break;
    case CellFormat::kNumber:
      snprintf(out, size, "%u", value);
      break;
    case CellFormat::kSigned:
      snprintf(out, size, "%d", SignExtend(value, width));
      break;
    case CellFormat::kLat4:
      a = SplitAngle(value, 27, 10000, 'N', 'S');
      snprintf(out, size, "%02u%02u.%04u,%c", a.degrees, a.minutes, a.fraction, a.letter);
      break;
    case CellFormat::kLon4:
      a = SplitAngle(value, 28, 10000, 'E', 'W');
      snprintf(out, size, "%03u%02u.%04u,%c", a.degrees, a.minutes, a.fraction, a.letter);
      break;
    case CellFormat::kLat3:
      a = SplitAngle(value, 24, 1000, 'N', 'S');
      snprintf(out, size, "%02u%02u.%03u,%c", a.degrees, a.minutes, a.fraction, a.letter);
      break;
    case CellFormat::kLon3:
      a = SplitAngle(value, 25, 1000, 'E', 'W');
      snprintf(out, size, "%03u%02u.%03u,%c", a.degrees, a.minutes, a.fraction, a.letter);
      break;
    case CellFormat::kDayHourMinute:
      snprintf(out, size, "%02u:%02u:%02u", (value >> 11) & 31, (value >> 6) & 31, value & 63);
      break;
    case CellFormat::kText:
      out[0] = '\0';
      break;
  }
}

void FormatCell(const CellRow& row, const DecodedMessage& record, char* out, size_t size) {
  if (size == 0) return;
  if (row.format == CellFormat::kText) {
    out[0] = '\0';
    if (row.field.source != CellSource::kText) return;
    const char* text = reinterpret_cast<const char*>(&record) + row.field.at;
    size_t length = strnlen(text, row.field.size);
    if (length >= size) length = size - 1;
    memcpy(out, text, length);
    out[length] = '\0';
    return;
  }
  FormatCellValue(row.format, ReadCellValue(row, record), row.width, out, size);
}
