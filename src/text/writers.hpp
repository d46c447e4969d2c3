// writers.hpp - code points to the bytes of one output encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "text/text.hpp"

namespace zr::text {

class Writer {
public:
    virtual ~Writer() = default;
    // Appends `c` to out; false when the encoding has no form for it
    // (nothing is appended then).
    virtual bool Put(char32_t c, std::vector<std::uint8_t>& out) = 0;
    // The end of the text: close what is open (ISO-2022-JP returns to ASCII).
    virtual void Finish(std::vector<std::uint8_t>& out) { (void)out; }
    // The byte-order mark, for the encodings that have one.
    virtual void Bom(std::vector<std::uint8_t>& out) { (void)out; }
    virtual void Reset() {}
    // Appends a run of ASCII characters whose bytes are their own form in
    // this encoding; false (nothing appended) when the run must go a
    // character at a time.
    virtual bool PutAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) {
        (void)p;
        (void)n;
        (void)out;
        return false;
    }
    // Appends cs[0..n) while each has a form here and returns how many
    // went; the one that stopped it (if any) is for Put, which reports it.
    // `cp932Variants`: the JIS forms of the variant pairs are written as
    // code page 932's, as the converter does for the Japanese encodings.
    virtual std::size_t PutRun(const char32_t* cs, std::size_t n, bool cp932Variants, std::vector<std::uint8_t>& out);
};

struct WriterOptions {
    bool kanaRuns = false;  // ISO-2022-JP: half-width katakana in ESC ( I runs
};

// May throw std::bad_alloc (the converter catches it at its boundary).
std::unique_ptr<Writer> MakeWriter(Enc enc, const WriterOptions& options);

}  // namespace zr::text
