// Recording in the client: the "Record..." menu item, its save dialog, the
// session recorder on every link's taps, and the boxes that say why a
// recording ended.
//
// Threading: main thread only, except that the recorder's taps run where
// the links call them (record/session_recorder.h).
#pragma once
#include <windows.h>

#include "record/session_recorder.h"

// The one recorder, attached to the links' taps for the whole run.
extern SessionRecorder sessionRecorder;

// Posted by the recorder's writer thread once the file is closed.
constexpr UINT kRecordingEndedMessage = WM_APP + 0x40;

// At window creation, before any link opens.
void InitRecording();

// "Record...": asks for a file and starts; "Stop Recording": stops.
void ToggleRecording(HWND window);

// The recording ended by itself or was stopped: says why, when it was not
// the user who stopped it, and gives the menu item back.
void OnRecordingEnded(HWND window);

// At WM_DESTROY, after the links have closed: flushes and closes the file.
void EndRecordingAtExit();

// The status bar's recording part (UTF-8), empty when not recording.
int RecordingStatusText(char* out, int room);
