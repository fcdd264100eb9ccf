// One menu command's transmission composed: the known report's sentences,
// the sequential identifier counting round through 0-9 whichever link is
// chosen, and the link choice handed to the writer.
#include "transmit/met_hydro_broadcast.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/transmit/written_sentences.h"

namespace {

using written_sentences::Written;

TEST(SendMetHydroReport, StampsPacksAndNumbersEachTransmission) {
  MetHydroBroadcaster broadcaster{};
  std::vector<Written> written;
  const BbmWriter writer = written_sentences::WriterInto(&written);
  ASSERT_EQ(SendMetHydroReport(&broadcaster, 23, 14, 7, 0, 0, &writer), 2);
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0].text.substr(0, 17), "!AIBBM,2,1,0,1,8,");
  EXPECT_EQ(written[0].text.substr(written[0].text.size() - 5), "*25\r\n");
  EXPECT_EQ(written[1].text, "!AIBBM,2,2,0,1,8,uOwd00,4*4D\r\n");
  EXPECT_EQ(written[0].target, 0);

  // Identifiers 1 to 9 on either link, then 0 again for the eleventh.
  for (int command = 2; command <= 11; ++command) {
    written.clear();
    const int target = command % 2;
    SendMetHydroReport(&broadcaster, 23, 14, 7, 0, target, &writer);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1].text.substr(11, 1), std::to_string((command - 1) % 10)) << command;
    EXPECT_EQ(written[1].target, target) << command;
  }
}

}  // namespace
