// Replaying a recording, or any file of NMEA lines, onto a port: which
// lines are played, what is sent for each, and when. A recording holds the
// lines of several ports, received and sent; a replay plays the received
// lines of one port, each as it was received, without its TAG blocks, at
// the distance in time the recording shows between it and the line before,
// divided by the speed. Lines without a time (a file without TAG blocks)
// follow one another at a steady rate. The player reads the file through
// the C library, one fixed line buffer, and hands each line to an output
// seam; it never waits. One player per thread.
#pragma once
#include <cstdint>
#include <cstdio>

#include "nmea/tag_block.h"

// The longest file line played; a longer one is skipped and counted.
constexpr int kReplayLineChars = 1000;

// The received port whose lines are played; empty: a file that names no
// port, whose every line is played except those marked as sent.
struct ReplayChoice {
  char port[kTagStationChars + 1];
};

// Whether a file line (without its line end) is played, and if so the
// sentence to send in `out` (the line after its TAG blocks).
bool TakeReplayLine(const ReplayChoice& choice, const char* line, int length, TaggedLine* out);

struct ReplayTiming {
  double speed;    // recorded time is divided by it: 2 plays twice as fast
  double rateMs;   // the steady distance between lines without times; 0: none
  bool begun;      // a line has been given its moment
  bool lastTimed;  // the line before had a time
  int64_t lastMs;  // its time, from the recording
  double dueMs;    // its moment, on the player's clock
};

// `speed` above 0; `linesPerSecond` 0 for no steady pace (lines go as fast
// as the port takes them). `nowMs` is the player's clock when the first
// line is due.
void StartReplayTiming(ReplayTiming* timing, double speed, double linesPerSecond, int64_t nowMs);

// The moment, on the player's clock, when the next played line is due:
// the recorded distance from the line before when both have a time, else
// the steady distance. Call once per played line, in order.
int64_t NextLineDue(ReplayTiming* timing, const TagBlock& tag);

enum ReplaySendResult : int32_t {
  kReplaySent = 0,        // the port took the line
  kReplayNoListener = 1,  // nobody holds the port: the line is lost, as on a line nobody listens to
  kReplayPortBusy = 2,    // the port's queue is full: the line waits for room
};

struct ReplayOutput {
  // `text` is the sentence with CR LF.
  ReplaySendResult (*send)(void* context, const char* text, int length);
  void* context;
};

struct ReplayCounts {
  long played;   // lines the port took
  long unheard;  // lines due while nobody held the port
  long skipped;  // file lines longer than kReplayLineChars
  long passes;   // passes over the file begun
};

struct ReplayPlayer {
  FILE* file;
  ReplayChoice choice;
  ReplayTiming timing;
  double speed;
  double linesPerSecond;
  bool loop;
  bool begun;      // the first line's moment is set
  bool pending;    // `send` holds the next line, due at dueMs
  bool busy;       // the port's queue was full at the last try
  bool ended;      // the file is played (and not looped)
  long passLines;  // lines played in this pass
  int64_t dueMs;
  ReplayCounts counts;
  int32_t sendLength;
  char send[kReplayLineChars + 3];  // the sentence, CR LF, terminating zero
  char line[kReplayLineChars];      // a file line as read, without its line end
};

struct ReplaySettings {
  const char* port;  // null: the first source the file names
  double speed;
  double linesPerSecond;
  bool loop;
};

// Opens `path` and chooses the port. False with a message in `error` when
// the file cannot be read.
bool OpenReplay(ReplayPlayer* player, const char* path, const ReplaySettings& settings, char* error, int room);

// Hands the output every line due at `nowMs`, in order; returns when the
// next one is not yet due, the port is busy or the file is played. The
// first call starts the player's clock.
void PlayDueLines(ReplayPlayer* player, int64_t nowMs, const ReplayOutput& output);

// When PlayDueLines has work next; -1 when it waits for the port's room
// or the file is played.
int64_t NextReplayMoment(const ReplayPlayer* player);

void CloseReplay(ReplayPlayer* player);
