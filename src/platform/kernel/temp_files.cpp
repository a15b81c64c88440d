#include "platform/kernel/temp_files.hpp"

#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/win32_error.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

namespace platform::kernel {
namespace {

constexpr int exclusive_file_flags = O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int random_name_attempts = 100;

std::mt19937_64& random_engine() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    return engine;
}

std::string random_part(std::size_t length) {
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::string part(length, ' ');
    for (char& c : part) {
        c = alphabet[pick(random_engine())];
    }
    return part;
}

// The first `count` characters of UTF-8 text, never splitting one.
std::string_view leading_characters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    while (end < text.size() && count > 0) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            ++end;
        }
        --count;
    }
    return text.substr(0, end);
}

bool is_plain_name_part(std::string_view part) {
    return part.find('/') == std::string_view::npos;
}

// The folder held open, or the Win32 failure (ERROR_PATH_NOT_FOUND when it is missing).
std::error_code open_folder(const boost::filesystem::path& folder, unique_fd& opened) {
    if (const int error = walk_path(folder.empty() ? "." : folder, last_link::follow, opened)) {
        return error == ENOENT ? fail_with(win32::path_not_found) : fail_with_errno(error, folder);
    }
    return {};
}

}  // namespace

std::error_code create_temp_file(const boost::filesystem::path& folder, std::string_view prefix,
                                 boost::filesystem::path& created) {
    if (!is_plain_name_part(prefix)) {
        return fail_with(win32::invalid_parameter);
    }
    unique_fd held;
    if (auto error = open_folder(folder, held)) {
        return error;
    }
    const std::string stem(leading_characters(prefix, 3));
    constexpr unsigned name_count = 0xFFFF;
    const unsigned start = std::uniform_int_distribution<unsigned>(0, name_count - 1)(random_engine());
    for (unsigned i = 0; i < name_count; ++i) {
        const unsigned unique = (start + i) % name_count + 1;
        char number[8];
        std::snprintf(number, sizeof number, "%04X", unique);
        const std::string name = stem + number + ".tmp";
        unique_fd file(::openat(held.get(), name.c_str(), O_WRONLY | exclusive_file_flags, 0600));
        if (file) {
            if (file.close() != 0) {
                const int error = errno;
                ::unlinkat(held.get(), name.c_str(), 0);
                return fail_with_errno(error, folder / name);
            }
            created = folder / name;
            return {};
        }
        if (errno != EEXIST) {
            return fail_with_errno(errno, folder / name);
        }
    }
    return fail_with(win32::file_exists);
}

std::error_code create_temp_folder(const boost::filesystem::path& folder, std::string_view prefix,
                                   boost::filesystem::path& created) {
    if (!is_plain_name_part(prefix)) {
        return fail_with(win32::invalid_parameter);
    }
    unique_fd held;
    if (auto error = open_folder(folder, held)) {
        return error;
    }
    for (int attempt = 0; attempt < random_name_attempts; ++attempt) {
        const std::string name = std::string(prefix) + random_part(6);
        if (::mkdirat(held.get(), name.c_str(), 0700) == 0) {
            created = folder / name;
            return {};
        }
        if (errno != EEXIST) {
            return fail_with_errno(errno, folder / name);
        }
    }
    return fail_with(win32::file_exists);
}

std::error_code create_private_folder(const boost::filesystem::path& path) {
    held_entry entry;
    if (const int error = hold_entry(path, entry)) {
        return fail_with_errno(error, path);
    }
    if (::mkdirat(entry.folder.get(), entry.name.c_str(), 0700) != 0) {
        return fail_with_errno(errno, path);
    }
    return {};
}

unique_fd create_unique_file(const boost::filesystem::path& folder, std::string_view stem, std::string_view suffix,
                             boost::filesystem::path& created, std::error_code& error) {
    unique_fd held;
    if ((error = open_folder(folder, held))) {
        return {};
    }
    std::string name;
    unique_fd file = create_unique_file_at(held.get(), stem, suffix, name, error);
    if (file) {
        created = folder / name;
    }
    return file;
}

unique_fd create_unique_file_at(int folder, std::string_view stem, std::string_view suffix, std::string& created,
                                std::error_code& error) {
    if (!is_plain_name_part(stem) || !is_plain_name_part(suffix)) {
        error = fail_with(win32::invalid_parameter);
        return {};
    }
    for (int attempt = 0; attempt < random_name_attempts; ++attempt) {
        std::string candidate = std::string(stem) + random_part(6) + std::string(suffix);
        unique_fd file(::openat(folder, candidate.c_str(), O_RDWR | exclusive_file_flags, 0600));
        if (file) {
            created = std::move(candidate);
            error.clear();
            return file;
        }
        if (errno != EEXIST) {
            error = fail_with_errno(errno, candidate);
            return {};
        }
    }
    error = fail_with(win32::file_exists);
    return {};
}

}  // namespace platform::kernel
