// Reading and writing the installation record. The file is UTF-8 text, one item a line:
//   Quillon installation record 1
//   log <size> <crc>
//   file <size> <crc> <modified ns> <path>
//   kept <path>
//   key <path>
//   check <crc of every byte before this line>
// Numbers are decimal, CRCs eight hexadecimal digits.
#include "uninstall_log/installation_record.hpp"

#include "platform/kernel/atomic_file.hpp"
#include "platform/kernel/shared_file.hpp"
#include "platform/kernel/win32_error.hpp"

#include <boost/crc.hpp>

#include <charconv>
#include <cstdio>
#include <istream>
#include <iterator>
#include <optional>
#include <string_view>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;

namespace {

constexpr std::string_view kHeader = "Quillon installation record 1\n";
constexpr std::size_t kLargestRecord = 64u << 20;  // far beyond any installation's; more is not ours

std::uint32_t Crc(std::string_view bytes) {
    boost::crc_32_type crc;
    crc.process_bytes(bytes.data(), bytes.size());
    return crc.checksum();
}

std::string Hex(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

bool Storable(const std::string& path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

// Takes the next space-separated field off `line`.
std::string_view Field(std::string_view& line) {
    const auto space = line.find(' ');
    const std::string_view field = line.substr(0, space);
    line = space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
    return field;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value, int base = 10) {
    if (text.empty() || (base == 16 && text.size() != 8)) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc{} && end == text.data() + text.size();
}

bool ParseFingerprint(std::string_view& line, kernel::file_fingerprint& print, bool withTime) {
    if (!ParseNumber(Field(line), print.size) || !ParseNumber(Field(line), print.crc32, 16)) {
        return false;
    }
    return !withTime || ParseNumber(Field(line), print.modified_ns);
}

// The lines between the header and the check, into `record`; false at the first that is not one.
bool ParseBody(std::string_view body, InstallationRecord& record, kernel::file_fingerprint& log) {
    bool sawLog = false;
    while (!body.empty()) {
        const auto end = body.find('\n');
        if (end == std::string_view::npos) {
            return false;
        }
        std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 1);
        const std::string_view tag = Field(line);
        if (tag == "log" && !sawLog) {
            sawLog = ParseFingerprint(line, log, false) && line.empty();
            if (!sawLog) {
                return false;
            }
        } else if (tag == "file") {
            kernel::file_fingerprint print;
            if (!ParseFingerprint(line, print, true) || line.empty()) {
                return false;
            }
            record.written[std::string(line)] = print;
        } else if (tag == "kept" && !line.empty()) {
            record.keptPreexisting.insert(std::string(line));
        } else if (tag == "key" && !line.empty()) {
            record.createdKeys.emplace_back(line);
        } else {
            return false;
        }
    }
    return sawLog;
}

std::optional<std::string> ReadWhole(const fs::path& file, std::error_code& error) {
    kernel::unique_fd fd = kernel::open_shared_file(file, kernel::file_access::read, error);
    if (!fd) {
        return std::nullopt;
    }
    kernel::file_input_buf buffer(std::move(fd));
    std::istream in(&buffer);
    std::string text;
    char chunk[1 << 14];
    try {
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            text.append(chunk, static_cast<std::size_t>(in.gcount()));
            if (text.size() > kLargestRecord) {
                break;
            }
        }
    } catch (const std::system_error& failure) {
        error = failure.code();
        return std::nullopt;
    }
    return text;
}

bool IsMissing(std::error_code error) {
    return error.value() == static_cast<int>(kernel::win32::file_not_found) ||
           error.value() == static_cast<int>(kernel::win32::path_not_found);
}

}  // namespace

ReadRecord ReadInstallationRecord(const fs::path& recordFile, const fs::path& logFile) {
    ReadRecord result;
    std::error_code error;
    const std::optional<std::string> text = ReadWhole(recordFile, error);
    if (!text) {
        result.state = IsMissing(error) ? RecordState::missing : RecordState::damaged;
        return result;
    }
    const std::string_view whole(*text);
    if (!whole.starts_with(kHeader) || whole.size() > kLargestRecord) {
        result.state = RecordState::foreign;
        return result;
    }
    result.state = RecordState::damaged;
    const auto checkLine = whole.rfind("check ");
    std::uint32_t check = 0;
    if (checkLine == std::string_view::npos || checkLine < kHeader.size() || whole[checkLine - 1] != '\n' ||
        !whole.ends_with('\n') || !ParseNumber(whole.substr(checkLine + 6, whole.size() - checkLine - 7), check, 16) ||
        check != Crc(whole.substr(0, checkLine))) {
        return result;
    }
    InstallationRecord record;
    kernel::file_fingerprint log;
    if (!ParseBody(whole.substr(kHeader.size(), checkLine - kHeader.size()), record, log)) {
        return result;
    }
    const auto current = kernel::fingerprint_file(logFile, error);
    if (!current || current->size != log.size || current->crc32 != log.crc32) {
        result.state = RecordState::foreign;
        return result;
    }
    result.state = RecordState::valid;
    result.record = std::move(record);
    return result;
}

bool WriteInstallationRecord(const fs::path& recordFile, const fs::path& logFile, const InstallationRecord& record) {
    std::error_code error;
    const auto log = kernel::fingerprint_file(logFile, error);
    if (!log) {
        return false;
    }
    std::string text(kHeader);
    text += "log " + std::to_string(log->size) + " " + Hex(log->crc32) + "\n";
    for (const auto& [path, print] : record.written) {
        if (Storable(path)) {
            text += "file " + std::to_string(print.size) + " " + Hex(print.crc32) + " " +
                    std::to_string(print.modified_ns) + " " + path + "\n";
        }
    }
    for (const auto& path : record.keptPreexisting) {
        if (Storable(path)) {
            text += "kept " + path + "\n";
        }
    }
    for (const auto& key : record.createdKeys) {
        if (Storable(key)) {
            text += "key " + key + "\n";
        }
    }
    text += "check " + Hex(Crc(text)) + "\n";

    kernel::atomic_file out(recordFile);
    out.set_permissions(0644);  // read by every user's uninstaller, as the log is
    out.write(std::as_bytes(std::span(text)));
    return out.is_open() && out.commit();
}
