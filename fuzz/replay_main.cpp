// Runs files (or every file of folders) through the fuzz target's entry point, for builds without
// libFuzzer: the seed corpus keeps the target built and its checks run.
#include <boost/filesystem.hpp>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = boost::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            std::copy_if(fs::directory_iterator(argv[i]), fs::directory_iterator(), std::back_inserter(inputs),
                         [](const fs::directory_entry& e) { return fs::is_regular_file(e.path()); });
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& input : inputs) {
        std::ifstream in(input.string(), std::ios::binary);
        if (!in) {
            std::cerr << input << ": cannot be read\n";
            return 1;
        }
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << "replayed " << inputs.size() << " inputs\n";
    return inputs.empty() ? 1 : 0;
}
