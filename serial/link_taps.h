// Taps on the serial links: besides its receive function, a link hands every
// chunk it receives, and reports every write with its result, to a small
// fixed list of taps, so that a sentence monitor or a session recorder
// attaches without touching the reader. The taps hear a link open and close
// too.
//
// Threading: taps are attached and detached on the main thread. `received`
// runs on the reader thread of the link, after the receive function has had
// the chunk; the bytes are valid only during the call. `wrote` runs on the
// main thread, inside WriteLink; `state` on the main thread, when the link
// has opened and when it has closed. A tap must not wait on the main thread
// except through the relay (app/relay_win32.h). A tap record lives for the
// whole run: a reader that loaded a tap just before it was detached may
// still call it once, so a tap ignores calls it no longer wants.
#pragma once
#include <atomic>
#include <cstdint>

constexpr int kMaxLinkTaps = 4;

enum LinkWriteResult : int32_t {
  kLinkWritten = 0,       // handed to the port; the transfer goes on in the background
  kLinkNotConnected = 1,  // dropped: the link is not open, or is closing
  kLinkPortStalled = 2,   // dropped: the port has taken nothing for a while (flow stopped, adapter gone)
  kLinkWriteRefused = 3,  // dropped: the port refused the write at once
};

struct LinkTap {
  void (*received)(void* context, int link, const uint8_t* bytes, int count);
  void (*wrote)(void* context, int link, const uint8_t* bytes, int count, LinkWriteResult result);
  void* context;
  // `portName` as opened ("COM7"), or nullptr when the link has closed.
  void (*state)(void* context, int link, const char* portName) = nullptr;
};

struct LinkTapList {
  std::atomic<const LinkTap*> taps[kMaxLinkTaps];
};

// Main thread. Attach returns false when the list is full or the tap is
// attached already.
bool AttachLinkTap(LinkTapList* list, const LinkTap* tap);
void DetachLinkTap(LinkTapList* list, const LinkTap* tap);

// The link's reader thread, and the main thread (the last two), respectively.
void TapReceived(const LinkTapList* list, int link, const uint8_t* bytes, int count);
void TapWrote(const LinkTapList* list, int link, const uint8_t* bytes, int count, LinkWriteResult result);
void TapLinkState(const LinkTapList* list, int link, const char* portName);
