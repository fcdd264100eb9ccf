// The generic message view: the decoded record's title and fields as a
// two-column list view (label, value), written once when the dialog opens.
// The texts are UTF-8 and go to the controls through the W functions, so
// that the degree sign shows. Main thread only (inside the dialog's modal
// loop).
#include "views/generic_view_win32.h"

#include <commctrl.h>

#include "app/utf8_text_win32.h"
#include "views/generic_view.h"
#include "views/message_dialog_win32.h"
#include "views/view_ids.h"

namespace {

// A UTF-8 text never takes more UTF-16 units than it has bytes.
constexpr int kWideText = kGenericValueText;

void AddColumn(HWND list, int index, const wchar_t* heading) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(heading);
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void AddRow(HWND list, int index, const GenericRow& row) {
  wchar_t text[kWideText];
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = text;
  WidenUtf8(row.label, text, kWideText);
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  WidenUtf8(row.value, text, kWideText);
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int ColumnWidth(HWND list, int column) {
  return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

// Column `column` as wide as its widest text, the heading's included, and
// at least `least` pixels.
void FitColumn(HWND list, int column, int least) {
  SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), LVSCW_AUTOSIZE);
  const int texts = ColumnWidth(list, column);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), LVSCW_AUTOSIZE_USEHEADER);
  int width = ColumnWidth(list, column);
  if (width < texts) width = texts;
  if (width < least) width = least;
  SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width);
}

// Labels whole; values whole too, filling the rest of the list (less room
// for a vertical scroll bar, so that one does not bring a horizontal one
// with it): a value wider than that (the hex of a long message) scrolls
// sideways rather than being cut.
void SizeColumns(HWND list) {
  FitColumn(list, 0, 0);
  RECT client;
  GetClientRect(list, &client);
  const int rest = client.right - client.left - ColumnWidth(list, 0) - GetSystemMetrics(SM_CXVSCROLL);
  FitColumn(list, 1, rest);
}

void FillView(HWND dialog) {
  // Static: a view is modal and filled once, so one list serves every view.
  static GenericRow rows[kMaxGenericRows];
  char title[128];
  wchar_t wide[kWideText];
  FormatGenericTitle(decodedMessage, title, sizeof title);
  WidenUtf8(title, wide, kWideText);
  SetWindowTextW(dialog, wide);

  HWND list = GetDlgItem(dialog, generic_cells::kFields);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
  AddColumn(list, 0, L"Field");
  AddColumn(list, 1, L"Value");
  const int count = FillGenericRows(decodedMessage, rows);
  for (int i = 0; i < count; ++i) AddRow(list, i, rows[i]);
  SizeColumns(list);
  SetFocus(list);  // the arrow keys scroll the rows at once
}

}  // namespace

INT_PTR CALLBACK GenericViewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // Only the filling is the generic view's own: it closes as every view does.
  if (message != WM_INITDIALOG) return MessageDialogProc(dialog, message, wParam, lParam);
  FillView(dialog);
  return FALSE;  // focus already set
}
