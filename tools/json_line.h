// A small JSON text writer for tools that print one object per line: each
// call appends to a caller's buffer and returns the new end, so a line is
// built in place without allocation. The caller makes sure there is room:
// JsonStringRoom bounds a string, and a number may write ten bytes however
// short it is (the bytes past its end are overwritten by what follows). Strings come out as valid UTF-8: control
// characters are escaped, and each byte sequence that is not UTF-8 becomes
// one U+FFFD, the longest start of a valid sequence counting as one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Most bytes a string of `length` bytes can take, quotes included: six per
// byte ("\u001f"), more than the three a replaced byte takes. AppendJsonText
// may write up to 16 bytes past a short text's end, within this room.
constexpr size_t JsonStringRoom(size_t length) {
  return 2 + 6 * length + 16;
}

inline char* AppendJsonRaw(char* out, const char* text, size_t length) {
  memcpy(out, text, length);
  return out + length;
}

namespace json_line_detail {

inline constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Exactly four digits of value (below 10000), zero-padded.
inline void PutFourDigits(char* out, uint32_t value) {
  memcpy(out, kPairs + 2 * (value / 100), 2);
  memcpy(out + 2, kPairs + 2 * (value % 100), 2);
}

}  // namespace json_line_detail

[[gnu::always_inline]] inline char* AppendJsonUnsigned(char* out, uint32_t value) {
  using json_line_detail::kPairs;
  using json_line_detail::PutFourDigits;
  if (value < 10) {  // most fields of most messages
    *out = static_cast<char>('0' + value);
    return out + 1;
  }
  if (value < 100) {
    memcpy(out, kPairs + 2 * value, 2);
    return out + 2;
  }
  if (value < 1000) {
    *out = static_cast<char>('0' + value / 100);
    memcpy(out + 1, kPairs + 2 * (value % 100), 2);
    return out + 3;
  }
  if (value < 10000) {
    PutFourDigits(out, value);
    return out + 4;
  }
  // Longer numbers (identities, positions) in independent groups of four
  // digits, so that the divisions need not wait for each other.
  const int digits = value < 100000       ? 5
                     : value < 1000000    ? 6
                     : value < 10000000   ? 7
                     : value < 100000000  ? 8
                     : value < 1000000000 ? 9
                                          : 10;
  char group[24];  // twelve digits, then room for the fixed-size copy
  PutFourDigits(group + 8, value % 10000);
  const uint32_t high = value / 10000;
  PutFourDigits(group + 4, high % 10000);
  PutFourDigits(group, high / 10000);    // at most 42
  memcpy(out, group + 12 - digits, 10);  // the digits, and past them what follows in group
  return out + digits;
}

inline char* AppendJsonSigned(char* out, int32_t value) {
  if (value >= 0) return AppendJsonUnsigned(out, static_cast<uint32_t>(value));
  *out++ = '-';
  return AppendJsonUnsigned(out, 0u - static_cast<uint32_t>(value));
}

namespace json_line_detail {

// How each byte is written inside a string: 0 as it is, 1 as a two-character
// escape, 2 as \u00XX, 3 the lead of a multi-byte sequence, 4 never valid.
struct ByteTable {
  uint8_t how[256];
  char escape[256];
  constexpr ByteTable() : how(), escape() {
    for (int c = 0; c < 0x20; ++c) how[c] = 2;
    const char shortForms[][2] = {{'\b', 'b'}, {'\t', 't'}, {'\n', 'n'}, {'\f', 'f'},
                                  {'\r', 'r'}, {'"', '"'},  {'\\', '\\'}};
    for (const auto& form : shortForms) {
      how[static_cast<uint8_t>(form[0])] = 1;
      escape[static_cast<uint8_t>(form[0])] = form[1];
    }
    for (int c = 0x80; c < 0x100; ++c) how[c] = (c >= 0xC2 && c <= 0xF4) ? 3 : 4;
  }
};
inline constexpr ByteTable kBytes;

// Length of the valid UTF-8 sequence at text[0] (a lead byte), or 0 when it
// is cut short or malformed; *valid is then how many bytes form the longest
// valid start of a sequence, all of which one replacement character stands
// for.
inline size_t Utf8Sequence(const uint8_t* text, size_t left, size_t* valid) {
  const uint8_t lead = text[0];
  const size_t need = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  // The second byte's range excludes overlong forms, surrogates and code
  // points above U+10FFFF.
  uint8_t low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  size_t got = 1;
  if (got < left && text[got] >= low && text[got] <= high) {
    ++got;
    while (got < need && got < left && text[got] >= 0x80 && text[got] <= 0xBF) ++got;
  }
  *valid = got;
  return got == need ? need : 0;
}

// Length of the run of bytes at the start of in[0, size) that a JSON string
// holds as they are: it ends at a zero, a byte to escape or one above 0x7F.
// Eight bytes are tested at a time where the compiler allows: texts are
// short, and a byte-by-byte scan spent its time on the branch that ends it.
inline size_t PlainRun(const uint8_t* in, size_t size) {
  size_t i = 0;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  for (; i + 8 <= size; i += 8) {
    uint64_t w;
    memcpy(&w, in + i, sizeof w);
    const uint64_t quote = w ^ (kOnes * '"');
    const uint64_t backslash = w ^ (kOnes * '\\');
    // Each test flags its lowest matching byte exactly (borrows only run
    // upwards), so the lowest flag of all is the first byte to stop at.
    const uint64_t stop =
        (((w - kOnes * 0x20) & ~w) | ((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash) | w) & kHigh;
    if (stop != 0) return i + static_cast<size_t>(__builtin_ctzll(stop) >> 3);
  }
#endif
  while (i < size && kBytes.how[in[i]] == 0) ++i;
  return i;
}

}  // namespace json_line_detail

// Appends `length` bytes of `text` as a quoted JSON string.
inline char* AppendJsonString(char* out, const char* text, size_t length) {
  using json_line_detail::kBytes;
  static constexpr char kHex[] = "0123456789abcdef";
  const auto* in = reinterpret_cast<const uint8_t*>(text);
  *out++ = '"';
  // Plain text, the usual case, goes in one copy.
  size_t i = json_line_detail::PlainRun(in, length);
  out = AppendJsonRaw(out, text, i);
  while (i < length) {
    const uint8_t b = in[i];
    switch (kBytes.how[b]) {
      case 0:
        *out++ = static_cast<char>(b);
        ++i;
        break;
      case 1:
        *out++ = '\\';
        *out++ = kBytes.escape[b];
        ++i;
        break;
      case 2:
        out = AppendJsonRaw(out, "\\u00", 4);
        *out++ = kHex[b >> 4];
        *out++ = kHex[b & 15];
        ++i;
        break;
      case 3: {
        size_t valid = 0;
        const size_t sequence = json_line_detail::Utf8Sequence(in + i, length - i, &valid);
        if (sequence != 0) {
          out = AppendJsonRaw(out, text + i, sequence);
          i += sequence;
        } else {
          out = AppendJsonRaw(out, "\xEF\xBF\xBD", 3);
          i += valid;  // the byte that broke the sequence is read again
        }
        break;
      }
      default:
        out = AppendJsonRaw(out, "\xEF\xBF\xBD", 3);
        ++i;
        break;
    }
  }
  *out++ = '"';
  return out;
}

// Appends a zero-terminated text of at most `room` bytes (no terminator
// needed when it fills them) as a quoted JSON string.
inline char* AppendJsonText(char* out, const char* text, size_t room) {
  const auto* in = reinterpret_cast<const uint8_t*>(text);
  // The usual text is short and plain: one scan finds its end, and one
  // fixed-size copy (within the room) moves it.
  const size_t plain = json_line_detail::PlainRun(in, room);
  if (plain == room || in[plain] == 0) {
    *out++ = '"';
    if (room >= 16 && plain <= 16)
      memcpy(out, text, 16);
    else
      memcpy(out, text, plain);
    out += plain;
    *out++ = '"';
    return out;
  }
  return AppendJsonString(out, text, plain + strnlen(text + plain, room - plain));
}
