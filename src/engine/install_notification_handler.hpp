// What the installation makes of each step of the extraction: the archive check before any file is
// written, the rules of each kind of payload file (written, kept, skipped, temporary), the recording
// of every file and folder in the session's uninstall log before it is written, the install page's
// status line, log and progress bar, and the error code a failure is shown with. After every
// notification the waiting window events are dispatched, so the window stays responsive.
#pragma once

#include "payload/notification.hpp"
#include "uninstall_log/pending_change.hpp"

#include <cstdint>
#include <istream>
#include <string>
#include <system_error>

class CInstallApp;
class InstallProgressPage;

// Access granted to the local Users group on shared data files: read, write, delete, no inheritance.
inline constexpr std::uint32_t kSharedFileUsersAccess = 0x0013019F;

class InstallNotificationHandler {
public:
    // `payloadSource` is the stream the extraction reads; the archive check reads it through once and
    // rewinds it.
    InstallNotificationHandler(CInstallApp& app, InstallProgressPage& page, std::istream& payloadSource);

    payload::notification::result operator()(const payload::notification& notification);

private:
    using result = payload::notification::result;

    result OnStarted();
    result OnEntryBegin(const payload::archive_entry& entry);
    result OnEntryEnd(const payload::archive_entry& entry);
    result OnProgress(std::uint64_t done, std::uint64_t total);
    result OnFailed(const std::error_code& code);

    CInstallApp& m_app;
    InstallProgressPage& m_page;
    std::istream& m_source;
    PendingChange m_file;  // the file being written, until its end or its failure
};

// The progress bar's position: rounded to the nearest percent, but 100 only once every byte is done.
int ProgressPercent(std::uint64_t done, std::uint64_t total);

// The error code as the failure message shows it: "1:%08X" for the operating system's codes and for
// codes whose category stands them for one (the security layer's HRESULTs show their Win32 code),
// "2:%08X" for the run-time library's errno values, the decimal value for the installer's own
// "compress" codes, and "7" (an unexpected error) for anything else.
std::string ErrorCodeText(const std::error_code& code);
