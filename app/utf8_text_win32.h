// Texts cross from the portable parts, which speak UTF-8, to the wide Win32
// calls here.
#pragma once
#include <windows.h>

// `utf8` as UTF-16 in `out`, which has room for `room` units: empty when it
// does not fit, never left unterminated.
void WidenUtf8(const char* utf8, wchar_t* out, int room);
