// uninstall: removes Quillon 7 as its installation recorded it in "Uninstall.ulog" beside this
// program, then the log and this program.
//
// Exit codes: 0 everything listed is gone; 1 something could not be removed (listed on standard
// error); 2 wrong usage, or no readable log; 3 Quillon is running.
#include "running_instance.hpp"
#include "uninstall_run.hpp"

#include <boost/filesystem/operations.hpp>

#include <iostream>

int main(int argc, char** /*argv*/) {
    namespace fs = boost::filesystem;
    if (argc != 1) {
        std::cerr << "usage: uninstall\n";
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

        quillon::running_instance counter(quillon::running_instance::mode::watch_only);
        if (counter.running_count() > 0) {
            std::cerr << "uninstall: Quillon or its installer is running; close it and try again\n";
            return 3;
        }

        std::cout << "Removing " << (log.previousProduct.empty() ? "Quillon" : log.previousProduct) << '\n';
        const ReadRecord record = ReadInstallationRecord(log_file.parent_path() / kInstallationRecordName, log_file);
        const quillon::uninstall_report report = quillon::undo_installation(log, log_file, self, record);
        for (const auto& line : report.removed) {
            std::cout << "removed  " << line << '\n';
        }
        for (const auto& item : report.kept) {
            std::cout << "kept     " << quillon::kept_text(item) << '\n';
        }
        if (report.unjudged_files > 0) {
            std::cout << "note     " << report.unjudged_files
                      << " file(s) removed as the log lists them: " << quillon::record_state_text(report.record)
                      << '\n';
        }
        if (!report.complete()) {
            std::cerr << "uninstall: these could not be removed:\n";
            for (const auto& line : report.failures) {
                std::cerr << "  " << line << '\n';
            }
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "uninstall: " << e.what() << '\n';
        return 1;
    }
}
