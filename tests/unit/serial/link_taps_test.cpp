// Taps on the links: a fixed list that every received chunk, every write
// result and every open and close reach, attached and detached while a
// reader keeps calling it.
#include "serial/link_taps.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
  std::vector<std::string> calls;
};

void Received(void* context, int link, const uint8_t* bytes, int count) {
  static_cast<Seen*>(context)->calls.push_back("rx " + std::to_string(link) + " " +
                                               std::string(reinterpret_cast<const char*>(bytes), count));
}

void Wrote(void* context, int link, const uint8_t* bytes, int count, LinkWriteResult result) {
  static_cast<Seen*>(context)->calls.push_back("tx " + std::to_string(link) + " " +
                                               std::string(reinterpret_cast<const char*>(bytes), count) + " " +
                                               std::to_string(result));
}

void State(void* context, int link, const char* portName) {
  static_cast<Seen*>(context)->calls.push_back("state " + std::to_string(link) + " " +
                                               (portName != nullptr ? portName : "closed"));
}

const uint8_t kBytes[] = {'$', 'G', 'P'};

TEST(LinkTaps, EveryAttachedTapSeesEveryChunkAndWrite) {
  LinkTapList list{};
  Seen seen[kMaxLinkTaps + 1];
  LinkTap taps[kMaxLinkTaps + 1];
  for (int i = 0; i <= kMaxLinkTaps; ++i) taps[i] = {Received, Wrote, &seen[i], i == 0 ? nullptr : State};
  for (int i = 0; i < kMaxLinkTaps; ++i) EXPECT_TRUE(AttachLinkTap(&list, &taps[i])) << i;
  EXPECT_FALSE(AttachLinkTap(&list, &taps[kMaxLinkTaps]));  // the list is full
  DetachLinkTap(&list, &taps[1]);
  EXPECT_FALSE(AttachLinkTap(&list, &taps[0]));  // attached already
  EXPECT_TRUE(AttachLinkTap(&list, &taps[kMaxLinkTaps]));

  TapReceived(&list, 2, kBytes, 3);
  TapWrote(&list, 1, kBytes, 2, kLinkPortStalled);
  TapLinkState(&list, 0, "COM7");
  TapLinkState(&list, 0, nullptr);
  const std::vector<std::string> all = {"rx 2 $GP", "tx 1 $G 2", "state 0 COM7", "state 0 closed"};
  for (int i : {2, 3, kMaxLinkTaps}) EXPECT_EQ(seen[i].calls, all) << i;
  EXPECT_EQ(seen[0].calls, std::vector<std::string>(all.begin(), all.begin() + 2));  // no state function
  EXPECT_TRUE(seen[1].calls.empty());                                                // detached
}

TEST(LinkTaps, AReaderSeesEachTapWholeWhileTheMainThreadAttachesAndDetaches) {
  LinkTapList list{};
  std::atomic<int> calls{0};
  struct Counting {
    std::atomic<int>* calls;
    int expected;
  } counting{&calls, 7};
  const LinkTap tap{[](void* context, int link, const uint8_t*, int) {
                      auto* c = static_cast<Counting*>(context);
                      if (link == c->expected) c->calls->fetch_add(1);
                    },
                    nullptr, &counting};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done.load()) TapReceived(&list, 7, kBytes, 3);
  });
  for (int round = 0; round < 2000; ++round) {
    AttachLinkTap(&list, &tap);
    DetachLinkTap(&list, &tap);
  }
  AttachLinkTap(&list, &tap);
  while (calls.load() == 0) std::this_thread::yield();
  done.store(true);
  reader.join();
  EXPECT_GT(calls.load(), 0);
}

}  // namespace
