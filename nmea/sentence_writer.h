// The one writer of IEC 61162-1 sentences: the framing (start character,
// address, comma-separated fields, "*", two hexadecimal digits of the
// checksum, CR LF) and the split of encapsulated data into the sentences of
// one message ("!AIVDM", "!AIVDO", "!AIBBM", "!AIABM"), one row per kind.
// Writes into the caller's buffers; nothing is allocated. Any thread, one
// writer per thread.
#pragma once
#include <cstdint>

constexpr int kSentenceMaxChars = 82;                 // CR LF included
constexpr int kSentenceRoom = kSentenceMaxChars + 1;  // and a terminating zero
// The total and the number of an encapsulated message are one digit each.
constexpr int kMaxEncapsulatedSentences = 9;

// Exclusive-or of `length` characters: those between the start character
// and "*".
uint8_t SentenceChecksum(const char* text, int length);

// A sentence being written into `out`, which has `room` bytes, the
// terminating zero included. What does not fit marks it `overflow`.
struct SentenceWriter {
  char* out;
  int32_t room;
  int32_t length;
  bool overflow;
};

// The start character ("!" or "$") and the address field ("AIBBM"), or a
// whole body ("GPHDT,245.1,T") where the caller has formatted its fields.
SentenceWriter StartSentence(char* out, int room, char start, const char* address);
// A comma and the field: `length` characters of `text`, one character (0
// for an empty field), or a decimal number.
void AddField(SentenceWriter* writer, const char* text, int length);
void AddFieldChar(SentenceWriter* writer, char character);
void AddFieldNumber(SentenceWriter* writer, uint32_t value);
// A decimal number of at least `digits` digits, zeros leading: an MMSI is
// nine digits whatever its value (coast stations begin "00").
void AddFieldDigits(SentenceWriter* writer, uint32_t value, int digits);
// Characters as they are, without a comma (a TAG block's parameters).
void AddText(SentenceWriter* writer, const char* text, int length);
// "*" and the two hexadecimal digits of the checksum of all after the start
// character (a sentence's, or a TAG block's).
void AddChecksum(SentenceWriter* writer);
// "*", the checksum of all after the start character, CR LF and a
// terminating zero. Returns the sentence's length with CR LF, or 0 (and an
// empty text) when it did not fit.
int FinishSentence(SentenceWriter* writer);

// One whole sentence from its body: StartSentence, then FinishSentence.
int FrameSentence(char* out, int room, char start, const char* body);
// The same from `length` bytes of `body`, whatever bytes they are.
int FrameSentence(char* out, int room, char start, const char* body, int length);

// The sentences of one message, each with CR LF and a terminating zero.
struct SentenceBatch {
  int32_t count;
  int32_t length[kMaxEncapsulatedSentences];  // characters, CR LF included
  char text[kMaxEncapsulatedSentences][kSentenceRoom];
};

// One kind of encapsulation sentence. Its fields: total, sentence number,
// sequential identifier, the destination MMSI (when it has one), the
// channel, the message id (when it has one), the armoured data, the fill
// bits.
struct EncapsulationFormat {
  const char* address;    // talker and formatter
  bool destination;       // a destination MMSI before the channel
  int32_t messageIds[2];  // what its message id field can name; {0, 0}: no such field
};
inline constexpr EncapsulationFormat kVdmSentence{"AIVDM", false, {0, 0}};
inline constexpr EncapsulationFormat kVdoSentence{"AIVDO", false, {0, 0}};
inline constexpr EncapsulationFormat kBbmSentence{"AIBBM", false, {8, 14}};
inline constexpr EncapsulationFormat kAbmSentence{"AIABM", true, {6, 12}};

// What one message's sentences carry besides its data.
struct Encapsulation {
  const EncapsulationFormat* format;
  char sequentialId;     // its character; 0 for an empty field
  uint32_t destination;  // MMSI, where the format has the field; written as nine digits
  char channel;          // its character; 0 for an empty field
  int32_t messageId;     // an id the format does not name leaves the field empty
  int32_t payloadChars;  // most data characters per sentence; fewer where a sentence would pass 82 characters
  int32_t maxSentences;  // 1 to 9
};

// The number of sentences `bitCount` bits take, 0 for none.
int EncapsulatedSentenceCount(const Encapsulation* encapsulation, int bitCount);

// Armours `bitCount` bits of `data` (bit 0 the most significant bit of
// data[0]) and splits the characters over sentences of at most the
// payload count each; the fill bits go with the last sentence, 0 with the
// others. Returns the number of sentences, 0 (and none written) when there
// are no bits or more sentences would be needed than allowed; out->count is
// set alike.
int WriteEncapsulatedSentences(const Encapsulation* encapsulation, const uint8_t* data, int bitCount,
                               SentenceBatch* out);

// One sentence of a message whose data the caller has armoured: `total` and
// `number` as digit characters, `characters` data characters and the fill
// bits. Returns its length with CR LF, 0 when it does not fit `room`.
int WriteEncapsulatedSentence(const Encapsulation* encapsulation, char total, char number, const char* payload,
                              int characters, int fillBits, char* out, int room);
