// The "Compose" dialog: the kinds of message as a table (each with the
// control groups it shows and the builder of its message), the met/hydro
// field rows made from the field table, "Send" through the one transmission
// record, and the "Transmissions" list redrawn when the tracker changes and
// when a waiting transmission's 10 s are up. Texts cross the Win32 boundary
// as UTF-16 and stay UTF-8 inside. Main thread only.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "transmit/compose_dialog_win32.h"

#include <cstdio>

#include "app/shell_win32.h"
#include "app/unix_time_win32.h"
#include "app/utf8_text_win32.h"
#include "monitor/monitor_links.h"
#include "res/resource.h"
#include "serial/serial_link_win32.h"
#include "transmit/bbm_sender_win32.h"
#include "transmit/met_hydro_fields.h"

namespace {

HWND composeDialog;
uint32_t shownChanges;  // the tracker's change count the list was drawn at

constexpr UINT_PTR kExpiryTimer = 1300;
constexpr wchar_t kNotSentCaption[] = L"Not Sent";
constexpr wchar_t kOwnPositionCaption[] = L"Own Ship Position";
constexpr int kTextRoom = 1024;  // UTF-8 bytes of a typed text

// ---- UTF-8 across the Win32 boundary ----

void ReadItemText(HWND dialog, int id, char* out, int room) {
  wchar_t wide[kTextRoom];
  GetDlgItemTextW(dialog, id, wide, kTextRoom);
  if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, room, nullptr, nullptr) == 0) out[0] = 0;
}

void WriteItemText(HWND dialog, int id, const char* text) {
  wchar_t wide[kTextRoom];
  WidenUtf8(text, wide, kTextRoom);
  SetDlgItemTextW(dialog, id, wide);
}

void ShowProblem(HWND dialog, const wchar_t* caption, const char* text) {
  wchar_t wide[kTextRoom];
  WidenUtf8(text, wide, kTextRoom);
  MessageBoxW(dialog, wide, caption, MB_ICONWARNING | MB_OK);
}

void AddComboItem(HWND dialog, int id, const char* text) {
  wchar_t wide[128];
  WidenUtf8(text, wide, 128);
  SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
}

int ComboIndex(HWND dialog, int id) {
  const LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

bool IsChecked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// ---- The met/hydro field rows ----

// Each row: label, value, unit, "not available" box, raw value.
enum RowPart : int { kPartLabel, kPartValue, kPartUnit, kPartUnset, kPartRaw, kRowParts };
constexpr int kFirstRowId = IDC_COMPOSE_FIELD_ROWS;
constexpr int kMostFieldRows = 64;  // room for the table's rows; the headings' ids follow
constexpr int kHeadingIds = kFirstRowId + kRowParts * kMostFieldRows;
constexpr int kRowsInFirstColumn = 19;

int RowId(int row, int part) {
  return kFirstRowId + kRowParts * row + part;
}

// Where a row's parts sit, in dialog units from the left of its column and
// the top of its row; the column headings stand over the value, the box and
// the raw value.
struct PartPlace {
  const wchar_t* className;
  DWORD style;
  int x, dy, width, height;
};
constexpr PartPlace kPartPlaces[kRowParts] = {
    {L"STATIC", SS_LEFT, 0, 2, 100, 8},                                  // label
    {L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 102, 0, 52, 11},  // value
    {L"STATIC", SS_LEFT, 157, 2, 34, 8},                                 // unit
    {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 206, 1, 10, 10},           // not available
    {L"STATIC", SS_LEFT, 238, 2, 36, 8},                                 // raw value
};
struct Heading {
  const wchar_t* text;
  int x, width;
};
constexpr Heading kHeadings[] = {{L"Value", 102, 52}, {L"not available", 188, 46}, {L"Raw", 238, 36}};
constexpr int kColumnLeft[] = {13, 291};
constexpr int kHeadingTop = 54;
constexpr int kFirstRowTop = 66;
constexpr int kRowPitch = 12;

// A control of the rows, placed after `*previous` in the tab order (which
// then becomes it), so that Tab goes through the rows before "Send".
void MakeChild(HWND dialog, HWND* previous, const wchar_t* className, const wchar_t* text, DWORD style, RECT box,
               int id) {
  MapDialogRect(dialog, &box);
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top,
                               box.right - box.left, box.bottom - box.top, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SendMessageW(child, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  SetWindowPos(child, *previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  *previous = child;
}

void MakeFieldRows(HWND dialog) {
  HWND previous = GetDlgItem(dialog, IDC_COMPOSE_FIELDS);
  int heading = kHeadingIds;
  for (int left : kColumnLeft) {
    for (const Heading& h : kHeadings)
      MakeChild(dialog, &previous, L"STATIC", h.text, SS_CENTER,
                {left + h.x, kHeadingTop, left + h.x + h.width, kHeadingTop + 8}, heading++);
  }
  for (int row = 0; row < kMetHydroFieldCount && row < kMostFieldRows; ++row) {
    const int column = row < kRowsInFirstColumn ? 0 : 1;
    const int left = kColumnLeft[column];
    const int top = kFirstRowTop + kRowPitch * (row - column * kRowsInFirstColumn);
    for (int part = 0; part < kRowParts; ++part) {
      const PartPlace& place = kPartPlaces[part];
      const RECT box{left + place.x, top + place.dy, left + place.x + place.width, top + place.dy + place.height};
      MakeChild(dialog, &previous, place.className, L"", place.style, box, RowId(row, part));
    }
    const MetHydroField& field = kMetHydroFields[row];
    WriteItemText(dialog, RowId(row, kPartLabel), field.label);
    WriteItemText(dialog, RowId(row, kPartUnit), field.unit);
    CheckDlgButton(dialog, RowId(row, kPartUnset), BST_CHECKED);
  }
}

int RowOf(const char* label) {
  return static_cast<int>(FindMetHydroField(label) - kMetHydroFields);
}

// The UTC rows, which "UTC time of sending" fills at Send.
bool IsTimeRow(int row) {
  return row == RowOf("UTC day") || row == RowOf("UTC hour") || row == RowOf("UTC minute");
}

// The row's raw value, with the problem when its text is not a value of
// the field.
bool ReadRow(HWND dialog, int row, int32_t* raw, ComposeProblem* problem) {
  const MetHydroField& field = kMetHydroFields[row];
  if (IsChecked(dialog, RowId(row, kPartUnset))) {
    *raw = field.notAvailable;
    return true;
  }
  char text[kTextRoom];
  ReadItemText(dialog, RowId(row, kPartValue), text, sizeof text);
  return ParseMetHydroValue(field, text, raw, problem);
}

// The raw value beside the typed one; "?" and the range in the status line
// while the text is not a value of the field.
void ShowRowRaw(HWND dialog, int row) {
  int32_t raw = 0;
  ComposeProblem problem{};
  char text[24] = "?";
  if (ReadRow(dialog, row, &raw, &problem)) snprintf(text, sizeof text, "%d", raw);
  WriteItemText(dialog, RowId(row, kPartRaw), text);
  WriteItemText(dialog, IDC_COMPOSE_STATUS, problem.text);
}

void EnableTimeRows(HWND dialog) {
  const bool typed = !IsChecked(dialog, IDC_COMPOSE_TIME_NOW);
  for (int row = 0; row < kMetHydroFieldCount; ++row) {
    if (!IsTimeRow(row)) continue;
    for (int part = kPartValue; part < kRowParts; ++part) EnableWindow(GetDlgItem(dialog, RowId(row, part)), typed);
  }
}

// "Own Ship Position": the last own-ship report's position into the rows.
void FillOwnShipPosition(HWND dialog) {
  int32_t position[2];
  ComposeProblem problem{};
  if (!FindOwnShipPosition(&messageLog, &position[0], &position[1], &problem)) {
    ShowProblem(dialog, kOwnPositionCaption, problem.text);
    return;
  }
  const int rows[2] = {RowOf("Latitude"), RowOf("Longitude")};
  for (int k = 0; k < 2; ++k) {
    char text[32];
    FormatMetHydroValue(kMetHydroFields[rows[k]], position[k], text, sizeof text);
    CheckDlgButton(dialog, RowId(rows[k], kPartUnset), BST_UNCHECKED);
    WriteItemText(dialog, RowId(rows[k], kPartValue), text);
    ShowRowRaw(dialog, rows[k]);
  }
}

// ---- The kinds of message ----

enum ControlGroup : uint8_t {
  kGroupDestination = 1,
  kGroupBinary = 2,
  kGroupSentence = 4,
  kGroupText = 8,
  kGroupMetHydro = 16,
};

struct GroupControl {
  int id;
  uint8_t group;
};
constexpr GroupControl kGroupControls[] = {
    {IDC_COMPOSE_MMSI_LABEL, kGroupDestination},  {IDC_COMPOSE_MMSI, kGroupDestination},
    {IDC_COMPOSE_DAC_LABEL, kGroupBinary},        {IDC_COMPOSE_DAC, kGroupBinary},
    {IDC_COMPOSE_FI_LABEL, kGroupBinary},         {IDC_COMPOSE_FI, kGroupBinary},
    {IDC_COMPOSE_DATA_LABEL, kGroupBinary},       {IDC_COMPOSE_DATA, kGroupBinary},
    {IDC_COMPOSE_SENTENCE_LABEL, kGroupSentence}, {IDC_COMPOSE_SENTENCE, kGroupSentence},
    {IDC_COMPOSE_TEXT_LABEL, kGroupText},         {IDC_COMPOSE_TEXT, kGroupText},
    {IDC_COMPOSE_TEXT_COUNT, kGroupText},         {IDC_COMPOSE_OWN_POSITION, kGroupMetHydro},
    {IDC_COMPOSE_TIME_NOW, kGroupMetHydro},       {IDC_COMPOSE_FIELDS, kGroupMetHydro},
};

// The raw binary message goes as message 6 by ABM or message 8 by BBM.
constexpr int kRawMessageIds[] = {6, 8};
constexpr const char* kRawSentenceNames[] = {"ABM (message 6)", "BBM (message 8)"};

// Messages 6 and 12 go by ABM, to a destination.
bool IsAddressed(int messageId) {
  const EncapsulationFormat* sentence = SentenceOfMessage(messageId);
  return sentence != nullptr && sentence->destination;
}

bool ReadDestination(HWND dialog, int messageId, uint32_t* mmsi, ComposeProblem* problem) {
  *mmsi = 0;
  if (!IsAddressed(messageId)) return true;
  char text[kTextRoom];
  ReadItemText(dialog, IDC_COMPOSE_MMSI, text, sizeof text);
  return ParseMmsiText(text, mmsi, problem);
}

// Messages 6 and 8: DAC, FI and the hexadecimal data.
bool ComposeBinary(HWND dialog, int messageId, int channel, ComposedMessage* out, ComposeProblem* problem) {
  uint32_t mmsi;
  char dacText[kTextRoom], fiText[kTextRoom], hex[kTextRoom];
  ReadItemText(dialog, IDC_COMPOSE_DAC, dacText, sizeof dacText);
  ReadItemText(dialog, IDC_COMPOSE_FI, fiText, sizeof fiText);
  ReadItemText(dialog, IDC_COMPOSE_DATA, hex, sizeof hex);
  int32_t dac, fi;
  uint8_t data[kMaxMessageBytes];
  int bits = 0;
  return ReadDestination(dialog, messageId, &mmsi, problem) && ParseWholeText("DAC", dacText, 0, 1023, &dac, problem) &&
         ParseWholeText("FI", fiText, 0, 63, &fi, problem) &&
         ParseHexData(hex, data, kMaxMessageBytes, &bits, problem) &&
         ComposeBinaryMessage(messageId, mmsi, channel, dac, fi, data, bits, out, problem);
}

// Messages 12 and 14.
bool ComposeText(HWND dialog, int messageId, int channel, ComposedMessage* out, ComposeProblem* problem) {
  uint32_t mmsi;
  char text[kTextRoom];
  ReadItemText(dialog, IDC_COMPOSE_TEXT, text, sizeof text);
  return ReadDestination(dialog, messageId, &mmsi, problem) &&
         ComposeTextMessage(messageId, mmsi, channel, text, out, problem);
}

// Message 8, DAC 1, FI 31: the typed fields over a report of "not available"
// values, stamped now unless the time is typed.
bool ComposeMetHydro(HWND dialog, int, int channel, ComposedMessage* out, ComposeProblem* problem) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  MetHydroReport report;
  RefreshMetHydroReport(&report, now.wDay, now.wHour, now.wMinute, messageLog.ownMmsi);
  const bool timeNow = IsChecked(dialog, IDC_COMPOSE_TIME_NOW);
  for (int row = 0; row < kMetHydroFieldCount; ++row) {
    if (timeNow && IsTimeRow(row)) continue;
    int32_t raw;
    if (!ReadRow(dialog, row, &raw, problem)) return false;
    kMetHydroFields[row].set(&report, raw);
  }
  return ComposeMetHydroMessage(&report, channel, out, problem);
}

struct ComposeKind {
  const char* name;
  uint8_t groups;
  int messageId;  // 0: the raw message's, as its sentence is chosen
  bool (*compose)(HWND dialog, int messageId, int channel, ComposedMessage* out, ComposeProblem* problem);
};

constexpr ComposeKind kComposeKinds[] = {
    {"Met/hydro report (message 8, BBM)", kGroupMetHydro, 8, ComposeMetHydro},
    {"Addressed binary message (message 6, ABM)", kGroupDestination | kGroupBinary, 6, ComposeBinary},
    {"Addressed safety text (message 12, ABM)", kGroupDestination | kGroupText, 12, ComposeText},
    {"Broadcast safety text (message 14, BBM)", kGroupText, 14, ComposeText},
    {"Raw binary message (DAC, FI, hex data)", kGroupDestination | kGroupBinary | kGroupSentence, 0, ComposeBinary},
};
constexpr int kComposeKindCount = sizeof kComposeKinds / sizeof kComposeKinds[0];

const ComposeKind& ChosenKind(HWND dialog) {
  return kComposeKinds[ComboIndex(dialog, IDC_COMPOSE_KIND) % kComposeKindCount];
}

int ChosenMessageId(HWND dialog) {
  const int messageId = ChosenKind(dialog).messageId;
  return messageId != 0 ? messageId : kRawMessageIds[ComboIndex(dialog, IDC_COMPOSE_SENTENCE) % 2];
}

bool IsFieldRowControl(int id) {
  return id >= kFirstRowId && id < kHeadingIds + 2 * static_cast<int>(sizeof kHeadings / sizeof kHeadings[0]);
}

BOOL CALLBACK ShowFieldRow(HWND child, LPARAM show) {
  if (IsFieldRowControl(GetDlgCtrlID(child))) ShowWindow(child, show ? SW_SHOW : SW_HIDE);
  return TRUE;
}

// "Text: 12 of 156 characters", or the first thing the six-bit set refuses.
void ShowTextCount(HWND dialog) {
  const int messageId = ChosenMessageId(dialog);
  char text[kTextRoom];
  ReadItemText(dialog, IDC_COMPOSE_TEXT, text, sizeof text);
  int characters = 0;
  for (const char* c = text; *c != 0; ++c) characters += (*c & 0xC0) != 0x80;  // UTF-8 lead bytes
  char count[64];
  snprintf(count, sizeof count, "%d of %d characters", characters, MostTextCharacters(messageId));
  WriteItemText(dialog, IDC_COMPOSE_TEXT_COUNT, count);
  ComposeProblem problem{};
  if (characters > 0) CheckSixBitText(messageId, text, &problem);
  WriteItemText(dialog, IDC_COMPOSE_STATUS, problem.text);
}

// Without the met/hydro rows, Send and the list move up into their room and
// the list grows by as much: the dialog keeps its size.
struct MovedControl {
  int id;
  bool grows;
};
constexpr MovedControl kMovedControls[] = {{IDC_COMPOSE_SEND, false},
                                           {IDC_COMPOSE_STATUS, false},
                                           {IDC_COMPOSE_TRANSMISSIONS_LABEL, false},
                                           {IDC_COMPOSE_TRANSMISSIONS, true}};
constexpr int kMovedControlCount = sizeof kMovedControls / sizeof kMovedControls[0];
RECT templatePlaces[kMovedControlCount];  // in the dialog's client area, as the template puts them
int roomOfRows;                           // pixels from the data row's bottom to the rows' box's

RECT PlaceInDialog(HWND dialog, int id) {
  RECT place;
  GetWindowRect(GetDlgItem(dialog, id), &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

void NoteTemplatePlaces(HWND dialog) {
  for (int k = 0; k < kMovedControlCount; ++k) templatePlaces[k] = PlaceInDialog(dialog, kMovedControls[k].id);
  roomOfRows = PlaceInDialog(dialog, IDC_COMPOSE_FIELDS).bottom - PlaceInDialog(dialog, IDC_COMPOSE_DATA).bottom;
}

void PlaceMovedControls(HWND dialog, bool withRows) {
  const int up = withRows ? 0 : roomOfRows;
  for (int k = 0; k < kMovedControlCount; ++k) {
    const RECT& place = templatePlaces[k];
    const int height = place.bottom - place.top + (kMovedControls[k].grows ? up : 0);
    SetWindowPos(GetDlgItem(dialog, kMovedControls[k].id), nullptr, place.left, place.top - up,
                 place.right - place.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Only the chosen kind's controls are shown; the destination only where the
// sentence is an ABM.
void ShowChosenKind(HWND dialog) {
  const ComposeKind& kind = ChosenKind(dialog);
  for (const GroupControl& control : kGroupControls)
    ShowWindow(GetDlgItem(dialog, control.id), (kind.groups & control.group) != 0 ? SW_SHOW : SW_HIDE);
  const bool withRows = (kind.groups & kGroupMetHydro) != 0;
  EnumChildWindows(dialog, ShowFieldRow, withRows);
  PlaceMovedControls(dialog, withRows);
  const bool addressed = IsAddressed(ChosenMessageId(dialog));
  EnableWindow(GetDlgItem(dialog, IDC_COMPOSE_MMSI), addressed);
  EnableWindow(GetDlgItem(dialog, IDC_COMPOSE_MMSI_LABEL), addressed);
  if ((kind.groups & kGroupText) != 0)
    ShowTextCount(dialog);
  else
    WriteItemText(dialog, IDC_COMPOSE_STATUS, "");
  // The moved controls' new places were hidden rows' until now.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- The transmissions list ----

void AddListColumns(HWND list) {
  // Widths in dialog units, as wide as the cells' longest texts.
  constexpr int kWidths[kTransmissionColumns] = {62, 72, 42, 36, 42, 56, 96, 48};
  HWND dialog = GetParent(list);
  for (int column = 0; column < kTransmissionColumns; ++column) {
    RECT box{0, 0, kWidths[column], 8};
    MapDialogRect(dialog, &box);
    wchar_t title[64];
    WidenUtf8(kTransmissionColumnTitles[column], title, 64);
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = title;
    info.cx = box.right;
    info.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
  }
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void SetListCell(HWND list, int row, int column, const char* text) {
  wchar_t wide[kTransmissionCellRoom * 2];
  WidenUtf8(text, wide, kTransmissionCellRoom * 2);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = wide;
  SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

// Every kept transmission, newest at the bottom and scrolled into view.
void FillTransmissionsList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_COMPOSE_TRANSMISSIONS);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const int count = TrackedCount(&transmissions.acks);
  for (int row = 0; row < count; ++row) {
    TransmissionCells cells;
    FormatTransmissionCells(*TrackedAt(&transmissions.acks, row), &cells);
    for (int column = 0; column < kTransmissionColumns; ++column) SetListCell(list, row, column, cells.text[column]);
  }
  if (count > 0) SendMessageW(list, LVM_ENSUREVISIBLE, count - 1, FALSE);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  shownChanges = transmissions.acks.changes;
}

// The timer runs only while a transmission waits, and fires at its deadline.
void ArmExpiryTimer(HWND dialog) {
  const int64_t deadline = NextAckDeadline(&transmissions.acks);
  if (deadline < 0) {
    KillTimer(dialog, kExpiryTimer);
    return;
  }
  const int64_t wait = deadline - UnixTimeMs();
  SetTimer(dialog, kExpiryTimer, static_cast<UINT>(wait < 1 ? 1 : wait), nullptr);
}

void ExpireAndShow(HWND dialog) {
  ExpireTransmissions(&transmissions.acks, UnixTimeMs());
  FillTransmissionsList(dialog);
  ArmExpiryTimer(dialog);
}

// ---- Send ----

constexpr int kSendTargets[] = {kLinkPresentation, kLinkNmea2000};

void Send(HWND dialog) {
  const int target = ComboIndex(dialog, IDC_COMPOSE_LINK) % 2;
  const SerialLink& link = serialLinks[kSendTargets[target]];
  if (!link.connected.load()) {
    char text[160];
    snprintf(text, sizeof text, "The %s is not connected. Connect it from the menu first; nothing was sent.",
             kMonitorLinkTraits[kSendTargets[target]].name);
    ShowProblem(dialog, kNotSentCaption, text);
    return;
  }
  ComposedMessage message;
  ComposeProblem problem{};
  if (!ChosenKind(dialog).compose(dialog, ChosenMessageId(dialog), ComboIndex(dialog, IDC_COMPOSE_CHANNEL), &message,
                                  &problem) ||
      SendComposedMessage(&transmissions, &message, target, UnixTimeMs(), &kLinkWriter, &problem) == 0) {
    ShowProblem(dialog, kNotSentCaption, problem.text);
    return;
  }
  const TrackedTransmission& sent = *TrackedAt(&transmissions.acks, TrackedCount(&transmissions.acks) - 1);
  char text[160];
  snprintf(text, sizeof text, "Sent message %d as %d %s sentence%s, sequential id %d", sent.messageId, sent.sentences,
           SentenceOfMessage(sent.messageId)->address + 2, sent.sentences == 1 ? "" : "s", sent.sequentialId);
  WriteItemText(dialog, IDC_COMPOSE_STATUS, text);
  ExpireAndShow(dialog);
}

// ---- The dialog ----

void PlaceBesideOwner(HWND dialog, HWND owner) {
  RECT self, beside;
  GetWindowRect(dialog, &self);
  GetWindowRect(owner, &beside);
  const int width = self.right - self.left, height = self.bottom - self.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  // Right of the main window when there is room, so that the timeline stays
  // in sight; else as far right as the screen allows.
  int x = beside.right;
  if (x + width > screenWidth) x = screenWidth - width;
  int y = beside.top;
  if (y + height > screenHeight) y = screenHeight - height;
  SetWindowPos(dialog, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitComposeDialog(HWND dialog) {
  for (const ComposeKind& kind : kComposeKinds) AddComboItem(dialog, IDC_COMPOSE_KIND, kind.name);
  for (int target : kSendTargets) AddComboItem(dialog, IDC_COMPOSE_LINK, kMonitorLinkTraits[target].name);
  for (const char* name : kAisChannelNames) AddComboItem(dialog, IDC_COMPOSE_CHANNEL, name);
  for (const char* name : kRawSentenceNames) AddComboItem(dialog, IDC_COMPOSE_SENTENCE, name);
  for (int id : {IDC_COMPOSE_KIND, IDC_COMPOSE_LINK, IDC_COMPOSE_CHANNEL, IDC_COMPOSE_SENTENCE})
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, 0, 0);
  SetDlgItemTextW(dialog, IDC_COMPOSE_DAC, L"1");
  SetDlgItemTextW(dialog, IDC_COMPOSE_FI, L"0");
  CheckDlgButton(dialog, IDC_COMPOSE_TIME_NOW, BST_CHECKED);
  MakeFieldRows(dialog);
  for (int row = 0; row < kMetHydroFieldCount; ++row) ShowRowRaw(dialog, row);
  EnableTimeRows(dialog);
  AddListColumns(GetDlgItem(dialog, IDC_COMPOSE_TRANSMISSIONS));
  NoteTemplatePlaces(dialog);
  ShowChosenKind(dialog);
  ExpireAndShow(dialog);
  PlaceBesideOwner(dialog, GetWindow(dialog, GW_OWNER));
}

// A field row's value or box: typing a value takes the box off, emptying
// the value puts it back, and the row's raw value follows either.
void OnFieldRowCommand(HWND dialog, int id, int notification) {
  const int row = (id - kFirstRowId) / kRowParts;
  const int part = (id - kFirstRowId) % kRowParts;
  if (row >= kMetHydroFieldCount) return;
  if (part == kPartValue && notification == EN_CHANGE) {
    const bool empty = GetWindowTextLengthW(GetDlgItem(dialog, id)) == 0;
    CheckDlgButton(dialog, RowId(row, kPartUnset), empty ? BST_CHECKED : BST_UNCHECKED);
    ShowRowRaw(dialog, row);
  } else if (part == kPartValue && notification == EN_SETFOCUS) {
    char range[kComposeProblemRoom];
    DescribeMetHydroRange(kMetHydroFields[row], range, sizeof range);
    WriteItemText(dialog, IDC_COMPOSE_STATUS, range);
  } else if (part == kPartUnset && notification == BN_CLICKED) {
    ShowRowRaw(dialog, row);
  }
}

void OnCommand(HWND dialog, int id, int notification) {
  if (IsFieldRowControl(id)) {
    OnFieldRowCommand(dialog, id, notification);
    return;
  }
  switch (id) {
    case IDC_COMPOSE_KIND:
    case IDC_COMPOSE_SENTENCE:
      if (notification == CBN_SELCHANGE) ShowChosenKind(dialog);
      break;
    case IDC_COMPOSE_TEXT:
      if (notification == EN_CHANGE) ShowTextCount(dialog);
      break;
    case IDC_COMPOSE_TIME_NOW:
      EnableTimeRows(dialog);
      break;
    case IDC_COMPOSE_OWN_POSITION:
      FillOwnShipPosition(dialog);
      break;
    case IDC_COMPOSE_SEND:
    case IDOK:  // Enter
      Send(dialog);
      break;
    case IDCANCEL:  // Escape and the close box
      DestroyWindow(dialog);
      break;
    default:
      break;
  }
}

INT_PTR CALLBACK ComposeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      composeDialog = dialog;
      InitComposeDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_TIMER:
      if (wParam != kExpiryTimer) return FALSE;
      ExpireAndShow(dialog);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kExpiryTimer);
      composeDialog = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void OpenComposeDialog(HWND owner) {
  if (composeDialog == nullptr)
    CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_COMPOSE), owner, ComposeDialogProc, 0);
  if (composeDialog == nullptr) return;
  ShowWindow(composeDialog, IsIconic(composeDialog) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(composeDialog);
}

bool IsComposeDialogMessage(MSG* message) {
  return composeDialog != nullptr && IsDialogMessageA(composeDialog, message);
}

void ShowTransmissionChanges() {
  if (composeDialog == nullptr) return;
  if (transmissions.acks.changes != shownChanges) FillTransmissionsList(composeDialog);
  ArmExpiryTimer(composeDialog);
}
