// Stamp, pack, drop the header, number and send: one transmission of the
// met/hydro report.
#include "transmit/met_hydro_broadcast.h"

namespace {

constexpr int kBbmChannel = 1;          // broadcast on both AIS channels
constexpr int kBbmMessageId = 8;        // binary broadcast
constexpr int kMessageHeaderBytes = 5;  // id, repeat, source MMSI, spare: not carried by BBM

}  // namespace

int SendMetHydroReport(MetHydroBroadcaster* b, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi, int target,
                       const BbmWriter* writer) {
  RefreshMetHydroReport(&b->report, utcDay, utcHour, utcMinute, ownMmsi);
  int length = PackMetHydroPayload(&b->report, b->message);
  if (length < kMessageHeaderBytes) length = kMessageHeaderBytes;  // nothing to send rather than a negative count

  // Counting modulo 10 keeps the identifier sequence unbroken for any number
  // of transmissions, where a plain signed count would overflow.
  const int sequentialId = b->bbmSequenceCounter % 10;
  b->bbmSequenceCounter = (sequentialId + 1) % 10;

  return SendBinaryBroadcast(writer, b->message + kMessageHeaderBytes,
                             static_cast<uint16_t>(length - kMessageHeaderBytes), kBbmChannel, sequentialId,
                             kBbmMessageId, target);
}
