// The sensor stream of link 3: assembles received bytes into sentence lines
// and selects those in which three consecutive characters equal the filter
// typed into the formatter field, for the stream display and its counter.
//
// Threading: FeedSensorStream runs on link 3's reader thread and alone owns
// the line, window and match flag. The formatter is written by the main
// thread (SetStreamFormatter) and read per byte by the reader; it is one
// atomic word, so a change is seen whole from the next byte on.
#pragma once
#include <atomic>
#include <cstdint>

constexpr int kStreamLineChars = 86;      // characters of a sentence kept for display
constexpr int kStreamFormatterChars = 4;  // typed into the formatter field; 3 compared
constexpr int kStreamDisplayRoom = 512;   // the display text stays below this, terminator included

// Where selected lines go. dialogOpen is asked at the start of each chunk
// and again before each line is shown; appendLine returns whether the line
// was shown; countLine follows each shown line.
struct SensorStreamSink {
  bool (*dialogOpen)(void* context);
  bool (*appendLine)(void* context, const char* line);
  void (*countLine)(void* context);
  void* context;
};

struct SensorStream {
  char line[kStreamLineChars + 3];  // sentence text, CR LF, terminator
  int32_t lineLength;
  uint8_t window[3];                // last three characters seen, oldest first
  int32_t matched;                  // the window equalled the filter since the sentence began
  uint32_t judgedFormatter;         // reader only: the formatter word `matched` was judged by
  std::atomic<uint32_t> formatter;  // formatter text packed first character lowest; 0 past its end
};

// Main thread: stores the first four characters of `text` as the filter.
void SetStreamFormatter(SensorStream* stream, const char* text);
// Main thread: the stored filter text (up to four characters) into `out`.
void StreamFormatterText(const SensorStream* stream, char out[kStreamFormatterChars + 1]);

// Reader thread: feeds `count` received bytes, in order. Does nothing while
// the sink reports the dialog closed.
void FeedSensorStream(SensorStream* stream, const SensorStreamSink* sink, const uint8_t* bytes, int count);

// Appends `line` to the display text `display` (terminated, room
// kStreamDisplayRoom), first dropping the oldest lines so that the result
// stays below kStreamDisplayRoom characters. Returns the new length.
int AppendToStreamDisplay(char* display, const char* line);
