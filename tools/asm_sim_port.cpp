// Pseudo-terminal, serial device and standard streams for the simulator.
#include "tools/asm_sim_port.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

struct BaudRate {
  int baud;
  speed_t speed;
};

constexpr BaudRate kBaudRates[] = {
    {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

speed_t SpeedOf(int baud) {
  for (const BaudRate& b : kBaudRates)
    if (b.baud == baud) return b.speed;
  return B0;
}

bool Fail(char* error, size_t room, const char* what, const char* path) {
  snprintf(error, room, "%s %s: %s", what, path, strerror(errno));
  return false;
}

// Raw 8N1, no flow control, receiver on, modem lines ignored.
bool MakeRaw(int fd, speed_t speed) {
  termios t;
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD | CS8;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (speed != B0) {
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
  }
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

void Status(const PortEvents* events, const char* message) {
  if (events->status != nullptr) events->status(events->context, message);
}

// Whether someone holds the slave: the master reports a hang-up while the
// slave has been closed by everyone.
bool SlaveHeld(int master) {
  pollfd p{master, POLLIN, 0};
  if (poll(&p, 1, 0) < 0) return false;
  return (p.revents & POLLHUP) == 0;
}

int OpenDeviceFd(const char* path, int baud) {
  const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  if (!MakeRaw(fd, SpeedOf(baud))) {
    const int saved = errno;
    close(fd);
    errno = saved;
    return -1;
  }
  ioctl(fd, TIOCEXCL);  // keep other programs off the line while we own it
  tcflush(fd, TCIOFLUSH);
  return fd;
}

void ResetInput(SimPort* port) {
  port->lineLength = 0;
  port->overlongLength = 0;
}

void Detach(SimPort* port, const PortEvents* events, const char* message) {
  port->attached = false;
  port->queueStart = port->queueEnd = 0;  // nobody to hear it
  ResetInput(port);
  Status(events, message);
}

void DeviceLost(SimPort* port, const PortEvents* events) {
  char message[600];
  snprintf(message, sizeof message, "device %s lost (%s); retrying every second", port->path, strerror(errno));
  close(port->readFd);
  port->readFd = port->writeFd = -1;
  Detach(port, events, message);
}

void TakeBytes(SimPort* port, const char* bytes, ssize_t count, const PortEvents* events) {
  for (ssize_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      if (port->overlongLength > 0) {
        if (events->overlong != nullptr) events->overlong(events->context, port->overlongLength, port->line, 40);
      } else if (port->lineLength > 0 && events->line != nullptr) {
        events->line(events->context, port->line, port->lineLength);
      }
      ResetInput(port);
      continue;
    }
    if (port->overlongLength > 0) {
      ++port->overlongLength;
    } else if (port->lineLength == kPortLineRoom) {
      port->overlongLength = kPortLineRoom + 1;  // the first characters stay for the report
    } else {
      port->line[port->lineLength++] = c;
    }
  }
}

void ReadPort(SimPort* port, const PortEvents* events) {
  char bytes[512];
  const ssize_t n = read(port->readFd, bytes, sizeof bytes);
  if (n > 0) {
    TakeBytes(port, bytes, n, events);
    return;
  }
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  switch (port->kind) {
    case PortKind::kPty:  // EIO: the last holder of the slave closed it
      Detach(port, events, "the client closed the port");
      return;
    case PortKind::kDevice:
      if (n == 0) errno = EIO;
      DeviceLost(port, events);
      return;
    case PortKind::kStdio:
      port->readFd = -1;
      Status(events, n == 0 ? "standard input ended" : "standard input failed");
      return;
  }
}

void WritePort(SimPort* port, const PortEvents* events) {
  const ssize_t n = write(port->writeFd, port->queue + port->queueStart, port->queueEnd - port->queueStart);
  if (n > 0) {
    port->queueStart += static_cast<size_t>(n);
    if (port->queueStart == port->queueEnd) port->queueStart = port->queueEnd = 0;
    return;
  }
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  switch (port->kind) {
    case PortKind::kPty:
      Detach(port, events, "the client closed the port");
      return;
    case PortKind::kDevice:
      DeviceLost(port, events);
      return;
    case PortKind::kStdio:
      port->writeFd = -1;
      port->attached = false;
      port->queueStart = port->queueEnd = 0;
      Status(events, "standard output closed");
      return;
  }
}

}  // namespace

bool IsSupportedBaud(int baud) {
  return SpeedOf(baud) != B0;
}

bool OpenPtyPort(SimPort* port, const char* link, char* error, size_t room) {
  memset(port, 0, sizeof *port);
  port->kind = PortKind::kPty;
  port->readFd = port->writeFd = -1;
  snprintf(port->path, sizeof port->path, "%s", link);

  struct stat existing;
  if (lstat(link, &existing) == 0 && !S_ISLNK(existing.st_mode)) {
    snprintf(error, room, "%s exists and is not a symbolic link; not replacing it", link);
    return false;
  }
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0) return Fail(error, room, "cannot open a pseudo-terminal for", link);
  const char* slave = nullptr;
  if (grantpt(master) != 0 || unlockpt(master) != 0 || (slave = ptsname(master)) == nullptr) {
    Fail(error, room, "cannot set up a pseudo-terminal for", link);
    close(master);
    return false;
  }
  snprintf(port->slavePath, sizeof port->slavePath, "%s", slave);
  // Raw mode is set on the slave once; it stays for whoever opens it.
  // Closing our own hold leaves the master reporting a hang-up until the
  // client opens the slave, which is how its coming and going is seen.
  const int held = open(port->slavePath, O_RDWR | O_NOCTTY);
  if (held < 0 || !MakeRaw(held, B38400)) {
    Fail(error, room, "cannot set raw mode on", port->slavePath);
    if (held >= 0) close(held);
    close(master);
    return false;
  }
  close(held);

  // Replace a stale link atomically: a new link beside it, renamed over it.
  char temporary[sizeof port->path + 16];
  snprintf(temporary, sizeof temporary, "%s.%ld.tmp", link, static_cast<long>(getpid()));
  unlink(temporary);
  if (symlink(port->slavePath, temporary) != 0 || rename(temporary, link) != 0) {
    Fail(error, room, "cannot make the link", link);
    unlink(temporary);
    close(master);
    return false;
  }
  port->linkMade = true;
  port->readFd = port->writeFd = master;
  port->attached = SlaveHeld(master);
  return true;
}

bool OpenDevicePort(SimPort* port, const char* path, int baud, char* error, size_t room) {
  memset(port, 0, sizeof *port);
  port->kind = PortKind::kDevice;
  port->baud = baud;
  snprintf(port->path, sizeof port->path, "%s", path);
  const int fd = OpenDeviceFd(path, baud);
  if (fd < 0) return Fail(error, room, "cannot open the serial device", path);
  port->readFd = port->writeFd = fd;
  port->attached = true;
  return true;
}

void OpenStdioPort(SimPort* port) {
  memset(port, 0, sizeof *port);
  port->kind = PortKind::kStdio;
  port->readFd = STDIN_FILENO;
  port->writeFd = STDOUT_FILENO;
  port->attached = true;
  snprintf(port->path, sizeof port->path, "standard input and output");
}

void ClosePort(SimPort* port) {
  if (port->linkMade) {
    // Only our own link: another run may have taken the name meanwhile.
    char target[sizeof port->slavePath];
    const ssize_t n = readlink(port->path, target, sizeof target - 1);
    if (n > 0) {
      target[n] = 0;
      if (strcmp(target, port->slavePath) == 0) unlink(port->path);
    }
    port->linkMade = false;
  }
  if (port->kind != PortKind::kStdio && port->readFd >= 0) close(port->readFd);
  port->readFd = port->writeFd = -1;
  port->attached = false;
}

bool QueueOutput(SimPort* port, const char* text, int length) {
  if (!port->attached || port->writeFd < 0 || length <= 0) return false;
  if (port->queueEnd + static_cast<size_t>(length) > kPortQueueRoom) {
    // Move what waits to the front before giving up on room.
    memmove(port->queue, port->queue + port->queueStart, port->queueEnd - port->queueStart);
    port->queueEnd -= port->queueStart;
    port->queueStart = 0;
    if (port->queueEnd + static_cast<size_t>(length) > kPortQueueRoom) return false;
  }
  memcpy(port->queue + port->queueEnd, text, static_cast<size_t>(length));
  port->queueEnd += static_cast<size_t>(length);
  return true;
}

int PortPollEntries(const SimPort* port, pollfd* fds) {
  if (!port->attached) return 0;
  const bool writing = port->writeFd >= 0 && port->queueEnd > port->queueStart;
  int count = 0;
  if (port->readFd >= 0 && port->readFd == port->writeFd) {
    fds[count++] = {port->readFd, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
    return count;
  }
  if (port->readFd >= 0) fds[count++] = {port->readFd, POLLIN, 0};
  if (writing) fds[count++] = {port->writeFd, POLLOUT, 0};
  return count;
}

void HandlePortEvents(SimPort* port, const pollfd* fds, int count, const PortEvents* events) {
  for (int i = 0; i < count && port->attached; ++i) {
    const short r = fds[i].revents;
    if (r == 0) continue;
    // Read first: a closing client's last bytes come before its hang-up.
    if (fds[i].fd == port->readFd && (r & (POLLIN | POLLHUP | POLLERR))) ReadPort(port, events);
    if (port->attached && fds[i].fd == port->writeFd && (r & (POLLOUT | POLLERR)) && port->queueEnd > port->queueStart)
      WritePort(port, events);
  }
}

void RecheckPort(SimPort* port, const PortEvents* events) {
  if (port->kind == PortKind::kPty && !port->attached && port->readFd >= 0) {
    // What a writer left before closing is still there to read: a quick
    // open, write and close between two looks is heard all the same.
    char bytes[512];
    ssize_t n;
    while ((n = read(port->readFd, bytes, sizeof bytes)) > 0) TakeBytes(port, bytes, n, events);
    if (!SlaveHeld(port->readFd)) return;
    port->attached = true;
    Status(events, "the client opened the port");
    return;
  }
  if (port->kind == PortKind::kDevice && port->readFd < 0) {
    const int fd = OpenDeviceFd(port->path, port->baud);
    if (fd < 0) return;
    port->readFd = port->writeFd = fd;
    port->attached = true;
    Status(events, "device back");
  }
}

void FlushPort(SimPort* port) {
  while (port->attached && port->writeFd >= 0 && port->queueEnd > port->queueStart) {
    const ssize_t n = write(port->writeFd, port->queue + port->queueStart, port->queueEnd - port->queueStart);
    if (n <= 0) return;
    port->queueStart += static_cast<size_t>(n);
  }
}
