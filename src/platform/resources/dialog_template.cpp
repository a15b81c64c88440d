#include "platform/resources/dialog_template.hpp"

#include <cstring>

namespace platform::resources {
namespace {

constexpr char magic[4] = {'V', 'D', 'L', 'G'};
constexpr std::uint32_t format_version = 1;
// The fixed part of a control: id, two styles, four coordinates, image id and two string lengths.
constexpr std::size_t min_control_size = 4 * 8 + 4 * 2;

class writer {
public:
    template <typename T>
    void put(T value) {
        const auto bits = static_cast<std::make_unsigned_t<T>>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            m_out.push_back(static_cast<std::byte>((bits >> (8 * i)) & 0xFF));
        }
    }
    void put_string(const std::string& text) {
        put<std::uint32_t>(static_cast<std::uint32_t>(text.size()));
        for (char c : text) {
            m_out.push_back(static_cast<std::byte>(c));
        }
    }
    std::vector<std::byte> take() { return std::move(m_out); }

private:
    std::vector<std::byte> m_out;
};

// Bounds-checked reads; the first read past the end makes the reader fail for good.
class reader {
public:
    explicit reader(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    template <typename T>
    T get() {
        std::make_unsigned_t<T> bits = 0;
        if (!take(sizeof(T))) {
            return 0;
        }
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            bits |= static_cast<std::make_unsigned_t<T>>(std::to_integer<std::uint8_t>(m_bytes[m_pos - sizeof(T) + i]))
                    << (8 * i);
        }
        return static_cast<T>(bits);
    }
    std::string get_string() {
        const auto size = get<std::uint32_t>();
        if (!take(size)) {
            return {};
        }
        return std::string(reinterpret_cast<const char*>(m_bytes.data() + m_pos - size), size);
    }
    bool ok() const { return m_ok; }
    std::size_t remaining() const { return m_bytes.size() - m_pos; }

private:
    bool take(std::size_t n) {
        if (!m_ok || n > remaining()) {
            m_ok = false;
            return false;
        }
        m_pos += n;
        return true;
    }

    std::span<const std::byte> m_bytes;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace

std::vector<std::byte> encode_dialog(const dialog_template& dialog) {
    writer out;
    for (char c : magic) {
        out.put<std::uint8_t>(static_cast<std::uint8_t>(c));
    }
    out.put<std::uint32_t>(format_version);
    out.put<std::uint32_t>(dialog.style);
    out.put<std::uint32_t>(dialog.ex_style);
    out.put<std::int32_t>(dialog.x);
    out.put<std::int32_t>(dialog.y);
    out.put<std::int32_t>(dialog.cx);
    out.put<std::int32_t>(dialog.cy);
    out.put<std::uint16_t>(dialog.font_size);
    out.put<std::uint16_t>(0);
    out.put_string(dialog.font_face);
    out.put_string(dialog.caption);
    out.put<std::uint32_t>(static_cast<std::uint32_t>(dialog.controls.size()));
    for (const auto& control : dialog.controls) {
        out.put<std::int32_t>(control.id);
        out.put<std::uint32_t>(control.style);
        out.put<std::uint32_t>(control.ex_style);
        out.put<std::int32_t>(control.x);
        out.put<std::int32_t>(control.y);
        out.put<std::int32_t>(control.cx);
        out.put<std::int32_t>(control.cy);
        out.put<std::uint32_t>(control.image_id);
        out.put_string(control.window_class);
        out.put_string(control.text);
    }
    return out.take();
}

std::optional<dialog_template> decode_dialog(std::span<const std::byte> bytes) {
    if (bytes.size() < sizeof magic || std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        return std::nullopt;
    }
    reader in(bytes.subspan(sizeof magic));
    if (in.get<std::uint32_t>() != format_version) {
        return std::nullopt;
    }
    dialog_template dialog;
    dialog.style = in.get<std::uint32_t>();
    dialog.ex_style = in.get<std::uint32_t>();
    dialog.x = in.get<std::int32_t>();
    dialog.y = in.get<std::int32_t>();
    dialog.cx = in.get<std::int32_t>();
    dialog.cy = in.get<std::int32_t>();
    dialog.font_size = in.get<std::uint16_t>();
    in.get<std::uint16_t>();
    dialog.font_face = in.get_string();
    dialog.caption = in.get_string();
    const auto count = in.get<std::uint32_t>();
    if (!in.ok() || count > in.remaining() / min_control_size) {
        return std::nullopt;
    }
    dialog.controls.resize(count);
    for (auto& control : dialog.controls) {
        control.id = in.get<std::int32_t>();
        control.style = in.get<std::uint32_t>();
        control.ex_style = in.get<std::uint32_t>();
        control.x = in.get<std::int32_t>();
        control.y = in.get<std::int32_t>();
        control.cx = in.get<std::int32_t>();
        control.cy = in.get<std::int32_t>();
        control.image_id = in.get<std::uint32_t>();
        control.window_class = in.get_string();
        control.text = in.get_string();
    }
    if (!in.ok() || in.remaining() != 0) {
        return std::nullopt;
    }
    return dialog;
}

}  // namespace platform::resources
