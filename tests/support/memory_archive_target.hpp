// An archive target that keeps everything in memory, for tests, the fuzz target and the
// benchmark. Folder texts resolve through a small token table under made-up roots; each entry's
// bytes are kept (or only counted) under its destination.
#pragma once

#include "payload/archive_target.hpp"
#include "payload/entry_path.hpp"

#include <boost/crc.hpp>

#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <streambuf>
#include <string>
#include <vector>

namespace test_support {

class memory_archive_target : public payload::archive_target {
public:
    struct stored_file {
        std::string bytes;  // empty unless bytes are kept
        std::uint64_t size = 0;
        boost::crc_32_type crc;
    };

    explicit memory_archive_target(bool keep_bytes = true) : m_keep_bytes(keep_bytes) {}

    // "<InstallPath>", "<SamplePath>" and "<Temporary>" as the writer's folders; "<CommonData>"
    // is /common with every folder below it recorded for access; other tokens are dropped.
    boost::filesystem::path resolve_folder(const std::string& folder_text, const payload::archive_folders& folders,
                                           payload::access_folder_list& access) override {
        ++resolved;
        const auto elements = payload::path_elements(folder_text);
        boost::filesystem::path base;
        bool record = false;
        std::size_t first = 0;
        if (!elements.empty() && payload::is_token_element(elements[0])) {
            first = 1;
            if (elements[0] == "<InstallPath>") {
                base = folders.install_folder;
            } else if (elements[0] == "<SamplePath>") {
                base = folders.sample_folder;
            } else if (elements[0] == "<Temporary>") {
                base = folders.temp_folder.empty() ? folders.install_folder : folders.temp_folder;
            } else if (elements[0] == "<CommonData>") {
                base = "/common";
                record = true;
            }
        }
        for (std::size_t i = first; i < elements.size(); ++i) {
            base /= std::string(elements[i]);
            if (record) {
                access.push_back({base, false});
            }
        }
        return base;
    }

    std::unique_ptr<std::ostream> open_entry_output(const payload::archive_entry& entry,
                                                    payload::access_folder_list&) override {
        opened.push_back(entry.destination);
        if (unopenable.count(entry.destination.filename().string()) != 0) {
            return std::make_unique<std::ostream>(nullptr);  // a stream in a failed state
        }
        files.erase(entry.destination);  // as a file is truncated
        stored_file& file = files[entry.destination];
        return std::make_unique<entry_stream>(file, m_keep_bytes);
    }

    std::uint32_t stored_crc32(const payload::archive_entry& entry) override {
        const std::uint32_t crc = files.at(entry.destination).crc.checksum();
        return damaged.count(entry.destination.filename().string()) != 0 ? ~crc : crc;
    }

    std::map<boost::filesystem::path, stored_file> files;
    std::vector<boost::filesystem::path> opened;
    int resolved = 0;
    std::set<std::string> unopenable;  // file names whose opening fails
    std::set<std::string> damaged;     // file names whose stored bytes read back wrong

private:
    class entry_buf : public std::streambuf {
    public:
        entry_buf(stored_file& file, bool keep) : m_file(&file), m_keep(keep) {}

    protected:
        std::streamsize xsputn(const char* bytes, std::streamsize count) override {
            m_file->crc.process_bytes(bytes, static_cast<std::size_t>(count));
            m_file->size += static_cast<std::uint64_t>(count);
            if (m_keep) {
                m_file->bytes.append(bytes, static_cast<std::size_t>(count));
            }
            return count;
        }
        int_type overflow(int_type c) override {
            if (traits_type::eq_int_type(c, traits_type::eof())) {
                return traits_type::not_eof(c);
            }
            const char byte = traits_type::to_char_type(c);
            xsputn(&byte, 1);
            return c;
        }

    private:
        stored_file* m_file;
        bool m_keep;
    };

    struct buf_holder {
        entry_buf buf;
    };

    class entry_stream : private buf_holder, public std::ostream {
    public:
        entry_stream(stored_file& file, bool keep) : buf_holder{entry_buf(file, keep)}, std::ostream(&buf) {}
    };

    bool m_keep_bytes;
};

}  // namespace test_support
