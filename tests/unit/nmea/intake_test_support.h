// Shared fixtures of the intake tests: a log and an intake that live on the
// heap (they are large), and a target that records every notification.
#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "log/message_log.h"
#include "nmea/sentence_intake.h"

namespace intake_test {

struct Stored {
  uint32_t notification;
  int32_t slot;
  bool operator==(const Stored&) const = default;
};

// A log, the notifications it received and, at each one, what the main
// thread would see: the slot's kind and its noted timeline fields.
struct Recorder {
  std::unique_ptr<MessageLog> log = std::make_unique<MessageLog>();
  std::vector<Stored> stored;
  bool note = true;
  IntakeTarget target{log.get(), &Recorder::OnNotify, this};

  Recorder() { InitLog(log.get()); }

  static void OnNotify(void* context, uint32_t notification, int32_t slot) {
    auto* self = static_cast<Recorder*>(context);
    self->stored.push_back({notification, slot});
    if (self->note) NoteStoredSlot(self->log.get(), slot, notification);
  }
  const LogSlot& Slot(int i) const { return log->slots[i]; }
};

inline std::unique_ptr<SentenceIntake> NewIntake() {
  auto intake = std::make_unique<SentenceIntake>();
  *intake = SentenceIntake{};
  return intake;
}

inline void Feed(SentenceIntake* intake, const Recorder& recorder, const std::string& bytes) {
  FeedIntake(intake, &recorder.target, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

// "!" + body + "*" + its checksum + CR LF, as a transponder sends it.
inline std::string Framed(const std::string& body, char start = '!') {
  unsigned sum = 0;
  for (unsigned char c : body) sum ^= c;
  char digits[3];
  snprintf(digits, sizeof digits, "%02X", sum);
  return std::string(1, start) + body + "*" + digits + "\r\n";
}

}  // namespace intake_test
