// The installer's own version, from its version resource: "Installer 1.2 (file version 1.2.0.5)".
#pragma once

#include <string>

// The product name and product version strings and the fixed file version of the installer's own
// version resource; "unknown version" when it has none.
std::string ProgramVersionText();
