// The client's recording: the save dialog, the menu item's two texts, and
// the message boxes; the recorder itself is portable.
#include "app/recording_win32.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "app/shell_win32.h"
#include "app/unix_time_win32.h"
#include "app/utf8_text_win32.h"
#include "monitor/status_bar_win32.h"
#include "record/file_sink_win32.h"
#include "res/resource.h"
#include "serial/serial_link_win32.h"

SessionRecorder sessionRecorder;

namespace {

int64_t RecorderClock(void*) {
  return UnixTimeMs();
}

// A link opened, before its reader starts: its lines carry the port's name.
void NoteRecordedPort(void* context, int link, const char* portName) {
  if (portName != nullptr) SetRecordedPort(static_cast<SessionRecorder*>(context), link, portName);
}

constexpr wchar_t kRecordCaption[] = L"Record";
constexpr wchar_t kRecordTitle[] = L"Record Session";
constexpr wchar_t kRecordFilter[] = L"NMEA recordings (*.nmea)\0*.nmea\0All files (*.*)\0*.*\0";
constexpr int kPathRoom = MAX_PATH * 2;

FileSinkFile recordFile;
char recordPath[kPathRoom * 3];  // UTF-8, for the boxes and the status text

// The writer thread: the main window finishes the recording.
void PostRecordingEnded(void*) {
  PostMessageW(mainWindow, kRecordingEndedMessage, 0, 0);
}

void SetRecordMenuText(HWND window, const wchar_t* text) {
  ModifyMenuW(GetMenu(window), ID_RECORD, MF_BYCOMMAND | MF_STRING, ID_RECORD, text);
  DrawMenuBar(window);  // the item sits on the menu bar itself
  ShowRecordingStatus();
}

// A box's text holds the path and a reason at most; UTF-16 takes no more
// units than UTF-8 takes bytes.
constexpr int kBoxTextRoom = sizeof recordPath + 2 * kRecordReasonRoom;

void ShowUtf8Box(HWND window, const char* text, UINT icon) {
  wchar_t wide[kBoxTextRoom];
  WidenUtf8(text, wide, kBoxTextRoom);
  MessageBoxW(window, wide, kRecordCaption, icon);
}

// asm-YYYYMMDD-HHMMSS.nmea in the user's documents folder, local time.
void DefaultRecordPath(wchar_t* out, int room) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t name[64];
  swprintf(name, 64, L"asm-%04u%02u%02u-%02u%02u%02u.nmea", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
           now.wSecond);
  PWSTR folder = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder)) && folder != nullptr)
    swprintf(out, room, L"%ls\\%ls", folder, name);
  else
    swprintf(out, room, L"%ls", name);
  CoTaskMemFree(folder);
}

// The file's name without its folder.
const char* FileName(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != 0; ++c)
    if (*c == '\\' || *c == '/') name = c + 1;
  return name;
}

void StartRecordingTo(HWND window, const wchar_t* path) {
  if (WideCharToMultiByte(CP_UTF8, 0, path, -1, recordPath, sizeof recordPath, nullptr, nullptr) == 0) return;
  char reason[kRecordReasonRoom];
  if (!StartRecording(&sessionRecorder, FileRecordSink(&recordFile), recordPath, reason)) {
    char text[kBoxTextRoom];
    snprintf(text, sizeof text, "Cannot record to %s:\n%s", recordPath, reason);
    ShowUtf8Box(window, text, MB_ICONERROR);
    return;
  }
  SetRecordMenuText(window, L"Stop Recording");
}

void AskAndStart(HWND window) {
  wchar_t path[kPathRoom];
  DefaultRecordPath(path, kPathRoom);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = kRecordFilter;
  dialog.lpstrFile = path;
  dialog.nMaxFile = kPathRoom;
  dialog.lpstrTitle = kRecordTitle;
  dialog.lpstrDefExt = L"nmea";
  // The client's working folder stays where it was.
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (GetSaveFileNameW(&dialog)) StartRecordingTo(window, path);
}

// A recording that ended other than by the user's wish is told.
void TellRecordingEnd(HWND window, const RecordingReport& report) {
  if (report.end != kRecordingBufferFull && report.end != kRecordingWriteFailed) return;
  char text[kBoxTextRoom];
  DescribeRecordingEnd(report, recordPath, text, sizeof text);
  ShowUtf8Box(window, text, MB_ICONWARNING);
}

}  // namespace

void InitRecording() {
  InitSessionRecorder(&sessionRecorder, RecorderHooks{RecorderClock, PostRecordingEnded, nullptr});
  sessionRecorder.tap.state = NoteRecordedPort;
  AttachLinkTap(&linkTaps, &sessionRecorder.tap);
}

void ToggleRecording(HWND window) {
  if (ReadRecorderStatus(&sessionRecorder).state == kRecorderIdle) {
    AskAndStart(window);
    return;
  }
  RecordingReport report;
  StopRecording(&sessionRecorder, &report);
  SetRecordMenuText(window, L"Record...");
  TellRecordingEnd(window, report);
}

void OnRecordingEnded(HWND window) {
  RecordingReport report;
  // A stop the user asked for has been finished already.
  if (!FinishRecording(&sessionRecorder, &report)) return;
  SetRecordMenuText(window, L"Record...");
  TellRecordingEnd(window, report);
}

void EndRecordingAtExit() {
  RecordingReport report;
  StopRecording(&sessionRecorder, &report);
}

int RecordingStatusText(char* out, int room) {
  return FormatRecordingStatus(ReadRecorderStatus(&sessionRecorder), FileName(recordPath), out, room);
}
