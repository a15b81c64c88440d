// vnpack: packs the files a manifest lists into a payload, the bzip2-compressed archive that the
// installer carries as its resource 260/134 (see manifest.hpp for the manifest's syntax).
//
//   vnpack MANIFEST OUTPUT
//
// OUTPUT is replaced only once it is complete.
#include "manifest.hpp"
#include "packer.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/iostreams/device/file_descriptor.hpp>
#include <boost/iostreams/stream.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

namespace io = boost::iostreams;

// A file made beside the output, exclusively; removed unless it is kept by renaming it.
class temporary_output {
public:
    explicit temporary_output(const std::string& target) : m_path(target + ".XXXXXX") {
        m_fd = mkstemp(m_path.data());
        if (m_fd < 0) {
            throw vnpack::pack_error(target + ": cannot create a file beside it");
        }
    }
    ~temporary_output() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (!m_kept) {
            std::remove(m_path.c_str());
        }
    }
    temporary_output(const temporary_output&) = delete;
    temporary_output& operator=(const temporary_output&) = delete;

    int fd() const { return m_fd; }

    void keep_as(const std::string& target) {
        const bool ok = fchmod(m_fd, 0644) == 0 && fsync(m_fd) == 0 && ::close(m_fd) == 0;
        m_fd = -1;
        if (!ok || std::rename(m_path.c_str(), target.c_str()) != 0) {
            throw vnpack::pack_error(target + ": cannot be written");
        }
        m_kept = true;
    }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_kept = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: vnpack MANIFEST OUTPUT\n";
        return 2;
    }
    const std::string output = argv[2];
    try {
        const auto entries = vnpack::read_manifest_file(argv[1]);
        temporary_output file(output);
        vnpack::pack_summary summary;
        {
            io::stream<io::file_descriptor_sink> out(file.fd(), io::never_close_handle);
            summary = vnpack::pack_archive(entries, out);
        }
        file.keep_as(output);
        std::cout << "vnpack: " << summary.entry_count << " entries, " << summary.archive_size << " bytes, "
                  << boost::filesystem::file_size(output) << " compressed\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "vnpack: " << e.what() << '\n';
        return 1;
    }
}
