// The recording sink on the C library's streams.
#include <cerrno>
#include <cstring>

#include "record/record_sink.h"

namespace {

bool SystemReason(char* reason) {
  snprintf(reason, kRecordReasonRoom, "%s", strerror(errno != 0 ? errno : EIO));
  return false;
}

bool OpenStream(void* context, const char* path, char* reason) {
  auto* f = static_cast<StdioSinkFile*>(context);
  errno = 0;
  f->file = fopen(path, "wb");
  if (f->file == nullptr) return SystemReason(reason);
  setvbuf(f->file, nullptr, _IONBF, 0);
  return true;
}

bool WriteStream(void* context, const char* bytes, int count, char* reason) {
  auto* f = static_cast<StdioSinkFile*>(context);
  errno = 0;
  return fwrite(bytes, 1, static_cast<size_t>(count), f->file) == static_cast<size_t>(count) || SystemReason(reason);
}

bool FlushStream(void* context, char* reason) {
  auto* f = static_cast<StdioSinkFile*>(context);
  errno = 0;
  return fflush(f->file) == 0 || SystemReason(reason);
}

bool CloseStream(void* context, char* reason) {
  auto* f = static_cast<StdioSinkFile*>(context);
  errno = 0;
  const int closed = fclose(f->file);
  f->file = nullptr;
  return closed == 0 || SystemReason(reason);
}

}  // namespace

RecordSink StdioRecordSink(StdioSinkFile* file) {
  return {OpenStream, WriteStream, FlushStream, CloseStream, file};
}
