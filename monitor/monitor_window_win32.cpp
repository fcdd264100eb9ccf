// The "Sentence Monitor" window: its controls laid out from a table, the
// virtual list drawn from the link monitor's filtered view, rows marked by
// how they stand out, and the keys for selecting and copying rows. The rows
// are collected whether or not the window is open; the window only shows
// them. Main thread only.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on
#include "monitor/monitor_window_win32.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "app/shell_win32.h"
#include "app/utf8_text_win32.h"
#include "monitor/link_monitor_win32.h"
#include "monitor/monitor_text.h"
#include "res/resource.h"

namespace {

constexpr wchar_t kMonitorClass[] = L"AsmSentenceMonitor";
constexpr wchar_t kMonitorTitle[] = L"Sentence Monitor";

// How a marked row stands out: a symbol before its fate, and its colours.
struct MarkLook {
  const wchar_t* symbol;
  COLORREF text;
  COLORREF back;
};
constexpr MarkLook kMarkLooks[] = {
    {L"", 0, 0},                                       // kMarkNone: as the list draws it
    {L"\u00D7 ", RGB(160, 0, 0), RGB(255, 218, 218)},  // kMarkRejected
    {L"! ", RGB(112, 72, 0), RGB(255, 236, 176)},      // kMarkMissed
};

// The controls above the list, left to right. A check box of a link takes
// the link's name.
struct MonitorControl {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  int link;  // 1 to 3: a link's check box
  DWORD style;
  DWORD exStyle;
  int widthChars;  // an edit's width in average characters; 0: its text's
};
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kCheckBox = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr MonitorControl kTopRow[] = {
    {IDC_MONITOR_FILTER_LABEL, L"Static", L"Filter:", 0, kChild | SS_CENTERIMAGE, 0, 0},
    {IDC_MONITOR_FILTER, L"Edit", L"", 0, kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 24},
    {IDC_MONITOR_LINK1, L"Button", nullptr, 1, kCheckBox, 0, 0},
    {IDC_MONITOR_LINK2, L"Button", nullptr, 2, kCheckBox, 0, 0},
    {IDC_MONITOR_LINK3, L"Button", nullptr, 3, kCheckBox, 0, 0},
    {IDC_MONITOR_REJECTED, L"Button", L"Rejected only", 0, kCheckBox, 0, 0},
    {IDC_MONITOR_PAUSE, L"Button", L"Pause", 0, kCheckBox, 0, 0},
    {IDC_MONITOR_CLEAR, L"Button", L"Clear", 0, kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 0},
};
constexpr int kTopRowControls = static_cast<int>(std::size(kTopRow));

// The widest text each column is sized for when the window opens.
constexpr const wchar_t* kColumnSamples[kMonitorColumns] = {
    L"00:00:00.000",
    L"Presentation Port",
    L"Direction",
    L"!AIBBM,2,1,0,1,8,05uBng0ab10@97wwe5`P1UOGwswu3wu`wsAwwwwwwwwwwww,0*4D",
    L"fragment 2 of 2 (id 4): message stored in column 24",
};

// Measured once, at creation, with the window's font.
struct MonitorLayout {
  int widths[kTopRowControls];
  int rowHeight;
  int margin;
  int gap;
  int columnWidths[kMonitorColumns];
};

struct SentenceMonitor {
  HWND window;
  HWND list;
  HFONT font;
  MonitorLayout layout;
  int32_t shownCount;     // items the list was last given
  uint64_t shownDropped;  // the view's dropped rows when it was
};
SentenceMonitor monitor;

MonitorRows& Rows() {
  return linkMonitor.rows;
}

// A cell's UTF-8 into the list's buffer, cut to its room.
void ToWide(const char* text, const wchar_t* before, wchar_t* out, int room) {
  wchar_t wide[kMonitorCellRoom + 8];
  const int prefix = lstrlenW(before);
  lstrcpyW(wide, before);
  WidenUtf8(text, wide + prefix, static_cast<int>(std::size(wide)) - prefix);
  lstrcpynW(out, wide, room);
}

// ---- The list ----

void FillCell(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  item.pszText[0] = 0;
  const MonitorRow* row = MonitorViewRow(Rows(), item.iItem);
  if (row == nullptr || item.iSubItem < 0 || item.iSubItem >= kMonitorColumns) return;
  char cell[kMonitorCellRoom];
  FormatMonitorCell(*row, static_cast<MonitorColumn>(item.iSubItem), cell, sizeof cell);
  const wchar_t* mark = item.iSubItem == kColumnFate ? kMarkLooks[row->mark].symbol : L"";
  ToWide(cell, mark, item.pszText, item.cchTextMax);
}

LRESULT DrawRow(NMLVCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  const MonitorRow* row = MonitorViewRow(Rows(), static_cast<int32_t>(draw->nmcd.dwItemSpec));
  if (row == nullptr || row->mark == kMarkNone) return CDRF_DODEFAULT;
  draw->clrText = kMarkLooks[row->mark].text;
  draw->clrTextBk = kMarkLooks[row->mark].back;
  return CDRF_NEWFONT;
}

int NextSelected(int after) {
  return static_cast<int>(SendMessageW(monitor.list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

void SetSelected(int item, bool selected) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = selected ? LVIS_SELECTED : 0;
  SendMessageW(monitor.list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

// The selected rows, oldest first, into `items`; returns how many.
int SelectedRows(int32_t* items, int room) {
  int count = 0;
  for (int i = NextSelected(-1); i >= 0 && count < room; i = NextSelected(i)) items[count++] = i;
  return count;
}

int32_t selectedRows[kMonitorRows];

// Ctrl+C: the selected rows as tab-separated lines, as UTF-16 text.
void CopySelectedRows() {
  const int count = SelectedRows(selectedRows, kMonitorRows);
  if (count == 0) return;
  std::vector<char> text(CopyMonitorRows(Rows(), selectedRows, count, nullptr, 0) + 1);
  CopyMonitorRows(Rows(), selectedRows, count, text.data(), text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), -1, nullptr, 0);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(length) * sizeof(wchar_t));
  if (memory == nullptr) return;
  MultiByteToWideChar(CP_UTF8, 0, text.data(), -1, static_cast<wchar_t*>(GlobalLock(memory)), length);
  GlobalUnlock(memory);
  if (!OpenClipboard(monitor.window)) {
    GlobalFree(memory);
    return;
  }
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);  // else the clipboard owns it
  CloseClipboard();
}

void OnListKey(const NMLVKEYDOWN* key) {
  if (GetKeyState(VK_CONTROL) >= 0) return;
  if (key->wVKey == 'A') SetSelected(-1, true);
  if (key->wVKey == 'C') CopySelectedRows();
}

bool ShowsLastRow() {
  if (monitor.shownCount == 0) return true;
  const auto top = static_cast<int32_t>(SendMessageW(monitor.list, LVM_GETTOPINDEX, 0, 0));
  const auto perPage = static_cast<int32_t>(SendMessageW(monitor.list, LVM_GETCOUNTPERPAGE, 0, 0));
  return top + perPage >= monitor.shownCount;
}

// Rows left the front of the view: what stays selected moves up with its row.
void ShiftSelection(int32_t dropped) {
  const int count = SelectedRows(selectedRows, kMonitorRows);
  if (count == 0 || count == monitor.shownCount) return;
  SetSelected(-1, false);
  for (int k = 0; k < count; ++k)
    if (selectedRows[k] >= dropped) SetSelected(selectedRows[k] - dropped, true);
}

// The whole view anew (a filter change, Clear, a fresh window): the newest
// rows in sight unless paused.
void ShowViewAnew() {
  SetSelected(-1, false);
  monitor.shownCount = MonitorViewCount(Rows());
  monitor.shownDropped = Rows().viewDropped;
  SendMessageW(monitor.list, LVM_SETITEMCOUNT, static_cast<WPARAM>(monitor.shownCount), 0);
  if (!Rows().paused && monitor.shownCount > 0)
    SendMessageW(monitor.list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(monitor.shownCount - 1), FALSE);
}

// Rows added (and, in a full ring, rows gone from the front): the list keeps
// the rows in sight that the user looks at, or follows the newest.
void ShowNewRows() {
  const int32_t count = MonitorViewCount(Rows());
  const auto dropped = static_cast<int32_t>(
      std::min<uint64_t>(Rows().viewDropped - monitor.shownDropped, static_cast<uint64_t>(kMonitorRows)));
  if (count == monitor.shownCount && dropped == 0) return;
  const bool following = !Rows().paused && ShowsLastRow();
  if (dropped > 0) ShiftSelection(dropped);
  SendMessageW(monitor.list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  if (dropped > 0) {
    if (!following) {
      RECT item{LVIR_BOUNDS, 0, 0, 0};
      SendMessageW(monitor.list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
      SendMessageW(monitor.list, LVM_SCROLL, 0, -dropped * (item.bottom - item.top));
    }
    InvalidateRect(monitor.list, nullptr, FALSE);  // every row in sight moved up
  }
  if (following && count > 0) SendMessageW(monitor.list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
  monitor.shownCount = count;
  monitor.shownDropped = Rows().viewDropped;
}

// ---- The controls ----

bool Checked(int id) {
  return IsDlgButtonChecked(monitor.window, id) == BST_CHECKED;
}

// The typed text as UTF-8, cut at a character's start so that it fits.
void ReadFilterText(char* out, size_t room) {
  wchar_t typed[kMonitorFilterRoom];
  GetDlgItemTextW(monitor.window, IDC_MONITOR_FILTER, typed, static_cast<int>(std::size(typed)));
  char text[4 * kMonitorFilterRoom];
  if (WideCharToMultiByte(CP_UTF8, 0, typed, -1, text, sizeof text, nullptr, nullptr) == 0) text[0] = 0;
  size_t length = strlen(text);
  if (length > room - 1) {
    length = room - 1;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  memcpy(out, text, length);
  out[length] = 0;
}

void ApplyFilter() {
  MonitorFilter filter{};
  ReadFilterText(filter.text, sizeof filter.text);
  for (int link = 1; link <= kMonitorLinks; ++link) filter.links[link - 1] = Checked(IDC_MONITOR_LINK1 + link - 1);
  filter.rejectedOnly = Checked(IDC_MONITOR_REJECTED);
  SetMonitorFilter(&Rows(), filter);
  ShowViewAnew();
}

void ApplyPause() {
  PauseMonitor(&Rows(), Checked(IDC_MONITOR_PAUSE));
  ShowNewRows();
}

void ClearRows() {
  ClearMonitorRows(&Rows());
  ShowViewAnew();
}

void CloseMonitor() {
  DestroyWindow(monitor.window);
}

// Notifications the window acts on: control, notification code, action.
struct MonitorCommand {
  int id;
  int code;
  void (*action)();
};
constexpr MonitorCommand kMonitorCommands[] = {
    {IDC_MONITOR_FILTER, EN_CHANGE, ApplyFilter},    {IDC_MONITOR_LINK1, BN_CLICKED, ApplyFilter},
    {IDC_MONITOR_LINK2, BN_CLICKED, ApplyFilter},    {IDC_MONITOR_LINK3, BN_CLICKED, ApplyFilter},
    {IDC_MONITOR_REJECTED, BN_CLICKED, ApplyFilter}, {IDC_MONITOR_PAUSE, BN_CLICKED, ApplyPause},
    {IDC_MONITOR_CLEAR, BN_CLICKED, ClearRows},      {IDCANCEL, BN_CLICKED, CloseMonitor},  // Esc
};

// ---- Layout ----

SIZE TextExtent(HDC dc, const wchar_t* text) {
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  return extent;
}

const wchar_t* ControlText(const MonitorControl& control, wchar_t* room, int roomChars) {
  if (control.link == 0) return control.text;
  WidenUtf8(kMonitorLinkTraits[control.link - 1].name, room, roomChars);
  return room;
}

void MeasureLayout(HWND window) {
  MonitorLayout& layout = monitor.layout;
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, monitor.font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
  layout.margin = metrics.tmHeight / 2;
  layout.gap = metrics.tmHeight * 2 / 3;
  layout.rowHeight = metrics.tmHeight + metrics.tmHeight / 2;
  for (int i = 0; i < kTopRowControls; ++i) {
    const MonitorControl& control = kTopRow[i];
    wchar_t name[64];
    const int textWidth = TextExtent(dc, ControlText(control, name, 64)).cx;
    const DWORD kind = control.style & 0xF;
    if (control.widthChars > 0)
      layout.widths[i] = control.widthChars * metrics.tmAveCharWidth;
    else if (control.className[0] == L'B' && kind == BS_AUTOCHECKBOX)
      layout.widths[i] = checkWidth + metrics.tmAveCharWidth + textWidth + 2;
    else if (control.className[0] == L'B')
      layout.widths[i] = std::max(textWidth + 4 * metrics.tmAveCharWidth, 6 * metrics.tmHeight / 2);
    else
      layout.widths[i] = textWidth + 2;
  }
  for (int column = 0; column < kMonitorColumns; ++column)
    layout.columnWidths[column] = TextExtent(dc, kColumnSamples[column]).cx + 2 * metrics.tmAveCharWidth;
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
}

int TopRowWidth() {
  int width = 2 * monitor.layout.margin - monitor.layout.gap;
  for (int w : monitor.layout.widths) width += w + monitor.layout.gap;
  return width;
}

void LayOut(int width, int height) {
  const MonitorLayout& layout = monitor.layout;
  int x = layout.margin;
  for (int i = 0; i < kTopRowControls; ++i) {
    MoveWindow(GetDlgItem(monitor.window, kTopRow[i].id), x, layout.margin, layout.widths[i], layout.rowHeight, TRUE);
    x += layout.widths[i] + layout.gap;
  }
  const int top = 2 * layout.margin + layout.rowHeight;
  MoveWindow(monitor.list, layout.margin, top, std::max(0, width - 2 * layout.margin),
             std::max(0, height - top - layout.margin), TRUE);
  // The fate column takes what room the list has left.
  RECT list;
  GetClientRect(monitor.list, &list);
  int rest = list.right;
  for (int column = 0; column < kColumnFate; ++column)
    rest -= static_cast<int>(SendMessageW(monitor.list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  SendMessageW(monitor.list, LVM_SETCOLUMNWIDTH, kColumnFate, std::max(rest, layout.columnWidths[kColumnFate]));
}

// The window's outer size for a client area of `width` by `height`.
SIZE OuterSize(HWND window, int width, int height) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void MakeControls(HWND window) {
  for (const MonitorControl& control : kTopRow) {
    wchar_t name[64];
    HWND child =
        CreateWindowExW(control.exStyle, control.className, ControlText(control, name, 64), control.style, 0, 0, 0, 0,
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(monitor.font), FALSE);
    if (control.link != 0) CheckDlgButton(window, control.id, BST_CHECKED);
  }
  SendDlgItemMessageW(window, IDC_MONITOR_FILTER, EM_LIMITTEXT, kMonitorFilterRoom - 1, 0);
  monitor.list = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", kChild | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
      0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MONITOR_LIST)), instance, nullptr);
  SendMessageW(monitor.list, WM_SETFONT, reinterpret_cast<WPARAM>(monitor.font), FALSE);
  SendMessageW(monitor.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  for (int column = 0; column < kMonitorColumns; ++column) {
    wchar_t title[64];
    WidenUtf8(kMonitorColumnTitles[column], title, 64);
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = title;
    info.cx = monitor.layout.columnWidths[column];
    info.iSubItem = column;
    SendMessageW(monitor.list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  }
}

// ---- Window messages ----

LRESULT OnCreate(HWND window, WPARAM, LPARAM) {
  monitor.window = window;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  monitor.font = CreateFontIndirectW(&metrics.lfMessageFont);
  MeasureLayout(window);
  MakeControls(window);
  // Room for every column and about 25 rows.
  int width = 2 * monitor.layout.margin + GetSystemMetrics(SM_CXVSCROLL) + 4;
  for (int w : monitor.layout.columnWidths) width += w;
  const int rows = 25 * (monitor.layout.rowHeight * 2 / 3 + 2) + 2 * monitor.layout.rowHeight;
  const SIZE outer = OuterSize(window, std::max(width, TopRowWidth()), rows);
  // Below the main window where the screen has room, so that the timeline
  // stays in sight.
  RECT owner, work;
  GetWindowRect(GetWindow(window, GW_OWNER), &owner);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  UINT keep = SWP_NOMOVE;
  if (owner.bottom + outer.cy <= work.bottom && owner.left + outer.cx <= work.right) keep = 0;
  SetWindowPos(window, nullptr, owner.left, owner.bottom, outer.cx, outer.cy, keep | SWP_NOZORDER | SWP_NOACTIVATE);
  // A fresh window shows every link, unfiltered and moving.
  PauseMonitor(&Rows(), false);
  ApplyFilter();
  return 0;
}

LRESULT OnSize(HWND, WPARAM, LPARAM size) {
  LayOut(LOWORD(size), HIWORD(size));
  return 0;
}

LRESULT OnMinMaxInfo(HWND window, WPARAM, LPARAM info) {
  const SIZE least = OuterSize(window, TopRowWidth(), 8 * monitor.layout.rowHeight);
  reinterpret_cast<MINMAXINFO*>(info)->ptMinTrackSize = {least.cx, least.cy};
  return 0;
}

LRESULT OnCommand(HWND, WPARAM wParam, LPARAM) {
  for (const MonitorCommand& command : kMonitorCommands) {
    if (command.id == LOWORD(wParam) && command.code == HIWORD(wParam)) command.action();
  }
  return 0;
}

LRESULT OnNotify(HWND, WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->hwndFrom != monitor.list) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      FillCell(reinterpret_cast<NMLVDISPINFOW*>(lParam));
      return 0;
    case NM_CUSTOMDRAW:
      return DrawRow(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    case LVN_KEYDOWN:
      OnListKey(reinterpret_cast<NMLVKEYDOWN*>(lParam));
      return 0;
    case LVN_ODFINDITEMW:
      return -1;  // no search by typed letters: a typed key must not jump to row 0
    default:
      return 0;
  }
}

// Activated again: the keys go to the list, where Ctrl+A and Ctrl+C work.
LRESULT OnSetFocus(HWND, WPARAM, LPARAM) {
  SetFocus(monitor.list);
  return 0;
}

LRESULT OnDestroy(HWND, WPARAM, LPARAM) {
  monitor.window = nullptr;
  monitor.list = nullptr;
  DeleteObject(monitor.font);
  monitor.font = nullptr;
  return 0;
}

struct MonitorRoute {
  UINT message;
  LRESULT (*handler)(HWND window, WPARAM wParam, LPARAM lParam);
};
constexpr MonitorRoute kMonitorRoutes[] = {
    {WM_CREATE, OnCreate}, {WM_SIZE, OnSize},         {WM_GETMINMAXINFO, OnMinMaxInfo}, {WM_COMMAND, OnCommand},
    {WM_NOTIFY, OnNotify}, {WM_SETFOCUS, OnSetFocus}, {WM_DESTROY, OnDestroy},
};

LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // WM_GETMINMAXINFO comes before WM_CREATE, when nothing is measured yet.
  if (monitor.window == window || message == WM_CREATE) {
    for (const MonitorRoute& route : kMonitorRoutes) {
      if (route.message == message) return route.handler(window, wParam, lParam);
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterMonitorClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MonitorWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMonitorClass;
  registered = RegisterClassExW(&windowClass) != 0;
  return registered;
}

// A status bar part's link alone.
void ShowLinkAlone(int link) {
  for (int n = 1; n <= kMonitorLinks; ++n)
    CheckDlgButton(monitor.window, IDC_MONITOR_LINK1 + n - 1, n == link ? BST_CHECKED : BST_UNCHECKED);
  ApplyFilter();
}

}  // namespace

void OpenSentenceMonitor(HWND owner, int link) {
  if (monitor.window == nullptr) {
    if (!RegisterMonitorClass()) return;
    // Owned: above the main window, and gone with it.
    if (!CreateWindowExW(0, kMonitorClass, kMonitorTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, 640, 480, owner, nullptr, instance, nullptr))
      return;
    ShowWindow(monitor.window, SW_SHOW);
  }
  if (link >= 1 && link <= kMonitorLinks) ShowLinkAlone(link);
  if (IsIconic(monitor.window)) ShowWindow(monitor.window, SW_RESTORE);
  SetForegroundWindow(monitor.window);
  SetFocus(monitor.list);
  WakeLinkMonitor(&linkMonitor);  // what arrived since the last tick
}

bool SentenceMonitorMessage(MSG* message) {
  return monitor.window != nullptr && IsDialogMessageA(monitor.window, message);
}

void ReadSentenceMonitorTick(HWND, const LinkMonitorTick&) {
  if (monitor.window != nullptr) ShowNewRows();
}
