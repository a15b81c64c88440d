// Dialog template resources (type rt_dialog): a dialog's frame, font and controls, each control with
// its id, window class, text, rectangle in dialog units and styles. Stands in for DLGTEMPLATE /
// DLGITEMTEMPLATE as read by CreateDialogIndirectParamW; the style bits keep their Windows values, so
// that a template reads the same as a resource script.
//
// Layout, little-endian; str = u32 byte length followed by that many UTF-8 bytes:
//   header   "VDLG", u32 format version (1)
//   dialog   u32 style, u32 extended style, i32 x, i32 y, i32 cx, i32 cy,
//            u16 font size in points, u16 reserved (0), str font face, str caption, u32 control count
//   control  i32 id, u32 style, u32 extended style, i32 x, i32 y, i32 cx, i32 cy,
//            u32 image resource id (0: none), str window class, str text
// Nothing follows the last control.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::resources {

struct control_template {
    std::int32_t id = -1;  // -1: a control that nobody addresses (a label, a picture)
    std::string window_class;
    std::string text;
    // For picture controls: the bitmap or icon resource shown (the ordinal of a resource script).
    std::uint32_t image_id = 0;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;

    bool operator==(const control_template&) const = default;
};

struct dialog_template {
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint16_t font_size = 8;
    std::string font_face = "DejaVu Sans";
    std::string caption;
    std::vector<control_template> controls;

    bool operator==(const dialog_template&) const = default;
};

// The window classes a template may name (compared without regard to case).
inline constexpr std::array<std::string_view, 7> control_classes = {
    "BUTTON", "EDIT", "STATIC", "COMBOBOX", "ComboBoxEx32", "msctls_progress32", "SysTreeView32",
};

std::vector<std::byte> encode_dialog(const dialog_template& dialog);

// Empty when the bytes are not a well-formed template (bad magic, truncated, trailing bytes).
std::optional<dialog_template> decode_dialog(std::span<const std::byte> bytes);

// Window styles, with their Windows values. Which of them apply depends on the window class.
namespace styles {
// any window
inline constexpr std::uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_MINIMIZE = 0x20000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_DISABLED = 0x08000000;
inline constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::uint32_t WS_MAXIMIZE = 0x01000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_DLGFRAME = 0x00400000;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000;
inline constexpr std::uint32_t WS_HSCROLL = 0x00100000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;

inline constexpr std::uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr std::uint32_t WS_EX_TRANSPARENT = 0x00000020;
inline constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr std::uint32_t WS_EX_RTLREADING = 0x00002000;
inline constexpr std::uint32_t WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr std::uint32_t WS_EX_STATICEDGE = 0x00020000;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
inline constexpr std::uint32_t WS_EX_LAYOUTRTL = 0x00400000;

// dialogs
inline constexpr std::uint32_t DS_3DLOOK = 0x0004;
inline constexpr std::uint32_t DS_FIXEDSYS = 0x0008;
inline constexpr std::uint32_t DS_SETFONT = 0x0040;
inline constexpr std::uint32_t DS_MODALFRAME = 0x0080;
inline constexpr std::uint32_t DS_CONTROL = 0x0400;
inline constexpr std::uint32_t DS_CENTER = 0x0800;
inline constexpr std::uint32_t DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

// BUTTON
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;
inline constexpr std::uint32_t BS_CHECKBOX = 0x0002;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x0003;
inline constexpr std::uint32_t BS_RADIOBUTTON = 0x0004;
inline constexpr std::uint32_t BS_3STATE = 0x0005;
inline constexpr std::uint32_t BS_AUTO3STATE = 0x0006;
inline constexpr std::uint32_t BS_GROUPBOX = 0x0007;
inline constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x0009;
inline constexpr std::uint32_t BS_TYPEMASK = 0x000F;

// EDIT
inline constexpr std::uint32_t ES_LEFT = 0x0000;
inline constexpr std::uint32_t ES_CENTER = 0x0001;
inline constexpr std::uint32_t ES_RIGHT = 0x0002;
inline constexpr std::uint32_t ES_MULTILINE = 0x0004;
inline constexpr std::uint32_t ES_PASSWORD = 0x0020;
inline constexpr std::uint32_t ES_AUTOVSCROLL = 0x0040;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr std::uint32_t ES_NOHIDESEL = 0x0100;
inline constexpr std::uint32_t ES_READONLY = 0x0800;
inline constexpr std::uint32_t ES_WANTRETURN = 0x1000;

// STATIC
inline constexpr std::uint32_t SS_LEFT = 0x0000;
inline constexpr std::uint32_t SS_CENTER = 0x0001;
inline constexpr std::uint32_t SS_RIGHT = 0x0002;
inline constexpr std::uint32_t SS_ICON = 0x0003;
inline constexpr std::uint32_t SS_BLACKRECT = 0x0004;
inline constexpr std::uint32_t SS_GRAYRECT = 0x0005;
inline constexpr std::uint32_t SS_WHITERECT = 0x0006;
inline constexpr std::uint32_t SS_SIMPLE = 0x000B;
inline constexpr std::uint32_t SS_LEFTNOWORDWRAP = 0x000C;
inline constexpr std::uint32_t SS_BITMAP = 0x000E;
inline constexpr std::uint32_t SS_ETCHEDHORZ = 0x0010;
inline constexpr std::uint32_t SS_ETCHEDVERT = 0x0011;
inline constexpr std::uint32_t SS_ETCHEDFRAME = 0x0012;
inline constexpr std::uint32_t SS_TYPEMASK = 0x001F;
inline constexpr std::uint32_t SS_NOPREFIX = 0x0080;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
inline constexpr std::uint32_t SS_SUNKEN = 0x1000;

// COMBOBOX and ComboBoxEx32
inline constexpr std::uint32_t CBS_SIMPLE = 0x0001;
inline constexpr std::uint32_t CBS_DROPDOWN = 0x0002;
inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003;
inline constexpr std::uint32_t CBS_SORT = 0x0100;
inline constexpr std::uint32_t CBS_HASSTRINGS = 0x0200;

// msctls_progress32
inline constexpr std::uint32_t PBS_SMOOTH = 0x01;
inline constexpr std::uint32_t PBS_VERTICAL = 0x04;

// SysTreeView32
inline constexpr std::uint32_t TVS_HASBUTTONS = 0x0001;
inline constexpr std::uint32_t TVS_HASLINES = 0x0002;
inline constexpr std::uint32_t TVS_LINESATROOT = 0x0004;
inline constexpr std::uint32_t TVS_SHOWSELALWAYS = 0x0020;
}  // namespace styles

}  // namespace platform::resources
