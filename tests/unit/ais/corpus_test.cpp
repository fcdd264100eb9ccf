// Recorded traffic from real transponders: every message of the two corpus
// logs decodes, and a sample of fields matches the independently decoded
// values given in the comments of sample.aivdm (converted to raw units).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ais/message_types.h"
#include "tests/unit/ais/message_builder.h"

namespace {

struct Decoded {
  std::string firstFragment;
  int fragments;
  DecodedMessage record;
};

// Reassembles the !AIVDM and !AIVDO sentences of a log by sequence id and
// channel, the way a receiver would, and decodes each complete message.
std::vector<Decoded> DecodeLog(const std::string& path) {
  std::vector<Decoded> out;
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::map<std::string, FragmentSet> pending;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("!AIVDM,", 0) != 0 && line.rfind("!AIVDO,", 0) != 0) continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; fields.size() < 7 && std::getline(split, field, ',');) fields.push_back(field);
    if (fields.size() < 7 || fields[1].size() != 1 || fields[2].size() != 1) continue;
    const int count = fields[1][0] - '0', number = fields[2][0] - '0';
    if (count < 1 || count > 5 || number < 1 || number > count) continue;
    FragmentSet& set = pending[fields[3] + fields[4]];
    if (number == 1) memset(&set, 0, sizeof set);
    set.blocks[number].fragmentCountChar = fields[1][0];
    set.blocks[number].fillBitsChar = fields[6][0];
    strncpy(set.blocks[number].payloadText, fields[5].c_str(), kPayloadTextChars);
    if (number != count) continue;
    out.push_back({set.blocks[1].payloadText, count, Decode(set)});
  }
  return out;
}

class CorpusTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    sample_ = new std::vector<Decoded>(DecodeLog(ASM_CORPUS_DIR "/sample.aivdm"));
    live_ = new std::vector<Decoded>(DecodeLog(ASM_CORPUS_DIR "/ais-nmea.log"));
  }
  static void TearDownTestSuite() {
    delete sample_;
    delete live_;
  }
  // The message whose first fragment is `first`.
  static const DecodedMessage& Find(const std::string& first) {
    for (const Decoded& d : *sample_)
      if (d.firstFragment == first) return d.record;
    ADD_FAILURE() << "not in the corpus: " << first;
    static DecodedMessage none{};
    return none;
  }
  static std::vector<Decoded>* sample_;
  static std::vector<Decoded>* live_;
};
std::vector<Decoded>* CorpusTest::sample_;
std::vector<Decoded>* CorpusTest::live_;

// Raw two's-complement position fields as signed 1/10000 minutes.
double Minutes(uint32_t raw, int width) {
  const int32_t value = static_cast<int32_t>(raw << (32 - width)) >> (32 - width);
  return value / 10000.0;
}
// Longitude and latitude in degrees to compare with the comments, which
// give them to a few decimals only.
double Lon(const DecodedMessage& r) {
  return Minutes(r.longitude, 28) / 60;
}
double Lat(const DecodedMessage& r) {
  return Minutes(r.latitude, 27) / 60;
}
// A raw two's-complement field of `width` bits as the signed value the
// comments give for the 1/10 minute positions.
int32_t Signed(uint32_t raw, int width) {
  return static_cast<int32_t>(raw << (32 - width)) >> (32 - width);
}
constexpr double kDegrees = 1e-6;

uint32_t Dimensions(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return a << 21 | b << 12 | c << 6 | d;
}

// Text without its trailing "@" padding, as other decoders print it.
std::string Trimmed(const char* text) {
  std::string s(text);
  while (!s.empty() && (s.back() == '@' || s.back() == ' ')) s.pop_back();
  return s;
}

// `bits` bits of the payload from bit `start` as hex, padded with zero bits
// to whole bytes like the data dumps of the comments.
std::string DataHex(const DecodedMessage& r, int start, int bits) {
  std::string hex;
  for (int at = 0; at < bits; at += 8) {
    const int width = bits - at < 8 ? bits - at : 8;
    const uint32_t byte = ReadBitField(r.payload, start + at, width) << (8 - width);
    static const char kDigits[] = "0123456789abcdef";
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

bool HasDecoder(int id) {
  return MessageTypeTitle(id) != nullptr;
}

TEST_F(CorpusTest, EveryMessageDecodes) {
  EXPECT_GE(sample_->size(), 100u);
  int sampleIds[64] = {};
  for (const Decoded& d : *sample_) {
    const int id = d.record.payload[0] >> 2;
    ++sampleIds[id];
    EXPECT_LE(d.record.payloadLength, kMaxMessageBytes);
    EXPECT_EQ(d.record.messageId, HasDecoder(id) ? id : 0) << d.firstFragment;
  }
  for (int id = 0; id < 64; ++id) {
    if (HasDecoder(id)) {
      EXPECT_GT(sampleIds[id], 0) << id;
    }
  }

  // The live feed: each type in the numbers recorded, every message of it
  // decoded as that type.
  int liveIds[64] = {};
  for (const Decoded& d : *live_) ++liveIds[d.record.messageId];
  EXPECT_EQ(liveIds[1], 116);
  EXPECT_EQ(liveIds[3], 21);
  EXPECT_EQ(liveIds[5], 12);
  EXPECT_EQ(liveIds[8], 6);
  EXPECT_EQ(liveIds[18], 7);
  EXPECT_EQ(liveIds[24], 9);
  EXPECT_EQ(live_->size(), 171u);
}

// The live feed was recorded at about 52.84 N 5.71 E: every position heard
// lies within radio range or is "not available", and every voyage record
// holds a possible date. A misjoined or misread message fails these.
TEST_F(CorpusTest, LiveFeedFieldsArePlausible) {
  for (const Decoded& d : *live_) {
    const DecodedMessage& r = d.record;
    SCOPED_TRACE(d.firstFragment);
    if (r.messageId == 1 || r.messageId == 3 || r.messageId == 18) {
      if (r.longitude != 181 * 600000) {
        EXPECT_NEAR(Lon(r), 5.71, 1.5);
      }
      if (r.latitude != 91 * 600000) {
        EXPECT_NEAR(Lat(r), 52.84, 1.0);
      }
      EXPECT_TRUE(r.trueHeading < 360 || r.trueHeading == 511) << r.trueHeading;
      EXPECT_LE(r.cog, 3600);
      EXPECT_LE(r.timeStamp, 63);
    }
    if (r.messageId == 5) {
      EXPECT_LE(r.eta >> 16, 12u);
      EXPECT_LE((r.eta >> 11) & 31, 31u);
      EXPECT_LE((r.eta >> 6) & 31, 24u);
      EXPECT_LE(r.eta & 63, 60u);
      // A ship name is letters, digits, blanks and a little punctuation.
      for (const char* c = r.name; *c; ++c)
        EXPECT_TRUE((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || strchr(" @.-'/&()", *c)) << r.name;
      EXPECT_EQ(r.spare, 0);
    }
    if (r.messageId == 24) {
      EXPECT_LE(r.partNumber, 1);
    }
  }
}

TEST_F(CorpusTest, ClassAPositionReports) {
  const DecodedMessage& a = Find("15RTgt0PAso;90TKcjM8h6g208CQ");
  EXPECT_EQ(a.messageId, 1);
  EXPECT_EQ(a.userId, 371798000u);
  EXPECT_EQ(a.navStatus, 0);
  EXPECT_EQ(a.rateOfTurn, 256 - 127);
  EXPECT_EQ(a.sog, 123);
  EXPECT_EQ(a.positionAccuracy, 1);
  EXPECT_NEAR(Lon(a), -123.395383333, kDegrees);
  EXPECT_NEAR(Lat(a), 48.38163333333, kDegrees);
  EXPECT_EQ(a.cog, 2240);
  EXPECT_EQ(a.trueHeading, 215);
  EXPECT_EQ(a.timeStamp, 33);
  EXPECT_EQ(a.raimFlag, 0);
  EXPECT_EQ(a.syncState, 0);
  EXPECT_EQ(a.slotTimeout, 2);
  EXPECT_EQ(a.subMessage, 1249);

  const DecodedMessage& b = Find("16SteH0P00Jt63hHaa6SagvJ087r");
  EXPECT_EQ(b.userId, 440348000u);
  EXPECT_EQ(b.rateOfTurn, 128);  // -128 kept as its raw pattern
  EXPECT_NEAR(Lon(b), -70.7582, kDegrees);
  EXPECT_NEAR(Lat(b), 43.08015, kDegrees);
  EXPECT_EQ(b.cog, 934);
  EXPECT_EQ(b.trueHeading, 511);
  EXPECT_EQ(b.subMessage, 506);

  const DecodedMessage& c = Find("25Cjtd0Oj;Jp7ilG7=UkKBoB0<06");
  EXPECT_EQ(c.messageId, 2);
  EXPECT_EQ(c.userId, 356302000u);
  EXPECT_EQ(c.rateOfTurn, 127);
  EXPECT_EQ(c.sog, 139);
  EXPECT_NEAR(Lon(c), -71.626143333, kDegrees);
  EXPECT_NEAR(Lat(c), 40.392358333, kDegrees);
  EXPECT_EQ(c.cog, 877);
  EXPECT_EQ(c.trueHeading, 91);
  EXPECT_EQ(c.timeStamp, 41);
  EXPECT_EQ(c.slotTimeout, 3);
  EXPECT_EQ(c.subMessage, 6);

  const DecodedMessage& d = Find("38Id705000rRVJhE7cl9n;160000");
  EXPECT_EQ(d.messageId, 3);
  EXPECT_EQ(d.userId, 563808000u);
  EXPECT_EQ(d.navStatus, 5);
  EXPECT_EQ(d.positionAccuracy, 1);
  EXPECT_NEAR(Lon(d), -76.327533333, kDegrees);
  EXPECT_NEAR(Lat(d), 36.91, kDegrees);
  EXPECT_EQ(d.cog, 2520);
  EXPECT_EQ(d.trueHeading, 352);
  EXPECT_EQ(d.timeStamp, 35);
}

TEST_F(CorpusTest, ClassBPositionReports) {
  // Selector bit set: communication state 393222 = sync 3, increment 0,
  // 3 slots, keep 0.
  const DecodedMessage& a = Find("B52K>;h00Fc>jpUlNV@ikwpUoP06");
  EXPECT_EQ(a.messageId, 18);
  EXPECT_EQ(a.userId, 338087471u);
  EXPECT_EQ(a.sog, 1);
  EXPECT_NEAR(Lon(a), -74.072131667, kDegrees);
  EXPECT_NEAR(Lat(a), 40.68454, kDegrees);
  EXPECT_EQ(a.cog, 796);
  EXPECT_EQ(a.trueHeading, 511);
  EXPECT_EQ(a.timeStamp, 49);
  EXPECT_EQ(a.raimFlag, 1);
  EXPECT_EQ(a.commStateFlag, 1);
  EXPECT_EQ(a.syncState, 3);
  EXPECT_EQ(a.slotIncrement, 0);
  EXPECT_EQ(a.numberOfSlots, 3);
  EXPECT_EQ(a.keepFlag, 0);

  // This comment gives speed and course raw. It prints the communication
  // state as SOTDMA (time-out 0, sub message 6) although the selector bit
  // is set: the same 17 bits read in the ITDMA form.
  const DecodedMessage& b = Find("B5O6hr00<veEKmUaMFdEow`UWP06");
  EXPECT_EQ(b.userId, 368161000u);
  EXPECT_EQ(b.sog, 51);
  EXPECT_EQ(b.positionAccuracy, 1);
  EXPECT_NEAR(Lon(b), -72.233848333, kDegrees);
  EXPECT_NEAR(Lat(b), 39.480925, kDegrees);
  EXPECT_EQ(b.cog, 349);
  EXPECT_EQ(b.timeStamp, 17);
  EXPECT_EQ(b.unitFlag, 1);
  EXPECT_EQ(b.displayFlag, 0);
  EXPECT_EQ(b.dscFlag, 1);
  EXPECT_EQ(b.bandFlag, 1);
  EXPECT_EQ(b.msg22Flag, 0);
  EXPECT_EQ(b.modeFlag, 0);
  EXPECT_EQ(b.raimFlag, 1);
  EXPECT_EQ(b.commStateFlag, 1);
  EXPECT_EQ(b.syncState, 3);
  EXPECT_EQ((b.slotIncrement << 4) | (b.numberOfSlots << 1) | b.keepFlag, 6);
  EXPECT_EQ(b.subMessage, 0);
}

TEST_F(CorpusTest, BaseStationAndStaticVoyageReports) {
  const DecodedMessage& a = Find("403OviQuMGCqWrRO9>E6fE700@GO");
  EXPECT_EQ(a.messageId, 4);
  EXPECT_EQ(a.userId, 3669702u);
  EXPECT_EQ(a.utcYear, 2007);
  EXPECT_EQ(a.utcMonth, 5);
  EXPECT_EQ(a.utcDay, 14);
  EXPECT_EQ(a.utcHour, 19);
  EXPECT_EQ(a.utcMinute, 57);
  EXPECT_EQ(a.utcSecond, 39);
  EXPECT_EQ(a.positionAccuracy, 1);
  EXPECT_NEAR(Lon(a), -76.352361667, kDegrees);
  EXPECT_NEAR(Lat(a), 36.883766667, kDegrees);
  EXPECT_EQ(a.epfdType, 7);
  EXPECT_EQ(a.slotTimeout, 4);
  EXPECT_EQ(a.subMessage, 1503);

  // Two fragments, 60 and 11 characters.
  const DecodedMessage& b = Find("55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8");
  EXPECT_EQ(b.messageId, 5);
  EXPECT_EQ(b.userId, 351759000u);
  EXPECT_EQ(b.aisVersion, 0);
  EXPECT_EQ(b.imoNumber, 9134270u);
  EXPECT_EQ(Trimmed(b.callSign), "3FOF8");
  EXPECT_EQ(Trimmed(b.name), "EVER DIADEM");
  EXPECT_EQ(b.shipType, 70);
  EXPECT_EQ(b.dimensions, Dimensions(225, 70, 1, 31));
  EXPECT_EQ(b.epfdType, 1);
  // The comment has hour 16; the bits, decoded by hand, hold 14.
  EXPECT_EQ(b.eta, (5u << 16) | (15u << 11) | (14u << 6) | 0);
  EXPECT_EQ(b.draught, 122);
  EXPECT_EQ(Trimmed(b.destination), "NEW YORK");
  EXPECT_EQ(b.dte, 0);
}

TEST_F(CorpusTest, AidToNavigationSplitInsideAField) {
  // First fragment 43 characters (258 bits): everything from the
  // off-position flag on lies behind the split.
  const DecodedMessage& a = Find("E1mg=5J1T4W0h97aRh6ba84<h2d;W:Te=eLvH50```q");
  EXPECT_EQ(a.messageId, 21);
  EXPECT_EQ(a.userId, 123456789u);
  EXPECT_EQ(a.atonType, 20);
  EXPECT_STREQ(a.name, "CHINA ROSE MURPHY EX");
  EXPECT_EQ(a.positionAccuracy, 0);
  EXPECT_NEAR(Lon(a), -122.698591667, kDegrees);
  EXPECT_NEAR(Lat(a), 47.920618333, kDegrees);
  EXPECT_EQ(a.dimensions, Dimensions(5, 5, 5, 5));
  EXPECT_EQ(a.epfdType, 1);
  EXPECT_EQ(a.timeStamp, 50);
  EXPECT_EQ(a.offPosition, 0);
  EXPECT_EQ(a.atonStatus, 165);
  EXPECT_EQ(a.raimFlag, 0);
  EXPECT_EQ(a.virtualFlag, 0);
  EXPECT_EQ(a.assignedFlag, 0);
  EXPECT_EQ(Trimmed(a.nameExtension), "PRESS ALERT");
}

TEST_F(CorpusTest, StaticDataReportParts) {
  const DecodedMessage& a = Find("H42O55i18tMET00000000000000");
  EXPECT_EQ(a.messageId, 24);
  EXPECT_EQ(a.userId, 271041815u);
  EXPECT_EQ(a.partNumber, 0);
  EXPECT_EQ(Trimmed(a.name), "PROGUY");

  const DecodedMessage& b = Find("H42O55lti4hhhilD3nink000?050");
  EXPECT_EQ(b.userId, 271041815u);
  EXPECT_EQ(b.partNumber, 1);
  EXPECT_EQ(b.shipType, 60);
  EXPECT_STREQ(b.vendorId, "1D00014");
  EXPECT_EQ(Trimmed(b.callSign), "TC6163");
  EXPECT_EQ(b.dimensions, Dimensions(0, 15, 0, 5));
  EXPECT_STREQ(b.name, "");
}

TEST_F(CorpusTest, AddressedBinaryAndAcknowledgements) {
  const DecodedMessage& a = Find("6B?n;be:cbapalgc;i6?Ow4");
  EXPECT_EQ(a.messageId, 6);
  EXPECT_EQ(a.repeatIndicator, 1);
  EXPECT_EQ(a.userId, 150834090u);
  EXPECT_EQ(a.sequenceNumber, 3);
  EXPECT_EQ(a.destinationId, 313240222u);
  EXPECT_EQ(a.retransmitFlag, 0);
  EXPECT_EQ(a.dacFi, 669 << 6 | 11);
  EXPECT_EQ(DataHex(a, 88, 48), "eb2f118f7ff1");

  const DecodedMessage& b = Find("6>jR0600V:C0>da4P106P00");
  EXPECT_EQ(b.userId, 992509976u);
  EXPECT_EQ(b.destinationId, 2500912u);
  EXPECT_EQ(b.dacFi, 15050);

  const DecodedMessage& c = Find("63u?;TP0`QJ<06P000");
  EXPECT_EQ(c.userId, 265538450u);
  EXPECT_EQ(c.destinationId, 2655651u);
  EXPECT_EQ(c.dacFi, 1 << 6 | 40);

  // One destination (72 bits), then three.
  const DecodedMessage& d = Find("702R5`hwCjq8");
  EXPECT_EQ(d.messageId, 7);
  EXPECT_EQ(d.userId, 2655651u);
  EXPECT_EQ(d.ackDestination1, 265538450u);
  EXPECT_EQ(d.ackDestination2, 0u);
  EXPECT_EQ(d.ackDestination4, 0u);

  const DecodedMessage& e = Find("7`0Pv1L:Ac8rbgPKHA8`P");
  EXPECT_EQ(e.repeatIndicator, 2);
  EXPECT_EQ(e.userId, 537411077u);
  EXPECT_EQ(e.ackDestination1, 43101326u);
  EXPECT_EQ(e.ackDestination2, 717096664u);
  EXPECT_EQ(e.ackDestination3, 76161024u);
  EXPECT_EQ(e.ackDestination4, 0u);

  const DecodedMessage& f = Find("=39UOj0jFs9R");
  EXPECT_EQ(f.messageId, 13);
  EXPECT_EQ(f.userId, 211378120u);
  EXPECT_EQ(f.ackDestination1, 211217560u);
}

TEST_F(CorpusTest, BroadcastBinarySplitInsideTheData) {
  const DecodedMessage& a = Find("85Mwp`1Kf3aCnsNvBWLi=wQuNhA5t43N`5nCuI=p<IBfVqnMgPGs");
  EXPECT_EQ(a.messageId, 8);
  EXPECT_EQ(a.userId, 366999712u);
  EXPECT_EQ(a.dacFi, 23480);  // the comment's application id; its FI 22 is a misreading
  EXPECT_EQ(DataHex(a, 56, 256), "3a53dbb7be4a773137f87d7b0445f040dea05d93f593783194ae9b9d9dbe05fb");

  // 43 + 9 characters: the data crosses the split at bit 258.
  const DecodedMessage& b = Find("8>qc9wiKf>d=Cq5r0mdew:?DLq>1LmhHrsqmBCKnJ50");
  EXPECT_EQ(b.userId, 999999999u);
  EXPECT_EQ(b.dacFi >> 6, 366);
  EXPECT_EQ(DataHex(b, 56, 256), "eb0d4f917a035b2dfca3d4739381735c18ebbe754936f66850037dcacd9538b8");

  // 43 + 43 + 9 characters: two splits inside the data.
  const DecodedMessage& c = Find("85Mwp=iKfGwushJ?gNlt2QU3osVGe:4?cNhQqf2VH8t");
  EXPECT_EQ(c.userId, 366999607u);
  EXPECT_EQ(c.dacFi, 366 << 6 | 57);
  EXPECT_EQ(DataHex(c, 56, 510),
            "7ffdef068fbded3c0a1943dfb997b4a10fadec21e6e0a6608f0f44b686a8747ff71e595dcb5ec5b4e05221d886233d2e4916f6eb"
            "6fe8ecd38d69792816f3a2d0");

  // Three fragments of 60, 60 and 10 characters.
  const DecodedMessage& d = Find("802UMp@0D002G`lCH2FuR@mE8;;w2d00001h82F0@hm;gh0w00010Wk3<2FG");
  EXPECT_EQ(d.userId, 2711009u);
  EXPECT_EQ(d.dacFi, 1 << 6 | 16);
  EXPECT_EQ(DataHex(d, 56, 720),
            "00025e8d136025bd890d5520b2ff0ac000000070202580430d4bbf003f000001027cc3302597b60d4b15003f000000c5c4a980258"
            "4cf0d3f45803f000000f47ba58025cdf40d4391003f0000010272bb00258e5f0d44f7c9ff0a");

  const DecodedMessage& e = Find("83aDChPj2d<dL<uM=hhhI?a@6HP0e9QvUEEEOPPrE4t880>p2JqA6wimt:Ow");
  EXPECT_EQ(e.userId, 244650946u);
  EXPECT_EQ(e.dacFi, 200 << 6 | 10);
  EXPECT_EQ(DataHex(e, 56, 368),
            "c32c70cf5d370c3064fa50198800b4987e9555557e083a544f082003b809ae511bfc75f0a7ff960808ccb6be7ed5");
  EXPECT_EQ(e.dataStart, 56);
  EXPECT_EQ(e.dataBits, 368);  // 414 bits less the two fill bits, less the header

  // Meteorological and hydrological reports, DAC 1 FI 31 and FI 11.
  const DecodedMessage& f = Find("8>jR06@0Gwli:QQUP3en?wvlFR06EuOwgwl?wnSwe7wvlOwwsAwwnSGmwvh0");
  EXPECT_EQ(f.userId, 992509977u);
  EXPECT_EQ(f.dacFi, 95);
  const DecodedMessage& g = Find("8>j`;MP0GhRHI1S`CrTW2?u2Ot1owwnews0F003wwwwwww0001wwwwwwwwh0");
  EXPECT_EQ(g.userId, 992611190u);
  EXPECT_EQ(g.dacFi, 95);
  const DecodedMessage& h = Find("8>jR06@0Bk3:wOli;<`WPhh<1rqVBQf2V@Pdt0J82avIM2b<<Rv1t<ot=@1");
  EXPECT_EQ(h.dacFi, 75);
}

TEST_F(CorpusTest, SarAircraftPositionReports) {
  // The comments give the positions raw, and as "radio status" the 19 bits
  // of sync state and SOTDMA state: the second as they stand (time-out 2,
  // sub message 624), the first read one bit early, from the selector on,
  // so that it is half the value of the bits.
  const DecodedMessage& a = Find("91b77=h3h00nHt0Q3r@@07000<0b");
  EXPECT_EQ(a.messageId, 9);
  EXPECT_EQ(a.userId, 111265591u);
  EXPECT_EQ(a.altitude, 15);
  EXPECT_EQ(a.sog, 0);
  EXPECT_EQ(a.positionAccuracy, 0);
  EXPECT_EQ(a.longitude, 7128960u);
  EXPECT_EQ(a.latitude, 34667073u);
  EXPECT_EQ(a.cog, 0);
  EXPECT_EQ(a.timeStamp, 28);
  EXPECT_EQ(a.dte, 0);
  EXPECT_EQ(a.assignedFlag, 0);
  EXPECT_EQ(a.raimFlag, 0);
  EXPECT_EQ(a.commStateFlag, 0);
  EXPECT_EQ((a.syncState << 17) | (a.slotTimeout << 14) | a.subMessage, 2 * 24597);

  const DecodedMessage& b = Find("91b55wi;hbOS@OdQAC062Ch2089h");
  EXPECT_EQ(b.userId, 111232511u);
  EXPECT_EQ(b.altitude, 303);
  EXPECT_EQ(b.sog, 42);
  EXPECT_EQ(b.longitude, 0xFC683F6u);
  EXPECT_EQ(b.latitude, 0x2145300u);
  EXPECT_EQ(b.cog, 0x0609);
  EXPECT_EQ(b.timeStamp, 15);
  EXPECT_EQ(b.dte, 1);
  EXPECT_EQ(b.commStateFlag, 0);
  EXPECT_EQ((b.syncState << 17) | (b.slotTimeout << 14) | b.subMessage, 33392);
}

TEST_F(CorpusTest, UtcInquiryAndResponse) {
  const DecodedMessage& a = Find(":5MlU41GMK6@");
  EXPECT_EQ(a.messageId, 10);
  EXPECT_EQ(a.userId, 366814480u);
  EXPECT_EQ(a.destinationId, 366832740u);
  EXPECT_EQ(Find(":6TMCD1GOS60").destinationId, 366972000u);

  // Read exactly like a base station report.
  const DecodedMessage& b = Find(";4R33:1uUK2F`q?mOt@@GoQ00000");
  EXPECT_EQ(b.messageId, 11);
  EXPECT_EQ(b.userId, 304137000u);
  EXPECT_EQ(b.utcYear, 2009);
  EXPECT_EQ(b.utcMonth, 5);
  EXPECT_EQ(b.utcDay, 22);
  EXPECT_EQ(b.utcHour, 2);
  EXPECT_EQ(b.utcMinute, 22);
  EXPECT_EQ(b.utcSecond, 40);
  EXPECT_EQ(b.positionAccuracy, 1);
  EXPECT_NEAR(Lon(b), -94.407683333, kDegrees);
  EXPECT_NEAR(Lat(b), 28.409116667, kDegrees);
  EXPECT_EQ(b.epfdType, 1);
  EXPECT_EQ(b.spare, 0);
  EXPECT_EQ(b.raimFlag, 0);
  EXPECT_EQ(b.syncState, 0);
  EXPECT_EQ(b.slotTimeout, 0);
  EXPECT_EQ(b.subMessage, 0);
}

TEST_F(CorpusTest, SafetyTextsEndWithTheMessage) {
  // Fill bits end several of these inside a character: the text stops at
  // the last whole one.
  const struct {
    const char* first;
    uint32_t user, destination;
    int sequence, retransmit;
    const char* text;
  } addressed[] = {
      {"<02:oP0kKcv0@<51C5PB5@?BDPD?P:?2?EB7PDB16693P381>>5<PikP", 2275200, 215724000, 0, 0,
       "PLEASE REPORT TO JOBOURG TRAFFIC CHANNEL 13"},
      {"<5?SIj1;GbD07??4", 351853000, 316123456, 0, 0, "GOOD"},
      {"<5?SIj5Cp;NPD81>H0", 351853000, 351809000, 1, 0, "THANX"},
      {"<42Lati0W:Ov=C7P6B?=Pjoihhjhqq0", 271002099, 271002111, 0, 1, "MSG FROM 271002099"},
      {"<CR3B@<0TO3j5@PmkiP31BCPphPDB13;CPihkP=?D?PmP3B5GPpn", 237032000, 2391100, 3, 1,
       "EP 531 CARS 80 TRACKS 103 MOTO 5 CREW 86"},
      {"<9NS8O1ROcS0>9P81?f31<<PD5CD", 636012668, 413118000, 0, 0, "NI HAO.CALL TEST"},
      {"<39KdV8jIGtP7E4P@=PjEP>P81@9P>5GPI9BP?<P4P25CP6B=P1<P6E:19B1", 211217560, 211378120, 2, 0,
       "GUD PM 2U N HAPI NEW YIR OL D BES FRM AL FUJAIRAH"},
  };
  for (const auto& m : addressed) {
    const DecodedMessage& r = Find(m.first);
    SCOPED_TRACE(m.text);
    EXPECT_EQ(r.messageId, 12);
    EXPECT_EQ(r.userId, m.user);
    EXPECT_EQ(r.destinationId, m.destination);
    EXPECT_EQ(r.sequenceNumber, m.sequence);
    EXPECT_EQ(r.retransmitFlag, m.retransmit);
    EXPECT_EQ(Trimmed(r.text), m.text);
  }
  const struct {
    const char* first;
    uint32_t user;
    const char* text;
  } broadcast[] = {
      {">5?Per18=HB1U:1@E=B0m<L", 351809000, "RCVD YR TEST MSG"},
      {">3R1p10E3;;R0USCR0HO>0@gN10kGJp", 237008900, "EP228 IX48 FG3 DK7 PL56."},
      {">4aDT81@E=@", 311764000, "TEST"},
  };
  for (const auto& m : broadcast) {
    const DecodedMessage& r = Find(m.first);
    EXPECT_EQ(r.messageId, 14);
    EXPECT_EQ(r.userId, m.user);
    EXPECT_EQ(Trimmed(r.text), m.text);
  }
  // "TEST": 11 characters less 2 fill bits hold 64 bits, four characters
  // after the header and nothing more.
  EXPECT_STREQ(Find(">4aDT81@E=@").text, "TEST");
}

TEST_F(CorpusTest, InterrogationsAndAssignedModeCommand) {
  const DecodedMessage& a = Find("?5OP=l00052HD00");  // 88 bits: one request
  EXPECT_EQ(a.messageId, 15);
  EXPECT_EQ(a.userId, 368578000u);
  EXPECT_EQ(a.destinationId, 5158u);
  EXPECT_EQ(a.requestedMessage11, 5);
  EXPECT_EQ(a.slotOffset11, 0);
  EXPECT_EQ(a.requestedMessage12, 0);
  EXPECT_EQ(a.destinationId2, 0u);

  const DecodedMessage& b = Find("?h3Ovn1GP<K0<P@59a0");  // two requests of one station
  EXPECT_EQ(b.repeatIndicator, 3);
  EXPECT_EQ(b.userId, 3669720u);
  EXPECT_EQ(b.destinationId, 367014320u);
  EXPECT_EQ(b.requestedMessage11, 3);
  EXPECT_EQ(b.slotOffset11, 516);
  EXPECT_EQ(b.requestedMessage12, 5);
  EXPECT_EQ(b.slotOffset12, 617);
  EXPECT_EQ(b.destinationId2, 0u);
  EXPECT_EQ(b.requestedMessage21, 0);
  EXPECT_EQ(b.slotOffset21, 0);

  const DecodedMessage& c = Find("@01uEO@mMk7P<P00");  // 96 bits: station A only
  EXPECT_EQ(c.messageId, 16);
  EXPECT_EQ(c.userId, 2053501u);
  EXPECT_EQ(c.destinationId, 224251000u);
  EXPECT_EQ(c.offsetA, 200);
  EXPECT_EQ(c.incrementA, 0);
  EXPECT_EQ(c.destinationId2, 0u);
  EXPECT_EQ(c.offsetB, 0);
  EXPECT_EQ(c.incrementB, 0);
}

TEST_F(CorpusTest, DgnssBroadcastsKeepTheirCorrectionData) {
  // Two fragments, the data crossing the split.
  const DecodedMessage& a = Find("A02VqLPA4I6C07h5Ed1h<OrsuBTTwS?r:C?w`?la<gno1RTRwSP9:BcurA8a");
  EXPECT_EQ(a.messageId, 17);
  EXPECT_EQ(a.userId, 2734450u);
  EXPECT_EQ(Signed(a.longitude, 18), 17478);
  EXPECT_EQ(Signed(a.latitude, 17), 35992);
  EXPECT_EQ(a.dataStart, 80);
  EXPECT_EQ(a.dataBits, 376);
  EXPECT_EQ(DataHex(a, a.dataStart, a.dataBits),
            "7c0556c07031febbf52924fe33fa2933ffa0fd2932fdb7062922fe3809292afde9122929fcf7002923ffd20c29aaaa");

  const DecodedMessage& b = Find("A;wUJKU>io;WlWuwH`W1PpnuN<isf;5iHtOM1S6q?vsvNrNGOqLcr5mfD6t");
  EXPECT_EQ(b.userId, 804870766u);
  EXPECT_EQ(Signed(b.longitude, 18), 80669);
  EXPECT_EQ(Signed(b.latitude, 17), -26818);
  EXPECT_EQ(b.dataBits, 272);
  EXPECT_EQ(DataHex(b, b.dataStart, b.dataBits),
            "7f7f6289c1838dbd78cc7bb8b17163c7dd0631b93feefe7ba7977f972be85d6e506f");
}

TEST_F(CorpusTest, ExtendedClassBPositionReport) {
  const DecodedMessage& a = Find("C5N3SRgPEnJGEBT>NhWAwwo862PaLELTBJ:V00000000S0D:R220");
  EXPECT_EQ(a.messageId, 19);
  EXPECT_EQ(a.userId, 367059850u);
  EXPECT_EQ(a.sog, 87);
  EXPECT_EQ(a.positionAccuracy, 0);
  EXPECT_NEAR(Lon(a), -88.8103916667, kDegrees);
  EXPECT_NEAR(Lat(a), 29.543695, kDegrees);
  EXPECT_EQ(a.cog, 3359);
  EXPECT_EQ(a.trueHeading, 511);
  EXPECT_EQ(a.timeStamp, 46);
  // The comment shows both regional fields as 0; the bits hold 248 and 4.
  EXPECT_EQ(a.regional8, 248);
  EXPECT_EQ(a.regional4, 4);
  EXPECT_EQ(Trimmed(a.name), "CAPT.J.RIMES");
  EXPECT_EQ(a.shipType, 70);
  EXPECT_EQ(a.dimensions, Dimensions(5, 21, 4, 4));
  EXPECT_EQ(a.epfdType, 1);
  EXPECT_EQ(a.raimFlag, 0);
  EXPECT_EQ(a.dte, 0);
  EXPECT_EQ(a.assignedFlag, 0);
}

TEST_F(CorpusTest, DataLinkManagement) {
  const DecodedMessage& a = Find("Dh3OvjB8IN>4");  // 72 bits: one reservation
  EXPECT_EQ(a.messageId, 20);
  EXPECT_EQ(a.repeatIndicator, 3);
  EXPECT_EQ(a.userId, 3669705u);
  EXPECT_EQ(a.offsetNumber1, 2182);
  EXPECT_EQ(a.reservedSlots1, 5);
  EXPECT_EQ(a.timeout1, 7);
  EXPECT_EQ(a.increment1, 225);
  EXPECT_EQ(a.offsetNumber2, 0);
  EXPECT_EQ(a.increment4, 0);

  const DecodedMessage& b = Find("D030p8@2tN?b<`O6DmQO6D0");  // three
  EXPECT_EQ(b.userId, 3160097u);
  const uint32_t got[3][4] = {{b.offsetNumber1, b.reservedSlots1, b.timeout1, b.increment1},
                              {b.offsetNumber2, b.reservedSlots2, b.timeout2, b.increment2},
                              {b.offsetNumber3, b.reservedSlots3, b.timeout3, b.increment3}};
  const uint32_t expected[3][4] = {{47, 1, 7, 250}, {2250, 1, 7, 1125}, {856, 5, 7, 1125}};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(got[i][k], expected[i][k]) << "reservation " << i + 1 << " field " << k;
  EXPECT_EQ(b.offsetNumber4, 0);
}

TEST_F(CorpusTest, ChannelManagementAndGroupAssignment) {
  const DecodedMessage& a = Find("F030ot22N2P6aoQbhe4736L20000");  // broadcast: a region
  EXPECT_EQ(a.messageId, 22);
  EXPECT_EQ(a.userId, 3160048u);
  EXPECT_EQ(a.channelA, 2087);
  EXPECT_EQ(a.channelB, 2088);
  EXPECT_EQ(a.txRxMode, 0);
  EXPECT_EQ(a.power, 0);
  EXPECT_EQ(Signed(a.neLongitude, 18), -44100);
  EXPECT_EQ(Signed(a.neLatitude, 17), 27330);
  EXPECT_EQ(Signed(a.swLongitude, 18), -48100);
  EXPECT_EQ(Signed(a.swLatitude, 17), 25400);
  EXPECT_EQ(a.addressedFlag, 0);
  EXPECT_EQ(a.destinationId, 0u);
  EXPECT_EQ(a.bandwidthA, 0);
  EXPECT_EQ(a.bandwidthB, 0);
  EXPECT_EQ(a.zoneSize, 4);

  const DecodedMessage& b = Find("G02:Kn01R`sn@291nj600000900");
  EXPECT_EQ(b.messageId, 23);
  EXPECT_EQ(b.userId, 2268120u);
  EXPECT_EQ(Signed(b.neLongitude, 18), 1578);
  EXPECT_EQ(Signed(b.neLatitude, 17), 30642);
  EXPECT_EQ(Signed(b.swLongitude, 18), 1096);
  EXPECT_EQ(Signed(b.swLatitude, 17), 30408);
  EXPECT_EQ(b.stationType, 6);
  EXPECT_EQ(b.shipType, 0);
  EXPECT_EQ(b.txRxMode, 0);
  EXPECT_EQ(b.reportingInterval, 9);
  EXPECT_EQ(b.quietTime, 0);
}

}  // namespace
