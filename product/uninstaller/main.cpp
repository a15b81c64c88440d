// uninstall: removes Quillon 7 as its installation recorded it in "Uninstall.ulog" beside this
// program, then the log and this program.
//
//   uninstall [--yes]
//
// With a display it shows a window in the product's language: it asks first, offers Retry and
// Cancel while Quillon runs, and lists what was removed and kept. With --yes, as scripts run it, the
// window asks nothing and closes by itself. Either way, and without a display, the lists are also
// printed.
//
// Exit codes: 0 everything listed is gone; 1 something could not be removed (listed on standard
// error); 2 wrong usage, or no readable log; 3 Quillon is running (or, in the window, the person
// cancelled while it ran); 4 the person declined in the window and nothing was removed.
#include "own_version.hpp"
#include "platform/ui/display_connection.hpp"
#include "platform/version/file_version_info.hpp"
#include "running_instance.hpp"
#include "uninstall_run.hpp"
#include "uninstall_window.hpp"

#include <boost/filesystem/operations.hpp>

#include <iostream>
#include <optional>
#include <string_view>

namespace {

namespace fs = boost::filesystem;

bool product_running() {
    quillon::running_instance counter(quillon::running_instance::mode::watch_only);
    return counter.running_count() > 0;
}

// The lists on the console; the exit code they make.
int print_report(const quillon::uninstall_report& report) {
    for (const auto& line : report.removed) {
        std::cout << "removed  " << line << '\n';
    }
    for (const auto& item : report.kept) {
        std::cout << "kept     " << quillon::kept_text(item) << '\n';
    }
    if (report.unjudged_files > 0) {
        std::cout << "note     " << report.unjudged_files
                  << " file(s) removed as the log lists them: " << quillon::record_state_text(report.record) << '\n';
    }
    if (!report.complete()) {
        std::cerr << "uninstall: these could not be removed:\n";
        for (const auto& line : report.failures) {
            std::cerr << "  " << line << '\n';
        }
        return 1;
    }
    return 0;
}

int run_in_console(const UninstallLog& log, const fs::path& log_file, const fs::path& self, const ReadRecord& record) {
    if (product_running()) {
        std::cerr << "uninstall: Quillon or its installer is running; close it and try again\n";
        return 3;
    }
    std::cout << "Removing " << (log.previousProduct.empty() ? "Quillon" : log.previousProduct) << '\n';
    return print_report(quillon::undo_installation(log, log_file, self, record));
}

int run_in_window(const UninstallLog& log, const fs::path& log_file, const fs::path& self, const ReadRecord& record,
                  bool ask) {
    const quillon::uninstaller_texts texts(platform::resources::resource_module::self(),
                                           quillon::recorded_product_language());
    quillon::uninstall_steps steps;
    steps.product_running = product_running;
    std::optional<quillon::uninstall_report> done;
    steps.remove = [&](const std::function<void(std::size_t, std::size_t)>& progress) {
        done = quillon::undo_installation(log, log_file, self, record, progress);
        return *done;
    };
    const std::string product = quillon::product_title(platform::version::own_version_info());
    const int exit_code = quillon::run_uninstall_window(texts, product, std::move(steps), ask);
    if (done) {
        print_report(*done);
    } else if (exit_code == 3) {
        std::cerr << "uninstall: Quillon or its installer is running; close it and try again\n";
    }
    return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
    const bool yes = argc == 2 && std::string_view(argv[1]) == "--yes";
    if (argc > 2 || (argc == 2 && !yes)) {
        std::cerr << "usage: uninstall [--yes]\n";
        return 2;
    }
    try {
        boost::system::error_code ec;
        const fs::path self = fs::read_symlink("/proc/self/exe", ec);
        if (ec) {
            std::cerr << "uninstall: cannot tell where this program lies: " << ec.message() << '\n';
            return 2;
        }
        const fs::path log_file = self.parent_path() / quillon::uninstall_log_name;
        if (!fs::is_regular_file(log_file, ec)) {
            std::cerr << "uninstall: " << log_file.string() << " is missing; nothing is removed\n";
            return 2;
        }
        UninstallLog log;
        log.Read(&log_file);
        if (log.previousProduct.empty() && log.previousEntries.empty()) {
            std::cerr << "uninstall: " << log_file.string() << " is not an uninstall log; nothing is removed\n";
            return 2;
        }
        const ReadRecord record = ReadInstallationRecord(log_file.parent_path() / kInstallationRecordName, log_file);

        const std::string display = platform::ui::display_problem();
        if (display.empty()) {
            return run_in_window(log, log_file, self, record, !yes);
        }
        // A display that is named but cannot be reached is said; none at all is the usual console.
        if (platform::ui::display_named()) {
            std::cerr << "uninstall: no window, as " << display << '\n';
        }
        return run_in_console(log, log_file, self, record);
    } catch (const std::exception& e) {
        std::cerr << "uninstall: " << e.what() << '\n';
        return 1;
    }
}
