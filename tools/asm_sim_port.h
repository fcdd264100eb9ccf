// The simulator's line to the client: a pseudo-terminal whose slave a link
// names, a real serial device, or standard input and output. Output goes
// through a bounded queue written without blocking; input is cut into
// lines in a bounded buffer. One thread.
#pragma once
#include <poll.h>

#include <cstddef>
#include <cstdint>

enum class PortKind { kStdio, kPty, kDevice };

constexpr int kPortLineRoom = 200;  // a sentence is at most 82 characters
constexpr int kPortQueueRoom = 1 << 16;

struct SimPort {
  PortKind kind;
  int readFd;   // -1 while there is nothing to read (device lost, input ended)
  int writeFd;  // -1 while output cannot go anywhere
  // A pseudo-terminal's far end is "attached" while someone holds the
  // slave open; what is written while nobody does is dropped, as on a line
  // with no listener. A device and standard output are always attached.
  bool attached;
  char path[512];       // the link or the device
  char slavePath[128];  // pseudo-terminal only
  bool linkMade;
  int baud;
  // Output queue: bytes [queueStart, queueEnd) wait to be written.
  char queue[kPortQueueRoom];
  size_t queueStart;
  size_t queueEnd;
  // Input line assembly.
  char line[kPortLineRoom];
  int lineLength;
  int overlongLength;  // > 0 while the characters of an overlong line are skipped
};

// Each returns false with a message in `error` when the port cannot be set
// up at all.
bool OpenPtyPort(SimPort* port, const char* link, char* error, size_t room);
bool OpenDevicePort(SimPort* port, const char* path, int baud, char* error, size_t room);
void OpenStdioPort(SimPort* port);

// The baud rates a device can be set to; false for any other.
bool IsSupportedBaud(int baud);

// Removes the link (if it still names this pseudo-terminal) and closes.
void ClosePort(SimPort* port);

// Queues `length` bytes whole, or not at all when the queue lacks room or
// the far end is not attached. Returns whether they were queued.
bool QueueOutput(SimPort* port, const char* text, int length);

// The poll entries the port wants now: reading when attached, writing when
// bytes wait. Returns the number filled (0 to 2) into `fds`.
int PortPollEntries(const SimPort* port, pollfd* fds);

// What the port's I/O brought.
struct PortEvents {
  void (*line)(void* context, const char* text, int length);
  // An overlong line, at its end: its length and its first characters.
  void (*overlong)(void* context, int length, const char* start, int shown);
  void (*status)(void* context, const char* message);  // attach, detach, device lost, input ended
  void* context;
};

// Handles the revents of the entries PortPollEntries filled.
void HandlePortEvents(SimPort* port, const pollfd* fds, int count, const PortEvents* events);

// Looks again at a pseudo-terminal that nobody held, or reopens a lost
// device. Call on a timer while !attached or readFd < 0.
void RecheckPort(SimPort* port, const PortEvents* events);

// Writes what can be written now without blocking (used at exit).
void FlushPort(SimPort* port);
