#include "platform/kernel/shared_file.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/scratch_folder.hpp"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <istream>
#include <iterator>
#include <ostream>

namespace kernel = platform::kernel;
using test_support::scratch_folder;

namespace {

kernel::file_input_buf open_input(const boost::filesystem::path& path) {
    std::error_code error;
    auto fd = kernel::open_shared_file(path, kernel::file_access::read, error);
    EXPECT_TRUE(fd) << error.message();
    return kernel::file_input_buf(std::move(fd));
}

}  // namespace

TEST(FileInputBuf, BlockReadsFillEachBlockUntilTheEnd) {
    scratch_folder scratch;
    std::string content;
    for (int i = 0; i < 10000; ++i) {
        content += static_cast<char>(i * 7);
    }
    test_support::write_file(scratch / "data", content);
    auto input = open_input(scratch / "data");
    std::string read;
    char block[4096];
    std::vector<std::streamsize> sizes;
    while (const std::streamsize got = input.sgetn(block, sizeof block)) {
        sizes.push_back(got);
        read.append(block, static_cast<std::size_t>(got));
    }
    EXPECT_EQ(sizes, (std::vector<std::streamsize>{4096, 4096, 1808}));
    EXPECT_EQ(read, content);
}

TEST(FileInputBuf, CharacterAndBlockReadsMixInOrder) {
    scratch_folder scratch;
    test_support::write_file(scratch / "data", "abcdef");
    auto input = open_input(scratch / "data");
    EXPECT_EQ(input.sgetc(), 'a');  // looked at, not taken
    char block[3];
    ASSERT_EQ(input.sgetn(block, 3), 3);
    EXPECT_EQ(std::string(block, 3), "abc");
    std::istream stream(&input);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stream), {}), "def");
    EXPECT_EQ(input.sgetc(), std::char_traits<char>::eof());
}

TEST(FileInputBuf, AFailedReadThrowsTheWin32Code) {
    scratch_folder scratch;
    kernel::file_input_buf input(kernel::unique_fd(::open(scratch.path().c_str(), O_RDONLY | O_CLOEXEC)));
    char block[16];
    try {
        input.sgetn(block, sizeof block);
        FAIL() << "a folder was read as a file";
    } catch (const std::system_error& failure) {
        EXPECT_EQ(failure.code(), kernel::make_win32_error(kernel::win32_from_errno(EISDIR)));
        EXPECT_EQ(kernel::last_error(), kernel::win32_from_errno(EISDIR));
    }
}

TEST(FileOutputBuf, BufferedWritesOfEverySizeReachTheFileInOrder) {
    scratch_folder scratch;
    std::string expected;
    {
        std::error_code error;
        auto fd = kernel::open_shared_file(scratch / "data", kernel::file_access::write, error);
        ASSERT_TRUE(fd) << error.message();
        kernel::file_output_buf output(std::move(fd), {}, 16);
        std::ostream stream(&output);
        // Pieces that fit, fill the buffer exactly, cross it, and exceed it; single characters too.
        for (const std::size_t size : {3, 13, 20, 1, 16, 40, 5}) {
            const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
            stream.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            expected += piece;
        }
        stream.put('!');
        expected += '!';
        ASSERT_TRUE(stream.flush());
        EXPECT_EQ(test_support::read_file(scratch / "data"), expected);
        stream << "tail";
        expected += "tail";
    }  // what is left goes out when the buffer is destroyed
    EXPECT_EQ(test_support::read_file(scratch / "data"), expected);
}

TEST(FileOutputBuf, AWriteThatFailsAtTheFlushThrowsTheWin32Code) {
    kernel::file_output_buf output(kernel::unique_fd(::open("/dev/full", O_WRONLY | O_CLOEXEC)), {}, 4096);
    std::ostream stream(&output);
    stream.exceptions(std::ios::failbit | std::ios::badbit);
    stream << "held in the buffer";  // nothing written yet
    try {
        stream.flush();
        FAIL() << "a full device took the bytes";
    } catch (const std::system_error& failure) {
        EXPECT_EQ(failure.code(), kernel::make_win32_error(kernel::win32_from_errno(ENOSPC)));
    }
}
