// asm-driver-hook.dll: the part of asm-driver that runs inside the client.
// Menus, icons and fonts belong to the process that made them and cannot be
// read from another one (Wine refuses it outright), so the driver hooks the
// client's GUI thread with this DLL and asks through a small shared block.
//
// The driver fills the block, posts the query message to a window of that
// thread and waits for the reply event; the hook answers on the client's GUI
// thread the next time that thread takes the message from its queue (in the
// main loop or in any modal loop), so the answer sees the menu as it is.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include <cstdio>
#include <string>
#include <utility>

#include "tests/e2e/asm_driver_channel.h"
#include "tests/e2e/asm_driver_text.h"

namespace {

std::string MenuJson(HMENU menu) {
  int count = GetMenuItemCount(menu);
  if (count < 0) return "null";
  std::string out = "[";
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = 255;
    if (i) out += ",";
    if (!GetMenuItemInfoW(menu, i, TRUE, &info)) {
      out += "null";
      continue;
    }
    out += "{\"text\":" + Json(Utf8(text));
    if (info.hSubMenu)
      out += ",\"popup\":" + MenuJson(info.hSubMenu);
    else
      out += ",\"id\":" + std::to_string(info.wID);
    out += std::string(",\"checked\":") + ((info.fState & MFS_CHECKED) ? "true" : "false");
    out += std::string(",\"grayed\":") + ((info.fState & MFS_DISABLED) ? "true" : "false") + "}";
  }
  return out + "]";
}

BOOL CALLBACK FindIconStatic(HWND child, LPARAM context) {
  wchar_t name[16];
  if (GetClassNameW(child, name, 16) && lstrcmpiW(name, L"Static") == 0 &&
      (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    *reinterpret_cast<HWND*>(context) = child;
    return FALSE;
  }
  return TRUE;
}

// The message box loads its icon as a shared system icon, so in this
// process the handle equals the one LoadIcon gives for the same id. The
// icon static is id 20 on Windows and another id on Wine: find it by style.
std::string IconName(HWND box) {
  HWND control = nullptr;
  EnumChildWindows(box, FindIconStatic, reinterpret_cast<LPARAM>(&control));
  if (!control || !IsWindowVisible(control)) return "\"none\"";
  HICON icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
  if (!icon) return "\"none\"";
  static const struct {
    LPCWSTR id;
    const char* name;
  } kinds[] = {
      {IDI_INFORMATION, "information"}, {IDI_ERROR, "error"}, {IDI_WARNING, "warning"}, {IDI_QUESTION, "question"}};
  for (const auto& kind : kinds)
    if (LoadIconW(nullptr, kind.id) == icon) return std::string("\"") + kind.name + "\"";
  return "\"other\"";
}

std::string RectJson(RECT rect) {
  char text[64];
  snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", rect.left, rect.top, rect.right, rect.bottom);
  return text;
}

// Measured here, inside the client, because a font handle means nothing in
// another process: each child's text with the font the control itself uses.
// "box" is the control's window, "area" where it can draw its text (the
// client rectangle, an edit's formatting rectangle), both on the screen.
std::string ControlJson(HWND control) {
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  wchar_t text[1024] = {};
  GetWindowTextW(control, text, 1024);
  RECT box, area;
  GetWindowRect(control, &box);
  GetClientRect(control, &area);
  if (lstrcmpiW(name, L"Edit") == 0) SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&area), 2);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return "{\"id\":" + std::to_string(GetDlgCtrlID(control)) + ",\"class\":" + Json(Utf8(name)) +
         ",\"text\":" + Json(Utf8(text)) + ",\"visible\":" + (IsWindowVisible(control) ? "true" : "false") +
         ",\"box\":" + RectJson(box) + ",\"area\":" + RectJson(area) + ",\"extent\":[" + std::to_string(extent.cx) +
         "," + std::to_string(extent.cy) + "],\"face\":" + Json(Utf8(face)) +
         ",\"fontHeight\":" + std::to_string(metrics.tmHeight) + "}";
}

BOOL CALLBACK AddControl(HWND child, LPARAM context) {
  auto* list = reinterpret_cast<std::pair<HWND, std::string>*>(context);
  if (GetParent(child) != list->first) return TRUE;
  if (!list->second.empty()) list->second += ",";
  list->second += ControlJson(child);
  return TRUE;
}

std::string LayoutJson(HWND dialog) {
  // Painted now, so that a screenshot taken after the answer shows the
  // whole view; a freshly opened one may still have paints queued.
  RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  RECT window;
  GetWindowRect(dialog, &window);
  std::pair<HWND, std::string> controls{dialog, ""};
  EnumChildWindows(dialog, AddControl, reinterpret_cast<LPARAM>(&controls));
  return "{\"dpi\":" + std::to_string(dpi) + ",\"screen\":[" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "," +
         std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "],\"window\":" + RectJson(window) + ",\"controls\":[" +
         controls.second + "]}";
}

// How many entries of a combo box its dropped list shows at once: the list
// is dropped, measured and closed again.
std::string DropDownJson(HWND dialog, UINT id) {
  HWND combo = GetDlgItem(dialog, static_cast<int>(id));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!combo || !GetComboBoxInfo(combo, &info) || !info.hwndList) return "null";
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  RECT list;
  GetClientRect(info.hwndList, &list);
  const LRESULT itemHeight = SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0);
  const LRESULT items = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  const long shown = itemHeight > 0 ? (list.bottom - list.top) / static_cast<long>(itemHeight) : 0;
  return "{\"items\":" + std::to_string(items) + ",\"shown\":" + std::to_string(shown) + "}";
}

// A list view's rows as JSON arrays of their cells' texts, top row first;
// null when the control is not a list view.
std::string ListRowsJson(HWND dialog, UINT id) {
  HWND list = GetDlgItem(dialog, static_cast<int>(id));
  wchar_t name[32] = {};
  if (!list || !GetClassNameW(list, name, 32) || lstrcmpiW(name, WC_LISTVIEWW) != 0) return "null";
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const LRESULT columns = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 1;
  const LRESULT rows = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  std::string out = "[";
  for (LRESULT row = 0; row < rows; ++row) {
    out += row ? ",[" : "[";
    for (LRESULT column = 0; column < columns; ++column) {
      wchar_t text[256] = {};
      LVITEMW item{};
      item.iSubItem = static_cast<int>(column);
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      if (column) out += ",";
      out += Json(Utf8(text));
    }
    out += "]";
  }
  return out + "]";
}

void Answer(DriverChannel* channel) {
  std::string reply;
  if (channel->query == kQueryMenu) {
    HMENU menu = GetMenu(channel->target);
    reply = menu ? MenuJson(menu) : "null";
  } else if (channel->query == kQueryIcon) {
    reply = IconName(channel->target);
  } else if (channel->query == kQueryMenuState) {
    UINT state = GetMenuState(GetMenu(channel->target), channel->item, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) {
      reply = "missing";
    } else {
      reply = (state & MF_CHECKED) ? "checked" : "unchecked";
      if (state & MF_GRAYED) reply += " grayed";
    }
  } else if (channel->query == kQueryLayout) {
    reply = LayoutJson(channel->target);
  } else if (channel->query == kQueryDropDown) {
    reply = DropDownJson(channel->target, channel->item);
  } else if (channel->query == kQueryListRows) {
    reply = ListRowsJson(channel->target, channel->item);
  } else {
    reply = "null";
  }
  size_t size = reply.size() < sizeof channel->reply - 1 ? reply.size() : sizeof channel->reply - 1;
  memcpy(channel->reply, reply.data(), size);
  channel->reply[size] = 0;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverGetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT queryMessage = RegisterWindowMessageW(kDriverQueryMessage);
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == queryMessage) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kDriverChannelName);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, kDriverReplyEventName);
    if (mapping && ready) {
      auto* channel =
          static_cast<DriverChannel*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DriverChannel)));
      if (channel) {
        Answer(channel);
        UnmapViewOfFile(channel);
        SetEvent(ready);
      }
    }
    if (ready) CloseHandle(ready);
    if (mapping) CloseHandle(mapping);
    msg->message = WM_NULL;  // the client never sees the query
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
