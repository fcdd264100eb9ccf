// Composed messages: the checks of what a person typed, the message data
// and its split into "!AIABM" or "!AIBBM" sentences. No state; any thread.
#include "transmit/compose.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ais/bit_writer.h"

namespace {

// A whole message is at most five slots, 1008 bits, header included.
constexpr int kMostMessageBits = 1008;
constexpr int kDacFiBits = 16;
// 36 bytes a sentence, as the menu commands split; an ABM of message 12
// beside a nine-digit MMSI fits one character fewer, which the writer keeps.
constexpr int kDataCharsPerSentence = 48;
constexpr int kMmsiDigits = 9;
constexpr char kSixBitPunctuation[] = "!\"#$%&'()*+,-./:;<=>?@[\\]^_";

// One row per message a person can send.
struct MessageRow {
  int32_t messageId;
  const EncapsulationFormat* sentence;
  int32_t headerBits;     // before the data the sentences carry
  int32_t sequentialIds;  // the sentence's identifiers: ABM 0-3, BBM 0-9
  bool text;              // six-bit text rather than DAC, FI and data
};

constexpr MessageRow kMessages[] = {
    {6, &kAbmSentence, 72, 4, false},
    {8, &kBbmSentence, 40, 10, false},
    {12, &kAbmSentence, 72, 4, true},
    {14, &kBbmSentence, 40, 10, true},
};

const MessageRow* RowOf(int messageId) {
  for (const MessageRow& row : kMessages)
    if (row.messageId == messageId) return &row;
  return nullptr;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// One character of UTF-8 text: its code point, or -1 for a byte that does
// not begin a well-formed sequence (then one byte long).
struct Utf8Char {
  int32_t code;
  int length;
};

Utf8Char NextUtf8(const char* text) {
  const auto* s = reinterpret_cast<const uint8_t*>(text);
  const uint8_t first = s[0];
  if (first < 0x80) return {first, 1};
  int length;
  int32_t code;
  int32_t least;  // below this the sequence is overlong
  if ((first & 0xE0) == 0xC0) {
    length = 2, code = first & 0x1F, least = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3, code = first & 0x0F, least = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4, code = first & 0x07, least = 0x10000;
  } else {
    return {-1, 1};
  }
  for (int i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return {-1, 1};  // a terminating zero ends it here too
    code = (code << 6) | (s[i] & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {-1, 1};
  return {code, length};
}

// A character as a message shows it: in quotes, or U+XXXX for a control,
// or the byte that is not UTF-8.
struct ShownCharacter {
  char text[16];
  ShownCharacter(const char* at, Utf8Char c) {
    if (c.code < 0)
      snprintf(text, sizeof text, "byte 0x%02X", static_cast<uint8_t>(at[0]));
    else if (c.code < 32 || (c.code >= 127 && c.code < 160))
      snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c.code));
    else
      snprintf(text, sizeof text, "\"%.*s\"", c.length, at);
  }
};

bool InSixBitSet(int32_t code) {
  return (code >= 32 && code <= 95) || (code >= 'a' && code <= 'z');
}

int HexDigitValue(int32_t code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'A' && code <= 'F') return code - 'A' + 10;
  if (code >= 'a' && code <= 'f') return code - 'a' + 10;
  return -1;
}

bool CheckMmsi(uint32_t mmsi, ComposeProblem* problem) {
  if (mmsi >= 1 && mmsi <= 999999999) return true;
  return SetComposeProblem(problem, "Destination MMSI: nine digits, 000000001 to 999999999");
}

// The fields every composed message has, checked: the kind of message, its
// channel and, for an addressed one, its destination.
bool StartMessage(int messageId, bool text, uint32_t destination, int channel, ComposedMessage* out,
                  ComposeProblem* problem) {
  const MessageRow* row = RowOf(messageId);
  if (row == nullptr || row->text != text)
    return SetComposeProblem(problem, "Message %d cannot be composed as %s", messageId,
                             text ? "a text" : "binary data");
  if (channel < 0 || channel >= kAisChannelChoices)
    return SetComposeProblem(problem, "Channel: no preference, A, B or both");
  const bool addressed = row->sentence->destination;
  if (addressed && !CheckMmsi(destination, problem)) return false;
  memset(out, 0, sizeof *out);
  out->messageId = messageId;
  out->destination = addressed ? destination : 0;
  out->channel = channel;
  return true;
}

}  // namespace

const char* const kAisChannelNames[kAisChannelChoices] = {"no preference", "A", "B", "both"};

bool SetComposeProblem(ComposeProblem* problem, const char* format, ...) {
  if (problem == nullptr) return false;
  va_list args;
  va_start(args, format);
  vsnprintf(problem->text, sizeof problem->text, format, args);
  va_end(args);
  return false;
}

const EncapsulationFormat* SentenceOfMessage(int messageId) {
  const MessageRow* row = RowOf(messageId);
  return row != nullptr ? row->sentence : nullptr;
}

int MostDataBits(int messageId) {
  const MessageRow* row = RowOf(messageId);
  return row != nullptr ? kMostMessageBits - row->headerBits : 0;
}

int MostTextCharacters(int messageId) {
  const MessageRow* row = RowOf(messageId);
  return row != nullptr && row->text ? MostDataBits(messageId) / 6 : 0;
}

bool ParseScaledNumber(const char* text, int32_t scale, int64_t* scaled) {
  if (text == nullptr || scale <= 0) return false;
  const char* c = text;
  while (IsBlank(*c)) ++c;
  const bool negative = *c == '-';
  if (*c == '-' || *c == '+') ++c;
  int64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (;; ++c) {
    if (*c >= '0' && *c <= '9') {
      if (++digits > 15) return false;
      mantissa = mantissa * 10 + (*c - '0');
      decimals += point ? 1 : 0;
    } else if ((*c == '.' || *c == ',') && !point) {
      point = true;
    } else {
      break;
    }
  }
  while (IsBlank(*c)) ++c;
  if (digits == 0 || *c != 0 || mantissa > INT64_MAX / scale) return false;
  int64_t unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  const int64_t value = (mantissa * scale + unit / 2) / unit;
  *scaled = negative ? -value : value;
  return true;
}

bool ParseWholeText(const char* label, const char* text, int32_t lowest, int32_t highest, int32_t* value,
                    ComposeProblem* problem) {
  int64_t whole = 0;
  const bool number = text != nullptr && strpbrk(text, ".,") == nullptr && ParseScaledNumber(text, 1, &whole);
  if (!number || whole < lowest || whole > highest)
    return SetComposeProblem(problem, "%s: %d to %d", label, static_cast<int>(lowest), static_cast<int>(highest));
  *value = static_cast<int32_t>(whole);
  return true;
}

bool ParseMmsiText(const char* text, uint32_t* mmsi, ComposeProblem* problem) {
  const char* c = text != nullptr ? text : "";
  while (IsBlank(*c)) ++c;
  uint32_t value = 0;
  int digits = 0;
  for (; *c >= '0' && *c <= '9'; ++c, ++digits) value = value * 10 + static_cast<uint32_t>(*c - '0');
  while (IsBlank(*c)) ++c;
  if (digits != kMmsiDigits || *c != 0) return CheckMmsi(0, problem);
  if (!CheckMmsi(value, problem)) return false;
  *mmsi = value;
  return true;
}

bool ParseHexData(const char* text, uint8_t* out, int room, int* bitCount, ComposeProblem* problem) {
  *bitCount = 0;
  if (room > 0) memset(out, 0, static_cast<size_t>(room));
  int digits = 0;
  int position = 0;
  for (const char* c = text != nullptr ? text : ""; *c != 0;) {
    const Utf8Char character = NextUtf8(c);
    ++position;
    const int value = HexDigitValue(character.code);
    if (value < 0 && !IsBlank(*c))
      return SetComposeProblem(problem, "Data: %s at position %d is not a hexadecimal digit (0-9, A-F)",
                               ShownCharacter(c, character).text, position);
    if (value >= 0) {
      if (digits < 2 * room) out[digits / 2] |= static_cast<uint8_t>(digits % 2 == 0 ? value << 4 : value);
      ++digits;
    }
    c += character.length;
  }
  if (digits > 2 * room)
    return SetComposeProblem(problem, "Data: %d hexadecimal digits, more than one message carries (%d)", digits,
                             2 * room);
  *bitCount = 4 * digits;
  return true;
}

bool CheckSixBitText(int messageId, const char* text, ComposeProblem* problem) {
  const int most = MostTextCharacters(messageId);
  if (most == 0) return SetComposeProblem(problem, "Message %d carries no text", messageId);
  int count = 0;
  for (const char* c = text != nullptr ? text : ""; *c != 0;) {
    const Utf8Char character = NextUtf8(c);
    ++count;
    if (!InSixBitSet(character.code))
      return SetComposeProblem(
          problem, "Text: %s at position %d is not in the six-bit character set (letters, digits, space and %s)",
          ShownCharacter(c, character).text, count, kSixBitPunctuation);
    c += character.length;
  }
  if (count == 0)
    return SetComposeProblem(problem, "Text: empty; message %d carries 1 to %d characters", messageId, most);
  if (count > most)
    return SetComposeProblem(problem, "Text: %d characters, %d more than message %d carries (%d)", count, count - most,
                             messageId, most);
  return true;
}

bool ComposeBinaryMessage(int messageId, uint32_t destination, int channel, int dac, int fi, const uint8_t* data,
                          int bitCount, ComposedMessage* out, ComposeProblem* problem) {
  if (!StartMessage(messageId, false, destination, channel, out, problem)) return false;
  if (dac < 0 || dac > 1023) return SetComposeProblem(problem, "DAC: 0 to 1023");
  if (fi < 0 || fi > 63) return SetComposeProblem(problem, "FI: 0 to 63");
  const int most = MostDataBits(messageId) - kDacFiBits;
  if (bitCount < 0 || (bitCount > 0 && data == nullptr)) return SetComposeProblem(problem, "Data: none given");
  if (bitCount > most) {
    const int digits = (bitCount + 3) / 4;
    return SetComposeProblem(problem,
                             "Data: %d hexadecimal digits, %d more than message %d carries after its DAC and FI (%d)",
                             digits, digits - most / 4, messageId, most / 4);
  }
  // DAC and FI are two whole bytes, so the data follow byte for byte.
  WriteBitField(out->data, 0, 10, static_cast<uint32_t>(dac));
  WriteBitField(out->data, 10, 6, static_cast<uint32_t>(fi));
  const int bytes = (bitCount + 7) / 8;
  if (bytes > 0) memcpy(out->data + 2, data, static_cast<size_t>(bytes));
  if (bitCount % 8 != 0) out->data[1 + bytes] &= static_cast<uint8_t>(0xFF << (8 - bitCount % 8));
  out->bitCount = kDacFiBits + bitCount;
  return true;
}

bool ComposeTextMessage(int messageId, uint32_t destination, int channel, const char* text, ComposedMessage* out,
                        ComposeProblem* problem) {
  if (!StartMessage(messageId, true, destination, channel, out, problem)) return false;
  if (!CheckSixBitText(messageId, text, problem)) return false;
  // Every character is one ASCII byte now; lower case goes as capitals.
  const int count = static_cast<int>(strlen(text));
  WriteBitText(out->data, 0, text, count);
  out->bitCount = 6 * count;
  return true;
}

bool ComposeMetHydroMessage(const MetHydroReport* report, int channel, ComposedMessage* out, ComposeProblem* problem) {
  if (!StartMessage(8, false, 0, channel, out, problem)) return false;
  uint8_t message[kMetHydroMessageBytes];
  const int length = PackMetHydroPayload(report, message);
  // The sentences carry the message from its DAC on: the id, repeat
  // indicator, source MMSI and spare bits are the transponder's.
  constexpr int kHeaderBytes = 5;
  memcpy(out->data, message + kHeaderBytes, static_cast<size_t>(length - kHeaderBytes));
  out->bitCount = 8 * (length - kHeaderBytes);
  return true;
}

int WriteComposedSentences(const ComposedMessage* message, int sequentialId, SentenceBatch* out) {
  out->count = 0;
  const MessageRow* row = RowOf(message->messageId);
  if (row == nullptr || message->bitCount <= 0 || message->bitCount > MostDataBits(message->messageId)) return 0;
  if (sequentialId < 0 || sequentialId >= row->sequentialIds) return 0;
  if (message->channel < 0 || message->channel >= kAisChannelChoices) return 0;
  const Encapsulation encapsulation{row->sentence,
                                    static_cast<char>('0' + sequentialId),
                                    message->destination,
                                    static_cast<char>('0' + message->channel),
                                    message->messageId,
                                    kDataCharsPerSentence,
                                    kMaxEncapsulatedSentences};
  return WriteEncapsulatedSentences(&encapsulation, message->data, message->bitCount, out);
}

int SequentialIdCount(int messageId) {
  const MessageRow* row = RowOf(messageId);
  return row != nullptr ? row->sequentialIds : 0;
}
