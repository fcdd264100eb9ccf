// The block that asm-driver shares with its hook inside the client: one
// query at a time, written by the driver, answered by the hook on the
// client's GUI thread.
#pragma once
#include <windows.h>

constexpr wchar_t kDriverChannelName[] = L"Local\\AsmDriverChannel";
constexpr wchar_t kDriverReplyEventName[] = L"Local\\AsmDriverReply";
constexpr wchar_t kDriverQueryMessage[] = L"AsmDriverQuery";

constexpr LONG kQueryMenu = 1;       // the target window's menu as JSON
constexpr LONG kQueryIcon = 2;       // the icon of the target message box
constexpr LONG kQueryMenuState = 3;  // check and grey state of menu item `item`
constexpr LONG kQueryLayout = 4;     // the target dialog's text controls, measured with their fonts
constexpr LONG kQueryDropDown = 5;   // drops combo box `item` of the target dialog down: items and rows shown
constexpr LONG kQueryListRows = 6;   // the cell texts of list view `item` of the target dialog

struct DriverChannel {
  LONG query;
  HWND target;
  UINT item;
  char reply[60000];  // UTF-8, zero-terminated
};
