// readers.hpp - validating readers: input bytes of one encoding to code
// points, fed in chunks of any size, each character or malformed sequence
// reported with its byte offset and bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "text/text.hpp"

namespace zr::text {

// Where a reader's results go.
class ReadSink {
public:
    virtual ~ReadSink() = default;
    virtual void Char(char32_t c, std::uint64_t offset, const std::uint8_t* bytes, std::size_t n) noexcept = 0;
    virtual void Malformed(std::uint64_t offset, const std::uint8_t* bytes, std::size_t n) noexcept = 0;
    // A run of ASCII characters, one byte each (a sink may take it whole).
    virtual void Ascii(const std::uint8_t* p, std::size_t n, std::uint64_t offset) noexcept {
        for (std::size_t i = 0; i < n && !Stopped(); ++i) Char(p[i], offset + i, p + i, 1);
    }
    // A run of well-formed characters, the i-th of lens[i] bytes at p +
    // offs[i] (offset `offset + offs[i]`), in order; what lies between them
    // (escape sequences) is not text: one call for many, since a call per
    // character costs more than most conversions do.
    virtual void Chars(const char32_t* cs, const std::uint32_t* offs, const std::uint8_t* lens, std::size_t n,
                       const std::uint8_t* p, std::uint64_t offset) noexcept {
        for (std::size_t i = 0; i < n && !Stopped(); ++i) Char(cs[i], offset + offs[i], p + offs[i], lens[i]);
    }
    // A sink that has seen enough (a strict stop) ends the reading early.
    virtual bool Stopped() const noexcept { return false; }
};

class Reader {
public:
    virtual ~Reader() = default;
    // Reads a chunk; a sequence cut by the chunk's end waits for the next.
    void Feed(const std::uint8_t* p, std::size_t n, ReadSink& sink) noexcept;
    // The end of the input: a sequence still waiting is cut short.
    void Finish(ReadSink& sink) noexcept;
    void Reset() noexcept {
        pendLen_ = 0;
        pos_ = 0;
        ResetState();
    }
    std::uint64_t Position() const noexcept { return pos_; }

protected:
    // Reads one unit at p (offset `at`): returns the bytes taken (at least
    // one) or 0 when more bytes are needed to decide, which `last` forbids.
    virtual std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                             ReadSink& sink) noexcept = 0;
    virtual void ResetState() noexcept {}
    // The input ended with no unit waiting: a state still open may be an error.
    virtual void AtEnd(ReadSink&) noexcept {}

private:
    static constexpr std::size_t kMaxPend = 16;
    std::uint8_t pend_[kMaxPend] = {};
    std::size_t pendLen_ = 0;
    std::uint64_t pos_ = 0;
};

std::unique_ptr<Reader> MakeReader(Enc enc) noexcept;

}  // namespace zr::text
