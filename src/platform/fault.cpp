// fault.cpp - counters behind the test-only fault injection hooks.
#include "platform/fault.hpp"

#if defined(ZR_FAULT_INJECTION)
#include <atomic>

namespace zr::platform {
namespace {
std::atomic<long> g_armed[2] = {-1, -1};
std::atomic<long> g_calls[2] = {0, 0};
}  // namespace

bool InjectFault(FaultKind kind) noexcept {
    const int k = static_cast<int>(kind);
    const long n = g_calls[k].fetch_add(1);
    return n == g_armed[k].load();
}

void ArmFault(FaultKind kind, long nth) noexcept {
    const int k = static_cast<int>(kind);
    g_calls[k] = 0;
    g_armed[k] = nth;
}

long FaultCalls(FaultKind kind) noexcept { return g_calls[static_cast<int>(kind)].load(); }

}  // namespace zr::platform
#endif
