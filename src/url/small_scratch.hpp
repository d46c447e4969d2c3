// small_scratch.hpp - a per-call scratch buffer that keeps short texts on the
// stack.
//
// URLs are short, and one heap round trip per call cost more than the whole
// escaping or unescaping of a typical line. The buffer takes the same turn
// at the fault hook as platform::Scratch, in the same order, so a test that
// makes the n-th scratch allocation fail sees the same call fail whatever the
// text's length; only a count above the inline room reaches the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "platform/fault.hpp"

namespace zr::url {

template <class T, std::size_t kInline>
class SmallScratch {
public:
    explicit SmallScratch(std::int64_t count) noexcept {
        if (count < 0 ||
            static_cast<std::uint64_t>(count) > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            return;
        }
        if (platform::InjectFault(platform::FaultKind::kAlloc)) return;
        const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 1;
        if (n <= kInline) {
            data_ = inline_;
        } else {
            heap_ = new (std::nothrow) T[n];
            data_ = heap_;
        }
    }
    ~SmallScratch() { delete[] heap_; }
    SmallScratch(const SmallScratch&) = delete;
    SmallScratch& operator=(const SmallScratch&) = delete;

    explicit operator bool() const noexcept { return data_ != nullptr; }
    T* get() const noexcept { return data_; }

private:
    T* data_ = nullptr;
    T* heap_ = nullptr;
    T inline_[kInline];
};

}  // namespace zr::url
