#include "payload_files.hpp"

#include <array>

namespace product_data {

namespace {

constexpr std::size_t kb = 1024;

// Sizes that differ from file to file as real ones do, without randomness: base plus a spread.
std::size_t varied(std::size_t base_kb, std::size_t spread_kb, std::size_t index) {
    return (base_kb + index * 37 % spread_kb) * kb;
}

}  // namespace

std::vector<payload_file> payload_files() {
    std::vector<payload_file> files;
    auto add = [&files](std::string name, std::string folder, entry_kind kind, content_kind content, std::size_t size) {
        files.push_back({std::move(name), std::move(folder), kind, true, content, size});
    };
    auto add_built = [&files](std::string name, std::string folder, entry_kind kind) {
        files.push_back({std::move(name), std::move(folder), kind, false, content_kind::binary_code, 0});
    };

    add_built(main_program_name, "<InstallPath>", entry_kind::main_program);
    add_built(uninstaller_name, "<InstallPath>", entry_kind::uninstaller);

    constexpr std::array languages = {"en", "de", "fr", "es", "it", "nl", "pt", "pl", "cs", "hu", "ja", "zh", "ru"};
    std::size_t index = 0;
    for (const char* language : languages) {
        add(std::string("Quillon.") + language + ".lang", "<InstallPath>\\Lang", entry_kind::program_file,
            content_kind::language_catalogue, varied(190, 90, index++));
    }

    const std::string common = "<CommonData>\\Vintrel\\Quillon 7";
    for (const char* name : {"Brushes.qbr", "Palettes.qpal", "Symbols.qsym", "Styles.qsty", "Templates.qtpl"}) {
        add(name, common, entry_kind::shared_data, content_kind::settings, varied(210, 180, index++));
    }
    add("Quillon.qlib", common, entry_kind::shared_data, content_kind::binary_code, 640 * kb);
    const std::string materials = "<CommonData>\\Vintrel\\Materials";
    for (const char* name : {"Wood.qmat", "Stone.qmat", "Metal.qmat", "Glass.qmat", "Fabric.qmat", "Paper.qmat",
                             "Leather.qmat", "Marble.qmat", "Ceramic.qmat", "Plastic.qmat"}) {
        add(name, materials, entry_kind::shared_data, content_kind::settings, varied(96, 64, index++));
    }
    const std::string textures = "<CommonData>\\Vintrel\\Textures\\Quillon 7";
    for (const char* name : {"Canvas.qtx", "Parchment.qtx", "Grain.qtx"}) {
        add(name, textures, entry_kind::shared_data, content_kind::texture, 512 * kb);
    }
    const std::string user = "<UserData>\\Vintrel\\Quillon 7";
    for (const char* name : {"Settings.qcfg", "Shortcuts.qcfg", "Workspace.qcfg"}) {
        add(name, user, entry_kind::shared_data, content_kind::settings, 24 * kb);
    }

    for (int i = 1; i <= 16; ++i) {
        add("Sample" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".qln", "<SamplePath>",
            entry_kind::sample_data, content_kind::document, varied(360, 400, static_cast<std::size_t>(i)));
    }
    for (const char* name : {"Bark.qtx", "Brick.qtx", "Clouds.qtx", "Cobble.qtx", "Grass.qtx", "Ice.qtx", "Lava.qtx",
                             "Moss.qtx", "Rust.qtx", "Sand.qtx", "Slate.qtx", "Water.qtx"}) {
        add(name, "<SamplePath>\\Textures", entry_kind::sample_data, content_kind::texture, 600 * kb);
    }

    add_built(setup_library_name, "<Temporary>", entry_kind::temporary);
    add("dsetup32.dll", "<Temporary>", entry_kind::temporary, content_kind::binary_code, 740 * kb);
    add("dxdllreg_x86.cab", "<Temporary>", entry_kind::temporary, content_kind::cabinet, 52 * kb);
    add("dxupdate.cab", "<Temporary>", entry_kind::temporary, content_kind::cabinet, 100 * kb);
    add("Jun2010_D3DCompiler_43_x86.cab", "<Temporary>", entry_kind::temporary, content_kind::cabinet, 1036 * kb);
    add("Jun2010_d3dx9_43_x86.cab", "<Temporary>", entry_kind::temporary, content_kind::cabinet, 1558 * kb);
    return files;
}

}  // namespace product_data
