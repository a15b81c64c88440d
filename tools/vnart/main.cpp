// vnart: draws the installer's pictures at build time, so that no artwork is kept as binary files.
//
//   vnart PICTURE=FILE...
//
// PICTURE is "icon" (PNG), "banner" (8-bit palettised BMP), "flag:LANGUAGE" (PNG), LANGUAGE being
// the code of a product language (de, el, en, es, fr, he, hu, it, nl, pt, ro, tr, vi, zh), or
// "program-icon" / "uninstaller-icon" (an icon directory of PNG pictures, 16 to 256 pixels).
#include "artwork.hpp"
#include "flags.hpp"
#include "indexed_colour.hpp"
#include "program_icon.hpp"

#include <QSaveFile>

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct picture {
    QImage image;
    const char* format;
    QByteArray bytes;  // written as they are when not empty
};

picture draw(const std::string& name) {
    if (name == "icon") {
        return {vnart::draw_icon(), "PNG", {}};
    }
    if (name == "banner") {
        return {vnart::to_indexed8(vnart::draw_banner()), "BMP", {}};
    }
    if (name == "program-icon") {
        return {{}, nullptr, vnart::pack_icon_directory(vnart::program_icon_kind::main_program)};
    }
    if (name == "uninstaller-icon") {
        return {{}, nullptr, vnart::pack_icon_directory(vnart::program_icon_kind::uninstaller)};
    }
    if (name.starts_with("flag:")) {
        return {vnart::draw_flag(name.substr(5)), "PNG", {}};
    }
    throw std::invalid_argument("unknown picture \"" + name + "\"");
}

// Written through a temporary file, so that a failed run never leaves a picture cut short that the
// build would take as up to date.
void save(const picture& pic, const std::string& path) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        throw std::runtime_error(path + ": cannot be written");
    }
    const bool written =
        pic.bytes.isEmpty() ? pic.image.save(&file, pic.format) : file.write(pic.bytes) == pic.bytes.size();
    if (!written || !file.commit()) {
        throw std::runtime_error(path + ": cannot be written");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << "usage: vnart PICTURE=FILE...\n";
        return 2;
    }
    try {
        for (const std::string& arg : args) {
            const auto equals = arg.find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == arg.size()) {
                throw std::invalid_argument("expected PICTURE=FILE, got \"" + arg + "\"");
            }
            save(draw(arg.substr(0, equals)), arg.substr(equals + 1));
        }
    } catch (const std::exception& e) {
        std::cerr << "vnart: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
