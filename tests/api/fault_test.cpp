// fault_test.cpp - every failure path releases what it holds: each scratch
// allocation made to fail in turn gives -1 with dst as documented, and each
// host file service made to fail in turn during a code-table load gives its
// error code and leaves TEMP as it was. Leaks show up under LeakSanitizer
// (ZR_SANITIZE=ON) and valgrind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "exports.hpp"
#include "platform/fault.hpp"

namespace {

namespace pf = zr::platform;
using zr::fuzz::Export;
using zr::fuzz::Out;
using zr::fuzz::Src;

constexpr std::uint8_t kFill = 0xA5;
constexpr std::size_t kTail = 16;  // bytes after dst that must keep kFill

// Disarms both hooks whatever a test does.
struct Disarm {
    ~Disarm() {
        pf::ArmFault(pf::FaultKind::kAlloc, -1);
        pf::ArmFault(pf::FaultKind::kFile, -1);
    }
};

// Texts that every family converts, decodes or detects without refusing,
// so that each call reaches all its scratch buffers.
const char* const kNarrow[] = {
    "ABC\x82\xa0", "QUJD", "ABC=41", "%E3%81%82abc", "%82%A0", "%A4%A2", "%1B%24B0%21%1B%28B",
};
const char16_t* const kWide[] = {
    u"\u3042" u"ABC", u"%E3%81%82abc", u"%82%A0", u"%A4%A2", u"%1B%24B0%21%1B%28B",
};

// Exports that clear the first dstSize bytes of dst before their scratch
// buffer is asked for; every other export leaves dst untouched when its
// first allocation fails.
bool ClearsBeforeScratch(const std::string& name) {
    return name == "ZR_EucToJis" || name == "ZR_EucToSJis" || name == "ZR_JisToUnicode" || name == "ZR_UnicodeToJis";
}

// The first index in [from, to) whose byte is not `want`, or -1.
long FirstChanged(const std::vector<std::uint8_t>& v, std::size_t from, std::size_t to, std::uint8_t want) {
    for (std::size_t i = from; i < to && i < v.size(); ++i) {
        if (v[i] != want) return static_cast<long>(i);
    }
    return -1;
}

struct Case {
    const Export* e;
    const void* src;
    std::int32_t len;
    std::int32_t extra;
};

std::vector<Case> ScratchCases() {
    std::vector<Case> cases;
    for (const auto& e : zr::fuzz::kExports) {
        if (!e.address || !(e.flags & zr::fuzz::kScratch)) continue;
        std::vector<std::int32_t> extras = {0};
        if (e.flags & zr::fuzz::kExtraArg) extras = {0, 1, 2, 3};
        for (std::int32_t x : extras) {
            if (e.src == Src::kW) {
                for (const char16_t* s : kWide) cases.push_back({&e, s, static_cast<std::int32_t>(std::char_traits<char16_t>::length(s)), x});
            } else {
                for (const char* s : kNarrow) cases.push_back({&e, s, static_cast<std::int32_t>(std::strlen(s)), x});
            }
        }
    }
    return cases;
}

TEST(ScratchFailure, EveryAllocationFailingInTurnGivesMinusOne) {
    Disarm disarm;
    const auto cases = ScratchCases();
    if (cases.empty()) GTEST_SKIP() << "no export with a scratch buffer linked";
    long checked = 0;
    for (const Case& c : cases) {
        const Export& e = *c.e;
        const std::size_t unit = e.out == Out::kWIncl || e.out == Out::kWExcl ? 2 : 1;
        const std::int32_t dstSize = 16 * c.len + 64;
        const std::size_t bytes = e.out == Out::kInt ? 0 : static_cast<std::size_t>(dstSize) * unit;
        std::vector<std::uint8_t> dst(bytes + kTail);
        std::int32_t type = -2;

        std::fill(dst.begin(), dst.end(), kFill);
        pf::ArmFault(pf::FaultKind::kAlloc, -1);
        const std::int32_t clean = e.call(c.src, c.len, dst.data(), dstSize, c.extra, &type);
        const long allocations = pf::FaultCalls(pf::FaultKind::kAlloc);

        for (long k = 0; k < allocations; ++k) {
            SCOPED_TRACE(std::string(e.name) + " on \"" +
                         (e.src == Src::kW ? std::string("(UTF-16)") : std::string(static_cast<const char*>(c.src))) +
                         "\" type/selector " + std::to_string(c.extra) + ", allocation " + std::to_string(k) + " of " +
                         std::to_string(allocations));
            std::fill(dst.begin(), dst.end(), kFill);
            pf::ArmFault(pf::FaultKind::kAlloc, k);
            const std::int32_t r = e.call(c.src, c.len, dst.data(), dstSize, c.extra, &type);
            pf::ArmFault(pf::FaultKind::kAlloc, -1);
            ++checked;
            if (e.out == Out::kInt) {
                // A test that cannot look has not found its encoding; the
                // encode type is then "none", never another encoding.
                if (std::strncmp(e.name, "ZR_URL_EncodeType", 17) == 0) {
                    EXPECT_TRUE(r == -1 || r == clean) << "result " << r << ", without the fault " << clean;
                } else {
                    EXPECT_TRUE(r == 0 || r == -1) << "result " << r;
                }
                continue;
            }
            EXPECT_EQ(r, -1);
            EXPECT_EQ(FirstChanged(dst, bytes, dst.size(), kFill), -1L) << "wrote past dstSize";
            if (k != 0) continue;
            // dst as documented when the first scratch buffer is refused.
            if (ClearsBeforeScratch(e.name)) {
                EXPECT_EQ(FirstChanged(dst, 0, static_cast<std::size_t>(dstSize), 0), -1L) << "cleared part not zero";
                EXPECT_EQ(FirstChanged(dst, static_cast<std::size_t>(dstSize), bytes, kFill), -1L)
                    << "touched beyond the cleared part";
            } else {
                EXPECT_EQ(FirstChanged(dst, 0, bytes, kFill), -1L) << "dst touched";
            }
        }
    }
    EXPECT_GT(checked, 0);
}

// A private TEMP directory for the table files.
class TableFault : public ::testing::Test {
protected:
    void SetUp() override {
        if (!reinterpret_cast<const void*>(&ZR_CodeTableInitA) || !reinterpret_cast<const void*>(&ZR_CodeTableInitW) ||
            !reinterpret_cast<const void*>(&ZR_CodeTableError) || !reinterpret_cast<const void*>(&ZR_CodeTableTerm)) {
            GTEST_SKIP() << "code tables not linked";
        }
        char tmpl[] = "/tmp/zr_fault.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        temp_ = root_ + "/temp";
        text_ = root_ + "/table.txt";
        ASSERT_EQ(mkdir(temp_.c_str(), 0700), 0);
        const char* old = std::getenv("TEMP");
        hadTemp_ = old != nullptr;
        if (old) oldTemp_ = old;
        setenv("TEMP", temp_.c_str(), 1);
        FILE* f = std::fopen(text_.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("/ three records\n41,C1,x\n42,C2,x\n43,C3,x\n", f);
        std::fclose(f);
    }
    void TearDown() override {
        pf::ArmFault(pf::FaultKind::kAlloc, -1);
        pf::ArmFault(pf::FaultKind::kFile, -1);
        if (root_.empty()) return;
        for (const auto& n : Listing()) std::remove((temp_ + "/" + n).c_str());
        rmdir(temp_.c_str());
        std::remove(text_.c_str());
        rmdir(root_.c_str());
        if (hadTemp_) setenv("TEMP", oldTemp_.c_str(), 1); else unsetenv("TEMP");
    }
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        if (DIR* d = opendir(temp_.c_str())) {
            while (const dirent* e = readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..") names.insert(n);
            }
            closedir(d);
        }
        return names;
    }
    CodeTable* Load(bool wide) const {
        if (!wide) return ZR_CodeTableInitA(text_.c_str(), 0, 0, 1);
        const std::u16string w(text_.begin(), text_.end());
        return ZR_CodeTableInitW(w.c_str(), 0, 0, 1);
    }

    std::string root_, temp_, text_, oldTemp_;
    bool hadTemp_ = false;
};

// The host services of one load of a three-record table, in the order the
// loader calls them, and the error code its failure gives. A close whose
// failure the load does not look at lets the load succeed (0).
struct FileStep {
    const char* service;
    std::int32_t error;
};
constexpr FileStep kLoadSteps[] = {
    {"GetEnvironmentVariable(TEMP)", ZR_CODETABLE_NO_TEMP_NAME},
    {"GetTempFileName", ZR_CODETABLE_NO_TEMP_NAME},
    {"OpenExistingForWrite", ZR_CODETABLE_WRITE_FAILED},
    {"WriteFile (placeholder and records)", ZR_CODETABLE_WRITE_FAILED},
    {"SeekToStart", ZR_CODETABLE_WRITE_FAILED},
    {"WriteFile (record count)", ZR_CODETABLE_WRITE_FAILED},
    {"CloseFile (write handle, result not used)", ZR_CODETABLE_OK},
    {"OpenExistingForReadWrite", ZR_CODETABLE_MAP_FAILED},
    {"CreateFileMapping", ZR_CODETABLE_MAP_FAILED},
    {"MapViewOfFile", ZR_CODETABLE_MAP_FAILED},
};

TEST_F(TableFault, EveryFileServiceFailingInTurn) {
    Disarm disarm;
    const auto before = Listing();
    for (bool wide : {false, true}) {
        pf::ArmFault(pf::FaultKind::kFile, -1);
        CodeTable* t = Load(wide);
        const long services = pf::FaultCalls(pf::FaultKind::kFile);
        ASSERT_NE(t, nullptr) << "error " << ZR_CodeTableError();
        ZR_CodeTableTerm(t);
        ASSERT_EQ(Listing(), before);
        EXPECT_EQ(services, static_cast<long>(std::size(kLoadSteps))) << "the loader's host calls changed: update kLoadSteps";

        for (long k = 0; k < services; ++k) {
            const FileStep step = k < static_cast<long>(std::size(kLoadSteps)) ? kLoadSteps[k] : FileStep{"?", -1};
            SCOPED_TRACE(std::string(wide ? "W" : "A") + " load, host call " + std::to_string(k) + ": " + step.service);
            pf::ArmFault(pf::FaultKind::kFile, k);
            CodeTable* failed = Load(wide);
            const std::int32_t error = ZR_CodeTableError();
            pf::ArmFault(pf::FaultKind::kFile, -1);
            if (failed) {
                EXPECT_EQ(step.error, ZR_CODETABLE_OK) << "the load succeeded";
                EXPECT_EQ(ZR_CodeTableCode(failed, 0x42), 0xC2);
                ZR_CodeTableTerm(failed);
            } else {
                EXPECT_EQ(error, step.error);
            }
            EXPECT_EQ(Listing(), before) << "TEMP not as it was";
        }
    }
}

// A table larger than the loader's write buffer: a write that fails while
// records are still being read stops the load with the same error.
TEST_F(TableFault, AWriteFailingInsideALargeTableStopsTheLoad) {
    Disarm disarm;
    FILE* f = std::fopen(text_.c_str(), "w");
    ASSERT_NE(f, nullptr);
    for (int c = 0x100; c < 0x100 + 3000; ++c) std::fprintf(f, "%X,%X,x\n", c, c + 0x1000);
    std::fclose(f);
    const auto before = Listing();
    pf::ArmFault(pf::FaultKind::kFile, 3);  // the first write, when the buffer fills
    EXPECT_EQ(Load(false), nullptr);
    EXPECT_EQ(ZR_CodeTableError(), ZR_CODETABLE_WRITE_FAILED);
    pf::ArmFault(pf::FaultKind::kFile, -1);
    EXPECT_EQ(Listing(), before) << "TEMP not as it was";
    CodeTable* t = Load(false);
    ASSERT_NE(t, nullptr) << "error " << ZR_CodeTableError();
    EXPECT_EQ(ZR_CodeTableCode(t, 0x100 + 2999), 0x1100 + 2999);
    ZR_CodeTableTerm(t);
}

TEST_F(TableFault, AllocationFailingInTurnLeavesNothing) {
    Disarm disarm;
    const auto before = Listing();
    pf::ArmFault(pf::FaultKind::kAlloc, -1);
    CodeTable* t = Load(true);
    const long allocations = pf::FaultCalls(pf::FaultKind::kAlloc);
    ASSERT_NE(t, nullptr);
    ZR_CodeTableTerm(t);
    for (long k = 0; k < allocations; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k));
        pf::ArmFault(pf::FaultKind::kAlloc, k);
        CodeTable* failed = Load(true);
        const std::int32_t error = ZR_CodeTableError();
        pf::ArmFault(pf::FaultKind::kAlloc, -1);
        EXPECT_EQ(failed, nullptr);
        EXPECT_NE(error, ZR_CODETABLE_OK);
        if (failed) ZR_CodeTableTerm(failed);
        EXPECT_EQ(Listing(), before);
    }
}

}  // namespace
