// TAG blocks: what the recorder writes in front of a line (checksums worked
// out apart from the code, and read by another decoder), and what is read
// from lines with and without blocks, as other equipment writes them.
#include "nmea/tag_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Written(TagDirection direction, const char* station, int64_t unixTimeMs, const char* text,
                    int room = kTagBlockRoom) {
  char out[kTagBlockRoom];
  const int length = WriteTagBlock(out, room, direction, station, unixTimeMs, text);
  EXPECT_EQ(length, static_cast<int>(strlen(out)));
  return out;
}

TaggedLine Parsed(const std::string& line) {
  TaggedLine parsed;
  ParseTaggedLine(line.data(), static_cast<int>(line.size()), &parsed);
  return parsed;
}

TEST(WriteTagBlock, NamesThePortAndTheTimeInMilliseconds) {
  EXPECT_EQ(Written(kTagSource, "COM7", 1733612345123, nullptr), "\\s:COM7,c:1733612345123*7B\\");
  EXPECT_EQ(Written(kTagDestination, "COM7", 1733612345400, nullptr), "\\d:COM7,c:1733612345400*68\\");
  EXPECT_EQ(Written(kTagDestination, "COM8", 1733612345400, "port stalled"),
            "\\d:COM8,c:1733612345400,t:port stalled*5B\\");
  EXPECT_EQ(Written(kTagSource, "COM7", 0, nullptr), "\\s:COM7*3F\\");  // no clock, no time
  // Characters a parameter may not hold become "_"; a station stops at 15.
  EXPECT_EQ(Written(kTagDestination, "A\\B*C,D!E$FGHIJKLMNOP", 1, nullptr), "\\d:A_B_C_D_E_FGHIJ,c:1*4E\\");
  // Too little room writes nothing rather than a block its checksum does not cover.
  const std::string whole = "\\s:COM7,c:1733612345123*7B\\";
  EXPECT_EQ(Written(kTagSource, "COM7", 1733612345123, nullptr, static_cast<int>(whole.size()) + 1), whole);
  EXPECT_EQ(Written(kTagSource, "COM7", 1733612345123, nullptr, static_cast<int>(whole.size())), "");
}

TEST(ParseTaggedLine, ReadsWhatOtherEquipmentWrites) {
  const std::string vdm = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24";
  struct Case {
    std::string line;
    bool present;
    bool checksumBad;
    int64_t unixTimeMs;  // 0: none
    const char* source;
    const char* destination;
    std::string sentence;
    const char* why;
  } cases[] = {
      {vdm, false, false, 0, "", "", vdm, "no block: the line is the sentence"},
      {"\\s:COM7,c:1733612345123*7B\\" + vdm, true, false, 1733612345123, "COM7", "", vdm, "milliseconds"},
      {"\\s:COM7,c:1733612345*4B\\" + vdm, true, false, 1733612345000, "COM7", "", vdm, "10 digits are seconds"},
      {"\\s:COM9,c:1733612345.25*6C\\" + vdm, true, false, 1733612345250, "COM9", "", vdm, "seconds, fraction"},
      {"\\d:COM7,c:1733612345400*68\\!AIBBM", true, false, 1733612345400, "", "COM7", "!AIBBM", "a sent line"},
      {"\\g:1-2-73874,n:157036,s:COM12,c:1733612345123,r:15*1C\\" + vdm, true, false, 1733612345123, "COM12", "", vdm,
       "grouping, line count and relative time passed over"},
      {"\\s:COM7,c:1733612345123*7b\\" + vdm, true, false, 1733612345123, "COM7", "", vdm, "lower-case checksum"},
      {"\\s:COM7,c:1733612345123\\" + vdm, true, false, 1733612345123, "COM7", "", vdm, "no checksum to fail"},
      {"\\s:COM7,c:1733612345123*7C\\" + vdm, true, true, 0, "", "", vdm, "bad checksum: block skipped, line kept"},
      {"\\s:COM7,c:1733612345123*7\\" + vdm, true, true, 0, "", "", vdm, "one checksum digit"},
      {"\\s:COM7,c:1733612345123*7B" + vdm, false, false, 0, "", "", "\\s:COM7,c:1733612345123*7B" + vdm,
       "no closing backslash: no block"},
      {"\\s:COM7*3F\\\\c:1733612345*58\\" + vdm, true, false, 1733612345000, "COM7", "", vdm, "two blocks"},
      {"\\s:ABCDEFGHIJKLMNOP\\" + vdm, true, false, 0, "", "", vdm, "a source past 15 characters names no port"},
      {"\\s:COM7,c:17336x2345*02\\" + vdm, true, false, 0, "COM7", "", vdm, "a time that is no number"},
      {"\\s:COM7,c:*4A\\", true, false, 0, "COM7", "", "", "an empty time, no sentence"},
  };
  for (const Case& c : cases) {
    const TaggedLine parsed = Parsed(c.line);
    EXPECT_EQ(parsed.tag.present, c.present) << c.why;
    EXPECT_EQ(parsed.tag.checksumBad, c.checksumBad) << c.why;
    EXPECT_EQ(parsed.tag.hasTime, c.unixTimeMs != 0) << c.why;
    if (c.unixTimeMs != 0) {
      EXPECT_EQ(parsed.tag.unixTimeMs, c.unixTimeMs) << c.why;
    }
    EXPECT_STREQ(parsed.tag.source, c.source) << c.why;
    EXPECT_STREQ(parsed.tag.destination, c.destination) << c.why;
    EXPECT_EQ(std::string(parsed.sentence, static_cast<size_t>(parsed.sentenceLength)), c.sentence) << c.why;
  }
}

TEST(ParseTaggedLine, ReadsBackWhatWasWritten) {
  for (const int64_t time : {int64_t{1}, int64_t{1733612345123}, int64_t{99999999999999}}) {
    const std::string line = Written(kTagSource, "COM255", time, nullptr) + "$GPGGA";
    const TaggedLine parsed = Parsed(line);
    EXPECT_FALSE(parsed.tag.checksumBad) << line;
    EXPECT_STREQ(parsed.tag.source, "COM255") << line;
    // What is written as milliseconds reads back as such from 12 digits
    // on; fewer digits are seconds to every reader.
    EXPECT_EQ(parsed.tag.unixTimeMs, time >= 100000000000 ? time : time * 1000) << line;
    EXPECT_EQ(std::string(parsed.sentence), "$GPGGA");
  }
}

TEST(ReceivedOn, TakesTheSourceNamedWhateverItsCase) {
  const TaggedLine received = Parsed("\\s:com7*1F\\!AIVDM");
  EXPECT_TRUE(ReceivedOn(received.tag, "COM7"));
  EXPECT_TRUE(ReceivedOn(received.tag, "com7"));
  EXPECT_FALSE(ReceivedOn(received.tag, "COM70"));
  EXPECT_FALSE(ReceivedOn(received.tag, "COM"));
  EXPECT_FALSE(ReceivedOn(Parsed("\\d:COM7*28\\!AIBBM").tag, "COM7"));  // sent, not received
  EXPECT_FALSE(ReceivedOn(Parsed("!AIVDM").tag, "COM7"));
  EXPECT_FALSE(ReceivedOn(Parsed("\\s:COM7*3E\\!AIVDM").tag, "COM7"));  // the block may have changed
}

}  // namespace
