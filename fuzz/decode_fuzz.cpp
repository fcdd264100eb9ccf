// Fuzz target for the message decode: arbitrary bytes become a log slot's
// fragment set (count character, up to five payload texts of up to 168
// characters), which is decoded into a cleared record. Traps if the decode
// leaves the record's payload area malformed.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ais/decode.h"
#include "log/message_log.h"

// Input: byte 0 is the fragment count character, byte 1 a flag byte (bit 0:
// the slot is filled with 0xFF first, so texts need not be terminated),
// then the payload texts separated by newlines.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static FragmentSet set;
  static DecodedMessage record;
  memset(&set, (data[1] & 1) ? 0xFF : 0, sizeof set);
  set.blocks[1].fragmentCountChar = static_cast<char>(data[0]);
  size_t at = 2;
  for (int f = 1; f <= 5 && at < size; ++f) {
    const uint8_t* end = static_cast<const uint8_t*>(memchr(data + at, '\n', size - at));
    size_t length = (end ? static_cast<size_t>(end - data) : size) - at;
    if (length > kPayloadTextChars) length = kPayloadTextChars;
    memcpy(set.blocks[f].payloadText, data + at, length);
    if (!(data[1] & 1)) set.blocks[f].payloadText[length] = 0;
    at = end ? static_cast<size_t>(end - data) + 1 : size;
  }
  memset(&record, 0, sizeof record);
  DecodeMessage(set, &record);
  if (record.payloadLength > kMaxMessageBytes) __builtin_trap();
  for (int i = record.payloadLength; i < kPayloadAreaBytes; ++i)
    if (record.payload[i] != 0) __builtin_trap();
  return 0;
}
