// scratch.hpp - per-call scratch buffers, released on every path.
//
// Exports size their intermediate text from the caller's dstSize; a count
// that is negative or whose byte size does not fit in size_t, or memory the
// host will not give, leaves the buffer empty and the export answers -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "platform/fault.hpp"

namespace zr::platform {

template <class T>
class Scratch {
public:
    explicit Scratch(std::int64_t count) noexcept {
        if (count < 0 ||
            static_cast<std::uint64_t>(count) > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            return;
        }
        if (InjectFault(FaultKind::kAlloc)) return;
        // At least one element, so that a zero count still yields a usable
        // (empty) text rather than a null pointer.
        const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 1;
        data_ = new (std::nothrow) T[n];
        if (data_) size_ = n;
    }
    ~Scratch() { delete[] data_; }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    explicit operator bool() const noexcept { return data_ != nullptr; }
    T* get() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace zr::platform
