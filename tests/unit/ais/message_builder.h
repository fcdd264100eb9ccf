// Test helpers: builds AIS messages field by field (in message order, by
// width) and wraps their armoured text in fragment sets, so that the tests
// state messages the way the message tables do rather than as hex.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ais/dearmour.h"
#include "ais/decode.h"
#include "log/message_log.h"

class MessageBuilder {
 public:
  // Appends the low `width` bits of `value`, most significant first; a width
  // above 32 puts zero bits in front, so Put(n, 0) is any run of zeros.
  MessageBuilder& Put(int width, uint32_t value) {
    for (int i = width - 1; i >= 0; --i) PutBit(i < 32 ? (value >> i) & 1 : 0);
    return *this;
  }
  // Appends `count` six-bit text characters; "@" (0) past the end of `text`.
  MessageBuilder& PutText(const char* text, int count) {
    for (int i = 0; i < count; ++i) {
      const char c = i < static_cast<int>(strlen(text)) ? text[i] : '@';
      Put(6, static_cast<uint32_t>(c >= 64 ? c - 64 : c));
    }
    return *this;
  }
  int bits() const { return bits_; }
  const uint8_t* bytes() const { return bytes_; }
  // The armoured payload text of the message (fill bits zero).
  std::string Armoured() const {
    char text[kPayloadAreaBytes * 2];
    int fill = 0;
    ArmourBits(bytes_, bits_, text, &fill);
    return text;
  }
  // Bits of the last character that are fill, 0 to 5.
  int FillBits() const { return (6 - bits_ % 6) % 6; }

 private:
  void PutBit(uint32_t bit) {
    if (bit) bytes_[bits_ / 8] |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
    ++bits_;
  }
  uint8_t bytes_[kPayloadAreaBytes * 2] = {};
  int bits_ = 0;
};

// A fragment set holding `texts` as fragments 1, 2, ...; block 1 carries the
// count character ("1" + n - 1 unless given).
inline FragmentSet MakeFragments(const std::vector<std::string>& texts, char countChar = 0) {
  FragmentSet set;
  memset(&set, 0, sizeof set);
  int f = 1;
  for (const std::string& text : texts) {
    FragmentBlock& block = set.blocks[f];
    strncpy(block.payloadText, text.c_str(), kPayloadTextChars);
    block.fragmentNumberChar = static_cast<char>('0' + f);
    ++f;
  }
  set.blocks[1].fragmentCountChar = countChar ? countChar : static_cast<char>('0' + (f - 1));
  return set;
}

// Clears the record as the caller of a decode does, then decodes.
inline DecodedMessage Decode(const FragmentSet& set) {
  DecodedMessage record;
  memset(&record, 0, sizeof record);
  DecodeMessage(set, &record);
  return record;
}

// The message as one fragment, its fill bits given as a sentence gives them.
inline DecodedMessage DecodeOne(const MessageBuilder& message) {
  FragmentSet set = MakeFragments({message.Armoured()});
  set.blocks[1].fillBitsChar = static_cast<char>('0' + message.FillBits());
  return Decode(set);
}
