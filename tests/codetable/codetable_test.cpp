// codetable_test.cpp - loading code tables, their errors and clean-up, lookups.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/fault.hpp"
#include "table_files.hpp"
#include "zr_moji.h"

namespace {

using zr_test::Records;
using zr_test::TableFiles;
using Pairs = std::vector<std::pair<int32_t, int32_t>>;

struct LoadCase {
    std::string file;
    int32_t direction, sort;
    int32_t error, line;  // line checked only for error 6
    Pairs records;        // the table file's records on success
    const char* why;
};

const LoadCase kLoads[] = {
    {"/ comment\n41,C1,x\n42,C2,x\n", 0, 0, 0, 0, {{0x41, 0xC1}, {0x42, 0xC2}}, "field 1 is the key"},
    {"/ comment\n41,C1,x\n42,C2,x\n", 1, 0, 0, 0, {{0xC1, 0x41}, {0xC2, 0x42}}, "field 2 is the key"},
    {"41,C1,\n", 0, 0, 0, 0, {{0x41, 0xC1}}, "empty third field is present"},
    {"41,C1,x\n42,C2,x", 0, 0, 0, 0, {{0x41, 0xC1}, {0x42, 0xC2}}, "last line without a break loads"},
    {"41,C1,x\r\n42,C2,x\r\n", 0, 0, 0, 0, {{0x41, 0xC1}, {0x42, 0xC2}}, "CR LF lines"},
    {"5,a,x\n-1,b,x\n0,c,x\n", 0, 1, 0, 0, {{-1, 0xB}, {0, 0xC}, {5, 0xA}}, "sorted by signed key"},
    {"5,a,x\n-1,b,x\n0,c,x\n", 0, 0, 0, 0, {{5, 0xA}, {-1, 0xB}, {0, 0xC}}, "file order kept unsorted"},
    {"41,FFFF,x\n42,C2,x\nFFFF,43,x\n", 0, 0, 0, 0, {{0x42, 0xC2}}, "FFFF lines yield no record"},
    {"1FFFF,1,x\n", 0, 0, 0, 0, {{0x1FFFF, 1}}, "only exactly FFFF is skipped"},
    {"41,C1,x\n", 2, 0, 1, 0, {}, "direction 2"},
    {"41,C1,x\n", -1, 0, 1, 0, {}, "direction -1"},
    {"/ c\n41,C1,x\n42,C2\n43,C3,x\n", 0, 0, 6, 3, {}, "two fields on line 3"},
    {"41,C1,x\n\n42,C2,x\n", 0, 0, 6, 2, {}, "blank line"},
    {"41,C1,x,y\n", 0, 0, 6, 1, {}, "four fields"},
    {"41,C1,x\n42", 0, 0, 6, 2, {}, "bad last line without a break"},
    {"41,C1,\"x,y\"\n42,\"C2\",x\n", 0, 0, 0, 0, {{0x41, 0xC1}, {0x42, 0xC2}}, "quoted fields"},
    {"", 0, 0, 7, 0, {}, "empty file"},
    {"/ a\n/ b\n", 0, 0, 7, 0, {}, "comments only"},
    {"41,FFFF,x\nFFFF,42,x\n", 0, 0, 7, 0, {}, "every line FFFF"},
    {"41,C1," + std::string(3000, 'x') + "\n", 0, 0, 6, 2, {}, "a line beyond the buffer splits"},
};

TEST_F(TableFiles, LoadsOrFailsWithItsCode) {
    for (const auto& c : kLoads) {
        ZR_CodeTableInitW(nullptr, 0, 0, 0);  // leaves error 2, to see the reset
        CodeTable* t = Load(c.file, c.direction, c.sort);
        EXPECT_EQ(ZR_CodeTableError(), c.error) << c.why;
        if (c.error == ZR_CODETABLE_BAD_LINE) {
            EXPECT_EQ(ZR_CodeTableErrorLine(), c.line) << c.why;
        }
        if (c.error != 0) {
            EXPECT_EQ(t, nullptr) << c.why;
            EXPECT_TRUE(TempFiles().empty()) << c.why << ": a failed load leaves nothing";
            continue;
        }
        ASSERT_NE(t, nullptr) << c.why;
        const auto files = TempFiles();
        ASSERT_EQ(files.size(), 1u) << c.why;
        EXPECT_EQ(files[0].rfind("ZR_", 0), 0u) << c.why;
        const std::string bytes = TableFileBytes();
        EXPECT_EQ(bytes.size(), 4 + 8 * c.records.size()) << c.why;
        EXPECT_EQ(Records(bytes), c.records) << c.why;
        struct stat st {};
        EXPECT_EQ(stat((temp_ + "/" + files[0]).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << c.why << ": private to its owner";
        ZR_CodeTableTerm(t);
        EXPECT_TRUE(TempFiles().empty()) << c.why << ": Term removes the file";
    }
}

TEST_F(TableFiles, ErrorLineOutlivesLaterLoads) {
    EXPECT_EQ(Load("41,C1,x\n/c\n\n"), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), 6);
    EXPECT_EQ(ZR_CodeTableErrorLine(), 3);
    CodeTable* t = Load("41,C1,x\n");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ZR_CodeTableError(), 0);
    EXPECT_EQ(ZR_CodeTableErrorLine(), 3);
    EXPECT_EQ(Load("41,C1,x\n", 3), nullptr);
    EXPECT_EQ(ZR_CodeTableErrorLine(), 3);
    ZR_CodeTableTerm(t);
}

TEST_F(TableFiles, FailsCleanlyWithoutAUsableTemp) {
    const std::u16string table = Make("41,C1,x\n");
    const std::string plainFile = MakePath("not a directory");
    struct Case {
        std::optional<std::string> temp;
        const char* why;
    } cases[] = {
        {std::nullopt, "TEMP unset"},
        {std::string(), "TEMP empty"},
        {temp_ + "/missing", "TEMP names no directory"},
        {plainFile, "TEMP names a file"},
        {"/tmp/" + std::string(300, 'd'), "TEMP longer than a path"},
        {"/tmp/" + std::string(250, 'd'), "no room for the file name"},
    };
    for (const auto& c : cases) {
        if (c.temp) {
            setenv("TEMP", c.temp->c_str(), 1);
        } else {
            unsetenv("TEMP");
        }
        EXPECT_EQ(ZR_CodeTableInitW(table.c_str(), 0, 1, 0), nullptr) << c.why;
        EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_NO_TEMP_NAME) << c.why;
    }
    setenv("TEMP", temp_.c_str(), 1);
    EXPECT_TRUE(TempFiles().empty());
    if (geteuid() != 0) {
        chmod(temp_.c_str(), 0500);
        EXPECT_EQ(ZR_CodeTableInitW(table.c_str(), 0, 1, 0), nullptr) << "read-only TEMP";
        EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_NO_TEMP_NAME);
        chmod(temp_.c_str(), 0700);
    }
}

TEST_F(TableFiles, ReportsFilesThatCannotBeRead) {
    EXPECT_EQ(ZR_CodeTableInitW((zr_test::Widen(data_) + u"/missing.csv").c_str(), 0, 1, 0), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_OPEN_FAILED);
    EXPECT_EQ(ZR_CodeTableInitW(zr_test::Widen(data_).c_str(), 0, 1, 0), nullptr) << "a directory";
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_OPEN_FAILED);
    EXPECT_EQ(ZR_CodeTableInitW(Make("41,C1,x\n").c_str(), 0, 9, 0), nullptr) << "unknown encoding";
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_OPEN_FAILED);
    // Reading the start of a process's own memory file fails on Linux.
    if (access("/proc/self/mem", R_OK) == 0) {
        EXPECT_EQ(ZR_CodeTableInitW(u"/proc/self/mem", 0, 1, 0), nullptr);
        EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_READ_FAILED);
    }
    // Binary garbage is a line with the wrong number of fields, never a crash.
    std::string junk;
    std::mt19937 rng(7);
    for (int i = 0; i < 50000; ++i) junk += static_cast<char>(rng());
    EXPECT_EQ(Load(junk), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_BAD_LINE);
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(TableFiles, ReadsFieldsInTheFileEncoding) {
    // Fullwidth digits and an ideographic space in UTF-8 with a mark.
    CodeTable* t = Load("\xEF\xBB\xBF\xE3\x80\x80\xEF\xBC\x94\xEF\xBC\x91,0x3042,x\n", 0, 0, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ZR_CodeTableCode(t, 0x41), 0x3042);
    ZR_CodeTableTerm(t);
}

TEST_F(TableFiles, NarrowPathLoadsAndOverlongPathFails) {
    CodeTable* t = ZR_CodeTableInitA(MakePath("41,C1,x\n").c_str(), 0, 1, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ZR_CodeTableCode(t, 0x41), 0xC1);
    ZR_CodeTableTerm(t);
    // The longest path the host takes: 259 characters and the terminator.
    const std::string longest = data_ + "/" + std::string(258 - data_.size(), 'b');
    ASSERT_EQ(longest.size(), 259u);
    std::FILE* g = std::fopen(longest.c_str(), "wb");
    ASSERT_NE(g, nullptr);
    std::fputs("41,C2,x\n", g);
    std::fclose(g);
    t = ZR_CodeTableInitA(longest.c_str(), 0, 1, 0);
    ASSERT_NE(t, nullptr) << "a path of 259 characters loads";
    EXPECT_EQ(ZR_CodeTableCode(t, 0x41), 0xC2);
    ZR_CodeTableTerm(t);
    const std::string longPath = data_ + "/" + std::string(400, 'a');
    // Not cut to what fits: a table named by the first 260 characters of
    // the path is not the one asked for.
    const std::string cut = longPath.substr(0, 260);
    std::FILE* f = std::fopen(cut.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("41,C1,x\n", f);
    std::fclose(f);
    EXPECT_EQ(ZR_CodeTableInitA(longPath.c_str(), 0, 1, 0), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_OPEN_FAILED);
    EXPECT_EQ(ZR_CodeTableInitA(longPath.c_str(), 7, 1, 0), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_BAD_DIRECTION) << "direction is checked first";
    EXPECT_EQ(ZR_CodeTableInitA("", 0, 1, 0), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_OPEN_FAILED);
    EXPECT_EQ(ZR_CodeTableInitA(nullptr, 0, 1, 0), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_OPEN_FAILED);
    EXPECT_TRUE(TempFiles().empty());
}

// Paths reach the host as UTF-8: three-byte characters and surrogate pairs
// must come out as the bytes the file was created with.
struct NameCase {
    std::string utf8;       // the file's name on disk
    std::u16string wide;    // the same name for the W loader
    const char* sjis;       // the same name for the A loader, when it has one
    const char* why;
};

const NameCase kNames[] = {
    {"\xE3\x81\x8B\xE3\x81\xAA\xE6\xBC\xA2\xE5\xAD\x97.csv", u"\u304B\u306A\u6F22\u5B57.csv",
     "\x82\xA9\x82\xC8\x8A\xBF\x8E\x9A.csv", "kana and kanji, three bytes each"},
    {"\xF0\xA0\xAE\xB7.csv", u"\U00020BB7.csv", nullptr, "a character beyond the BMP"},
    {"\xC2\x80\xDF\xBF\xE0\xA0\x80.csv", u"\u0080\u07FF\u0800.csv", nullptr,
     "the first and last two-byte characters and the first three-byte one"},
    {"a\xC3\xA9\xF0\xA0\xAE\xB7\xE3\x81\x82\xF0\x9F\x98\x80z.csv", u"a\u00E9\U00020BB7\u3042\U0001F600z.csv",
     nullptr, "two, four, three and four bytes in a row"},
    {"\xEF\xBF\xBD\xEF\xBF\xBF\xF4\x8F\xBF\xBF.csv", u"\uFFFD\uFFFF\U0010FFFF.csv", nullptr,
     "the last units of each length"},
};

TEST_F(TableFiles, OpensFilesWithNonAsciiNames) {
    for (const auto& c : kNames) {
        const std::string path = data_ + "/" + c.utf8;
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr) << c.why;
        std::fputs("41,C1,x\n", f);
        std::fclose(f);
        CodeTable* t = ZR_CodeTableInitW((zr_test::Widen(data_) + u"/" + c.wide).c_str(), 0, 1, 0);
        EXPECT_EQ(ZR_CodeTableError(), 0) << c.why;
        EXPECT_EQ(ZR_CodeTableCode(t, 0x41), 0xC1) << c.why;
        ZR_CodeTableTerm(t);
        if (c.sjis) {
            t = ZR_CodeTableInitA((data_ + "/" + c.sjis).c_str(), 0, 1, 0);
            EXPECT_EQ(ZR_CodeTableError(), 0) << c.why << " (Shift_JIS path)";
            EXPECT_EQ(ZR_CodeTableCode(t, 0x41), 0xC1) << c.why << " (Shift_JIS path)";
            ZR_CodeTableTerm(t);
        }
        EXPECT_TRUE(TempFiles().empty()) << c.why;
        unlink(path.c_str());
    }
}

TEST_F(TableFiles, MakesItsFileInATempWithANonAsciiName) {
    const std::u16string table = Make("41,C1,x\n");
    for (const auto& c : kNames) {
        const std::string dir = temp_ + "/" + c.utf8;
        ASSERT_EQ(mkdir(dir.c_str(), 0700), 0) << c.why;
        setenv("TEMP", dir.c_str(), 1);
        CodeTable* t = ZR_CodeTableInitW(table.c_str(), 0, 1, 0);
        EXPECT_EQ(ZR_CodeTableError(), 0) << c.why;
        EXPECT_EQ(ZR_CodeTableCode(t, 0x41), 0xC1) << c.why;
        const auto files = zr_test::ListDir(dir);
        ASSERT_EQ(files.size(), 1u) << c.why << ": the table file goes into TEMP itself";
        EXPECT_EQ(files[0].rfind("ZR_", 0), 0u) << c.why;
        ZR_CodeTableTerm(t);
        EXPECT_TRUE(zr_test::ListDir(dir).empty()) << c.why << ": Term finds the file it made";
        zr_test::RemoveTree(dir);
    }
    setenv("TEMP", temp_.c_str(), 1);
}

// Every descriptor a load opens is closed by the load or by Term, whether the
// load succeeds or fails.
TEST_F(TableFiles, LoadingAndReleasingKeepsNoDescriptor) {
    if (access("/proc/self/fd", R_OK) != 0) GTEST_SKIP() << "no /proc/self/fd to count descriptors in";
    const std::u16string good = Make("41,C1,x\n42,C2,x\n");
    const std::u16string bad = Make("41,C1,x\n42\n");
    const std::u16string empty = Make("/ nothing\n");
    const std::u16string missing = zr_test::Widen(data_) + u"/missing.csv";
    const auto open = zr_test::ListDir("/proc/self/fd").size();
    for (int round = 0; round < 50; ++round) {
        std::vector<CodeTable*> tables;
        for (int k = 0; k < 8; ++k) tables.push_back(ZR_CodeTableInitW(good.c_str(), k & 1, 1, k & 2 ? 1 : 0));
        for (CodeTable* t : tables) ASSERT_NE(t, nullptr);
        EXPECT_EQ(ZR_CodeTableInitW(bad.c_str(), 0, 1, 0), nullptr);
        EXPECT_EQ(ZR_CodeTableInitW(empty.c_str(), 0, 1, 0), nullptr);
        EXPECT_EQ(ZR_CodeTableInitW(missing.c_str(), 0, 1, 0), nullptr);
        for (CodeTable* t : tables) ZR_CodeTableTerm(t);
    }
    EXPECT_EQ(zr_test::ListDir("/proc/self/fd").size(), open);
    EXPECT_TRUE(TempFiles().empty());
}

struct LookupCase {
    int32_t code, want;
    const char* why;
};

TEST_F(TableFiles, LooksUpCodes) {
    CodeTable* t = Load("41,C1,x\n42,C2,x\n44,1FFFF,x\n45,12345,x\n46,-1,x\n");
    ASSERT_NE(t, nullptr);
    const LookupCase cases[] = {
        {0x42, 0xC2, "present"},          {0x41, 0xC1, "first record"},
        {0x46, -1, "value -1 as stored"}, {0x44, 0x1FFFF, "wide value whole"},
        {0x43, -1, "between keys"},       {0x40, -1, "below every key"},
        {0x47, -1, "above every key"},    {INT32_MIN, -1, "far below"},
    };
    for (const auto& c : cases) EXPECT_EQ(ZR_CodeTableCode(t, c.code), c.want) << c.why;
    ZR_CodeTableTerm(t);

    t = Load("7,70,x\n");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ZR_CodeTableCode(t, 7), 0x70) << "one record";
    for (int32_t c : {6, 8, 0, -1, INT32_MAX}) EXPECT_EQ(ZR_CodeTableCode(t, c), -1) << c;
    ZR_CodeTableTerm(t);

    t = Load("5,1,x\n5,2,x\n5,3,x\n1,9,x\n", 0, 1);
    ASSERT_NE(t, nullptr);
    const int32_t v = ZR_CodeTableCode(t, 5);
    EXPECT_TRUE(v == 1 || v == 2 || v == 3) << "one of the duplicates";
    EXPECT_EQ(ZR_CodeTableCode(t, 1), 9);
    ZR_CodeTableTerm(t);
    EXPECT_EQ(ZR_CodeTableCode(nullptr, 5), -1);
}

TEST_F(TableFiles, FindsEveryKeyOfALargeSortedTable) {
    std::vector<int32_t> keys;
    std::mt19937 rng(11);
    std::string text = "/ shuffled keys\n";
    for (int32_t i = 0; i < 20000; ++i) keys.push_back(i * 3 - 30000);
    std::shuffle(keys.begin(), keys.end(), rng);
    char line[64];
    for (int32_t k : keys) {
        std::snprintf(line, sizeof line, "%s%X,%X,x\n", k < 0 ? "-" : "", static_cast<unsigned>(k < 0 ? -k : k),
                      static_cast<unsigned>(k & 0x7FFF));
        text += line;
    }
    CodeTable* t = Load(text, 0, 1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(TableFileBytes().size(), 4u + 8u * keys.size());
    int misses = 0;
    for (int32_t k : keys) misses += ZR_CodeTableCode(t, k) != (k & 0x7FFF);
    EXPECT_EQ(misses, 0);
    EXPECT_EQ(ZR_CodeTableCode(t, 1), -1);
    ZR_CodeTableTerm(t);
}

struct StringCase {
    std::u16string src;
    int32_t dstSize;
    int32_t want;
    std::u16string stored;
    const char* why;
};

TEST_F(TableFiles, MapsStrings) {
    CodeTable* t = Load("41,C1,x\n42,C2,x\n44,1FFFF,x\n45,12345,x\n");
    ASSERT_NE(t, nullptr);
    const StringCase cases[] = {
        {u"ABC", 8, 2, u"\u00C1\u00C2", "miss left out"},
        {u"AB", 2, 2, u"\u00C1\u00C2", "exactly full"},
        {u"ABC", 2, -1, u"\u00C1\u00C2", "full before a miss still fails"},
        {u"", 8, 0, u"", "empty source"},
        {u"A", 0, -1, u"", "no room at all"},
        {u"DE", 8, 1, u"\u2345", "low 16 bits; FFFF left out"},
        {u"\uFFFFA", 8, 1, u"\u00C1", "unit FFFF has no record"},
    };
    for (const auto& c : cases) {
        char16_t dst[8];
        std::fill(dst, dst + 8, u'\u7777');
        EXPECT_EQ(ZR_CodeTableString(t, c.src.c_str(), dst, c.dstSize), c.want) << c.why;
        EXPECT_EQ(std::u16string(dst, c.stored.size()), c.stored) << c.why;
        // The clear covers dstSize bytes, the first half of the array.
        for (int32_t i = static_cast<int32_t>(c.stored.size()); i < c.dstSize / 2; ++i) EXPECT_EQ(dst[i], 0) << c.why;
        for (int32_t i = std::max<int32_t>(c.dstSize / 2, static_cast<int32_t>(c.stored.size())); i < 8; ++i)
            EXPECT_EQ(dst[i], u'\u7777') << c.why << " unit " << i;
    }
    char16_t dst[4] = {1, 2, 3, 4};
    EXPECT_EQ(ZR_CodeTableString(t, u"A", dst, -1), -1);
    EXPECT_EQ(ZR_CodeTableString(t, nullptr, dst, 4), -1);
    EXPECT_EQ(ZR_CodeTableString(t, u"A", nullptr, 4), -1);
    EXPECT_EQ(ZR_CodeTableString(nullptr, u"A", dst, 4), -1);
    EXPECT_EQ(dst[0], 1) << "refused calls touch nothing";
    ZR_CodeTableTerm(t);
}

TEST_F(TableFiles, KeepsTablesApart) {
    CodeTable* a = Load("1,A,x\n");
    CodeTable* b = Load("1,B,x\n");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(TempFiles().size(), 2u);
    EXPECT_EQ(ZR_CodeTableCode(a, 1), 0xA);
    EXPECT_EQ(ZR_CodeTableCode(b, 1), 0xB);
    ZR_CodeTableTerm(a);
    EXPECT_EQ(TempFiles().size(), 1u);
    EXPECT_EQ(ZR_CodeTableCode(b, 1), 0xB);
    ZR_CodeTableTerm(b);
    ZR_CodeTableTerm(nullptr);
    EXPECT_TRUE(TempFiles().empty());
}

#if defined(ZR_FAULT_INJECTION)
// Fails each host file service of a load in turn: the load either succeeds
// or fails with a code, and leaves nothing behind except where the failing
// call was the clean-up's own delete.
TEST_F(TableFiles, SurvivesEveryFailingFileService) {
    using zr::platform::ArmFault;
    using zr::platform::FaultCalls;
    using zr::platform::FaultKind;
    const std::u16string path = Make("41,C1,x\n42,C2,x\n");
    int failures = 0;
    for (long n = 0;; ++n) {
        ArmFault(FaultKind::kFile, n);
        CodeTable* t = ZR_CodeTableInitW(path.c_str(), 0, 1, 1);
        const long calls = FaultCalls(FaultKind::kFile);
        const int32_t error = ZR_CodeTableError();
        ArmFault(FaultKind::kFile, -1);
        if (t) {
            EXPECT_EQ(error, 0);
            EXPECT_EQ(ZR_CodeTableCode(t, 0x42), 0xC2) << "fault " << n;
            ZR_CodeTableTerm(t);
        } else {
            ++failures;
            EXPECT_TRUE(error == 3 || error == 5 || error == 8) << "fault " << n << " error " << error;
            for (const auto& f : TempFiles()) unlink((temp_ + "/" + f).c_str());
        }
        if (calls <= n) break;  // the armed call was never reached
    }
    EXPECT_GE(failures, 8);
    EXPECT_TRUE(TempFiles().empty());

    ArmFault(FaultKind::kAlloc, 0);
    EXPECT_EQ(ZR_CodeTableInitW(path.c_str(), 0, 1, 0), nullptr);
    ArmFault(FaultKind::kAlloc, -1);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_MAP_FAILED) << "no table object";
    EXPECT_TRUE(TempFiles().empty());
}
#endif

}  // namespace
