// mapping_test.cpp - a file view the host refuses gives null and gives
// back what was set up for it. The fault hooks stop the mapping services
// before they ask the host for anything, so these failures are the host's
// own: a view of a file opened for writing only, and a view larger than
// the address space may hold.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <future>
#include <string>

#include "platform/file.hpp"

namespace {

namespace pf = zr::platform;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// The size of the process's address space in KiB (VmSize). Allocations
// move it a little (more under a sanitizer, whose allocator maps as it
// goes), so the tests look for reservations far larger than that.
long long AddressSpaceKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) return std::stoll(line.substr(7));
    }
    return -1;
}

constexpr long long kNoiseKiB = 256 * 1024;

struct TempFile {
    std::string path;
    explicit TempFile(off_t size) {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/zr_mapping_XXXXXX";
        const int fd = mkstemp(path.data());
        if (fd < 0) return;
        if (ftruncate(fd, size) != 0) path.clear();
        close(fd);
    }
    ~TempFile() {
        if (!path.empty()) unlink(path.c_str());
    }
};

// /dev/full refuses every write (ENOSPC): the write fails at once instead
// of being tried again as an interrupted one is.
TEST(FileServices, AWriteTheHostRefusesFails) {
    const pf::FileHandle h = pf::OpenExistingForWrite(u"/dev/full");
    if (h == pf::kNoFile) GTEST_SKIP() << "no /dev/full";
    auto written = std::async(std::launch::async, [h] {
        const char data[64] = {};
        return pf::WriteFile(h, data, sizeof data);
    });
    if (written.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the refused write is still being tried";
        std::_Exit(1);
    }
    EXPECT_FALSE(written.get());
    EXPECT_TRUE(pf::CloseFile(h));
}

TEST(FileMapping, RefusedViewGivesNullAndReleasesItsReservation) {
    TempFile file(0);
    ASSERT_FALSE(file.path.empty());
    const std::u16string path = Wide(file.path);
    // Opened for writing only, the file cannot be mapped for reading.
    const pf::FileHandle h = pf::OpenExistingForWrite(path.c_str());
    ASSERT_NE(h, pf::kNoFile);
    // 16 MiB (opening for writing emptied it): 64 reservations left behind
    // would hold 1 GiB.
    const std::string data(16 << 20, 'x');
    ASSERT_TRUE(pf::WriteFile(h, data.data(), static_cast<std::uint32_t>(data.size())));
    const pf::MappingHandle m = pf::CreateFileMapping(h);
    ASSERT_NE(m, pf::kNoMapping);
    EXPECT_EQ(pf::MapViewOfFile(m), nullptr);
    const long long before = AddressSpaceKiB();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(pf::MapViewOfFile(m), nullptr);
    EXPECT_LT(AddressSpaceKiB() - before, kNoiseKiB) << "each refused view left its reservation behind";
    EXPECT_TRUE(pf::CloseMapping(m));
    EXPECT_TRUE(pf::CloseFile(h));
}

TEST(FileMapping, ViewLargerThanTheAddressSpaceGivesNull) {
    // A sparse file of 8 TiB: no reservation of that size can be had on a
    // host that does not overcommit without limit.
    TempFile file(off_t{1} << 43);
    if (file.path.empty()) GTEST_SKIP() << "this file system holds no 8 TiB sparse file";
    const std::u16string path = Wide(file.path);
    const pf::FileHandle h = pf::OpenExistingForReadWrite(path.c_str());
    ASSERT_NE(h, pf::kNoFile);
    const pf::MappingHandle m = pf::CreateFileMapping(h);
    ASSERT_NE(m, pf::kNoMapping);
    const long long before = AddressSpaceKiB();
    void* view = pf::MapViewOfFile(m);
    if (view) {
        EXPECT_TRUE(pf::UnmapViewOfFile(view));
    } else {
        EXPECT_LT(AddressSpaceKiB() - before, kNoiseKiB);
    }
    EXPECT_TRUE(pf::CloseMapping(m));
    EXPECT_TRUE(pf::CloseFile(h));
    if (view) GTEST_SKIP() << "the host reserved 8 TiB (it overcommits without limit)";
}

}  // namespace
