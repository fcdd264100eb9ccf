// asm-driver-hook.dll: the part of asm-driver that runs inside the client.
// Menus and icons belong to the process that made them and cannot be read
// from another one (Wine refuses it outright), so the driver hooks the
// client's GUI thread with this DLL and asks through a small shared block.
//
// The driver fills the block, posts the query message to a window of that
// thread and waits for the reply event; the hook answers on the client's GUI
// thread the next time that thread takes the message from its queue (in the
// main loop or in any modal loop), so the answer sees the menu as it is.
#include <cstdio>
#include <string>

#include "tests/e2e/asm_driver_channel.h"

namespace {

std::string Utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\u%04x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

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
