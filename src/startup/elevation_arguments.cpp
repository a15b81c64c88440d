#include "startup/elevation_arguments.hpp"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kIdentityOption = "--program-identity=";
constexpr std::string_view kFolderOption = "--from-folder=";
constexpr std::string_view kEnvironmentOption = "--pass-env=";

constexpr std::string_view kPassedNames[] = {
    "DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR",  "XDG_CONFIG_HOME", "XDG_DATA_HOME",
    "HOME",    "LANG",       "LANGUAGE",        "SETUP_SYSTEM_ROOT"};

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::optional<std::uint64_t> Number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<platform::kernel::file_identity> Identity(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto device = Number(text.substr(0, colon));
    const auto inode = Number(text.substr(colon + 1));
    if (!device || !inode) {
        return std::nullopt;
    }
    return platform::kernel::file_identity{*device, *inode};
}

}  // namespace

bool MayPassOn(std::string_view name) {
    if (StartsWith(name, "LC_")) {
        const std::string_view rest = name.substr(3);
        return !rest.empty() &&
               std::all_of(rest.begin(), rest.end(), [](char c) { return (c >= 'A' && c <= 'Z') || c == '_'; });
    }
    return std::find(std::begin(kPassedNames), std::end(kPassedNames), name) != std::end(kPassedNames);
}

bool TakeElevationArguments(std::vector<std::string>& arguments, ElevationArguments& taken, std::string& error) {
    std::vector<std::string> rest;
    for (const std::string& argument : arguments) {
        const std::string_view text = argument;
        if (text == kElevatedMarker) {
            taken.marked = true;
        } else if (StartsWith(text, kIdentityOption)) {
            taken.program = Identity(text.substr(kIdentityOption.size()));
            if (!taken.program) {
                error = "malformed " + std::string(kIdentityOption) + " argument";
                return false;
            }
        } else if (StartsWith(text, kFolderOption)) {
            taken.folder = std::string(text.substr(kFolderOption.size()));
            if (taken.folder->empty() || taken.folder->front() != '/') {
                error = "the folder of " + std::string(kFolderOption) + " is not absolute";
                return false;
            }
        } else if (StartsWith(text, kEnvironmentOption)) {
            const std::string_view variable = text.substr(kEnvironmentOption.size());
            const auto equals = variable.find('=');
            const std::string_view name = variable.substr(0, equals);
            if (equals == std::string_view::npos || !MayPassOn(name)) {
                error = "the variable of " + std::string(kEnvironmentOption) + " may not be passed on";
                return false;
            }
            taken.environment.emplace_back(name, variable.substr(equals + 1));
        } else if (StartsWith(text, kElevatedMarker)) {
            error = "unknown option " + argument;
            return false;
        } else {
            rest.push_back(argument);
        }
    }
    arguments = std::move(rest);
    return true;
}

std::vector<std::string> ElevationArgumentsFor(const platform::kernel::file_identity& program,
                                               const std::string& folder, const std::vector<std::string>& environment) {
    std::vector<std::string> arguments{
        std::string(kElevatedMarker),
        std::string(kIdentityOption) + std::to_string(program.device) + ":" + std::to_string(program.inode),
        std::string(kFolderOption) + folder};
    for (const std::string& variable : environment) {
        const auto equals = variable.find('=');
        if (equals != std::string::npos && MayPassOn(std::string_view(variable).substr(0, equals))) {
            arguments.push_back(std::string(kEnvironmentOption) + variable);
        }
    }
    return arguments;
}
