#pragma once

// A close asked for by a stop signal (SIGINT, SIGTERM), for work that keeps
// the main thread from its event loop for long and so would hold the close
// up: such work watches the request and gives up at once. requestClose() is
// async-signal-safe; the signal handler calls it besides waking the loop.

namespace korvex {

void requestClose() noexcept;
bool closeRequested() noexcept;
// A descriptor that turns readable once a close is requested, for poll();
// made on the first call (never from a signal handler), -1 when it cannot be.
int closeRequestFd() noexcept;
// Forgets the request: for a program that goes on after all, and for tests.
void clearCloseRequest() noexcept;

}  // namespace korvex
