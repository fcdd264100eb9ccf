// Baud text conversion and COM port device paths.
#include "serial/baud_text.h"

#include <cstring>

int32_t BaudRateFromText(const char* text) {
  if (text == nullptr) return 0;
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  // Accumulated as a positive magnitude; one past INT32_MAX still fits the
  // negative limit.
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
  int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

bool LinkDevicePath(const char* portName, char* out, size_t room) {
  if (room == 0) return false;
  out[0] = '\0';
  if (portName == nullptr || portName[0] == '\0') return false;
  // A name that already is a device path ("\\.\COM12", "\\?\...") is kept.
  const char* prefix = (portName[0] == '\\') ? "" : "\\\\.\\";
  const size_t prefixLength = strlen(prefix);
  const size_t nameLength = strlen(portName);
  if (prefixLength + nameLength + 1 > room) return false;
  memcpy(out, prefix, prefixLength);
  memcpy(out + prefixLength, portName, nameLength + 1);
  return true;
}
