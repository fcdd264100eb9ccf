// Fuzz target for the sensor stream: arbitrary bytes in arbitrary chunks,
// with the filter and the dialog's state changing between chunks. Every
// shown line must fit the line buffer and end in CR LF, and the display
// must stay below its room.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "serial/sensor_stream.h"

namespace {

SensorStream stream;  // state carries over, as it does across chunks of a run

struct Display {
  bool open;
  char text[kStreamDisplayRoom];
};

bool DialogOpen(void* context) {
  return static_cast<Display*>(context)->open;
}

bool AppendLine(void* context, const char* line) {
  const size_t length = strlen(line);
  const size_t kept = static_cast<size_t>(stream.lineLength);
  if (kept > kStreamLineChars || length > kStreamLineChars + 2) abort();
  // The kept characters and CR LF, unless a NUL byte from the stream ends
  // the text early.
  const bool cutByNul = memchr(line, '\0', kept) != nullptr;
  if (!cutByNul && (length != kept + 2 || line[kept] != '\r' || line[kept + 1] != '\n')) abort();
  auto* display = static_cast<Display*>(context);
  if (AppendToStreamDisplay(display->text, line) >= kStreamDisplayRoom) abort();
  if (strlen(display->text) >= kStreamDisplayRoom) abort();
  return true;
}

void CountLine(void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Display display{true, {}};
  const SensorStreamSink sink{DialogOpen, AppendLine, CountLine, &display};
  SetStreamFormatter(&stream, "GGA");
  size_t at = 0;
  while (at < size) {
    // One control byte per chunk: its length, and now and then a new filter
    // taken from the data or a closed dialog.
    const uint8_t control = data[at++];
    const size_t count = std::min<size_t>(1 + (control & 0x7F), size - at);
    if ((control & 0x80) && at + 3 <= size) {
      char filter[4] = {static_cast<char>(data[at]), static_cast<char>(data[at + 1]), static_cast<char>(data[at + 2]),
                        '\0'};
      SetStreamFormatter(&stream, filter);
    }
    display.open = (control % 7) != 0;
    FeedSensorStream(&stream, &sink, data + at, static_cast<int>(count));
    at += count;
  }
  return 0;
}
