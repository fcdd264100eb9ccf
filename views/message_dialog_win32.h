// The message view dialogs opened from the timeline.
#pragma once
#include <windows.h>

#include "ais/decoded_message.h"

// The one decoded record the views read; filled by the click before a view
// opens, read only while a view initialises.
extern DecodedMessage decodedMessage;

// Opens dialog template `templateId` modally, owned by `owner`, with the view
// code as its initial parameter; the cells come from decodedMessage.
INT_PTR OpenMessageView(HWND owner, int templateId, int viewCode);

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
