// The register of one installation run's working files: the run's temporary folder and the files the
// extraction put into it. While it lives it is the current register, which the notification handler
// adds to; destroying it removes the files and then the folder (which must be empty by then: nothing
// the run did not put there is ever deleted).
#pragma once

#include <boost/filesystem/path.hpp>

#include <vector>

class TemporaryFiles {
public:
    explicit TemporaryFiles(boost::filesystem::path folder);
    ~TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // The register of the run in progress; null outside a run.
    static TemporaryFiles* Current();

    void Add(const boost::filesystem::path& file);
    const boost::filesystem::path& Folder() const { return m_folder; }
    const std::vector<boost::filesystem::path>& Files() const { return m_files; }

private:
    boost::filesystem::path m_folder;
    std::vector<boost::filesystem::path> m_files;
    TemporaryFiles* m_previous;
};
