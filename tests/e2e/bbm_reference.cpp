// asm-bbm-reference: prints the BBM sentences that the core builds for the
// met/hydro report of one UTC minute, exactly as the client writes them for a
// transmission in that minute (CR LF included), so that a test can compare
// what reached the port byte for byte.
//
//   asm-bbm-reference.exe DAY HOUR MINUTE SEQUENTIAL-ID [OWN-MMSI]
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "transmit/met_hydro_broadcast.h"

namespace {

void Print(void*, const char* text, int length, int) {
  fwrite(text, 1, static_cast<size_t>(length), stdout);
}

MetHydroBroadcaster broadcaster;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    fputs("usage: asm-bbm-reference DAY HOUR MINUTE SEQUENTIAL-ID [OWN-MMSI]\n", stderr);
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);  // the sentences carry their own CR LF
  broadcaster.bbmSequenceCounter = atoi(argv[4]);
  const BbmWriter writer{Print, nullptr};
  SendMetHydroReport(&broadcaster, atoi(argv[1]), atoi(argv[2]), atoi(argv[3]),
                     argc == 6 ? static_cast<uint32_t>(strtoul(argv[5], nullptr, 10)) : 0, 0, &writer);
  return 0;
}
