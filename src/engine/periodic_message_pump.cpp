#include "engine/periodic_message_pump.hpp"

#include "platform/ui/message_pump.hpp"

PeriodicMessagePump::PeriodicMessagePump(std::chrono::milliseconds interval)
    : m_interval(interval), m_last(std::chrono::steady_clock::now()) {}

void PeriodicMessagePump::operator()() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last >= m_interval) {
        platform::ui::PumpMessages();
        m_last = std::chrono::steady_clock::now();
    }
}
