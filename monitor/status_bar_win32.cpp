// The status bar: a table of parts, one per link, laid out in rows below
// the timeline, each row a common-controls status bar. A part's text (and
// its tooltip, the same text whole) is set only when the monitor's tick
// finds it changed.
#include "monitor/status_bar_win32.h"

// clang-format off
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include <iterator>

#include "app/recording_win32.h"
#include "app/shell_win32.h"
#include "app/utf8_text_win32.h"
#include "monitor/link_monitor_win32.h"
#include "res/resource.h"

namespace {

constexpr int kRecordingPart = 0;  // a part's "link" that shows the recording instead

struct StatusBarPart {
  int link;          // 1 to 3: shows linkMonitor.status.parts[link - 1]; kRecordingPart: the recording
  int row;           // which of the bar's rows, from the top
  int rightPercent;  // its right edge, in per cent of the row's width
};

// One row per AIS link: a connected link's part ("Presentation Port: COM7
// 38400 · 1 204 in · 1 190 stored · 3 rejected · 21/s") is about 360 pixels
// wide at 96 DPI and 540 at 144, so two do not fit side by side in the
// window's 800. The Sensor Port's part is short; the recording's file name
// and line count share its row.
constexpr StatusBarPart kStatusBarParts[] = {
    {1, 0, 100},
    {2, 1, 100},
    {3, 2, 45},
    {kRecordingPart, 2, 100},
};
constexpr int kStatusBarRows = 3;
constexpr int kMaxPartsInRow = 4;

constexpr bool EveryPartInARow() {
  for (const StatusBarPart& part : kStatusBarParts)
    if (part.row < 0 || part.row >= kStatusBarRows) return false;
  return true;
}
static_assert(EveryPartInARow(), "a part's row is one of the bar's rows");

HWND rows[kStatusBarRows];
HFONT statusFont;  // for the whole run
// Each part's text whole, over the part: a tooltip of our own, since the
// bar's own (SBARS_TOOLTIPS) shows only where a text is cut on Windows and
// holds no tools at all under Wine.
HWND partTips;

// The part's position among the parts of its row.
int IndexInRow(int part) {
  int index = 0;
  for (int i = 0; i < part; ++i) index += kStatusBarParts[i].row == kStatusBarParts[part].row ? 1 : 0;
  return index;
}

// Returns the row's number of parts.
int SetPartEdges(HWND bar, int row, int width) {
  int edges[kMaxPartsInRow];
  int count = 0;
  for (const StatusBarPart& part : kStatusBarParts) {
    if (part.row != row || count == kMaxPartsInRow) continue;
    edges[count++] = part.rightPercent >= 100 ? -1 : width * part.rightPercent / 100;
  }
  SendMessageW(bar, SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges));
  return count;
}

// The status bar's own font, set explicitly so that what measures the parts
// (the test driver) measures with the font they are drawn in.
HFONT StatusFont() {
  if (statusFont != nullptr) return statusFont;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    statusFont = CreateFontIndirectW(&metrics.lfStatusFont);
  return statusFont;
}

// A tool over part `index` of `bar`, its text set by ShowParts.
void AddPartTip(HWND bar, int index) {
  if (partTips == nullptr) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = bar;
  tool.uId = static_cast<UINT_PTR>(index);
  SendMessageW(bar, SB_GETRECT, index, reinterpret_cast<LPARAM>(&tool.rect));
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(partTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void SetPartTip(HWND bar, int index, wchar_t* text) {
  if (partTips == nullptr) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = bar;
  tool.uId = static_cast<UINT_PTR>(index);
  tool.lpszText = text;
  SendMessageW(partTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Creates one row and returns its height. The bar computes its height from
// its font while it aligns itself to the bottom; from then on it stays where
// it is put.
int AddRow(HWND window, int row, int top, int width) {
  const HWND bar =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR + row)), instance, nullptr);
  rows[row] = bar;
  if (bar == nullptr) return 0;
  if (const HFONT font = StatusFont()) SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(bar, WM_SIZE, 0, 0);
  RECT box;
  GetWindowRect(bar, &box);
  const int height = box.bottom - box.top;
  SetWindowLongPtrW(bar, GWL_STYLE, GetWindowLongPtrW(bar, GWL_STYLE) | CCS_NORESIZE | CCS_NOPARENTALIGN);
  MoveWindow(bar, 0, top, width, height, FALSE);
  const int parts = SetPartEdges(bar, row, width);
  for (int index = 0; index < parts; ++index) AddPartTip(bar, index);
  return height;
}

// A part's bit in ShowParts' set: bit n - 1 for link n, as the tick says.
constexpr uint32_t kRecordingBit = 1u << 31;

uint32_t PartBit(const StatusBarPart& part) {
  return part.link == kRecordingPart ? kRecordingBit : 1u << (part.link - 1);
}

void ShowParts(uint32_t parts) {
  for (int i = 0; i < static_cast<int>(std::size(kStatusBarParts)); ++i) {
    const StatusBarPart& part = kStatusBarParts[i];
    if ((parts & PartBit(part)) == 0 || rows[part.row] == nullptr) continue;
    // The texts are UTF-8 ("·" between the items).
    char utf8[kStatusTextRoom];
    if (part.link == kRecordingPart)
      RecordingStatusText(utf8, sizeof utf8);
    else
      lstrcpynA(utf8, linkMonitor.status.parts[part.link - 1].text, sizeof utf8);
    wchar_t text[kStatusTextRoom];
    WidenUtf8(utf8, text, kStatusTextRoom);
    SendMessageW(rows[part.row], SB_SETTEXTW, IndexInRow(i), reinterpret_cast<LPARAM>(text));
    SetPartTip(rows[part.row], IndexInRow(i), text);
  }
}

}  // namespace

void AddLinkStatusBar(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  partTips =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
  int height = 0;
  for (int row = 0; row < kStatusBarRows; ++row) height += AddRow(window, row, client.bottom + height, client.right);
  SetMainClientHeight(window, client.bottom + height);
  ShowParts(~0u);
}

void ShowChangedLinkStatus(HWND, const LinkMonitorTick& tick) {
  // The recording's line count moves with the links, so it follows each tick.
  ShowParts(tick.changedParts | kRecordingBit);
}

void ShowRecordingStatus() {
  ShowParts(kRecordingBit);
}

bool OnLinkStatusBarNotify(HWND window, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  const int row = static_cast<int>(header->idFrom) - IDC_STATUS_BAR;
  if (row < 0 || row >= kStatusBarRows || header->hwndFrom != rows[row]) return false;
  if (header->code != NM_CLICK) return true;
  const auto index = static_cast<int>(reinterpret_cast<const NMMOUSE*>(lParam)->dwItemSpec);
  for (int i = 0; i < static_cast<int>(std::size(kStatusBarParts)); ++i) {
    if (kStatusBarParts[i].row == row && IndexInRow(i) == index && kStatusBarParts[i].link != kRecordingPart)
      PostMessageW(window, WM_COMMAND, ID_MONITOR, kStatusBarParts[i].link);
  }
  return true;
}
