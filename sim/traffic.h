// What the simulated transponder says: a small seeded fleet in the
// approaches of a North Sea port that moves with time, the messages of every
// type the client decodes built from it, the own ship's reports, the report
// of the own station's broadcasts and addressed messages, and a position
// sensor's sentences. One thread; fixed records, nothing allocated while
// running.
#pragma once
#include <cstdint>
#include <ctime>

#include "sim/vdm_encoder.h"

// splitmix64: the same seed gives the same traffic on every platform.
struct SimRandom {
  uint64_t state;
};
uint32_t NextRandom(SimRandom* random);
double Uniform(SimRandom* random, double lowest, double highest);

struct Vessel {
  uint32_t mmsi;
  const char* name;
  const char* callSign;
  uint32_t imo;
  uint8_t shipType;
  uint16_t length, beam;  // metres
  double latitude, longitude;
  double sog, cog, heading;  // knots, degrees
  double turnRate;           // degrees per minute, for the rate of turn
  bool moving;
  uint8_t navStatus;
  uint8_t slotTimeout;  // SOTDMA slot time-out, counting down each report
};

constexpr int kFleetVessels = 12;

struct Fleet {
  Vessel vessels[kFleetVessels];
  Vessel own;
  SimRandom random;
  VdmEncoder encoder;
  int32_t nextTraffic;   // position in the traffic round
  int32_t ownReports;    // own-ship reports so far (types 1 and 3 take turns)
  int32_t tidalCount;    // sequence numbers of the addressed messages
  int32_t channelCount;  // traffic alternates between channels A and B
};

void InitFleet(Fleet* fleet, uint32_t ownMmsi, uint64_t seed);

// Moves every vessel on by `seconds` (dead reckoning with gentle, seeded
// changes of course and speed, kept within the area).
void MoveFleet(Fleet* fleet, double seconds);

// The next message of the traffic round from the other stations, as
// "!AIVDM" sentences. Returns the number of sentences.
int NextTrafficMessage(Fleet* fleet, const tm& utc, SentenceBatch* out);

// The own ship's position report (types 1 and 3 in turn) as "!AIVDO".
int OwnShipReport(Fleet* fleet, const tm& utc, SentenceBatch* out);

// The own station's transmission of a broadcast, as "!AIVDO" message
// `messageId` (8 or 14) carrying the own MMSI, repeat 0, spare 0 and the
// broadcast's data bits, on `channel`.
int OwnBroadcastReport(Fleet* fleet, int messageId, const uint8_t* data, int bitCount, char channel,
                       SentenceBatch* out);

// The own station's transmission of an addressed message, as "!AIVDO"
// message `messageId` (6 or 12) to `destination` under the sequence number
// of its ABM, retransmit flag 0, carrying the ABM's data bits.
int OwnAddressedReport(Fleet* fleet, int messageId, uint32_t destination, int sequenceNumber, const uint8_t* data,
                       int bitCount, char channel, SentenceBatch* out);

// A position sensor's second: GGA, VTG, HDT and RMC for the own ship at
// `utc` (hundredths of a second in `centiseconds`), CR LF after each, into
// `out`. Returns the number of characters written (no terminating zero
// counted).
int SensorSentences(const Fleet* fleet, const tm& utc, int centiseconds, char* out, int room);
