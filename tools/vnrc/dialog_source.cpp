#include "dialog_source.hpp"

#include "string_source.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <sstream>
#include <vector>

namespace vnrc {
namespace {

using namespace platform::resources::styles;
namespace res = platform::resources;

const std::map<std::string, std::uint32_t, std::less<>>& style_names() {
#define VNRC_STYLE(name) \
    { #name, name }
    static const std::map<std::string, std::uint32_t, std::less<>> names = {
        VNRC_STYLE(WS_OVERLAPPED),
        VNRC_STYLE(WS_POPUP),
        VNRC_STYLE(WS_CHILD),
        VNRC_STYLE(WS_MINIMIZE),
        VNRC_STYLE(WS_VISIBLE),
        VNRC_STYLE(WS_DISABLED),
        VNRC_STYLE(WS_CLIPSIBLINGS),
        VNRC_STYLE(WS_CLIPCHILDREN),
        VNRC_STYLE(WS_MAXIMIZE),
        VNRC_STYLE(WS_CAPTION),
        VNRC_STYLE(WS_BORDER),
        VNRC_STYLE(WS_DLGFRAME),
        VNRC_STYLE(WS_VSCROLL),
        VNRC_STYLE(WS_HSCROLL),
        VNRC_STYLE(WS_SYSMENU),
        VNRC_STYLE(WS_THICKFRAME),
        VNRC_STYLE(WS_GROUP),
        VNRC_STYLE(WS_TABSTOP),
        VNRC_STYLE(WS_MINIMIZEBOX),
        VNRC_STYLE(WS_MAXIMIZEBOX),
        VNRC_STYLE(WS_EX_DLGMODALFRAME),
        VNRC_STYLE(WS_EX_TRANSPARENT),
        VNRC_STYLE(WS_EX_CLIENTEDGE),
        VNRC_STYLE(WS_EX_RTLREADING),
        VNRC_STYLE(WS_EX_CONTROLPARENT),
        VNRC_STYLE(WS_EX_STATICEDGE),
        VNRC_STYLE(WS_EX_APPWINDOW),
        VNRC_STYLE(WS_EX_LAYOUTRTL),
        VNRC_STYLE(DS_3DLOOK),
        VNRC_STYLE(DS_FIXEDSYS),
        VNRC_STYLE(DS_SETFONT),
        VNRC_STYLE(DS_MODALFRAME),
        VNRC_STYLE(DS_CONTROL),
        VNRC_STYLE(DS_CENTER),
        VNRC_STYLE(DS_SHELLFONT),
        VNRC_STYLE(BS_PUSHBUTTON),
        VNRC_STYLE(BS_DEFPUSHBUTTON),
        VNRC_STYLE(BS_CHECKBOX),
        VNRC_STYLE(BS_AUTOCHECKBOX),
        VNRC_STYLE(BS_RADIOBUTTON),
        VNRC_STYLE(BS_3STATE),
        VNRC_STYLE(BS_AUTO3STATE),
        VNRC_STYLE(BS_GROUPBOX),
        VNRC_STYLE(BS_AUTORADIOBUTTON),
        VNRC_STYLE(ES_LEFT),
        VNRC_STYLE(ES_CENTER),
        VNRC_STYLE(ES_RIGHT),
        VNRC_STYLE(ES_MULTILINE),
        VNRC_STYLE(ES_PASSWORD),
        VNRC_STYLE(ES_AUTOVSCROLL),
        VNRC_STYLE(ES_AUTOHSCROLL),
        VNRC_STYLE(ES_NOHIDESEL),
        VNRC_STYLE(ES_READONLY),
        VNRC_STYLE(ES_WANTRETURN),
        VNRC_STYLE(SS_LEFT),
        VNRC_STYLE(SS_CENTER),
        VNRC_STYLE(SS_RIGHT),
        VNRC_STYLE(SS_ICON),
        VNRC_STYLE(SS_BLACKRECT),
        VNRC_STYLE(SS_GRAYRECT),
        VNRC_STYLE(SS_WHITERECT),
        VNRC_STYLE(SS_SIMPLE),
        VNRC_STYLE(SS_LEFTNOWORDWRAP),
        VNRC_STYLE(SS_BITMAP),
        VNRC_STYLE(SS_ETCHEDHORZ),
        VNRC_STYLE(SS_ETCHEDVERT),
        VNRC_STYLE(SS_ETCHEDFRAME),
        VNRC_STYLE(SS_NOPREFIX),
        VNRC_STYLE(SS_CENTERIMAGE),
        VNRC_STYLE(SS_SUNKEN),
        VNRC_STYLE(CBS_SIMPLE),
        VNRC_STYLE(CBS_DROPDOWN),
        VNRC_STYLE(CBS_DROPDOWNLIST),
        VNRC_STYLE(CBS_SORT),
        VNRC_STYLE(CBS_HASSTRINGS),
        VNRC_STYLE(PBS_SMOOTH),
        VNRC_STYLE(PBS_VERTICAL),
        VNRC_STYLE(TVS_HASBUTTONS),
        VNRC_STYLE(TVS_HASLINES),
        VNRC_STYLE(TVS_LINESATROOT),
        VNRC_STYLE(TVS_SHOWSELALWAYS),
    };
#undef VNRC_STYLE
    return names;
}

enum class token_kind { word, number, text, ordinal, bar };

struct token {
    token_kind kind;
    std::string text;         // word, or unescaped text
    std::int64_t number = 0;  // number or ordinal
};

class line_parser {
public:
    line_parser(std::string_view line, std::size_t number) : m_number(number) { tokenize(line); }

    [[noreturn]] void fail(const std::string& what) const {
        throw source_error("line " + std::to_string(m_number) + ": " + what);
    }
    bool done() const { return m_pos == m_tokens.size(); }
    const token* peek() const { return done() ? nullptr : &m_tokens[m_pos]; }

    std::string word(const char* what) {
        const token& t = next(what);
        if (t.kind != token_kind::word) {
            fail(std::string("expected ") + what);
        }
        return t.text;
    }
    std::int32_t integer(const char* what) {
        const token& t = next(what);
        if (t.kind != token_kind::number || t.number < INT32_MIN || t.number > INT32_MAX) {
            fail(std::string("expected ") + what);
        }
        return static_cast<std::int32_t>(t.number);
    }
    std::string text(const char* what) {
        const token& t = next(what);
        if (t.kind != token_kind::text) {
            fail(std::string("expected \"") + what + '"');
        }
        return t.text;
    }
    // A control's text: "quoted" or #resource.
    void control_text(res::control_template& control) {
        const token& t = next("control text");
        if (t.kind == token_kind::text) {
            control.text = t.text;
        } else if (t.kind == token_kind::ordinal && t.number > 0 && t.number <= UINT32_MAX) {
            control.image_id = static_cast<std::uint32_t>(t.number);
        } else {
            fail("expected \"text\" or #resource");
        }
    }
    // NAME | NUMBER | NOT NAME ..., starting from `value`.
    std::uint32_t style(std::uint32_t value) {
        do {
            bool remove = false;
            std::uint32_t bits = 0;
            const token& t = next("style");
            if (t.kind == token_kind::word && t.text == "NOT") {
                remove = true;
                bits = named_style(word("style name after NOT"));
            } else if (t.kind == token_kind::word) {
                bits = named_style(t.text);
            } else if (t.kind == token_kind::number && t.number >= 0 && t.number <= UINT32_MAX) {
                bits = static_cast<std::uint32_t>(t.number);
            } else {
                fail("expected a style");
            }
            value = remove ? value & ~bits : value | bits;
        } while (accept_bar());
        return value;
    }

private:
    const token& next(const char* what) {
        if (done()) {
            fail(std::string("missing ") + what);
        }
        return m_tokens[m_pos++];
    }
    bool accept_bar() {
        if (!done() && m_tokens[m_pos].kind == token_kind::bar) {
            ++m_pos;
            return true;
        }
        return false;
    }
    std::uint32_t named_style(const std::string& name) const {
        const auto& names = style_names();
        const auto found = names.find(name);
        if (found == names.end()) {
            fail("unknown style " + name);
        }
        return found->second;
    }

    std::int64_t parse_number(std::string_view digits) const {
        const bool negative = !digits.empty() && digits.front() == '-';
        std::string_view rest = negative ? digits.substr(1) : digits;
        int base = 10;
        if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
            base = 16;
            rest.remove_prefix(2);
        }
        std::int64_t value = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value, base);
        if (rest.empty() || ec != std::errc{} || end != rest.data() + rest.size()) {
            fail("bad number " + std::string(digits));
        }
        return negative ? -value : value;
    }

    void tokenize(std::string_view s) {
        std::size_t i = 0;
        auto is_word_char = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
        while (i < s.size()) {
            const char c = s[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
                break;
            } else if (c == '|') {
                m_tokens.push_back({token_kind::bar, {}});
                ++i;
            } else if (c == '"') {
                std::size_t end = i + 1;
                while (end < s.size() && s[end] != '"') {
                    end += s[end] == '\\' ? 2 : 1;
                }
                if (end >= s.size()) {
                    fail("unterminated text");
                }
                m_tokens.push_back({token_kind::text, unescape(s.substr(i + 1, end - i - 1), m_number)});
                i = end + 1;
            } else if (c == '#' || c == '-' || std::isdigit(static_cast<unsigned char>(c)) || is_word_char(c)) {
                std::size_t end = i + 1;
                while (end < s.size() && is_word_char(s[end])) {
                    ++end;
                }
                const std::string_view item = s.substr(i, end - i);
                if (c == '#') {
                    m_tokens.push_back({token_kind::ordinal, {}, parse_number(item.substr(1))});
                } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
                    m_tokens.push_back({token_kind::number, {}, parse_number(item)});
                } else {
                    m_tokens.push_back({token_kind::word, std::string(item)});
                }
                i = end;
            } else {
                fail(std::string("unexpected character '") + c + "'");
            }
        }
    }

    std::size_t m_number;
    std::vector<token> m_tokens;
    std::size_t m_pos = 0;
};

std::string known_class(line_parser& line, const std::string& name) {
    for (const auto known : res::control_classes) {
        if (std::equal(name.begin(), name.end(), known.begin(), known.end(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return std::string(known);
        }
    }
    line.fail("unknown window class " + name);
}

res::control_template parse_control(line_parser& line) {
    res::control_template control;
    control.id = line.integer("control id");
    const token* cls = line.peek();
    control.window_class =
        known_class(line, cls && cls->kind == token_kind::text ? line.text("class") : line.word("window class"));
    line.control_text(control);
    control.x = line.integer("x");
    control.y = line.integer("y");
    control.cx = line.integer("width");
    control.cy = line.integer("height");
    control.style = WS_CHILD | WS_VISIBLE;
    while (!line.done()) {
        const std::string keyword = line.word("STYLE or EXSTYLE");
        if (keyword == "STYLE") {
            control.style = line.style(control.style);
        } else if (keyword == "EXSTYLE") {
            control.ex_style = line.style(control.ex_style);
        } else {
            line.fail("expected STYLE or EXSTYLE, not " + keyword);
        }
    }
    return control;
}

}  // namespace

dialog_source parse_dialog_source(const std::string& text) {
    dialog_source source;
    bool have_dialog = false;
    std::istringstream in(text);
    std::string raw;
    for (std::size_t number = 1; std::getline(in, raw); ++number) {
        line_parser line(raw, number);
        if (line.done()) {
            continue;
        }
        const std::string keyword = line.word("a statement");
        if (!have_dialog && keyword != "DIALOG") {
            line.fail("the first statement must be DIALOG");
        }
        if (keyword == "DIALOG") {
            if (have_dialog) {
                line.fail("one DIALOG per file");
            }
            const auto id = line.integer("dialog id");
            if (id <= 0) {
                line.fail("a dialog id is positive");
            }
            source.id = static_cast<std::uint32_t>(id);
            source.dialog.x = line.integer("x");
            source.dialog.y = line.integer("y");
            source.dialog.cx = line.integer("width");
            source.dialog.cy = line.integer("height");
            have_dialog = true;
        } else if (keyword == "CAPTION") {
            source.dialog.caption = line.text("caption");
        } else if (keyword == "STYLE") {
            source.dialog.style = line.style(0);
        } else if (keyword == "EXSTYLE") {
            source.dialog.ex_style = line.style(0);
        } else if (keyword == "FONT") {
            const auto size = line.integer("font size");
            if (size <= 0 || size > 72) {
                line.fail("font size out of range");
            }
            source.dialog.font_size = static_cast<std::uint16_t>(size);
            source.dialog.font_face = line.text("font face");
        } else if (keyword == "CONTROL") {
            source.dialog.controls.push_back(parse_control(line));
            continue;
        } else {
            line.fail("unknown statement " + keyword);
        }
        if (!line.done()) {
            line.fail("unexpected text after " + keyword);
        }
    }
    if (!have_dialog) {
        throw source_error("no DIALOG statement");
    }
    return source;
}

}  // namespace vnrc
