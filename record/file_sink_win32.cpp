// The recording sink on CreateFileW and WriteFile; paths arrive as UTF-8.
#include "record/file_sink_win32.h"

#include <cstdio>

namespace {

// The system's message for `error` as UTF-8 without its line end, into
// `reason`. Returns false, for the sink's failures.
bool SystemReason(DWORD error, char* reason) {
  wchar_t text[kRecordReasonRoom];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                kRecordReasonRoom, nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) --length;
  const int room = kRecordReasonRoom;
  const int bytes =
      length > 0 ? WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason, room - 1, nullptr, nullptr)
                 : 0;
  if (bytes > 0)
    reason[bytes] = 0;
  else
    snprintf(reason, room, "system error %lu", static_cast<unsigned long>(error));
  return false;
}

bool OpenFile(void* context, const char* path, char* reason) {
  auto* f = static_cast<FileSinkFile*>(context);
  wchar_t widePath[MAX_PATH * 2];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, widePath, MAX_PATH * 2) == 0)
    return SystemReason(GetLastError(), reason);
  // Others may read the file while it grows (a text editor, tail).
  f->file =
      CreateFileW(widePath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f->file == INVALID_HANDLE_VALUE) {
    f->file = nullptr;
    return SystemReason(GetLastError(), reason);
  }
  return true;
}

bool WriteAll(void* context, const char* bytes, int count, char* reason) {
  auto* f = static_cast<FileSinkFile*>(context);
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(f->file, bytes, static_cast<DWORD>(count), &written, nullptr))
      return SystemReason(GetLastError(), reason);
    // A write that takes nothing and reports no error would loop for ever.
    if (written == 0) return SystemReason(ERROR_DISK_FULL, reason);
    bytes += written;
    count -= static_cast<int>(written);
  }
  return true;
}

bool FlushFile(void* context, char* reason) {
  auto* f = static_cast<FileSinkFile*>(context);
  return FlushFileBuffers(f->file) || SystemReason(GetLastError(), reason);
}

bool CloseFile(void* context, char* reason) {
  auto* f = static_cast<FileSinkFile*>(context);
  const BOOL closed = CloseHandle(f->file);
  f->file = nullptr;
  return closed || SystemReason(GetLastError(), reason);
}

}  // namespace

RecordSink FileRecordSink(FileSinkFile* file) {
  return {OpenFile, WriteAll, FlushFile, CloseFile, file};
}
