// A privilege of the process token enabled for one scope: enabled on construction and disabled on
// every way out, so that a save or restore of a registry key never leaves it switched on.
#pragma once

#include "security/access_control.hpp"

#include <string>
#include <utility>

namespace security {

class ScopedPrivilege {
public:
    explicit ScopedPrivilege(std::string name) : m_name(std::move(name)), m_enabled(EnablePrivilege(m_name, true)) {}
    // Disabled in every case, also when enabling failed.
    ~ScopedPrivilege() { EnablePrivilege(m_name, false); }
    ScopedPrivilege(const ScopedPrivilege&) = delete;
    ScopedPrivilege& operator=(const ScopedPrivilege&) = delete;

    bool enabled() const { return m_enabled; }

private:
    std::string m_name;
    bool m_enabled;
};

}  // namespace security
