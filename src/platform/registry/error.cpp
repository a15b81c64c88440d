#include "platform/registry/error.hpp"

#include <string>

namespace platform::registry {
namespace {

class category final : public std::error_category {
public:
    const char* name() const noexcept override { return "registry"; }

    std::string message(int value) const override {
        switch (static_cast<errc>(value)) {
            case errc::file_not_found:
                return "The system cannot find the file specified.";
            case errc::access_denied:
                return "Access is denied.";
            case errc::invalid_handle:
                return "The handle is invalid.";
            case errc::not_enough_memory:
                return "Not enough memory resources are available to process this command.";
            case errc::invalid_data:
                return "The data is invalid.";
            case errc::invalid_parameter:
                return "The parameter is incorrect.";
            case errc::disk_full:
                return "There is not enough space on the disk.";
            case errc::bad_pathname:
                return "The specified path is invalid.";
            case errc::busy:
                return "The requested resource is in use.";
            case errc::already_exists:
                return "Cannot create a file when that file already exists.";
            case errc::more_data:
                return "More data is available.";
            case errc::cantopen:
                return "The configuration registry key could not be opened.";
            case errc::cantread:
                return "The configuration registry key could not be read.";
            case errc::cantwrite:
                return "The configuration registry key could not be written.";
            case errc::registry_corrupt:
                return "The structure of one of the files containing registry data is corrupt.";
            case errc::registry_io_failed:
                return "An I/O operation initiated by the registry failed unrecoverably.";
            case errc::key_deleted:
                return "Illegal operation attempted on a registry key that has been marked for deletion.";
            case errc::privilege_not_held:
                return "A required privilege is not held by the client.";
            case errc::datatype_mismatch:
                return "The data type of the value does not match the type requested.";
            case errc::unsupported_type:
                return "The value is of an unsupported type.";
        }
        return "Registry error " + std::to_string(value) + ".";
    }
};

}  // namespace

const std::error_category& registry_category() noexcept {
    static const category instance;
    return instance;
}

}  // namespace platform::registry
