// fault.hpp - test-only fault injection at the host boundary.
//
// A build with ZR_FAULT_INJECTION lets a test make the n-th scratch
// allocation or the n-th host file service fail, to prove that every failure
// path releases what it holds. Release builds compile the checks away.
#pragma once

namespace zr::platform {

enum class FaultKind { kAlloc = 0, kFile = 1 };

#if defined(ZR_FAULT_INJECTION)
// True when this call of `kind` is the one armed to fail.
bool InjectFault(FaultKind kind) noexcept;
// Arms the `nth` (0-based) next call of `kind` to fail; -1 disarms.
void ArmFault(FaultKind kind, long nth) noexcept;
// Calls of `kind` counted since the last ArmFault.
long FaultCalls(FaultKind kind) noexcept;
#else
constexpr bool InjectFault(FaultKind) noexcept { return false; }
#endif

}  // namespace zr::platform
