// Serving the window from inside a long computation on the user-interface thread: each call
// dispatches the waiting window events, but only once the interval has passed since the last time,
// so that a tight loop does not spend its time asking an empty queue.
#pragma once

#include <chrono>

class PeriodicMessagePump {
public:
    explicit PeriodicMessagePump(std::chrono::milliseconds interval = std::chrono::milliseconds(15));

    void operator()();

private:
    std::chrono::steady_clock::duration m_interval;
    std::chrono::steady_clock::time_point m_last;
};
