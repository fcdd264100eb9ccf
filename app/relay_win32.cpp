// The relay window: a message-only window whose one message carries the
// function to run and its context. Created on the main thread, so that
// SendMessage from any other thread runs the function there.
#include "app/relay_win32.h"

#include <windows.h>

#include <atomic>

namespace {

constexpr UINT kRelayRun = WM_APP + 1;  // wParam: the function; lParam: its context
constexpr char kRelayClass[] = "AsmRelay";

// Made on the main thread, at start-up or, should that fail, when the sensor
// dialog opens; read by any thread.
std::atomic<HWND> relayWindow;

LRESULT CALLBACK RelayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRelayRun) return DefWindowProcA(window, message, wParam, lParam);
  const auto function = reinterpret_cast<RelayFunction>(wParam);
  return static_cast<LRESULT>(function(reinterpret_cast<void*>(lParam)));
}

}  // namespace

bool CreateRelay() {
  if (relayWindow.load() != nullptr) return true;
  const HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA relayClass{};
  relayClass.lpfnWndProc = RelayWindowProc;
  relayClass.hInstance = module;
  relayClass.lpszClassName = kRelayClass;
  RegisterClassA(&relayClass);  // fails harmlessly if already registered
  const HWND window = CreateWindowExA(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  relayWindow.store(window);
  return window != nullptr;
}

intptr_t RunOnMainThread(RelayFunction function, void* context) {
  const HWND window = relayWindow.load();
  if (window == nullptr) return 0;
  return static_cast<intptr_t>(
      SendMessageA(window, kRelayRun, reinterpret_cast<WPARAM>(function), reinterpret_cast<LPARAM>(context)));
}
