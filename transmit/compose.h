// Messages a person composes for the transponder to transmit, and their
// sentences: message 6 (addressed binary) and 12 (addressed safety text) by
// "!AIABM", message 8 (binary broadcast, the met/hydro report among them)
// and 14 (broadcast safety text) by "!AIBBM". The checks of what is typed
// (MMSI, DAC and FI, hexadecimal data, six-bit text) answer with a message a
// person can act on; a message longer than one transmission can carry is
// refused before anything is written. Texts are UTF-8. No state; any thread.
#pragma once
#include <cstdint>

#include "ais/decoded_message.h"
#include "nmea/sentence_writer.h"
#include "transmit/met_hydro.h"

constexpr int kComposeProblemRoom = 200;

// Why a value or a message cannot be sent, as one line for a person.
struct ComposeProblem {
  char text[kComposeProblemRoom];
};

// Writes the problem's text (when there is a problem record) and answers
// false, so that a check reads as one line.
[[gnu::format(printf, 2, 3)]] bool SetComposeProblem(ComposeProblem* problem, const char* format, ...);

// The channel field of ABM and BBM: which AIS channel to transmit on.
enum AisChannelChoice : int32_t {
  kChannelNoPreference = 0,
  kChannelA = 1,
  kChannelB = 2,
  kChannelBoth = 3,
};
constexpr int kAisChannelChoices = 4;
extern const char* const kAisChannelNames[kAisChannelChoices];  // "no preference", "A", "B", "both"

// The data a message's sentences carry: from the DAC on (6 and 8) or the
// six-bit text (12 and 14). A whole message is at most 1008 bits (five
// slots), of which 72 (6, 12) or 40 (8, 14) are its header.
struct ComposedMessage {
  int32_t messageId;     // 6 or 12 by ABM; 8 or 14 by BBM
  uint32_t destination;  // 6 and 12: the addressed station's MMSI; 0 for a broadcast
  int32_t channel;       // an AisChannelChoice
  int32_t bitCount;      // bits of data
  uint8_t data[kMaxMessageBytes];
};

// ABM for 6 and 12, BBM for 8 and 14; nullptr for any other message id.
const EncapsulationFormat* SentenceOfMessage(int messageId);
// Data bits one transmission of the message carries: 936 (6, 12), 968 (8,
// 14); 0 for any other id.
int MostDataBits(int messageId);
// Characters of text: 156 (12), 161 (14); 0 for any other id.
int MostTextCharacters(int messageId);
// Sequential identifiers of the message's sentence: 4 for ABM (0-3), 10 for
// BBM (0-9); 0 for any other id.
int SequentialIdCount(int messageId);

// A whole number typed into a field called `label`, blanks around it
// allowed; false with "DAC: 0 to 1023" when it is not one within range.
bool ParseWholeText(const char* label, const char* text, int32_t lowest, int32_t highest, int32_t* value,
                    ComposeProblem* problem);

// A decimal number, blanks around it, "." or "," before the decimals, as
// value × scale rounded half away from zero. False for anything else, and
// for more than 15 digits.
bool ParseScaledNumber(const char* text, int32_t scale, int64_t* scaled);

// The destination MMSI: nine digits, not all zero.
bool ParseMmsiText(const char* text, uint32_t* mmsi, ComposeProblem* problem);

// Application data as hexadecimal digits, four bits each, first digit most
// significant; blanks between them are skipped. Writes at most `room` bytes
// to `out` and sets *bitCount. An empty text is no data.
bool ParseHexData(const char* text, uint8_t* out, int room, int* bitCount, ComposeProblem* problem);

// Whether `text` can be sent as the text of message 12 or 14: every
// character in the six-bit set (lower-case letters go as capitals), 1 to the
// message's most characters. The problem names the character and its
// position, or how many characters are too many.
bool CheckSixBitText(int messageId, const char* text, ComposeProblem* problem);

// Message 6 (destination) or 8: DAC, FI and `bitCount` bits of application
// data.
bool ComposeBinaryMessage(int messageId, uint32_t destination, int channel, int dac, int fi, const uint8_t* data,
                          int bitCount, ComposedMessage* out, ComposeProblem* problem);

// Message 12 (destination) or 14 with the checked text.
bool ComposeTextMessage(int messageId, uint32_t destination, int channel, const char* text, ComposedMessage* out,
                        ComposeProblem* problem);

// Message 8 with the packed report, from its DAC on.
bool ComposeMetHydroMessage(const MetHydroReport* report, int channel, ComposedMessage* out, ComposeProblem* problem);

// The message's ABM or BBM sentences under `sequentialId`, each with CR LF.
// Returns their number; 0 (and none written) when the message is not one
// these sentences carry or does not fit one transmission.
int WriteComposedSentences(const ComposedMessage* message, int sequentialId, SentenceBatch* out);
