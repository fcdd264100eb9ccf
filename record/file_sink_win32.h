// The client's recording sink: one file written through the system's own
// calls, so that a full disk or a removed drive is reported in its words.
// Threading as record/record_sink.h says.
#pragma once
#include <windows.h>

#include "record/record_sink.h"

struct FileSinkFile {
  HANDLE file;
};
RecordSink FileRecordSink(FileSinkFile* file);
