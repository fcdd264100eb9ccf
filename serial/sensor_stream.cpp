// Line assembly, formatter filter and display trimming of the sensor stream.
#include "serial/sensor_stream.h"

#include <cstring>

namespace {

constexpr uint8_t kCarriageReturn = 13;

uint32_t PackFormatter(const char* text) {
  uint32_t word = 0;
  for (int i = 0; i < kStreamFormatterChars && text[i] != '\0'; ++i)
    word |= static_cast<uint32_t>(static_cast<uint8_t>(text[i])) << (8 * i);
  return word;
}

uint8_t FormatterChar(uint32_t word, int i) {
  return static_cast<uint8_t>(word >> (8 * i));
}

// A filter of fewer than three characters selects nothing: its terminator
// would otherwise be compared with a NUL byte of the stream.
bool WindowMatches(const uint8_t window[3], uint32_t formatter) {
  for (int i = 0; i < 3; ++i) {
    const uint8_t f = FormatterChar(formatter, i);
    if (f == 0 || f != window[i]) return false;
  }
  return true;
}

void EndLine(SensorStream* stream, const SensorStreamSink* sink) {
  // The length stays: bytes before the next start character extend the line.
  char* end = stream->line + stream->lineLength;
  end[0] = '\r';
  end[1] = '\n';
  end[2] = '\0';
  if (!stream->matched || !sink->dialogOpen(sink->context)) return;
  // Offered once: a line the dialog refused (it closed meanwhile) is not
  // shown by a later stray carriage return.
  stream->matched = 0;
  if (sink->appendLine(sink->context, stream->line)) sink->countLine(sink->context);
}

void StartLine(SensorStream* stream, uint8_t byte) {
  stream->line[0] = static_cast<char>(byte);
  stream->line[1] = '\0';
  stream->lineLength = 1;
  stream->matched = 0;
}

void AddToLine(SensorStream* stream, uint8_t byte, uint32_t formatter) {
  if (stream->lineLength < kStreamLineChars) {
    stream->line[stream->lineLength++] = static_cast<char>(byte);
    stream->line[stream->lineLength] = '\0';
  }
  stream->window[0] = stream->window[1];
  stream->window[1] = stream->window[2];
  stream->window[2] = byte;
  if (WindowMatches(stream->window, formatter)) stream->matched = 1;
}

}  // namespace

void SetStreamFormatter(SensorStream* stream, const char* text) {
  stream->formatter.store(PackFormatter(text != nullptr ? text : ""), std::memory_order_relaxed);
}

void StreamFormatterText(const SensorStream* stream, char out[kStreamFormatterChars + 1]) {
  const uint32_t word = stream->formatter.load(std::memory_order_relaxed);
  for (int i = 0; i < kStreamFormatterChars; ++i) out[i] = static_cast<char>(FormatterChar(word, i));
  out[kStreamFormatterChars] = '\0';
}

void FeedSensorStream(SensorStream* stream, const SensorStreamSink* sink, const uint8_t* bytes, int count) {
  if (count <= 0 || !sink->dialogOpen(sink->context)) return;
  for (int i = 0; i < count; ++i) {
    const uint8_t byte = bytes[i];
    // A new filter judges the sentence in progress afresh, so a match made
    // under the old one is not shown under the new one.
    const uint32_t formatter = stream->formatter.load(std::memory_order_relaxed);
    if (formatter != stream->judgedFormatter) {
      stream->judgedFormatter = formatter;
      stream->matched = 0;
    }
    if (byte == kCarriageReturn) {
      EndLine(stream, sink);
    } else if (byte == '!' || byte == '$') {
      StartLine(stream, byte);
    } else {
      AddToLine(stream, byte, formatter);
    }
  }
}

int AppendToStreamDisplay(char* display, const char* line) {
  int length = static_cast<int>(strnlen(display, kStreamDisplayRoom - 1));
  int lineLength = static_cast<int>(strlen(line));
  // A line that alone would not fit keeps only its newest characters.
  if (lineLength > kStreamDisplayRoom - 1) {
    line += lineLength - (kStreamDisplayRoom - 1);
    lineLength = kStreamDisplayRoom - 1;
  }
  int drop = 0;
  while (length - drop + lineLength >= kStreamDisplayRoom) {
    const char* feed = static_cast<const char*>(memchr(display + drop, '\n', length - drop));
    // Text without a line feed left is one unfinished line: drop it whole
    // rather than loop on it.
    drop = feed != nullptr ? static_cast<int>(feed - display) + 1 : length;
  }
  memmove(display, display + drop, length - drop);
  length -= drop;
  memcpy(display + length, line, lineLength);
  length += lineLength;
  display[length] = '\0';
  return length;
}
