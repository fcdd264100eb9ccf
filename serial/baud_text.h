// Text conversions of the serial links that need no platform: the typed baud
// rate and the device path of a COM port name.
#pragma once
#include <cstddef>
#include <cstdint>

// The value of an optional sign followed by decimal digits, read up to the
// first other character; 0 when the text starts with neither. Saturates at
// the limits of int32_t instead of overflowing.
int32_t BaudRateFromText(const char* text);

// Writes the name the device must be opened by into `out`: names from COM10
// up only open through the "\\.\" device prefix, so every plain name gets it.
// Returns false (and an empty `out`) when the name is empty or does not fit.
bool LinkDevicePath(const char* portName, char* out, size_t room);
