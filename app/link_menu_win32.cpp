// The menu-bar items that follow their link's state, renamed by a tap on
// the links as each opens and closes.
#include "app/link_menu_win32.h"

#include <cstdio>

#include "app/utf8_text_win32.h"
#include "monitor/monitor_links.h"
#include "serial/serial_link_win32.h"

namespace {

// The item on the menu bar that stands for `command`: the item itself, or
// the popup that holds it. -1 when there is none.
int MenuBarPosition(HMENU bar, UINT command) {
  const int count = GetMenuItemCount(bar);
  for (int position = 0; position < count; ++position) {
    if (GetMenuItemID(bar, position) == command) return position;
    const HMENU popup = GetSubMenu(bar, position);
    if (popup != nullptr && GetMenuState(popup, command, MF_BYCOMMAND) != static_cast<UINT>(-1)) return position;
  }
  return -1;
}

// Main thread: a link has opened on `portName`, or closed (nullptr). Only
// the text changes: the command, the popup and the check mark stay.
void NameLinkInMenu(void* context, int link, const char* portName) {
  const auto window = static_cast<HWND>(context);
  const HMENU bar = GetMenu(window);
  if (link < 0 || link >= kLinkCount || bar == nullptr) return;
  const int position = MenuBarPosition(bar, kLinkTraits[link].menuItem);
  if (position < 0) return;
  char name[64];
  if (portName != nullptr)
    snprintf(name, sizeof name, "%s (%s)", kMonitorLinkTraits[link].name, portName);
  else
    snprintf(name, sizeof name, "%s", kMonitorLinkTraits[link].name);
  wchar_t text[64];
  WidenUtf8(name, text, 64);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = text;
  SetMenuItemInfoW(bar, static_cast<UINT>(position), TRUE, &item);
  DrawMenuBar(window);
}

LinkTap menuTap;

}  // namespace

void StartLinkMenuNames(HWND window) {
  menuTap = {nullptr, nullptr, window, NameLinkInMenu};
  AttachLinkTap(&linkTaps, &menuTap);
}
