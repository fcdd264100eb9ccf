// The one wall clock of the client's records: UNIX time in milliseconds, so
// that a fate record's arrival, a transmission's time and a recorded line's
// time compare. Any thread.
#pragma once
#include <cstdint>

int64_t UnixTimeMs();
