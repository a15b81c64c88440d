#include "engine/temporary_files.hpp"

#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/folder_creator.hpp"

namespace kernel = platform::kernel;

namespace {

TemporaryFiles* g_current = nullptr;

}  // namespace

TemporaryFiles::TemporaryFiles(boost::filesystem::path folder) : m_folder(std::move(folder)), m_previous(g_current) {
    g_current = this;
}

TemporaryFiles::~TemporaryFiles() {
    g_current = m_previous;
    // Removal errors are of no consequence to the run: a file still in use stays behind.
    for (const auto& file : m_files) {
        (void)kernel::delete_file(file);
    }
    if (!m_folder.empty()) {
        (void)kernel::delete_file(m_folder / kernel::folder_creator_marker);
        (void)kernel::remove_folder(m_folder);
    }
}

TemporaryFiles* TemporaryFiles::Current() {
    return g_current;
}

void TemporaryFiles::Add(const boost::filesystem::path& file) {
    m_files.push_back(file);
}
