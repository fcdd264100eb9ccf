#include "app/utf8_text_win32.h"

void WidenUtf8(const char* utf8, wchar_t* out, int room) {
  if (room <= 0) return;
  if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, room) == 0) out[0] = L'\0';
}
