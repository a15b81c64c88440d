// Sets (or, with a null value, removes) an environment variable for one scope.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace test_support {

class scoped_env {
public:
    scoped_env(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~scoped_env() { m_old ? setenv(m_name.c_str(), m_old->c_str(), 1) : unsetenv(m_name.c_str()); }
    scoped_env(const scoped_env&) = delete;
    scoped_env& operator=(const scoped_env&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace test_support
