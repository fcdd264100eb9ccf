// Joining a log slot's fragments into message bytes and dispatching the
// bytes to the decoder of their message id. Main thread; no state kept
// between decodes.
#include <cstring>

#include "ais/dearmour.h"
#include "ais/decode.h"
#include "ais/message_types.h"

namespace {

using Decoder = void (*)(const uint8_t* payload, DecodedMessage* record);

// Decoder by message id, from the message types' table; ids without one
// leave only the payload filled.
struct DecoderTable {
  Decoder byId[64];
  constexpr DecoderTable() : byId() {
#define ASM_TYPE_DECODER(id, title, decoder, view, encoder) byId[id] = decoder;
    ASM_MESSAGE_TYPES(ASM_TYPE_DECODER)
#undef ASM_TYPE_DECODER
  }
};

constexpr DecoderTable kDecoders;

constexpr int kMaxJoinedFragments = 5;

// Appends one fragment's six-bit values at bit `bits` of `out`, straight
// after the previous fragment's last bit: a fragment whose length is not a
// multiple of four characters ends inside a byte, and joining whole bytes
// would lose its tail and shift every later field. Stops at the longest
// possible message so the area can never overflow. Returns the new bit count.
int AppendFragmentBits(const char* text, uint8_t* out, int bits) {
  const auto* in = reinterpret_cast<const uint8_t*>(text);
  // Bits gather in `pending` and leave it a whole byte at a time; a byte the
  // previous fragment left partly filled is taken back in first.
  int byte = bits >> 3;
  int pendingBits = bits & 7;
  uint32_t pending = pendingBits ? out[byte] >> (8 - pendingBits) : 0;
  int i = 0;
  // Four characters make three whole bytes whatever the bits pending, so the
  // body of a fragment goes a group at a time; a group holding the
  // terminator, or one the cap would cut, is left to the loop below.
  for (; i + 4 <= kPayloadTextChars && bits + 24 <= kMaxMessageBits; i += 4) {
    if (in[i] == 0 || in[i + 1] == 0 || in[i + 2] == 0 || in[i + 3] == 0) break;
    const uint32_t group = (uint32_t{ArmourValue(in[i])} << 18) | (uint32_t{ArmourValue(in[i + 1])} << 12) |
                           (uint32_t{ArmourValue(in[i + 2])} << 6) | ArmourValue(in[i + 3]);
    pending = (pending << 24) | group;
    out[byte] = static_cast<uint8_t>(pending >> (pendingBits + 16));
    out[byte + 1] = static_cast<uint8_t>(pending >> (pendingBits + 8));
    out[byte + 2] = static_cast<uint8_t>(pending >> pendingBits);
    byte += 3;
    bits += 24;
    pending &= (1u << pendingBits) - 1;
  }
  for (; i < kPayloadTextChars && in[i] != 0 && bits < kMaxMessageBits; ++i) {
    pending = (pending << 6) | ArmourValue(in[i]);
    pendingBits += 6;
    bits += 6;
    if (pendingBits >= 8) {
      pendingBits -= 8;
      out[byte++] = static_cast<uint8_t>(pending >> pendingBits);
      pending &= (1u << pendingBits) - 1;
    }
  }
  if (pendingBits) out[byte] = static_cast<uint8_t>(pending << (8 - pendingBits));
  return bits;
}

}  // namespace

void DecodeMessage(const FragmentSet& fragments, DecodedMessage* record) {
  uint8_t* payload = record->payload;
  // The join ORs bits into place, so it starts from a clean area whatever
  // the caller left in it.
  memset(payload, 0, sizeof record->payload);
  const int count = fragments.blocks[1].fragmentCountChar & 0x0F;
  const int joined = count < kMaxJoinedFragments ? count : kMaxJoinedFragments;
  int bits = 0;
  for (int f = 1; f <= joined; ++f) bits = AppendFragmentBits(fragments.blocks[f].payloadText, payload, bits);
  record->payloadLength = static_cast<uint16_t>((bits + 7) / 8);
  if (bits == 0) return;  // nothing received: nothing to decode
  // Only the last fragment may end in fill bits; texts and data that run to
  // the end of the message stop before them.
  const char fillChar = fragments.blocks[joined].fillBitsChar;
  const int fill = fillChar >= '0' && fillChar <= '5' ? fillChar - '0' : 0;
  record->payloadBits = static_cast<uint16_t>(bits > fill ? bits - fill : 0);

  const Decoder decoder = kDecoders.byId[payload[0] >> 2];
  if (decoder != nullptr) decoder(payload, record);
}
