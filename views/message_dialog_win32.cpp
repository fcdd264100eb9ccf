// The message view dialogs: one procedure for every view template with
// cells; it fills them once from decodedMessage when the dialog opens. The
// generic view has a procedure of its own (views/generic_view_win32.cpp).
// Main thread only (inside the dialog's modal loop).
#include "views/message_dialog_win32.h"

#include "views/generic_view_win32.h"
#include "views/view_ids.h"
#include "views/view_model.h"

DecodedMessage decodedMessage;

INT_PTR OpenMessageView(HWND owner, int templateId, int viewCode) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // The generic view lists the record's fields; every other view fills its template's cells.
  const DLGPROC procedure = templateId == view_template::kGeneric ? GenericViewProc : MessageDialogProc;
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure, static_cast<LPARAM>(viewCode));
}

static void FillCells(HWND dialog, int viewCode) {
  // Static: a view is modal and filled once, so one list serves every view.
  static ViewCell cells[kMaxViewCells];
  int count = FillViewCells(viewCode, decodedMessage, cells);
  for (int i = 0; i < count; ++i) SetDlgItemTextA(dialog, cells[i].controlId, cells[i].text);
}

INT_PTR CALLBACK MessageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FillCells(dialog, static_cast<int>(lParam));
      SetFocus(dialog);
      return FALSE;  // focus already set
    case WM_COMMAND:
      // The close box and Escape both arrive as IDCANCEL; the views have no buttons.
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
