// The session recorder: line assembly on the producers' side, the writer
// thread's merge by time, and how a recording ends.
#include "record/session_recorder.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "monitor/link_status.h"
#include "nmea/tag_block.h"

namespace {

// How often the writer thread looks at the rings; the producers never wake
// it, which would cost them a lock.
constexpr auto kWriterPeriod = std::chrono::milliseconds(50);
static_assert(sizeof(RecordedLine) == 256, "a record's room is chosen to make it 256 bytes");
// A line in the file: its TAG block, its text, CR LF.
constexpr int kFileLineRoom = kTagBlockRoom + kRecordedLineChars + 2;

uint64_t PackPort(const char* port) {
  uint64_t packed = 0;
  for (int i = 0; i < kRecordPortChars && port[i] != 0; ++i)
    packed |= static_cast<uint64_t>(static_cast<uint8_t>(port[i])) << (8 * i);
  return packed;
}

void UnpackPort(uint64_t packed, char out[kRecordPortChars + 1]) {
  for (int i = 0; i < kRecordPortChars; ++i) out[i] = static_cast<char>((packed >> (8 * i)) & 0xFF);
  out[kRecordPortChars] = 0;
}

int64_t Now(const SessionRecorder* r) {
  return r->hooks.clock != nullptr ? r->hooks.clock(r->hooks.context) : 0;
}

// The recording ends for `cause`; the first cause is kept, but a write
// failure always shows, since it means lines were lost.
void EndRecording(SessionRecorder* r, RecordingEnd cause) {
  int32_t none = kRecordingNotEnded;
  if (!r->end.compare_exchange_strong(none, cause) && cause == kRecordingWriteFailed) r->end.store(cause);
  int32_t recording = kRecorderRecording;
  r->state.compare_exchange_strong(recording, kRecorderEnding);
}

// --- Producers

// A producer enters only while recording, and says so first, so that the
// recording's end can wait until no producer is inside (see WaitForProducers).
bool EnterProducer(SessionRecorder* r, RecordRing* ring) {
  if (r->state.load(std::memory_order_acquire) != kRecorderRecording) return false;
  ring->busy.store(true);
  if (r->state.load() == kRecorderRecording) return true;
  ring->busy.store(false, std::memory_order_release);
  return false;
}

void LeaveProducer(RecordRing* ring) {
  ring->busy.store(false, std::memory_order_release);
}

// What every line of one tap call shares.
struct LineOrigin {
  int64_t unixTimeMs;
  uint64_t port;
  int link;
  TagDirection direction;
  LinkWriteResult result;
};

void PushLine(SessionRecorder* r, RecordRing* ring, const LineOrigin& origin, const char* text, int length) {
  if (length == 0 || r->state.load(std::memory_order_relaxed) != kRecorderRecording) return;
  const uint32_t written = ring->written.load(std::memory_order_relaxed);
  // Acquire: the writer thread is done with the oldest line before its place is written again.
  if (written - ring->taken.load(std::memory_order_acquire) == kRecordRingLines) {
    r->linesDropped.fetch_add(1, std::memory_order_relaxed);
    EndRecording(r, kRecordingBufferFull);
    return;
  }
  RecordedLine& line = ring->lines[written & (kRecordRingLines - 1)];
  line.unixTimeMs = origin.unixTimeMs;
  line.port = origin.port;
  line.length = static_cast<uint16_t>(length);
  line.direction = origin.direction;
  line.result = static_cast<uint8_t>(origin.result);
  line.link = static_cast<uint8_t>(origin.link);
  memcpy(line.text, text, static_cast<size_t>(length));
  ring->written.store(written + 1, std::memory_order_release);
}

void OnReceived(void* context, int link, const uint8_t* bytes, int count) {
  auto* r = static_cast<SessionRecorder*>(context);
  if (link < 0 || link >= kRecordedLinks) return;
  RecordRing* ring = &r->rings[link];
  if (!EnterProducer(r, ring)) return;
  LineAssembly* a = &r->assemblies[link];
  const LineOrigin origin{Now(r), r->ports[link].load(std::memory_order_relaxed), link, kTagSource, kLinkWritten};
  for (int i = 0; i < count; ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (c == '\r' || c == '\n') {
      PushLine(r, ring, origin, a->text, a->length);
      a->length = 0;
      continue;
    }
    if (a->length == kRecordedLineChars) {
      PushLine(r, ring, origin, a->text, a->length);
      a->length = 0;
    }
    a->text[a->length++] = c;
  }
  LeaveProducer(ring);
}

void OnWrote(void* context, int link, const uint8_t* bytes, int count, LinkWriteResult result) {
  auto* r = static_cast<SessionRecorder*>(context);
  if (link < 0 || link >= kRecordedLinks) return;
  RecordRing* ring = &r->rings[kRecordWritesRing];
  if (!EnterProducer(r, ring)) return;
  const LineOrigin origin{Now(r), r->ports[link].load(std::memory_order_relaxed), link, kTagDestination, result};
  const char* text = reinterpret_cast<const char*>(bytes);
  int start = 0;
  for (int i = 0; i <= count; ++i) {
    const bool end = i == count || text[i] == '\r' || text[i] == '\n';
    if (end || i - start == kRecordedLineChars) {
      PushLine(r, ring, origin, text + start, i - start);
      start = end ? i + 1 : i;
    }
  }
  LeaveProducer(ring);
}

// --- Writer thread

// After the recording has stopped taking lines, a producer may still be in
// the middle of one; it takes no longer than a copy.
void WaitForProducers(SessionRecorder* r) {
  for (RecordRing& ring : r->rings)
    while (ring.busy.load()) std::this_thread::yield();
}

const char* ResultText(uint8_t result) {
  switch (result) {
    case kLinkNotConnected:
      return "not connected";
    case kLinkPortStalled:
      return "port stalled";
    case kLinkWriteRefused:
      return "write refused";
    default:
      return nullptr;
  }
}

int FormatLine(const RecordedLine& line, char* out) {
  char port[kRecordPortChars + 1];
  UnpackPort(line.port, port);
  if (port[0] == 0) snprintf(port, sizeof port, "link%d", line.link + 1);  // never named: the link's number
  const auto direction = static_cast<TagDirection>(line.direction);
  int length = WriteTagBlock(out, kTagBlockRoom, direction, port, line.unixTimeMs,
                             direction == kTagDestination ? ResultText(line.result) : nullptr);
  memcpy(out + length, line.text, line.length);
  length += line.length;
  out[length++] = '\r';
  out[length++] = '\n';
  return length;
}

struct Batch {
  int bytes;
  uint64_t lines;
};

bool WriteBatch(SessionRecorder* r, Batch* batch) {
  if (batch->bytes == 0) return true;
  if (!r->sink.write(r->sink.context, r->buffer, batch->bytes, r->reason)) {
    r->linesDropped.fetch_add(batch->lines, std::memory_order_relaxed);
    EndRecording(r, kRecordingWriteFailed);
    *batch = {0, 0};
    return false;
  }
  r->linesWritten.fetch_add(batch->lines, std::memory_order_relaxed);
  *batch = {0, 0};
  return true;
}

// Writes every line handed over so far, oldest first across the rings.
// False when a write failed.
bool WritePending(SessionRecorder* r) {
  uint32_t until[kRecordRings];
  for (int i = 0; i < kRecordRings; ++i) until[i] = r->rings[i].written.load(std::memory_order_acquire);
  Batch batch{0, 0};
  for (;;) {
    int oldest = -1;
    const RecordedLine* line = nullptr;
    for (int i = 0; i < kRecordRings; ++i) {
      const RecordRing& ring = r->rings[i];
      const uint32_t taken = ring.taken.load(std::memory_order_relaxed);
      if (taken == until[i]) continue;
      const RecordedLine* head = &ring.lines[taken & (kRecordRingLines - 1)];
      if (line == nullptr || head->unixTimeMs < line->unixTimeMs) oldest = i, line = head;
    }
    if (line == nullptr) break;
    if (batch.bytes + kFileLineRoom > kRecordBufferBytes && !WriteBatch(r, &batch)) return false;
    batch.bytes += FormatLine(*line, r->buffer + batch.bytes);
    ++batch.lines;
    RecordRing& ring = r->rings[oldest];
    ring.taken.store(ring.taken.load(std::memory_order_relaxed) + 1, std::memory_order_release);
  }
  return WriteBatch(r, &batch);
}

// Lines left in the rings after a failed write will not reach the file.
void DropPending(SessionRecorder* r) {
  for (RecordRing& ring : r->rings) {
    const uint32_t written = ring.written.load(std::memory_order_acquire);
    r->linesDropped.fetch_add(written - ring.taken.load(std::memory_order_relaxed), std::memory_order_relaxed);
    ring.taken.store(written, std::memory_order_release);
  }
}

void RunWriter(SessionRecorder* r) {
  bool failed = false;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(r->wakeLock);
      r->wake.wait_for(hold, kWriterPeriod, [r] { return r->stopAsked; });
    }
    const bool ending = r->state.load() != kRecorderRecording;
    if (ending) WaitForProducers(r);
    if (!WritePending(r)) {
      failed = true;
      break;
    }
    if (ending) break;
  }
  if (failed) {
    WaitForProducers(r);
    DropPending(r);
  }
  // A flush or close that fails may have lost what the system held: say so.
  char reason[kRecordReasonRoom];
  if (!failed && !r->sink.flush(r->sink.context, r->reason)) failed = true;
  if (!r->sink.close(r->sink.context, failed ? reason : r->reason)) failed = true;
  if (failed) EndRecording(r, kRecordingWriteFailed);
  r->state.store(kRecorderEnded);
  if (r->hooks.ended != nullptr) r->hooks.ended(r->hooks.context);
}

}  // namespace

void InitSessionRecorder(SessionRecorder* recorder, const RecorderHooks& hooks) {
  recorder->tap = {OnReceived, OnWrote, recorder};
  recorder->hooks = hooks;
  recorder->state.store(kRecorderIdle);
  recorder->end.store(kRecordingNotEnded);
  recorder->linesWritten.store(0);
  recorder->linesDropped.store(0);
  for (std::atomic<uint64_t>& port : recorder->ports) port.store(0);
}

void SetRecordedPort(SessionRecorder* recorder, int link, const char* port) {
  if (link >= 0 && link < kRecordedLinks) recorder->ports[link].store(PackPort(port), std::memory_order_relaxed);
}

bool StartRecording(SessionRecorder* r, const RecordSink& sink, const char* path, char reason[kRecordReasonRoom]) {
  if (r->state.load() != kRecorderIdle) {
    snprintf(reason, kRecordReasonRoom, "a recording is still open");
    return false;
  }
  if (!sink.open(sink.context, path, reason)) return false;
  // No producer enters while idle, so the rings are the main thread's.
  for (RecordRing& ring : r->rings) {
    ring.written.store(0);
    ring.taken.store(0);
  }
  for (LineAssembly& a : r->assemblies) a.length = 0;
  r->end.store(kRecordingNotEnded);
  r->linesWritten.store(0);
  r->linesDropped.store(0);
  r->sink = sink;
  r->reason[0] = 0;
  r->stopAsked = false;
  r->state.store(kRecorderRecording);
  try {
    r->writer = std::thread(RunWriter, r);
  } catch (const std::system_error& e) {
    r->state.store(kRecorderEnding);
    WaitForProducers(r);
    r->state.store(kRecorderIdle);
    char ignored[kRecordReasonRoom];
    sink.close(sink.context, ignored);
    snprintf(reason, kRecordReasonRoom, "the recording's writer could not start (%s)", e.what());
    return false;
  }
  return true;
}

void RequestStopRecording(SessionRecorder* r) {
  if (r->state.load() != kRecorderRecording) return;
  EndRecording(r, kRecordingStopped);
  {
    std::lock_guard<std::mutex> hold(r->wakeLock);
    r->stopAsked = true;
  }
  r->wake.notify_one();
}

bool FinishRecording(SessionRecorder* r, RecordingReport* report) {
  if (r->state.load() != kRecorderEnded) return false;
  if (r->writer.joinable()) r->writer.join();
  report->end = static_cast<RecordingEnd>(r->end.load());
  report->linesWritten = r->linesWritten.load();
  report->linesDropped = r->linesDropped.load();
  memcpy(report->reason, r->reason, sizeof report->reason);
  r->state.store(kRecorderIdle);
  return true;
}

void StopRecording(SessionRecorder* r, RecordingReport* report) {
  if (r->state.load() == kRecorderIdle) {
    *report = RecordingReport{};
    return;
  }
  RequestStopRecording(r);
  if (r->writer.joinable()) r->writer.join();
  FinishRecording(r, report);
}

RecorderStatus ReadRecorderStatus(const SessionRecorder* r) {
  return {static_cast<RecorderState>(r->state.load()), r->linesWritten.load(std::memory_order_relaxed),
          r->linesDropped.load(std::memory_order_relaxed)};
}

int DescribeRecordingEnd(const RecordingReport& report, const char* file, char* out, int room) {
  const auto written = static_cast<unsigned long long>(report.linesWritten);
  const auto dropped = static_cast<unsigned long long>(report.linesDropped);
  int length = 0;
  switch (report.end) {
    case kRecordingBufferFull:
      length = snprintf(out, static_cast<size_t>(room),
                        "Recording stopped: the disk did not keep up with the links. %llu lines were written to "
                        "%s; %llu did not reach it. The links keep working.",
                        written, file, dropped);
      break;
    case kRecordingWriteFailed:
      length = snprintf(out, static_cast<size_t>(room),
                        "Recording stopped: %s could not be written: %s\n%llu lines were written; %llu did not "
                        "reach the file. The links keep working.",
                        file, report.reason, written, dropped);
      break;
    default:
      length =
          snprintf(out, static_cast<size_t>(room), "Recording stopped: %llu lines were written to %s.", written, file);
      break;
  }
  return length < room ? length : room - 1;
}

int FormatRecordingStatus(const RecorderStatus& status, const char* file, char* out, int room) {
  if (room <= 0) return 0;
  out[0] = 0;
  if (status.state == kRecorderIdle) return 0;
  char written[32];
  char dropped[32];
  FormatCount(status.linesWritten, written, sizeof written);
  FormatCount(status.linesDropped, dropped, sizeof dropped);
  int length = snprintf(out, static_cast<size_t>(room), "Recording %s \u00B7 %s %s", file, written,
                        status.linesWritten == 1 ? "line" : "lines");
  if (status.linesDropped != 0 && length >= 0 && length < room)
    length += snprintf(out + length, static_cast<size_t>(room - length), " \u00B7 %s not written", dropped);
  return length < room ? length : room - 1;
}
