#include "product_programs.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/iostreams/copy.hpp>
#include <boost/iostreams/filter/bzip2.hpp>
#include <boost/iostreams/filtering_stream.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace {

namespace fs = boost::filesystem;
namespace io = boost::iostreams;

const fs::path payload_file = fs::path(QUILLON_BINARY_DIR) / "product" / "payload.bz2";

struct index_entry {
    std::string name;
    std::string folder;
    std::uint32_t kind = 0;
    std::uint64_t size = 0;
};

struct archive {
    std::uint64_t index_size = 0;
    std::uint64_t length = 0;
    std::vector<index_entry> entries;
};

std::uint64_t read_number(std::istream& in, int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in.get())) << (8 * i);
    }
    return value;
}

std::string read_text(std::istream& in) {
    const auto units = read_number(in, 4);
    std::string text;
    for (std::uint64_t i = 0; i < units; ++i) {
        text += static_cast<char>(read_number(in, 2));  // the payload's names are ASCII
    }
    return text;
}

archive read_archive() {
    std::ifstream file(payload_file.string(), std::ios::binary);
    io::filtering_istream in;
    in.push(io::bzip2_decompressor());
    in.push(file);
    std::ostringstream bytes;
    io::copy(in, bytes);
    std::istringstream data(bytes.str());
    archive a;
    a.length = bytes.str().size();
    a.index_size = read_number(data, 8);
    const auto count = read_number(data, 4);
    for (std::uint64_t i = 0; i < count && data; ++i) {
        index_entry e;
        const std::string source = read_text(data);
        e.name = source.substr(source.find_last_of("/\\") + 1);
        e.folder = read_text(data);
        e.kind = static_cast<std::uint32_t>(read_number(data, 4));
        e.size = read_number(data, 8);
        read_number(data, 4);
        a.entries.push_back(e);
    }
    return a;
}

std::string run_and_read(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) {
            output += buffer;
        }
        ::pclose(pipe);
    }
    return output;
}

TEST(ProductPayload, HasTheShapeOfTheShippedArchive) {
    if (!fs::exists(payload_file)) {
        GTEST_SKIP() << "the payload is not built in this tree";
    }
    const archive a = read_archive();
    ASSERT_EQ(a.entries.size(), 71u);
    std::map<std::uint32_t, int> per_kind;
    std::map<std::string, index_entry> by_name;
    std::uint64_t total = a.index_size;
    for (const auto& e : a.entries) {
        ++per_kind[e.kind];
        by_name[e.name] = e;
        total += e.size;
        const std::string first = e.folder.substr(0, e.folder.find('\\'));
        const std::map<std::uint32_t, std::vector<std::string>> tokens = {
            {0, {"<InstallPath>"}}, {1, {"<InstallPath>"}}, {2, {"<InstallPath>"}}, {3, {"<CommonData>", "<UserData>"}},
            {4, {"<SamplePath>"}},  {5, {"<Temporary>"}}};
        ASSERT_TRUE(tokens.count(e.kind)) << e.name;
        EXPECT_NE(std::find(tokens.at(e.kind).begin(), tokens.at(e.kind).end(), first), tokens.at(e.kind).end())
            << e.name << " in " << e.folder;
    }
    EXPECT_EQ(per_kind, (std::map<std::uint32_t, int>{{0, 13}, {1, 1}, {2, 1}, {3, 22}, {4, 28}, {5, 6}}));
    EXPECT_EQ(by_name.size(), 71u) << "every installed name is unique";
    EXPECT_EQ(total, a.length);
    EXPECT_EQ(by_name["quillon"].kind, 1u);
    EXPECT_EQ(by_name["uninstall"].kind, 2u);
    EXPECT_EQ(by_name["DSETUP.dll"].kind, 5u);
    EXPECT_EQ(by_name["Quillon.de.lang"].folder, "<InstallPath>\\Lang");
}

TEST(ProductPayload, IsEmbeddedInTheInstaller) {
    if (!fs::exists(payload_file)) {
        GTEST_SKIP() << "the payload is not built in this tree";
    }
    const std::string listing =
        run_and_read(product_test::built("vnres").string() + " list " + product_test::built("quillon-setup").string());
    const std::regex payload_line("\\(260\\)\\s*134\\s+" + std::to_string(fs::file_size(payload_file)) + "\\b");
    EXPECT_TRUE(std::regex_search(listing, payload_line)) << listing;
}

}  // namespace
