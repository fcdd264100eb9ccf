// Fuzz target for the BBM and ABM receiver: arbitrary bytes are cut into
// lines and fed one by one, with time moving on between them; a line
// starting with "#" runs the expiry instead, its second byte saying how far
// time jumps. Traps when an outcome is out of shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sim/bbm_receiver.h"

namespace {

void Check(void*, const BbmOutcome* o) {
  if (memchr(o->reason, 0, sizeof o->reason) == nullptr) __builtin_trap();
  switch (o->kind) {
    case kBbmComplete: {
      const bool abm = o->sentence == kReceivedAbm;
      if (o->data == nullptr || o->bitCount < 1 || o->bitCount > (abm ? kAbmMaxDataBits : kBbmMaxDataBits))
        __builtin_trap();
      if (o->sentences < 1 || o->sentences > 9 || o->channel < 0 || o->channel > 3) __builtin_trap();
      if (abm ? o->messageId != 6 && o->messageId != 12 : o->messageId != 8 && o->messageId != 14) __builtin_trap();
      if (abm && o->destination > 999999999) __builtin_trap();
      [[fallthrough]];
    }
    case kBbmFailed:
      if (o->sentence != kReceivedBbm && o->sentence != kReceivedAbm) __builtin_trap();
      if (o->sequentialId < 0 || o->sequentialId > (o->sentence == kReceivedAbm ? 3 : 9)) __builtin_trap();
      break;
    case kBbmRejected:
      if (o->reason[0] == 0) __builtin_trap();
      break;
    default:
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static BbmReceiver receiver;
  InitBbmReceiver(&receiver, 1000);
  const BbmOutcomeSink sink{Check, nullptr};
  int64_t now = 0;
  size_t at = 0;
  while (at < size) {
    const uint8_t* end = static_cast<const uint8_t*>(memchr(data + at, '\n', size - at));
    const size_t length = (end ? static_cast<size_t>(end - data) : size) - at;
    if (length >= 1 && data[at] == '#') {
      now += length >= 2 ? data[at + 1] * 16 : 1000;
      ExpireBbmBroadcasts(&receiver, now, &sink);
    } else {
      // An exact-size copy, so that reading past the line is caught.
      char* line = static_cast<char*>(malloc(length ? length : 1));
      memcpy(line, data + at, length);
      FeedBbmSentence(&receiver, line, static_cast<int>(length), now, &sink);
      free(line);
      now += 137;
    }
    const int64_t due = NextBbmDeadline(&receiver);
    // A broadcast waits at most the time-out after its last sentence.
    if (due > now + receiver.timeoutMs) __builtin_trap();
    at = end ? static_cast<size_t>(end - data) + 1 : size;
  }
  return 0;
}
