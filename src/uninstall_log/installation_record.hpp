// The installation record: a file of its own beside "Uninstall.ulog" that keeps what the log's lines
// cannot say and the uninstaller needs to judge each file: for every file the installation wrote,
// its size, CRC-32 and modification time as written; for every file it found already there and kept
// (a shared data file), a mark that says so; and the registry keys the installation created on the
// way to its own keys. It also names the log it belongs to by the log's size and CRC-32.
//
// It is written right after the log, the same way (replaced as a whole), and merged the same way on
// reinstallation and update: what this run wrote replaces what the previous record said of the same
// file, and the rest of the previous record stays for the entries the merged log carries on.
//
// Reading is defensive: a record that is missing, cut or changed (its last line checks the rest),
// of another format, or that belongs to another log, gives no judgement at all. The uninstaller
// then treats every file as it did without a record; nothing a record says ever adds to what is
// deleted. Paths holding a line break are left out of the record (unjudged).
#pragma once

#include "platform/kernel/file_fingerprint.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/path.hpp>

#include <map>
#include <set>
#include <string>
#include <vector>

inline constexpr const char* kInstallationRecordName = "Uninstall.ulog.record";

struct InstallationRecord {
    std::map<std::string, platform::kernel::file_fingerprint> written;  // by path, as the log lists it
    std::set<std::string> keptPreexisting;                              // files there before, kept
    std::vector<std::string> createdKeys;  // under HKEY_LOCAL_MACHINE, in the order they were found

    bool operator==(const InstallationRecord&) const = default;
};

enum class RecordState {
    valid,
    missing,
    damaged,  // cut, changed, or unreadable
    foreign,  // another format, or the record of another log
};

struct ReadRecord {
    RecordState state = RecordState::missing;
    InstallationRecord record;  // empty unless valid
};

// Reads the record at `recordFile` and checks it belongs to `logFile` as that file is now.
ReadRecord ReadInstallationRecord(const boost::filesystem::path& recordFile, const boost::filesystem::path& logFile);

// Replaces `recordFile` as a whole with `record`, naming `logFile` as it is now. False when the log
// cannot be read or the record not written; the previous record is then as it was.
bool WriteInstallationRecord(const boost::filesystem::path& recordFile, const boost::filesystem::path& logFile,
                             const InstallationRecord& record);

// The record of the log as Save writes it: the previous record's word on the previous entries, then
// this run's files measured now (or marked, when the run kept the file that was there), and the keys
// of both. Call it after Save and before Commit. A file of this run that cannot be measured is left
// unjudged.
InstallationRecord BuildInstallationRecord(const UninstallLog& log, const InstallationRecord& previous,
                                           const std::vector<std::string>& createdKeys);
