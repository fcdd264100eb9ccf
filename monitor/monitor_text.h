// The texts of the monitor's rows: the cells a list shows, and the
// tab-separated lines that copying selected rows gives. Every text is UTF-8
// (the window converts it) and printable: a received byte that is not
// printable ASCII is spelled out as \xNN, so that a tab, a line end or a
// stray byte of a wrong baud rate can neither break a line nor hide.
#pragma once
#include <cstddef>
#include <cstdint>

#include "monitor/monitor_rows.h"

enum MonitorColumn : int { kColumnTime, kColumnLink, kColumnDirection, kColumnSentence, kColumnFate, kMonitorColumns };

extern const char* const kMonitorColumnTitles[kMonitorColumns];

// Room for the longest cell: a sentence of unprintable bytes, and the mark
// of a longer line.
constexpr size_t kMonitorCellRoom = 4 * kFateTextChars + 8;

// One cell of a row, zero-terminated and cut to `room`: the time as UTC
// "hh:mm:ss.mmm", the link's name, "in" or "out", the sentence (followed by
// "…" when the line was longer), the fate. Returns the length written.
size_t FormatMonitorCell(const MonitorRow& row, MonitorColumn column, char* out, size_t room);

// The view rows `viewRows` (count of them), one line each: the five cells
// separated by tabs, ended by CR LF. Writes what fits into `out` (always
// terminated when room > 0) and returns the length of the whole text, so
// that a caller can size its buffer first with room 0.
size_t CopyMonitorRows(const MonitorRows& m, const int32_t* viewRows, int count, char* out, size_t room);

// `length` bytes as printable text, zero-terminated and cut to `room`:
// printable ASCII as it is, every other byte as \xNN. Returns the length
// written.
size_t SpellOutBytes(const char* bytes, size_t length, char* out, size_t room);
