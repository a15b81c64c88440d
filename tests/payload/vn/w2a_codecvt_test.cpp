#include "payload/vn/w2a_codecvt.hpp"

#include "platform/locale/thread_locale.hpp"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <functional>
#include <thread>

namespace fs = boost::filesystem;
namespace loc = platform::locale;

namespace {

constexpr loc::lcid_t kFrench = 0x040C;    // code page 1252
constexpr loc::lcid_t kJapanese = 0x0411;  // code page 932
constexpr loc::lcid_t kRussian = 0x0419;   // code page 1251

// Runs `body` on a thread of its own whose locale is `id`, so the test's thread keeps its own.
void on_thread_with_locale(loc::lcid_t id, const std::function<void()>& body) {
    std::thread([&] {
        ASSERT_TRUE(loc::set_thread_locale(id));
        body();
    }).join();
}

using codecvt_type = std::codecvt<wchar_t, char, std::mbstate_t>;

}  // namespace

TEST(ToWideAndNarrow, FollowTheThreadsAnsiCodePage) {
    on_thread_with_locale(kFrench, [] {
        EXPECT_EQ(vn::to_wide("\xE9"), L"\u00E9");
        EXPECT_EQ(vn::to_narrow(L"\u00E9"), "\xE9");
        // No look-alike for a character 1252 cannot hold.
        EXPECT_EQ(vn::to_narrow(L"\u0416 \u0100"), "? ?");
    });
    on_thread_with_locale(kRussian, [] {
        EXPECT_EQ(vn::to_narrow(L"\u0416"), "\xC6");
        EXPECT_EQ(vn::to_wide("\xC6"), L"\u0416");
    });
    on_thread_with_locale(kJapanese, [] {
        EXPECT_EQ(vn::to_narrow(L"A\u3042"), "A\x82\xA0");
        EXPECT_EQ(vn::to_wide("A\x82\xA0"), L"A\u3042");
    });
}

TEST(ToWideAndNarrow, EmptyInputGivesEmptyOutput) {
    EXPECT_EQ(vn::to_wide(""), L"");
    EXPECT_EQ(vn::to_narrow(L""), "");
    EXPECT_EQ(vn::to_wide(nullptr, nullptr), L"");
    EXPECT_EQ(vn::to_narrow(nullptr, nullptr), "");
}

TEST(ToWideAndNarrow, LengthsAroundTheStackBuffer) {
    // 511 bytes hold 127 wide characters, or the worst case of 102 narrow ones.
    on_thread_with_locale(kFrench, [] {
        for (const std::size_t n : {1, 101, 102, 103, 126, 127, 128, 129, 1000, 100000}) {
            std::string narrow;
            std::wstring wide;
            for (std::size_t i = 0; i < n; ++i) {
                narrow += (i % 2 != 0) ? '\xE9' : static_cast<char>('a' + i % 26);
                wide += (i % 2 != 0) ? L'\u00E9' : static_cast<wchar_t>(L'a' + i % 26);
            }
            EXPECT_EQ(vn::to_wide(narrow), wide) << n;
            EXPECT_EQ(vn::to_narrow(wide), narrow) << n;
        }
    });
}

TEST(ToWideAndNarrow, TooLongAWideStringGivesAnEmptyOneWithoutReadingIt) {
    // Reserved address space that may not be read: the size check must come first.
    const std::size_t count = 0x7FFFFFFF / 5 + 1;
    const std::size_t size = count * sizeof(wchar_t);
    void* area = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(area, MAP_FAILED);
    const auto* first = static_cast<const wchar_t*>(area);
    EXPECT_EQ(vn::to_narrow(first, first + count), "");
    munmap(area, size);
}

TEST(W2aCodecvt, ConvertsWholeRangesAndFailsWhenTheOutputIsTooSmall) {
    const vn::details::w2a_codecvt facet(1252);
    std::mbstate_t state{};

    const wchar_t wide[] = L"caf\u00E9";
    char bytes[8] = {};
    const wchar_t* wide_next = nullptr;
    char* bytes_next = nullptr;
    EXPECT_EQ(facet.out(state, wide, wide + 4, wide_next, bytes, bytes + 8, bytes_next), codecvt_type::ok);
    EXPECT_EQ(wide_next, wide + 4);
    EXPECT_EQ(std::string(bytes, bytes_next), "caf\xE9");

    EXPECT_EQ(facet.out(state, wide, wide + 4, wide_next, bytes, bytes + 3, bytes_next), codecvt_type::error);
    EXPECT_EQ(wide_next, wide);
    EXPECT_EQ(bytes_next, bytes);

    wchar_t back[4] = {};
    const char* bytes_in = nullptr;
    wchar_t* back_next = nullptr;
    EXPECT_EQ(facet.in(state, bytes, bytes + 4, bytes_in, back, back + 4, back_next), codecvt_type::ok);
    EXPECT_EQ(std::wstring(back, back_next), L"caf\u00E9");
    EXPECT_EQ(facet.in(state, bytes, bytes + 4, bytes_in, back, back + 3, back_next), codecvt_type::error);

    // Nothing to convert is no failure.
    EXPECT_EQ(facet.in(state, bytes, bytes, bytes_in, back, back + 4, back_next), codecvt_type::ok);
    EXPECT_EQ(back_next, back);
    EXPECT_EQ(facet.unshift(state, bytes, bytes + 8, bytes_next), codecvt_type::ok);
    EXPECT_EQ(bytes_next, bytes);

    EXPECT_FALSE(facet.always_noconv());
    EXPECT_EQ(facet.max_length(), 5);
    EXPECT_EQ(facet.encoding(), 0);
}

TEST(W2aCodecvt, LengthCountsBytesForAtMostSoManyWideCharacters) {
    const vn::details::w2a_codecvt facet(932);
    const std::string bytes =
        "A\x82\xA0"
        "B";
    std::mbstate_t state{};
    EXPECT_EQ(facet.length(state, bytes.data(), bytes.data() + bytes.size(), 2), 3);
    EXPECT_EQ(facet.length(state, bytes.data(), bytes.data() + bytes.size(), 10), 4);
    EXPECT_EQ(facet.wide_length(bytes.data(), bytes.data() + bytes.size(), 10), 3u);
    EXPECT_EQ(facet.wide_length(bytes.data(), bytes.data() + bytes.size(), 2), 2u);
}

TEST(W2aCodecvt, ServesAsTheConversionFacetOfAWideFileStream) {
    const fs::path file = fs::temp_directory_path() / fs::unique_path("codecvt-%%%%-%%%%");
    const std::locale with_facet(std::locale::classic(), new vn::details::w2a_codecvt(1252));
    {
        std::wofstream out;
        out.imbue(with_facet);
        out.open(file.string());
        out << L"d\u00E9j\u00E0 \u0416";
    }
    std::ifstream raw(file.string(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(raw), {}), "d\xE9j\xE0 ?");

    std::wifstream in;
    in.imbue(with_facet);
    in.open(file.string());
    EXPECT_EQ(std::wstring(std::istreambuf_iterator<wchar_t>(in), {}), L"d\u00E9j\u00E0 ?");
    fs::remove(file);
}
