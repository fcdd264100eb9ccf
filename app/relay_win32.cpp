// The relay window: a message-only window whose one message carries the
// function to run and its context. Created on the main thread, so that
// SendMessage from any other thread runs the function there.
#include "app/relay_win32.h"

#include <windows.h>

namespace {

constexpr UINT kRelayRun = WM_APP + 1;  // wParam: the function; lParam: its context
constexpr char kRelayClass[] = "AsmRelay";

HWND relayWindow;  // written once on the main thread before any reader starts

LRESULT CALLBACK RelayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRelayRun) return DefWindowProcA(window, message, wParam, lParam);
  const auto function = reinterpret_cast<RelayFunction>(wParam);
  return static_cast<LRESULT>(function(reinterpret_cast<void*>(lParam)));
}

}  // namespace

bool CreateRelay() {
  if (relayWindow != nullptr) return true;
  const HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA relayClass{};
  relayClass.lpfnWndProc = RelayWindowProc;
  relayClass.hInstance = module;
  relayClass.lpszClassName = kRelayClass;
  RegisterClassA(&relayClass);  // fails harmlessly if already registered
  relayWindow = CreateWindowExA(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  return relayWindow != nullptr;
}

intptr_t RunOnMainThread(RelayFunction function, void* context) {
  if (relayWindow == nullptr) return 0;
  return static_cast<intptr_t>(
      SendMessageA(relayWindow, kRelayRun, reinterpret_cast<WPARAM>(function), reinterpret_cast<LPARAM>(context)));
}
