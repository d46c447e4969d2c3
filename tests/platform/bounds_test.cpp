// bounds_test.cpp - the converter reads nothing past the terminator and writes
// nothing past the capacity: inputs and outputs end right at a guard page.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>

#include "platform/codepage.hpp"

namespace {

using zr::platform::CodePage;

// Two pages, the second inaccessible; Tail() places `count` elements so that
// the last one ends where the guard page begins.
class GuardedPage {
public:
    GuardedPage() {
        page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        void* p = ::mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
        if (base_ && ::mprotect(base_ + page_, page_, PROT_NONE) != 0) {
            ::munmap(base_, 2 * page_);
            base_ = nullptr;
        }
    }
    ~GuardedPage() {
        if (base_) ::munmap(base_, 2 * page_);
    }
    GuardedPage(const GuardedPage&) = delete;
    GuardedPage& operator=(const GuardedPage&) = delete;

    explicit operator bool() const { return base_ != nullptr; }
    template <class T>
    T* Tail(std::size_t count) const {
        return reinterpret_cast<T*>(base_ + page_ - count * sizeof(T));
    }

private:
    std::size_t page_ = 0;
    char* base_ = nullptr;
};

constexpr CodePage kPages[] = {CodePage::kCp932, CodePage::kUtf8, CodePage::kUtf7};

// Capacities run far past the size needed, so that the unchecked writers
// (chosen from a bound on the output) meet the guard page too.

// Inputs whose last bytes invite a look-ahead: lead bytes, cut sequences,
// open UTF-7 runs, and lengths around the word-wide scans.
const char* const kByteInputs[] = {
    "", "A", "\x81", "A\x81", "\x81\x40", "\xE3", "\xE3\x81", "\xF0\x9F\x98", "\xC3", "+", "+MEI",
    "+B\x80", "+-", "abcdefg", "abcdefgh", "abcdefghijklmnopq", "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82",
};

const std::u16string kWideInputs[] = {
    u"", u"A", u"\xD83D", u"A\xD83D", u"\xD83D\xDE00", u"+", u"\x3042", u"abc", u"abcd", u"abcdefghijklmnopq",
    u"\x3042\x3044\x3046", u"!!!!!", u"!", u"!+!+!", u"+!+!+", u"!a!a!", u"\x3042\x00E9\x3042",
};

TEST(ConverterBounds, DecodingStaysInsideInputAndCapacity) {
    GuardedPage in;
    GuardedPage out;
    ASSERT_TRUE(in && out);
    for (const CodePage cp : kPages) {
        for (const char* text : kByteInputs) {
            const std::size_t len = std::strlen(text) + 1;
            char* src = in.Tail<char>(len);
            std::memcpy(src, text, len);
            const int needed = zr::platform::MultiByteToWide(cp, src, nullptr, 0);
            ASSERT_GT(needed, 0) << text;
            for (int capacity = 1; capacity <= 4 * needed + 8; ++capacity) {
                const int r = zr::platform::MultiByteToWide(cp, src, out.Tail<char16_t>(capacity), capacity);
                EXPECT_EQ(r, capacity >= needed ? needed : 0) << text << " capacity " << capacity;
            }
        }
    }
}

TEST(ConverterBounds, EncodingStaysInsideInputAndCapacity) {
    GuardedPage in;
    GuardedPage out;
    ASSERT_TRUE(in && out);
    for (const CodePage cp : kPages) {
        for (const auto& text : kWideInputs) {
            const std::size_t len = text.size() + 1;
            char16_t* src = in.Tail<char16_t>(len);
            std::memcpy(src, text.c_str(), len * sizeof(char16_t));
            const int needed = zr::platform::WideToMultiByte(cp, src, nullptr, 0);
            ASSERT_GT(needed, 0);
            for (int capacity = 1; capacity <= 4 * needed + 8; ++capacity) {
                const int r = zr::platform::WideToMultiByte(cp, src, out.Tail<char>(capacity), capacity);
                EXPECT_EQ(r, capacity >= needed ? needed : 0) << "capacity " << capacity;
            }
        }
    }
}

// Texts long enough for the block paths, cut at every length so that each
// block, and each read ahead in it, meets the guard page.
TEST(ConverterBounds, BlockPathsStayInsideInputAndCapacity) {
    GuardedPage in;
    GuardedPage out;
    ASSERT_TRUE(in && out);
    std::string sjis;
    std::string utf8;
    std::string utf7;
    std::u16string wide;
    for (int k = 0; k < 12; ++k) {
        sjis += "\x82\xA0\x82\xA2\x8A\xBF\x8E\x9A\x88\x9F abc";
        utf8 += "\xE3\x81\x82\xE3\x81\x84\xE6\xBC\xA2\xE5\xAD\x97 abc";
        utf7 += "+MEIwRG8iW1c- abc";
        wide += u"\x3042\x3044\x6F22\x5B57 abc!";
    }
    const std::pair<CodePage, const std::string*> byteTexts[] = {
        {CodePage::kCp932, &sjis}, {CodePage::kUtf8, &utf8}, {CodePage::kUtf7, &utf7}};
    for (const auto& [cp, text] : byteTexts) {
        for (std::size_t len = 1; len <= 100; ++len) {
            char* src = in.Tail<char>(len + 1);
            std::memcpy(src, text->data() + text->size() - len, len);
            src[len] = 0;
            const int needed = zr::platform::MultiByteToWide(cp, src, nullptr, 0);
            ASSERT_GT(needed, 0);
            for (const int capacity : {needed - 1, needed, needed + 1, 2 * needed + 40}) {
                if (capacity < 1) continue;
                const int r = zr::platform::MultiByteToWide(cp, src, out.Tail<char16_t>(capacity), capacity);
                EXPECT_EQ(r, capacity >= needed ? needed : 0) << "length " << len << " capacity " << capacity;
            }
        }
    }
    for (const CodePage cp : kPages) {
        for (std::size_t len = 1; len <= 100; ++len) {
            char16_t* src = in.Tail<char16_t>(len + 1);
            std::memcpy(src, wide.data() + wide.size() - len, len * sizeof(char16_t));
            src[len] = 0;
            const int needed = zr::platform::WideToMultiByte(cp, src, nullptr, 0);
            ASSERT_GT(needed, 0);
            for (const int capacity : {needed - 1, needed, needed + 1, 4 * needed + 40}) {
                if (capacity < 1) continue;
                const int r = zr::platform::WideToMultiByte(cp, src, out.Tail<char>(capacity), capacity);
                EXPECT_EQ(r, capacity >= needed ? needed : 0) << "length " << len << " capacity " << capacity;
            }
        }
    }
}

// Arguments the host converter refuses: nothing is written, the result is 0.
TEST(ConverterBounds, RefusedArgumentsWriteNothing) {
    char16_t wide[4] = {u'#', u'#', u'#', u'#'};
    char bytes[4] = {'#', '#', '#', '#'};
    for (const CodePage cp : kPages) {
        EXPECT_EQ(zr::platform::MultiByteToWide(cp, "A", wide, -1), 0);
        EXPECT_EQ(zr::platform::WideToMultiByte(cp, u"A", bytes, -1), 0);
        EXPECT_EQ(zr::platform::MultiByteToWide(cp, nullptr, wide, 4), 0);
        EXPECT_EQ(zr::platform::WideToMultiByte(cp, nullptr, bytes, 4), 0);
        EXPECT_EQ(zr::platform::MultiByteToWide(cp, "A", nullptr, 4), 0);
        EXPECT_EQ(zr::platform::WideToMultiByte(cp, u"A", nullptr, 4), 0);
    }
    EXPECT_EQ(zr::platform::MultiByteToWide(static_cast<CodePage>(1252), "A", wide, 4), 0);
    EXPECT_EQ(std::u16string(wide, 4), u"####");
    EXPECT_EQ(std::string(bytes, 4), "####");
}

}  // namespace
#endif
