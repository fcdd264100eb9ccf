// The one way from a reader thread to the main thread: a message-only
// window of the main thread that runs a function there and hands its result
// back. The sensor stream shows its lines through it, and so does anything
// later that must touch a window from a reader thread.
//
// Rules, which together keep every wait finite:
//  - A reader thread may block in RunOnMainThread, and in nothing else that
//    waits on the main thread.
//  - The main thread runs relayed functions whenever it handles sent
//    messages: in its message loop, inside modal dialogs and message boxes,
//    and in the waits of CloseLink and WriteLink, which handle them for this
//    reason. So the main thread never waits on a reader thread without
//    handling sent messages.
//  - A relayed function runs in the middle of whatever the main thread was
//    waiting in: it is short, does not wait on a reader thread and does not
//    open or close a link.
#pragma once
#include <cstdint>

using RelayFunction = intptr_t (*)(void* context);

// Main thread, at start-up before any link opens. False when the window
// cannot be made; RunOnMainThread then runs nothing.
bool CreateRelay();

// Any thread: runs `function` on the main thread (at once when called
// there) and returns its result; 0 when there is no relay.
intptr_t RunOnMainThread(RelayFunction function, void* context);
