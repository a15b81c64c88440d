// vnrc: the resource compiler. Turns the sources under resources/ into the resource table that the
// build links into the installer's ".vnres" section.
//
//   vnrc OUTPUT [--strings FILE]... [--version ID FILE]... [--dialog FILE]... [--file TYPE ID FILE]...
#include "dialog_source.hpp"
#include "platform/resources/dialog_template.hpp"
#include "platform/resources/resource_table.hpp"
#include "platform/resources/string_table.hpp"
#include "platform/version/version_block.hpp"
#include "string_source.hpp"
#include "version_source.hpp"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace res = platform::resources;

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path + ": cannot be read");
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::byte> read_bytes(const std::string& path) {
    const std::string text = read_text(path);
    std::vector<std::byte> bytes(text.size());
    std::transform(text.begin(), text.end(), bytes.begin(), [](char c) { return static_cast<std::byte>(c); });
    return bytes;
}

std::uint32_t parse_number(const std::string& text) {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 0);
    if (used != text.size() || value > 0xFFFFFFFFUL) {
        throw std::runtime_error("not a number: " + text);
    }
    return static_cast<std::uint32_t>(value);
}

void add_strings(res::resource_table_builder& table, std::set<std::uint32_t>& blocks, const std::string& path) {
    std::map<std::uint32_t, std::string> texts;
    try {
        texts = vnrc::parse_string_source(read_text(path));
    } catch (const vnrc::source_error& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
    if (texts.empty()) {
        throw std::runtime_error(path + ": no texts");
    }
    const std::uint32_t block = res::string_block_of(texts.begin()->first);
    if (res::string_block_of(texts.rbegin()->first) != block || !blocks.insert(block).second) {
        throw std::runtime_error(path + ": texts must fill one block of 1000 numbers of their own");
    }
    table.set(res::rt_string, block, res::encode_string_table(texts));
}

void add_version(res::resource_table_builder& table, std::uint32_t id, const std::string& path) {
    std::vector<std::byte> block;
    try {
        block = platform::version::build_version_block(vnrc::parse_version_source(read_text(path)));
    } catch (const std::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
    table.set(res::rt_version, id, std::move(block));
}

void add_dialog(res::resource_table_builder& table, std::set<std::uint32_t>& ids, const std::string& path) {
    vnrc::dialog_source source;
    try {
        source = vnrc::parse_dialog_source(read_text(path));
    } catch (const vnrc::source_error& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
    if (!ids.insert(source.id).second) {
        throw std::runtime_error(path + ": dialog " + std::to_string(source.id) + " is defined twice");
    }
    table.set(res::rt_dialog, source.id, res::encode_dialog(source.dialog));
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << "usage: vnrc OUTPUT [--strings FILE]... [--version ID FILE]... [--dialog FILE]... "
                     "[--file TYPE ID FILE]...\n";
        return 2;
    }
    try {
        res::resource_table_builder table;
        std::set<std::uint32_t> blocks;
        std::set<std::uint32_t> dialogs;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--strings" && i + 1 < args.size()) {
                add_strings(table, blocks, args[++i]);
            } else if (args[i] == "--version" && i + 2 < args.size()) {
                add_version(table, parse_number(args[i + 1]), args[i + 2]);
                i += 2;
            } else if (args[i] == "--dialog" && i + 1 < args.size()) {
                add_dialog(table, dialogs, args[++i]);
            } else if (args[i] == "--file" && i + 3 < args.size()) {
                table.set(parse_number(args[i + 1]), parse_number(args[i + 2]), read_bytes(args[i + 3]));
                i += 3;
            } else {
                throw std::runtime_error("unexpected argument: " + args[i]);
            }
        }
        const auto bytes = table.build();
        std::ofstream out(args[0], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            throw std::runtime_error(args[0] + ": cannot be written");
        }
    } catch (const std::exception& e) {
        std::cerr << "vnrc: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
