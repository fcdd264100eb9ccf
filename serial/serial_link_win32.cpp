// The serial links: opening and configuring a COM port, the reader thread
// that hands received chunks to the link's receive function, overlapped
// writes, and closing.
//
// Threading: OpenLink, CloseLink, ToggleLink and WriteLink run on the main
// thread. Each open link has exactly one reader thread (LinkReaderThread).
// The main thread writes a link's port, stop event and delivery window
// before it starts the reader and releases them only after the reader has
// ended; while it waits for that end it keeps handling the messages the
// reader may be sending it. The write records belong to the main thread.
#include "serial/serial_link_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/shell_win32.h"
#include "res/resource.h"
#include "serial/baud_text.h"

namespace {

constexpr DWORD kDriverQueueBytes = 10000;
constexpr DWORD kChunkBytes = 128;
constexpr DWORD kAllPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr int kWriteRecords = 32;
constexpr DWORD kWriteRecordBytes = 128;  // an NMEA sentence (at most 82 characters) fits one record
// Longest the main thread waits for the port to take pending writes: for a
// free write record, and before a close purges what is still queued.
constexpr DWORD kWriteWaitMs = 250;
// A port that fails without blocking (an unplugged adapter) is retried at a
// falling rate instead of spinning.
constexpr DWORD kRetryFirstMs = 50;
constexpr DWORD kRetryLastMs = 1000;

}  // namespace

// One overlapped write: its record and its copy of the bytes stay untouched
// until the transfer has completed.
struct WriteRecord {
  OVERLAPPED overlapped;  // its event is created once and kept for the run
  char bytes[kWriteRecordBytes];
};

// A link's reader and write state, beside its record.
struct SerialLinkIo {
  bool prepared;        // the events below exist (created at the first open, kept for the run)
  bool closing;         // main thread: CloseLink is under way
  HANDLE stopEvent;     // manual reset; set by the main thread to end the reader's waits
  HANDLE readEvent;     // the reader's overlapped waits and reads
  HWND window;          // delivery window; written by the main thread before the reader starts
  char devicePath[32];  // main thread: the device the link holds open
  // Pending writes, a ring in the order they were started: the port sends
  // them in that order, so they complete in it. Main thread only.
  WriteRecord writes[kWriteRecords];
  int writeHead;
  int writeCount;
  // The port took nothing during a whole wait; later writes do not wait
  // again until a record has been released.
  bool writesStalled;
};

namespace {

SerialLinkIo linkIo[kLinkCount];

}  // namespace

SerialLink serialLinks[kLinkCount];

const LinkTraits kLinkTraits[kLinkCount] = {
    // menu item, dialog, stream, closes on Accept, receive, writable
    {ID_PRESENTATION_PORT, IDD_PRESENTATION_SETTINGS, false, true, ReceiveOnPresentationPort, true},
    {ID_NMEA2000_PORT, IDD_NMEA_SETTINGS, false, true, ReceiveOnNmea2000Port, true},
    {ID_SENSOR_ALPHA, IDD_SENSOR_SETTINGS, true, false, ProcessSensorStream, false},
};

namespace {

bool ValidLink(int link) {
  return link >= 0 && link < kLinkCount;
}

// Zeroes an overlapped record for its next request, keeping its event.
void ClearOverlapped(OVERLAPPED* overlapped) {
  const HANDLE event = overlapped->hEvent;
  ZeroMemory(overlapped, sizeof *overlapped);
  overlapped->hEvent = event;
}

// Waits for `handle` while still handling the messages that other threads
// send to this thread's windows: a reader thread may be waiting in such a
// send, and would otherwise never end. `timeoutMs` may be INFINITE.
bool WaitHandlingSentMessages(HANDLE handle, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      const ULONGLONG elapsed = GetTickCount64() - start;
      left = elapsed >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - elapsed);
    }
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &handle, left, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// Windows refuses a second exclusive open of a port, but Wine does not for
// a pseudo-terminal: two links would then split one stream between them.
bool HeldByAnotherLink(int link, const char* path) {
  for (int other = 0; other < kLinkCount; ++other)
    if (other != link && serialLinks[other].port != nullptr && lstrcmpiA(linkIo[other].devicePath, path) == 0)
      return true;
  return false;
}

bool PrepareLinkIo(SerialLinkIo* io) {
  if (io->prepared) return true;
  if (io->stopEvent == nullptr) io->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (io->readEvent == nullptr) io->readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (io->stopEvent == nullptr || io->readEvent == nullptr) return false;
  for (WriteRecord& record : io->writes) {
    if (record.overlapped.hEvent == nullptr) record.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (record.overlapped.hEvent == nullptr) return false;
  }
  io->prepared = true;
  return true;
}

void ApplyLineSettings(DCB* dcb, int32_t rate) {
  dcb->BaudRate = static_cast<DWORD>(rate);
  dcb->fBinary = 1;
  dcb->fParity = 0;
  dcb->fOutxCtsFlow = 0;
  dcb->fOutxDsrFlow = 0;
  dcb->fDtrControl = DTR_CONTROL_DISABLE;
  dcb->fDsrSensitivity = 0;
  dcb->fTXContinueOnXoff = 0;
  dcb->fOutX = 0;
  dcb->fInX = 0;
  dcb->fErrorChar = 0;
  dcb->fNull = 0;
  dcb->fRtsControl = RTS_CONTROL_DISABLE;
  dcb->fAbortOnError = 0;
  dcb->XonLim = 0;
  dcb->XoffLim = 0;
  dcb->ByteSize = 8;
  dcb->Parity = NOPARITY;
  dcb->StopBits = ONESTOPBIT;
}

// ---- Writes (main thread) ----

// Releases the records of writes that have completed, oldest first.
void ReclaimWrites(SerialLink* link) {
  SerialLinkIo* io = &linkIo[link - serialLinks];
  while (io->writeCount > 0) {
    WriteRecord& record = io->writes[io->writeHead];
    if (!HasOverlappedIoCompleted(&record.overlapped)) break;
    DWORD written = 0;
    GetOverlappedResult(link->port, &record.overlapped, &written, FALSE);
    io->writeHead = (io->writeHead + 1) % kWriteRecords;
    --io->writeCount;
    io->writesStalled = false;
  }
}

// Waits, at most until `deadline`, until `wanted` write records are free.
bool WaitForWriteRecords(SerialLink* link, int wanted, ULONGLONG deadline) {
  SerialLinkIo* io = &linkIo[link - serialLinks];
  ReclaimWrites(link);
  while (kWriteRecords - io->writeCount < wanted) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline || io->writesStalled) {
      io->writesStalled = true;
      return false;
    }
    WaitHandlingSentMessages(io->writes[io->writeHead].overlapped.hEvent, static_cast<DWORD>(deadline - now));
    ReclaimWrites(link);
  }
  return true;
}

// Ends every pending write before the port handle goes: they have been
// purged, so each completes at once, cancelled.
void EndPendingWrites(SerialLink* link) {
  SerialLinkIo* io = &linkIo[link - serialLinks];
  for (; io->writeCount > 0; --io->writeCount) {
    WriteRecord& record = io->writes[io->writeHead];
    DWORD written = 0;
    CancelIoEx(link->port, &record.overlapped);
    GetOverlappedResult(link->port, &record.overlapped, &written, TRUE);
    io->writeHead = (io->writeHead + 1) % kWriteRecords;
  }
  io->writeHead = 0;
}

// ---- Reader thread ----

enum IoResult { kIoDone, kIoStopped, kIoFailed };

// The reader thread's own view of its link.
struct Reader {
  SerialLink* link;
  HANDLE port;
  HANDLE stopEvent;
  HWND window;
  ReceiveFunction receive;
  OVERLAPPED overlapped;
  uint8_t buffer[kChunkBytes];
};

// Waits for an overlapped request begun on the port. When the link is being
// closed, cancels it and waits for it to end, so that its record and buffer
// are no longer in use when the reader leaves.
IoResult FinishIo(Reader* reader, BOOL started, DWORD* transferred) {
  *transferred = 0;
  if (started) return GetOverlappedResult(reader->port, &reader->overlapped, transferred, FALSE) ? kIoDone : kIoFailed;
  if (GetLastError() != ERROR_IO_PENDING) return kIoFailed;
  const HANDLE handles[2] = {reader->overlapped.hEvent, reader->stopEvent};
  if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
    CancelIoEx(reader->port, &reader->overlapped);
    GetOverlappedResult(reader->port, &reader->overlapped, transferred, TRUE);
    return kIoStopped;
  }
  return GetOverlappedResult(reader->port, &reader->overlapped, transferred, FALSE) ? kIoDone : kIoFailed;
}

IoResult ReadPort(Reader* reader, uint8_t* into, DWORD count, DWORD* got) {
  ClearOverlapped(&reader->overlapped);
  const BOOL started = ReadFile(reader->port, into, count, nullptr, &reader->overlapped);
  return FinishIo(reader, started, got);
}

IoResult WaitForReceivedCharacter(Reader* reader, DWORD* events) {
  ClearOverlapped(&reader->overlapped);
  *events = 0;
  DWORD unused = 0;
  const BOOL started = WaitCommEvent(reader->port, events, &reader->overlapped);
  return FinishIo(reader, started, &unused);
}

// One read step: tops the buffer, which already holds `have` bytes, up with
// what the driver has queued (128 bytes in all at most) and delivers it.
IoResult ReadLinkChunk(Reader* reader, DWORD have, DWORD* delivered) {
  *delivered = 0;
  DWORD errors = 0;
  COMSTAT status{};
  // The error flags are only cleared, never reported.
  if (!ClearCommError(reader->port, &errors, &status)) {
    if (have == 0) return kIoFailed;
    status.cbInQue = 0;
  }
  const DWORD wanted = std::min<DWORD>(status.cbInQue, kChunkBytes - have);
  if (wanted > 0) {
    DWORD got = 0;
    const IoResult result = ReadPort(reader, reader->buffer + have, wanted, &got);
    if (result == kIoStopped) return result;
    if (result == kIoDone) have += got;
  }
  if (have == 0) return kIoDone;
  reader->receive(reader->window, reader->buffer, static_cast<int>(have));
  *delivered = have;
  return kIoDone;
}

// Delivers everything queued, chunk by chunk. A port signals a received
// character once, so bytes left queued after one chunk would otherwise wait
// for the next arrival.
IoResult DeliverQueued(Reader* reader, DWORD have, DWORD* delivered) {
  *delivered = 0;
  for (;;) {
    DWORD chunk = 0;
    const IoResult result = ReadLinkChunk(reader, have, &chunk);
    *delivered += chunk;
    if (result != kIoDone || chunk == 0 || !reader->link->connected) return result;
    have = 0;
  }
}

DWORD WINAPI LinkReaderThread(LPVOID parameter) {
  SerialLinkIo* io = static_cast<SerialLinkIo*>(parameter);
  const int link = static_cast<int>(io - linkIo);
  Reader reader{};
  reader.link = &serialLinks[link];
  reader.port = reader.link->port;
  reader.stopEvent = io->stopEvent;
  reader.window = io->window;
  reader.receive = kLinkTraits[link].receive;
  reader.overlapped.hEvent = io->readEvent;

  // Where the port cannot report received characters, the byte read below
  // serves alone.
  bool characterEvents = SetCommMask(reader.port, EV_RXCHAR) != 0;
  DWORD retryMs = 0;
  while (reader.link->connected) {
    DWORD delivered = 0;
    if (characterEvents) {
      DWORD events = 0;
      IoResult result = WaitForReceivedCharacter(&reader, &events);
      // A port whose wait fails instead of reporting (Wine aborts every wait
      // on a pseudo-terminal at once) is not asked again while it stays
      // open: each such wait costs Wine a thread and leaks its memory, half
      // a kilobyte per chunk received. The byte read below does the waiting.
      if (result == kIoFailed) characterEvents = false;
      if (result == kIoDone && (events & EV_RXCHAR)) result = DeliverQueued(&reader, 0, &delivered);
      if (result == kIoStopped) break;
    }
    if (delivered == 0) {
      // The wait ended without data: a port without line events (a
      // pseudo-terminal under Wine ends every wait at once, aborted) or a
      // spurious wake-up. Waiting again would spin; a one-byte read instead
      // blocks until data arrives, on every kind of port.
      DWORD got = 0;
      IoResult result = ReadPort(&reader, reader.buffer, 1, &got);
      if (result == kIoDone && got == 1) result = DeliverQueued(&reader, 1, &delivered);
      if (result == kIoStopped) break;
    }
    if (delivered > 0) {
      retryMs = 0;
      continue;
    }
    retryMs = retryMs == 0 ? kRetryFirstMs : std::min(retryMs * 2, kRetryLastMs);
    if (WaitForSingleObject(reader.stopEvent, retryMs) != WAIT_TIMEOUT) break;
  }
  return 0;
}

}  // namespace

int OpenLink(int link, HWND window, const char* portName, const char* baudText) {
  if (!ValidLink(link)) return 0;
  SerialLink* record = &serialLinks[link];
  SerialLinkIo* io = &linkIo[link];
  // A link never has two readers: a previous one is ended first.
  if (record->port != nullptr || record->readerThread != nullptr) CloseLink(link);

  // A rate of zero or below opens no real port; refuse it before touching
  // the device rather than depend on the driver to.
  const int32_t rate = BaudRateFromText(baudText);
  char path[32];
  if (rate <= 0 || !LinkDevicePath(portName, path, sizeof path) || HeldByAnotherLink(link, path) || !PrepareLinkIo(io))
    return 0;

  const HANDLE port =
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) return 0;
  SetCommMask(port, EV_RXCHAR);
  SetupComm(port, kDriverQueueBytes, kDriverQueueBytes);
  PurgeComm(port, kAllPurgeFlags);
  COMMTIMEOUTS timeouts{};  // all 0: reads and writes wait until they are done
  SetCommTimeouts(port, &timeouts);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) {
    CloseHandle(port);
    return 0;
  }
  ApplyLineSettings(&dcb, rate);
  if (!SetCommState(port, &dcb)) {
    CloseHandle(port);
    return 0;
  }

  record->port = port;
  lstrcpynA(io->devicePath, path, sizeof io->devicePath);
  io->window = window;
  io->writeHead = 0;
  io->writeCount = 0;
  io->writesStalled = false;
  ResetEvent(io->stopEvent);
  InterlockedExchange(&record->connected, 1);  // before the reader first tests it
  DWORD threadId = 0;
  const HANDLE thread = CreateThread(nullptr, 0, LinkReaderThread, io, 0, &threadId);
  if (thread == nullptr) {
    InterlockedExchange(&record->connected, 0);
    record->port = nullptr;
    CloseHandle(port);
    return 0;
  }
  record->readerThread = thread;
  record->readerThreadId = threadId;
  return 1;
}

int CloseLink(int link) {
  if (!ValidLink(link)) return 1;
  SerialLink* record = &serialLinks[link];
  SerialLinkIo* io = &linkIo[link];
  InterlockedExchange(&record->connected, 0);
  if (record->port == nullptr || io->closing) return 1;
  io->closing = true;

  // Sentences handed over just before the close still go out if the port
  // takes them soon; the purge below drops only what it does not.
  WaitForWriteRecords(record, kWriteRecords, GetTickCount64() + kWriteWaitMs);

  SetEvent(io->stopEvent);
  SetCommMask(record->port, 0);
  PurgeComm(record->port, kAllPurgeFlags);
  if (record->readerThread != nullptr) {
    WaitHandlingSentMessages(record->readerThread, INFINITE);
    CloseHandle(record->readerThread);
    record->readerThread = nullptr;
    record->readerThreadId = 0;
  }
  EndPendingWrites(record);
  CloseHandle(record->port);
  record->port = nullptr;
  io->closing = false;
  return 1;
}

int ToggleLink(int link, HWND window, UINT menuItem, const char* portName, const char* baudText) {
  if (!ValidLink(link)) return 0;
  int connected = 0;
  if (serialLinks[link].connected)
    CloseLink(link);
  else
    connected = OpenLink(link, window, portName, baudText);
  SetMenuCheck(window, menuItem, connected);
  return connected;
}

void WriteLink(int link, const char* bytes, int count) {
  if (!ValidLink(link) || !kLinkTraits[link].writable || bytes == nullptr || count <= 0) return;
  SerialLink* record = &serialLinks[link];
  SerialLinkIo* io = &linkIo[link];
  if (!record->connected || record->port == nullptr || io->closing) return;

  // The whole write waits (briefly) for its records, so that a port that has
  // stopped taking data loses whole sentences, never parts of one.
  const int pieces = static_cast<int>((static_cast<DWORD>(count) + kWriteRecordBytes - 1) / kWriteRecordBytes);
  const ULONGLONG deadline = GetTickCount64() + kWriteWaitMs;
  int written = 0;
  for (int piece = 0; piece < pieces; ++piece) {
    const int wanted = piece == 0 ? std::min(pieces, kWriteRecords) : 1;
    if (!WaitForWriteRecords(record, wanted, deadline) || record->port == nullptr) {
      char trace[96];
      snprintf(trace, sizeof trace, "asm-client: link %d dropped %d bytes: the port takes no data\n", link + 1,
               count - written);
      OutputDebugStringA(trace);
      return;
    }
    WriteRecord& slot = io->writes[(io->writeHead + io->writeCount) % kWriteRecords];
    const DWORD length = std::min<DWORD>(static_cast<DWORD>(count - written), kWriteRecordBytes);
    memcpy(slot.bytes, bytes + written, length);
    ClearOverlapped(&slot.overlapped);
    written += static_cast<int>(length);
    // A write that fails at once holds no record; failures are not reported.
    if (WriteFile(record->port, slot.bytes, length, nullptr, &slot.overlapped) || GetLastError() == ERROR_IO_PENDING)
      ++io->writeCount;
  }
}
