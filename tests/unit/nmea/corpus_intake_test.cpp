// Recorded real traffic through one intake: every complete message is stored
// once, with the channel and id a plain line-by-line reading finds, whatever
// the size of the received chunks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "ais/decode.h"
#include "intake_test_support.h"
#include "nmea/sentence_intake.h"

namespace {

using intake_test::NewIntake;
using intake_test::Recorder;

// The sentence lines of every corpus file, each ended with CR LF as a
// transponder sends them. Comment lines are not traffic.
std::string CorpusTraffic() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(ASM_CORPUS_DIR))
    if (entry.path().filename() != "README.md") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::string traffic;
  for (const auto& file : files) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && (line[0] == '!' || line[0] == '$')) traffic += line + "\r\n";
  }
  return traffic;
}

struct Entry {
  int32_t kind;
  int32_t channelRow;
  int32_t messageId;
  bool operator==(const Entry&) const = default;
};

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields(1);
  for (char c : text) {
    if (c == ',')
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

int SixBit(char c) {
  return c < 96 ? c - 48 : c - 56;
}

// What the log should hold, read line by line: a VDM or VDO line with a good
// checksum whose fragment number equals its fragment count completes a
// message; channel and id come from the latest first fragment of its type
// and sequential message identifier (the corpus has no gaps).
std::vector<Entry> ExpectedEntries(const std::string& traffic) {
  std::vector<Entry> entries;
  std::map<std::string, std::string> firstFragment;  // by type and identifier
  size_t start = 0;
  for (size_t end; (end = traffic.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = traffic.substr(start + 1, end - start - 1);
    const size_t star = line.find('*');
    if (star == std::string::npos) continue;
    if (std::stoul(line.substr(star + 1, 2), nullptr, 16) != SentenceChecksum(line.data(), static_cast<int>(star)))
      continue;
    const std::vector<std::string> f = SplitFields(line.substr(0, star));
    const std::string type = f[0].size() >= 3 ? f[0].substr(f[0].size() - 3) : "";
    if (type == "ABK") ADD_FAILURE() << "the corpus holds no ABK: " << line;
    if (type != "VDM" && type != "VDO") continue;
    const int which = type == "VDM" ? 0 : 1;
    const std::string key = type + f[3];
    if (f[2] == "1") firstFragment[key] = line.substr(0, star);
    if (f[1] != f[2]) continue;
    const std::vector<std::string> first = SplitFields(firstFragment[key]);
    const int row = first[4] == "A" ? 29 : first[4] == "B" ? 31 : 30;
    entries.push_back({which == 0 ? kSlotVdm : kSlotVdo, row, SixBit(first[5][0])});
  }
  return entries;
}

std::vector<Entry> FeedInChunks(const std::string& traffic, size_t chunk) {
  struct Main {
    Recorder recorder;
    std::vector<Entry> entries;
    static void OnNotify(void* context, int32_t kind, int32_t slot) {
      auto* self = static_cast<Main*>(context);
      MessageLog* log = self->recorder.log.get();
      NoteStoredSlot(log, slot, kind);
      const LogSlot& s = log->slots[slot];
      self->entries.push_back({s.shownKind, s.channelRow, s.messageId});
      if (kind == kSlotAbk) return;
      // The id on the timeline is the id a click on it decodes.
      TakeSlotSnapshot(log, slot, self->snapshot.get());
      DecodedMessage record{};
      DecodeMessage(self->snapshot->fragments, &record);
      EXPECT_EQ(record.payload[0] >> 2, s.messageId) << "slot " << slot;
    }
    std::unique_ptr<SlotSnapshot> snapshot = std::make_unique<SlotSnapshot>();
  } main;
  main.recorder.target.notify = &Main::OnNotify;
  main.recorder.target.context = &main;
  auto intake = NewIntake();
  const auto* bytes = reinterpret_cast<const uint8_t*>(traffic.data());
  for (size_t at = 0; at < traffic.size(); at += chunk)
    FeedIntake(intake.get(), &main.recorder.target, bytes + at, static_cast<int>(std::min(chunk, traffic.size() - at)));
  return main.entries;
}

TEST(CorpusIntake, StoresEveryCompleteMessageAtAnyChunkSize) {
  const std::string traffic = CorpusTraffic();
  const std::vector<Entry> expected = ExpectedEntries(traffic);
  ASSERT_GT(expected.size(), 250u);  // both files were read
  for (size_t chunk = 1; chunk <= 128; chunk += 1 + chunk / 8) {
    const std::vector<Entry> got = FeedInChunks(traffic, chunk);
    ASSERT_EQ(got.size(), expected.size()) << "chunk " << chunk;
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i], expected[i]) << "chunk " << chunk << " message " << i << ": kind " << got[i].kind << " row "
                                     << got[i].channelRow << " id " << got[i].messageId;
    }
  }
}

}  // namespace
