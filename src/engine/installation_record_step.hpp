// Writing the installation record beside the uninstall log (see uninstall_log/installation_record.hpp).
// What the record carries over and the registry keys that do not exist yet are taken before the run
// changes anything; the record is written right after the log, recorded the same way, so that a
// rollback gives the previous record back with the previous log.
#pragma once

#include "uninstall_log/installation_record.hpp"

#include <boost/filesystem/path.hpp>

#include <string>
#include <vector>

class CInstallApp;

struct InstallationRecordStart {
    InstallationRecord previous;           // the previous installation's word, when it has a valid one
    std::vector<std::string> missingKeys;  // keys on the way to the product's own, not there yet
};

// Call before the first change of the run.
InstallationRecordStart BeginInstallationRecord(CInstallApp& app);

// Writes the record beside `logFile` (already saved, not yet committed). False when it could not be
// written; the file is then as it was before the run.
bool WriteInstallationRecordFile(CInstallApp& app, const boost::filesystem::path& logFile,
                                 const InstallationRecordStart& start);
