// "!AIBBM" sentence building and the split of a binary broadcast into 1 to 4
// sentences. Main thread only: the sentence buffers are shared by every
// transmission.
#include "transmit/bbm.h"

#include "ais/dearmour.h"

namespace {

constexpr int kBbmBitsPerSentence = 8 * kBbmBytesPerSentence;
constexpr const char kHexDigits[] = "0123456789ABCDEF";

// One buffer per sentence number: the link writes from the text in place and
// does not wait for the transfer, so a sentence must stay untouched until the
// next transmission rewrites it.
char sentenceBuffers[kBbmMaxSentences][kBbmSentenceRoom];

// A one-digit field; values past 9 keep their last digit so the field stays
// a digit and one character wide.
char DigitOf(int value) {
  return static_cast<char>('0' + static_cast<unsigned>(value) % 10u);
}

}  // namespace

void BuildBbmSentence(char total, char number, int sequentialId, int channel, int messageId, const uint8_t* data,
                      uint16_t bitCount, char* out) {
  // One sentence never carries more than 36 bytes; more would overrun the
  // sentence buffer.
  const int bits = bitCount < kBbmBitsPerSentence ? bitCount : kBbmBitsPerSentence;
  char* p = out;
  *p++ = '!';
  char* const summed = p;  // the checksum covers everything after "!"
  for (const char* s = "AIBBM,"; *s != 0; ++s) *p++ = *s;
  *p++ = total;
  *p++ = ',';
  *p++ = number;
  *p++ = ',';
  *p++ = DigitOf(sequentialId);
  *p++ = ',';
  *p++ = DigitOf(channel);
  *p++ = ',';
  if (messageId == 8) {
    *p++ = '8';
  } else if (messageId == 14) {
    *p++ = '1';
    *p++ = '4';
  }
  *p++ = ',';
  int fill = 0;
  p += ArmourBits(data, bits, p, &fill);
  *p++ = ',';
  *p++ = static_cast<char>('0' + fill);
  uint8_t checksum = 0;
  for (const char* s = summed; s < p; ++s) checksum ^= static_cast<uint8_t>(*s);
  *p++ = '*';
  *p++ = kHexDigits[checksum >> 4];
  *p++ = kHexDigits[checksum & 15];
  *p++ = '\r';
  *p++ = '\n';
  *p = 0;
}

int SendBinaryBroadcast(const BbmWriter* writer, const uint8_t* data, uint16_t count, int channel, int sequentialId,
                        int messageId, int target) {
  const int total = (count + kBbmBytesPerSentence - 1) / kBbmBytesPerSentence;
  if (total == 0 || total > kBbmMaxSentences || writer == nullptr || writer->write == nullptr) return 0;
  for (int k = 1; k <= total; ++k) {
    const int first = kBbmBytesPerSentence * (k - 1);
    const int bytes = k < total ? kBbmBytesPerSentence : count - first;
    char* sentence = sentenceBuffers[k - 1];
    BuildBbmSentence(DigitOf(total), DigitOf(k), sequentialId, channel, messageId, data + first,
                     static_cast<uint16_t>(8 * bytes), sentence);
    int length = 0;
    while (sentence[length] != 0) ++length;
    writer->write(writer->context, sentence, length, target);
  }
  return total;
}
