// cpu_test.cpp - the run-time check of the processor agrees with what the
// kernel reports of it. A check that answered "no" would only send every
// call to the plain loops, which give the same bytes, so nothing else
// would notice; one that answered "yes" wrongly would crash elsewhere.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "cpu/cpu.hpp"

namespace {

#if defined(ZR_SIMD_RUNTIME) && defined(__linux__)
// The flags line of the first processor in /proc/cpuinfo, space-padded.
std::string CpuFlags() {
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("flags", 0) == 0) return " " + line.substr(line.find(':') + 1) + " ";
    }
    return "";
}

TEST(Cpu, LevelsAgreeWithTheKernelsReport) {
    const std::string flags = CpuFlags();
    if (flags.empty()) GTEST_SKIP() << "no flags line in /proc/cpuinfo";
    const struct {
        const char* flag;
        bool has;
    } levels[] = {
        {" ssse3 ", zr::cpu::HasSsse3()},
        {" avx2 ", zr::cpu::HasAvx2()},
    };
    for (const auto& l : levels) {
        EXPECT_EQ(l.has, flags.find(l.flag) != std::string::npos) << l.flag;
    }
}
#endif

}  // namespace
