// BBM sentence encoder and the split of a binary broadcast into 1 to 4
// "!AIBBM" sentences. The write is a seam: the Win32 layer supplies WriteLink.
#pragma once
#include <cstdint>

constexpr uint32_t ID_BBM_SENT = 1025;
constexpr int kBbmBytesPerSentence = 36;
constexpr int kBbmMaxSentences = 4;
constexpr int kBbmSentenceRoom = 74;  // longest sentence with CR LF, and a zero

struct BbmWriter {
  // Writes one sentence (without its terminating zero) to link 2 when target
  // is 1, else to link 1.
  void (*write)(void* context, const char* text, int length, int target);
  void* context;
};

// Builds one complete sentence with CR LF and a terminating zero into `out`
// (room for kBbmSentenceRoom). `total` and `number` are digit characters;
// `bitCount` is the data bits this sentence carries, at most 288 (more is
// cut to 288 so that the sentence always fits). sequentialId and channel are
// written as their last decimal digit.
void BuildBbmSentence(char total, char number, int sequentialId, int channel, int messageId, const uint8_t* data,
                      uint16_t bitCount, char* out);

// Splits `count` bytes into sentences, builds each in its own buffer and
// hands it to the writer. Returns the number of sentences written (0 when
// count is 0 or above 144, or when there is no writer). Sentence k stays in
// its buffer until the next call. The caller notifies ID_BBM_SENT.
int SendBinaryBroadcast(const BbmWriter* writer, const uint8_t* data, uint16_t count, int channel, int sequentialId,
                        int messageId, int target);
