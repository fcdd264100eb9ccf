// The hand-over between a close that gives up waiting and a reader stuck in
// its driver: the session is released exactly once, by one side, and an
// abandoned reader delivers nothing more.
#include "serial/reader_handover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(ReaderHandover, EachOrderOfEventsGivesTheSessionToOneSide) {
  ReaderHandover h{};
  // Abandoned while in the driver: no more deliveries, the reader releases.
  ASSERT_TRUE(BeginDelivery(&h));
  EndDelivery(&h);
  EXPECT_EQ(AbandonReader(&h), kAbandoned);
  EXPECT_FALSE(BeginDelivery(&h));
  EXPECT_TRUE(EndReaderSession(&h));

  // Ended before the close gave up: the close releases.
  h.state.store(kReaderInDriver);
  EXPECT_FALSE(EndReaderSession(&h));
  EXPECT_EQ(AbandonReader(&h), kAlreadyEnded);

  // Delivering: the close must wait and ask again.
  h.state.store(kReaderInDriver);
  ASSERT_TRUE(BeginDelivery(&h));
  EXPECT_EQ(AbandonReader(&h), kBusyDelivering);
  EndDelivery(&h);
  EXPECT_EQ(AbandonReader(&h), kAbandoned);
}

TEST(ReaderHandover, RacingCloseAndReaderReleaseOnceAndDeliverNothingAfter) {
  for (int round = 0; round < 300; ++round) {
    ReaderHandover h{};
    std::atomic<bool> abandoned{false};
    std::atomic<int> releases{0};
    std::atomic<int> lateDeliveries{0};
    std::thread reader([&] {
      for (int chunk = 0; chunk < round % 40; ++chunk) {
        if (!BeginDelivery(&h)) break;
        if (abandoned.load()) lateDeliveries.fetch_add(1);
        EndDelivery(&h);
      }
      if (EndReaderSession(&h)) releases.fetch_add(1);
    });
    AbandonResult result;
    while ((result = AbandonReader(&h)) == kBusyDelivering) std::this_thread::yield();
    if (result == kAbandoned)
      abandoned.store(true);
    else
      releases.fetch_add(1);
    reader.join();
    EXPECT_EQ(releases.load(), 1) << round;
    EXPECT_EQ(lateDeliveries.load(), 0) << round;
  }
}

}  // namespace
