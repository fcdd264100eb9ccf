// The three serial links: open, close, toggle, write, and their settings
// dialogs.
//
// Threading: OpenLink, CloseLink, ToggleLink, WriteLink and the dialogs run
// on the main thread. Each open link has one reader thread, which reads
// `connected` and `port` of its own link only.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kLinkPresentation = 0;  // link 1
constexpr int kLinkNmea2000 = 1;      // link 2
constexpr int kLinkSensor = 2;        // link 3
constexpr int kLinkCount = 3;

struct SerialLinkIo;  // reader and write state private to the serial code

struct SerialLink {
  volatile LONG connected;  // written by the main thread only; the reader polls it
  HANDLE port;
  HANDLE readerThread;
  DWORD readerThreadId;
  char connectionName[32];
  char portName[8];
  char baudText[8];
  int32_t portIndex;
  SerialLinkIo* io;
};

extern SerialLink serialLinks[kLinkCount];

int OpenLink(int link, HWND window, const char* portName, const char* baudText);
int CloseLink(int link);
int ToggleLink(int link, HWND window, UINT menuItem, const char* portName, const char* baudText);
void WriteLink(int link, const char* bytes, int count);

// Opens the link's settings dialog modally, owned by `owner`.
INT_PTR OpenLinkSettings(HWND owner, int link, LPARAM initialParameter);
