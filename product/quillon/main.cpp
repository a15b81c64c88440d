// quillon: the product's main program.
//
//   quillon [DOCUMENT]                          with a display: a window until it is closed; without
//                                               one: runs until standard input ends or "quit" is read;
//                                               either way SIGTERM, SIGINT and SIGHUP end it
//   quillon /Register /Background [/update=V]   registers the document type; exit code -10
//
// While it runs, the program holds one count of the running-instance counter.
#include "console_session.hpp"
#include "own_version.hpp"
#include "platform/kernel/file_modes.hpp"
#include "platform/ui/display_connection.hpp"
#include "platform/version/file_version_info.hpp"
#include "registration.hpp"
#include "running_instance.hpp"
#include "termination_signals.hpp"
#include "window_session.hpp"

#include <unistd.h>

#include <boost/filesystem/operations.hpp>

#include <iostream>
#include <string>
#include <vector>

namespace {

void show_document(const std::string& title, const std::string& name) {
    boost::system::error_code ec;
    const auto size = boost::filesystem::file_size(name, ec);
    if (ec) {
        std::cerr << "quillon: " << name << ": " << ec.message() << '\n';
    } else {
        std::cout << title << ": opened " << name << " (" << size << " bytes)" << std::endl;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        // The document type is registered for every user of the machine.
        platform::kernel::use_shared_file_modes();
        quillon::running_instance instance;
        if (const auto request = quillon::parse_registration(arguments)) {
            return quillon::run_registration(*request);
        }
        if (arguments.size() > 1) {
            std::cerr << "usage: quillon [DOCUMENT]\n       quillon /Register /Background [/update=HEX16]\n";
            return 2;
        }
        const std::string document = arguments.empty() ? std::string() : arguments.front();
        const std::string title = quillon::product_title(platform::version::own_version_info());
        if (!document.empty()) {
            show_document(title, document);
        }
        // Blocked before any thread starts, so that none of them is ended by the signals either.
        const quillon::termination_signals ending;
        std::cout << title << " is running (process " << ::getpid() << ")" << std::endl;
        const std::string display = platform::ui::display_problem();
        if (display.empty()) {
            quillon::run_window_session(ending.fd(), document);
        } else {
            // A display that is named but cannot be reached is said; none at all is the usual console.
            if (platform::ui::display_named()) {
                std::cerr << "quillon: no window, as " << display << '\n';
            }
            quillon::run_console_session(ending);
        }
        return 0;
    } catch (const quillon::usage_error& e) {
        std::cerr << "quillon: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "quillon: " << e.what() << '\n';
        return 1;
    }
}
