// Decides, for one scope, which privileges the registry finds enabled in the process token, so that
// tests of saving and restoring keys do not depend on the account they run under.
#pragma once

#include "platform/registry/privilege_check.hpp"

#include <set>
#include <string>

namespace test_support {

class scoped_privileges {
public:
    explicit scoped_privileges(std::set<std::string, std::less<>> enabled)
        : m_previous(platform::registry::replace_privilege_probe(
              [enabled = std::move(enabled)](std::string_view name) { return enabled.count(name) > 0; })) {}
    ~scoped_privileges() { platform::registry::replace_privilege_probe(std::move(m_previous)); }
    scoped_privileges(const scoped_privileges&) = delete;
    scoped_privileges& operator=(const scoped_privileges&) = delete;

private:
    platform::registry::privilege_probe m_previous;
};

}  // namespace test_support
