#include "payload/compress_error.hpp"

namespace payload {

namespace {

class compress_category_impl final : public std::error_category {
public:
    const char* name() const noexcept override { return "compress"; }

    // Value 4 deliberately has no text of its own: the user sees only its number.
    std::string message(int value) const override {
        switch (static_cast<compress_errc>(value)) {
            case compress_errc::invalid_checksum:
                return "invalid checksum";
            case compress_errc::interrupted:
                return "interrupted";
            case compress_errc::bad_stream:
                return "bzip2 error";
            case compress_errc::unexpected:
                return "unexpected error";
            default:
                return "unknown error";
        }
    }
};

}  // namespace

const std::error_category& compress_category() noexcept {
    static const compress_category_impl category;
    return category;
}

std::error_code make_error_code(compress_errc value) noexcept {
    return {static_cast<int>(value), compress_category()};
}

std::system_error compress_failure(compress_errc value) {
    return std::system_error(make_error_code(value));
}

}  // namespace payload
