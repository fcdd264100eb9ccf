// Reassembly and line framing as a multiplexed transponder line delivers
// them, at every chunk size a reader can deliver: every complete message is
// stored exactly once with its own fragments and nothing else, and every
// sentence gets the fate it should.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "intake_test_support.h"
#include "nmea/sentence_intake.h"

namespace {

using intake_test::FeedTarget;
using intake_test::Framed;
using intake_test::NewIntake;
using intake_test::Recorder;

std::string Fragment(const char* formatter, int count, int number, const char* id, char channel,
                     const std::string& payload) {
  return Framed(std::string("AI") + formatter + "," + std::to_string(count) + "," + std::to_string(number) + "," + id +
                "," + channel + "," + payload + ",0");
}
std::string Vdm(int count, int number, const char* id, char channel, const std::string& payload) {
  return Fragment("VDM", count, number, id, channel, payload);
}

// The same sentence with other line ends than CR LF.
std::string EndedBy(std::string sentence, const std::string& ending) {
  return sentence.substr(0, sentence.size() - 2) + ending;
}

// The same sentence with its checksum spoilt.
std::string Spoilt(std::string sentence) {
  sentence[sentence.size() - 3] ^= 1;
  return sentence;
}

struct Message {
  int32_t kind;
  char channel;
  std::vector<std::string> payloads;  // fragments 1 to n; none for an ABK
};

constexpr FateCode S = kFateStored, H = kFateFragmentHeld, O = kFateOutOfOrder, I = kFateIgnored,
                   N = kFateNoStartCharacter, C = kFateCutShort, M = kFateChecksumMismatch;

// Two-fragment messages, ids 3 and 4 on channels A and B.
const std::string A1 = Vdm(2, 1, "3", 'A', "5a1"), A2 = Vdm(2, 2, "3", 'A', "a2");
const std::string B1 = Vdm(2, 1, "4", 'B', "5b1"), B2 = Vdm(2, 2, "4", 'B', "b2");
const Message kA{kSlotVdm, 'A', {"5a1", "a2"}}, kB{kSlotVdm, 'B', {"5b1", "b2"}};
// Three fragments, id 1 on A; five, id 2 on B.
const std::string X1 = Vdm(3, 1, "1", 'A', "5x1"), X2 = Vdm(3, 2, "1", 'A', "x2"), X3 = Vdm(3, 3, "1", 'A', "x3");
const Message kX{kSlotVdm, 'A', {"5x1", "x2", "x3"}};
const std::string Y1 = Vdm(5, 1, "2", 'B', "5y1"), Y2 = Vdm(5, 2, "2", 'B', "y2"), Y3 = Vdm(5, 3, "2", 'B', "y3"),
                  Y4 = Vdm(5, 4, "2", 'B', "y4"), Y5 = Vdm(5, 5, "2", 'B', "y5");
const Message kY{kSlotVdm, 'B', {"5y1", "y2", "y3", "y4", "y5"}};
const std::string kSingle = "!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5F\r\n";
const Message kSingleMessage{kSlotVdm, 'A', {"15M67FC000G?ufbE`FepT@3n00Sa"}};
const std::string kAbk = Framed("AIABK,235009802,B,8,2,0", '$');
const std::string kGga = Framed("GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,", '$');

struct Case {
  const char* reason;
  std::string bytes;
  std::vector<FateCode> fates;
  std::vector<Message> stored;
};

const Case kCases[] = {
    {"two messages of two fragments interleaved", A1 + B1 + A2 + B2, {H, H, S, S}, {kA, kB}},
    {"three and five fragments interleaved, a single-sentence message between",
     X1 + Y1 + X2 + Y2 + kSingle + Y3 + X3 + Y4 + Y5,
     {H, H, H, H, S, H, S, H, S},
     {kSingleMessage, kX, kY}},
    {"a stray last fragment, after a message with its id completed",
     A1 + A2 + A2 + kSingle,
     {H, S, O, S},
     {kA, kSingleMessage}},
    {"an orphan first fragment, then other traffic",
     A1 + kSingle + kAbk + kGga + B1 + B2,
     {H, S, S, I, H, S},
     {kSingleMessage, {kSlotAbk, 0, {}}, kB}},
    {"a repeated first fragment restarts the message", Vdm(2, 1, "3", 'A', "5old") + A1 + A2, {H, H, S}, {kA}},
    {"a gap drops the partial message, a new start completes", X1 + X3 + X2 + X1 + X2 + X3, {H, O, O, H, H, S}, {kX}},
    {"a shorter message after a longer one with the same id",
     X1 + X2 + X3 + Vdm(2, 1, "1", 'A', "5z1") + Vdm(2, 2, "1", 'A', "z2"),
     {H, H, S, H, S},
     {kX, {kSlotVdm, 'A', {"5z1", "z2"}}}},
    {"a different fragment count", A1 + Vdm(3, 2, "3", 'A', "a2"), {H, O}, {}},
    {"a different channel", A1 + Vdm(2, 2, "3", 'B', "a2"), {H, O}, {}},
    {"the empty identifier is a key of its own",
     Vdm(2, 1, "", 'A', "5e1") + A1 + Vdm(2, 2, "", 'A', "e2") + A2,
     {H, H, S, S},
     {{kSlotVdm, 'A', {"5e1", "e2"}}, kA}},
    {"VDM and VDO with the same id do not mix",
     A1 + Fragment("VDO", 2, 1, "3", 'A', "5o1") + A2 + Fragment("VDO", 2, 2, "3", 'A', "o2"),
     {H, H, S, S},
     {kA, {kSlotVdo, 'A', {"5o1", "o2"}}}},
    {"a fragment with a bad checksum, then the good one", A1 + Spoilt(A2) + A2, {H, M, S}, {kA}},
    {"CR CR LF line ends",
     EndedBy(kSingle, "\r\r\n") + EndedBy(B1, "\r\r\n") + EndedBy(B2, "\r\r\n"),
     {S, H, S},
     {kSingleMessage, kB}},
    {"CR LF CR LF line ends (blank lines)",
     kSingle + "\r\n" + B1 + "\r\n" + B2 + "\r\n",
     {S, H, S},
     {kSingleMessage, kB}},
    {"a line of text without a start character between two sentences",
     kSingle + "hello\r\n\r\n" + kSingle,
     {S, N, S},
     {kSingleMessage, kSingleMessage}},
    {"TAG-block prefixes",
     "\\g:1-2-73874,c:1671620143*3F\\" + A1 + "\\g:2-2-73874*59\\" + A2 + "\\c:1*0D\\" + kSingle,
     {H, S, S},
     {kA, kSingleMessage}},
    {"a sensor sentence between fragments", A1 + kGga + A2, {H, I, S}, {kA}},
    {"a sentence cut short by the next start character", "!AIVDM,2,2,3,A,a2" + A1 + A2, {C, H, S}, {kA}},
    {"a line feed alone ends nothing inside a sentence", EndedBy(kSingle, "\n") + kSingle, {C, S}, {kSingleMessage}},
};

// Empty when the slot holds exactly the message: blocks 1 to n with its
// fragments, every other block empty; else what differs.
std::string SlotProblem(const LogSlot& slot, const Message& m) {
  if (slot.kind != m.kind) return "kind " + std::to_string(slot.kind);
  if (m.kind == kSlotAbk) return "";
  const int n = static_cast<int>(m.payloads.size());
  for (int b = 0; b < kLogFragmentBlocks; ++b) {
    const FragmentBlock& block = slot.fragments.blocks[b];
    const std::string at = " in block " + std::to_string(b);
    if (b < 1 || b > n) {
      if (block.payloadText[0] != 0 || block.fragmentNumberChar != 0) return "stale fragment" + at;
      continue;
    }
    if (block.payloadText != m.payloads[b - 1]) return std::string("payload ") + block.payloadText + at;
    if (block.fragmentNumberChar != '0' + b || block.fragmentCountChar != '0' + n) return "fragment number" + at;
    if (block.channelChar != m.channel) return "channel" + at;
  }
  return "";
}

// Empty when the recorder's fates and stored slots are those expected.
std::string Problem(const Recorder& recorder, const std::vector<FateCode>& fates, const std::vector<Message>& stored) {
  if (recorder.Codes() != fates) {
    std::string got = "fates";
    for (FateCode code : recorder.Codes()) got += std::string(" ") + FateName(code);
    return got;
  }
  size_t next = 0;
  for (const SentenceFate& fate : recorder.fates) {
    if (fate.code != kFateStored) continue;
    if (next == stored.size()) return "stored too many";
    const std::string problem = SlotProblem(recorder.Slot(fate.details.slot), stored[next]);
    if (!problem.empty()) return "message " + std::to_string(next) + ": " + problem;
    ++next;
  }
  return next == stored.size() ? "" : "stored too few";
}

void FeedInChunks(SentenceIntake* intake, Recorder& recorder, const std::string& bytes, size_t chunk) {
  for (size_t at = 0; at < bytes.size(); at += chunk) {
    FeedTarget(intake, recorder.target, bytes.substr(at, chunk));
    recorder.Drain();
  }
}

TEST(Reassembly, EveryMessageStoredOnceWithItsOwnFragmentsAtEveryChunkSize) {
  for (const Case& c : kCases) {
    for (size_t chunk = 1; chunk <= 128; ++chunk) {
      Recorder recorder;
      auto intake = NewIntake();
      FeedInChunks(intake.get(), recorder, c.bytes, chunk);
      const std::string problem = Problem(recorder, c.fates, c.stored);
      ASSERT_EQ(problem, "") << c.reason << ", chunk " << chunk;
      ASSERT_EQ(recorder.stored.size(), c.stored.size()) << c.reason << ", chunk " << chunk;
    }
  }
}

TEST(Reassembly, TwoLinksWithTheSameIdsKeepTheirOwnMessagesAtEveryChunkSize) {
  // Link 2 reuses ids 3 and 4 for other messages, on the other channels.
  const std::string link1 = A1 + B1 + X1 + A2 + X2 + B2 + X3;
  const std::string link2 = Vdm(2, 1, "4", 'A', "5c1") + Vdm(2, 1, "3", 'B', "5d1") + Y1 + Y2 +
                            Vdm(2, 2, "3", 'B', "d2") + Y3 + Y4 + Vdm(2, 2, "4", 'A', "c2") + Y5;
  const Message kC{kSlotVdm, 'A', {"5c1", "c2"}}, kD{kSlotVdm, 'B', {"5d1", "d2"}};
  for (size_t chunk = 1; chunk <= 128; ++chunk) {
    Recorder first, second;
    second.target.log = first.log.get();  // one log, as in the client
    second.target.link = 2;
    auto intake1 = NewIntake();
    auto intake2 = NewIntake();
    for (size_t at = 0; at < link1.size() || at < link2.size(); at += chunk) {
      if (at < link1.size()) FeedTarget(intake1.get(), first.target, link1.substr(at, chunk));
      if (at < link2.size()) FeedTarget(intake2.get(), second.target, link2.substr(at, chunk));
      first.Drain();
      second.Drain();
    }
    ASSERT_EQ(Problem(first, {H, H, H, S, H, S, S}, {kA, kB, kX}), "") << "link 1, chunk " << chunk;
    ASSERT_EQ(Problem(second, {H, H, H, H, S, H, H, S, S}, {kD, kC, kY}), "") << "link 2, chunk " << chunk;
    for (const SentenceFate& fate : second.fates) ASSERT_EQ(fate.link, 2);
  }
}

}  // namespace
