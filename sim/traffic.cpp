// The simulated fleet and the messages it sends. Raw field values follow
// the message tables: positions in 1/10 000 minute (1/1000 for the binary
// applications), speeds in tenths of a knot, courses in tenths of a degree.
#include "sim/traffic.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "ais/bit_writer.h"
#include "nmea/sentence_writer.h"
#include "transmit/met_hydro.h"

namespace {

// The approaches of a North Sea port; the fleet stays within kAreaRadius.
constexpr double kCentreLatitude = 51.985;
constexpr double kCentreLongitude = 3.96;
constexpr double kAreaRadius = 0.2;  // degrees of latitude
constexpr double kPi = 3.14159265358979323846;
constexpr int kPayloadChars = 60;  // payload characters per fragment, as most transponders

enum VesselIndex {
  kCargo,     // class A, type 1, static data type 5
  kTanker,    // class A, type 1
  kTug,       // class A, ITDMA (type 3)
  kPilot,     // class A, assigned mode (type 2)
  kBarge,     // class A, inland ship data (type 8, DAC 200 FI 10)
  kYacht,     // class B SOTDMA (type 18) and type 24
  kFisher,    // class B ITDMA (type 18) and type 24
  kBase,      // base station (type 4)
  kShore,     // shore station: met/hydro (8), tidal window (6)
  kBuoy,      // aid to navigation (21), short name
  kLight,     // aid to navigation (21), with a name extension
  kAnchored,  // class A at anchor, type 1
};

struct VesselSeed {
  uint32_t mmsi;
  const char* name;
  const char* callSign;
  uint32_t imo;
  uint8_t shipType;
  uint16_t length, beam;
  double northOffset, eastOffset;  // degrees from the centre
  double sog, cog;
  uint8_t navStatus;
};

// clang-format off
constexpr VesselSeed kFleetSeeds[kFleetVessels] = {
  {244670123, "MAAS TRADER",        "PDMT",   9321483, 70, 140, 22,  0.06, -0.10, 12.4, 100, 0},
  {211334455, "NORDIC SPIRIT",      "DABC2",  9412077, 80, 183, 32, -0.08,  0.05, 10.1, 280, 0},
  {244890321, "STORMVOGEL",         "PBSV",   9550121, 52,  32, 12,  0.02,  0.02,  6.5,  45, 0},
  {244012345, "ZEELAND PILOT 3",    "PBZP",   9120555, 50,  25,  7, -0.03, -0.04, 14.0, 200, 0},
  {244987654, "RHINE CARRIER",      "PE4321",       0, 79, 110, 11,  0.09,  0.12,  7.2, 270, 0},
  {244555666, "SEA BREEZE",         "PD1234",       0, 37,  12,  4, -0.05,  0.09,  5.8, 320, 0},
  {235112233, "WIND DANCER",        "MXYZ7",        0, 30,  18,  6,  0.11, -0.06,  4.4, 160, 7},
  {  2442000, "",                   "",             0,  0,   0,  0,  0.015, 0.085, 0,     0, 0},
  {  2442100, "",                   "",             0,  0,   0,  0, -0.012, 0.105, 0,     0, 0},
  {992446001, "MAAS APPROACH MV3",  "",             0, 24,   2,  2,  0.00, -0.15,  0,     0, 0},
  {992446002, "MAASVLAKTE WEST ENTRANCE LIGHT", "", 0, 20,   4,  4, -0.02,  0.07,  0,     0, 0},
  {636091234, "OCEAN PROMISE",      "D5AB3",  9700412, 71, 229, 32, -0.14, -0.12,  0,   130, 1},
};
// clang-format on

// The traffic round: every type the client decodes, position reports more
// often than the rest, as on a real channel.
enum TrafficKind {
  kPositionA,  // type 1, 2 or 3 by vessel
  kClassB,     // type 18
  kStaticA,    // type 5
  kStatic24A,
  kStatic24B,
  kBaseReport,  // type 4
  kAton,        // type 21
  kTidal,       // type 6, DAC 1 FI 32
  kBinaryAck,   // type 7
  kMetHydro,    // type 8, DAC 1 FI 31
  kInland,      // type 8, DAC 200 FI 10
  kSafetyAck,   // type 13
};

struct TrafficSlot {
  TrafficKind kind;
  VesselIndex vessel;
};

// clang-format off
constexpr TrafficSlot kTrafficRound[] = {
  {kPositionA, kCargo},   {kClassB, kYacht},       {kPositionA, kTanker},  {kPositionA, kTug},
  {kStaticA, kCargo},     {kPositionA, kPilot},    {kBaseReport, kBase},   {kClassB, kFisher},
  {kPositionA, kCargo},   {kAton, kBuoy},          {kStatic24A, kYacht},   {kPositionA, kBarge},
  {kMetHydro, kShore},    {kStatic24B, kYacht},    {kPositionA, kTug},     {kTidal, kShore},
  {kPositionA, kTanker},  {kBinaryAck, kCargo},    {kStaticA, kTanker},    {kAton, kLight},
  {kInland, kBarge},      {kPositionA, kAnchored}, {kSafetyAck, kTanker},  {kStatic24A, kFisher},
  {kPositionA, kCargo},   {kStatic24B, kFisher},   {kClassB, kYacht},      {kPositionA, kPilot},
  {kStaticA, kAnchored},  {kClassB, kFisher},
};
// clang-format on
constexpr int kTrafficRoundLength = sizeof kTrafficRound / sizeof kTrafficRound[0];

double Radians(double degrees) {
  return degrees * kPi / 180;
}

// A course in tenths for printing, so that 359.96 shows as 000.0, not 360.0.
double PrintedCourse(double degrees) {
  return fmod(lround(degrees * 10), 3600) / 10;
}

double Wrap360(double degrees) {
  degrees = fmod(degrees, 360);
  return degrees < 0 ? degrees + 360 : degrees;
}

// Signed degrees to the low `width` bits of `units` parts of a minute.
uint32_t Angle(double degrees, double unitsPerMinute, int width) {
  const auto value = static_cast<int32_t>(lround(degrees * 60 * unitsPerMinute));
  return static_cast<uint32_t>(value) & ((1u << width) - 1);
}

uint16_t Tenths(double value, int notAvailable) {
  const long tenths = lround(value * 10);
  return static_cast<uint16_t>(tenths < 0 || tenths >= notAvailable ? notAvailable : tenths);
}

// Dimensions to bow A, stern B, port C, starboard D, with the antenna a
// third of the length from the stern and on the centre line.
uint32_t Dimensions(const Vessel& v) {
  const uint32_t b = v.length / 3, a = v.length - b, c = v.beam / 2, d = v.beam - c;
  return (a << 21) | (b << 12) | (c << 6) | d;
}

// ROT field: 4.733 times the square root of the turn in degrees per minute,
// signed, held within +-126.
uint8_t RateOfTurn(double degreesPerMinute) {
  long value = lround(4.733 * sqrt(fabs(degreesPerMinute)));
  if (value > 126) value = 126;
  return static_cast<uint8_t>(degreesPerMinute < 0 ? -value : value);
}

// The SOTDMA communication state: the slot time-out counts down 7 to 0 and
// the sub message follows it (received stations, slot number, UTC hour
// and minute, or slot offset).
void SotdmaState(Vessel* v, const tm& utc, SimRandom* random, DecodedMessage* m) {
  v->slotTimeout = static_cast<uint8_t>(v->slotTimeout == 0 ? 7 : v->slotTimeout - 1);
  m->slotTimeout = v->slotTimeout;
  switch (v->slotTimeout) {
    case 3:
    case 5:
    case 7:
      m->subMessage = static_cast<uint16_t>(10 + NextRandom(random) % 30);
      break;
    case 2:
    case 4:
    case 6:
      m->subMessage = static_cast<uint16_t>(NextRandom(random) % 2250);
      break;
    case 1:
      m->subMessage = static_cast<uint16_t>((utc.tm_hour << 9) | (utc.tm_min << 2));
      break;
    default:
      m->subMessage = static_cast<uint16_t>(NextRandom(random) % 2250);
  }
}

void ItdmaState(SimRandom* random, DecodedMessage* m) {
  m->slotIncrement = static_cast<uint16_t>(NextRandom(random) % 2250);
  m->numberOfSlots = static_cast<uint8_t>(NextRandom(random) % 3);
  m->keepFlag = static_cast<uint8_t>(NextRandom(random) % 2);
}

DecodedMessage PositionReport(Vessel* v, int messageId, const tm& utc, SimRandom* random) {
  DecodedMessage m = BlankAisMessage(messageId, v->mmsi);
  m.navStatus = v->navStatus;
  m.rateOfTurn = RateOfTurn(v->turnRate);
  m.sog = Tenths(v->sog, 1023);
  m.positionAccuracy = 1;
  m.longitude = Angle(v->longitude, 10000, 28);
  m.latitude = Angle(v->latitude, 10000, 27);
  m.cog = Tenths(v->cog, 3600);
  m.trueHeading = static_cast<uint16_t>(lround(v->heading) % 360);
  m.timeStamp = static_cast<uint8_t>(utc.tm_sec % 60);
  m.syncState = 0;
  if (messageId == 3)
    ItdmaState(random, &m);
  else
    SotdmaState(v, utc, random, &m);
  return m;
}

DecodedMessage ClassBReport(Vessel* v, bool itdma, const tm& utc, SimRandom* random) {
  DecodedMessage m = BlankAisMessage(18, v->mmsi);
  m.sog = Tenths(v->sog, 1023);
  m.longitude = Angle(v->longitude, 10000, 28);
  m.latitude = Angle(v->latitude, 10000, 27);
  m.cog = Tenths(v->cog, 3600);
  m.trueHeading = 511;  // class B units often have no heading sensor
  m.timeStamp = static_cast<uint8_t>(utc.tm_sec % 60);
  m.unitFlag = itdma ? 1 : 0;  // "CS" units use ITDMA, SOTDMA ones report 0
  m.displayFlag = 0;
  m.dscFlag = 1;
  m.bandFlag = 1;
  m.msg22Flag = 1;
  m.raimFlag = 0;
  m.commStateFlag = itdma ? 1 : 0;
  m.syncState = itdma ? 3 : 0;
  if (itdma)
    ItdmaState(random, &m);
  else
    SotdmaState(v, utc, random, &m);
  return m;
}

DecodedMessage BaseStationReport(Vessel* v, const tm& utc, SimRandom* random) {
  DecodedMessage m = BlankAisMessage(4, v->mmsi);
  m.utcYear = static_cast<uint16_t>(utc.tm_year + 1900);
  m.utcMonth = static_cast<uint8_t>(utc.tm_mon + 1);
  m.utcDay = static_cast<uint8_t>(utc.tm_mday);
  m.utcHour = static_cast<uint8_t>(utc.tm_hour);
  m.utcMinute = static_cast<uint8_t>(utc.tm_min);
  m.utcSecond = static_cast<uint8_t>(utc.tm_sec % 60);
  m.positionAccuracy = 1;
  m.longitude = Angle(v->longitude, 10000, 28);
  m.latitude = Angle(v->latitude, 10000, 27);
  m.epfdType = 7;  // surveyed
  SotdmaState(v, utc, random, &m);
  return m;
}

DecodedMessage StaticVoyage(const Vessel& v, const tm& utc) {
  DecodedMessage m = BlankAisMessage(5, v.mmsi);
  m.aisVersion = 2;
  m.imoNumber = v.imo;
  SetAisText(m.callSign, v.callSign);
  SetAisText(m.name, v.name);
  m.shipType = v.shipType;
  m.dimensions = Dimensions(v);
  m.epfdType = 1;
  // Arrival two days on, at a round hour.
  tm now = utc;  // timegm normalises its argument
  const time_t when = timegm(&now) + 2 * 86400;
  tm eta;
  gmtime_r(&when, &eta);
  m.eta = static_cast<uint32_t>(((eta.tm_mon + 1) << 16) | (eta.tm_mday << 11) | (eta.tm_hour << 6));
  m.draught = static_cast<uint8_t>(v.length > 100 ? 45 + v.length / 5 : 20 + v.length / 4);
  SetAisText(m.destination, v.navStatus == 1 ? "NLRTM ANCH" : "NLRTM");
  m.dte = 0;
  return m;
}

DecodedMessage StaticPart(const Vessel& v, int part) {
  DecodedMessage m = BlankAisMessage(24, v.mmsi);
  m.partNumber = static_cast<uint8_t>(part);
  if (part == 0) {
    SetAisText(m.name, v.name);
    return m;
  }
  m.shipType = v.shipType;
  SetAisText(m.vendorId, "XYZ1234");  // maker's three letters, then model and serial
  SetAisText(m.callSign, v.callSign);
  m.dimensions = Dimensions(v);
  m.epfdType = 1;
  return m;
}

DecodedMessage AtonReport(const Vessel& v, const tm& utc) {
  DecodedMessage m = BlankAisMessage(21, v.mmsi);
  m.atonType = v.shipType;
  // Names past 20 characters go on in the extension.
  const size_t length = strlen(v.name);
  snprintf(m.name, sizeof m.name, "%.20s", v.name);
  if (length > 20) snprintf(m.nameExtension, sizeof m.nameExtension, "%.14s", v.name + 20);
  m.positionAccuracy = 1;
  m.longitude = Angle(v.longitude, 10000, 28);
  m.latitude = Angle(v.latitude, 10000, 27);
  m.dimensions = static_cast<uint32_t>((v.length / 2) << 21 | (v.length / 2) << 12 | (v.beam / 2) << 6 | v.beam / 2);
  m.epfdType = 7;
  m.timeStamp = static_cast<uint8_t>(utc.tm_sec % 60);
  m.offPosition = 0;
  m.atonStatus = 0;
  return m;
}

DecodedMessage Acknowledge(int messageId, const Vessel& from, uint32_t to, int sequence) {
  DecodedMessage m = BlankAisMessage(messageId, from.mmsi);
  m.ackDestination1 = to;
  m.ackSequence1 = static_cast<uint8_t>(sequence & 3);
  return m;
}

// Application data from the application identifier on: DAC 1 FI 32, the
// UTC month and day, then three windows of 88 bits.
int TidalWindowData(const Vessel& station, const tm& utc, SimRandom* random, uint8_t* data) {
  memset(data, 0, 48);
  WriteBitField(data, 0, 10, 1);
  WriteBitField(data, 10, 6, 32);
  WriteBitField(data, 16, 4, static_cast<uint32_t>(utc.tm_mon + 1));
  WriteBitField(data, 20, 5, static_cast<uint32_t>(utc.tm_mday));
  int bit = 25;
  for (int w = 0; w < 3; ++w) {
    const double latitude = station.latitude + 0.02 * (w - 1);
    const double longitude = station.longitude - 0.05 * w;
    const int fromHour = (utc.tm_hour + 2 * w) % 24;
    WriteBitField(data, bit, 25, Angle(longitude, 1000, 25));
    WriteBitField(data, bit + 25, 24, Angle(latitude, 1000, 24));
    WriteBitField(data, bit + 49, 5, static_cast<uint32_t>(fromHour));
    WriteBitField(data, bit + 54, 6, static_cast<uint32_t>(w * 15));
    WriteBitField(data, bit + 60, 5, static_cast<uint32_t>((fromHour + 1) % 24));
    WriteBitField(data, bit + 65, 6, static_cast<uint32_t>(30 + w * 5));
    WriteBitField(data, bit + 71, 9, static_cast<uint32_t>(Wrap360(60 + 120 * w + Uniform(random, -10, 10))));
    WriteBitField(data, bit + 80, 8, static_cast<uint32_t>(lround(Uniform(random, 5, 25))));  // tenths of a knot
    bit += 88;
  }
  return bit;
}

// A meteorological and hydrological report with observations, packed by
// the client's own packer; its bytes from the DAC on are the data.
int MetHydroData(const Vessel& station, const tm& utc, SimRandom* random, uint8_t* data) {
  MetHydroReport r;
  RefreshMetHydroReport(&r, utc.tm_mday, utc.tm_hour, utc.tm_min, station.mmsi);
  r.latitude = static_cast<int32_t>(lround(station.latitude * 60000));
  r.longitude = static_cast<int32_t>(lround(station.longitude * 60000));
  r.averageWindSpeed = static_cast<uint8_t>(lround(Uniform(random, 11, 17)));
  r.windGust = static_cast<uint8_t>(r.averageWindSpeed + 5);
  r.windDirection = static_cast<uint16_t>(lround(Uniform(random, 235, 255)));
  r.windGustDirection = static_cast<int16_t>(r.windDirection + 5);
  r.airTemperature = static_cast<int16_t>(lround(Uniform(random, 118, 131)));  // 0.1 degree C
  r.relativeHumidity = 78;
  r.dewPoint = 87;
  r.airPressure = static_cast<uint16_t>(1013 - 799);  // 800 hPa is 1
  r.airPressureTendency = 1;
  r.horizontalVisibility = 85;                                                // 0.1 nautical mile
  r.waterLevel = static_cast<uint16_t>(lround(Uniform(random, 1050, 1110)));  // 0.01 m above -10 m
  r.waterLevelTrend = 0;
  r.surfaceCurrentSpeed = 13;
  r.surfaceCurrentDirection = 40;
  r.waveHeight = 12;
  r.wavePeriod = 6;
  r.waveDirection = 250;
  r.swellHeight = 8;
  r.swellPeriod = 9;
  r.swellDirection = 270;
  r.seaState = 3;
  r.waterTemperature = 210;  // 0.1 degree C above -10
  r.salinity = 315;
  r.ice = 0;
  uint8_t message[kMetHydroMessageBytes];
  PackMetHydroPayload(&r, message);
  memcpy(data, message + 5, kMetHydroMessageBytes - 5);
  return 8 * (kMetHydroMessageBytes - 5);
}

// Inland ship static and voyage data, DAC 200 FI 10.
int InlandData(const Vessel& v, uint8_t* data) {
  memset(data, 0, 16);
  WriteBitField(data, 0, 10, 200);
  WriteBitField(data, 10, 6, 10);
  WriteBitText(data, 16, "02326789", 8);        // European vessel number
  WriteBitField(data, 64, 13, v.length * 10u);  // 0.1 m
  WriteBitField(data, 77, 10, v.beam * 10u);
  WriteBitField(data, 87, 14, 8010);  // motor freighter
  WriteBitField(data, 101, 3, 0);     // no blue cones
  WriteBitField(data, 104, 11, 280);  // draught, 0.01 m
  WriteBitField(data, 115, 2, 1);     // loaded
  WriteBitField(data, 117, 3, 7);     // speed, course and heading quality high
  return 128;                         // with 8 spare bits
}

int Encode(Fleet* fleet, const DecodedMessage& m, const uint8_t* data, int dataBits, bool own, char channel,
           SentenceBatch* out) {
  uint8_t message[kMaxMessageBytes];
  const int bits = PackAisMessage(m, data, dataBits, message);
  return EncodeVdmSentences(&fleet->encoder, message, bits, own, channel, kPayloadChars, out);
}

void InitVessel(Vessel* v, const VesselSeed& seed) {
  memset(v, 0, sizeof *v);
  v->mmsi = seed.mmsi;
  v->name = seed.name;
  v->callSign = seed.callSign;
  v->imo = seed.imo;
  v->shipType = seed.shipType;
  v->length = seed.length;
  v->beam = seed.beam;
  v->latitude = kCentreLatitude + seed.northOffset;
  v->longitude = kCentreLongitude + seed.eastOffset;
  v->sog = seed.sog;
  v->cog = seed.cog;
  v->heading = seed.cog;
  v->moving = seed.sog > 0;
  v->navStatus = seed.navStatus;
}

void MoveVessel(Vessel* v, double seconds, SimRandom* random) {
  if (!v->moving) return;
  // Steer back towards the centre when near the edge of the area.
  const double north = v->latitude - kCentreLatitude;
  const double east = (v->longitude - kCentreLongitude) * cos(Radians(kCentreLatitude));
  // The rate of turn wanders slowly and settles back towards straight
  // ahead, so that courses bend as a ship's do rather than jitter.
  v->turnRate += Uniform(random, -1.5, 1.5) * seconds - 0.1 * v->turnRate * (seconds < 10 ? seconds : 10);
  if (sqrt(north * north + east * east) > kAreaRadius) {
    const double home = Wrap360(atan2(-east, -north) * 180 / kPi);
    const double off = Wrap360(home - v->cog + 180) - 180;
    if (fabs(off) > 10) v->turnRate = off > 0 ? 20 : -20;
  }
  if (v->turnRate > 20) v->turnRate = 20;
  if (v->turnRate < -20) v->turnRate = -20;
  v->cog = Wrap360(v->cog + v->turnRate / 60 * seconds);
  v->heading = Wrap360(v->cog + Uniform(random, -1.5, 1.5));
  v->sog += Uniform(random, -0.05, 0.05) * seconds;
  if (v->sog < 1) v->sog = 1;
  if (v->sog > 25) v->sog = 25;
  const double miles = v->sog * seconds / 3600;
  v->latitude += miles * cos(Radians(v->cog)) / 60;
  v->longitude += miles * sin(Radians(v->cog)) / (60 * cos(Radians(v->latitude)));
}

// Degrees to "ddmm.mmmm,H" or "dddmm.mmmm,H".
void FormatAngle(double degrees, bool longitude, char* out, int room) {
  const char hemisphere = longitude ? (degrees < 0 ? 'W' : 'E') : (degrees < 0 ? 'S' : 'N');
  const long tenThousandths = lround(fabs(degrees) * 600000);
  const long whole = tenThousandths / 600000;
  const double minutes = (tenThousandths % 600000) / 10000.0;
  snprintf(out, room, longitude ? "%03ld%07.4f,%c" : "%02ld%07.4f,%c", whole, minutes, hemisphere);
}

}  // namespace

uint32_t NextRandom(SimRandom* random) {
  uint64_t z = (random->state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

double Uniform(SimRandom* random, double lowest, double highest) {
  return lowest + (highest - lowest) * (NextRandom(random) / 4294967296.0);
}

void InitFleet(Fleet* fleet, uint32_t ownMmsi, uint64_t seed) {
  memset(fleet, 0, sizeof *fleet);
  fleet->random.state = seed;
  for (int i = 0; i < kFleetVessels; ++i) {
    InitVessel(&fleet->vessels[i], kFleetSeeds[i]);
    // The seed spreads the fleet and its courses a little.
    Vessel& v = fleet->vessels[i];
    v.latitude += Uniform(&fleet->random, -0.01, 0.01) * v.moving;
    v.longitude += Uniform(&fleet->random, -0.01, 0.01) * v.moving;
    v.cog = Wrap360(v.cog + Uniform(&fleet->random, -20, 20) * v.moving);
    v.heading = v.cog;
    v.slotTimeout = static_cast<uint8_t>(NextRandom(&fleet->random) % 8);
  }
  const VesselSeed own = {ownMmsi, "OWN SHIP", "", 0, 70, 120, 20, -0.02, 0.0, 11.5, 265, 0};
  InitVessel(&fleet->own, own);
}

void MoveFleet(Fleet* fleet, double seconds) {
  for (Vessel& v : fleet->vessels) MoveVessel(&v, seconds, &fleet->random);
  MoveVessel(&fleet->own, seconds, &fleet->random);
}

int NextTrafficMessage(Fleet* fleet, const tm& utc, SentenceBatch* out) {
  const TrafficSlot slot = kTrafficRound[fleet->nextTraffic];
  fleet->nextTraffic = (fleet->nextTraffic + 1) % kTrafficRoundLength;
  const char channel = fleet->channelCount++ % 2 == 0 ? 'A' : 'B';
  Vessel* v = &fleet->vessels[slot.vessel];
  SimRandom* random = &fleet->random;
  uint8_t data[kMaxMessageBytes];
  switch (slot.kind) {
    case kPositionA: {
      const int id = slot.vessel == kTug ? 3 : slot.vessel == kPilot ? 2 : 1;
      return Encode(fleet, PositionReport(v, id, utc, random), nullptr, 0, false, channel, out);
    }
    case kClassB:
      return Encode(fleet, ClassBReport(v, slot.vessel == kFisher, utc, random), nullptr, 0, false, channel, out);
    case kStaticA:
      return Encode(fleet, StaticVoyage(*v, utc), nullptr, 0, false, channel, out);
    case kStatic24A:
      return Encode(fleet, StaticPart(*v, 0), nullptr, 0, false, channel, out);
    case kStatic24B:
      return Encode(fleet, StaticPart(*v, 1), nullptr, 0, false, channel, out);
    case kBaseReport:
      return Encode(fleet, BaseStationReport(v, utc, random), nullptr, 0, false, channel, out);
    case kAton:
      return Encode(fleet, AtonReport(*v, utc), nullptr, 0, false, channel, out);
    case kTidal: {
      DecodedMessage m = BlankAisMessage(6, v->mmsi);
      m.sequenceNumber = static_cast<uint8_t>(fleet->tidalCount++ & 3);
      m.destinationId = fleet->own.mmsi;
      const int bits = TidalWindowData(*v, utc, random, data);
      return Encode(fleet, m, data, bits, false, channel, out);
    }
    case kBinaryAck:
      return Encode(fleet, Acknowledge(7, *v, fleet->vessels[kShore].mmsi, fleet->tidalCount), nullptr, 0, false,
                    channel, out);
    case kSafetyAck:
      return Encode(fleet, Acknowledge(13, *v, fleet->vessels[kCargo].mmsi, 1), nullptr, 0, false, channel, out);
    case kMetHydro: {
      const int bits = MetHydroData(*v, utc, random, data);
      return Encode(fleet, BlankAisMessage(8, v->mmsi), data, bits, false, channel, out);
    }
    case kInland: {
      const int bits = InlandData(*v, data);
      return Encode(fleet, BlankAisMessage(8, v->mmsi), data, bits, false, channel, out);
    }
  }
  return 0;
}

int OwnShipReport(Fleet* fleet, const tm& utc, SentenceBatch* out) {
  const int id = fleet->ownReports++ % 2 == 0 ? 1 : 3;
  const char channel = fleet->ownReports % 2 == 0 ? 'B' : 'A';
  return Encode(fleet, PositionReport(&fleet->own, id, utc, &fleet->random), nullptr, 0, true, channel, out);
}

int OwnBroadcastReport(Fleet* fleet, int messageId, const uint8_t* data, int bitCount, char channel,
                       SentenceBatch* out) {
  return Encode(fleet, BlankAisMessage(messageId, fleet->own.mmsi), data, bitCount, true, channel, out);
}

int OwnAddressedReport(Fleet* fleet, int messageId, uint32_t destination, int sequenceNumber, const uint8_t* data,
                       int bitCount, char channel, SentenceBatch* out) {
  DecodedMessage m = BlankAisMessage(messageId, fleet->own.mmsi);
  m.destinationId = destination;
  m.sequenceNumber = static_cast<uint8_t>(sequenceNumber);
  return Encode(fleet, m, data, bitCount, true, channel, out);
}

int SensorSentences(const Fleet* fleet, const tm& utc, int centiseconds, char* out, int room) {
  const Vessel& v = fleet->own;
  char latitude[20], longitude[20], body[120];
  FormatAngle(v.latitude, false, latitude, sizeof latitude);
  FormatAngle(v.longitude, true, longitude, sizeof longitude);
  const double variation = 1.2;  // east, as in these waters
  int at = 0;
  snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.%02d,%s,%s,1,09,0.9,12.4,M,47.1,M,,", utc.tm_hour, utc.tm_min,
           utc.tm_sec % 60, centiseconds, latitude, longitude);
  at += FrameSentence(out + at, room - at, '$', body);
  snprintf(body, sizeof body, "GPVTG,%05.1f,T,%05.1f,M,%04.1f,N,%04.1f,K,A", PrintedCourse(v.cog),
           PrintedCourse(Wrap360(v.cog - variation)), v.sog, v.sog * 1.852);
  at += FrameSentence(out + at, room - at, '$', body);
  snprintf(body, sizeof body, "HEHDT,%05.1f,T", PrintedCourse(v.heading));
  at += FrameSentence(out + at, room - at, '$', body);
  snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.%02d,A,%s,%s,%04.1f,%05.1f,%02d%02d%02d,%.1f,E,A", utc.tm_hour,
           utc.tm_min, utc.tm_sec % 60, centiseconds, latitude, longitude, v.sog, PrintedCourse(v.cog), utc.tm_mday,
           utc.tm_mon + 1, utc.tm_year % 100, variation);
  at += FrameSentence(out + at, room - at, '$', body);
  return at;
}
