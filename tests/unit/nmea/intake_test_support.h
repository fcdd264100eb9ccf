// Shared fixtures of the intake tests: a log, counters and a fate ring that
// live on the heap (they are large), and a target that records every
// notification and, after each feed, every fate record.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_intake.h"
#include "nmea/sentence_writer.h"

namespace intake_test {

struct Stored {
  int32_t kind;
  int32_t slot;
  bool operator==(const Stored&) const = default;
};

constexpr int64_t kTestTime = 1733600000123;  // what the test clock always says

// A log, the notifications it received and, at each one, what the main
// thread would see: the slot's kind and its noted timeline fields. Fate
// records are drained from the ring after each Feed.
struct Recorder {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  std::unique_ptr<IntakeCounters> counters = std::make_unique<IntakeCounters>();
  std::unique_ptr<FateRing> ring = std::make_unique<FateRing>();
  std::vector<Stored> stored;
  std::vector<SentenceFate> fates;
  bool note = true;
  IntakeTarget target{log.get(), &Recorder::OnNotify, this, 1, &Recorder::Clock, counters.get(), ring.get()};

  Recorder() { InitLog(log.get()); }

  static void OnNotify(void* context, int32_t kind, int32_t slot) {
    auto* self = static_cast<Recorder*>(context);
    self->stored.push_back({kind, slot});
    if (self->note) NoteStoredSlot(self->target.log, slot, kind);
  }
  static int64_t Clock(void*) { return kTestTime; }
  const LogSlot& Slot(int i) const { return target.log->slots[i]; }
  void Drain() {
    for (SentenceFate fate; TakeFate(ring.get(), &fate);) fates.push_back(fate);
  }
  std::vector<FateCode> Codes() const {
    std::vector<FateCode> codes;
    for (const SentenceFate& fate : fates) codes.push_back(fate.code);
    return codes;
  }
};

inline std::unique_ptr<SentenceIntake> NewIntake() {
  auto intake = std::make_unique<SentenceIntake>();
  *intake = SentenceIntake{};
  return intake;
}

inline void FeedTarget(SentenceIntake* intake, const IntakeTarget& target, const std::string& bytes) {
  FeedIntake(intake, &target, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

inline void Feed(SentenceIntake* intake, Recorder& recorder, const std::string& bytes) {
  FeedTarget(intake, recorder.target, bytes);
  recorder.Drain();
}

// "!" + body + "*" + its checksum + CR LF, as a transponder sends it; of
// any length, so that tests can frame sentences longer than a writer may.
inline std::string Framed(const std::string& body, char start = '!') {
  std::string sentence(body.size() + 8, '\0');
  const int length = FrameSentence(sentence.data(), static_cast<int>(sentence.size()), start, body.data(),
                                   static_cast<int>(body.size()));
  sentence.resize(static_cast<size_t>(length));
  return sentence;
}

}  // namespace intake_test
