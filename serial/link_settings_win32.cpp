// The settings dialogs of the three links (1481, 1482, 250), one dialog
// procedure parameterised by the link table, and the COM port list they
// share.
//
// Threading: main thread only.
#include <windows.h>

#include <cstdio>

#include "app/shell_win32.h"
#include "res/resource.h"
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

// Copies the text of list entry `index` into `out`, cut to `room`. Entries
// come from the registry and may be longer than the record holds.
void ReadPortEntry(HWND dialog, int index, char* out, size_t room) {
  char entry[kPortDeviceBytes + 1];
  const LRESULT length = SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR || length >= static_cast<LRESULT>(sizeof entry)) return;
  if (SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry)) == CB_ERR)
    return;
  snprintf(out, room, "%s", entry);
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
    SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_SETCURSEL, record.portIndex, 0);
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

void AcceptLinkSettings(HWND dialog, int link) {
  SerialLink* record = &serialLinks[link];
  const LinkTraits& traits = kLinkTraits[link];
  GetDlgItemTextA(dialog, IDC_CONNECTION_NAME, record->connectionName, sizeof record->connectionName);
  record->portIndex = static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_PORT_LIST, CB_GETCURSEL, 0, 0));
  // Only a chosen entry becomes the port; typed text is never used.
  if (record->portIndex != CB_ERR) ReadPortEntry(dialog, record->portIndex, record->portName, sizeof record->portName);
  GetDlgItemTextA(dialog, IDC_BAUD_RATE, record->baudText, sizeof record->baudText);

  // A connected link keeps running as opened; the new texts are only stored.
  if (!record->connected) ToggleLink(link, mainWindow, traits.menuItem, record->portName, record->baudText, nullptr);

  char report[sizeof record->connectionName + sizeof record->portName + sizeof record->baudText];
  snprintf(report, sizeof report, "%s,%s,%s", record->connectionName, record->portName, record->baudText);
  if (record->connected) {
    MessageBoxA(dialog, report, kReportCaption, MB_ICONINFORMATION);
    if (traits.closesOnAccept) EndDialog(dialog, IDOK);
  } else {
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
    case IDC_BAUD_RATE:  // every notification: the typed rate is kept even if the dialog is cancelled
      GetDlgItemTextA(dialog, IDC_BAUD_RATE, record->baudText, sizeof record->baudText);
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
