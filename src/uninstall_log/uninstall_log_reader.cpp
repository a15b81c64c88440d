// Reading a previous installation's "Uninstall.ulog".
#include "uninstall_log/log_line_reader.hpp"
#include "uninstall_log/uninstall_log.hpp"

#include <boost/filesystem/operations.hpp>

#include <charconv>
#include <fstream>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n";

std::string_view TrimLeft(std::string_view s) {
    const auto first = s.find_first_not_of(kWhiteSpace);
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

std::string_view TrimRight(std::string_view s) {
    const auto last = s.find_last_not_of(kWhiteSpace);
    return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

// The text after `label`, trimmed; empty optional when the label is missing.
std::optional<std::string_view> AfterLabel(std::string_view line, std::string_view label) {
    const auto at = line.find(label);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(at + label.size()));
}

std::string ExistingFolderOrEmpty(std::string_view path) {
    boost::system::error_code ec;
    return !path.empty() && boost::filesystem::is_directory(std::string(path), ec) ? std::string(path) : std::string();
}

// Consumes a number in the given base after optional white space; false when there is none.
template <typename T>
bool ReadNumber(std::string_view& s, T& value, int base) {
    s = TrimLeft(s);
    const bool negative = !s.empty() && s.front() == '-';
    if (!s.empty() && (s.front() == '+' || negative)) {
        s.remove_prefix(1);
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc{}) {
        return false;
    }
    if (negative) {
        value = static_cast<T>(-value);
    }
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    return true;
}

bool ReadChar(std::string_view& s, char expected) {
    s = TrimLeft(s);
    if (s.empty() || s.front() != expected) {
        return false;
    }
    s.remove_prefix(1);
    return true;
}

// An entry line "INDEX:CODE:DONE -- PATH"; empty when any part is missing or out of range.
std::optional<UninstallLogEntry> ParseEntry(std::string_view s) {
    long long index = 0;
    unsigned long long code = 0;
    if (!ReadNumber(s, index, 10) || index < 0 || !ReadChar(s, ':') || !ReadNumber(s, code, 16) || !ReadChar(s, ':')) {
        return std::nullopt;
    }
    s = TrimLeft(s);
    if (s.empty() || (s.front() != '0' && s.front() != '1')) {
        return std::nullopt;
    }
    const bool done = s.front() == '1';
    s = TrimLeft(s.substr(1));
    const auto wordEnd = s.find_first_of(kWhiteSpace);
    if (s.substr(0, wordEnd) != "--") {
        return std::nullopt;
    }
    s = wordEnd == std::string_view::npos ? std::string_view{} : TrimLeft(s.substr(wordEnd));
    const auto kind = code >> 8;
    if (kind > KindNumber(UninstallLogEntry::lastKind)) {
        return std::nullopt;
    }
    UninstallLogEntry entry;
    entry.kind = static_cast<EntryKind>(kind);
    entry.value = (code & 0xFF) == 0xFF ? -1 : static_cast<std::int32_t>(code & 0xFF);
    entry.done = done;
    if (entry.kind != UninstallLogEntry::UninstallKey && entry.kind != UninstallLogEntry::RegistrationRun) {
        entry.path = std::string(s);
    }
    return entry;
}

}  // namespace

void UninstallLog::Read(const boost::filesystem::path* file) {
    installPath.clear();
    shortcutPath.clear();
    boost::system::error_code ec;
    if (file == nullptr || !boost::filesystem::is_regular_file(*file, ec)) {
        return;
    }
    std::ifstream in(file->string(), std::ios::binary);
    if (!in) {
        return;
    }
    LogLineReader lines(in);
    long version = 0;
    std::string raw;
    for (int number = 0; lines.Next(raw) == LogLineReader::Status::Line; ++number) {
        const std::string_view line = TrimRight(raw);
        if (line.starts_with("//")) {
            const auto afterSlashes = line.find_first_not_of('/');
            const std::string_view text =
                afterSlashes == std::string_view::npos ? std::string_view{} : TrimLeft(line.substr(afterSlashes));
            if (number == 0) {
                const auto marker = text.find("Uninstall Log File v");
                std::string_view rest =
                    marker == std::string_view::npos ? std::string_view{} : text.substr(marker + 20);
                if (!ReadNumber(rest, version, 10) || version != 1) {
                    return;
                }
            } else if (number == 2) {
                const auto product = AfterLabel(text, "Install");
                if (!product) {
                    return;
                }
                previousProduct = std::string(Trim(product->substr(0, product->find("--"))));
            } else if (number == 3 || number == 4) {
                // The label's trailing blank went with the trimming when the path is empty, so the
                // label is matched without it: an empty path reads as empty, not as a broken log.
                const auto path = AfterLabel(text, number == 3 ? "Install Path :" : "Shortcut Path :");
                if (!path) {
                    return;
                }
                (number == 3 ? installPath : shortcutPath) = ExistingFolderOrEmpty(*path);
            }
            continue;
        }
        if (version != 1) {
            return;
        }
        auto entry = ParseEntry(line);
        if (!entry) {
            return;
        }
        previousEntries.push_back(std::move(*entry));
    }
}
