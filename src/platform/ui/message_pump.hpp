// The quit request and the dispatching of waiting events during a long operation on the user-
// interface thread. Stands in for PostQuitMessage and a PeekMessageW/DispatchMessageW loop that
// re-posts WM_QUIT.
#pragma once

namespace platform::ui {

// Asks the application's loop to end with exitCode; it ends when the request is dispatched.
void PostQuitMessage(int exitCode);

// Dispatches the events waiting in the queue and returns. A quit request met on the way is not
// acted on: it is posted again, for the application's own loop.
void PumpMessages();

}  // namespace platform::ui
