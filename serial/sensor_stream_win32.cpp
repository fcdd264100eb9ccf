// Link 3's receive function and the sensor stream's part of dialog 250: the
// filter, the counter and the stream display.
//
// Threading: ProcessSensorStream runs on link 3's reader thread; everything
// else on the main thread, which alone touches dialog 250. The reader hands
// each selected line to the main thread through the relay, which shows it
// only if dialog 250 is still open. So the reader never writes into a closed
// dialog, lines appear in arrival order, and the reader's line stays valid
// while it is shown.
#include <windows.h>

#include <atomic>

#include "app/relay_win32.h"
#include "res/resource.h"
#include "serial/sensor_stream.h"
#include "serial/serial_link_win32.h"

namespace {

SensorStream sensorStream;
// Dialog 250 is open: stored by the main thread, read by the reader at each
// chunk and before each line.
std::atomic<bool> sensorDialogOpen;
HWND sensorDialog;      // main thread only
uint32_t matchCounter;  // main thread only

// On the main thread, through the relay.
intptr_t ShowLineInDialog(void* line) {
  if (sensorDialog == nullptr) return 0;
  AppendStreamLine(sensorDialog, static_cast<const char*>(line));
  return 1;
}

intptr_t CountLineInDialog(void*) {
  if (sensorDialog != nullptr) PostMessageA(sensorDialog, WM_COMMAND, ID_SENSOR_MATCH, 0);
  return 0;
}

bool StreamDialogOpen(void*) {
  return sensorDialogOpen.load(std::memory_order_acquire);
}

bool StreamAppendLine(void*, const char* line) {
  return RunOnMainThread(ShowLineInDialog, const_cast<char*>(line)) != 0;
}

void StreamCountLine(void*) {
  RunOnMainThread(CountLineInDialog, nullptr);
}

const SensorStreamSink kStreamSink{StreamDialogOpen, StreamAppendLine, StreamCountLine, nullptr};

}  // namespace

void ProcessSensorStream(HWND, const uint8_t* bytes, int count) {
  FeedSensorStream(&sensorStream, &kStreamSink, bytes, count);
}

void RegisterSensorDialog(HWND dialog) {
  sensorDialog = dialog;
  // Without a relay the stream has nowhere to go: it stays discarded.
  sensorDialogOpen.store(CreateRelay(), std::memory_order_release);
}

void UnregisterSensorDialog() {
  sensorDialogOpen.store(false, std::memory_order_release);
  sensorDialog = nullptr;
}

void ShowSensorFormatter(HWND dialog) {
  char text[kStreamFormatterChars + 1];
  StreamFormatterText(&sensorStream, text);
  SetDlgItemTextA(dialog, IDC_FORMATTER, text);
}

void ReadSensorFormatter(HWND dialog) {
  matchCounter = 0;
  SetDlgItemInt(dialog, IDC_COUNTER, 0, FALSE);
  char text[kStreamFormatterChars + 1];
  GetDlgItemTextA(dialog, IDC_FORMATTER, text, sizeof text);
  SetStreamFormatter(&sensorStream, text);
}

void CountSensorMatch(HWND dialog) {
  ++matchCounter;
  SetDlgItemInt(dialog, IDC_COUNTER, matchCounter, FALSE);
}

void AppendStreamLine(HWND dialog, const char* line) {
  char text[kStreamDisplayRoom];
  GetDlgItemTextA(dialog, IDC_STREAM, text, sizeof text);
  const int length = AppendToStreamDisplay(text, line);
  SetDlgItemTextA(dialog, IDC_STREAM, text);
  // Caret to the end, so that the newest line is the one scrolled into view.
  SendDlgItemMessageA(dialog, IDC_STREAM, EM_SETSEL, length, length);
  SendDlgItemMessageA(dialog, IDC_STREAM, EM_SCROLLCARET, 0, 0);
}
