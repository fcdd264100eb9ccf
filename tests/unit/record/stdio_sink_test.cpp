// A recording on a real file through the portable sink: another decoder
// reads it as it reads the traffic itself; a full disk and a file that
// cannot be created end with the system's reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "record/record_sink.h"
#include "record/session_recorder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
  pclose(pipe);
  return out;
}

struct Recording {
  std::unique_ptr<SessionRecorder> recorder = std::make_unique<SessionRecorder>();
  StdioSinkFile file{nullptr};
  Recording() {
    InitSessionRecorder(recorder.get(), {[](void*) { return int64_t{1733612345123}; }, nullptr, nullptr});
    SetRecordedPort(recorder.get(), 0, "COM7");
  }
  bool Start(const std::string& path, char* reason) {
    return StartRecording(recorder.get(), StdioRecordSink(&file), path.c_str(), reason);
  }
  void Receive(const std::string& bytes, int chunk) {
    for (size_t at = 0; at < bytes.size(); at += static_cast<size_t>(chunk)) {
      const std::string part = bytes.substr(at, static_cast<size_t>(chunk));
      recorder->tap.received(recorder->tap.context, 0, reinterpret_cast<const uint8_t*>(part.data()),
                             static_cast<int>(part.size()));
    }
  }
  RecordingReport Stop() {
    RecordingReport report;
    StopRecording(recorder.get(), &report);
    return report;
  }
};

TEST(StdioRecordSink, AnotherDecoderReadsTheRecordingAsTheTrafficItself) {
  const std::string traffic = ReadAll(ASM_CORPUS_DIR "/ais-nmea.log");
  ASSERT_FALSE(traffic.empty());
  const std::string path = testing::TempDir() + "asm-recording.nmea";
  Recording r;
  char reason[kRecordReasonRoom];
  ASSERT_TRUE(r.Start(path, reason)) << reason;
  r.Receive(traffic, 37);
  const RecordingReport report = r.Stop();
  EXPECT_EQ(report.end, kRecordingStopped);
  EXPECT_EQ(report.linesDropped, 0u);

  const std::string recorded = ReadAll(path);
  EXPECT_EQ(recorded.compare(0, 27, "\\s:COM7,c:1733612345123*7B\\"), 0);
  EXPECT_EQ(recorded.substr(recorded.size() - 2), "\r\n");
  // Its last sentence as received, behind its block.
  const size_t lastLine = traffic.rfind('\n', traffic.size() - 2) + 1;
  EXPECT_NE(recorded.find("*7B\\" + traffic.substr(lastLine, traffic.size() - lastLine - 1) + "\r\n"),
            std::string::npos);

  if (access("/usr/bin/gpsdecode", X_OK) != 0) GTEST_SKIP() << "gpsdecode (gpsd-clients) is not installed";
  const std::string direct = Output("gpsdecode -u < " ASM_CORPUS_DIR "/ais-nmea.log");
  const std::string fromRecording = Output("gpsdecode -u < " + path);
  EXPECT_GT(direct.size(), 10000u);
  EXPECT_EQ(fromRecording, direct);
  remove(path.c_str());
}

TEST(StdioRecordSink, AFullDiskAndAPathThatCannotBeCreatedGiveTheSystemsReason) {
  char reason[kRecordReasonRoom];
  Recording missing;
  EXPECT_FALSE(missing.Start("/nonexistent/asm/session.nmea", reason));
  EXPECT_STREQ(reason, "No such file or directory");

  Recording full;
  ASSERT_TRUE(full.Start("/dev/full", reason)) << reason;
  full.Receive("!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n", 128);
  const RecordingReport report = full.Stop();
  EXPECT_EQ(report.end, kRecordingWriteFailed);
  EXPECT_STREQ(report.reason, "No space left on device");
  EXPECT_EQ(report.linesWritten, 0u);
  EXPECT_EQ(report.linesDropped, 1u);
}

}  // namespace
