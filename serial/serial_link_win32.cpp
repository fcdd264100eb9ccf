// The serial links: opening and configuring a COM port, the reader thread
// that hands received chunks to the link's receive function and its taps,
// overlapped writes reported to the taps, and closing.
//
// Threading: OpenLink, CloseLink, ToggleLink and WriteLink run on the main
// thread. Each link has a session record (the port, the reader's events,
// the write records), reused by every open; an open starts exactly one
// reader thread (LinkReaderThread) on it. The main thread fills the session
// before the reader starts and closes its port only after the reader has
// ended; while it waits for that end it keeps handling the messages the
// reader may be sending it. A reader that does not end in time is abandoned
// together with its session record and port (serial/reader_handover.h), and
// the link goes on with a new record. The write records belong to the main
// thread.
#include "serial/serial_link_win32.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/shell_win32.h"
#include "res/resource.h"
#include "serial/baud_text.h"
#include "serial/reader_handover.h"

namespace {

constexpr DWORD kDriverQueueBytes = 10000;
constexpr DWORD kChunkBytes = 128;
constexpr DWORD kAllPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr int kWriteRecords = 32;
constexpr DWORD kWriteRecordBytes = 128;  // an NMEA sentence (at most 82 characters) fits one record
// Longest the main thread waits for the port to take pending writes: for a
// free write record, and before a close purges what is still queued.
constexpr DWORD kWriteWaitMs = 250;
// Longest a close waits for the reader, and then for cancelled writes, to
// end. A reader wakes within milliseconds of the purge; only a driver that
// never completes a cancelled read makes it wait this long.
constexpr DWORD kReaderEndWaitMs = 5000;
// While the reader is inside its receive function, which returns soon, the
// close looks again at this interval.
constexpr DWORD kDeliveryWaitMs = 100;
// A port that fails without blocking (an unplugged adapter) is retried at a
// falling rate instead of spinning.
constexpr DWORD kRetryFirstMs = 50;
constexpr DWORD kRetryLastMs = 1000;
constexpr char kCloseCaption[] = "Remote Connection Status";

// One overlapped write: its record and its copy of the bytes stay untouched
// until the transfer has completed.
struct WriteRecord {
  OVERLAPPED overlapped;  // its event lives as long as the session
  char bytes[kWriteRecordBytes];
};

// A link's port and everything its reader and its writes use with it.
struct LinkSession {
  int link;
  bool prepared;     // the events below exist (made at the first open, kept with the record)
  bool heap;         // made after an abandonment; the abandoned reader deletes such a record
  HANDLE port;       // none while the link is closed
  HANDLE stopEvent;  // manual reset; set by the close to end the reader's waits
  HANDLE readEvent;  // the reader's overlapped waits and reads
  HWND window;       // delivery window
  ReaderHandover handover;
  char portName[8];     // as opened, for what the user is told
  char devicePath[32];  // the device the session holds open
  // Pending writes, a ring in the order they were started: the port sends
  // them in that order, so they complete in it. Main thread only, or the
  // abandoned reader's once the close has given the record up.
  WriteRecord writes[kWriteRecords];
  int writeHead;
  int writeCount;
  // The port took nothing during a whole wait; later writes do not wait
  // again until a record has been released.
  bool writesStalled;
};

LinkSession sessionRecords[kLinkCount];
// Main thread only: each link's session record, and whether its close is
// under way.
LinkSession* sessions[kLinkCount] = {&sessionRecords[0], &sessionRecords[1], &sessionRecords[2]};
bool closing[kLinkCount];

}  // namespace

SerialLink serialLinks[kLinkCount];
LinkTapList linkTaps;

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

DWORD MsUntil(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// Waits for `handle` while still handling the messages that other threads
// send to this thread's windows: a reader thread may be waiting in such a
// send, and would otherwise never end. `timeoutMs` may be INFINITE.
bool WaitHandlingSentMessages(HANDLE handle, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const DWORD left = timeoutMs == INFINITE ? INFINITE : MsUntil(deadline);
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &handle, left, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// ---- Open failures ----

[[gnu::format(printf, 3, 4)]] int Refuse(LinkOpenFailure* failure, DWORD systemError, const char* format, ...) {
  if (failure == nullptr) return 0;
  failure->systemError = systemError;
  va_list args;
  va_start(args, format);
  int at = vsnprintf(failure->reason, sizeof failure->reason, format, args);
  va_end(args);
  if (systemError == 0 || at < 0 || at >= static_cast<int>(sizeof failure->reason) - 2) return 0;
  // The system's own words, without their line end, then the number.
  char text[160] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, systemError, 0, text, sizeof text,
                 nullptr);
  size_t length = strlen(text);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    text[--length] = '\0';
  snprintf(failure->reason + at, sizeof failure->reason - at, ": %s (error %lu)", length > 0 ? text : "no text",
           static_cast<unsigned long>(systemError));
  return 0;
}

// ---- Sessions ----

void CloseIfHeld(HANDLE* handle) {
  if (*handle != nullptr && *handle != INVALID_HANDLE_VALUE) CloseHandle(*handle);
  *handle = nullptr;
}

bool PrepareSession(LinkSession* session, int link) {
  session->link = link;
  if (session->prepared) return true;
  if (session->stopEvent == nullptr) session->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (session->readEvent == nullptr) session->readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (session->stopEvent == nullptr || session->readEvent == nullptr) return false;
  for (WriteRecord& record : session->writes) {
    if (record.overlapped.hEvent == nullptr) record.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (record.overlapped.hEvent == nullptr) return false;
  }
  session->prepared = true;
  return true;
}

// The abandoned reader's last work: nobody else holds the record any more.
void ReleaseAbandonedSession(LinkSession* session) {
  CloseIfHeld(&session->port);
  CloseIfHeld(&session->stopEvent);
  CloseIfHeld(&session->readEvent);
  for (WriteRecord& record : session->writes) CloseIfHeld(&record.overlapped.hEvent);
  if (session->heap) delete session;
}

// Windows refuses a second exclusive open of a port, but Wine does not for
// a pseudo-terminal: two links would then split one stream between them.
int HeldByAnotherLink(int link, const char* path) {
  for (int other = 0; other < kLinkCount; ++other) {
    const LinkSession* session = sessions[other];
    if (other != link && session != nullptr && session->port != nullptr && lstrcmpiA(session->devicePath, path) == 0)
      return other;
  }
  return -1;
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
void ReclaimWrites(LinkSession* session) {
  while (session->writeCount > 0) {
    WriteRecord& record = session->writes[session->writeHead];
    if (!HasOverlappedIoCompleted(&record.overlapped)) break;
    DWORD written = 0;
    GetOverlappedResult(session->port, &record.overlapped, &written, FALSE);
    session->writeHead = (session->writeHead + 1) % kWriteRecords;
    --session->writeCount;
    session->writesStalled = false;
  }
}

// Waits, at most until `deadline`, until `wanted` write records are free.
// False also when the link was closed meanwhile by a message handled in the
// wait.
bool WaitForWriteRecords(LinkSession* session, int wanted, ULONGLONG deadline) {
  const int link = session->link;
  ReclaimWrites(session);
  while (kWriteRecords - session->writeCount < wanted) {
    if (GetTickCount64() >= deadline || session->writesStalled) {
      session->writesStalled = true;
      return false;
    }
    WaitHandlingSentMessages(session->writes[session->writeHead].overlapped.hEvent, MsUntil(deadline));
    if (sessions[link] != session || session->port == nullptr) return false;
    ReclaimWrites(session);
  }
  return true;
}

// Ends every pending write: they have been purged, so each completes at
// once, cancelled, unless the driver is stuck. With `deadline` 0 it waits
// as long as that takes (the abandoned reader's own clean-up). False when a
// write was still pending at the deadline.
bool EndPendingWrites(LinkSession* session, ULONGLONG deadline) {
  for (; session->writeCount > 0; --session->writeCount) {
    WriteRecord& record = session->writes[session->writeHead];
    CancelIoEx(session->port, &record.overlapped);
    if (WaitForSingleObject(record.overlapped.hEvent, deadline == 0 ? INFINITE : MsUntil(deadline)) != WAIT_OBJECT_0)
      return false;
    DWORD written = 0;
    GetOverlappedResult(session->port, &record.overlapped, &written, FALSE);
    session->writeHead = (session->writeHead + 1) % kWriteRecords;
  }
  session->writeHead = 0;
  return true;
}

// ---- Reader thread ----

enum IoResult { kIoDone, kIoStopped, kIoFailed };

// The reader thread's own view of its session.
struct Reader {
  LinkSession* session;
  int link;
  HANDLE port;
  HANDLE stopEvent;
  HWND window;
  ReceiveFunction receive;
  OVERLAPPED overlapped;
  uint8_t buffer[kChunkBytes];
};

bool Stopping(const Reader* reader) {
  return WaitForSingleObject(reader->stopEvent, 0) == WAIT_OBJECT_0;
}

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

// Hands a chunk to the receive function, then to the taps; false when the
// close has abandoned this reader, which then delivers nothing more.
bool Deliver(Reader* reader, DWORD count) {
  if (!BeginDelivery(&reader->session->handover)) return false;
  reader->receive(reader->window, reader->buffer, static_cast<int>(count));
  TapReceived(&linkTaps, reader->link, reader->buffer, static_cast<int>(count));
  EndDelivery(&reader->session->handover);
  return true;
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
  if (!Deliver(reader, have)) return kIoStopped;
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
    if (result != kIoDone || chunk == 0 || Stopping(reader)) return result;
    have = 0;
  }
}

void RunReader(Reader* reader) {
  // Where the port cannot report received characters, the byte read below
  // serves alone.
  bool characterEvents = SetCommMask(reader->port, EV_RXCHAR) != 0;
  DWORD retryMs = 0;
  while (!Stopping(reader)) {
    DWORD delivered = 0;
    if (characterEvents) {
      DWORD events = 0;
      IoResult result = WaitForReceivedCharacter(reader, &events);
      // A port whose wait fails instead of reporting (Wine aborts every wait
      // on a pseudo-terminal at once) is not asked again while it stays
      // open: each such wait costs Wine a thread and leaks its memory, half
      // a kilobyte per chunk received. The byte read below does the waiting.
      if (result == kIoFailed) characterEvents = false;
      if (result == kIoDone && (events & EV_RXCHAR)) result = DeliverQueued(reader, 0, &delivered);
      if (result == kIoStopped) return;
    }
    if (delivered == 0) {
      // The wait ended without data: a port without line events (a
      // pseudo-terminal under Wine ends every wait at once, aborted) or a
      // spurious wake-up. Waiting again would spin; a one-byte read instead
      // blocks until data arrives, on every kind of port.
      DWORD got = 0;
      IoResult result = ReadPort(reader, reader->buffer, 1, &got);
      if (result == kIoDone && got == 1) result = DeliverQueued(reader, 1, &delivered);
      if (result == kIoStopped) return;
    }
    if (delivered > 0) {
      retryMs = 0;
      continue;
    }
    retryMs = retryMs == 0 ? kRetryFirstMs : std::min(retryMs * 2, kRetryLastMs);
    if (WaitForSingleObject(reader->stopEvent, retryMs) != WAIT_TIMEOUT) return;
  }
}

DWORD WINAPI LinkReaderThread(LPVOID parameter) {
  LinkSession* session = static_cast<LinkSession*>(parameter);
  Reader reader{};
  reader.session = session;
  reader.link = session->link;
  reader.port = session->port;
  reader.stopEvent = session->stopEvent;
  reader.window = session->window;
  reader.receive = kLinkTraits[session->link].receive;
  reader.overlapped.hEvent = session->readEvent;
  RunReader(&reader);
  // Abandoned by the close: nobody else holds the session any more. Its
  // writes were purged; waiting for them here holds up nobody.
  if (EndReaderSession(&session->handover)) {
    CancelIoEx(session->port, nullptr);
    EndPendingWrites(session, 0);
    ReleaseAbandonedSession(session);
  }
  return 0;
}

// ---- Close (main thread) ----

// Waits until the reader has ended or `deadline` has passed; true when it
// has ended and the session is the close's to release, false when the
// reader has been abandoned with it.
bool EndReader(LinkSession* session, HANDLE thread, ULONGLONG deadline) {
  for (;;) {
    if (WaitHandlingSentMessages(thread, MsUntil(deadline))) return true;
    switch (AbandonReader(&session->handover)) {
      case kAbandoned:
        return false;
      case kAlreadyEnded:
        // Past its last step: it returns at once.
        WaitHandlingSentMessages(thread, kDeliveryWaitMs);
        return true;
      case kBusyDelivering:
        deadline = GetTickCount64() + kDeliveryWaitMs;
        break;
    }
  }
}

void TellPortAbandoned(const char* portName) {
  char text[400];
  snprintf(text, sizeof text,
           "%s did not close: its driver has not ended a pending read within %lu seconds (an unplugged USB "
           "adapter can do this).\n\nThe link is closed and can be opened again. %s itself stays busy until its "
           "driver lets it go, at the latest when the adapter is plugged in again or the program ends.",
           portName, static_cast<unsigned long>(kReaderEndWaitMs / 1000), portName);
  // Owned by the settings dialog when the close came from there.
  const HWND active = GetActiveWindow();
  MessageBoxA(active != nullptr ? active : mainWindow, text, kCloseCaption, MB_ICONWARNING);
}

}  // namespace

int OpenLink(int link, HWND window, const char* portName, const char* baudText, LinkOpenFailure* failure) {
  if (failure != nullptr) *failure = LinkOpenFailure{};
  if (!ValidLink(link)) return Refuse(failure, 0, "there is no link %d", link + 1);
  SerialLink* record = &serialLinks[link];
  // A link never has two readers: a previous one is ended first.
  if ((sessions[link] != nullptr && sessions[link]->port != nullptr) || record->readerThread != nullptr)
    CloseLink(link);
  if (closing[link]) return Refuse(failure, 0, "link %d is still closing", link + 1);
  LinkSession* session = sessions[link];
  if (session == nullptr) return Refuse(failure, 0, "no memory for link %d", link + 1);

  // A rate of zero or below opens no real port; refuse it before touching
  // the device rather than depend on the driver to.
  const int32_t rate = BaudRateFromText(baudText);
  if (rate <= 0) return Refuse(failure, 0, "the baud rate \"%s\" is not a positive number", baudText);
  char path[32];
  if (portName == nullptr || portName[0] == '\0') return Refuse(failure, 0, "no COM port chosen");
  if (!LinkDevicePath(portName, path, sizeof path)) return Refuse(failure, 0, "%s is not a COM port name", portName);
  const int holder = HeldByAnotherLink(link, path);
  if (holder >= 0) return Refuse(failure, 0, "%s is open on link %d already", portName, holder + 1);
  if (!PrepareSession(session, link)) return Refuse(failure, GetLastError(), "making the events of link %d", link + 1);

  const HANDLE port =
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    // The two usual causes in plain words, before the system's own.
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      return Refuse(failure, error, "%s does not exist", portName);
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
      return Refuse(failure, error, "%s is in use by another program", portName);
    return Refuse(failure, error, "opening %s", portName);
  }
  SetCommMask(port, EV_RXCHAR);
  SetupComm(port, kDriverQueueBytes, kDriverQueueBytes);
  PurgeComm(port, kAllPurgeFlags);
  COMMTIMEOUTS timeouts{};  // all 0: reads and writes wait until they are done
  SetCommTimeouts(port, &timeouts);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) {
    const DWORD error = GetLastError();
    CloseHandle(port);
    return Refuse(failure, error, "reading the line settings of %s", portName);
  }
  ApplyLineSettings(&dcb, rate);
  if (!SetCommState(port, &dcb)) {
    const DWORD error = GetLastError();
    CloseHandle(port);
    return Refuse(failure, error, "setting %s to %ld baud, 8 data bits, no parity, 1 stop bit", portName,
                  static_cast<long>(rate));
  }

  session->port = port;
  session->window = window;
  session->handover.state.store(kReaderInDriver);
  lstrcpynA(session->portName, portName, sizeof session->portName);
  lstrcpynA(session->devicePath, path, sizeof session->devicePath);
  session->writeHead = 0;
  session->writeCount = 0;
  session->writesStalled = false;
  ResetEvent(session->stopEvent);
  record->connected.store(1);  // before the reader first tests it
  // Before the reader: a tap that labels what arrives (the recorder) knows the port from the first chunk.
  TapLinkState(&linkTaps, link, session->portName);
  const HANDLE thread = CreateThread(nullptr, 0, LinkReaderThread, session, 0, nullptr);
  if (thread == nullptr) {
    const DWORD error = GetLastError();
    record->connected.store(0);
    TapLinkState(&linkTaps, link, nullptr);
    session->port = nullptr;
    CloseHandle(port);
    return Refuse(failure, error, "starting the reader of %s", portName);
  }
  record->port = port;
  record->readerThread = thread;
  return 1;
}

int CloseLink(int link) {
  if (!ValidLink(link)) return 1;
  SerialLink* record = &serialLinks[link];
  record->connected.store(0);
  LinkSession* session = sessions[link];
  if (session == nullptr || session->port == nullptr || closing[link]) return 1;
  closing[link] = true;

  // Sentences handed over just before the close still go out if the port
  // takes them soon; the purge below drops only what it does not.
  WaitForWriteRecords(session, kWriteRecords, GetTickCount64() + kWriteWaitMs);

  SetEvent(session->stopEvent);
  SetCommMask(session->port, 0);
  PurgeComm(session->port, kAllPurgeFlags);
  char portName[sizeof session->portName];  // the record may be gone once given up
  lstrcpynA(portName, session->portName, sizeof portName);
  const ULONGLONG deadline = GetTickCount64() + kReaderEndWaitMs;
  const bool readerEnded = EndReader(session, record->readerThread, deadline);
  CloseHandle(record->readerThread);
  record->readerThread = nullptr;
  record->port = nullptr;
  // Writes stuck in the driver keep the record in use just as a stuck read
  // does: then it stays with the port, and the link goes on with a new one.
  const bool released = readerEnded && EndPendingWrites(session, std::max(deadline, GetTickCount64() + kWriteWaitMs));
  if (released) {
    CloseHandle(session->port);
    session->port = nullptr;
  } else {
    auto* fresh = new (std::nothrow) LinkSession{};
    if (fresh != nullptr) fresh->heap = true;
    sessions[link] = fresh;
  }
  closing[link] = false;
  TapLinkState(&linkTaps, link, nullptr);
  if (!released) TellPortAbandoned(portName);
  return 1;
}

int ToggleLink(int link, HWND window, UINT menuItem, const char* portName, const char* baudText,
               LinkOpenFailure* failure) {
  if (!ValidLink(link)) return 0;
  int connected = 0;
  if (serialLinks[link].connected) {
    CloseLink(link);
  } else {
    LinkOpenFailure own;
    LinkOpenFailure* why = failure != nullptr ? failure : &own;
    connected = OpenLink(link, window, portName, baudText, why);
    if (!connected) {
      // For soak and test runs (invisible to users).
      char trace[320];
      snprintf(trace, sizeof trace, "asm-client: link %d not opened: %s\n", link + 1, why->reason);
      OutputDebugStringA(trace);
    }
  }
  SetMenuCheck(window, menuItem, connected);
  return connected;
}

void WriteLink(int link, const char* bytes, int count) {
  if (!ValidLink(link) || !kLinkTraits[link].writable || bytes == nullptr || count <= 0) return;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes);
  LinkSession* session = sessions[link];
  if (!serialLinks[link].connected || session == nullptr || session->port == nullptr || closing[link]) {
    TapWrote(&linkTaps, link, data, count, kLinkNotConnected);
    return;
  }

  // The whole write waits (briefly) for its records, so that a port that has
  // stopped taking data loses whole sentences, never parts of one.
  const int pieces = static_cast<int>((static_cast<DWORD>(count) + kWriteRecordBytes - 1) / kWriteRecordBytes);
  const ULONGLONG deadline = GetTickCount64() + kWriteWaitMs;
  LinkWriteResult result = kLinkWritten;
  int written = 0;
  for (int piece = 0; piece < pieces; ++piece) {
    const int wanted = piece == 0 ? std::min(pieces, kWriteRecords) : 1;
    if (!WaitForWriteRecords(session, wanted, deadline)) {
      if (sessions[link] != session || session->port == nullptr) {
        result = kLinkNotConnected;  // closed by a message handled while waiting
        break;
      }
      char trace[96];
      snprintf(trace, sizeof trace, "asm-client: link %d dropped %d bytes: the port takes no data\n", link + 1,
               count - written);
      OutputDebugStringA(trace);
      result = kLinkPortStalled;
      break;
    }
    WriteRecord& slot = session->writes[(session->writeHead + session->writeCount) % kWriteRecords];
    const DWORD length = std::min<DWORD>(static_cast<DWORD>(count - written), kWriteRecordBytes);
    memcpy(slot.bytes, bytes + written, length);
    ClearOverlapped(&slot.overlapped);
    written += static_cast<int>(length);
    // A write that fails at once holds no record.
    if (WriteFile(session->port, slot.bytes, length, nullptr, &slot.overlapped) || GetLastError() == ERROR_IO_PENDING)
      ++session->writeCount;
    else
      result = kLinkWriteRefused;
  }
  TapWrote(&linkTaps, link, data, count, result);
}
