// The settings dialogs of the three links (1481, 1482, 250), one dialog
// procedure parameterised by the link table, and the COM port list they
// share.
//
// Threading: main thread only.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/shell_win32.h"
#include "res/resource.h"
#include "serial/baud_text.h"
#include "serial/sensor_stream.h"
#include "serial/serial_link_win32.h"

namespace {

constexpr char kReportCaption[] = "Remote Connection Status";
constexpr char kNoPortChosen[] = "Select COM Port";
constexpr DWORD kPortValueNameChars = 16383;
constexpr DWORD kPortDeviceBytes = 64;

// The dialog's link, stored as link + 1 so that a notification arriving
// before WM_INITDIALOG (none is expected) is ignored rather than taken for
// link 1.
int DialogLink(HWND dialog) {
  return static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)) - 1;
}

// The list position of `portName`; CB_ERR when the list lacks it.
int32_t PortEntry(HWND dialog, const char* portName) {
  return static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(portName)));
}

void ShowUnconnectedLook(HWND dialog) {
  FillPortList(dialog);
  SetDlgItemTextA(dialog, IDC_PORT_LIST, kNoPortChosen);
}

void InitLinkSettings(HWND dialog, int link) {
  const SerialLink& record = serialLinks[link];
  const LinkTraits& traits = kLinkTraits[link];
  if (traits.hasStream) RegisterSensorDialog(dialog);
  // The fields take no more than the record keeps, so what is typed is what
  // is used.
  SendDlgItemMessageA(dialog, IDC_CONNECTION_NAME, EM_LIMITTEXT, sizeof record.connectionName - 1, 0);
  SendDlgItemMessageA(dialog, IDC_BAUD_RATE, EM_LIMITTEXT, sizeof record.baudText - 1, 0);
  if (record.connected) {
    SetDlgItemTextA(dialog, IDC_CONNECTION_NAME, record.connectionName);
    SetDlgItemTextA(dialog, IDC_BAUD_RATE, record.baudText);
    FillPortList(dialog);
    // The port the link runs on, found by its name: the list is read anew
    // and may have changed, and a typed name need not be in it.
    const int32_t entry = PortEntry(dialog, record.portName);
    if (entry != CB_ERR)
      SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_SETCURSEL, entry, 0);
    else
      SetDlgItemTextA(dialog, IDC_PORT_LIST, record.portName);
  } else {
    ShowUnconnectedLook(dialog);
  }
  if (traits.hasStream) {
    SendDlgItemMessageA(dialog, IDC_FORMATTER, EM_LIMITTEXT, kStreamFormatterChars, 0);
    // Shown in either look: the stream is filtered by it whenever it runs.
    ShowSensorFormatter(dialog);
  }
  SetFocus(dialog);
}

// The port the box names: the picked entry, or a name typed into it, as
// typed (a port that appeared after the list was filled, or one the
// registry does not list). Empty when none is named. False, with the
// reason, when the name does not fit the record.
bool ReadPortName(HWND dialog, char (&out)[sizeof SerialLink::portName], LinkOpenFailure* failure) {
  char text[kPortDeviceBytes + 1] = "";
  GetDlgItemTextA(dialog, IDC_PORT_LIST, text, sizeof text);
  if (strcmp(text, kNoPortChosen) == 0) text[0] = '\0';
  if (strlen(text) >= sizeof out) {
    snprintf(failure->reason, sizeof failure->reason, "the port name \"%s\" is longer than %u characters", text,
             static_cast<unsigned>(sizeof out - 1));
    return false;
  }
  memcpy(out, text, strlen(text) + 1);
  return true;
}

void AcceptLinkSettings(HWND dialog, int link) {
  SerialLink* record = &serialLinks[link];
  const LinkTraits& traits = kLinkTraits[link];
  LinkOpenFailure failure{};
  char portName[sizeof record->portName] = "";
  char baudText[sizeof record->baudText];
  GetDlgItemTextA(dialog, IDC_CONNECTION_NAME, record->connectionName, sizeof record->connectionName);
  const bool named = ReadPortName(dialog, portName, &failure);
  GetDlgItemTextA(dialog, IDC_BAUD_RATE, baudText, sizeof baudText);
  // A connected link whose port or rate changed is reopened with them, so
  // that what is reported and shown is what the port runs at.
  const bool changed = strcmp(portName, record->portName) != 0 || strcmp(baudText, record->baudText) != 0;
  if (named) {
    memcpy(record->portName, portName, sizeof portName);
    memcpy(record->baudText, baudText, sizeof baudText);
    record->portIndex = PortEntry(dialog, portName);
    if (record->connected && changed) CloseLink(link);
    if (!record->connected) ToggleLink(link, mainWindow, traits.menuItem, record->portName, record->baudText, &failure);
    // The rate as the port took it ("+4800" and "4800 baud" open at 4800).
    if (record->connected) {
      snprintf(record->baudText, sizeof record->baudText, "%ld", static_cast<long>(BaudRateFromText(baudText)));
      SetDlgItemTextA(dialog, IDC_BAUD_RATE, record->baudText);
    }
  } else if (record->connected) {
    CloseLink(link);
    SetMenuCheck(mainWindow, traits.menuItem, FALSE);
  }

  char report[sizeof record->connectionName + sizeof portName + sizeof baudText + sizeof failure.reason + 4];
  const int length = snprintf(report, sizeof report, "%s,%s,%s", record->connectionName, portName,
                              named ? record->baudText : baudText);
  if (record->connected) {
    MessageBoxA(dialog, report, kReportCaption, MB_ICONINFORMATION);
    if (traits.closesOnAccept) EndDialog(dialog, IDOK);
  } else {
    // Why, on a line of its own.
    if (length > 0 && static_cast<size_t>(length) < sizeof report)
      snprintf(report + length, sizeof report - length, "\n%s", failure.reason);
    MessageBoxA(dialog, report, kReportCaption, MB_ICONERROR);
  }
}

void ClearLinkSettings(HWND dialog, int link) {
  SerialLink* record = &serialLinks[link];
  CloseLink(link);
  SetMenuCheck(mainWindow, kLinkTraits[link].menuItem, FALSE);
  record->connectionName[0] = '\0';
  record->portName[0] = '\0';
  record->baudText[0] = '\0';
  record->portIndex = -1;
  SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SetDlgItemTextA(dialog, IDC_CONNECTION_NAME, "");
  SetDlgItemTextA(dialog, IDC_BAUD_RATE, "");
  ShowUnconnectedLook(dialog);
}

void CloseLinkSettings(HWND dialog, int link) {
  if (kLinkTraits[link].hasStream) UnregisterSensorDialog();
  EndDialog(dialog, IDCANCEL);
}

INT_PTR HandleSettingsCommand(HWND dialog, int link, WORD id) {
  const bool hasStream = kLinkTraits[link].hasStream;
  SerialLink* record = &serialLinks[link];
  switch (id) {
    case IDC_ACCEPT:
      AcceptLinkSettings(dialog, link);
      return TRUE;
    case IDCANCEL:
      CloseLinkSettings(dialog, link);
      return TRUE;
    case IDC_CLEAR:
      ClearLinkSettings(dialog, link);
      return TRUE;
    case IDC_BAUD_RATE:
      // Every notification: the typed rate is kept even if the dialog is
      // cancelled, except on a connected link, whose record keeps the rate
      // its port runs at.
      if (!record->connected) GetDlgItemTextA(dialog, IDC_BAUD_RATE, record->baudText, sizeof record->baudText);
      return TRUE;
    case IDC_FORMATTER:
      if (hasStream) ReadSensorFormatter(dialog);
      return TRUE;
    case ID_SENSOR_MATCH:
      if (hasStream) CountSensorMatch(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK LinkSettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam + 1);
      InitLinkSettings(dialog, static_cast<int>(lParam));
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      const int link = DialogLink(dialog);
      if (link < 0 || link >= kLinkCount) return FALSE;
      return HandleSettingsCommand(dialog, link, LOWORD(wParam));
    }
    case WM_DESTROY: {
      // However the dialog ends, the stream must stop writing into it.
      const int link = DialogLink(dialog);
      if (link >= 0 && link < kLinkCount && kLinkTraits[link].hasStream) UnregisterSensorDialog();
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR OpenLinkSettings(HWND owner, int link) {
  if (link < 0 || link >= kLinkCount) return -1;
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(kLinkTraits[link].dialogId), owner, LinkSettingsProc, link);
}

void FillPortList(HWND dialog) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    fputs("Error opening key\n", stdout);
    fflush(stdout);
    return;
  }
  DWORD values = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS ||
      values == 0) {
    fputs("No COM ports found\n", stdout);
    fflush(stdout);
    RegCloseKey(key);
    return;
  }
  const HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  static char name[kPortValueNameChars + 1];  // main thread only; too large for the stack
  int position = 0;
  for (DWORD i = 0; i < values; ++i) {
    DWORD nameChars = kPortValueNameChars + 1;
    if (RegEnumValueA(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    // Registry text need not end in a terminator: room for one is kept.
    char device[kPortDeviceBytes + 1] = {};
    DWORD type = 0;
    DWORD size = kPortDeviceBytes;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(device), &size) != ERROR_SUCCESS) continue;
    if (type != REG_SZ || device[0] == '\0') continue;
    device[size < kPortDeviceBytes ? size : kPortDeviceBytes] = '\0';
    SendMessageA(list, CB_INSERTSTRING, position++, reinterpret_cast<LPARAM>(device));
  }
  RegCloseKey(key);
}
