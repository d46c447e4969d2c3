// cpu.hpp - what the processor offers the MIME coders' vector blocks, asked
// once per process (the answer cannot change while it runs). Only for GCC
// and clang on x86, which can build a function for an instruction set the
// target does not assume.
#pragma once

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define ZR_MIME_CPU_DISPATCH 1

namespace zr::mime {

inline bool CpuHasSsse3() noexcept {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}

inline bool CpuHasAvx2() noexcept {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

}  // namespace zr::mime
#endif
