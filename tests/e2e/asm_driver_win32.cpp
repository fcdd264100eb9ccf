// asm-driver: drives asm-client.exe from the outside as a user would, for the
// end-to-end tests. It runs under Wine next to the client, takes a short
// script of actions on its command line (actions separated by "--") and
// prints exactly one line per action on stdout, so that a test can match
// line k to action k. The first failing action prints its reason on stderr
// and ends the run with exit code 1.
//
// A WINDOW is "main" (the client's main window, class APP) or the exact
// title of a visible top-level window (dialogs and message boxes are class
// #32770). Texts are UTF-8; texts printed as results keep to their line:
// backslash, CR and LF appear as \\, \r and \n.
//
//   wait-main                    waits for the main window; prints its handle
//   wait-window TITLE [CLASS]    waits for a window; "ok"
//   wait-gone TITLE              waits until it has closed; "ok"
//   exists TITLE                 "yes" or "no", without waiting
//   title WINDOW                 the window's title
//   geometry WINDOW              "window L T R B client W H origin X Y style S exstyle E"
//                                (screen coordinates; client size; its origin on screen)
//   menu ID                      chooses a menu command (posts WM_COMMAND); "ok"
//   menu-items                   the main menu as JSON: text, id or popup, checked, grayed
//   menu-state ID                "checked" or "unchecked", plus " grayed"
//   set-text WINDOW ID TEXT      sets a control's text (edits notify their dialog); "ok"
//   get-text WINDOW ID           a control's text
//   select WINDOW ID TEXT        picks a combo box entry and notifies CBN_SELCHANGE; its index
//   combo WINDOW ID              {"items":[...],"selected":N,"text":"..."}
//   click WINDOW ID              clicks a button (posted BM_CLICK); "ok"
//   msgbox CAPTION               waits for a message box; {"caption","text","icon","buttons"},
//                                icon one of information, error, warning, question, none
//   press CAPTION ok|cancel|yes|no   presses a message box button, waits for it to close
//   dump WINDOW                  every child control as JSON: id, class, text, visible
//   layout WINDOW                paints the window, then its child controls measured inside the
//                                client, as JSON:
//                                {"dpi","screen":[W,H],"window":[L,T,R,B],"controls":[{"id","class",
//                                "text","visible","box","area","extent":[CX,CY],"face","fontHeight"}]};
//                                box is the control's window, area where it draws its text, both in
//                                screen pixels; extent is its text measured with its own font
//   drop-down WINDOW ID          drops a combo box's list and closes it again: {"items":N,"shown":M},
//                                M the entries the dropped list has room for
//   list-view WINDOW ID          a list view's columns and rows, measured inside the client:
//                                {"columns":[{"text","width","extent"}],"client":[W,H],
//                                "rows":[{"texts":[...],"extents":[...]}]}; extents are texts'
//                                widths in the list's font, widths and extents in pixels
//   hover X Y                    moves the mouse over the main window's client point; "ok"
//   click-at X Y                 clicks the main window's client point (posted); "ok"
//   close WINDOW                 posts WM_CLOSE; "ok"
//   pointer X Y                  moves the screen pointer; "ok"
//   sleep MS, timeout MS         waits; sets the wait limit (default 10000 ms); "ok"
//   stopwatch                    milliseconds since the previous stopwatch (or the start)
//   wait-title WINDOW TEXT       waits until the window's title is TEXT; "ok"
//   click-view X Y               clicks the timeline's client point and waits for a view
//                                (a dialog owned by the main window); "MS TITLE", MS the
//                                time from posting the click to the view existing
//   open-view                    the title of the view open now (a dialog owned by the main
//                                window), or an empty line when there is none
//   process-info                 the client's "handles N threads N"
//   status-bar                   the main window's status bars, top to bottom, and their parts:
//                                {"dpi","client":[W,H],"bars":[[L,T,R,B],...],"parts":[{"bar","part",
//                                "text","tip","box","extent":[CX,CY]}]}, boxes in client pixels,
//                                extent the text measured with the bar's font
//   command ID LPARAM            posts WM_COMMAND ID with that lParam to the main window (a
//                                status bar part's command); "ok"
//   list-rows WINDOW ID          a list view's rows as shown, as JSON: {"count","top","perPage",
//                                "selected","rows":[[cell,...],...]}; rows null past 300
//   key WINDOW ID KEY            presses KEY ("ctrl+a", "ctrl+c", "end", or a letter) on a control
//                                as its window's thread sees it; "ok"
//   clipboard                    the clipboard's text
//
// Actions that may open a modal window in the client (menu commands, button
// clicks, timeline clicks) are posted, never sent: a sent message would wait
// for the modal loop to end. Everything else is sent with a time-out, so a
// client that hangs makes the driver fail instead of hang.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/asm_driver_channel.h"
#include "tests/e2e/asm_driver_text.h"
// clang-format off
#include <tlhelp32.h>  // needs windows.h first
// clang-format on

namespace {

constexpr UINT kSendTimeoutMs = 5000;
DWORD waitTimeoutMs = 10000;  // for every "wait until it appears" step

struct Failure {
  std::string reason;
};

[[noreturn]] void Fail(const std::string& reason) {
  throw Failure{reason};
}

// Text of any window, also of another process's edit or static, through a
// marshalled WM_GETTEXT that cannot hang on a busy client.
std::string WindowText(HWND window) {
  wchar_t buffer[4096];
  DWORD_PTR length = 0;
  buffer[0] = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    Fail("window does not answer WM_GETTEXT");
  buffer[sizeof buffer / sizeof buffer[0] - 1] = 0;
  return Utf8(buffer);
}

std::string ClassName(HWND window) {
  wchar_t name[256];
  if (!GetClassNameW(window, name, 256)) return "";
  return Utf8(name);
}

struct Search {
  std::wstring title;
  std::wstring className;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t name[256];
  if (!search->className.empty()) {
    if (!GetClassNameW(window, name, 256) || search->className != name) return TRUE;
  }
  if (!search->title.empty()) {
    wchar_t title[1024];
    // Top-level captions are kept by the window manager side; no message needed.
    InternalGetWindowText(window, title, 1024);
    if (search->title != title) return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(const std::string& title, const std::string& className) {
  Search search{Wide(title), Wide(className), nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindMain() {
  return FindTopLevel("", "APP");
}

// Polls until the window appears; the client may still be starting or
// opening a dialog.
HWND WaitFor(const std::string& titleOrMain, const std::string& className = "") {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = titleOrMain == "main" ? FindMain() : FindTopLevel(titleOrMain, className);
    if (!window && titleOrMain != "main" && className.empty()) window = FindTopLevel(titleOrMain, "#32770");
    if (window) return window;
    if (GetTickCount() - start > waitTimeoutMs) Fail("no window \"" + titleOrMain + "\" appeared");
    Sleep(50);
  }
}

HWND Control(HWND dialog, const std::string& id) {
  HWND control = GetDlgItem(dialog, atoi(id.c_str()));
  if (!control) Fail("no control " + id);
  return control;
}

LRESULT SendOrFail(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    Fail("window does not answer message " + std::to_string(message));
  return static_cast<LRESULT>(result);
}

void PostOrFail(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!PostMessageW(window, message, wParam, lParam)) Fail("cannot post to the window");
}

// Asks the hook inside the client (asm_driver_hook_win32.cpp) about a window
// of the client's GUI thread: menus and icons cannot be read from here.
std::string AskClient(HWND target, LONG query, UINT item = 0) {
  static HANDLE mapping = nullptr;
  static HANDLE ready = nullptr;
  static DriverChannel* channel = nullptr;
  static HOOKPROC hook = nullptr;
  static HMODULE module = nullptr;
  if (!channel) {
    mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DriverChannel), kDriverChannelName);
    ready = CreateEventW(nullptr, FALSE, FALSE, kDriverReplyEventName);
    if (!mapping || !ready) Fail("cannot make the channel to the client");
    channel = static_cast<DriverChannel*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DriverChannel)));
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path, length);
    dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"asm-driver-hook.dll";
    module = LoadLibraryW(dll.c_str());
    if (module)
      hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "DriverGetMessageHook")));
    if (!channel || !hook) Fail("cannot load asm-driver-hook.dll beside the driver");
  }
  DWORD thread = GetWindowThreadProcessId(target, nullptr);
  HHOOK installed = SetWindowsHookExW(WH_GETMESSAGE, hook, module, thread);
  if (!installed) Fail("cannot hook the client's GUI thread");
  channel->query = query;
  channel->target = target;
  channel->item = item;
  channel->reply[0] = 0;
  ResetEvent(ready);
  static const UINT queryMessage = RegisterWindowMessageW(kDriverQueryMessage);
  BOOL posted = PostMessageW(target, queryMessage, 0, 0);
  DWORD waited = posted ? WaitForSingleObject(ready, kSendTimeoutMs) : WAIT_FAILED;
  UnhookWindowsHookEx(installed);
  if (waited != WAIT_OBJECT_0) Fail("the client did not answer the query");
  return channel->reply;
}

struct Children {
  HWND parent;
  std::vector<HWND> list;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  auto* children = reinterpret_cast<Children*>(context);
  if (GetParent(window) == children->parent) children->list.push_back(window);
  return TRUE;
}

std::vector<HWND> DirectChildren(HWND parent) {
  Children children{parent, {}};
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children.list;
}

std::string MessageBoxJson(HWND box) {
  std::string text;
  if (HWND label = GetDlgItem(box, 0xFFFF)) text = WindowText(label);
  std::string buttons;
  for (HWND child : DirectChildren(box)) {
    if (ClassName(child) != "Button" || !IsWindowVisible(child)) continue;
    if (!buttons.empty()) buttons += ",";
    buttons += Json(WindowText(child));
  }
  return "{\"caption\":" + Json(WindowText(box)) + ",\"text\":" + Json(text) +
         ",\"icon\":" + AskClient(box, kQueryIcon) + ",\"buttons\":[" + buttons + "]}";
}

std::string DumpJson(HWND dialog) {
  std::string out = "[";
  bool first = true;
  for (HWND child : DirectChildren(dialog)) {
    if (!first) out += ",";
    first = false;
    out += "{\"id\":" + std::to_string(GetDlgCtrlID(child)) + ",\"class\":" + Json(ClassName(child)) +
           ",\"text\":" + Json(WindowText(child)) + ",\"visible\":" + (IsWindowVisible(child) ? "true" : "false") + "}";
  }
  return out + "]";
}

WPARAM ButtonId(const std::string& name) {
  if (name == "ok") return IDOK;
  if (name == "cancel") return IDCANCEL;
  if (name == "yes") return IDYES;
  if (name == "no") return IDNO;
  Fail("unknown button " + name);
}

LPARAM Point(const std::string& x, const std::string& y) {
  return MAKELPARAM(static_cast<short>(atoi(x.c_str())), static_cast<short>(atoi(y.c_str())));
}

void WaitGone(HWND window) {
  DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start > waitTimeoutMs) Fail("window did not close");
    Sleep(50);
  }
}

// Milliseconds on the performance counter, for latencies finer than the
// tick count's steps.
double NowMs() {
  static LARGE_INTEGER frequency{};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
double stopwatchMs = NowMs();

struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchOwnedDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<OwnedSearch*>(context);
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  if (ClassName(window) != "#32770") return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindOwnedDialog(HWND owner) {
  OwnedSearch search{owner, nullptr};
  EnumWindows(MatchOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TopLevelTitle(HWND window) {
  wchar_t title[1024];
  InternalGetWindowText(window, title, 1024);
  return Utf8(title);
}

// The handles a process holds, from the system's handle list: Wine answers
// GetProcessHandleCount with 0, but lists every handle there. -1 when the
// list cannot be had.
long CountHandles(DWORD process) {
  struct HandleEntry {
    ULONG ownerProcess;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  struct HandleList {
    ULONG count;
    HandleEntry entries[1];
  };
  using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  const auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status < 0) return -1;
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < list->count; ++i)
      if (list->entries[i].ownerProcess == process) ++count;
    return count;
  }
}

using Args = std::vector<std::string>;

// One action: its verb, how many words follow it, its usage and its handler,
// which returns the action's one line of output.
struct Verb {
  const char* name;
  size_t leastWords;
  size_t mostWords;
  const char* usage;
  std::string (*run)(const Args& a);
};

std::string DoWaitMain(const Args&) {
  char text[32];
  snprintf(text, sizeof text, "%p", static_cast<void*>(WaitFor("main")));
  return text;
}

std::string DoWaitWindow(const Args& a) {
  WaitFor(a[1], a.size() == 3 ? a[2] : "");
  return "ok";
}

std::string DoWaitGone(const Args& a) {
  HWND window = a[1] == "main" ? FindMain() : FindTopLevel(a[1], "");
  if (window) WaitGone(window);
  return "ok";
}

std::string DoExists(const Args& a) {
  return (a[1] == "main" ? FindMain() : FindTopLevel(a[1], "")) ? "yes" : "no";
}

std::string DoTitle(const Args& a) {
  return OneLine(WindowText(WaitFor(a[1])));
}

std::string DoMenu(const Args& a) {
  PostOrFail(WaitFor("main"), WM_COMMAND, MAKEWPARAM(atoi(a[1].c_str()), 0), 0);
  return "ok";
}

std::string DoMenuItems(const Args&) {
  return AskClient(WaitFor("main"), kQueryMenu);
}

std::string DoMenuState(const Args& a) {
  std::string state = AskClient(WaitFor("main"), kQueryMenuState, atoi(a[1].c_str()));
  if (state == "missing") Fail("no menu item " + a[1]);
  return state;
}

std::string DoSetText(const Args& a) {
  std::wstring text = Wide(a[3]);
  if (!SendOrFail(Control(WaitFor(a[1]), a[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())))
    Fail("control " + a[2] + " refused the text");
  return "ok";
}

std::string DoGetText(const Args& a) {
  return OneLine(WindowText(Control(WaitFor(a[1]), a[2])));
}

std::string DoSelect(const Args& a) {
  HWND dialog = WaitFor(a[1]);
  HWND combo = Control(dialog, a[2]);
  std::wstring text = Wide(a[3]);
  LRESULT index = SendOrFail(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) Fail("no entry \"" + a[3] + "\" in list " + a[2]);
  // CB_SELECTSTRING does not notify the owner; a user's pick does.
  SendOrFail(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return std::to_string(index);
}

std::string DoCombo(const Args& a) {
  HWND combo = Control(WaitFor(a[1]), a[2]);
  LRESULT count = SendOrFail(combo, CB_GETCOUNT, 0, 0);
  std::string items;
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    if (SendOrFail(combo, CB_GETLBTEXTLEN, i, 0) >= 255) Fail("list entry too long");
    SendOrFail(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    if (i) items += ",";
    items += Json(Utf8(text));
  }
  return "{\"items\":[" + items + "],\"selected\":" + std::to_string(SendOrFail(combo, CB_GETCURSEL, 0, 0)) +
         ",\"text\":" + Json(WindowText(combo)) + "}";
}

std::string DoClick(const Args& a) {
  PostOrFail(Control(WaitFor(a[1]), a[2]), BM_CLICK, 0, 0);
  return "ok";
}

std::string DoMsgbox(const Args& a) {
  return MessageBoxJson(WaitFor(a[1], "#32770"));
}

std::string DoPress(const Args& a) {
  HWND box = WaitFor(a[1], "#32770");
  PostOrFail(Control(box, std::to_string(ButtonId(a[2]))), BM_CLICK, 0, 0);
  WaitGone(box);
  return "ok";
}

std::string DoDump(const Args& a) {
  return DumpJson(WaitFor(a[1]));
}

std::string DoLayout(const Args& a) {
  return AskClient(WaitFor(a[1]), kQueryLayout);
}

// Asks the hook about control a[2] of window a[1]; "null" means the control
// is not of the kind the query is for.
std::string AskAboutControl(const Args& a, LONG query, const char* kind) {
  HWND dialog = WaitFor(a[1]);
  Control(dialog, a[2]);
  std::string reply = AskClient(dialog, query, static_cast<UINT>(atoi(a[2].c_str())));
  if (reply == "null") Fail("control " + a[2] + " is not " + kind);
  return reply;
}

std::string DoDropDown(const Args& a) {
  return AskAboutControl(a, kQueryDropDown, "a combo box with a list");
}

std::string DoListView(const Args& a) {
  return AskAboutControl(a, kQueryListView, "a list view");
}

std::string DoHover(const Args& a) {
  SendOrFail(WaitFor("main"), WM_MOUSEMOVE, 0, Point(a[1], a[2]));
  return "ok";
}

std::string DoClickAt(const Args& a) {
  HWND main = WaitFor("main");
  PostOrFail(main, WM_LBUTTONDOWN, MK_LBUTTON, Point(a[1], a[2]));
  PostOrFail(main, WM_LBUTTONUP, 0, Point(a[1], a[2]));
  return "ok";
}

std::string DoGeometry(const Args& a) {
  HWND window = WaitFor(a[1]);
  RECT outer, client;
  POINT origin{0, 0};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  ClientToScreen(window, &origin);
  char text[256];
  snprintf(text, sizeof text, "window %ld %ld %ld %ld client %ld %ld origin %ld %ld style 0x%08lx exstyle 0x%08lx",
           outer.left, outer.top, outer.right, outer.bottom, client.right, client.bottom, origin.x, origin.y,
           static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
           static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
  return text;
}

std::string DoClose(const Args& a) {
  PostOrFail(WaitFor(a[1]), WM_CLOSE, 0, 0);
  return "ok";
}

std::string DoPointer(const Args& a) {
  if (!SetCursorPos(atoi(a[1].c_str()), atoi(a[2].c_str()))) Fail("cannot move the pointer");
  return "ok";
}

std::string DoSleep(const Args& a) {
  Sleep(atoi(a[1].c_str()));
  return "ok";
}

std::string DoStopwatch(const Args&) {
  const double now = NowMs();
  char text[32];
  snprintf(text, sizeof text, "%.1f", now - stopwatchMs);
  stopwatchMs = now;
  return text;
}

std::string DoWaitTitle(const Args& a) {
  HWND window = WaitFor(a[1]);
  const std::wstring wanted = Wide(a[2]);
  const DWORD start = GetTickCount();
  for (;;) {
    wchar_t title[1024];
    InternalGetWindowText(window, title, 1024);
    if (wanted == title) return "ok";
    if (GetTickCount() - start > waitTimeoutMs) Fail("title stayed \"" + Utf8(title) + "\"");
    Sleep(1);
  }
}

std::string DoClickView(const Args& a) {
  HWND main = WaitFor("main");
  if (HWND open = FindOwnedDialog(main)) Fail("a view is already open: " + TopLevelTitle(open));
  const double start = NowMs();
  PostOrFail(main, WM_LBUTTONDOWN, MK_LBUTTON, Point(a[1], a[2]));
  PostOrFail(main, WM_LBUTTONUP, 0, Point(a[1], a[2]));
  for (;;) {
    if (HWND view = FindOwnedDialog(main)) {
      char text[32];
      snprintf(text, sizeof text, "%.1f ", NowMs() - start);
      return text + OneLine(TopLevelTitle(view));
    }
    if (NowMs() - start > waitTimeoutMs) Fail("no view opened");
    Sleep(1);
  }
}

std::string DoOpenView(const Args&) {
  HWND view = FindOwnedDialog(WaitFor("main"));
  return view ? OneLine(TopLevelTitle(view)) : "";
}

std::string DoProcessInfo(const Args&) {
  DWORD process = 0;
  GetWindowThreadProcessId(WaitFor("main"), &process);
  const long handles = CountHandles(process);
  if (handles < 0) Fail("cannot list the system's handles");
  DWORD threads = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (snapshot != INVALID_HANDLE_VALUE && Thread32First(snapshot, &entry)) {
    do {
      if (entry.th32OwnerProcessID == process) ++threads;
    } while (Thread32Next(snapshot, &entry));
  }
  if (snapshot != INVALID_HANDLE_VALUE) CloseHandle(snapshot);
  return "handles " + std::to_string(handles) + " threads " + std::to_string(threads);
}

std::string DoStatusBar(const Args&) {
  return AskClient(WaitFor("main"), kQueryStatusBar);
}

std::string DoCommand(const Args& a) {
  PostOrFail(WaitFor("main"), WM_COMMAND, MAKEWPARAM(atoi(a[1].c_str()), 0), atoi(a[2].c_str()));
  return "ok";
}

std::string DoListRows(const Args& a) {
  return AskClient(Control(WaitFor(a[1]), a[2]), kQueryListRows);
}

std::string DoKey(const Args& a) {
  std::string name = a[3];
  UINT key = 0;
  if (name.rfind("ctrl+", 0) == 0) {
    key |= kKeyWithCtrl;
    name = name.substr(5);
  }
  if (name == "end")
    key |= VK_END;
  else if (name == "home")
    key |= VK_HOME;
  else if (name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])))
    key |= static_cast<UINT>(toupper(static_cast<unsigned char>(name[0])));
  else
    Fail("unknown key " + a[3]);
  return AskClient(Control(WaitFor(a[1]), a[2]), kQueryKey, key);
}

std::string DoClipboard(const Args&) {
  if (!OpenClipboard(nullptr)) Fail("cannot open the clipboard");
  std::string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Utf8(wide);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return OneLine(text);
}

std::string DoTimeout(const Args& a) {
  waitTimeoutMs = static_cast<DWORD>(atoi(a[1].c_str()));
  return "ok";
}

constexpr Verb kVerbs[] = {
    {"wait-main", 0, 0, "wait-main", DoWaitMain},
    {"wait-window", 1, 2, "wait-window TITLE [CLASS]", DoWaitWindow},
    {"wait-gone", 1, 1, "wait-gone TITLE", DoWaitGone},
    {"exists", 1, 1, "exists TITLE", DoExists},
    {"title", 1, 1, "title WINDOW", DoTitle},
    {"menu", 1, 1, "menu ID", DoMenu},
    {"menu-items", 0, 0, "menu-items", DoMenuItems},
    {"menu-state", 1, 1, "menu-state ID", DoMenuState},
    {"set-text", 3, 3, "set-text WINDOW ID TEXT", DoSetText},
    {"get-text", 2, 2, "get-text WINDOW ID", DoGetText},
    {"select", 3, 3, "select WINDOW ID TEXT", DoSelect},
    {"combo", 2, 2, "combo WINDOW ID", DoCombo},
    {"click", 2, 2, "click WINDOW ID", DoClick},
    {"msgbox", 1, 1, "msgbox CAPTION", DoMsgbox},
    {"press", 2, 2, "press CAPTION ok|cancel|yes|no", DoPress},
    {"dump", 1, 1, "dump WINDOW", DoDump},
    {"layout", 1, 1, "layout WINDOW", DoLayout},
    {"drop-down", 2, 2, "drop-down WINDOW ID", DoDropDown},
    {"list-view", 2, 2, "list-view WINDOW ID", DoListView},
    {"hover", 2, 2, "hover X Y", DoHover},
    {"click-at", 2, 2, "click-at X Y", DoClickAt},
    {"geometry", 1, 1, "geometry WINDOW", DoGeometry},
    {"close", 1, 1, "close WINDOW", DoClose},
    {"pointer", 2, 2, "pointer X Y", DoPointer},
    {"sleep", 1, 1, "sleep MS", DoSleep},
    {"stopwatch", 0, 0, "stopwatch", DoStopwatch},
    {"wait-title", 2, 2, "wait-title WINDOW TEXT", DoWaitTitle},
    {"click-view", 2, 2, "click-view X Y", DoClickView},
    {"open-view", 0, 0, "open-view", DoOpenView},
    {"process-info", 0, 0, "process-info", DoProcessInfo},
    {"timeout", 1, 1, "timeout MS", DoTimeout},
    {"status-bar", 0, 0, "status-bar", DoStatusBar},
    {"command", 2, 2, "command ID LPARAM", DoCommand},
    {"list-rows", 2, 2, "list-rows WINDOW ID", DoListRows},
    {"key", 3, 3, "key WINDOW ID KEY", DoKey},
    {"clipboard", 0, 0, "clipboard", DoClipboard},
};

// Runs one action and returns its one line of output.
std::string Run(const Args& a) {
  for (const Verb& verb : kVerbs) {
    if (a[0] != verb.name) continue;
    if (a.size() - 1 < verb.leastWords || a.size() - 1 > verb.mostWords) Fail(std::string("usage: ") + verb.usage);
    return verb.run(a);
  }
  Fail("unknown action " + a[0]);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Pixels as the client sees them: the client is DPI aware, and an unaware
  // driver would be handed coordinates scaled to 96 DPI on a scaled display.
  SetProcessDPIAware();
  std::vector<Args> script(1);
  for (int i = 1; i < argc; ++i) {
    std::string word = Utf8(argv[i]);
    if (word == "--") {
      script.emplace_back();
    } else {
      script.back().push_back(word);
    }
  }
  int step = 0;
  for (const Args& action : script) {
    ++step;
    if (action.empty()) continue;
    try {
      std::string line = Run(action);
      fwrite(line.data(), 1, line.size(), stdout);
      fputc('\n', stdout);
      fflush(stdout);
    } catch (const Failure& failure) {
      fprintf(stderr, "asm-driver: step %d (%s): %s\n", step, action[0].c_str(), failure.reason.c_str());
      return 1;
    }
  }
  return 0;
}
