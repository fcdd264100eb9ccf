// Where a recording goes: a file reached through four calls, each of which
// says why it failed in the system's own words. The portable sink writes
// through the C library; the client's sink writes through its platform.
//
// Threading: `open` runs on the thread that starts the recording; `write`,
// `flush` and `close` on the recorder's writer thread (and `close` on the
// starting thread when the writer cannot start). Never two at once.
#pragma once
#include <cstdio>

constexpr int kRecordReasonRoom = 256;

struct RecordSink {
  // Creates (or empties) the file at `path` (UTF-8).
  bool (*open)(void* context, const char* path, char reason[kRecordReasonRoom]);
  // Hands `count` bytes to the system, all of them or fails.
  bool (*write)(void* context, const char* bytes, int count, char reason[kRecordReasonRoom]);
  // Puts what was handed over onto the medium.
  bool (*flush)(void* context, char reason[kRecordReasonRoom]);
  // Closes the file; called once after a successful open, even after a failure.
  bool (*close)(void* context, char reason[kRecordReasonRoom]);
  void* context;
};

// The portable sink, for tests and tools: one unbuffered C stream, so that
// every write reaches the system at once and reports its failure there.
struct StdioSinkFile {
  FILE* file;
};
RecordSink StdioRecordSink(StdioSinkFile* file);
