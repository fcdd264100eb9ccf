// The three serial links: open, close, toggle, write, their taps, and their
// settings dialogs.
//
// Threading: OpenLink, CloseLink, ToggleLink, WriteLink and the dialogs run
// on the main thread. Each open link has one reader thread, which uses only
// the port and the session its open made for it, never this record.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "serial/link_taps.h"

constexpr int kLinkPresentation = 0;  // link 1
constexpr int kLinkNmea2000 = 1;      // link 2
constexpr int kLinkSensor = 2;        // link 3
constexpr int kLinkCount = 3;

struct SerialLink {
  std::atomic<int32_t> connected;  // 0 or 1; written by the main thread only
  HANDLE port;                     // main thread only: the port of the current open, none when closed
  HANDLE readerThread;             // main thread only: set at open, cleared by the close
  char connectionName[32];         // the settings dialog's fields: main thread only
  char portName[8];
  char baudText[8];
  int32_t portIndex;
};

extern SerialLink serialLinks[kLinkCount];
// Every link's taps (serial/link_taps.h).
extern LinkTapList linkTaps;

// Why an open failed, in the system's own words where a system call failed.
struct LinkOpenFailure {
  uint32_t systemError;  // GetLastError of the failed call; 0 where the open refused before any
  char reason[256];      // one line: the step, and the system's message with its number
};

// Returns 1 when the link is open and its reader started, else 0 with the
// reason in `failure` (which may be null).
int OpenLink(int link, HWND window, const char* portName, const char* baudText, LinkOpenFailure* failure);
// Always 1. Waits a bounded time for the reader; one that does not end (a
// driver that never completes a cancelled read) is abandoned with the port,
// the user is told, and the link can be opened again.
int CloseLink(int link);
int ToggleLink(int link, HWND window, UINT menuItem, const char* portName, const char* baudText,
               LinkOpenFailure* failure);
void WriteLink(int link, const char* bytes, int count);

// Opens the link's settings dialog modally, owned by `owner`.
INT_PTR OpenLinkSettings(HWND owner, int link);

// A link's consumer of received bytes, called on its reader thread with each
// chunk of 1 to 128 bytes; the bytes are valid only during the call.
using ReceiveFunction = void (*)(HWND window, const uint8_t* bytes, int count);

// The fixed attributes that make the three links differ.
struct LinkTraits {
  UINT menuItem;        // main menu item whose check mark follows the link
  int dialogId;         // settings dialog template
  bool hasStream;       // the dialog hosts the sensor stream's filter, counter and display
  bool closesOnAccept;  // the dialog closes after a successful Accept
  ReceiveFunction receive;
  bool writable;  // WriteLink is offered
};
extern const LinkTraits kLinkTraits[kLinkCount];

// UNIX time in milliseconds from the system clock, for fate records and
// recordings; any thread. The context is unused.
int64_t UnixTimeMs(void* context);

// Receive functions.
void ReceiveOnPresentationPort(HWND window, const uint8_t* bytes, int count);
void ReceiveOnNmea2000Port(HWND window, const uint8_t* bytes, int count);
void ProcessSensorStream(HWND window, const uint8_t* bytes, int count);

// Fills the port list of a settings dialog from the registry.
void FillPortList(HWND dialog);

// Dialog 250's side of the sensor stream; main thread only.
void RegisterSensorDialog(HWND dialog);
void UnregisterSensorDialog();
void ShowSensorFormatter(HWND dialog);  // the stored filter into the formatter field
void ReadSensorFormatter(HWND dialog);  // counter to 0, filter from the formatter field
void CountSensorMatch(HWND dialog);     // one more shown sentence
void AppendStreamLine(HWND dialog, const char* line);
