// Messages packed and put into "!AIVDM"/"!AIVDO" sentences come back through
// the client's own intake and decoders with the values that went in, however
// they are split; the sentences are framed as a transponder frames them.
#include "sim/vdm_encoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ais/bit_writer.h"
#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/sentence_intake.h"
#include "tests/unit/nmea/sentence_check.h"
#include "transmit/met_hydro.h"

namespace {

struct Stored {
  int32_t kind;
  int32_t slot;
};

void Note(void* context, int32_t kind, int32_t slot) {
  static_cast<std::vector<Stored>*>(context)->push_back({kind, slot});
}

// The client's receive path: one intake feeding one log.
struct ClientSide {
  ClientSide() : log(std::make_unique<MessageLog>()), intake(std::make_unique<SentenceIntake>()) {
    InitLog(log.get());
    memset(intake.get(), 0, sizeof *intake);
  }
  void Feed(const SentenceBatch& sentences) {
    const IntakeTarget target{log.get(), Note, &stored};
    for (int k = 0; k < sentences.count; ++k)
      FeedIntake(intake.get(), &target, reinterpret_cast<const uint8_t*>(sentences.text[k]), sentences.length[k]);
  }
  DecodedMessage Decode(int32_t slot) {
    SlotSnapshot snapshot;
    TakeSlotSnapshot(log.get(), slot, &snapshot);
    DecodedMessage record;
    memset(&record, 0, sizeof record);
    DecodeMessage(snapshot.fragments, &record);
    return record;
  }
  std::unique_ptr<MessageLog> log;
  std::unique_ptr<SentenceIntake> intake;
  std::vector<Stored> stored;
};

// Raw two's-complement positions in 1/10 000 minute.
uint32_t Longitude(double degrees) {
  return static_cast<uint32_t>(static_cast<int32_t>(degrees * 600000)) & 0xFFFFFFF;
}
uint32_t Latitude(double degrees) {
  return static_cast<uint32_t>(static_cast<int32_t>(degrees * 600000)) & 0x7FFFFFF;
}

// A text field as shown: the decoders keep the "@" padding; the packers
// write it for a short text.
std::string Trimmed(const char* text) {
  std::string s(text);
  while (!s.empty() && s.back() == '@') s.pop_back();
  return s;
}

// Every field of the record must come back as it went in; the payload
// itself is compared by the tests that need it.
void ExpectSameFields(const DecodedMessage& in, const DecodedMessage& out, const std::string& what) {
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& f = kDecodedFields[i];
    const auto* a = reinterpret_cast<const uint8_t*>(&in) + f.offset;
    const auto* b = reinterpret_cast<const uint8_t*>(&out) + f.offset;
    uint32_t x = 0, y = 0;
    switch (f.kind) {
      case FieldKind::kText:
        EXPECT_EQ(Trimmed(reinterpret_cast<const char*>(a)), Trimmed(reinterpret_cast<const char*>(b)))
            << what << " " << f.name;
        continue;
      case FieldKind::kU8:
      case FieldKind::kChar:
        x = *a, y = *b;
        break;
      case FieldKind::kU16:
        memcpy(&x, a, 2), memcpy(&y, b, 2);
        break;
      case FieldKind::kU32:
        memcpy(&x, a, 4), memcpy(&y, b, 4);
        break;
    }
    EXPECT_EQ(x, y) << what << " " << f.name;
  }
}

struct Sample {
  const char* what;
  DecodedMessage fields;
  std::vector<uint8_t> data;  // binary data from the DAC on, for 6 and 8
  int dataBits;
  int bits;  // expected message length
};

// The tidal window application (DAC 1, FI 32) with one window.
std::vector<uint8_t> TidalWindow(int* bits) {
  std::vector<uint8_t> data(20, 0);
  uint8_t* d = data.data();
  WriteBitField(d, 0, 10, 1);
  WriteBitField(d, 10, 6, 32);
  WriteBitField(d, 16, 4, 5);                                            // month
  WriteBitField(d, 20, 5, 17);                                           // day
  WriteBitField(d, 25, 25, static_cast<uint32_t>(-(4 * 60000 + 3000)));  // lon 4 3' W, 1/1000 minute
  WriteBitField(d, 50, 24, 51 * 60000 + 57000);                          // lat 51 57' N
  WriteBitField(d, 74, 5, 13);
  WriteBitField(d, 79, 6, 30);
  WriteBitField(d, 85, 5, 15);
  WriteBitField(d, 90, 6, 45);
  WriteBitField(d, 96, 9, 275);
  WriteBitField(d, 105, 8, 23);
  *bits = 113;
  return data;
}

std::vector<Sample> Samples() {
  std::vector<Sample> samples;
  DecodedMessage m = BlankAisMessage(1, 244123456);
  m.navStatus = 0, m.rateOfTurn = 0xFB, m.sog = 123, m.positionAccuracy = 1;
  m.longitude = Longitude(4.05), m.latitude = Latitude(51.95), m.cog = 2345, m.trueHeading = 236;
  m.timeStamp = 42, m.raimFlag = 1, m.syncState = 0, m.slotTimeout = 3, m.subMessage = 27;
  samples.push_back({"type 1", m, {}, 0, 168});

  m = BlankAisMessage(2, 211222333);  // southern and western hemispheres
  m.navStatus = 7, m.rateOfTurn = 0x80, m.sog = 1023, m.longitude = Longitude(-70.5);
  m.latitude = Latitude(-33.9), m.cog = 3600, m.trueHeading = 511, m.timeStamp = 60, m.specialManoeuvre = 2;
  m.syncState = 1, m.slotTimeout = 1, m.subMessage = (13 << 9) | (45 << 2), m.repeatIndicator = 3;
  samples.push_back({"type 2", m, {}, 0, 168});

  m = BlankAisMessage(3, 235009876);
  m.navStatus = 5, m.sog = 0, m.longitude = Longitude(4.1), m.latitude = Latitude(51.9), m.cog = 1800;
  m.trueHeading = 90, m.timeStamp = 5, m.syncState = 2, m.slotIncrement = 1234, m.numberOfSlots = 2;
  m.keepFlag = 1;
  samples.push_back({"type 3", m, {}, 0, 168});

  m = BlankAisMessage(4, 2442000);
  m.utcYear = 2024, m.utcMonth = 5, m.utcDay = 17, m.utcHour = 13, m.utcMinute = 45, m.utcSecond = 30;
  m.positionAccuracy = 1, m.longitude = Longitude(4.0375), m.latitude = Latitude(51.98), m.epfdType = 7;
  m.slotTimeout = 2, m.subMessage = 1711;
  samples.push_back({"type 4", m, {}, 0, 168});

  m = BlankAisMessage(5, 244123456);
  m.aisVersion = 2, m.imoNumber = 9321483, m.shipType = 70;
  SetAisText(m.callSign, "PDXY");
  SetAisText(m.name, "MAAS TRADER");
  SetAisText(m.destination, "NLRTM>DEHAM");
  m.dimensions = (120u << 21) | (30u << 12) | (12u << 6) | 10u, m.epfdType = 1;
  m.eta = (6u << 16) | (3u << 11) | (14u << 6) | 30u, m.draught = 87, m.dte = 1;
  samples.push_back({"type 5", m, {}, 0, 424});

  int tidalBits = 0;
  std::vector<uint8_t> tidal = TidalWindow(&tidalBits);
  m = BlankAisMessage(6, 2442100);
  m.sequenceNumber = 2, m.destinationId = 244123456, m.retransmitFlag = 1, m.dacFi = (1 << 6) | 32;
  samples.push_back({"type 6 tidal window", m, tidal, tidalBits, 72 + tidalBits});

  m = BlankAisMessage(7, 244123456);
  m.ackDestination1 = 2442100, m.ackSequence1 = 2;
  samples.push_back({"type 7, one station", m, {}, 0, 72});

  m = BlankAisMessage(13, 211222333);
  m.ackDestination1 = 244123456, m.ackSequence1 = 1, m.ackDestination2 = 235009876, m.ackSequence2 = 3;
  m.ackDestination3 = 2442000, m.ackSequence3 = 0;
  samples.push_back({"type 13, three stations", m, {}, 0, 136});

  MetHydroReport report;
  RefreshMetHydroReport(&report, 23, 14, 7, 2442300);
  report.airTemperature = -35, report.windDirection = 245;
  uint8_t packed[kMetHydroMessageBytes];
  PackMetHydroPayload(&report, packed);
  m = BlankAisMessage(8, 2442300);
  m.dacFi = 95;
  samples.push_back({"type 8 met/hydro", m, std::vector<uint8_t>(packed + 5, packed + 45), 320, 360});

  m = BlankAisMessage(8, 244987654);  // inland ship data, DAC 200 FI 10
  m.dacFi = (200 << 6) | 10;
  std::vector<uint8_t> inland(16, 0);
  WriteBitField(inland.data(), 0, 16, m.dacFi);
  WriteBitText(inland.data(), 16, "02326789", 8);
  WriteBitField(inland.data(), 64, 13, 1100);
  samples.push_back({"type 8 other application", m, inland, 112, 152});

  m = BlankAisMessage(18, 244555666);
  m.sog = 64, m.longitude = Longitude(4.2), m.latitude = Latitude(51.99), m.cog = 455, m.trueHeading = 511;
  m.timeStamp = 12, m.unitFlag = 1, m.dscFlag = 1, m.bandFlag = 1, m.msg22Flag = 1, m.commStateFlag = 0;
  m.syncState = 3, m.slotTimeout = 6, m.subMessage = 2001;
  samples.push_back({"type 18 SOTDMA", m, {}, 0, 168});
  m.commStateFlag = 1, m.slotTimeout = 0, m.subMessage = 0, m.slotIncrement = 8191, m.numberOfSlots = 5;
  m.keepFlag = 1, m.raimFlag = 1, m.modeFlag = 1, m.displayFlag = 1, m.regional8 = 255, m.regional2 = 3;
  samples.push_back({"type 18 ITDMA", m, {}, 0, 168});

  m = BlankAisMessage(21, 992446001);
  m.atonType = 24;
  SetAisText(m.name, "MAASVLAKTE APPROACH");
  m.positionAccuracy = 1, m.longitude = Longitude(3.9), m.latitude = Latitude(52.01);
  m.dimensions = (1u << 21) | (1u << 12) | (1u << 6) | 1u, m.epfdType = 7, m.timeStamp = 61, m.offPosition = 1;
  m.atonStatus = 129, m.virtualFlag = 0, m.assignedFlag = 1;
  samples.push_back({"type 21 without extension", m, {}, 0, 272});
  SetAisText(m.name, "MAASVLAKTE APPROACH ");
  SetAisText(m.nameExtension, "BUOY MV3");
  samples.push_back({"type 21 with extension", m, {}, 0, 320});

  m = BlankAisMessage(24, 244555666);
  SetAisText(m.name, "SEA BREEZE");
  samples.push_back({"type 24 part A", m, {}, 0, 160});
  m = BlankAisMessage(24, 244555666);
  m.partNumber = 1, m.shipType = 37, m.dimensions = (8u << 21) | (4u << 12) | (2u << 6) | 2u;
  SetAisText(m.vendorId, "XYZ1234");
  SetAisText(m.callSign, "PD1234");
  samples.push_back({"type 24 part B", m, {}, 0, 168});
  return samples;
}

TEST(VdmEncoder, EveryTypeDecodesBackAtEverySplit) {
  VdmEncoder encoder{0};
  for (const Sample& s : Samples()) {
    uint8_t message[kMaxMessageBytes];
    const int bits = PackAisMessage(s.fields, s.data.data(), s.dataBits, message);
    ASSERT_EQ(bits, s.bits) << s.what;
    for (int split : {60, 43, 28, 17}) {
      for (bool own : {false, true}) {
        ClientSide client;
        SentenceBatch sentences;
        const char channel = own ? 'B' : 'A';
        if (EncodeVdmSentences(&encoder, message, bits, own, channel, split, &sentences) == 0) {
          ADD_FAILURE() << s.what << " split " << split;
          continue;
        }
        client.Feed(sentences);
        const std::string what = std::string(s.what) + " split " + std::to_string(split);
        ASSERT_EQ(client.stored.size(), 1u) << what;  // all fragments, one message
        EXPECT_EQ(client.stored[0].kind, own ? kSlotVdo : kSlotVdm) << what;
        const DecodedMessage back = client.Decode(client.stored[0].slot);
        ExpectSameFields(s.fields, back, what);
        EXPECT_EQ(memcmp(back.payload, message, (bits + 7) / 8), 0) << what;
        const int characters = (bits + 5) / 6;  // the join counts whole characters
        EXPECT_EQ(back.payloadLength, (6 * characters + 7) / 8) << what;
      }
    }
  }
}

TEST(VdmEncoder, BinaryMessagesCarryTheirApplicationDataUnchanged) {
  for (const Sample& s : Samples()) {
    if (s.fields.messageId != 6 && s.fields.messageId != 8) continue;
    uint8_t message[kMaxMessageBytes];
    const int bits = PackAisMessage(s.fields, s.data.data(), s.dataBits, message);
    const int start = s.fields.messageId == 6 ? 72 : 40;
    for (int bit = 0; bit < s.dataBits; ++bit) {
      const int sent = (s.data[bit / 8] >> (7 - bit % 8)) & 1;
      ASSERT_EQ(ReadBitField(message, start + bit, 1), static_cast<uint32_t>(sent)) << s.what << " bit " << bit;
    }
    EXPECT_EQ(bits, start + s.dataBits);
  }
  // The met/hydro report wrapped by the encoder is the message the client
  // packs itself for the same station.
  MetHydroReport report;
  RefreshMetHydroReport(&report, 31, 23, 59, 244123456);
  uint8_t packed[kMetHydroMessageBytes];
  PackMetHydroPayload(&report, packed);
  uint8_t message[kMaxMessageBytes];
  ASSERT_EQ(PackAisMessage(BlankAisMessage(8, 244123456), packed + 5, 320, message), 360);
  EXPECT_EQ(memcmp(message, packed, kMetHydroMessageBytes), 0);
  // Application data beyond five slots is cut at 1008 bits.
  uint8_t big[200];
  memset(big, 0xFF, sizeof big);
  EXPECT_EQ(PackAisMessage(BlankAisMessage(8, 1), big, 1600, message), 1008);
  EXPECT_EQ(PackAisMessage(BlankAisMessage(9, 1), big, 0, message), 0);  // no layout
}

TEST(VdmEncoder, SentencesAreFramedLikeATransponders) {
  VdmEncoder encoder{8};
  uint8_t message[kMaxMessageBytes];
  for (int i = 0; i < kMaxMessageBytes; ++i) message[i] = static_cast<uint8_t>(i * 7 + 1);
  struct Case {
    int bits;
    int split;
    std::vector<int> lengths;  // payload characters of each sentence
    int fill;
  } cases[] = {
      {168, 60, {28}, 0},
      {424, 60, {60, 11}, 2},
      {1008, 60, {60, 60, 48}, 0},
      {361, 60, {60, 1}, 5},
      {360, 60, {60}, 0},
      {1, 60, {1}, 5},
      {424, 1, {}, 0},
      {0, 60, {}, 0},
      {1009, 60, {}, 0},
      {424, 8, {8, 8, 8, 8, 8, 8, 8, 8, 7}, 2},  // nine sentences is the most
      {168, 99, {28}, 0},                        // the split is held at 60
  };
  int expectedId = 8;
  for (const Case& c : cases) {
    SentenceBatch out;
    const std::string what = std::to_string(c.bits) + " bits at " + std::to_string(c.split);
    const int count = EncodeVdmSentences(&encoder, message, c.bits, false, 'A', c.split, &out);
    ASSERT_EQ(count, static_cast<int>(c.lengths.size())) << what;
    ASSERT_EQ(out.count, count) << what;
    for (int k = 0; k < count; ++k) {
      const std::string s(out.text[k], out.length[k]);
      sentence_check::ExpectWellFramed(s, what);
      const std::vector<std::string> f = sentence_check::Fields(s);
      ASSERT_EQ(f.size(), 7u) << s;
      EXPECT_EQ(f[0], "AIVDM");
      EXPECT_EQ(f[1], std::to_string(count)) << s;
      EXPECT_EQ(f[2], std::to_string(k + 1)) << s;
      EXPECT_EQ(f[3], count == 1 ? "" : std::to_string(expectedId)) << s;
      EXPECT_EQ(f[4], "A");
      EXPECT_EQ(static_cast<int>(f[5].size()), c.lengths[k]) << s;
      EXPECT_EQ(f[6], std::to_string(k + 1 == count ? c.fill : 0)) << s;
    }
    if (count > 1) expectedId = (expectedId + 1) % 10;  // 8, 9, 0, ...
  }
  // Own-ship sentences; an empty channel field when none is given.
  SentenceBatch out;
  ASSERT_EQ(EncodeVdmSentences(&encoder, message, 168, true, 0, 60, &out), 1);
  EXPECT_EQ(std::string(out.text[0], 13), "!AIVDO,1,1,,,");
}

TEST(VdmEncoder, TwoFragmentStaticReportIsStoredOnce) {
  const std::vector<Sample> samples = Samples();
  const Sample& s = samples[4];
  ASSERT_EQ(s.fields.messageId, 5);
  uint8_t message[kMaxMessageBytes];
  const int bits = PackAisMessage(s.fields, nullptr, 0, message);
  VdmEncoder encoder{0};
  SentenceBatch sentences;
  ASSERT_EQ(EncodeVdmSentences(&encoder, message, bits, false, 'B', 60, &sentences), 2);
  ClientSide client;
  SentenceBatch first = sentences;
  first.count = 1;
  client.Feed(first);
  EXPECT_TRUE(client.stored.empty());
  SentenceBatch second = sentences;
  second.count = 1;
  memcpy(second.text[0], sentences.text[1], kSentenceRoom);
  second.length[0] = sentences.length[1];
  client.Feed(second);
  ASSERT_EQ(client.stored.size(), 1u);
  EXPECT_EQ(client.stored[0].kind, kSlotVdm);
  EXPECT_EQ(client.log->nextSlot.load(), 1);
  EXPECT_EQ(Trimmed(client.Decode(client.stored[0].slot).destination), "NLRTM>DEHAM");
}

}  // namespace
