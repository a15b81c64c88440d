#include "platform/ui/display_connection.hpp"

#include "platform/kernel/unique_fd.hpp"

#include <QLibraryInfo>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform::ui {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
        parts.push_back(text.substr(start, end - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The plug-ins in the order Qt tries them, by name without their arguments.
std::vector<std::string> candidate_plugins() {
    std::vector<std::string> names;
    if (const std::string chosen = environment("QT_QPA_PLATFORM"); !chosen.empty()) {
        for (const std::string& entry : split(chosen, ';')) {
            names.push_back(split(entry, ':').front());
        }
        return names;
    }
    if (!environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland") {
        names.emplace_back("wayland");
    }
    // With DISPLAY, or as Qt's own default (without DISPLAY X fails anyway: not worth saying after
    // Wayland's reason).
    if (!environment("DISPLAY").empty() || names.empty()) {
        names.emplace_back("xcb");
    }
    return names;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Connects through libxcb as Qt's X plug-in does; loaded here rather than linked, as a program that
// never shows a window must not need it.
std::string x_problem() {
    const std::string display = environment("DISPLAY");
    if (display.empty()) {
        return "DISPLAY is not set";
    }
    void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        return "the X client library (libxcb) cannot be loaded";
    }
    using connect_fn = void* (*)(const char*, int*);
    using has_error_fn = int (*)(void*);
    using disconnect_fn = void (*)(void*);
    const auto connect = reinterpret_cast<connect_fn>(::dlsym(library, "xcb_connect"));
    const auto has_error = reinterpret_cast<has_error_fn>(::dlsym(library, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<disconnect_fn>(::dlsym(library, "xcb_disconnect"));
    std::string problem;
    if (!connect || !has_error || !disconnect) {
        problem = "the X client library (libxcb) is incomplete";
    } else {
        void* connection = connect(display.c_str(), nullptr);
        if (!connection || has_error(connection) != 0) {
            problem = "the X display " + quoted(display) + " cannot be reached";
        }
        if (connection) {
            disconnect(connection);  // also for a failed connection, which libxcb allocates
        }
    }
    ::dlclose(library);
    return problem;
}

bool wayland_plugin_installed() {
    const boost::filesystem::path platforms =
        boost::filesystem::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) / "platforms";
    boost::system::error_code error;
    for (const char* file : {"libqwayland-generic.so", "libqwayland-egl.so"}) {
        if (boost::filesystem::exists(platforms / file, error)) {
            return true;
        }
    }
    return false;
}

// Finds the compositor's socket as the Wayland client library does.
std::string wayland_problem() {
    if (!wayland_plugin_installed()) {
        return "the Wayland platform plug-in of Qt is not installed";
    }
    if (!environment("WAYLAND_SOCKET").empty()) {
        return {};  // a connection handed over by the compositor
    }
    std::string name = environment("WAYLAND_DISPLAY");
    if (name.empty()) {
        name = "wayland-0";
    }
    std::string path = name;
    if (name.front() != '/') {
        const std::string runtime = environment("XDG_RUNTIME_DIR");
        if (runtime.empty()) {
            return "XDG_RUNTIME_DIR is not set, so the Wayland display " + quoted(name) + " cannot be found";
        }
        path = runtime + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return "the Wayland display " + quoted(name) + " has too long a path";
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const kernel::unique_fd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket || ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return "the Wayland display " + quoted(name) + " cannot be reached";
    }
    return {};
}

std::string plugin_problem(const std::string& plugin) {
    if (plugin == "xcb") {
        return x_problem();
    }
    if (plugin.starts_with("wayland")) {
        return wayland_problem();
    }
    return {};  // offscreen, minimal, vnc, ...: no display server to reach
}

}  // namespace

bool display_named() {
    return !environment("QT_QPA_PLATFORM").empty() || !environment("DISPLAY").empty() ||
           !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland";
}

std::string display_problem() {
    if (!display_named()) {
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
    std::string problems;
    for (const std::string& plugin : candidate_plugins()) {
        const std::string problem = plugin_problem(plugin);
        if (problem.empty()) {
            return {};
        }
        if (problems.find(problem) == std::string::npos) {
            problems += (problems.empty() ? "" : "; ") + problem;
        }
    }
    return problems;
}

}  // namespace platform::ui
