// cli/conv_legacy.hpp - conversion through the library's exports alone.
#pragma once

#include "common.hpp"

namespace zrcli {

// Streams `in` from one encoding to another, line by line: characters code
// page 932 lacks become '?' (refused when `strict`), malformed input is
// converted by the host converter's rules.
void LegacyConvert(Enc from, Enc to, bool strict, Input& in, Sink& out, Progress& progress,
                   unsigned long long before);

}  // namespace zrcli
