// The replay player: the choice of lines, their moments, and the file read
// one line at a time.
#include "sim/replay.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

constexpr int kEndOfFile = -1;
constexpr int kLineTooLong = -2;

// One file line into `line`, without its line end (LF or CR LF); NUL bytes
// and all other characters kept. Its length, or kEndOfFile, or
// kLineTooLong for a line that was read past and dropped.
int ReadFileLine(ReplayPlayer* p) {
  int length = 0;
  bool tooLong = false;
  int c;
  while ((c = getc(p->file)) != EOF && c != '\n') {
    if (length < kReplayLineChars)
      p->line[length++] = static_cast<char>(c);
    else
      tooLong = true;
  }
  if (c == EOF && length == 0) return kEndOfFile;
  if (tooLong) return kLineTooLong;
  if (length > 0 && p->line[length - 1] == '\r') --length;
  return length;
}

// The next line to play into `send`, with its moment; false once the file
// is played (a looping file that holds no line to play ends too).
bool NextPlayedLine(ReplayPlayer* p) {
  for (;;) {
    const int length = ReadFileLine(p);
    if (length == kEndOfFile) {
      if (!p->loop || p->passLines == 0 || ferror(p->file)) return false;
      rewind(p->file);
      p->passLines = 0;
      ++p->counts.passes;
      // The new pass follows at the steady distance, whatever its first time.
      p->timing.lastTimed = false;
      continue;
    }
    if (length == kLineTooLong) {
      ++p->counts.skipped;
      continue;
    }
    TaggedLine taken;
    if (!TakeReplayLine(p->choice, p->line, length, &taken)) continue;
    memcpy(p->send, taken.sentence, static_cast<size_t>(taken.sentenceLength));
    memcpy(p->send + taken.sentenceLength, "\r\n", 3);
    p->sendLength = taken.sentenceLength + 2;
    p->dueMs = NextLineDue(&p->timing, taken.tag);
    p->pending = true;
    ++p->passLines;
    return true;
  }
}

}  // namespace

bool TakeReplayLine(const ReplayChoice& choice, const char* line, int length, TaggedLine* out) {
  ParseTaggedLine(line, length, out);
  if (out->sentenceLength == 0) return false;
  if (choice.port[0] != 0) return ReceivedOn(out->tag, choice.port);
  return out->tag.destination[0] == 0;
}

void StartReplayTiming(ReplayTiming* timing, double speed, double linesPerSecond, int64_t nowMs) {
  timing->speed = speed;
  timing->rateMs = linesPerSecond > 0 ? 1000.0 / linesPerSecond : 0;
  timing->begun = false;
  timing->lastTimed = false;
  timing->lastMs = 0;
  timing->dueMs = static_cast<double>(nowMs);
}

int64_t NextLineDue(ReplayTiming* timing, const TagBlock& tag) {
  if (timing->begun) {
    if (timing->lastTimed && tag.hasTime) {
      // A clock set back while recording gives no wait, never a wait backwards.
      const int64_t gap = tag.unixTimeMs > timing->lastMs ? tag.unixTimeMs - timing->lastMs : 0;
      timing->dueMs += static_cast<double>(gap) / timing->speed;
    } else {
      timing->dueMs += timing->rateMs;
    }
  }
  timing->begun = true;
  timing->lastTimed = tag.hasTime;
  timing->lastMs = tag.unixTimeMs;
  return static_cast<int64_t>(std::llround(timing->dueMs));
}

bool OpenReplay(ReplayPlayer* p, const char* path, const ReplaySettings& settings, char* error, int room) {
  memset(p, 0, sizeof *p);
  if (settings.port != nullptr && strlen(settings.port) > static_cast<size_t>(kTagStationChars)) {
    snprintf(error, static_cast<size_t>(room), "a port is named in at most %d characters, not \"%s\"", kTagStationChars,
             settings.port);
    return false;
  }
  errno = 0;
  p->file = fopen(path, "rb");
  if (p->file == nullptr) {
    snprintf(error, static_cast<size_t>(room), "cannot read %s: %s", path, strerror(errno));
    return false;
  }
  if (settings.port != nullptr) {
    snprintf(p->choice.port, sizeof p->choice.port, "%s", settings.port);
  } else {
    // The first port the file names as a source; none: every line.
    int length;
    TaggedLine parsed;
    while ((length = ReadFileLine(p)) != kEndOfFile) {
      if (length < 0) continue;
      ParseTaggedLine(p->line, length, &parsed);
      if (parsed.tag.source[0] == 0) continue;
      memcpy(p->choice.port, parsed.tag.source, sizeof p->choice.port);
      break;
    }
    rewind(p->file);
  }
  p->speed = settings.speed;
  p->linesPerSecond = settings.linesPerSecond;
  p->loop = settings.loop;
  p->counts.passes = 1;
  return true;
}

void PlayDueLines(ReplayPlayer* p, int64_t nowMs, const ReplayOutput& output) {
  if (!p->begun) {
    StartReplayTiming(&p->timing, p->speed, p->linesPerSecond, nowMs);
    p->begun = true;
  }
  while (!p->ended) {
    if (!p->pending && !NextPlayedLine(p)) {
      p->ended = true;
      break;
    }
    if (p->dueMs > nowMs) break;
    const ReplaySendResult result = output.send(output.context, p->send, p->sendLength);
    p->busy = result == kReplayPortBusy;
    if (p->busy) break;
    p->pending = false;
    if (result == kReplaySent)
      ++p->counts.played;
    else
      ++p->counts.unheard;
  }
}

int64_t NextReplayMoment(const ReplayPlayer* p) {
  return p->begun && p->pending && !p->busy && !p->ended ? p->dueMs : -1;
}

void CloseReplay(ReplayPlayer* p) {
  if (p->file != nullptr) fclose(p->file);
  p->file = nullptr;
}
