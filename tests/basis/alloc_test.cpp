// alloc_test.cpp - ZR_Basis when memory cannot be had: a text file that
// cannot be allocated gives the null handle, and the file opened for it is
// closed again.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "zr_basis.h"

namespace {
bool g_failNothrow = false;
}  // namespace

// Every allocation of this program goes through malloc, so that the nothrow
// form alone can be made to fail.
void* operator new(std::size_t n) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return g_failNothrow ? nullptr : std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

int OpenDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

TEST(TextFileMemory, NoMemoryGivesTheNullHandleAndClosesTheFile) {
    char path[] = "/tmp/zr_basis_alloc.XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "x\n", 2), 2);
    close(fd);
    const std::string narrow(path);
    const std::u16string wide(narrow.begin(), narrow.end());

    const int before = OpenDescriptors();
    g_failNothrow = true;
    ZR_TEXTFILE f = ZR_TextFileOpenW(wide.c_str(), u"r", 0);
    g_failNothrow = false;
    EXPECT_EQ(f, ZR_TEXTFILE{0});
    EXPECT_EQ(OpenDescriptors(), before) << "the file is closed again";

    f = ZR_TextFileOpenW(wide.c_str(), u"r", 0);
    ASSERT_NE(f, ZR_TEXTFILE{0}) << "with memory the same file opens";
    EXPECT_EQ(ZR_TextFileClose(f), 0);
    unlink(path);
}

}  // namespace
