// vnres: lists, extracts and replaces the resources of a built program file, so that a product
// build can put a new payload into an installer without compiling it.
//
//   vnres list FILE
//   vnres extract FILE TYPE ID OUT
//   vnres replace FILE TYPE ID IN
#include "platform/kernel/atomic_file.hpp"
#include "platform/resources/elf_section.hpp"
#include "platform/resources/resource_module.hpp"
#include "platform/resources/resource_table.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace res = platform::resources;

struct tool_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::byte> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw tool_error(path + ": cannot be read");
    }
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::transform(chars.begin(), chars.end(), bytes.begin(), [](char c) { return std::byte(c); });
    return bytes;
}

// Replaces the target as a whole, so it is never left cut short.
void write_file_atomically(const std::string& path, std::span<const std::byte> bytes, mode_t mode) {
    platform::kernel::atomic_file out(path);
    out.write(bytes);
    out.set_permissions(mode);
    if (!out.commit()) {
        throw tool_error(path + ": cannot be written");
    }
}

std::uint32_t parse_number(const std::string& text) {
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used == text.size() && value <= 0xFFFFFFFFUL) {
            return static_cast<std::uint32_t>(value);
        }
    } catch (const std::exception&) {
    }
    throw tool_error("not a number: " + text);
}

res::resource_module open_module(const std::string& path) {
    auto module = res::resource_module::open(path);
    if (!module) {
        throw tool_error(path + ": not a program file");
    }
    return std::move(*module);
}

int list(const std::string& path) {
    const auto module = open_module(path);
    if (!module.has_section()) {
        throw tool_error(path + ": no resources");
    }
    std::cout << std::left << std::setw(12) << "TYPE" << std::setw(8) << "ID" << "SIZE\n";
    for (const auto& entry : module.entries()) {
        std::cout << std::setw(12) << (res::type_name(entry.type) + "(" + std::to_string(entry.type) + ")")
                  << std::setw(8) << entry.id << entry.data.size() << '\n';
    }
    return 0;
}

int extract(const std::string& path, std::uint32_t type, std::uint32_t id, const std::string& out) {
    const auto module = open_module(path);
    const auto data = module.find(type, id);
    if (!data) {
        throw tool_error(path + ": no resource " + std::to_string(type) + "/" + std::to_string(id));
    }
    write_file_atomically(out, *data, 0644);
    return 0;
}

int replace(const std::string& path, std::uint32_t type, std::uint32_t id, const std::string& in) {
    const auto image = read_file(path);
    const auto range = res::find_elf_section(image, res::resource_section_name);
    if (!range) {
        throw tool_error(path + ": no resource section");
    }
    const auto table = res::resource_table::parse(std::span(image).subspan(range->offset, range->size));
    if (!table) {
        throw tool_error(path + ": resource section is damaged");
    }
    res::resource_table_builder builder;
    for (const auto& entry : table->entries()) {
        builder.set(entry.type, entry.id, std::vector<std::byte>(entry.data.begin(), entry.data.end()));
    }
    builder.set(type, id, read_file(in));
    const auto updated = res::replace_elf_section(image, res::resource_section_name, builder.build());
    if (!updated) {
        throw tool_error(path + ": resource section cannot be rewritten");
    }
    struct stat st {};
    write_file_atomically(path, *updated, stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0755);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "list") {
            return list(args[1]);
        }
        if (args.size() == 5 && args[0] == "extract") {
            return extract(args[1], parse_number(args[2]), parse_number(args[3]), args[4]);
        }
        if (args.size() == 5 && args[0] == "replace") {
            return replace(args[1], parse_number(args[2]), parse_number(args[3]), args[4]);
        }
    } catch (const std::exception& e) {
        std::cerr << "vnres: " << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: vnres list FILE\n"
                 "       vnres extract FILE TYPE ID OUT\n"
                 "       vnres replace FILE TYPE ID IN\n";
    return 2;
}
