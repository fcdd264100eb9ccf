// Line assembly, formatter filter and display trimming of the sensor stream.
#include "serial/sensor_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kGga[] = "$GPGGA,213950.00,5250.53669,N,00542.34920,E,1,09,1.03,-6.0,M,45.8,M,,*7B\r\n";
const char kVtg[] = "$GPVTG,,T,,M,0.017,N,0.032,K,A*20\r\n";

// Records what the stream shows, as the settings dialog would.
struct Dialog {
  bool open = true;
  bool acceptsLines = true;
  std::vector<std::string> lines;
  int counted = 0;
};

bool DialogOpen(void* context) {
  return static_cast<Dialog*>(context)->open;
}
bool AppendLine(void* context, const char* line) {
  auto* dialog = static_cast<Dialog*>(context);
  if (!dialog->acceptsLines) return false;
  dialog->lines.push_back(line);
  return true;
}
void CountLine(void* context) {
  ++static_cast<Dialog*>(context)->counted;
}

class SensorStreamTest : public ::testing::Test {
 protected:
  void Feed(const std::string& bytes, size_t chunk = 128) {
    for (size_t at = 0; at < bytes.size(); at += chunk) {
      const size_t count = std::min(chunk, bytes.size() - at);
      FeedSensorStream(&stream_, &sink_, reinterpret_cast<const uint8_t*>(bytes.data() + at), static_cast<int>(count));
    }
  }

  SensorStream stream_{};
  Dialog dialog_;
  SensorStreamSink sink_{DialogOpen, AppendLine, CountLine, &dialog_};
};

TEST_F(SensorStreamTest, ShowsOnlySentencesContainingTheFilter) {
  SetStreamFormatter(&stream_, "GGA");
  Feed(std::string(kGga) + kVtg);
  ASSERT_EQ(dialog_.lines.size(), 1u);
  EXPECT_EQ(dialog_.lines[0], std::string(kGga, strlen(kGga)));
  EXPECT_EQ(dialog_.counted, 1);
}

TEST_F(SensorStreamTest, ChunkBoundariesDoNotMatter) {
  SetStreamFormatter(&stream_, "VTG");
  const std::string traffic = std::string(kGga) + kVtg + kGga + kVtg;
  for (size_t chunk : {1u, 2u, 7u, 128u}) {
    dialog_.lines.clear();
    Feed(traffic, chunk);
    ASSERT_EQ(dialog_.lines.size(), 2u) << "chunks of " << chunk;
    EXPECT_EQ(dialog_.lines[0], kVtg);
    EXPECT_EQ(dialog_.lines[1], kVtg);
  }
}

TEST_F(SensorStreamTest, ClosedDialogLeavesTheStreamUntouched) {
  SetStreamFormatter(&stream_, "GGA");
  Feed("$GPVTG,,T,");  // a sentence in progress when the dialog closes
  char line[sizeof stream_.line];
  uint8_t window[3];
  memcpy(line, stream_.line, sizeof line);
  memcpy(window, stream_.window, sizeof window);
  const int32_t lineLength = stream_.lineLength;
  const int32_t matched = stream_.matched;
  dialog_.open = false;
  Feed(kGga);
  EXPECT_TRUE(dialog_.lines.empty());
  EXPECT_EQ(memcmp(stream_.line, line, sizeof line), 0);
  EXPECT_EQ(stream_.lineLength, lineLength);
  EXPECT_EQ(memcmp(stream_.window, window, sizeof window), 0);
  EXPECT_EQ(stream_.matched, matched);

  dialog_.open = true;
  Feed(kGga);
  ASSERT_EQ(dialog_.lines.size(), 1u);
  EXPECT_EQ(dialog_.lines[0], kGga);
  EXPECT_EQ(dialog_.counted, 1);
}

TEST_F(SensorStreamTest, LongSentenceIsCutTo86CharactersPlusCrLf) {
  SetStreamFormatter(&stream_, "XDR");
  std::string sentence = "$IIXDR";
  while (sentence.size() < 100) sentence += static_cast<char>('0' + sentence.size() % 10);
  Feed(sentence + "\r\n");
  ASSERT_EQ(dialog_.lines.size(), 1u);
  EXPECT_EQ(dialog_.lines[0], sentence.substr(0, 86) + "\r\n");
}

TEST_F(SensorStreamTest, FilterShorterThanThreeCharactersNeverMatches) {
  for (const char* filter : {"GG", "G", ""}) {
    SetStreamFormatter(&stream_, filter);
    // A NUL byte in the stream must not stand in for the missing character.
    Feed(std::string(kGga) + std::string("$GG\0A,\r\n", 8) + std::string("$G\0\0\r\n", 6));
  }
  EXPECT_TRUE(dialog_.lines.empty());
  EXPECT_EQ(dialog_.counted, 0);
}

TEST_F(SensorStreamTest, OnlyThreeCharactersOfTheFilterAreCompared) {
  SetStreamFormatter(&stream_, "GGAX");
  char stored[kStreamFormatterChars + 1];
  StreamFormatterText(&stream_, stored);
  EXPECT_STREQ(stored, "GGAX");
  Feed(kGga);
  EXPECT_EQ(dialog_.lines.size(), 1u);
  SetStreamFormatter(&stream_, "GGAXYZ");
  StreamFormatterText(&stream_, stored);
  EXPECT_STREQ(stored, "GGAX") << "the field keeps four characters";
}

TEST_F(SensorStreamTest, NewFilterJudgesTheSentenceInProgressFromTheNextCharacter) {
  // Matched under the old filter, then the filter changes: not shown.
  SetStreamFormatter(&stream_, "GGA");
  Feed("$GPGGA,213950.00,");
  SetStreamFormatter(&stream_, "VTG");
  Feed("5250.53669,N*7B\r\n");
  EXPECT_TRUE(dialog_.lines.empty());

  // The new filter completes with the next character: shown.
  SetStreamFormatter(&stream_, "XYZ");
  Feed("$GPGG");
  SetStreamFormatter(&stream_, "GGA");
  Feed("A,1,09*7B\r\n");
  ASSERT_EQ(dialog_.lines.size(), 1u);
  EXPECT_EQ(dialog_.lines[0], "$GPGGA,1,09*7B\r\n");
}

TEST_F(SensorStreamTest, LineRefusedByTheDialogIsNotCountedNorOfferedAgain) {
  SetStreamFormatter(&stream_, "GGA");
  dialog_.acceptsLines = false;  // the dialog closed between the check and the append
  Feed(kGga);
  dialog_.acceptsLines = true;
  Feed("\r\n");  // a stray carriage return ends the same line once more
  EXPECT_TRUE(dialog_.lines.empty());
  EXPECT_EQ(dialog_.counted, 0);
}

// A real recorded feed: every sentence with "GGA" after its start character
// is shown, in order, and nothing else.
TEST_F(SensorStreamTest, RecordedFeedShowsEveryMatchingSentenceInOrder) {
  std::ifstream file(ASM_CORPUS_DIR "/ais-nmea.log", std::ios::binary);
  ASSERT_TRUE(file) << "corpus file missing";
  std::string traffic;
  std::vector<std::string> expected;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    traffic += line + "\r\n";
    if (!line.empty() && (line[0] == '$' || line[0] == '!') && line.find("GGA", 1) != std::string::npos)
      expected.push_back(line.substr(0, 86) + "\r\n");
  }
  ASSERT_GT(expected.size(), 100u);
  SetStreamFormatter(&stream_, "GGA");
  Feed(traffic, 37);
  EXPECT_EQ(dialog_.lines, expected);
  EXPECT_EQ(dialog_.counted, static_cast<int>(expected.size()));
}

TEST(AppendToStreamDisplay, DropsOldestLinesToStayBelow512Characters) {
  char display[kStreamDisplayRoom] = "";
  const std::string line = std::string(kGga);  // 75 characters
  std::string shown;
  for (int i = 0; i < 20; ++i) {
    const int length = AppendToStreamDisplay(display, line.c_str());
    shown += line;
    while (shown.size() >= kStreamDisplayRoom) shown.erase(0, shown.find('\n') + 1);
    ASSERT_LT(length, kStreamDisplayRoom);
    ASSERT_EQ(std::string(display), shown) << "after line " << i;
  }
}

TEST(AppendToStreamDisplay, KeepsAllLinesWhileTheyFit) {
  char display[kStreamDisplayRoom];
  std::string text(500, 'x');
  text[99] = '\n';
  strcpy(display, text.c_str());
  EXPECT_EQ(AppendToStreamDisplay(display, "0123456789\n"), 511);
  EXPECT_EQ(std::string(display, 500), text) << "511 characters still fit";
  EXPECT_EQ(AppendToStreamDisplay(display, "A\n"), 511 - 100 + 2) << "the first line goes";
  EXPECT_EQ(display[0], 'x');
}

TEST(AppendToStreamDisplay, TextWithoutLineFeedIsDroppedWhole) {
  char display[kStreamDisplayRoom];
  memset(display, 'y', 505);
  display[505] = '\0';
  EXPECT_EQ(AppendToStreamDisplay(display, "$GPGGA\r\n"), 8);
  EXPECT_STREQ(display, "$GPGGA\r\n");
}

}  // namespace
