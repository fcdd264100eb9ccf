// Text formats of the view cells. Every text is made with the size of its
// buffer, so no field value, however wild, can overrun a cell.
#include "views/cell_formats.h"

#include <bit>
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

constexpr uint32_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// "%0*u": value in decimal, zero-padded to at least `digits` digits;
// written from the last digit back. Inline in every format: the call cost
// as much as the digits.
[[gnu::always_inline]] inline char* PutUnsigned(char* at, uint32_t value, int digits) {
  if (value < 10 && digits <= 1) {  // most cells
    *at = static_cast<char>('0' + value);
    return at + 1;
  }
  // A padded value that fits its width, the usual case, needs no count.
  if (digits < 1 || digits > 9 || value >= kPowersOfTen[digits]) {
    // Digits from the bit length (1233 / 4096 is just over log10(2)), then
    // one test: a loop over the powers of ten ended on a mispredicted branch.
    int count = (std::bit_width(value) * 1233) >> 12;
    count += value >= kPowersOfTen[count];
    if (count == 0) count = 1;  // zero has one digit
    if (digits < count) digits = count;
  }
  char* const end = at + digits;
  char* put = end;
  int left = digits;
  // Four digits at a time from the end: the two pairs of a group do not
  // wait for each other's division, as a chain of divisions by 100 did.
  for (; left >= 4; left -= 4, value /= 10000) {
    const uint32_t group = value % 10000;
    put -= 4;
    memcpy(put, kDigitPairs + 2 * (group / 100), 2);
    memcpy(put + 2, kDigitPairs + 2 * (group % 100), 2);
  }
  if (left >= 2) {
    put -= 2;
    memcpy(put, kDigitPairs + 2 * (value % 100), 2);
    value /= 100;
    left -= 2;
  }
  if (left != 0) *--put = static_cast<char>('0' + value % 10);
  return end;
}

// "%0*d": the sign counts in the width, as printf counts it.
char* PutSigned(char* at, int32_t value, int width) {
  if (value >= 0) return PutUnsigned(at, static_cast<uint32_t>(value), width);
  *at++ = '-';
  return PutUnsigned(at, 0u - static_cast<uint32_t>(value), width - 1);
}

// Degrees, minutes, "." and the fraction, each zero-padded, then "," and
// the hemisphere letter.
char* PutAngle(char* at, const Angle& a, int degreeDigits, int fractionDigits) {
  at = PutUnsigned(at, a.degrees, degreeDigits);
  at = PutUnsigned(at, a.minutes, 2);
  *at++ = '.';
  at = PutUnsigned(at, a.fraction, fractionDigits);
  *at++ = ',';
  *at++ = a.letter;
  return at;
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
  if (value < 10 && size >= 2 && (format == CellFormat::kD1 || format == CellFormat::kNumber)) {
    out[0] = static_cast<char>('0' + value);  // flags and small codes: half the cells of a view
    out[1] = '\0';
    return;
  }
  // Made by hand rather than with snprintf: a decoding tool formats every
  // cell of every message, and the formatter dominated its run time. The
  // texts are those of the printf formats named in the header.
  // Written straight into the cell when it has room for the longest text.
  char text[32];
  char* const start = size >= sizeof text ? out : text;
  char* at = start;
  Angle a{};
  switch (format) {
    case CellFormat::kD1:
      at = PutUnsigned(at, value, 1);
      break;
    case CellFormat::kD2:
      at = PutUnsigned(at, value, 2);
      break;
    case CellFormat::kD3:
      at = PutUnsigned(at, value, 3);
      break;
    case CellFormat::kRot:
      at = PutSigned(at, SignExtend(value, 8), 3);
      break;
    case CellFormat::kD4:
      at = PutUnsigned(at, value, 4);
      break;
    case CellFormat::kD9:
      at = PutUnsigned(at, value, 9);
      break;
    case CellFormat::kTenths:
      at = PutUnsigned(at, value / 10, 3);
      *at++ = '.';
      at = PutUnsigned(at, value % 10, 1);
      break;
    case CellFormat::kDraught:
      at = PutUnsigned(at, value / 10, 2);
      *at++ = '.';
      at = PutUnsigned(at, value % 10, 1);
      break;
    case CellFormat::kChar:
      *at++ = static_cast<char>(value);
      break;
    case CellFormat::kBits:
      for (int bit = 7; bit >= 0; --bit) {
        *at++ = static_cast<char>('0' + ((value >> bit) & 1));
        if (bit != 0) *at++ = ' ';
      }
      break;
    case CellFormat::kNumber:
      at = PutUnsigned(at, value, 1);
      break;
    case CellFormat::kSigned:
      at = PutSigned(at, SignExtend(value, width), 1);
      break;
    case CellFormat::kLat4:
      a = SplitAngle(value, 27, 10000, 'N', 'S');
      at = PutAngle(at, a, 2, 4);
      break;
    case CellFormat::kLon4:
      a = SplitAngle(value, 28, 10000, 'E', 'W');
      at = PutAngle(at, a, 3, 4);
      break;
    case CellFormat::kLat3:
      a = SplitAngle(value, 24, 1000, 'N', 'S');
      at = PutAngle(at, a, 2, 3);
      break;
    case CellFormat::kLon3:
      a = SplitAngle(value, 25, 1000, 'E', 'W');
      at = PutAngle(at, a, 3, 3);
      break;
    case CellFormat::kDayHourMinute:
      at = PutUnsigned(at, (value >> 11) & 31, 2);
      *at++ = ':';
      at = PutUnsigned(at, (value >> 6) & 31, 2);
      *at++ = ':';
      at = PutUnsigned(at, value & 63, 2);
      break;
    case CellFormat::kText:
      break;
  }
  size_t length = static_cast<size_t>(at - start);
  if (start == text) {
    // Cut to the buffer as snprintf would.
    if (length >= size) length = size - 1;
    memcpy(out, text, length);
  }
  out[length] = '\0';
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
