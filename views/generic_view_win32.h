// The generic message view's dialog: any decoded message as a list of its
// fields.
#pragma once
#include <windows.h>

// The procedure of the generic view template: on opening, the title and the
// rows come from decodedMessage (views/message_dialog_win32.h); Escape and
// the close box end the dialog.
INT_PTR CALLBACK GenericViewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
