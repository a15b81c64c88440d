// A program's first icon, as the shell shows it for a shortcut that names no icon location: the icon
// group (RT_GROUP_ICON) with the lowest id among the program file's resources. Stands in for
// ExtractIconExW(file, 0, ...) and the icon lookup behind a shortcut without SetIconLocation.
//
// A group holds either one PNG file or an icon directory (a 6-byte header, 16-byte entries naming
// the offset and size of each picture) whose pictures are PNG files; pictures in other formats, not
// square, or outside the group's bytes are left out, as are later pictures of a size already taken.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <span>
#include <vector>

namespace platform::shell {

struct icon_picture {
    int size = 0;                // width and height in pixels
    std::vector<std::byte> png;  // the PNG file
};

// The pictures of one icon group's bytes, smallest first.
std::vector<icon_picture> icon_group_pictures(std::span<const std::byte> group);

// The pictures of the program file's first icon, smallest first; empty when the file cannot be read,
// carries no icon, or its first icon has no usable picture.
std::vector<icon_picture> first_icon_pictures(const boost::filesystem::path& program);

}  // namespace platform::shell
