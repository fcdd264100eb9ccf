// Program entry: registers the window class, creates the fixed-size main
// window, keeps its client area at the height its contents take, and runs
// the message loop on the main thread.
// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include "app/relay_win32.h"
#include "app/shell_win32.h"
#include "monitor/monitor_window_win32.h"
#include "res/resource.h"
#include "transmit/compose_dialog_win32.h"

namespace {

constexpr const char kWindowClass[] = "APP";
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_DLGFRAME | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kMainWindowWidth = 800;
constexpr int kMainWindowHeight = 400;

bool RegisterMainWindowClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = 0;  // no double clicks, no redraw on resize
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
  windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

// The client height the window keeps (0 until the window has laid out what
// it shows): the menu bar takes another line when its items no longer fit
// beside each other, and the window then grows by that line rather than
// the client area shrinking under the timeline's fixed geometry.
int mainClientHeight;

}  // namespace

void SetMainClientHeight(HWND window, int height) {
  mainClientHeight = height;
  KeepMainClientHeight(window);
}

void KeepMainClientHeight(HWND window) {
  RECT outer;
  RECT client;
  if (mainClientHeight <= 0 || IsIconic(window) || !GetWindowRect(window, &outer) || !GetClientRect(window, &client))
    return;
  const int grow = mainClientHeight - client.bottom;
  if (grow == 0) return;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + grow,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int WINAPI WinMain(HINSTANCE moduleInstance, HINSTANCE, LPSTR, int showCommand) {
  InitCommonControls();
  // The shell, log and timeline state are static and start zeroed; the log
  // is emptied again when the window is created.
  instance = moduleInstance;
  if (!RegisterMainWindowClass()) return 0;
  // Before any link opens: the readers reach the main thread through it.
  CreateRelay();

  HWND window = CreateWindowExA(0, kWindowClass, kMainWindowTitle, kMainWindowStyle, 0, 0, kMainWindowWidth,
                                kMainWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return 0;
  mainWindow = window;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  // GetMessage gives -1 on an error; stopping there rather than looping on it.
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (SentenceMonitorMessage(&message)) continue;
    if (IsComposeDialogMessage(&message)) continue;  // its Tab, Enter and Escape
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
