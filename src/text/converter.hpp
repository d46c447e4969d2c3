// converter.hpp - the streaming converter: a validating reader per input
// encoding, the character steps (BOM, line endings, kana width, variant
// pairs) and a writer per output encoding, joined through code points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "text/text.hpp"
#include "zr_text.h"

namespace zr::text {

struct Options {
    std::int32_t errors = ZRT_ERRORS_STRICT;
    char32_t replacement = 0;
    std::int32_t eol = ZRT_EOL_KEEP;
    bool bom = false;
    std::int32_t halfwidth = ZRT_HALFWIDTH_FULLWIDTH;
    bool exact = false;
};

ZRT_Options DefaultOptions() noexcept;
// Takes the fields the caller's struct (of its own size) has.
void CopyKnownOptions(Options& to, const ZRT_Options& from) noexcept;
bool ValidOptions(const Options& o) noexcept;

class Reader;
class Writer;

class Converter {
public:
    Converter() noexcept;
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Open(Enc from, Enc to, const Options& options) noexcept;
    void Reset() noexcept;
    std::int32_t Convert(const std::uint8_t* src, std::size_t n, std::size_t& used, std::uint8_t* dst,
                         std::size_t cap, std::size_t& written, bool last) noexcept;

    const ZRT_Error& FirstError() const noexcept { return first_; }
    std::uint64_t MalformedCount() const noexcept { return malformed_; }
    std::uint64_t UnmappableCount() const noexcept { return unmappable_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    ZRT_Error first_{};
    std::uint64_t malformed_ = 0;
    std::uint64_t unmappable_ = 0;
};

// Validation of a whole buffer (or a prefix of a stream).
bool Validate(Enc enc, const std::uint8_t* buf, std::size_t n, bool complete, ZRT_Error* error) noexcept;

}  // namespace zr::text
