#include "identity/product_identity.hpp"

std::string FormatVersionNumber(std::uint64_t packedVersion) {
    return std::to_string((packedVersion >> 48) & 0xFFFF) + '.' + std::to_string((packedVersion >> 32) & 0xFFFF) + '.' +
           std::to_string((packedVersion >> 16) & 0xFFFF) + '.' + std::to_string(packedVersion & 0xFFFF);
}
