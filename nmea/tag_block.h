// NMEA 4.10 TAG blocks: "\s:COM7,c:1733612345123*hh\" in front of a
// sentence says where it came from (s:, source) or went to (d:,
// destination) and when (c:, UNIX time). Writing one, and splitting a line
// into its blocks and its sentence. Writes into the caller's buffers;
// nothing is allocated. Any thread.
//
// The time is written in milliseconds (13 digits): decoders that read c:
// take a value that large as milliseconds and a 10-digit one as seconds;
// a fraction of a second is refused by some of them. Both are read here.
#pragma once
#include <cstdint>

// The longest source or destination the parameters allow.
constexpr int kTagStationChars = 15;
// The longest block WriteTagBlock writes, the terminating zero included.
constexpr int kTagBlockRoom = 80;

enum TagDirection : uint8_t {
  kTagSource,       // s: a received line's port
  kTagDestination,  // d: a sent line's port
};

// Writes "\" the station as source or destination, the time (only when
// unixTimeMs > 0), a text parameter t: (only when `text` is not null),
// "*", the checksum and "\", with a terminating zero. Characters the
// parameters may not hold ("\", "*", ",", "!", "$", controls) are written
// as "_"; a station is cut to 15 characters, a text to 24. Returns the
// length without the zero; 0 (and an empty text) when `room` is too small.
int WriteTagBlock(char* out, int room, TagDirection direction, const char* station, int64_t unixTimeMs,
                  const char* text);

// What the TAG blocks at the start of a line said. A block whose checksum
// does not match is skipped whole: the sentence after it has a checksum of
// its own, so the line stays, but a block that may have changed on the way
// is not trusted to name its port or time. A block without a checksum is
// read as it stands.
struct TagBlock {
  bool present;      // the line began with at least one block (text between two "\")
  bool checksumBad;  // a block's checksum did not match; its parameters were not used
  bool hasTime;
  int64_t unixTimeMs;                      // c:, in milliseconds
  char source[kTagStationChars + 1];       // s:, empty when absent or longer than 15 characters
  char destination[kTagStationChars + 1];  // d:, the same
};

struct TaggedLine {
  TagBlock tag;
  const char* sentence;  // what follows the blocks: the line as it was received or sent
  int sentenceLength;
};

// Splits a line (without its line end) into its TAG blocks and the rest.
// Parameters other than s:, d: and c: are passed over. A "\" that is not
// closed by a second one starts no block: the line is all sentence.
void ParseTaggedLine(const char* line, int length, TaggedLine* out);

// Whether the line was received on `port`: its block names the port as
// source. Port names compare without regard to case, as Windows names them.
bool ReceivedOn(const TagBlock& tag, const char* port);
