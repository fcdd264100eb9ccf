// asm-sim: a stand-in for an AIS transponder on a pseudo-terminal, a serial
// device or the standard streams. As a presentation port it plays the own
// ship's reports and a fleet's traffic and answers "!AIBBM" broadcasts and
// "!AIABM" addressed messages with "$AIABK" and the "!AIVDO" of its own
// transmission, as the --abm-ack, --bbm-ack and --ack-delay options choose;
// as a sensor it plays a position sensor's sentences; or it replays a
// recording. One thread: poll() and timers.
#include <getopt.h>
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "nmea/sentence_writer.h"
#include "sim/bbm_receiver.h"
#include "sim/replay.h"
#include "sim/traffic.h"
#include "tools/asm_sim_port.h"

namespace {

constexpr uint32_t kDefaultOwnMmsi = 244123456;
constexpr double kDefaultRate = 2;
constexpr uint64_t kDefaultSeed = 1;
constexpr int kDefaultBaud = 38400;
constexpr int64_t kOwnReportPeriodMs = 3000;
constexpr int64_t kPtyRecheckMs = 100;
constexpr int64_t kDeviceRecheckMs = 1000;
constexpr int kAnswerDelayMinMs = 200;  // a transponder answers once its slot has passed
constexpr int kAnswerDelayMaxMs = 500;
constexpr int kPendingAnswers = 16;
constexpr int64_t kNever = -1;
constexpr int kNoAnswer = -1;  // --abm-ack none: no ABK at all
constexpr int kMmsiDigits = 9;

enum class Role { kPresentation, kSensor };

// --replay and what goes with it.
struct ReplayOptions {
  const char* file;  // null: no replay
  const char* link;  // null: the first source in the file
  double speed;
  bool loop;
  bool respond;  // answer BBM and ABM while replaying
  bool given;    // --link, --speed, --loop or --respond was given
};
enum ReplayOptionCode { kOptionReplay = 1000, kOptionLink, kOptionSpeed, kOptionLoop, kOptionRespond };

struct Options {
  const char* device;
  const char* pty;
  Role role;
  uint32_t ownMmsi;
  double rate;
  uint64_t seed;
  double duration;  // seconds, 0 for no end
  int baud;
  bool verbose;
  int abmAck;      // the ABK type a complete ABM is answered with: 0, 1, 4 (1, then 4), or kNoAnswer
  int bbmAck;      // the ABK type a complete BBM is answered with: 3 or 2
  int ackDelayMs;  // from a message to its answer; -1: 200 to 500 ms at random
  ReplayOptions replay;
};

// A message's answer, sent when its delay has passed: the own station's
// VDO of the message (`echo`), then the ABK of `ackType`; when `lateFollows`
// a late acknowledgement (type 4) follows after another delay.
struct PendingAnswer {
  bool used;
  int64_t dueMs;
  int32_t sentence;  // kReceivedBbm or kReceivedAbm
  int32_t ackType;   // kNoAnswer for none
  bool echo;
  bool lateFollows;
  int32_t sequentialId;
  uint32_t destination;  // ABM: the addressed MMSI
  char channel;          // 'A', 'B' or 0 when unknown
  int32_t messageId;
  int32_t bitCount;
  uint8_t data[kBbmDataRoom];
};

struct Counters {
  long sentences;
  long dropped;  // messages the full output queue could not take
  long complete;
  long failed;
  long badInput;
};

struct Simulator {
  Options options;
  SimPort port;
  Fleet fleet;
  BbmReceiver receiver;
  PendingAnswer answers[kPendingAnswers];
  Counters counters;
  int64_t ownNextMs;
  int64_t trafficNextMs;
  int64_t sensorNextMs;
  int64_t recheckNextMs;
  int64_t lastMoveMs;
  int64_t endMs;
  int64_t nowMs;
  int32_t broadcastChannel;  // alternates for broadcasts that leave the channel open
  SimRandom answerRandom;    // apart from the fleet's, so that answering leaves the traffic as it was
  int64_t lastDropReportMs;
  const char* currentLine;  // the input line being handled, for reports
  int currentLength;
  ReplayPlayer player;  // --replay only
};

volatile sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) {
  stopSignal = signal;
}

[[gnu::format(printf, 1, 2)]] void Note(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  fprintf(stderr, "asm-sim: %s\n", text);
}

// A line as printable text: controls and bytes above 126 as \xHH, cut with
// "..." past `most` characters.
const char* Escaped(const char* text, int length, char* out, size_t room, int most = 160) {
  size_t at = 0;
  for (int i = 0; i < length && i < most && at + 5 < room; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == '"')
      at += static_cast<size_t>(snprintf(out + at, room - at, "\\%c", c));
    else if (c >= 32 && c <= 126)
      out[at++] = static_cast<char>(c);
    else
      at += static_cast<size_t>(snprintf(out + at, room - at, "\\x%02X", c));
  }
  if (length > most && at + 4 < room) memcpy(out + at, "...", 3), at += 3;
  out[at < room ? at : room - 1] = 0;
  return out;
}

int64_t MonotonicMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

tm UtcNow(int* centiseconds) {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  tm utc;
  gmtime_r(&t.tv_sec, &utc);
  if (centiseconds != nullptr) *centiseconds = static_cast<int>(t.tv_nsec / 10000000);
  return utc;
}

int64_t MsToNextSecond() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return 1000 - t.tv_nsec / 1000000;
}

int64_t Earliest(int64_t a, int64_t b) {
  if (a == kNever) return b;
  if (b == kNever) return a;
  return a < b ? a : b;
}

// Writes a whole message (all its sentences) or nothing.
void Send(Simulator* sim, const char* text, int length, int sentences) {
  if (!sim->port.attached) return;  // nobody listening: lost, as on a real line
  if (!QueueOutput(&sim->port, text, length)) {
    ++sim->counters.dropped;
    if (sim->nowMs - sim->lastDropReportMs >= 5000) {
      Note("output is not being read fast enough; %ld messages dropped so far", sim->counters.dropped);
      sim->lastDropReportMs = sim->nowMs;
    }
    return;
  }
  sim->counters.sentences += sentences;
  if (sim->options.verbose) {
    char shown[400];
    Note("> %s", Escaped(text, length, shown, sizeof shown, 380));
  }
}

void SendSentences(Simulator* sim, const SentenceBatch& sentences) {
  char text[kMaxEncapsulatedSentences * kSentenceRoom];
  int length = 0;
  for (int k = 0; k < sentences.count; ++k) {
    memcpy(text + length, sentences.text[k], static_cast<size_t>(sentences.length[k]));
    length += sentences.length[k];
  }
  if (length > 0) Send(sim, text, length, sentences.count);
}

// Whole-second steps, so that a seed gives the same tracks however the
// messages happen to be timed.
void MoveFleetToNow(Simulator* sim) {
  while (sim->nowMs - sim->lastMoveMs >= 1000) {
    MoveFleet(&sim->fleet, 1.0);
    sim->lastMoveMs += 1000;
  }
}

// "$AIABK": the addressed MMSI (none for a broadcast), the channel of
// transmission, the message id, the sentences' sequential identifier and the
// acknowledgement type.
void SendAcknowledgement(Simulator* sim, const PendingAnswer& a, int type) {
  char sentence[kSentenceRoom];
  SentenceWriter writer = StartSentence(sentence, sizeof sentence, '$', "AIABK");
  if (a.sentence == kReceivedAbm)
    AddFieldDigits(&writer, a.destination, kMmsiDigits);
  else
    AddFieldChar(&writer, 0);
  AddFieldChar(&writer, a.channel);
  if (a.messageId > 0)
    AddFieldNumber(&writer, static_cast<uint32_t>(a.messageId));
  else
    AddFieldChar(&writer, 0);
  AddFieldNumber(&writer, static_cast<uint32_t>(a.sequentialId));
  AddFieldNumber(&writer, static_cast<uint32_t>(type));
  Send(sim, sentence, FinishSentence(&writer), 1);
}

const char* SentenceName(int sentence) {
  return sentence == kReceivedAbm ? "ABM" : "BBM";
}

int64_t AnswerDelayMs(Simulator* sim) {
  if (sim->options.ackDelayMs >= 0) return sim->options.ackDelayMs;
  return kAnswerDelayMinMs +
         static_cast<int64_t>(NextRandom(&sim->answerRandom) % (kAnswerDelayMaxMs - kAnswerDelayMinMs + 1));
}

PendingAnswer* FreeAnswer(Simulator* sim) {
  for (PendingAnswer& a : sim->answers)
    if (!a.used) return &a;
  return nullptr;
}

// Sends what is due and, for a late acknowledgement to come, waits again.
// `a` is no longer marked used.
void SendAnswer(Simulator* sim, const PendingAnswer& a) {
  int ackType = a.ackType;
  if (a.echo) {
    SentenceBatch sentences;
    const int count = a.sentence == kReceivedAbm
                          ? OwnAddressedReport(&sim->fleet, a.messageId, a.destination, a.sequentialId, a.data,
                                               a.bitCount, a.channel, &sentences)
                          : OwnBroadcastReport(&sim->fleet, a.messageId, a.data, a.bitCount, a.channel, &sentences);
    if (count > 0) {
      SendSentences(sim, sentences);
    } else {
      Note("%s %d could not be put into a message; answering type 2", SentenceName(a.sentence), a.sequentialId);
      ackType = ackType == kNoAnswer ? kNoAnswer : 2;
    }
  }
  if (ackType != kNoAnswer) SendAcknowledgement(sim, a, ackType);
  if (!a.lateFollows || ackType != 1) return;
  PendingAnswer late = a;
  late.used = true;
  late.dueMs = sim->nowMs + AnswerDelayMs(sim);
  late.ackType = 4;
  late.echo = false;
  late.lateFollows = false;
  PendingAnswer* slot = FreeAnswer(sim);
  if (slot != nullptr)
    *slot = late;
  else
    SendAcknowledgement(sim, late, 4);  // no room to wait: at once
}

char ChannelOf(Simulator* sim, int bbmChannel) {
  switch (bbmChannel) {
    case 1:
      return 'A';
    case 2:
      return 'B';
    case 0:  // no preference
    case 3:  // both: reported on the channels in turn
      return sim->broadcastChannel++ % 2 == 0 ? 'A' : 'B';
    default:
      return 0;
  }
}

// What a message is answered with, as the options choose: an ABM that
// failed gets type 2 (or nothing with --abm-ack none), a complete one its
// own VDO and the --abm-ack type; a BBM that failed type 2, a complete one
// its own VDO and type 3, or only type 2 with --bbm-ack 2.
void PlanAnswer(const Options& options, const BbmOutcome& o, PendingAnswer* a) {
  const bool complete = o.kind == kBbmComplete;
  if (o.sentence == kReceivedAbm) {
    a->ackType = options.abmAck == kNoAnswer ? kNoAnswer : complete ? (options.abmAck == 4 ? 1 : options.abmAck) : 2;
    a->echo = complete;
    a->lateFollows = complete && options.abmAck == 4;
  } else {
    a->ackType = complete ? options.bbmAck : 2;
    a->echo = complete && options.bbmAck == 3;
  }
}

void ScheduleAnswer(Simulator* sim, const BbmOutcome& o) {
  PendingAnswer plan{};
  PlanAnswer(sim->options, o, &plan);
  if (plan.ackType == kNoAnswer && !plan.echo) return;  // --abm-ack none for a failed ABM
  PendingAnswer* slot = FreeAnswer(sim);
  PendingAnswer now;
  if (slot == nullptr) {
    Note("more than %d messages waiting; answering %s %d at once", kPendingAnswers, SentenceName(o.sentence),
         o.sequentialId);
    slot = &now;
  }
  memset(slot, 0, sizeof *slot);
  slot->used = slot != &now;
  slot->dueMs = sim->nowMs + AnswerDelayMs(sim);
  slot->sentence = o.sentence;
  slot->ackType = plan.ackType;
  slot->echo = plan.echo;
  slot->lateFollows = plan.lateFollows;
  slot->sequentialId = o.sequentialId;
  slot->destination = o.destination;
  slot->channel = ChannelOf(sim, o.channel);
  slot->messageId = o.messageId;
  if (o.kind == kBbmComplete && slot->echo) {
    slot->bitCount = o.bitCount;
    memcpy(slot->data, o.data, static_cast<size_t>((o.bitCount + 7) / 8));
  }
  if (slot == &now) SendAnswer(sim, now);
}

void OnOutcome(void* context, const BbmOutcome* o) {
  auto* sim = static_cast<Simulator*>(context);
  char shown[400] = "";
  if (sim->currentLine != nullptr) Escaped(sim->currentLine, sim->currentLength, shown, sizeof shown);
  switch (o->kind) {
    case kBbmRejected:
      ++sim->counters.badInput;
      if (strncmp(o->reason, "not a BBM", 9) == 0)  // nor an ABM
        Note("unknown sentence ignored: \"%s\"", shown);
      else
        Note("bad sentence ignored (%s): \"%s\"", o->reason, shown);
      return;
    case kBbmFailed: {
      ++sim->counters.failed;
      const char* answer = o->sentence == kReceivedAbm && sim->options.abmAck == kNoAnswer
                               ? "not answering (--abm-ack none)"
                               : "answering ABK type 2";
      if (sim->currentLine != nullptr)
        Note("%s %d failed (%s): \"%s\"; %s", SentenceName(o->sentence), o->sequentialId, o->reason, shown, answer);
      else
        Note("%s %d failed (%s); %s", SentenceName(o->sentence), o->sequentialId, o->reason, answer);
      ScheduleAnswer(sim, *o);
      return;
    }
    case kBbmComplete: {
      ++sim->counters.complete;
      const int dac = o->bitCount >= 16 ? (o->data[0] << 2) | (o->data[1] >> 6) : -1;
      const int fi = o->bitCount >= 16 ? o->data[1] & 63 : -1;
      if (o->sentence == kReceivedAbm)
        Note("ABM %d complete: %d sentence(s), message %d to %09u, %d data bits; transmitting", o->sequentialId,
             o->sentences, o->messageId, static_cast<unsigned>(o->destination), o->bitCount);
      else
        Note("BBM %d complete: %d sentence(s), message %d, %d data bits, DAC %d FI %d; broadcasting", o->sequentialId,
             o->sentences, o->messageId, o->bitCount, dac, fi);
      ScheduleAnswer(sim, *o);
      return;
    }
  }
}

void OnLine(void* context, const char* text, int length) {
  auto* sim = static_cast<Simulator*>(context);
  char shown[400];
  if (sim->options.verbose) Note("< %s", Escaped(text, length, shown, sizeof shown));
  if (sim->options.role == Role::kSensor) {
    ++sim->counters.badInput;
    Note("input ignored, a sensor does not listen: \"%s\"", Escaped(text, length, shown, sizeof shown));
    return;
  }
  if (sim->options.replay.file != nullptr && !sim->options.replay.respond) {
    Note("input ignored, replaying without --respond: \"%s\"", Escaped(text, length, shown, sizeof shown));
    return;
  }
  sim->currentLine = text;
  sim->currentLength = length;
  const BbmOutcomeSink sink{OnOutcome, sim};
  FeedBbmSentence(&sim->receiver, text, length, sim->nowMs, &sink);
  sim->currentLine = nullptr;
}

void OnOverlong(void* context, int length, const char* start, int shownCharacters) {
  auto* sim = static_cast<Simulator*>(context);
  ++sim->counters.badInput;
  char shown[200];
  Note("line of %d characters discarded, longer than %d: \"%s\"", length, kPortLineRoom,
       Escaped(start, shownCharacters + 1, shown, sizeof shown, shownCharacters));
}

void OnStatus(void*, const char* message) {
  Note("%s", message);
}

ReplaySendResult SendReplayed(void* context, const char* text, int length) {
  auto* sim = static_cast<Simulator*>(context);
  if (!sim->port.attached) return kReplayNoListener;
  if (!QueueOutput(&sim->port, text, length)) return kReplayPortBusy;  // waits for room: nothing is lost
  ++sim->counters.sentences;
  if (sim->options.verbose) {
    char shown[400];
    Note("> %s", Escaped(text, length, shown, sizeof shown, 380));
  }
  return kReplaySent;
}

// The replay begins when the port first has a listener; lines due while
// nobody listens later are lost, as on a line.
void RunReplay(Simulator* sim) {
  if (sim->port.attached || sim->player.begun) PlayDueLines(&sim->player, sim->nowMs, {SendReplayed, sim});
}

// Played to its end onto standard output, and written: time to go, unless
// answering broadcasts. A port stays open, as for traffic: a pseudo-terminal
// loses what its reader has not read yet when it closes.
bool ReplayFinished(const Simulator* sim) {
  return sim->options.replay.file != nullptr && !sim->options.replay.respond && sim->player.ended &&
         sim->port.kind == PortKind::kStdio && sim->port.queueEnd == sim->port.queueStart;
}

// Everything whose time has come.
void RunTimers(Simulator* sim) {
  const int64_t now = sim->nowMs;
  if (sim->recheckNextMs != kNever && now >= sim->recheckNextMs) {
    const bool was = sim->port.attached;
    const PortEvents events{OnLine, OnOverlong, OnStatus, sim};
    RecheckPort(&sim->port, &events);
    sim->recheckNextMs = kNever;
    // Tell a new listener who we are at once.
    if (!was && sim->port.attached && sim->options.replay.file == nullptr) sim->ownNextMs = now;
  }
  if (sim->options.role == Role::kSensor) {
    if (now >= sim->sensorNextMs) {
      MoveFleet(&sim->fleet, 1.0);  // one step per tick: a new position every second
      int centiseconds = 0;
      const tm utc = UtcNow(&centiseconds);
      char text[512];
      const int length = SensorSentences(&sim->fleet, utc, centiseconds, text, sizeof text);
      Send(sim, text, length, 4);
      sim->sensorNextMs = now + MsToNextSecond();
    }
    return;
  }
  const BbmOutcomeSink sink{OnOutcome, sim};
  ExpireBbmBroadcasts(&sim->receiver, now, &sink);
  for (PendingAnswer& a : sim->answers) {
    if (a.used && now >= a.dueMs) {
      a.used = false;
      const PendingAnswer due = a;  // the slot may be taken again for a late acknowledgement
      SendAnswer(sim, due);
    }
  }
  if (sim->options.replay.file != nullptr) return RunReplay(sim);
  SentenceBatch sentences;
  if (now >= sim->ownNextMs) {
    MoveFleetToNow(sim);
    OwnShipReport(&sim->fleet, UtcNow(nullptr), &sentences);
    SendSentences(sim, sentences);
    sim->ownNextMs = now + kOwnReportPeriodMs;
  }
  if (sim->trafficNextMs != kNever && now >= sim->trafficNextMs) {
    MoveFleetToNow(sim);
    const int count = NextTrafficMessage(&sim->fleet, UtcNow(nullptr), &sentences);
    SendSentences(sim, sentences);
    // The rate counts sentences: a two-sentence message takes two turns.
    sim->trafficNextMs += static_cast<int64_t>(llround((count > 0 ? count : 1) * 1000.0 / sim->options.rate));
    if (sim->trafficNextMs < now) sim->trafficNextMs = now;  // after a stall, no burst to catch up
  }
}

int64_t NextDeadline(Simulator* sim) {
  const bool looking = (sim->port.kind == PortKind::kPty && !sim->port.attached) ||
                       (sim->port.kind == PortKind::kDevice && sim->port.readFd < 0);
  // Set once per look, not pushed back by every other wake-up.
  if (!looking)
    sim->recheckNextMs = kNever;
  else if (sim->recheckNextMs == kNever)
    sim->recheckNextMs = sim->nowMs + (sim->port.kind == PortKind::kPty ? kPtyRecheckMs : kDeviceRecheckMs);
  int64_t next = Earliest(sim->endMs, sim->recheckNextMs);
  if (sim->options.role == Role::kSensor) return Earliest(next, sim->sensorNextMs);
  next = Earliest(next, sim->ownNextMs);
  next = Earliest(next, sim->trafficNextMs);
  next = Earliest(next, NextBbmDeadline(&sim->receiver));
  for (const PendingAnswer& a : sim->answers)
    if (a.used) next = Earliest(next, a.dueMs);
  if (sim->options.replay.file != nullptr) next = Earliest(next, NextReplayMoment(&sim->player));
  return next;
}

void Usage(FILE* out) {
  fprintf(out,
          "usage: asm-sim [--device PATH [--baud B] | --pty LINK] [--role presentation|sensor]\n"
          "               [--own-mmsi N] [--rate R] [--seed S] [--duration SECONDS] [--verbose]\n"
          "               [--abm-ack none|0|1|4] [--bbm-ack 2|3] [--ack-delay MS]\n"
          "               [--replay FILE [--link PORT] [--speed X] [--loop] [--respond]]\n"
          "\n"
          "Stands in for an AIS transponder on a serial line.\n"
          "  --pty LINK        make a pseudo-terminal and LINK a symbolic link to its slave\n"
          "                    (the client opens LINK); LINK is removed at exit\n"
          "  --device PATH     use a serial device, raw 8N1, at --baud (default %d)\n"
          "                    without either: standard input and output\n"
          "  --role R          presentation (default): own-ship VDO every %lld s, VDM traffic\n"
          "                    of every type, answers BBM and ABM with VDO and ABK;\n"
          "                    sensor: GGA, VTG, HDT and RMC once a second\n"
          "  --own-mmsi N      the own station's MMSI (default %u)\n"
          "  --rate R          VDM traffic in sentences per second, 0 for none (default %g)\n"
          "  --seed S          seed of the fleet's movements (default %llu: repeatable runs)\n"
          "  --duration S      stop after S seconds (default: run until interrupted)\n"
          "  --verbose         report every sentence sent and received on standard error\n"
          "  --abm-ack A       answer a complete ABM (message 6 or 12) with its VDO and an ABK\n"
          "                    of type A: 0 acknowledged (default), 1 not acknowledged, 4 type 1\n"
          "                    and then a late acknowledgement, none: the VDO but no ABK at all\n"
          "  --bbm-ack B       answer a complete BBM (message 8 or 14) with its VDO and ABK\n"
          "                    type 3 (default), or with ABK type 2 alone (could not broadcast)\n"
          "  --ack-delay MS    answer after MS milliseconds (default: 200 to 500 at random)\n"
          "  --replay FILE     instead of traffic, play the lines a port received in a\n"
          "                    recording (or any NMEA file), without their TAG blocks, with\n"
          "                    the recorded timing, from the moment the port has a listener;\n"
          "                    lines without a time follow at --rate lines a second (0: as\n"
          "                    fast as the port takes them); on standard output it ends\n"
          "                    with the file, a port stays open\n"
          "  --link PORT       the port whose received lines are played (default: the first\n"
          "                    source in the file; a file that names none plays every line)\n"
          "  --speed X         play X times as fast as recorded (default 1)\n"
          "  --loop            start again at the end of the file\n"
          "  --respond         answer BBM and ABM as above, during the replay and after it\n",
          kDefaultBaud, static_cast<long long>(kOwnReportPeriodMs / 1000), kDefaultOwnMmsi, kDefaultRate,
          static_cast<unsigned long long>(kDefaultSeed));
}

bool ParseNumber(const char* text, double lowest, double highest, double* out) {
  char* end = nullptr;
  errno = 0;
  const double value = strtod(text, &end);
  if (errno != 0 || end == text || *end != 0 || !std::isfinite(value) || value < lowest || value > highest)
    return false;
  *out = value;
  return true;
}

bool ParseWhole(const char* text, unsigned long long highest, unsigned long long* out) {
  char* end = nullptr;
  errno = 0;
  if (text[0] == '-' || text[0] == 0) return false;
  const unsigned long long value = strtoull(text, &end, 10);
  if (errno != 0 || *end != 0 || value > highest) return false;
  *out = value;
  return true;
}

bool ParseReplayOption(int code, const char* value, ReplayOptions* r) {
  r->given = r->given || code != kOptionReplay;
  switch (code) {
    case kOptionReplay:
      r->file = value;
      return true;
    case kOptionLink:
      if (value[0] == 0 || strlen(value) > static_cast<size_t>(kTagStationChars))
        return Note("--link must name a port in 1 to %d characters, not \"%s\"", kTagStationChars, value), false;
      r->link = value;
      return true;
    case kOptionSpeed:
      if (!ParseNumber(value, 0.01, 1000, &r->speed))
        return Note("--speed must be 0.01 to 1000, not \"%s\"", value), false;
      return true;
    case kOptionLoop:
      r->loop = true;
      return true;
    default:
      r->respond = true;
      return true;
  }
}

// Returns 0 to run, else the exit code (0 after --help).
int ParseOptions(int argc, char** argv, Options* o, bool* help) {
  *o = {nullptr, nullptr, Role::kPresentation, kDefaultOwnMmsi, kDefaultRate, kDefaultSeed, 0, 0, false, 0, 3, -1, {}};
  o->replay.speed = 1;
  // clang-format off
  static const option kLong[] = {
      {"device", required_argument, nullptr, 'd'},
      {"pty", required_argument, nullptr, 'p'},
      {"role", required_argument, nullptr, 'r'},
      {"own-mmsi", required_argument, nullptr, 'm'},
      {"rate", required_argument, nullptr, 'R'},
      {"seed", required_argument, nullptr, 's'},
      {"duration", required_argument, nullptr, 't'},
      {"baud", required_argument, nullptr, 'b'},
      {"verbose", no_argument, nullptr, 'v'},
      {"abm-ack", required_argument, nullptr, 'A'},
      {"bbm-ack", required_argument, nullptr, 'B'},
      {"ack-delay", required_argument, nullptr, 'D'},
      {"help", no_argument, nullptr, 'h'},
      {"replay", required_argument, nullptr, kOptionReplay},
      {"link", required_argument, nullptr, kOptionLink},
      {"speed", required_argument, nullptr, kOptionSpeed},
      {"loop", no_argument, nullptr, kOptionLoop},
      {"respond", no_argument, nullptr, kOptionRespond},
      {nullptr, 0, nullptr, 0},
  };
  // clang-format on
  int c;
  unsigned long long whole = 0;
  while ((c = getopt_long(argc, argv, "d:p:r:m:R:s:t:b:vhA:B:D:", kLong, nullptr)) != -1) {
    switch (c) {
      case 'd':
        o->device = optarg;
        break;
      case 'p':
        o->pty = optarg;
        break;
      case 'r':
        if (strcmp(optarg, "presentation") == 0)
          o->role = Role::kPresentation;
        else if (strcmp(optarg, "sensor") == 0)
          o->role = Role::kSensor;
        else
          return Note("--role must be presentation or sensor, not \"%s\"", optarg), 2;
        break;
      case 'm':
        if (!ParseWhole(optarg, 999999999, &whole) || whole == 0)
          return Note("--own-mmsi must be 1 to 999999999, not \"%s\"", optarg), 2;
        o->ownMmsi = static_cast<uint32_t>(whole);
        break;
      case 'R':
        if (!ParseNumber(optarg, 0, 1000, &o->rate))
          return Note("--rate must be 0 to 1000 sentences per second, not \"%s\"", optarg), 2;
        break;
      case 's':
        if (!ParseWhole(optarg, ~0ull, &whole)) return Note("--seed must be a whole number, not \"%s\"", optarg), 2;
        o->seed = whole;
        break;
      case 't':
        if (!ParseNumber(optarg, 0.001, 1e9, &o->duration))
          return Note("--duration must be a positive number of seconds, not \"%s\"", optarg), 2;
        break;
      case 'b':
        if (!ParseWhole(optarg, 10000000, &whole) || !IsSupportedBaud(static_cast<int>(whole)))
          return Note("--baud must be one of 4800, 9600, 19200, 38400, 57600, 115200, not \"%s\"", optarg), 2;
        o->baud = static_cast<int>(whole);
        break;
      case 'v':
        o->verbose = true;
        break;
      case 'A':
        if (strcmp(optarg, "none") == 0)
          o->abmAck = kNoAnswer;
        else if (strcmp(optarg, "0") == 0 || strcmp(optarg, "1") == 0 || strcmp(optarg, "4") == 0)
          o->abmAck = optarg[0] - '0';
        else
          return Note("--abm-ack must be none, 0, 1 or 4, not \"%s\"", optarg), 2;
        break;
      case 'B':
        if (strcmp(optarg, "2") != 0 && strcmp(optarg, "3") != 0)
          return Note("--bbm-ack must be 2 or 3, not \"%s\"", optarg), 2;
        o->bbmAck = optarg[0] - '0';
        break;
      case 'D':
        if (!ParseWhole(optarg, 600000, &whole))
          return Note("--ack-delay must be 0 to 600000 milliseconds, not \"%s\"", optarg), 2;
        o->ackDelayMs = static_cast<int>(whole);
        break;
      case 'h':
        *help = true;
        return 0;
      case kOptionReplay:
      case kOptionLink:
      case kOptionSpeed:
      case kOptionLoop:
      case kOptionRespond:
        if (!ParseReplayOption(c, optarg, &o->replay)) return 2;
        break;
      default:
        Usage(stderr);
        return 2;
    }
  }
  if (optind < argc) return Note("unexpected argument \"%s\"; see --help", argv[optind]), 2;
  if (o->device != nullptr && o->pty != nullptr) return Note("--device and --pty exclude each other"), 2;
  if (o->baud != 0 && o->device == nullptr) return Note("--baud applies to --device only"), 2;
  if (o->baud == 0) o->baud = kDefaultBaud;
  if (o->replay.given && o->replay.file == nullptr)
    return Note("--link, --speed, --loop and --respond go with --replay"), 2;
  if (o->replay.file != nullptr && o->role == Role::kSensor) return Note("--replay plays as a presentation port"), 2;
  return 0;
}

bool OpenPort(Simulator* sim) {
  char error[700];
  const Options& o = sim->options;
  if (o.pty != nullptr) {
    if (!OpenPtyPort(&sim->port, o.pty, error, sizeof error)) return Note("%s", error), false;
    Note("pseudo-terminal %s linked as %s", sim->port.slavePath, o.pty);
  } else if (o.device != nullptr) {
    if (!OpenDevicePort(&sim->port, o.device, o.baud, error, sizeof error)) return Note("%s", error), false;
    Note("serial device %s at %d baud", o.device, o.baud);
  } else {
    OpenStdioPort(&sim->port);
  }
  return true;
}

bool OpenReplayFile(Simulator* sim) {
  const ReplayOptions& r = sim->options.replay;
  char error[700];
  const ReplaySettings settings{r.link, r.speed, sim->options.rate, r.loop};
  if (!OpenReplay(&sim->player, r.file, settings, error, sizeof error)) return Note("%s", error), false;
  const char* port = sim->player.choice.port;
  Note("replaying %s: %s%s, recorded timing at speed %g, lines without a time at %g a second%s%s", r.file,
       port[0] != 0 ? "the lines received on " : "every line not marked as sent", port, r.speed, sim->options.rate,
       r.loop ? ", looping" : "", r.respond ? ", answering BBM and ABM" : "");
  return true;
}

void InstallSignals(sigset_t* waitMask) {
  struct sigaction stop;
  memset(&stop, 0, sizeof stop);
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a closed reader shows as a write error instead
  // The signals are held except inside ppoll, so none slips in between the
  // check of the flag and the wait.
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGINT);
  sigaddset(&held, SIGTERM);
  sigprocmask(SIG_BLOCK, &held, waitMask);
  sigdelset(waitMask, SIGINT);
  sigdelset(waitMask, SIGTERM);
}

void Run(Simulator* sim, const sigset_t& waitMask) {
  const PortEvents events{OnLine, OnOverlong, OnStatus, sim};
  while (stopSignal == 0) {
    sim->nowMs = MonotonicMs();
    if (sim->endMs != kNever && sim->nowMs >= sim->endMs) break;
    RunTimers(sim);
    if (ReplayFinished(sim)) break;
    const int64_t next = NextDeadline(sim);
    pollfd fds[2];
    const int count = PortPollEntries(&sim->port, fds);
    timespec wait{0, 0};
    if (next != kNever) {
      const int64_t ms = next > sim->nowMs ? next - sim->nowMs : 0;
      wait = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    }
    const int ready = ppoll(fds, static_cast<nfds_t>(count), next == kNever ? nullptr : &wait, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      Note("poll failed: %s", strerror(errno));
      break;
    }
    sim->nowMs = MonotonicMs();
    if (ready > 0) HandlePortEvents(&sim->port, fds, count, &events);
    if (sim->port.kind == PortKind::kStdio && sim->port.writeFd < 0) break;  // the reader went away
  }
}

Simulator theSimulator;  // large buffers: static, for the whole run

}  // namespace

int main(int argc, char** argv) {
  Simulator* sim = &theSimulator;
  bool help = false;
  const int bad = ParseOptions(argc, argv, &sim->options, &help);
  if (bad != 0) return bad;
  if (help) {
    Usage(stdout);
    return 0;
  }
  sigset_t waitMask;
  InstallSignals(&waitMask);
  const Options& o = sim->options;
  if (o.replay.file != nullptr && !OpenReplayFile(sim)) return 1;
  if (!OpenPort(sim)) return 1;

  InitFleet(&sim->fleet, o.ownMmsi, o.seed);
  InitBbmReceiver(&sim->receiver, kBbmDefaultTimeoutMs);
  sim->answerRandom.state = o.seed ^ 0x5DEECE66Dull;
  sim->nowMs = MonotonicMs();
  sim->lastMoveMs = sim->nowMs;
  sim->endMs = o.duration > 0 ? sim->nowMs + static_cast<int64_t>(llround(o.duration * 1000)) : kNever;
  const bool replaying = o.replay.file != nullptr;
  sim->ownNextMs = replaying ? kNever : sim->nowMs;
  sim->trafficNextMs = o.rate > 0 && !replaying ? sim->nowMs + 500 : kNever;
  sim->sensorNextMs = sim->nowMs + MsToNextSecond();
  sim->lastDropReportMs = -1000000;
  if (o.role == Role::kSensor)
    Note("sensor port: GGA, VTG, HDT and RMC once a second, seed %llu", static_cast<unsigned long long>(o.seed));
  else if (!replaying)  // a replay said what it plays when it opened the file
    Note("presentation port of MMSI %u: own-ship reports every %lld s, traffic at %g sentences/s, seed %llu", o.ownMmsi,
         static_cast<long long>(kOwnReportPeriodMs / 1000), o.rate, static_cast<unsigned long long>(o.seed));

  Run(sim, waitMask);

  FlushPort(&sim->port);
  ClosePort(&sim->port);
  if (replaying) {
    const ReplayCounts& r = sim->player.counts;
    Note("replay: %ld lines played, %ld lost while nobody listened, %ld overlong lines skipped, in %ld pass%s",
         r.played, r.unheard, r.skipped, r.passes, r.passes == 1 ? "" : "es");
    CloseReplay(&sim->player);
  }
  const Counters& n = sim->counters;
  Note("%s: %ld sentences sent, %ld dropped messages, BBM and ABM: %ld transmitted, %ld failed, %ld bad input lines",
       stopSignal != 0 ? "stopped by signal" : "done", n.sentences, n.dropped, n.complete, n.failed, n.badInput);
  return 0;
}
