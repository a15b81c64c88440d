// The installation run over a given payload stream: what RunInstallationSequence does with the
// program's own payload resource. The stream is read from its start, twice (check, then extraction).
#pragma once

#include <istream>

class CInstallApp;
class InstallProgressPage;

bool RunInstallationFrom(CInstallApp& app, InstallProgressPage& page, std::istream& payloadSource);
