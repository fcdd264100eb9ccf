// Stamp, pack, drop the header, number and send: one transmission of the
// met/hydro report.
#include "transmit/met_hydro_broadcast.h"

namespace {

constexpr int kBbmChannel = 1;          // broadcast on both AIS channels
constexpr int kBbmMessageId = 8;        // binary broadcast
constexpr int kBbmSequentialIds = 10;   // 0-9
constexpr int kMessageHeaderBytes = 5;  // id, repeat, source MMSI, spare: not carried by BBM
constexpr int kCounterModulus = 20;     // a multiple of the 10 BBM and the 4 ABM identifiers

}  // namespace

int TakeSequentialId(MetHydroBroadcaster* b, int count) {
  // Counting modulo 20 keeps the identifier sequence unbroken for any number
  // of transmissions, where a plain signed count would overflow.
  const int counter = ((b->bbmSequenceCounter % kCounterModulus) + kCounterModulus) % kCounterModulus;
  b->bbmSequenceCounter = (counter + 1) % kCounterModulus;
  return count > 0 ? counter % count : 0;
}

int SendMetHydroReport(MetHydroBroadcaster* b, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi, int target,
                       const BbmWriter* writer, int* sequentialId) {
  RefreshMetHydroReport(&b->report, utcDay, utcHour, utcMinute, ownMmsi);
  int length = PackMetHydroPayload(&b->report, b->message);
  if (length < kMessageHeaderBytes) length = kMessageHeaderBytes;  // nothing to send rather than a negative count

  const int id = TakeSequentialId(b, kBbmSequentialIds);
  if (sequentialId != nullptr) *sequentialId = id;
  return SendBinaryBroadcast(writer, b->message + kMessageHeaderBytes,
                             static_cast<uint16_t>(length - kMessageHeaderBytes), kBbmChannel, id, kBbmMessageId,
                             target);
}
