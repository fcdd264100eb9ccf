// Sentence framing, the checksum, and the split of encapsulated data.
#include "nmea/sentence_writer.h"

#include <cstring>

#include "ais/dearmour.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kMmsiDigits = 9;
// Room for the armoured data of every sentence a batch can hold.
constexpr int kMaxEncapsulatedChars = kMaxEncapsulatedSentences * kSentenceMaxChars;

void Put(SentenceWriter* writer, char character) {
  if (writer->length + 1 < writer->room)
    writer->out[writer->length++] = character;
  else
    writer->overflow = true;
}

void PutText(SentenceWriter* writer, const char* text, int length) {
  if (writer->length + length < writer->room) {
    memcpy(writer->out + writer->length, text, static_cast<size_t>(length));
    writer->length += length;
  } else {
    writer->overflow = true;
  }
}

bool NamesMessageId(const EncapsulationFormat& format, int messageId) {
  return messageId != 0 && (messageId == format.messageIds[0] || messageId == format.messageIds[1]);
}

bool HasMessageIdField(const EncapsulationFormat& format) {
  return format.messageIds[0] != 0 || format.messageIds[1] != 0;
}

// Data characters a sentence of this message can carry within 82
// characters: what the widest sentence (total and number one digit each)
// leaves beside its other fields.
int PayloadCharsThatFit(const Encapsulation* e) {
  char sentence[kSentenceRoom];
  const int fixed = WriteEncapsulatedSentence(e, '9', '9', "", 0, 0, sentence, sizeof sentence);
  const int room = fixed > 0 ? kSentenceMaxChars - fixed : 0;
  const int chars = e->payloadChars < room ? e->payloadChars : room;
  return chars > 0 ? chars : 0;
}

// Sentences needed for `bitCount` bits and the data characters of each; 0
// for no bits, or more than any batch holds.
int SentencesFor(const Encapsulation* e, int bitCount, int* perSentence) {
  *perSentence = PayloadCharsThatFit(e);
  if (bitCount <= 0 || bitCount > 6 * kMaxEncapsulatedChars || *perSentence == 0) return 0;
  const int characters = (bitCount + 5) / 6;
  return (characters + *perSentence - 1) / *perSentence;
}

}  // namespace

uint8_t SentenceChecksum(const char* text, int length) {
  uint8_t checksum = 0;
  for (int i = 0; i < length; ++i) checksum ^= static_cast<uint8_t>(text[i]);
  return checksum;
}

SentenceWriter StartSentence(char* out, int room, char start, const char* address) {
  SentenceWriter writer{out, room, 0, room <= 0};
  Put(&writer, start);
  PutText(&writer, address, static_cast<int>(strlen(address)));
  return writer;
}

void AddField(SentenceWriter* writer, const char* text, int length) {
  Put(writer, ',');
  PutText(writer, text, length);
}

void AddText(SentenceWriter* writer, const char* text, int length) {
  PutText(writer, text, length);
}

void AddChecksum(SentenceWriter* writer) {
  if (writer->overflow) return;
  const uint8_t checksum = SentenceChecksum(writer->out + 1, writer->length - 1);
  Put(writer, '*');
  Put(writer, kHexDigits[checksum >> 4]);
  Put(writer, kHexDigits[checksum & 15]);
}

void AddFieldChar(SentenceWriter* writer, char character) {
  Put(writer, ',');
  if (character != 0) Put(writer, character);
}

void AddFieldNumber(SentenceWriter* writer, uint32_t value) {
  AddFieldDigits(writer, value, 1);
}

void AddFieldDigits(SentenceWriter* writer, uint32_t value, int digits) {
  char text[10];
  int first = sizeof text;
  do {
    text[--first] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 || (first > 0 && static_cast<int>(sizeof text) - first < digits));
  AddField(writer, text + first, static_cast<int>(sizeof text) - first);
}

int FinishSentence(SentenceWriter* writer) {
  AddChecksum(writer);
  if (!writer->overflow) {
    Put(writer, '\r');
    Put(writer, '\n');
  }
  if (writer->overflow) {
    // A cut sentence would go out with a checksum that does not cover it.
    if (writer->room > 0) writer->out[0] = 0;
    return 0;
  }
  writer->out[writer->length] = 0;
  return writer->length;
}

int FrameSentence(char* out, int room, char start, const char* body) {
  return FrameSentence(out, room, start, body, static_cast<int>(strlen(body)));
}

int FrameSentence(char* out, int room, char start, const char* body, int length) {
  SentenceWriter writer{out, room, 0, room <= 0};
  Put(&writer, start);
  PutText(&writer, body, length);
  return FinishSentence(&writer);
}

int WriteEncapsulatedSentence(const Encapsulation* e, char total, char number, const char* payload, int characters,
                              int fillBits, char* out, int room) {
  const EncapsulationFormat& format = *e->format;
  SentenceWriter writer = StartSentence(out, room, '!', format.address);
  AddFieldChar(&writer, total);
  AddFieldChar(&writer, number);
  AddFieldChar(&writer, e->sequentialId);
  if (format.destination) AddFieldDigits(&writer, e->destination, kMmsiDigits);
  AddFieldChar(&writer, e->channel);
  if (HasMessageIdField(format)) {
    if (NamesMessageId(format, e->messageId))
      AddFieldNumber(&writer, static_cast<uint32_t>(e->messageId));
    else
      AddFieldChar(&writer, 0);
  }
  AddField(&writer, payload, characters);
  AddFieldChar(&writer, static_cast<char>('0' + fillBits));
  return FinishSentence(&writer);
}

int EncapsulatedSentenceCount(const Encapsulation* e, int bitCount) {
  int perSentence = 0;
  return SentencesFor(e, bitCount, &perSentence);
}

int WriteEncapsulatedSentences(const Encapsulation* e, const uint8_t* data, int bitCount, SentenceBatch* out) {
  out->count = 0;
  int perSentence = 0;
  const int total = SentencesFor(e, bitCount, &perSentence);
  const int most = e->maxSentences < kMaxEncapsulatedSentences ? e->maxSentences : kMaxEncapsulatedSentences;
  if (total == 0 || total > most) return 0;

  char armoured[kMaxEncapsulatedChars + 1];
  int fill = 0;
  const int characters = ArmourBits(data, bitCount, armoured, &fill);
  for (int k = 0; k < total; ++k) {
    const int first = k * perSentence;
    const int count = characters - first < perSentence ? characters - first : perSentence;
    out->length[k] =
        WriteEncapsulatedSentence(e, static_cast<char>('0' + total), static_cast<char>('1' + k), armoured + first,
                                  count, k == total - 1 ? fill : 0, out->text[k], kSentenceRoom);
  }
  out->count = total;
  return total;
}
