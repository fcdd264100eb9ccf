// The session recorder: every line received on the three links and every
// line written to them goes to a file, exactly as it was received or sent,
// behind a TAG block that names the link's port (s: received, d: sent) and
// the time. One line per sentence, nothing else:
//
//   \s:COM7,c:1733612345123*7B\!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24
//   \d:COM7,c:1733612345400*68\!AIBBM,2,2,0,1,8,uOwd00,4*4D
//
// A received chunk is cut into lines at CR and LF (empty lines dropped),
// each stamped when its end arrives; a write is cut the same way, and what
// follows its last line end is a line of its own. A line longer than
// kRecordedLineChars is written as several. A write the port did not take
// carries its result as text: "t:port stalled".
//
// Threading:
//  - Producers never wait for the disk or for each other longer than a
//    copy. The tap's `received` runs on a link's reader thread and fills
//    that link's ring; `wrote` runs on the main thread and fills the ring
//    of writes. A line that finds its ring full ends the recording: it and
//    nothing after it is recorded, and the links go on as before.
//  - The writer thread, started by StartRecording, alone empties the rings
//    (in time order across them, each ring in its own order) and alone
//    calls the sink's write, flush and close.
//  - InitSessionRecorder, SetRecordedPort, StartRecording,
//    RequestStopRecording, FinishRecording and StopRecording run on the
//    main thread; ReadRecorderStatus on any thread.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "record/record_sink.h"
#include "serial/link_taps.h"

constexpr int kRecordedLinks = 3;
// A line's characters per record; a RecordedLine is 256 bytes.
constexpr int kRecordedLineChars = 232;
// Lines each ring holds: some 20 s of a 115 200-baud line full of
// 60-character sentences, for a disk that stalls.
constexpr uint32_t kRecordRingLines = 4096;
static_assert((kRecordRingLines & (kRecordRingLines - 1)) == 0, "the indexes wrap by masking");
constexpr int kRecordRings = kRecordedLinks + 1;  // one per link's reader, one for the writes
constexpr int kRecordWritesRing = kRecordedLinks;
constexpr int kRecordPortChars = 8;  // a port name as the links keep it ("COM7", "COM255")
constexpr int kRecordBufferBytes = 1 << 16;

struct RecordedLine {
  int64_t unixTimeMs;  // 0 without a clock
  uint64_t port;       // the port's name, up to 8 characters, first character lowest
  uint16_t length;
  uint8_t direction;  // a TagDirection
  uint8_t result;     // a sent line: its LinkWriteResult
  uint8_t link;       // 0, 1 or 2
  char text[kRecordedLineChars];
};

// One producer's lines; the producer fills it, the writer thread empties it.
struct RecordRing {
  RecordedLine lines[kRecordRingLines];
  std::atomic<uint32_t> written;  // lines handed over (producer)
  std::atomic<uint32_t> taken;    // lines taken (writer thread)
  std::atomic<bool> busy;         // the producer is in the tap; see StopRecording
};

// The line a link's reader has begun; reader thread only while recording.
struct LineAssembly {
  char text[kRecordedLineChars];
  int32_t length;
};

enum RecorderState : int32_t {
  kRecorderIdle = 0,
  kRecorderRecording = 1,
  kRecorderEnding = 2,  // no more lines are taken; the writer thread writes what it holds and closes
  kRecorderEnded = 3,   // the file is closed: FinishRecording
};

enum RecordingEnd : int32_t {
  kRecordingNotEnded = 0,
  kRecordingStopped = 1,      // asked to stop
  kRecordingBufferFull = 2,   // the disk did not keep up
  kRecordingWriteFailed = 3,  // the file could not be written (disk full, drive removed)
};

struct RecorderStatus {
  RecorderState state;
  uint64_t linesWritten;  // handed to the file so far
  uint64_t linesDropped;  // meant for the file but not handed to it
};

struct RecordingReport {
  RecordingEnd end;
  uint64_t linesWritten;
  uint64_t linesDropped;
  char reason[kRecordReasonRoom];  // write failed: the system's reason; else empty
};

struct RecorderHooks {
  int64_t (*clock)(void* context);  // UNIX time in milliseconds; any thread; null: no times
  // The writer thread, once the file is closed after the recording ended
  // by itself or was asked to stop. It must not wait on the main thread:
  // post it a message, which then calls FinishRecording. May be null.
  void (*ended)(void* context);
  void* context;
};

struct SessionRecorder {
  LinkTap tap;  // attach once to the links' taps; it records only while recording
  RecorderHooks hooks;
  std::atomic<int32_t> state;  // a RecorderState
  std::atomic<int32_t> end;    // a RecordingEnd: the first cause wins, a write failure always
  std::atomic<uint64_t> linesWritten;
  std::atomic<uint64_t> linesDropped;
  std::atomic<uint64_t> ports[kRecordedLinks];  // main thread writes, readers read at each line end
  RecordRing rings[kRecordRings];
  LineAssembly assemblies[kRecordedLinks];
  // The writer thread's own, and the main thread's before it starts and
  // after it ends.
  RecordSink sink;
  char reason[kRecordReasonRoom];
  char buffer[kRecordBufferBytes];
  std::thread writer;
  std::mutex wakeLock;  // main thread and writer thread only
  std::condition_variable wake;
  bool stopAsked;  // under wakeLock
};

// Main thread, once, before the tap is attached. The recorder is large
// (some 4 MB); keep one for the whole run.
void InitSessionRecorder(SessionRecorder* recorder, const RecorderHooks& hooks);

// Main thread: the port link 0, 1 or 2 is opened on, before its reader
// starts; lines are stamped with it from then on.
void SetRecordedPort(SessionRecorder* recorder, int link, const char* port);

// Main thread: opens `path` through the sink and starts recording. False
// with the sink's reason when the file cannot be created, or when a
// recording is already on or not yet finished.
bool StartRecording(SessionRecorder* recorder, const RecordSink& sink, const char* path,
                    char reason[kRecordReasonRoom]);

// Main thread: no more lines are taken; the writer thread writes what it
// holds, flushes and closes, then calls the `ended` hook. Returns at once.
void RequestStopRecording(SessionRecorder* recorder);

// Main thread: once the state is kRecorderEnded, ends the writer thread,
// gives the report and makes the recorder idle. False (and nothing done)
// in any other state.
bool FinishRecording(SessionRecorder* recorder, RecordingReport* report);

// Main thread: RequestStopRecording, then waits for the file to be closed,
// then FinishRecording. The wait is for the disk only: the writer thread
// never waits on the main thread. Gives a report with kRecordingNotEnded
// when nothing was recording.
void StopRecording(SessionRecorder* recorder, RecordingReport* report);

// Any thread.
RecorderStatus ReadRecorderStatus(const SessionRecorder* recorder);

// What a person reads when a recording ends: how it ended, the lines
// written to `file` and the lines that did not reach it. Returns the length.
int DescribeRecordingEnd(const RecordingReport& report, const char* file, char* out, int room);

// The status bar's recording part: "Recording <file> · 1 204 lines", and
// "· 3 not written" when lines did not reach the file; empty when idle.
// `file` is the name shown (UTF-8). Returns the length.
int FormatRecordingStatus(const RecorderStatus& status, const char* file, char* out, int room);
