// concurrency_test.cpp - the exports keep no shared mutable state: eight
// threads calling them at once on their own buffers get what one thread
// gets, and lookups in one loaded table agree from every thread.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "exports.hpp"

namespace {

using zr::fuzz::Export;
using zr::fuzz::Out;
using zr::fuzz::Src;

constexpr int kThreads = 8;
constexpr std::uint8_t kFill = 0xA5;

double Seconds() {
    const char* s = std::getenv("ZR_CONCURRENCY_SECONDS");
    return s ? std::atof(s) : 2.0;
}

const std::vector<std::string>& NarrowInputs() {
    static const std::vector<std::string> v = [] {
        std::vector<std::string> in = {
            "Hello, world",
            "\x82\xa0\x82\xa2\x88\x9f ABC \xb1\xb2",
            "\x1b$B0!$\"\x1b(BA",
            "\xb0\xa1\xa4\xa2" "A",
            "\xe3\x81\x82\xe4\xba\x9c",
            "+MEIwRA-",
            "QUJDREVG",
            "GyRCJCQbKEI=",
            "A=3DB=E3=81=82",
            "http://x/%E3%81%82?q=a+b",
            "%82%A0%1B%24B0%21%1B%28B",
            "%A4%A2",
            "A\xf0\x40" "B",
        };
        std::string longText;
        for (int i = 0; i < 64; ++i) longText += "\x82\xa0 text %41 =3D ";
        in.push_back(longText);
        return in;
    }();
    return v;
}

const std::vector<std::u16string>& WideInputs() {
    static const std::vector<std::u16string> v = [] {
        std::vector<std::u16string> in = {
            u"Hello", u"\u3042\u3044\u3046\u4e9c" u"ABC", u"\uff71\uff72", u"\U0001F600x",
            u"%E3%81%82", u"a\ue000b", u"http://x/%1B%24B0%21%1B%28B",
        };
        std::u16string longText;
        for (int i = 0; i < 64; ++i) longText += u"\u65e5\u672c\u8a9e text ";
        in.push_back(longText);
        return in;
    }();
    return v;
}

// One call with everything it needs, and what a single thread got.
struct Item {
    const Export* e;
    const void* src;
    std::int32_t srcLen;
    std::int32_t dstSize;
    std::int32_t extra;
    std::int32_t result = 0;
    std::int32_t type = -2;
    std::vector<std::uint8_t> dst;
};

std::size_t DstBytes(const Item& it) {
    const std::size_t unit = it.e->out == Out::kWIncl || it.e->out == Out::kWExcl ? 2 : 1;
    return it.e->out == Out::kInt || it.dstSize <= 0 ? 0 : static_cast<std::size_t>(it.dstSize) * unit;
}

// Runs `it` into `buf`, which the caller owns.
std::int32_t Call(const Item& it, std::vector<std::uint8_t>& buf, std::int32_t* type) {
    buf.assign(DstBytes(it) + 1, kFill);
    *type = -2;
    return it.e->call(it.src, it.srcLen, buf.data(), it.dstSize, it.extra, type);
}

std::vector<Item> BuildItems() {
    std::vector<Item> items;
    for (const auto& e : zr::fuzz::kExports) {
        if (!e.address) continue;
        std::vector<std::int32_t> extras = {0};
        if (e.flags & zr::fuzz::kExtraArg) {
            extras = e.family == zr::fuzz::Family::kEbcdic ? std::vector<std::int32_t>{0x400, 0x500}
                                                           : std::vector<std::int32_t>{0, 1, 2, 3};
        }
        auto add = [&](const void* src, std::int32_t len) {
            for (std::int32_t x : extras) {
                for (std::int32_t size : {16 * len + 64, len + 1, len / 2 + 1, 3}) {
                    items.push_back(Item{&e, src, len, size, x, 0, -2, {}});
                    if (e.out == Out::kInt) break;
                }
            }
        };
        if (e.src == Src::kW) {
            for (const auto& s : WideInputs()) add(s.c_str(), static_cast<std::int32_t>(s.size()));
        } else {
            for (const auto& s : NarrowInputs()) add(s.c_str(), static_cast<std::int32_t>(s.size()));
        }
    }
    return items;
}

TEST(Concurrency, EveryExportAgreesWithASingleThread) {
    std::vector<Item> items = BuildItems();
    if (items.empty()) GTEST_SKIP() << "no exports linked";
    for (auto& it : items) {
        std::vector<std::uint8_t> buf;
        it.result = Call(it, buf, &it.type);
        it.dst = buf;
    }
    std::atomic<long> calls{0}, mismatches{0};
    std::atomic<const char*> firstBad{nullptr};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds());
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t) {
        pool.emplace_back([&, t] {
            std::vector<std::uint8_t> buf;
            // Each thread walks the items from its own starting point, so
            // that different exports overlap in time.
            std::size_t i = items.size() * static_cast<std::size_t>(t) / kThreads;
            long n = 0;
            do {
                for (int k = 0; k < 64; ++k, i = (i + 1) % items.size(), ++n) {
                    const Item& it = items[i];
                    std::int32_t type;
                    const std::int32_t r = Call(it, buf, &type);
                    if (r != it.result || type != it.type || buf != it.dst) {
                        ++mismatches;
                        const char* none = nullptr;
                        firstBad.compare_exchange_strong(none, it.e->name);
                    }
                }
            } while (std::chrono::steady_clock::now() < deadline);
            calls += n;
        });
    }
    for (auto& th : pool) th.join();
    EXPECT_EQ(mismatches.load(), 0) << "first export that differed: " << (firstBad.load() ? firstBad.load() : "");
    EXPECT_GT(calls.load(), static_cast<long>(items.size()));
    std::printf("[ info ] %zu distinct calls, %ld calls from %d threads\n", items.size(), calls.load(), kThreads);
}

TEST(Concurrency, SingleCodeEbcdicFunctionsAgree) {
    if (!reinterpret_cast<const void*>(&ZR_AsciiEbcdicCode) || !reinterpret_cast<const void*>(&ZR_EbcdicAsciiCode)) {
        GTEST_SKIP() << "EBCDIC not linked";
    }
    static const std::int32_t kSelectors[] = {0x400, 0x500, 0x600, 0};
    std::uint8_t want[4][2][256];
    for (int s = 0; s < 4; ++s) {
        for (int c = 0; c < 256; ++c) {
            want[s][0][c] = ZR_AsciiEbcdicCode(c, kSelectors[s]);
            want[s][1][c] = ZR_EbcdicAsciiCode(c, kSelectors[s]);
        }
    }
    std::atomic<long> mismatches{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t) {
        pool.emplace_back([&] {
            for (int round = 0; round < 200; ++round) {
                for (int s = 0; s < 4; ++s) {
                    for (int c = 0; c < 256; ++c) {
                        if (ZR_AsciiEbcdicCode(c, kSelectors[s]) != want[s][0][c] ||
                            ZR_EbcdicAsciiCode(c, kSelectors[s]) != want[s][1][c]) {
                            ++mismatches;
                        }
                    }
                }
            }
        });
    }
    for (auto& th : pool) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

// A private TEMP for the table file, removed with the table.
class SharedTable : public ::testing::Test {
protected:
    void SetUp() override {
        if (!reinterpret_cast<const void*>(&ZR_CodeTableInitA) || !reinterpret_cast<const void*>(&ZR_CodeTableCode) ||
            !reinterpret_cast<const void*>(&ZR_CodeTableString) || !reinterpret_cast<const void*>(&ZR_CodeTableTerm)) {
            GTEST_SKIP() << "code tables not linked";
        }
        char tmpl[] = "/tmp/zr_conc.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        const char* old = std::getenv("TEMP");
        if (old) oldTemp_ = old;
        hadTemp_ = old != nullptr;
        setenv("TEMP", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (dir_.empty()) return;
        std::remove(textPath().c_str());
        rmdir(dir_.c_str());
        if (hadTemp_) setenv("TEMP", oldTemp_.c_str(), 1); else unsetenv("TEMP");
    }
    std::string textPath() const { return dir_ + "/table.txt"; }

    std::string dir_, oldTemp_;
    bool hadTemp_ = false;
};

TEST_F(SharedTable, LookupsFromEightThreadsAgree) {
    // Keys 0..0x5FFF step 3 in a scrambled order, so the load's sort matters.
    std::map<std::int32_t, std::int32_t> model;
    {
        FILE* f = std::fopen(textPath().c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "/ shared table\n");
        for (std::int32_t i = 0; i < 0x2000; ++i) {
            const std::int32_t key = ((i * 7919) % 0x2000) * 3;
            const std::int32_t value = key ^ 0x5A5A;
            model[key] = value;
            std::fprintf(f, "%X,%X,x\n", static_cast<unsigned>(key), static_cast<unsigned>(value));
        }
        std::fclose(f);
    }
    CodeTable* table = ZR_CodeTableInitA(textPath().c_str(), 0, 0, 1);
    ASSERT_NE(table, nullptr) << "error " << ZR_CodeTableError();

    std::atomic<long> mismatches{0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(Seconds());
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t) {
        pool.emplace_back([&, t] {
            std::u16string src;
            for (int k = 0; k < 200; ++k) src.push_back(static_cast<char16_t>(1 + (k * 37 + t * 101) % 0x6000));
            std::u16string want;
            for (char16_t c : src) {
                const auto it = model.find(c);
                if (it != model.end() && (it->second & 0xFFFF) != 0xFFFF) want.push_back(static_cast<char16_t>(it->second));
            }
            std::vector<ZR_WCHAR> dst(src.size() + 1);
            std::uint32_t seed = 12345u + static_cast<std::uint32_t>(t);
            do {
                for (int k = 0; k < 256; ++k) {
                    seed = seed * 1664525u + 1013904223u;
                    const std::int32_t code = static_cast<std::int32_t>(seed % 0x6100) - 0x40;
                    const auto it = model.find(code);
                    if (ZR_CodeTableCode(table, code) != (it == model.end() ? -1 : it->second)) ++mismatches;
                }
                const std::int32_t r =
                    ZR_CodeTableString(table, src.c_str(), dst.data(), static_cast<std::int32_t>(dst.size()));
                if (r != static_cast<std::int32_t>(want.size()) || std::u16string(dst.data(), dst.data() + r) != want) {
                    ++mismatches;
                }
            } while (std::chrono::steady_clock::now() < deadline);
        });
    }
    for (auto& th : pool) th.join();
    ZR_CodeTableTerm(table);
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
