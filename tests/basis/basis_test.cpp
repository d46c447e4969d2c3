// basis_test.cpp - ZR_Basis line reading, decoding and CSV splitting.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "zr_basis.h"

namespace {

using Bytes = std::string;

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string Show(const std::u16string& s) {
    std::string out;
    char buf[8];
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "<%04X>", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

// A scratch directory for the files of one test, removed with its files.
class Files : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zr_basis_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        if (DIR* d = opendir(dir_.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..") unlink((dir_ + "/" + n).c_str());
            }
            closedir(d);
        }
        rmdir(dir_.c_str());
    }
    std::u16string Make(const Bytes& content) {
        const std::string path = dir_ + "/f" + std::to_string(++n_) + ".txt";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
        return Widen(path);
    }
    // Every read until the one that returns nothing, with Eof after each.
    struct Read {
        std::vector<std::u16string> lines;
        std::vector<int> eofAfter;
    };
    static Read ReadAll(ZR_TEXTFILE f, int size = 1024) {
        Read r;
        std::vector<char16_t> buf(static_cast<size_t>(size));
        for (int guard = 0; guard < 100000; ++guard) {
            if (!ZR_TextFileGetsW(f, buf.data(), size)) break;
            r.lines.emplace_back(buf.data());
            r.eofAfter.push_back(ZR_TextFileEof(f) != 0);
        }
        return r;
    }
    std::string dir_;
    int n_ = 0;
};

struct LineCase {
    Bytes file;
    int option;
    std::vector<std::u16string> lines;
    bool lastSetsEof;  // the read delivering the last line ran into the end
    const char* why;
};

TEST_F(Files, ReadsLinesInEachEncoding) {
    const LineCase cases[] = {
        {"41,C1,x\n42,C2,x\n", 0, {u"41,C1,x\n", u"42,C2,x\n"}, false, "LF"},
        {"a\r\nb\r\n", 0, {u"a\n", u"b\n"}, false, "CR LF becomes one break"},
        {"a\rb\n", 0, {u"a\rb\n"}, false, "a lone CR is text"},
        {"a\nb", 0, {u"a\n", u"b"}, true, "last line without a break"},
        {"\n\n", 0, {u"\n", u"\n"}, false, "blank lines"},
        {"", 0, {}, false, "empty file"},
        {"\xEF\xBB\xBFx\n", 0, {u"x\n"}, false, "UTF-8 mark detected and skipped"},
        {std::string("\xFF\xFEx\0\n\0", 6), 0, {u"x\n"}, false, "UTF-16LE mark detected"},
        {"\x82\xA0\xB1\n", 0, {u"\u3042\uFF71\n"}, false, "no mark: Shift_JIS"},
        {"\xB1\xB2\xBF\n", 0, {u"\uFF71\uFF72\uFF7F\n"}, false, "a third byte 0xBF alone is no UTF-8 mark"},
        {"\xFF" "A\n", 0, {u"\uF8F3A\n"}, false, "0xFF alone is no UTF-16 mark"},
        {"A\xFE\n", 0, {u"A\uF8F2\n"}, false, "nor is 0xFE alone"},
        {"\x9F\xFC\xE0\x40\xEA\xA4\xFA\x40\xFC\x4B\n", 1, {u"\u6ECC\u6F3E\u7199\u2170\u9ED1\n"}, false,
         "Shift_JIS at both ends of both lead ranges"},
        {"\x81\n", 1, {u"\u30FB\n"}, false, "broken pair keeps the line break"},
        {"\x85\x40\n", 1, {u"\u30FB\n"}, false, "pair without a character"},
        {"\xE3\x81\x82\n", 2, {u"\u3042\n"}, false, "UTF-8 without mark"},
        {"\xF0\x9F\x98\x80\n", 2, {u"\U0001F600\n"}, false, "four-byte UTF-8 as a pair"},
        {"\xC2\xA9\xC2\xB0\xC2\xA0\n", 2, {u"\u00A9\u00B0\u00A0\n"}, false, "two-byte UTF-8 below U+00C0"},
        {"\xEF\xBB\xBF\xC2\x80\xC2\xBF\xDF\xBF\n", 0, {u"\u0080\u00BF\u07FF\n"}, false,
         "two-byte UTF-8 at its edges, after a mark"},
        {"\xC3(\xE0\x80\n", 2, {u"\uFFFD(\uFFFD\uFFFD\n"}, false, "malformed UTF-8 replaced"},
        {"\xF5\x80\x80\x80\n", 2, {u"\uFFFD\uFFFD\uFFFD\uFFFD\n"}, false, "no four-byte lead past 0xF4"},
        {std::string("A\0\r\0\n\0B\0", 8), 3, {u"A\n", u"B"}, true, "UTF-16LE without mark"},
        {std::string("A\0B", 3), 3, {u"A\uFFFD"}, true, "odd trailing byte"},
    };
    for (const auto& c : cases) {
        ZR_TEXTFILE f = ZR_TextFileOpenW(Make(c.file).c_str(), u"r", c.option);
        ASSERT_NE(f, 0) << c.why;
        const Read r = ReadAll(f);
        ASSERT_EQ(r.lines.size(), c.lines.size()) << c.why;
        for (size_t i = 0; i < r.lines.size(); ++i) {
            EXPECT_EQ(Show(r.lines[i]), Show(c.lines[i])) << c.why << " line " << i;
            const bool last = i + 1 == r.lines.size();
            EXPECT_EQ(r.eofAfter[i], last && c.lastSetsEof) << c.why << " line " << i;
        }
        EXPECT_NE(ZR_TextFileEof(f), 0) << c.why;
        EXPECT_EQ(ZR_TextFileError(f), 0) << c.why;
        EXPECT_EQ(ZR_TextFileClose(f), 0) << c.why;
    }
}

TEST_F(Files, DeliversLongLinesInPieces) {
    const std::string text(3000, 'x');
    ZR_TEXTFILE f = ZR_TextFileOpenW(Make(text + "\nend\n").c_str(), u"r", 1);
    ASSERT_NE(f, 0);
    const Read r = ReadAll(f);
    ASSERT_EQ(r.lines.size(), 4u);
    EXPECT_EQ(r.lines[0].size(), 1023u);
    EXPECT_EQ(r.lines[1].size(), 1023u);
    EXPECT_EQ(r.lines[2], Widen(std::string(954, 'x') + "\n"));
    EXPECT_EQ(r.lines[3], u"end\n");
    ZR_TextFileClose(f);
}

TEST_F(Files, KeepsSurrogatePairsWhole) {
    // 3 units fit a 4-unit buffer; the pair would straddle the cut.
    ZR_TEXTFILE f = ZR_TextFileOpenW(Make("ab\xF0\x9F\x98\x80\n").c_str(), u"r", 2);
    ASSERT_NE(f, 0);
    const Read r = ReadAll(f, 4);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0], u"ab");
    EXPECT_EQ(r.lines[1], u"\U0001F600\n");
    ZR_TextFileClose(f);
}

TEST_F(Files, SurvivesBinaryGarbage) {
    Bytes junk;
    unsigned x = 12345;
    for (int i = 0; i < 20000; ++i) {
        x = x * 1103515245u + 12345u;
        junk += static_cast<char>(x >> 16);
    }
    for (int option = 0; option <= 3; ++option) {
        ZR_TEXTFILE f = ZR_TextFileOpenW(Make(junk).c_str(), u"r", option);
        ASSERT_NE(f, 0);
        const Read r = ReadAll(f, 64);
        EXPECT_FALSE(r.lines.empty());
        EXPECT_NE(ZR_TextFileEof(f), 0);
        EXPECT_EQ(ZR_TextFileError(f), 0);
        ZR_TextFileClose(f);
    }
}

TEST_F(Files, RefusesWhatItCannotRead) {
    const std::u16string good = Make("x\n");
    // A high surrogate before a letter is no pair, so the path names no file,
    // not even the one named by the character the two would make if paired
    // anyway (U+12C61).
    const std::string pairedAnyway = dir_ + "/\xF0\x92\xB1\xA1";
    std::fclose(std::fopen(pairedAnyway.c_str(), "wb"));
    const std::u16string loneHigh = Widen(dir_) + u"/\xD842" + u"a";
    struct Case {
        std::u16string path;
        const char16_t* mode;
        int option;
        const char* why;
    } cases[] = {
        {Widen(dir_ + "/missing.txt"), u"r", 0, "no such file"},
        {Widen(dir_), u"r", 0, "a directory"},
        {loneHigh, u"r", 0, "a lone surrogate in the path"},
        {u"", u"r", 0, "empty path"},
        {good, u"w", 0, "writing is not offered"},
        {good, u"r+", 0, "nor updating"},
        {good, u"r", 4, "unknown encoding"},
        {good, u"r", -1, "negative encoding"},
    };
    for (const auto& c : cases) EXPECT_EQ(ZR_TextFileOpenW(c.path.c_str(), c.mode, c.option), 0) << c.why;
    EXPECT_EQ(ZR_TextFileOpenW(nullptr, u"r", 0), 0);
    EXPECT_EQ(ZR_TextFileOpenW(good.c_str(), nullptr, 0), 0);
    for (const char16_t* mode : {u"r", u"rt", u"rb"}) {
        ZR_TEXTFILE f = ZR_TextFileOpenW(good.c_str(), mode, 0);
        EXPECT_NE(f, 0);
        ZR_TextFileClose(f);
    }
}

TEST(TextFile, NullHandleReadsAsEndAndError) {
    char16_t buf[4] = {u'x', u'x', 0, 0};
    EXPECT_NE(ZR_TextFileEof(0), 0);
    EXPECT_NE(ZR_TextFileError(0), 0);
    EXPECT_EQ(ZR_TextFileGetsW(0, buf, 4), nullptr);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(ZR_TextFileClose(0), -1);
}

TEST_F(Files, ReadsNothingIntoNoRoom) {
    ZR_TEXTFILE f = ZR_TextFileOpenW(Make("x\n").c_str(), u"r", 1);
    ASSERT_NE(f, 0);
    for (ZR_TEXTFILE file : {f, ZR_TEXTFILE{0}}) {
        char16_t buf[2] = {u'x', u'x'};
        EXPECT_EQ(ZR_TextFileGetsW(file, buf, 0), nullptr);
        EXPECT_EQ(ZR_TextFileGetsW(file, buf, -1), nullptr);
        EXPECT_EQ(buf[0], u'x') << "no room, nothing written";
        EXPECT_EQ(ZR_TextFileGetsW(file, nullptr, 2), nullptr);
    }
    // The line is still there for a call with room.
    char16_t buf[4];
    ASSERT_NE(ZR_TextFileGetsW(f, buf, 4), nullptr);
    EXPECT_EQ(std::u16string(buf), u"x\n");
    ZR_TextFileClose(f);
}

TEST(TextFile, ReportsReadErrorsApartFromTheEnd) {
    // Reading the start of a process's own memory file fails on Linux.
    ZR_TEXTFILE f = ZR_TextFileOpenW(u"/proc/self/mem", u"r", 1);
    if (!f) GTEST_SKIP() << "no /proc/self/mem";
    char16_t buf[16];
    EXPECT_EQ(ZR_TextFileGetsW(f, buf, 16), nullptr);
    EXPECT_EQ(buf[0], 0);
    EXPECT_NE(ZR_TextFileError(f), 0);
    EXPECT_EQ(ZR_TextFileEof(f), 0) << "a failed read is no end of file";
    ZR_TextFileClose(f);
}

struct CsvCase {
    const char16_t* line;
    int option;
    std::vector<std::u16string> fields;
    const char* why;
};

TEST(StringCSV, SplitsFields) {
    const CsvCase cases[] = {
        {u"41,C1,x\n", 1, {u"41", u"C1", u"x"}, "line break is not field text"},
        {u"41,C1,x\r\n", 1, {u"41", u"C1", u"x"}, "nor is CR LF"},
        {u"", 1, {u""}, "empty line: one empty field"},
        {u"\n", 1, {u""}, "blank line: one empty field"},
        {u"a,,b", 1, {u"a", u"", u"b"}, "empty middle field"},
        {u"a,", 1, {u"a", u""}, "trailing comma adds a field"},
        {u" a , b", 1, {u" a ", u" b"}, "spaces are kept"},
        {u"\"a,b\",c", 1, {u"a,b", u"c"}, "quoted comma"},
        {u"\"a,b\",c", 0, {u"\"a", u"b\"", u"c"}, "option 0 takes quotes as text"},
        {u"\"say \"\"hi\"\"\",x", 1, {u"say \"hi\"", u"x"}, "doubled quote"},
        {u"\"open,x", 1, {u"open,x"}, "unterminated quote runs to the end"},
        {u"\"a\"b,c", 1, {u"ab", u"c"}, "text after the closing quote is kept"},
        {u"x\"y\",z", 1, {u"x\"y\"", u"z"}, "quote inside a field is text"},
    };
    for (const auto& c : cases) {
        StrList list;
        ASSERT_EQ(ZR_StringCSVW(c.line, &list, c.option), static_cast<int>(c.fields.size())) << c.why;
        ASSERT_EQ(list.count, static_cast<int>(c.fields.size())) << c.why;
        for (int i = 0; i < list.count; ++i) {
            EXPECT_EQ(Show(list.strings[i]), Show(c.fields[static_cast<size_t>(i)])) << c.why << " field " << i;
        }
        ZR_DeleteStrListW(&list);
        EXPECT_EQ(list.count, 0);
        EXPECT_EQ(list.strings, nullptr);
    }
}

TEST(StringCSV, RefusesNullArguments) {
    StrList list{7, reinterpret_cast<BASIS_WCHAR**>(&list)};
    EXPECT_EQ(ZR_StringCSVW(nullptr, &list, 1), -1);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.strings, nullptr);
    EXPECT_EQ(ZR_StringCSVW(u"a", nullptr, 1), -1);
    ZR_DeleteStrListW(nullptr);
    ZR_DeleteStrListW(&list);  // an empty list releases nothing
}

}  // namespace
