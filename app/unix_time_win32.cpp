#include "app/unix_time_win32.h"

#include <windows.h>

int64_t UnixTimeMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;  // 100 ns since 1601
  constexpr uint64_t kUnixEpochTicks = 116444736000000000u;
  return static_cast<int64_t>((ticks - kUnixEpochTicks) / 10000);
}
