// fuzz_text_guess.cpp - the text module's validator and guesser on any
// bytes: no read past the input, and the guess agrees with validation.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "guard.hpp"
#include "zr_text.h"

using namespace zr::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool complete = data[0] & 1;
    const std::uint8_t* p = PlaceBytes(SrcArena(), data + 1, size - 1);
    const std::size_t n = size - 1;

    std::uint32_t valid = 0;
    for (int32_t e = 1; e < ZRT_ENC_COUNT; ++e) {
        ZRT_Error err;
        const int32_t v = ZRT_Validate(e, p, n, complete, &err);
        if (v == 1) {
            valid |= 1u << e;
            if (err.kind != ZRT_ERR_NONE) Fail("valid with an error", "ZRT_Validate");
        } else if (v == 0) {
            if (err.kind != ZRT_ERR_MALFORMED || err.offset >= n || err.byteCount < 0 || err.byteCount > 16) {
                Fail("malformed without a sound error", "ZRT_Validate");
            }
        } else {
            Fail("refused valid arguments", "ZRT_Validate");
        }
    }
    ZRT_Guess g;
    const int32_t choice = ZRT_GuessEncoding(p, n, complete, &g);
    if (choice != g.encoding) Fail("result and struct differ", "ZRT_GuessEncoding");
    if ((g.fits & ~(1u << ZRT_ENC_UTF16)) != (valid & ~(1u << ZRT_ENC_UTF16))) {
        Fail("fits disagrees with validation", "ZRT_GuessEncoding");
    }
    if (choice != ZRT_ENC_NONE) {
        if (!(valid & (1u << choice))) Fail("chose an encoding under which the input is malformed", "ZRT_GuessEncoding");
        if (!(g.ties & (1u << choice))) Fail("the choice is not among the ties", "ZRT_GuessEncoding");
        if (g.ambiguous != ((g.ties & (g.ties - 1)) != 0)) Fail("ambiguous flag wrong", "ZRT_GuessEncoding");
    }
    if (g.eol < ZRT_EOLS_NONE || g.eol > ZRT_EOLS_MIXED) Fail("line endings out of range", "ZRT_GuessEncoding");
    return 0;
}
