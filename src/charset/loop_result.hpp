// loop_result.hpp - what the library's own byte loops report to their exports.
#pragma once

#include <cstddef>

namespace zr::charset {

enum class LoopOutcome {
    kDone,           // the whole text converted; `length` bytes before the NUL
    kNoRoom,         // the output with its NUL would not fit
    kUnconvertible,  // stopped at a character without a target form; `length`
                     // bytes written before it
    kDeclined,       // only from the one-pass loops that stand for two steps:
                     // the text holds something they do not model, and the
                     // caller must take the steps one by one
};

struct LoopResult {
    LoopOutcome outcome;
    std::size_t length;
    // The one-pass loops: the length of the JIS text the first of the two
    // steps would have built, which decides whether that step fits.
    std::size_t jisLength = 0;
};

}  // namespace zr::charset
