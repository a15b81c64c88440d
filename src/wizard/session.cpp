#include "wizard/session.hpp"

#include "startup/install_app.hpp"

#include <stdexcept>

CInstallApp& Session() {
    CInstallApp* app = GetInstallApp();
    if (!app) {
        throw std::logic_error("the wizard runs without the installer's application object");
    }
    return *app;
}
