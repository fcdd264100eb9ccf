// The monitor's cell texts, one formatter per column, and the copy text.
#include "monitor/monitor_text.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kLongerMark[] = "\u2026";  // the line went on past what was kept

// Copies up to room - 1 bytes of `text`, terminated; returns the length copied.
size_t CopyCut(const char* text, size_t length, char* out, size_t room) {
  if (room == 0) return 0;
  if (length > room - 1) length = room - 1;
  memcpy(out, text, length);
  out[length] = 0;
  return length;
}

size_t CopyText(const char* text, char* out, size_t room) {
  return CopyCut(text, strlen(text), out, room);
}

size_t TimeCell(const MonitorRow& row, char* out, size_t room) {
  constexpr int64_t kDayMs = 86400000;
  int64_t ms = row.unixTimeMs % kDayMs;
  if (ms < 0) ms += kDayMs;
  char text[16];
  snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
           static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
  return CopyText(text, out, room);
}

size_t LinkCell(const MonitorRow& row, char* out, size_t room) {
  const bool known = row.link >= 1 && row.link <= kMonitorLinks;
  return CopyText(known ? kMonitorLinkTraits[row.link - 1].name : "", out, room);
}

size_t DirectionCell(const MonitorRow& row, char* out, size_t room) {
  return CopyText(row.direction == kMonitorOut ? "out" : "in", out, room);
}

size_t SentenceCell(const MonitorRow& row, char* out, size_t room) {
  size_t length = SpellOutBytes(row.sentence, row.sentenceLength, out, room);
  if (row.sentenceLonger && length + sizeof kLongerMark <= room) {
    memcpy(out + length, kLongerMark, sizeof kLongerMark);
    length += sizeof kLongerMark - 1;
  }
  return length;
}

size_t FateCell(const MonitorRow& row, char* out, size_t room) {
  return CopyText(row.fate, out, room);
}

struct MonitorCell {
  const char* title;
  size_t (*format)(const MonitorRow& row, char* out, size_t room);
};

constexpr MonitorCell kMonitorCells[kMonitorColumns] = {
    {"Time (UTC)", TimeCell},   {"Link", LinkCell}, {"Direction", DirectionCell},
    {"Sentence", SentenceCell}, {"Fate", FateCell},
};

}  // namespace

const char* const kMonitorColumnTitles[kMonitorColumns] = {
    kMonitorCells[kColumnTime].title,     kMonitorCells[kColumnLink].title, kMonitorCells[kColumnDirection].title,
    kMonitorCells[kColumnSentence].title, kMonitorCells[kColumnFate].title,
};

size_t FormatMonitorCell(const MonitorRow& row, MonitorColumn column, char* out, size_t room) {
  if (room == 0) return 0;
  if (column < 0 || column >= kMonitorColumns) {
    out[0] = 0;
    return 0;
  }
  return kMonitorCells[column].format(row, out, room);
}

size_t CopyMonitorRows(const MonitorRows& m, const int32_t* viewRows, int count, char* out, size_t room) {
  size_t total = 0;
  const auto append = [&](const char* text, size_t length) {
    if (total < room) CopyCut(text, length, out + total, room - total);
    total += length;
  };
  if (room > 0) out[0] = 0;
  for (int k = 0; k < count; ++k) {
    const MonitorRow* row = MonitorViewRow(m, viewRows[k]);
    if (row == nullptr) continue;
    for (int column = 0; column < kMonitorColumns; ++column) {
      char cell[kMonitorCellRoom];
      append(cell, FormatMonitorCell(*row, static_cast<MonitorColumn>(column), cell, sizeof cell));
      append(column + 1 < kMonitorColumns ? "\t" : "\r\n", column + 1 < kMonitorColumns ? 1 : 2);
    }
  }
  return total;
}

size_t SpellOutBytes(const char* bytes, size_t length, char* out, size_t room) {
  if (room == 0) return 0;
  size_t at = 0;
  for (size_t i = 0; i < length; ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    if (b >= 0x20 && b < 0x7F) {
      if (at + 1 >= room) break;
      out[at++] = static_cast<char>(b);
    } else {
      if (at + 4 >= room) break;  // never half an escape
      snprintf(out + at, 5, "\\x%02X", b);
      at += 4;
    }
  }
  out[at] = 0;
  return at;
}
