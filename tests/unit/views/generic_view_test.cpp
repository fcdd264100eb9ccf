// The generic message view: its title and rows for every message type, from
// recorded traffic and hand-built messages; the forms that choose rows; the
// texts of units, special values and meanings; the longest values.
#include "views/generic_view.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/unit/ais/message_builder.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows RowsOf(const DecodedMessage& record) {
  static GenericRow rows[kMaxGenericRows];
  const int count = FillGenericRows(record, rows);
  Rows out;
  for (int i = 0; i < count; ++i) out.emplace_back(rows[i].label, rows[i].value);
  return out;
}

std::string TitleOf(const DecodedMessage& record) {
  char title[96];
  FormatGenericTitle(record, title, sizeof title);
  return title;
}

// A recorded message: its fragments' payloads and the last one's fill bits.
DecodedMessage Recorded(const std::vector<std::string>& payloads, int fill) {
  FragmentSet set = MakeFragments(payloads);
  set.blocks[payloads.size()].fillBitsChar = static_cast<char>('0' + fill);
  return Decode(set);
}

// Whether `expected` rows appear in `rows` in this order (others between).
::testing::AssertionResult HasInOrder(const Rows& rows, const Rows& expected) {
  size_t at = 0;
  for (const auto& want : expected) {
    while (at < rows.size() && rows[at] != want) ++at;
    if (at == rows.size()) {
      std::string shown;
      for (const auto& row : rows) shown += "\n  " + row.first + ": " + row.second;
      return ::testing::AssertionFailure()
             << "no row \"" << want.first << "\" = \"" << want.second << "\" after the previous one in:" << shown;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

bool HasLabel(const Rows& rows, const std::string& label) {
  for (const auto& row : rows)
    if (row.first == label) return true;
  return false;
}

// Every message type from recorded traffic (positions and speeds worked out
// from the values the corpus comments give), or built where it has none.
TEST(GenericView, RowsOfEveryMessageType) {
  const struct {
    const char* reason;
    std::vector<std::string> payloads;
    int fill;
    const char* title;
    Rows rows;
  } cases[] = {
      {"type 1: -123.395383 / 48.381633, ROT -127",
       {"15RTgt0PAso;90TKcjM8h6g208CQ"},
       0,
       " Message 1 : Position report",
       {{"Message ID", "1"},
        {"User ID", "371798000"},
        {"Navigational status", "0 = under way using engine"},
        {"Rate of turn", "-127 = turning left at more than 5\xC2\xB0 per 30 s (no turn indicator)"},
        {"SOG", "12.3 kn (raw 123)"},
        {"Position accuracy", "1 = high (<= 10 m)"},
        {"Longitude",
         "123\xC2\xB0"
         "23.7230' W (raw -74037230)"},
        {"Latitude",
         "48\xC2\xB0"
         "22.8980' N (raw 29028980)"},
        {"COG", "224.0\xC2\xB0 (raw 2240)"},
        {"True heading", "215\xC2\xB0"},
        {"Time stamp", "33 s"},
        {"Sync state", "0 = UTC direct"},
        {"Slot time-out", "2 frames"},
        {"Sub message", "1249 (slot number)"}}},
      {"type 3: ITDMA state",
       {"38Id705000rRVJhE7cl9n;160000"},
       0,
       " Message 3 : Position report",
       {{"Navigational status", "5 = moored"},
        {"Rate of turn", "0.0\xC2\xB0/min (raw 0)"},
        {"Slot increment", "0"},
        {"Number of slots", "0 = 1 slot"},
        {"Keep flag", "0 = not kept"}}},
      {"type 4 with date, time and position not available",
       {"402Fha0000Htt<tSF0l4Q@000d20"},
       0,
       " Message 4 : UTC and position report from base station",
       {{"UTC year", "0 = not available"},
        {"UTC hour", "24 = not available"},
        {"UTC second", "60 = not available"},
        {"Longitude", "108600000 = not available (181\xC2\xB0)"},
        {"Latitude", "54600000 = not available (91\xC2\xB0)"},
        {"Sub message", "128 (received stations)"}}},
      {"type 5 over two fragments",
       {"55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8", "88888888880"},
       2,
       " Message 5 : Ship static and voyage related data",
       {{"IMO number", "9134270"},
        {"Call sign", "3FOF8"},
        {"Name", "EVER DIADEM"},
        {"Type of ship and cargo", "70 = cargo ship"},
        {"Dimension A (bow)", "225 m"},
        {"Dimension D (starboard)", "31 m"},
        {"Type of EPFD", "1 = GPS"},
        {"ETA month", "5"},
        {"ETA hour", "14"},
        {"Maximum present static draught", "12.2 m (raw 122)"},
        {"Destination", "NEW YORK"}}},
      {"type 6 of another application",
       {"6B?n;be:cbapalgc;i6?Ow4"},
       2,
       " Message 6 : Binary addressed message",
       {{"Repeat indicator", "1"},
        {"Sequence number", "3"},
        {"Destination ID", "313240222"},
        {"DAC", "669"},
        {"FI", "11"},
        {"Application data", "eb2f118f7ff1 (48 bits)"}}},
      {"type 7, one destination",
       {"702R5`hwCjq8"},
       0,
       " Message 7 : Binary acknowledge",
       {{"Destination ID 1", "265538450"}, {"Destination ID 2", "000000000"}}},
      {"type 8 over two fragments",
       {"8>qc9wiKf>d=Cq5r0mdew:?DLq>1LmhHrsqmBCKnJ50", "3OLc=UCRp"},
       0,
       " Message 8 : Binary broadcast message",
       {{"User ID", "999999999"},
        {"DAC", "366"},
        {"Application data", "eb0d4f917a035b2dfca3d4739381735c18ebbe754936f66850037dcacd9538b8 (256 bits)"}}},
      {"type 9: altitude, speed in knots, position raw",
       {"91b55wi;hbOS@OdQAC062Ch2089h"},
       0,
       " Message 9 : Standard SAR aircraft position report",
       {{"User ID", "111232511"},
        {"Altitude", "303 m"},
        {"SOG", "42 kn"},
        {"Longitude",
         "6\xC2\xB0"
         "16.7306' W (raw -3767306)"},
        {"Latitude",
         "58\xC2\xB0"
         "08.6400' N (raw 34886400)"},
        {"COG", "154.5\xC2\xB0 (raw 1545)"},
        {"Time stamp", "15 s"},
        {"DTE", "1 = not available"},
        {"Communication state selector flag", "0 = SOTDMA"},
        {"Slot time-out", "2 frames"},
        {"Sub message", "624 (slot number)"}}},
      {"type 10",
       {":5MlU41GMK6@"},
       0,
       " Message 10 : UTC/date inquiry",
       {{"User ID", "366814480"}, {"Destination ID", "366832740"}}},
      {"type 11 like type 4",
       {";4R33:1uUK2F`q?mOt@@GoQ00000"},
       0,
       " Message 11 : UTC/date response",
       {{"UTC year", "2009"},
        {"UTC month", "5"},
        {"UTC day", "22"},
        {"UTC hour", "2"},
        {"UTC minute", "22"},
        {"UTC second", "40"},
        {"Longitude",
         "94\xC2\xB0"
         "24.4610' W (raw -56644610)"},
        {"Latitude",
         "28\xC2\xB0"
         "24.5470' N (raw 17045470)"}}},
      {"type 12, text ended by fill bits",
       {"<5?SIj5Cp;NPD81>H0"},
       4,
       " Message 12 : Addressed safety related message",
       {{"Sequence number", "1"}, {"Destination ID", "351809000"}, {"Safety related text", "THANX"}}},
      {"type 13",
       {"=39UOj0jFs9R"},
       0,
       " Message 13 : Safety related acknowledge",
       {{"User ID", "211378120"}, {"Destination ID 1", "211217560"}}},
      {"type 14",
       {">5?Per18=HB1U:1@E=B0m<L"},
       2,
       " Message 14 : Safety related broadcast message",
       {{"User ID", "351809000"}, {"Safety related text", "RCVD YR TEST MSG"}}},
      {"type 15, two requests",
       {"?h3Ovn1GP<K0<P@59a0"},
       2,
       " Message 15 : Interrogation",
       {{"Repeat indicator", "3 = do not repeat any more"},
        {"Destination ID 1", "367014320"},
        {"Message ID 1.1", "3"},
        {"Slot offset 1.1", "516"},
        {"Message ID 1.2", "5"},
        {"Slot offset 1.2", "617"},
        {"Destination ID 2", "000000000"}}},
      {"type 16, one station",
       {"@01uEO@mMk7P<P00"},
       0,
       " Message 16 : Assigned mode command",
       {{"Destination ID A", "224251000"}, {"Offset A", "200"}, {"Increment A", "0"}}},
      {"type 17: 1/10 minute positions, correction data",
       {"A02VqLPA4I6C07h5Ed1h<OrsuBTTwS?r:C?w`?la<gno1RTRwSP9:BcurA8a", ":Oko02TSwu8<:Jbb"},
       0,
       " Message 17 : DGNSS broadcast binary message",
       {{"Longitude",
         "29\xC2\xB0"
         "07.8' E (raw 17478)"},
        {"Latitude",
         "59\xC2\xB0"
         "59.2' N (raw 35992)"},
        {"DGNSS data",
         "7c0556c07031febbf52924fe33fa2933ffa0fd2932fdb7062922fe3809292afde9122929fcf7002923ffd20c29aaaa (376 "
         "bits)"}}},
      {"type 18, ITDMA",
       {"B52K>;h00Fc>jpUlNV@ikwpUoP06"},
       0,
       " Message 18 : Standard class B equipment position report",
       {{"SOG", "0.1 kn (raw 1)"},
        {"True heading", "511 = not available"},
        {"Class B unit flag", "1 = class B CS unit"},
        {"RAIM flag", "1 = in use"},
        {"Communication state selector flag", "1 = ITDMA"},
        {"Sync state", "3 = synchronised to another station"},
        {"Number of slots", "3 = 4 slots"}}},
      {"type 19",
       {"C5N3SRgPEnJGEBT>NhWAwwo862PaLELTBJ:V00000000S0D:R220"},
       0,
       " Message 19 : Extended class B equipment position report",
       {{"Regional reserved", "248"},
        {"SOG", "8.7 kn (raw 87)"},
        {"COG", "335.9\xC2\xB0 (raw 3359)"},
        {"Regional reserved", "4"},
        {"Name", "CAPT.J.RIMES"},
        {"Dimension B (stern)", "21 m"}}},
      {"type 20, three reservations",
       {"D030p8@2tN?b<`O6DmQO6D0"},
       2,
       " Message 20 : Data link management message",
       {{"Offset number 1", "47"},
        {"Number of slots 1", "1"},
        {"Time-out 1", "7 min"},
        {"Increment 1", "250"},
        {"Offset number 3", "856"},
        {"Increment 3", "1125"},
        {"Offset number 4", "0"}}},
      {"type 21 over two fragments",
       {"E1mg=5J1T4W0h97aRh6ba84<h2d;W:Te=eLvH50```q", ":D44QDlp0C1DU00"},
       2,
       " Message 21 : Aids-to-navigation report",
       {{"Type of aids-to-navigation", "20 = cardinal mark N"},
        {"Name of aids-to-navigation", "CHINA ROSE MURPHY EX"},
        {"AtoN status", "10100101 (raw 165)"},
        {"Name of aids-to-navigation extension", "PRESS ALERT"}}},
      {"type 22 for a region",
       {"F030ot22N2P6aoQbhe4736L20000"},
       0,
       " Message 22 : Channel management",
       {{"Channel A", "2087"},
        {"Channel B", "2088"},
        {"Tx/Rx mode", "0 = Tx A/Tx B, Rx A/Rx B"},
        {"Power", "0 = high"},
        {"Longitude 1 (north-east)",
         "73\xC2\xB0"
         "30.0' W (raw -44100)"},
        {"Latitude 1 (north-east)",
         "45\xC2\xB0"
         "33.0' N (raw 27330)"},
        {"Longitude 2 (south-west)",
         "80\xC2\xB0"
         "10.0' W (raw -48100)"},
        {"Latitude 2 (south-west)",
         "42\xC2\xB0"
         "20.0' N (raw 25400)"},
        {"Addressed or broadcast message indicator", "0 = broadcast"},
        {"Transitional zone size", "4 = 5 nm"}}},
      {"type 23",
       {"G02:Kn01R`sn@291nj600000900"},
       2,
       " Message 23 : Group assignment command",
       {{"Longitude 1 (north-east)",
         "2\xC2\xB0"
         "37.8' E (raw 1578)"},
        {"Station type", "6 = inland waterways"},
        {"Type of ship and cargo", "0 = not available"},
        {"Reporting interval", "9 = next shorter reporting interval"},
        {"Quiet time", "0 = none"}}},
      {"type 24 part A",
       {"H42O55i18tMET00000000000000"},
       2,
       " Message 24 A : Static data report",
       {{"Part number", "0 = part A"}, {"Name", "PROGUY"}}},
      {"type 24 part B",
       {"H42O55lti4hhhilD3nink000?050"},
       0,
       " Message 24 B : Static data report",
       {{"Part number", "1 = part B"},
        {"Type of ship and cargo", "60 = passenger ship"},
        {"Vendor ID", "1D00014"},
        {"Call sign", "TC6163"},
        {"Dimension B (stern)", "15 m"}}},
      {"type 25, broadcast with an application identifier",
       {"I8IRGB40QPPa0:<HP::V=gwv0l48"},
       0,
       " Message 25 : Single slot binary message",
       {{"Destination indicator", "0 = broadcast"},
        {"Binary data flag", "1 = with application identifier"},
        {"Binary data", "082900a31880a2a636fffe034108 (112 bits)"}}},
      {"type 26, addressed and unstructured, ITDMA",
       {"J1@@0IK70PGgT740000000000@000?D0ih1e00006JlPC9C3"},
       0,
       " Message 26 : Multiple slot binary message with communications state",
       {{"Destination indicator", "1 = addressed"},
        {"Destination ID", "834699643"},
        {"Binary data", "90710000000000000001000000f500c7006d00000019ad2040 (196 bits)"},
        {"Communication state selector flag", "1 = ITDMA"},
        {"Sync state", "2 = synchronised to a base station"},
        {"Slot increment", "2380"},
        {"Keep flag", "1 = kept for one more frame"}}},
      {"type 27: 1/10 minute positions, whole knots and degrees",
       {"KC5E2b@U19PFdLbMuc5=ROv62<7m"},
       0,
       " Message 27 : Position report for long-range applications",
       {{"Navigational status", "2 = not under command"},
        {"Longitude",
         "137\xC2\xB0"
         "01.4' E (raw 82214)"},
        {"Latitude",
         "4\xC2\xB0"
         "50.4' N (raw 2904)"},
        {"SOG", "57 kn"},
        {"COG", "167\xC2\xB0"},
        {"Position latency", "0 = less than 5 s"}}},
  };
  for (const auto& c : cases) {
    const DecodedMessage record = Recorded(c.payloads, c.fill);
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(TitleOf(record), c.title);
    const Rows rows = RowsOf(record);
    EXPECT_TRUE(HasInOrder(rows, c.rows));
    // The header leads every decoded message.
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].first, "Message ID");
    EXPECT_EQ(rows[2].first, "User ID");
  }
}

// Rows of one form only: the addressed or regional channel management, the
// binary messages' destination and application identifier, the parts of
// message 24 and the two forms of a communication state.
TEST(GenericView, TheMessageFormChoosesItsRows) {
  const struct {
    const char* reason;
    MessageBuilder message;
    std::vector<std::string> shown, hidden;
  } cases[] = {
      {"22 addressed",
       MessageBuilder().Put(6, 22).Put(32, 1).Put(2, 0).Put(29, 0).Put(35, 7).Put(35, 9).Put(1, 1).Put(28, 0),
       {"Destination ID 1", "Destination ID 2"},
       {"Longitude 1 (north-east)", "Latitude 2 (south-west)"}},
      {"25 addressed, unstructured",
       MessageBuilder().Put(6, 25).Put(32, 1).Put(1, 1).Put(1, 0).Put(30, 7).Put(2, 0).Put(24, 1),
       {"Destination ID", "Binary data"},
       {"DAC", "FI"}},
      {"25 broadcast, structured",
       MessageBuilder().Put(6, 25).Put(32, 1).Put(1, 0).Put(1, 1).Put(16, 95).Put(24, 1),
       {"DAC", "FI", "Binary data"},
       {"Destination ID"}},
      {"24 part number 3 reads as part B",
       MessageBuilder().Put(6, 24).Put(32, 1).Put(2, 3).Put(128, 0),
       {"Vendor ID", "Call sign"},
       {"Name"}},
      {"9 with the selector clear: SOTDMA",
       MessageBuilder().Put(6, 9).Put(142, 0).Put(1, 0).Put(19, 0),
       {"Slot time-out", "Sub message"},
       {"Slot increment", "Keep flag"}},
      {"9 with the selector set: ITDMA",
       MessageBuilder().Put(6, 9).Put(142, 0).Put(1, 1).Put(19, 0),
       {"Slot increment", "Number of slots", "Keep flag"},
       {"Slot time-out"}},
      {"2 without a selector: SOTDMA",
       MessageBuilder().Put(6, 2).Put(162, 0),
       {"Sub message"},
       {"Communication state selector flag", "Slot increment"}},
  };
  for (const auto& c : cases) {
    const Rows rows = RowsOf(DecodeOne(c.message));
    SCOPED_TRACE(c.reason);
    for (const std::string& label : c.shown) EXPECT_TRUE(HasLabel(rows, label)) << label;
    for (const std::string& label : c.hidden) EXPECT_FALSE(HasLabel(rows, label)) << label;
  }
}

std::string ValueOf(const DecodedMessage& record, const std::string& label) {
  for (const auto& row : RowsOf(record))
    if (row.first == label) return row.second;
  return "<no row " + label + ">";
}

// Texts at the values that matter: not available, extremes, both signs,
// the meaning of a sub message by its slot time-out.
TEST(GenericView, ValueTextsAtTheirEdges) {
  const struct {
    const char* reason;
    MessageBuilder message;
    const char* label;
    const char* value;
  } cases[] = {
      {"rate of turn not available", MessageBuilder().Put(6, 1).Put(36, 0).Put(8, 0x80), "Rate of turn",
       "-128 = not available"},
      {"rate of turn 17 right", MessageBuilder().Put(6, 1).Put(36, 0).Put(8, 17), "Rate of turn",
       "12.9\xC2\xB0/min right (raw 17)"},
      {"rate of turn 126 left", MessageBuilder().Put(6, 1).Put(36, 0).Put(8, 0x82), "Rate of turn",
       "708.7\xC2\xB0/min left (raw -126)"},
      {"SOG not available", MessageBuilder().Put(6, 1).Put(44, 0).Put(10, 1023), "SOG", "1023 = not available"},
      {"COG not available", MessageBuilder().Put(6, 1).Put(110, 0).Put(12, 3600), "COG", "3600 = not available"},
      {"latitude all ones: a ten-thousandth south", MessageBuilder().Put(6, 1).Put(83, 0).Put(27, 0x7FFFFFF),
       "Latitude",
       "0\xC2\xB0"
       "00.0001' S (raw -1)"},
      {"time stamp 62", MessageBuilder().Put(6, 1).Put(131, 0).Put(6, 62), "Time stamp", "62 = dead reckoning mode"},
      {"sub message as UTC hour and minute",
       MessageBuilder().Put(6, 1).Put(145, 0).Put(3, 1).Put(5, 14).Put(7, 7).Put(2, 0), "Sub message",
       "UTC 14:07 (raw 7196)"},
      {"sub message as a slot offset", MessageBuilder().Put(6, 1).Put(145, 0).Put(3, 0).Put(14, 2250), "Sub message",
       "2250 (slot offset)"},
      {"altitude not available", MessageBuilder().Put(6, 9).Put(32, 0).Put(12, 4095), "Altitude",
       "4095 = not available"},
      {"long-range SOG not available", MessageBuilder().Put(6, 27).Put(73, 0).Put(6, 63), "SOG", "63 = not available"},
      {"1/10 minute longitude not available", MessageBuilder().Put(6, 27).Put(38, 0).Put(18, 108600), "Longitude",
       "108600 = not available (181\xC2\xB0)"},
      {"draught 25.5 m or more", MessageBuilder().Put(6, 5).Put(288, 0).Put(8, 255), "Maximum present static draught",
       "255 = 25.5 m or more"},
      {"dimension C 63 m or more", MessageBuilder().Put(6, 5).Put(252, 0).Put(6, 63), "Dimension C (port)",
       "63 = 63 m or more"},
      {"ship type by its tens", MessageBuilder().Put(6, 5).Put(226, 0).Put(8, 84), "Type of ship and cargo",
       "84 = tanker"},
      {"a text of at signs is empty", MessageBuilder().Put(6, 14).Put(34, 0).PutText("", 3), "Safety related text", ""},
      {"inner at signs and blanks stay", MessageBuilder().Put(6, 14).Put(34, 0).PutText("A@ B  ", 6),
       "Safety related text", "A@ B"},
      {"no application data", MessageBuilder().Put(6, 8).Put(50, 0), "Application data", "none"},
      {"data ending inside a byte", MessageBuilder().Put(6, 8).Put(50, 0).Put(10, 0x3FF), "Application data",
       "ffc0 (10 bits)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ValueOf(DecodeOne(c.message), c.label), c.value) << c.reason;
  }
}

// Message types without a decoder show their header and the whole message;
// a record that holds nothing shows nothing.
TEST(GenericView, ReservedTypesShowTheWholeMessage) {
  MessageBuilder m;
  // 45, 3, 123456789 and 0xBEEF in 54 bits, two zero bits fill the last byte.
  m.Put(6, 45).Put(2, 3).Put(30, 123456789).Put(16, 0xBEEF);
  const DecodedMessage record = DecodeOne(m);
  EXPECT_EQ(TitleOf(record), " Message 45 : Reserved for future use");
  EXPECT_TRUE(HasInOrder(RowsOf(record), {{"Message ID", "45"},
                                          {"Repeat indicator", "3 = do not repeat any more"},
                                          {"User ID", "123456789"},
                                          {"Message", "b71d6f3456fbbc (54 bits)"}}));

  DecodedMessage empty;
  memset(&empty, 0, sizeof empty);
  EXPECT_TRUE(RowsOf(empty).empty());
}

// The longest values a message can hold fit their row whole.
TEST(GenericView, LongestValuesFitTheirRows) {
  MessageBuilder text;
  text.Put(6, 14).Put(34, 0).PutText(std::string(161, 'W').c_str(), 161);
  MessageBuilder reserved;
  reserved.Put(6, 63);
  while (reserved.bits() < 1008) reserved.Put(6, 63);
  MessageBuilder data;
  data.Put(6, 8).Put(50, 0);
  while (data.bits() < 1008) data.Put(8, 0xA5);
  const struct {
    MessageBuilder message;
    const char* label;
    size_t length;
  } cases[] = {
      {text, "Safety related text", 161},
      {reserved, "Message", 252 + sizeof " (1008 bits)" - 1},
      {data, "Application data", 238 + sizeof " (952 bits)" - 1},
  };
  for (const auto& c : cases) {
    // Split as a transmitter would: the longest payload fills three sentences.
    const std::string armoured = c.message.Armoured();
    const DecodedMessage record =
        Recorded({armoured.substr(0, 60), armoured.substr(60, 60), armoured.substr(120)}, c.message.FillBits());
    const std::string value = ValueOf(record, c.label);
    EXPECT_EQ(value.size(), c.length) << c.label;
    EXPECT_LT(value.size(), static_cast<size_t>(kGenericValueText)) << c.label;
  }
}

// Whatever a serial line delivers: every message id, random bits of any
// length and any fill. Each value ends within its row and is whole UTF-8
// (the degree sign's two bytes never cut apart).
TEST(GenericView, RandomMessagesGiveWholeRows) {
  std::mt19937 random(1371);
  static GenericRow rows[kMaxGenericRows];
  for (int round = 0; round < 4000; ++round) {
    std::string text(1, ArmourCharacter(static_cast<uint8_t>(round % 64)));
    const size_t length = random() % kPayloadTextChars;
    while (text.size() < length) text += ArmourCharacter(static_cast<uint8_t>(random() % 64));
    const DecodedMessage record = Recorded({text}, static_cast<int>(random() % 6));
    const int count = FillGenericRows(record, rows);
    ASSERT_LE(count, kMaxGenericRows);
    for (int i = 0; i < count; ++i) {
      const char* value = rows[i].value;
      const size_t size = strnlen(value, sizeof rows[i].value);
      ASSERT_LT(size, sizeof rows[i].value) << rows[i].label;
      for (size_t k = 0; k < size; ++k) {
        const auto byte = static_cast<unsigned char>(value[k]);
        if (byte < 0x80) continue;
        // Only the degree sign leaves ASCII: C2 B0.
        ASSERT_TRUE(byte == 0xC2 && k + 1 < size && static_cast<unsigned char>(value[k + 1]) == 0xB0)
            << rows[i].label << ": " << value;
        ++k;
      }
    }
    char title[96];
    FormatGenericTitle(record, title, sizeof title);
    EXPECT_EQ(std::string(title).rfind(" Message ", 0), 0u) << title;
  }
}

}  // namespace
