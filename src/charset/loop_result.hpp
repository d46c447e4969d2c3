// loop_result.hpp - what the library's own byte loops report to their exports.
#pragma once

#include <cstddef>

namespace zr::charset {

enum class LoopOutcome {
    kDone,           // the whole text converted; `length` bytes before the NUL
    kNoRoom,         // the output with its NUL would not fit; dst left empty
    kUnconvertible,  // stopped at a character without a target form; `length`
                     // bytes written before it, NUL-terminated
};

struct LoopResult {
    LoopOutcome outcome;
    std::size_t length;
};

}  // namespace zr::charset
