// The message 8 meteorological and hydrological report (DAC 1, FI 31): the
// record every transmission packs, its refresh and its 360-bit packing.
#pragma once
#include <cstdint>

constexpr int kMetHydroMessageBytes = 45;

struct MetHydroReport {
  int32_t longitude;
  int32_t latitude;
  uint8_t averageWindSpeed;
  uint8_t windGust;
  uint16_t windDirection;
  int16_t windGustDirection;
  int16_t airTemperature;
  uint8_t relativeHumidity;
  int16_t dewPoint;
  uint16_t airPressure;
  uint8_t airPressureTendency;
  uint8_t horizontalVisibility;
  uint16_t waterLevel;
  uint8_t waterLevelTrend;
  uint8_t surfaceCurrentSpeed;
  uint16_t surfaceCurrentDirection;
  uint8_t currentSpeed2;
  uint16_t currentDirection2;
  uint8_t currentLevel2;
  uint8_t currentSpeed3;
  uint16_t currentDirection3;
  uint8_t currentLevel3;
  uint8_t waveHeight;
  uint8_t wavePeriod;
  uint16_t waveDirection;
  uint8_t swellHeight;
  uint8_t swellPeriod;
  uint16_t swellDirection;
  uint8_t seaState;
  int16_t waterTemperature;
  uint8_t precipitation;
  uint16_t salinity;
  uint8_t ice;
  uint8_t positionAccuracy;
  uint32_t sourceId;
  uint16_t dacFi;
  uint8_t utcDay;
  uint8_t utcHour;
  uint8_t utcMinute;
};

// Stamps the report with the UTC day, hour and minute and the own MMSI given
// by the caller, and sets the fixed "not available" values.
void RefreshMetHydroReport(MetHydroReport* report, int utcDay, int utcHour, int utcMinute, uint32_t ownMmsi);

// Writes the 45-byte message into `out`; returns 45.
int PackMetHydroPayload(const MetHydroReport* report, uint8_t* out);

// "DDMM.mmm,H" and "DDDMM.mmm,H" to 1/1000 minute, negative for "S" and "W".
// Digits are taken as their code and 15, unchecked; a shorter text is never
// read past its zero, missing characters count as 0.
int32_t ParseLatitudeText(const char* text);
int32_t ParseLongitudeText(const char* text);
