// Fuzz target for TAG blocks: an arbitrary line is split into its blocks
// and its sentence, which must lie within the line; what a block names is
// written again and read back the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "nmea/tag_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* line = reinterpret_cast<const char*>(data);
  const int length = static_cast<int>(size < 4096 ? size : 4096);
  TaggedLine parsed;
  ParseTaggedLine(line, length, &parsed);
  if (parsed.sentence < line || parsed.sentenceLength < 0 || parsed.sentence + parsed.sentenceLength != line + length)
    abort();
  const TagBlock& tag = parsed.tag;
  if (strlen(tag.source) > kTagStationChars || strlen(tag.destination) > kTagStationChars) abort();
  // Milliseconds are written; below 12 digits (before 1973) they would read
  // back as seconds, as every reader takes them.
  if (tag.source[0] == 0 || !tag.hasTime || tag.unixTimeMs < 100000000000) return 0;

  char block[kTagBlockRoom];
  const int written = WriteTagBlock(block, sizeof block, kTagSource, tag.source, tag.unixTimeMs, nullptr);
  TaggedLine again;
  ParseTaggedLine(block, written, &again);
  if (written == 0 || again.sentenceLength != 0 || again.tag.checksumBad || !again.tag.hasTime) abort();
  // A station may hold characters a block may not: they come back as "_".
  if (strlen(again.tag.source) != strlen(tag.source)) abort();
  if (again.tag.unixTimeMs != tag.unixTimeMs) abort();
  return 0;
}
