// An archive writer over an in-memory target that records every notification as a line of text.
#pragma once

#include "payload/archive_writer.hpp"
#include "support/memory_archive_target.hpp"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace payload_test {

using payload::notification;

inline std::string describe(const notification& message) {
    return std::visit(
        [](const auto& m) -> std::string {
            using type = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<type, notification::entry_begin>) {
                return "begin " + m.entry.destination.string();
            } else if constexpr (std::is_same_v<type, notification::entry_end>) {
                return "end " + m.entry.destination.string();
            } else if constexpr (std::is_same_v<type, notification::progress>) {
                return "progress " + std::to_string(m.bytes_done) + "/" + std::to_string(m.bytes_total);
            } else {
                return "other";
            }
        },
        message);
}

struct writer_run {
    test_support::memory_archive_target target;
    std::vector<std::string> events;
    // The answer to each notification, given its description.
    std::function<notification::result(const std::string&)> answer = [](const std::string&) {
        return notification::result::proceed;
    };
    payload::archive_writer writer{"/inst", "/samples", "/work",
                                   [this](notification message) {
                                       events.push_back(describe(message));
                                       return answer(events.back());
                                   },
                                   target};

    // Offers the archive in blocks of at most `block` bytes, offering again what was not taken, as
    // the decompression does.
    void feed(std::string_view archive, std::size_t block) {
        std::size_t idle_calls = 0;
        for (std::size_t done = 0; done < archive.size();) {
            const auto offered = static_cast<std::streamsize>(std::min(block, archive.size() - done));
            const auto taken = static_cast<std::size_t>(writer.write(archive.data() + done, offered));
            if (taken == 0 && ++idle_calls > 1000) {
                throw std::logic_error("the writer takes nothing");
            }
            done += taken;
        }
    }

    // The events other than progress.
    std::vector<std::string> entry_events() const {
        std::vector<std::string> result;
        for (const auto& e : events) {
            if (e.rfind("progress", 0) != 0) {
                result.push_back(e);
            }
        }
        return result;
    }
};

}  // namespace payload_test
