// The monitor's row ring, its filtered view, and the rows made from fates,
// writes and missed records.
#include "monitor/monitor_rows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "monitor/monitor_text.h"

namespace {

constexpr const char* kWriteResultTexts[] = {
    "sent",                                  // kLinkWritten
    "not sent: port not connected",          // kLinkNotConnected
    "not sent: port stalled",                // kLinkPortStalled
    "not sent: the port refused the write",  // kLinkWriteRefused
};

MonitorRow& RowOf(MonitorRows* m, uint64_t number) {
  return m->rows[number % kMonitorRows];
}

// ASCII letters compared without case; a typed filter of other characters
// matches them as they are.
char Folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsText(const char* text, const char* wanted) {
  for (; *text != 0; ++text) {
    size_t i = 0;
    while (wanted[i] != 0 && Folded(text[i]) == Folded(wanted[i])) ++i;
    if (wanted[i] == 0) return true;
  }
  return wanted[0] == 0;
}

bool Passes(const MonitorFilter& filter, const MonitorRow& row) {
  if (row.link < 1 || row.link > kMonitorLinks || !filter.links[row.link - 1]) return false;
  if (filter.rejectedOnly && row.mark == kMarkNone) return false;
  if (filter.text[0] == 0) return true;
  // The sentence as shown, so that what the user sees is what matches.
  char sentence[kMonitorCellRoom];
  FormatMonitorCell(row, kColumnSentence, sentence, sizeof sentence);
  return ContainsText(sentence, filter.text) || ContainsText(row.fate, filter.text);
}

void AppendToView(MonitorRows* m, uint64_t number) {
  m->passing[m->passAdded % kMonitorRows] = number;
  ++m->passAdded;
}

// The row ring is full: its oldest row goes, and with it the view's front
// entry when that is the row.
void DropOldestRow(MonitorRows* m) {
  if (m->passFirst < m->passAdded && m->passing[m->passFirst % kMonitorRows] == m->first) {
    ++m->passFirst;
    ++m->viewDropped;
  }
  ++m->first;
}

// A new row, blank but for its place; the caller fills it, then shows it.
MonitorRow& NewRow(MonitorRows* m, int64_t unixTimeMs, int link, MonitorDirection direction) {
  if (m->added - m->first == kMonitorRows) DropOldestRow(m);
  MonitorRow& row = RowOf(m, m->added);
  row.unixTimeMs = unixTimeMs;
  row.link = static_cast<uint8_t>(link);
  row.direction = direction;
  row.mark = kMarkNone;
  row.sentenceLength = 0;
  row.sentenceLonger = false;
  row.sentence[0] = 0;
  row.fate[0] = 0;
  return row;
}

void FinishRow(MonitorRows* m) {
  const uint64_t number = m->added++;
  if (Passes(m->filter, RowOf(m, number))) AppendToView(m, number);
}

void SetSentence(MonitorRow* row, const char* bytes, size_t length, bool longer) {
  if (length > kFateTextChars) {
    length = kFateTextChars;
    longer = true;
  }
  memcpy(row->sentence, bytes, length);
  row->sentence[length] = 0;
  row->sentenceLength = static_cast<uint8_t>(length);
  row->sentenceLonger = longer;
}

void SetFate(MonitorRow* row, const char* text, size_t length) {
  SpellOutBytes(text, length, row->fate, sizeof row->fate);
}

bool ValidLink(int link) {
  return link >= 1 && link <= kMonitorLinks;
}

}  // namespace

void InitMonitorRows(MonitorRows* m) {
  m->added = 0;
  m->first = 0;
  m->filter = MonitorFilter{};
  for (bool& shown : m->filter.links) shown = true;
  m->passAdded = 0;
  m->passFirst = 0;
  m->viewDropped = 0;
  m->paused = false;
  m->pausedRow = 0;
  m->pausedEnd = 0;
}

void ClearMonitorRows(MonitorRows* m) {
  m->first = m->added;
  m->passFirst = m->passAdded;
}

void AddFateRow(MonitorRows* m, const SentenceFate& fate) {
  if (!ValidLink(fate.link)) return;
  const MonitorLinkTraits& traits = kMonitorLinkTraits[fate.link - 1];
  MonitorRow& row = NewRow(m, fate.unixTimeMs, fate.link, kMonitorIn);
  SetSentence(&row, fate.text, std::min<size_t>(fate.textLength, kFateTextChars), fate.textLonger);
  if (traits.judged) {
    char text[kFateDescriptionRoom];
    SetFate(&row, text, DescribeFate(fate, text, sizeof text));
    if (FateIsFailure(fate.code)) row.mark = kMarkRejected;
  } else {
    // Nothing in the client judges the sensor's lines: each is shown as it came.
    SetFate(&row, "received", strlen("received"));
  }
  FinishRow(m);
}

void AddWrittenRows(MonitorRows* m, int64_t unixTimeMs, int link, const uint8_t* bytes, int count,
                    LinkWriteResult result) {
  if (!ValidLink(link) || bytes == nullptr || count <= 0) return;
  const bool known = result >= 0 && result < static_cast<int>(std::size(kWriteResultTexts));
  const char* fate = known ? kWriteResultTexts[result] : "not sent";
  const char* text = reinterpret_cast<const char*>(bytes);
  // One row per sentence: the pieces between line ends.
  for (int start = 0, end = 0; start < count; start = end + 1) {
    end = start;
    while (end < count && text[end] != '\r' && text[end] != '\n') ++end;
    if (end == start) continue;
    MonitorRow& row = NewRow(m, unixTimeMs, link, kMonitorOut);
    SetSentence(&row, text + start, static_cast<size_t>(end - start), false);
    SetFate(&row, fate, strlen(fate));
    if (result != kLinkWritten) row.mark = kMarkRejected;
    FinishRow(m);
  }
}

void AddMissedRow(MonitorRows* m, int64_t unixTimeMs, int link, uint64_t missed) {
  if (!ValidLink(link) || missed == 0) return;
  const MonitorLinkTraits& traits = kMonitorLinkTraits[link - 1];
  char text[kMonitorFateRoom];
  // The lines themselves went their usual way; only this list lacks them.
  const int length = snprintf(text, sizeof text,
                              "%llu %s not shown: the monitor fell behind (they were received and counted as usual)",
                              static_cast<unsigned long long>(missed), missed == 1 ? traits.line : traits.lines);
  MonitorRow& row = NewRow(m, unixTimeMs, link, kMonitorIn);
  SetFate(&row, text, std::min<size_t>(static_cast<size_t>(std::max(length, 0)), sizeof text - 1));
  row.mark = kMarkMissed;
  FinishRow(m);
}

void SetMonitorFilter(MonitorRows* m, const MonitorFilter& filter) {
  m->filter = filter;
  m->filter.text[kMonitorFilterRoom - 1] = 0;
  m->passAdded = 0;
  m->passFirst = 0;
  m->pausedEnd = 0;
  for (uint64_t number = m->first; number < m->added; ++number) {
    if (!Passes(m->filter, RowOf(m, number))) continue;
    AppendToView(m, number);
    if (number < m->pausedRow) m->pausedEnd = m->passAdded;
  }
}

void PauseMonitor(MonitorRows* m, bool paused) {
  m->paused = paused;
  m->pausedRow = m->added;
  m->pausedEnd = m->passAdded;
}

int32_t MonitorViewCount(const MonitorRows& m) {
  const uint64_t end = m.paused ? m.pausedEnd : m.passAdded;
  return end > m.passFirst ? static_cast<int32_t>(end - m.passFirst) : 0;
}

const MonitorRow* MonitorViewRow(const MonitorRows& m, int32_t i) {
  if (i < 0 || i >= MonitorViewCount(m)) return nullptr;
  const uint64_t number = m.passing[(m.passFirst + static_cast<uint64_t>(i)) % kMonitorRows];
  return &m.rows[number % kMonitorRows];
}
