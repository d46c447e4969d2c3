// cpu.hpp - the one run-time check of what the processor offers beyond the
// baseline (levels.hpp), asked once per process: the answer cannot change
// while it runs.
#pragma once

#include "cpu/levels.hpp"

#if defined(ZR_SIMD_RUNTIME)

namespace zr::cpu {

inline bool HasSsse3() noexcept {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}

inline bool HasAvx2() noexcept {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

}  // namespace zr::cpu

#endif
