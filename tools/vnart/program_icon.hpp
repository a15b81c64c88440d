// The product programs' icons: the emblem tile at every size desktops ask for, packed the way a
// program carries a multi-size icon (an icon directory whose pictures are PNG files).
#pragma once

#include <QByteArray>
#include <QImage>

#include <array>

namespace vnart {

// The sizes a program icon carries, smallest first.
inline constexpr std::array<int, 7> program_icon_sizes = {16, 24, 32, 48, 64, 128, 256};

enum class program_icon_kind {
    main_program,  // the quill tile
    uninstaller,   // the same tile with a removal mark
};

// The icon at one size, square, with a transparent surround (QImage::Format_ARGB32).
QImage draw_program_icon(program_icon_kind kind, int size);

// The icon directory: a 6-byte header (reserved 0, type 1, count) and one 16-byte entry per picture
// (width and height, 0 for 256; colour count 0; planes 1; 32 bits; byte count; offset), followed by
// the PNG files, all little-endian.
QByteArray pack_icon_directory(program_icon_kind kind);

}  // namespace vnart
