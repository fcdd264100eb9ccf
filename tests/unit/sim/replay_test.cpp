// Replaying a recording: the lines of one port as they were received, at
// their recorded distances divided by the speed, lines without times at a
// steady rate; a busy port holds a line, a port nobody holds loses it; a
// loop starts over. The player's clock is the test's, so the moments are
// exact.
#include "sim/replay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "nmea/sentence_writer.h"
#include "nmea/tag_block.h"

namespace {

std::string Tagged(const char* parameters, const std::string& sentence) {
  char block[kTagBlockRoom];
  // The block of a recording: its parameters and their checksum.
  snprintf(block, sizeof block, "\\%s*%02X\\", parameters,
           SentenceChecksum(parameters, static_cast<int>(strlen(parameters))));
  return block + sentence;
}

// A file the player reads.
struct TestFile {
  std::string path;
  explicit TestFile(const std::string& text) {
    char name[] = "/tmp/asm-replay-XXXXXX";
    const int fd = mkstemp(name);
    path = name;
    FILE* f = fdopen(fd, "wb");
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
  ~TestFile() { remove(path.c_str()); }
};

// A port: what it took, and when; it may be busy or have no listener.
struct TestPort {
  int64_t now = 0;
  ReplaySendResult answer = kReplaySent;
  std::vector<std::string> heard;  // "<ms> <line>"
  ReplayOutput Output() {
    return {[](void* c, const char* text, int length) {
              auto* port = static_cast<TestPort*>(c);
              if (port->answer == kReplaySent)
                port->heard.push_back(std::to_string(port->now) + " " + std::string(text, static_cast<size_t>(length)));
              return port->answer;
            },
            this};
  }
};

struct Replay {
  std::unique_ptr<ReplayPlayer> player = std::make_unique<ReplayPlayer>();
  TestPort port;
  explicit Replay(const TestFile& file, ReplaySettings settings) {
    char error[200];
    EXPECT_TRUE(OpenReplay(player.get(), file.path.c_str(), settings, error, sizeof error)) << error;
  }
  ~Replay() { CloseReplay(player.get()); }
  // Plays at every moment the player names, up to `untilMs`.
  void PlayUntil(int64_t untilMs) {
    for (;;) {
      PlayDueLines(player.get(), port.now, port.Output());
      const int64_t next = NextReplayMoment(player.get());
      if (next < 0 || next > untilMs) return;
      port.now = next;
    }
  }
};

const std::string kVdm = "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24";

// Two ports and a broadcast, as the client records them.
const std::string kRecording =
    Tagged("s:COM7,c:1733612345000", kVdm) + "\r\n" + Tagged("s:COM8,c:1733612345050", "$GPGGA,1") + "\r\n" +
    Tagged("d:COM7,c:1733612345100", "!AIBBM,1,1,0,1,8,0000,0*00") + "\r\n" +
    Tagged("s:COM7,c:1733612345400", "!AIVDM,2") + "\r\n" + Tagged("s:COM8,c:1733612345450", "$GPGGA,2") + "\r\n" +
    Tagged("s:COM7,c:1733612345300", "!AIVDM,3") + "\r\n" +  // the clock set back
    Tagged("s:COM7,c:1733612346400", "!AIVDM,4") + "\r\n";

TEST(Replay, PlaysTheFirstSourcesLinesAtTheirRecordedDistances) {
  const TestFile file(kRecording);
  Replay replay(file, {nullptr, 1, 2, false});
  EXPECT_STREQ(replay.player->choice.port, "COM7");
  replay.port.now = 5000;  // the first line goes when the port first listens
  replay.PlayUntil(1000000);
  const std::vector<std::string> expected = {"5000 " + kVdm + "\r\n", "5400 !AIVDM,2\r\n",
                                             "5400 !AIVDM,3\r\n",   // a time before the last is no wait,
                                             "6500 !AIVDM,4\r\n"};  // and the distances go on from it
  EXPECT_EQ(replay.port.heard, expected);
  EXPECT_TRUE(replay.player->ended);
  EXPECT_EQ(replay.player->counts.played, 4);
}

TEST(Replay, TheSpeedDividesTheDistancesAndTheChosenPortIsPlayed) {
  const TestFile file(kRecording);
  for (const double speed : {4.0, 0.5}) {
    Replay replay(file, {"com8", speed, 2, false});  // port names compare as Windows does
    replay.PlayUntil(1000000);
    const std::vector<std::string> expected = {"0 $GPGGA,1\r\n",
                                               std::to_string(static_cast<int>(400 / speed)) + " $GPGGA,2\r\n"};
    EXPECT_EQ(replay.port.heard, expected) << speed;
  }
}

TEST(Replay, AFileWithoutTimesOrPortsPlaysEveryLineAtTheRate) {
  const TestFile file("$GPGGA,1\n\n$GPGGA,2\r\n" + Tagged("d:COM7", "!AIBBM,sent") + "\n" + std::string(1200, 'x') +
                      "\n$GPGGA,3");
  Replay replay(file, {nullptr, 1, 4, false});
  EXPECT_STREQ(replay.player->choice.port, "");
  replay.PlayUntil(1000000);
  // Empty, sent and overlong lines are not played; a last line without
  // its line end is.
  const std::vector<std::string> expected = {"0 $GPGGA,1\r\n", "250 $GPGGA,2\r\n", "500 $GPGGA,3\r\n"};
  EXPECT_EQ(replay.port.heard, expected);
  EXPECT_EQ(replay.player->counts.skipped, 1);
}

TEST(Replay, ABusyPortHoldsTheLineAndAPortNobodyHoldsLosesIt) {
  const TestFile file("$1\n$2\n$3\n");
  Replay replay(file, {nullptr, 1, 0, false});  // rate 0: as fast as the port takes them
  replay.port.answer = kReplayPortBusy;
  replay.PlayUntil(0);
  EXPECT_TRUE(replay.port.heard.empty());
  EXPECT_EQ(NextReplayMoment(replay.player.get()), -1);  // waits for room, not for time
  replay.port.answer = kReplayNoListener;
  replay.PlayUntil(0);  // the line waited, and is lost now with the rest
  EXPECT_EQ(replay.player->counts.unheard, 3);
  EXPECT_EQ(replay.player->counts.played, 0);
  EXPECT_TRUE(replay.player->ended);
}

TEST(Replay, ALoopStartsOverAfterTheSteadyDistance) {
  const TestFile file(Tagged("s:COM7,c:1733612345000", "$1") + "\n" + Tagged("s:COM7,c:1733612345100", "$2") + "\n");
  Replay replay(file, {nullptr, 1, 10, true});
  replay.PlayUntil(450);
  const std::vector<std::string> expected = {"0 $1\r\n", "100 $2\r\n", "200 $1\r\n", "300 $2\r\n", "400 $1\r\n"};
  EXPECT_EQ(replay.port.heard, expected);
  EXPECT_EQ(replay.player->counts.passes, 3);
  EXPECT_FALSE(replay.player->ended);

  // A file with nothing to play ends even when looping.
  const TestFile other(Tagged("s:COM8,c:1000", "$1") + "\n");
  Replay none(other, {"COM7", 1, 10, true});
  none.PlayUntil(1000000);
  EXPECT_TRUE(none.player->ended);
  EXPECT_TRUE(none.port.heard.empty());
}

TEST(Replay, AFileThatCannotBeReadSaysWhy) {
  ReplayPlayer player;
  char error[200];
  EXPECT_FALSE(OpenReplay(&player, "/nonexistent/session.nmea", {nullptr, 1, 2, false}, error, sizeof error));
  EXPECT_STREQ(error, "cannot read /nonexistent/session.nmea: No such file or directory");
}

}  // namespace
