// "!AIBBM" sentence building and the split of a binary broadcast into 1 to 4
// sentences. Main thread only: the sentence buffers are shared by every
// transmission.
#include "transmit/bbm.h"

#include "ais/dearmour.h"
#include "nmea/sentence_writer.h"

namespace {

constexpr int kBbmBitsPerSentence = 8 * kBbmBytesPerSentence;

// One buffer per sentence number: the link writes from the text in place and
// does not wait for the transfer, so a sentence must stay untouched until the
// next transmission rewrites it.
SentenceBatch sentenceBuffers;

// A one-digit field; values past 9 keep their last digit so the field stays
// a digit and one character wide.
char DigitOf(int value) {
  return static_cast<char>('0' + static_cast<unsigned>(value) % 10u);
}

// 36 bytes are 48 characters without fill, so a split by characters keeps
// every sentence's data whole bytes.
Encapsulation BbmEncapsulation(int sequentialId, int channel, int messageId) {
  return {&kBbmSentence,           DigitOf(sequentialId), 0, DigitOf(channel), messageId,
          kBbmBitsPerSentence / 6, kBbmMaxSentences};
}

}  // namespace

void BuildBbmSentence(char total, char number, int sequentialId, int channel, int messageId, const uint8_t* data,
                      uint16_t bitCount, char* out) {
  // One sentence never carries more than 36 bytes; more would overrun the
  // sentence buffer.
  const int bits = bitCount < kBbmBitsPerSentence ? bitCount : kBbmBitsPerSentence;
  char armoured[kBbmBitsPerSentence / 6 + 1];
  int fill = 0;
  const int characters = ArmourBits(data, bits, armoured, &fill);
  const Encapsulation bbm = BbmEncapsulation(sequentialId, channel, messageId);
  WriteEncapsulatedSentence(&bbm, total, number, armoured, characters, fill, out, kBbmSentenceRoom);
}

int SendBinaryBroadcast(const BbmWriter* writer, const uint8_t* data, uint16_t count, int channel, int sequentialId,
                        int messageId, int target) {
  if (writer == nullptr || writer->write == nullptr) return 0;
  const Encapsulation bbm = BbmEncapsulation(sequentialId, channel, messageId);
  const int total = WriteEncapsulatedSentences(&bbm, data, 8 * count, &sentenceBuffers);
  for (int k = 0; k < total; ++k)
    writer->write(writer->context, sentenceBuffers.text[k], sentenceBuffers.length[k], target);
  return total;
}
