// Sentence intake: checksum, typing, fields, the malformed input it must drop
// without losing what follows, and the state it carries between calls.
#include "nmea/sentence_intake.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <string>

#include "intake_test_support.h"

namespace {

using intake_test::Feed;
using intake_test::Framed;
using intake_test::NewIntake;
using intake_test::Recorder;
using intake_test::Stored;

const std::string kType1 = "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n";
const std::string kType5First = "!AIVDO,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1E\r\n";
const std::string kType5Second = "!AIVDO,2,2,1,A,88888888880,2*27\r\n";

TEST(SentenceIntake, ChecksumDecidesWhetherASentenceIsStored) {
  struct Case {
    std::string bytes;
    FateCode fate;
    const char* reason;
  } cases[] = {
      {kType1, kFateStored, "correct checksum"},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CR,0*4A\r\n", kFateChecksumMismatch, "payload changed, old checksum"},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0\r\n", kFateStored, "no checksum at all"},
      {"!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5c\r\n", kFateStored, "lower-case digits"},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4G\r\n", kFateChecksumMismatch, "second digit not hexadecimal"},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*:A\r\n", kFateChecksumMismatch, "first digit not hexadecimal"},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*\r\n", kFateChecksumMismatch, "star without digits"},
      {"!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A,b003660465\r\n", kFateStored, "receiver tag after checksum"},
  };
  for (const Case& c : cases) {
    Recorder recorder;
    auto intake = NewIntake();
    // A stored sentence first, so that a checksum field left over from it
    // cannot make a later sentence pass.
    Feed(intake.get(), recorder, kType1);
    Feed(intake.get(), recorder, c.bytes);
    EXPECT_EQ(recorder.stored.size(), c.fate == kFateStored ? 2u : 1u) << c.reason;
    ASSERT_EQ(recorder.fates.size(), 2u) << c.reason;
    EXPECT_EQ(recorder.fates[1].code, c.fate) << c.reason;
  }
}

TEST(SentenceIntake, SentenceTypeComesFromTheAddressField) {
  struct Case {
    std::string bytes;
    std::vector<Stored> stored;
    const char* reason;
  } cases[] = {
      {kType1, {{kSlotVdm, 0}}, "VDM"},
      {Framed("AIVDO,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0"), {{kSlotVdo, 0}}, "VDO"},
      {Framed("AIABK,235009802,B,8,2,0"), {{kSlotAbk, 0}}, "ABK"},
      {Framed("VDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0"), {{kSlotVdm, 0}}, "no talker"},
      {Framed("AIBBM,1,1,0,1,8,04a9M>1@PU>0U>06185=08E99V1@E=4,0"), {}, "BBM is ignored"},
      {Framed("GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,", '$'), {}, "GGA is ignored"},
      {Framed("GPGGA,VDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0", '$'), {}, "VDM in a later field"},
      {Framed("AIVDM,1,1,,A,1ABKVDO0ABK;90TKcjM8h6g208CQ,0"), {{kSlotVdm, 0}}, "ABK and VDO in a payload"},
      {Framed("AIVDMX,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0"), {{kSlotVdm, 0}}, "type stays once recognised"},
  };
  for (const Case& c : cases) {
    Recorder recorder;
    auto intake = NewIntake();
    Feed(intake.get(), recorder, c.bytes);
    EXPECT_EQ(recorder.stored, c.stored) << c.reason;
  }
}

TEST(SentenceIntake, StoresFieldsOfAVdmFragmentAndOfAnAbk) {
  Recorder recorder;
  auto intake = NewIntake();
  // A long sentence first leaves texts in the fields beyond those of the ABK.
  Feed(intake.get(), recorder, Framed("GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,", '$'));
  Feed(intake.get(), recorder, kType1 + Framed("AIABK,235009802,B,8,2,0"));
  ASSERT_EQ(recorder.stored.size(), 2u);
  const LogSlot& vdm = recorder.Slot(0);
  EXPECT_EQ(vdm.kind, kSlotVdm);
  const FragmentBlock& block = vdm.fragments.blocks[1];
  EXPECT_EQ(block.fragmentCountChar, '1');
  EXPECT_EQ(block.fragmentNumberChar, '1');
  EXPECT_EQ(block.sequenceIdChar, 0);
  EXPECT_EQ(block.channelChar, 'A');
  EXPECT_STREQ(block.payloadText, "15RTgt0PAso;90TKcjM8h6g208CQ");
  EXPECT_EQ(block.fillBitsChar, '0');
  const LogSlot& abk = recorder.Slot(1);
  EXPECT_EQ(abk.kind, kSlotAbk);
  EXPECT_STREQ(abk.abk.fieldText[0], "AIABK");
  EXPECT_STREQ(abk.abk.fieldText[1], "235009802");
  EXPECT_STREQ(abk.abk.fieldText[2], "B");
  EXPECT_STREQ(abk.abk.fieldText[5], "0");
  // Neither the checksum nor the GGA's fields ride along.
  for (int i = 6; i < kAbkFields; ++i) EXPECT_STREQ(abk.abk.fieldText[i], "") << "field " << i;
}

TEST(SentenceIntake, FragmentEndingAtItsPayloadHasNoFillBits) {
  Recorder recorder;
  auto intake = NewIntake();
  Feed(intake.get(), recorder, Framed("AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ"));
  ASSERT_EQ(recorder.stored.size(), 1u);
  EXPECT_EQ(recorder.Slot(0).fragments.blocks[1].fillBitsChar, 0);  // not the checksum's first digit
}

TEST(SentenceIntake, TwoFragmentVdoIsStoredOnceAtItsLastFragment) {
  Recorder recorder;
  auto intake = NewIntake();
  Feed(intake.get(), recorder, kType5First);
  EXPECT_TRUE(recorder.stored.empty());
  Feed(intake.get(), recorder, kType5Second);
  ASSERT_EQ(recorder.stored, (std::vector<Stored>{{kSlotVdo, 0}}));
  const LogSlot& slot = recorder.Slot(0);
  EXPECT_EQ(slot.kind, kSlotVdo);
  EXPECT_STREQ(slot.fragments.blocks[1].payloadText, "55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8");
  EXPECT_STREQ(slot.fragments.blocks[2].payloadText, "88888888880");
  EXPECT_EQ(slot.messageId, 5);
  EXPECT_EQ(recorder.log->nextSlot.load(), 1);
}

TEST(SentenceIntake, SplitAtAnyByteGivesTheSameResultAsWhole) {
  const std::string stream = kType5First + kType1 + kType5Second + Framed("AIABK,235009802,B,8,2,0");
  Recorder whole;
  auto wholeIntake = NewIntake();
  Feed(wholeIntake.get(), whole, stream);
  ASSERT_EQ(whole.stored.size(), 3u);
  for (size_t cut = 1; cut < stream.size(); ++cut) {
    Recorder split;
    auto intake = NewIntake();
    Feed(intake.get(), split, stream.substr(0, cut));
    Feed(intake.get(), split, stream.substr(cut));
    ASSERT_EQ(split.stored, whole.stored) << "cut at " << cut;
    for (int s = 0; s < 3; ++s) {
      ASSERT_EQ(memcmp(&split.Slot(s), &whole.Slot(s), sizeof(LogSlot)), 0) << "cut at " << cut << " slot " << s;
    }
  }
}

TEST(SentenceIntake, PayloadTooLongToStoreIsDroppedNotCut) {
  for (int length : {168, 169, 500}) {
    Recorder recorder;
    auto intake = NewIntake();
    const std::string payload(length, 'w');
    Feed(intake.get(), recorder, Framed("AIVDM,1,1,,A," + payload + ",0"));
    if (length <= kPayloadTextChars) {
      ASSERT_EQ(recorder.stored.size(), 1u) << length;
      EXPECT_EQ(recorder.Slot(0).fragments.blocks[1].payloadText, payload);
    } else {
      EXPECT_TRUE(recorder.stored.empty()) << length;
      EXPECT_EQ(recorder.fates.back().code, kFatePayloadTooLong) << length;
      EXPECT_EQ(recorder.fates.back().details.length, length);
    }
    Feed(intake.get(), recorder, kType1);  // the intake carries on
    EXPECT_EQ(recorder.stored.back().kind, kSlotVdm);
  }
}

TEST(SentenceIntake, SentenceCutShortBeforeItsDataFieldsIsDropped) {
  Recorder recorder;
  auto intake = NewIntake();
  Feed(intake.get(), recorder, kType1);
  // Fields 5 and beyond still hold the previous sentence's texts.
  Feed(intake.get(), recorder, Framed("AIVDM,1,1,,A"));
  Feed(intake.get(), recorder, Framed("AIABK,235009802,B,8"));
  EXPECT_EQ(recorder.stored.size(), 1u);
  EXPECT_EQ(recorder.Codes(), (std::vector<FateCode>{kFateStored, kFateTooFewFields, kFateTooFewFields}));
}

TEST(SentenceIntake, OverlongFieldNeverOverflowsAndSpoilsOnlyItsSentence) {
  for (int length : {kFieldTextRoom - 1, kFieldTextRoom, 5000}) {
    Recorder recorder;
    auto intake = NewIntake();
    const std::string filler(length, 'x');
    Feed(intake.get(), recorder, Framed("AIABK,235009802,B,8,2,0," + filler));
    Feed(intake.get(), recorder, Framed("AIVDM,1,1," + filler + ",A,15RTgt0PAso;90TKcjM8h6g208CQ,0"));
    const size_t expected = length < kFieldTextRoom ? 2 : 0;
    EXPECT_EQ(recorder.stored.size(), expected) << length;
    if (expected) {
      EXPECT_EQ(strlen(recorder.Slot(0).abk.fieldText[6]), static_cast<size_t>(length));
    } else {
      EXPECT_EQ(recorder.Codes(), (std::vector<FateCode>{kFateFieldTooLong, kFateFieldTooLong})) << length;
    }
    Feed(intake.get(), recorder, kType1);
    EXPECT_EQ(recorder.stored.size(), expected + 1) << length;
  }
}

TEST(SentenceIntake, FieldsBeyondTheFifteenthLandInTheLast) {
  Recorder recorder;
  auto intake = NewIntake();
  // Without a checksum: after "*" the checksum would take the last field too.
  Feed(intake.get(), recorder, "!AIABK,235009802,B,8,2,0,6,7,8,9,10,11,12,13,14,15,16,17\r\n");
  ASSERT_EQ(recorder.stored.size(), 1u);
  EXPECT_STREQ(recorder.Slot(0).abk.fieldText[13], "13");
  EXPECT_STREQ(recorder.Slot(0).abk.fieldText[14], "17");
}

// Random traffic, well-formed and not: payloads of every length (some past
// the field's room), stray bytes of every value, framing bytes anywhere, bad
// checksums, cut sentences, too many fields, interleaved fragments.
std::string RandomTraffic(std::mt19937& random) {
  static const char kArmour[] = "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVW`abcdefghijklmnopqrstuvw";
  std::string stream;
  for (int sentence = 0; sentence < 60; ++sentence) {
    const int lengths[] = {0, 1, 7, 8, 9, 28, 60, 168, 169, 300, kFieldTextRoom - 2, kFieldTextRoom + 30};
    const int length = lengths[random() % 12] + static_cast<int>(random() % 9);
    std::string payload;
    for (int i = 0; i < length; ++i) {
      const unsigned kind = random() % 64;
      payload += kind == 0 ? static_cast<char>(random() % 256) : kind == 1 ? '.' : kArmour[random() % 64];
    }
    const char count = static_cast<char>('1' + random() % 3);
    const std::string body = std::string(random() % 2 ? "AIVDM," : "AIVDO,") + count + "," +
                             static_cast<char>('1' + random() % 3) + "," + static_cast<char>('1' + random() % 3) +
                             (random() % 2 ? ",A," : ",B,") + payload + ",0";
    std::string framed = Framed(body);
    if (random() % 8 == 0) framed[framed.size() - 3] ^= 1;  // checksum spoilt
    if (random() % 8 == 0) framed = framed.substr(0, random() % framed.size());
    for (int stray = random() % 4 == 0 ? static_cast<int>(random() % 4) : 0; stray > 0; --stray) {
      static const char kFraming[] = ",,,**!$\r\n";
      const char c = random() % 3 ? kFraming[random() % 9] : static_cast<char>(random() % 256);
      framed.insert(framed.begin() + static_cast<std::ptrdiff_t>(random() % (framed.size() + 1)), c);
    }
    stream += framed;
    if (random() % 6 == 0)
      stream += Framed("GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,", '$');
    if (random() % 6 == 0) stream += Framed("AIABK,235009802,B,8,2,0,,,,,,,,,,,,,17");
    if (random() % 6 == 0) stream += "text\r\n\r\n";
  }
  return stream;
}

// The intake's whole state, member by member (memcmp of the record would
// compare padding).
void ExpectSameIntake(const SentenceIntake& a, const SentenceIntake& b, int round) {
  EXPECT_EQ(a.state, b.state) << round;
  EXPECT_EQ(a.sentenceType, b.sentenceType) << round;
  EXPECT_EQ(a.charCount, b.charCount) << round;
  EXPECT_EQ(a.checksum, b.checksum) << round;
  EXPECT_EQ(a.fieldIndex, b.fieldIndex) << round;
  EXPECT_EQ(a.fieldOverflow, b.fieldOverflow) << round;
  EXPECT_EQ(memcmp(a.addressTail, b.addressTail, sizeof a.addressTail), 0) << round;
  EXPECT_EQ(memcmp(a.fields, b.fields, sizeof a.fields), 0) << round;
  EXPECT_EQ(memcmp(&a.vdm, &b.vdm, sizeof a.vdm), 0) << round;
  EXPECT_EQ(memcmp(&a.vdo, &b.vdo, sizeof a.vdo), 0) << round;
  EXPECT_EQ(memcmp(&a.single, &b.single, sizeof a.single), 0) << round;
  EXPECT_EQ(std::string(a.fate.text, a.fate.textLength), std::string(b.fate.text, b.fate.textLength)) << round;
}

TEST(SentenceIntake, ManyBytesPerCallMatchOneByteAtATime) {
  // All state carries over between calls: the whole stream, random chunks
  // of it and single bytes must leave the same intake, log and fates.
  std::mt19937 random(1234);
  for (int round = 0; round < 12; ++round) {
    const std::string stream = RandomTraffic(random);
    Recorder reference;
    auto byByte = NewIntake();
    for (char c : stream) Feed(byByte.get(), reference, std::string(1, c));
    ASSERT_FALSE(reference.stored.empty());

    for (int chunked = 0; chunked < 2; ++chunked) {
      Recorder recorder;
      auto intake = NewIntake();
      if (chunked) {
        for (size_t at = 0; at < stream.size();) {
          const size_t length = 1 + random() % 200;
          Feed(intake.get(), recorder, stream.substr(at, length));
          at += length;
        }
      } else {
        Feed(intake.get(), recorder, stream);
      }
      ASSERT_EQ(recorder.stored, reference.stored) << "round " << round;
      ASSERT_EQ(recorder.Codes(), reference.Codes()) << "round " << round;
      ExpectSameIntake(*intake, *byByte, round);
      for (int s = 0; s < kLogSlots; ++s)
        ASSERT_EQ(memcmp(&recorder.Slot(s), &reference.Slot(s), sizeof(LogSlot)), 0)
            << "round " << round << " slot " << s;
    }
  }
}

}  // namespace
