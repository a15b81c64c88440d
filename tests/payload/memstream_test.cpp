#include "payload/vn/memstream.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MemStream, GrowsBy256WhileShortThenByHalf) {
    vn::memstream stream;
    std::vector<std::size_t> capacities{stream.rdbuf()->capacity()};
    for (int i = 0; i < 3000; ++i) {
        stream.put(static_cast<char>(i));
        if (stream.rdbuf()->capacity() != capacities.back()) {
            capacities.push_back(stream.rdbuf()->capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<std::size_t>{0, 256, 512, 768, 1152, 1728, 2592, 3888}));

    // A large write grows by the same rule, as often as needed, in one step.
    vn::memstream bulk;
    bulk.write(std::string(1000, 'x').data(), 1000);
    EXPECT_EQ(bulk.rdbuf()->capacity(), 1152u);
    EXPECT_EQ(bulk.rdbuf()->size(), 1000u);
}

TEST(MemStream, ReadsBackWhatWasWrittenAndSeeks) {
    vn::memstream stream;
    const std::string text(700, 'a');
    stream << text << "tail";
    std::string read;
    stream >> read;
    EXPECT_EQ(read, text + "tail");

    // Overwriting in the middle keeps the length; the read position is independent.
    stream.clear();
    stream.seekp(2);
    stream << "XY";
    stream.seekg(0);
    char first[5] = {};
    stream.read(first, 4);
    EXPECT_STREQ(first, "aaXY");
    EXPECT_EQ(stream.rdbuf()->size(), 704u);

    stream.seekg(0, std::ios::end);
    EXPECT_EQ(stream.tellg(), 704);
    stream.seekg(1, std::ios::end);
    EXPECT_TRUE(stream.fail());  // beyond the end
}

TEST(MemStream, BorrowedRangeIsReadInPlaceAndNeverWritten) {
    const std::string bytes = "borrowed bytes";
    vn::imemstream stream(bytes.data(), bytes.size());
    EXPECT_EQ(stream.rdbuf()->data(), bytes.data());
    EXPECT_EQ(stream.rdbuf()->capacity(), 0u);
    EXPECT_EQ(stream.rdbuf()->sputc('x'), std::char_traits<char>::eof());
    EXPECT_EQ(stream.rdbuf()->pubseekoff(0, std::ios::beg, std::ios::out), std::streampos(-1));

    std::string word;
    stream >> word;
    EXPECT_EQ(word, "borrowed");
    stream.seekg(-5, std::ios::end);
    stream >> word;
    EXPECT_EQ(word, "bytes");

    // Moving the stream keeps reading where it was, from the same memory.
    stream.clear();
    stream.seekg(9);
    vn::imemstream moved(std::move(stream));
    EXPECT_EQ(moved.rdbuf()->data(), bytes.data());
    moved >> word;
    EXPECT_EQ(word, "bytes");
}

TEST(MemStream, EmptyStreamIsGoodAndAtItsEnd) {
    vn::imemstream stream;
    EXPECT_TRUE(stream.good());
    EXPECT_EQ(stream.rdbuf()->sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(stream.tellg(), 0);
}
