#include "engine/install_notification_handler.hpp"

#include "engine/engine_texts.hpp"
#include "engine/install_progress_page.hpp"
#include "engine/periodic_message_pump.hpp"
#include "engine/step_report.hpp"
#include "engine/temporary_files.hpp"
#include "payload/compress_error.hpp"
#include "payload/verify_payload.hpp"
#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/ui/message_pump.hpp"
#include "security/access_control.hpp"
#include "startup/format_text.hpp"
#include "startup/install_app.hpp"
#include "startup/language_texts.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/format.hpp>

#include <algorithm>
#include <cmath>
#include <variant>

namespace fs = boost::filesystem;
using payload::entry_kind;

namespace {

// One call operator per alternative of a variant, for std::visit.
template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

// Whether a shared data file is there. Users may write the shared folders: a link, a fifo or a
// second name of another file found at a shared file's place is nothing the installer wrote, so it is
// taken away (never what it leads to) and the file is written anew.
bool FindSharedFile(const fs::path& path) {
    namespace kernel = platform::kernel;
    switch (kernel::find_item(path)) {
        case kernel::found_item::nothing:
            return false;
        case kernel::found_item::planted:
            // Should it stay, the file's exclusive creation fails and the run is undone.
            if (const std::error_code failure = kernel::delete_file(path)) {
                platform::diagnostics::note("Removing what was planted at a shared file's place failed: ", path, ": ",
                                            failure.message());
            } else {
                platform::diagnostics::note("Removed what was planted at a shared file's place: ", path);
            }
            return false;
        case kernel::found_item::file:
        case kernel::found_item::folder:
            return true;
    }
    return false;
}

void GrantSharedFileAccess(const fs::path& path) {
    // A file whose access cannot be opened is still installed; the product copes with reading it.
    (void)security::GrantUsersAccess(path, kSharedFileUsersAccess, 0);
}

}  // namespace

InstallNotificationHandler::InstallNotificationHandler(CInstallApp& app, InstallProgressPage& page,
                                                       std::istream& payloadSource)
    : m_app(app), m_page(page), m_source(payloadSource) {}

payload::notification::result InstallNotificationHandler::operator()(const payload::notification& notification) {
    namespace kinds = payload::notifications;
    const result answer = std::visit(
        Overloaded{
            [this](const kinds::started&) { return OnStarted(); },
            [](const kinds::finished&) { return result::proceed; },  // nothing more to do
            [this](const kinds::entry_begin& begin) { return OnEntryBegin(begin.entry); },
            [this](const kinds::entry_end& end) { return OnEntryEnd(end.entry); },
            [this](const kinds::progress& progress) { return OnProgress(progress.bytes_done, progress.bytes_total); },
            [this](const kinds::failed& failed) { return OnFailed(failed.code); },
        },
        notification);
    platform::ui::PumpMessages();
    return answer;
}

InstallNotificationHandler::result InstallNotificationHandler::OnStarted() {
    BeginStep(m_page, LoadText(engine_text::kPreparing));
    // The check reads the whole payload: the window is served while it does.
    PeriodicMessagePump pump;
    if (!payload::verify_payload(m_source, [&pump] { pump(); })) {
        throw payload::compress_failure(payload::compress_errc::verify_failed);
    }
    m_source.clear();
    m_source.seekg(0);
    AppendOutcome(m_page, true);
    return result::proceed;
}

InstallNotificationHandler::result InstallNotificationHandler::OnEntryBegin(const payload::archive_entry& entry) {
    const fs::path& path = entry.destination;
    UninstallLog& log = m_app.m_uninstallLog;
    PreviousFile previous = PreviousFile::MoveAside;
    switch (entry.kind) {
        case entry_kind::main_program:
            m_page.m_strMainProgramPath = path.string();
            break;
        case entry_kind::uninstaller:
            m_page.m_strUninstallerPath = path.string();
            break;
        case entry_kind::shared_data: {
            previous = PreviousFile::CopyAside;
            const bool exists = FindSharedFile(path);
            // What the previous installation wrote is the user's now; only a file that is gone is
            // written again, so that the product does not go without it.
            if (exists && m_app.m_nPreviousInstall != PreviousNone && log.WasInstalledBefore(path)) {
                GrantSharedFileAccess(path);
                return result::skip;
            }
            if (exists) {
                // Shared data already there belongs to the user now: it is kept, and recorded with
                // a copy so that the uninstaller knows it and a rollback leaves it alone.
                log.AddFile(path, static_cast<std::int32_t>(entry.kind), PreviousFile::Keep).Complete(true);
                GrantSharedFileAccess(path);
                return result::skip;
            }
            break;
        }
        case entry_kind::sample_data:
            if (m_app.m_nPreviousInstall == PreviousOlder) {
                return result::skip;
            }
            break;
        case entry_kind::temporary:
            if (TemporaryFiles* files = TemporaryFiles::Current()) {
                files->Add(path);
            }
            break;
        default:
            break;
    }
    const std::string text =
        FormatText(LoadText(engine_text::kCopyingFile), {platform::shell::quote_spaces(path.string())});
    if (entry.kind != entry_kind::temporary) {
        m_file = log.AddFile(path, static_cast<std::int32_t>(entry.kind), previous);
    }
    m_page.SetStatusPath(text);
    m_page.AppendLogLine(text, false);
    return result::proceed;
}

InstallNotificationHandler::result InstallNotificationHandler::OnEntryEnd(const payload::archive_entry& entry) {
    if (entry.kind == entry_kind::shared_data) {
        GrantSharedFileAccess(entry.destination);
    }
    m_file.Complete(true);
    AppendOutcome(m_page, true);
    return result::proceed;
}

InstallNotificationHandler::result InstallNotificationHandler::OnProgress(std::uint64_t done, std::uint64_t total) {
    m_page.SetProgress(ProgressPercent(done, total));
    return result::proceed;
}

InstallNotificationHandler::result InstallNotificationHandler::OnFailed(const std::error_code& code) {
    m_file.Complete(false);
    AppendOutcome(m_page, false);
    m_page.SetStatusText(InstallationFailedText(ErrorCodeText(code)));
    m_page.m_failureCause = code;
    return result::stop;
}

int ProgressPercent(std::uint64_t done, std::uint64_t total) {
    if (total == 0) {
        return 0;  // nothing to measure against; the division would not be a number
    }
    const double ratio = static_cast<double>(done) / static_cast<double>(total);
    int percent = static_cast<int>(std::floor(ratio * 100.0 + 0.5));
    if (percent >= 100 && done < total) {
        percent = 99;
    }
    return std::min(percent, 100);
}

std::string ErrorCodeText(const std::error_code& code) {
    const auto& category = code.category();
    const auto value = static_cast<std::uint32_t>(code.value());
    if (category == platform::kernel::win32_category() || category == std::system_category()) {
        return (boost::format("1:%08X") % value).str();
    }
    if (category == std::generic_category()) {
        return (boost::format("2:%08X") % value).str();
    }
    if (category == payload::compress_category()) {
        return std::to_string(code.value());
    }
    // A category of its own whose codes stand for Win32 codes (the security layer's HRESULTs) shows
    // the Win32 code.
    const std::error_condition condition = code.default_error_condition();
    if (condition.category() == platform::kernel::win32_category()) {
        return (boost::format("1:%08X") % static_cast<std::uint32_t>(condition.value())).str();
    }
    return "7";
}
