// levels.hpp - the instruction-set levels the library has kernels for,
// decided once for every subsystem. A kernel is guarded by its level's
// macro and lives in a file named for the level (qp_ssse3.cpp,
// base64_avx2.cpp, ...); the plain loop beside it is the reference it must
// match byte for byte.
//
//   ZR_SIMD_SSE2     the baseline: the compiler targets SSE2 (always on
//                    x86-64), so these kernels are called unconditionally.
//   ZR_SIMD_RUNTIME  the levels above the baseline, SSSE3 and AVX2: each
//                    kernel is built for its instruction set alone
//                    (ZR_TARGET_SSSE3, ZR_TARGET_AVX2) and called only when
//                    cpu.hpp finds the processor has it, so the library
//                    still loads everywhere. GCC and clang on x86 over the
//                    SSE2 baseline.
//   ZR_SIMD_RUNTIME_X86_64  the same on x86-64 alone, for kernels that are
//                    measured and tested only there (the Base64 blocks; the
//                    32-bit DLL keeps the plain loops).
//
// ZR_NO_SIMD turns every level off, so that tests can hold the plain loops
// to the same results on any host.
#pragma once

#if defined(__SSE2__) && !defined(ZR_NO_SIMD)
#define ZR_SIMD_SSE2 1
#include <emmintrin.h>

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define ZR_SIMD_RUNTIME 1
#define ZR_TARGET_SSSE3 __attribute__((target("ssse3")))
#define ZR_TARGET_AVX2 __attribute__((target("avx2")))
#include <immintrin.h>
#if defined(__x86_64__)
#define ZR_SIMD_RUNTIME_X86_64 1
#endif
#endif
#endif
