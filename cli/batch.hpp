// cli/batch.hpp - converting many files in place, in parallel.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common.hpp"

namespace zrcli {

struct BatchOptions {
    std::string backupSuffix;  // empty: no backup
    bool recursive = false;
    unsigned jobs = 0;  // 0: one per core
    bool quiet = false;
};

// Converts one file: reads `in`, writes `out`; throws Failure when the file
// cannot be converted (the message names the place).
using FileConversion = std::function<void(Input& in, Sink& out)>;

// Rewrites each file of `operands` (directories too with `recursive`) with
// what `convert` makes of it. Each result goes to a temporary file in the
// file's own directory that replaces the file only once complete, with the
// file's mode and, where permitted, owner; a symbolic link keeps pointing
// at its target, which is the file rewritten. A file whose result is its
// own bytes is left untouched (mtime included). Failures are told as they
// happen and the other files still done; a summary line ends the run.
// Returns the exit status: 1 if any file failed.
int ConvertInPlace(const std::vector<std::string>& operands, const BatchOptions& opts,
                   const FileConversion& convert);

}  // namespace zrcli
