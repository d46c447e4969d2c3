// cli/textcmd.hpp - what zrmoji's commands share about the text module:
// guessing an input's encoding, naming characters.
#pragma once

#include <string>

#include "common.hpp"
#include "zr_text.h"

namespace zrcli {

struct GuessResult {
    ZRT_Guess guess{};
    std::size_t bytes = 0;  // how many bytes the guess saw
    bool complete = false;  // ... and whether that was the whole input
    // "shift_jis, guessed from 1200 bytes; euc-jp fitted as well, ..."
    std::string Explain() const;
};

// Reads `in` into *prefix until the guess is sure (or the input ends, or
// 64 MiB are held) and guesses its encoding. The caller converts *prefix
// before the rest of `in`.
GuessResult GuessInput(Input& in, std::string* prefix);

// Half-width katakana as their full-width forms, voiced marks combined
// (ｶﾞ -> ガ): ISO-2022-JP is 7-bit, and mail has no half-width kana.
U16 FullwidthKana(std::u16string_view s);

// "U+9AD9 '髙'" (the character itself only when it is printable).
std::string CharName(std::uint32_t cp);

// One character given on the command line, as itself (UTF-8) or as U+XXXX.
std::uint32_t ParseCharOption(const std::string& text, const char* what);

}  // namespace zrcli
