// The log under its real threading: two reader threads with their own
// intakes store at the same time; a main thread handles each notification
// synchronously (the reader waits, as with SendMessageA), notes and snapshots
// slots, reads each link's counters, drains its fate ring, and clears the log
// and resets the counts in between. No slot may be shared or torn, no count
// or fate lost.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_intake.h"
#include "tests/unit/nmea/intake_test_support.h"

namespace {

using intake_test::Framed;

constexpr int kMessagesPerReader = 300;

// Message k of a reader carries its tag in every fragment or field, so that a
// slot mixing two messages shows.
int Tag(int reader, int k) {
  return reader * 100000 + k;
}
int32_t KindOf(int k) {
  return k % 3 == 0 ? kSlotVdm : k % 3 == 1 ? kSlotVdo : kSlotAbk;
}
std::string Payload(int tag, int fragment) {
  return "1" + std::to_string(tag) + "F" + std::to_string(fragment) + std::string(tag % 50, 'w');
}

std::string Message(int reader, int k) {
  const int tag = Tag(reader, k);
  const std::string channel = reader == 0 ? "A" : "B";
  switch (KindOf(k)) {
    case kSlotVdm:
      return Framed("AIVDM,1,1,," + channel + "," + Payload(tag, 1) + ",0");
    case kSlotVdo:
      return Framed("AIVDO,2,1,3," + channel + "," + Payload(tag, 1) + ",0") +
             Framed("AIVDO,2,2,3," + channel + "," + Payload(tag, 2) + ",0");
    default:
      return Framed("AIABK," + std::to_string(tag) + "," + channel + ",8,1," + std::to_string(tag));
  }
}

// The tag of the one message a snapshot holds; -1 for an empty slot. Fails
// the test when the slot's stores mix messages.
int TagOfSnapshot(const SlotSnapshot& s) {
  if (s.kind == kSlotEmpty) {
    EXPECT_EQ(s.fragments.blocks[1].payloadText[0], 0);
    EXPECT_EQ(s.abk.fieldText[1][0], 0);
    return -1;
  }
  if (s.kind == kSlotAbk) {
    EXPECT_STREQ(s.abk.fieldText[1], s.abk.fieldText[5]) << "torn ABK";
    return atoi(s.abk.fieldText[1]);
  }
  const int tag = atoi(s.fragments.blocks[1].payloadText + 1);
  const int count = s.fragments.blocks[1].fragmentCountChar - '0';
  EXPECT_EQ(count, s.kind == kSlotVdo ? 2 : 1);
  for (int f = 1; f <= count; ++f)
    EXPECT_EQ(s.fragments.blocks[f].payloadText, Payload(tag, f)) << "torn fragments, fragment " << f;
  return tag;
}

struct Request {
  int reader;
  int32_t kind;
  int32_t slot;
  bool handled;
};

struct Mailbox {
  std::mutex lock;
  std::condition_variable changed;
  Request* pending[2] = {};
  int readersDone = 0;
};

struct Reader {
  int index;
  Mailbox* mailbox;
  static void OnNotify(void* context, int32_t kind, int32_t slot) {
    auto* self = static_cast<Reader*>(context);
    Request request{self->index, kind, slot, false};
    std::unique_lock<std::mutex> hold(self->mailbox->lock);
    self->mailbox->pending[self->index] = &request;
    self->mailbox->changed.notify_all();
    self->mailbox->changed.wait(hold, [&] { return request.handled; });
  }
};

TEST(LogThreads, TwoReadersStoreWhileTheMainThreadNotesSnapshotsAndClears) {
  auto log = std::make_unique<MessageLog>();
  InitLog(log.get());
  Mailbox mailbox;
  Reader readers[2] = {{0, &mailbox}, {1, &mailbox}};
  std::unique_ptr<IntakeCounters> counters[2] = {std::make_unique<IntakeCounters>(),
                                                 std::make_unique<IntakeCounters>()};
  std::unique_ptr<FateRing> rings[2] = {std::make_unique<FateRing>(), std::make_unique<FateRing>()};
  size_t streamBytes[2] = {};

  auto feed = [&](int r) {
    auto intake = std::make_unique<SentenceIntake>();
    *intake = SentenceIntake{};
    const IntakeTarget target{log.get(), &Reader::OnNotify, &readers[r],   r + 1,
                              nullptr,   counters[r].get(), rings[r].get()};
    std::string stream;
    for (int k = 0; k < kMessagesPerReader; ++k) stream += Message(r, k);
    streamBytes[r] = stream.size();  // read by the main thread after the join
    std::mt19937 random(r + 1);
    for (size_t at = 0; at < stream.size();) {
      const size_t chunk = std::min<size_t>(1 + random() % 128, stream.size() - at);
      FeedIntake(intake.get(), &target, reinterpret_cast<const uint8_t*>(stream.data() + at), static_cast<int>(chunk));
      at += chunk;
    }
    std::lock_guard<std::mutex> hold(mailbox.lock);
    ++mailbox.readersDone;
    mailbox.changed.notify_all();
  };
  std::thread first(feed, 0), second(feed, 1);

  // The main thread.
  auto snapshot = std::make_unique<SlotSnapshot>();
  std::mt19937 random(7);
  int handled[2] = {};
  int clears = 0;
  int clearsAtLastHandled[2] = {};
  int otherAtLastHandled[2] = {};
  int strictChecks = 0;
  IntakeCounts previous[2] = {};
  size_t fatesTaken[2] = {};
  // What the status bar and the monitor do at any moment: counts never go
  // back between resets, and every record comes from its own link.
  auto observe = [&] {
    for (int r = 0; r < 2; ++r) {
      const IntakeCounts now = ReadIntakeCounts(*counters[r]);
      for (int i = 0; i < kIntakeCounts; ++i) EXPECT_GE(now.of[i], previous[r].of[i]) << IntakeCountName(i);
      previous[r] = now;
      for (SentenceFate fate; TakeFate(rings[r].get(), &fate); ++fatesTaken[r]) EXPECT_EQ(fate.link, r + 1);
    }
  };
  int resets = 0;
  auto resetCounts = [&] {
    for (int r = 0; r < 2; ++r) {
      ResetIntakeCounts(counters[r].get());
      previous[r] = IntakeCounts{};
    }
    ++resets;
  };
  for (;;) {
    Request* request = nullptr;
    {
      std::unique_lock<std::mutex> hold(mailbox.lock);
      mailbox.changed.wait_for(hold, std::chrono::microseconds(200),
                               [&] { return mailbox.pending[0] || mailbox.pending[1] || mailbox.readersDone == 2; });
      request = mailbox.pending[0] ? mailbox.pending[0] : mailbox.pending[1];
      if (!request && mailbox.readersDone == 2) break;
    }
    if (!request) {
      // Idle: what a click or "Clear Logs" does while readers store.
      TakeSlotSnapshot(log.get(), static_cast<int32_t>(random() % kLogSlots), snapshot.get());
      TagOfSnapshot(*snapshot);
      observe();
      if (random() % 8 == 0) {
        ClearLog(log.get());
        resetCounts();
        ++clears;
      }
      continue;
    }
    const int r = request->reader;
    const int k = handled[r]++;
    EXPECT_EQ(request->kind, KindOf(k));
    EXPECT_GE(request->slot, 0);
    EXPECT_LT(request->slot, kLogSlots);
    NoteStoredSlot(log.get(), request->slot, request->kind);
    TakeSlotSnapshot(log.get(), request->slot, snapshot.get());
    const int tag = TagOfSnapshot(*snapshot);
    // Stores of the other reader since this reader's previous notification,
    // counting one that may be waiting.
    const int otherStores = handled[1 - r] - otherAtLastHandled[r] + 1;
    if (clears == clearsAtLastHandled[r] && otherStores < kLogSlots - 1) {
      // No clear since this reader stored, and the ring cannot have come
      // round: its slot holds its message, so the other reader cannot have
      // claimed the same slot.
      EXPECT_EQ(tag, Tag(r, k)) << "slot " << request->slot;
      EXPECT_EQ(log->slots[request->slot].messageId, KindOf(k) == kSlotAbk ? 8 : 1);
      ++strictChecks;
    }
    clearsAtLastHandled[r] = clears;
    otherAtLastHandled[r] = handled[1 - r];
    // While this reader waits the other one runs on.
    observe();
    if (random() % 16 == 0) resetCounts();
    std::lock_guard<std::mutex> hold(mailbox.lock);
    mailbox.pending[r] = nullptr;
    request->handled = true;
    mailbox.changed.notify_all();
  }
  first.join();
  second.join();
  EXPECT_EQ(handled[0], kMessagesPerReader);
  EXPECT_EQ(handled[1], kMessagesPerReader);
  EXPECT_GT(strictChecks, kMessagesPerReader);
  EXPECT_GT(resets, 0);

  // Nothing was lost: the counts since the last reset plus those before it
  // are the whole traffic, and every fate was taken or counted as missed.
  observe();
  const uint64_t vdos = kMessagesPerReader / 3;  // the two-fragment messages
  for (int r = 0; r < 2; ++r) {
    IntakeCounts total = ReadIntakeCounts(*counters[r]);
    for (int i = 0; i < kIntakeCounts; ++i) total.of[i] += counters[r]->baseline.of[i];
    EXPECT_EQ(total.of[kFateStored], static_cast<uint64_t>(kMessagesPerReader));
    EXPECT_EQ(total.of[kFateFragmentHeld], vdos);
    EXPECT_EQ(total.of[kCountSentences], kMessagesPerReader + vdos);
    EXPECT_EQ(total.of[kCountBytes], streamBytes[r]);
    EXPECT_EQ(fatesTaken[r] + MissedFates(*rings[r]), kMessagesPerReader + vdos);
  }
}

}  // namespace
