// The "Compose" dialog: a modeless window, one at most, that composes a
// message for the transponder, sends it on link 1 or 2 and lists every
// transmission with its acknowledgement. Main thread only.
#pragma once
#include <windows.h>

// "Compose...": opens the dialog, or brings the open one to the front.
void OpenComposeDialog(HWND owner);

// The message loop's turn for the dialog's keyboard (Tab, Enter, Escape):
// true when the message was the dialog's and is handled.
bool IsComposeDialogMessage(MSG* message);

// Redraws the transmissions list when the tracker has changed since it was
// last drawn, and keeps the expiry timer to the next deadline. Does nothing
// while the dialog is closed.
void ShowTransmissionChanges();
