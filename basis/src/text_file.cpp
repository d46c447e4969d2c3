// text_file.cpp - line reading and decoding of ZR_Basis text files.
#include "text_file.hpp"

namespace zr::basis {
namespace {

#include "sjis_table.inc"

constexpr char16_t kReplacement = 0xFFFD;
// What code page 932 gives for a pair that names no character.
constexpr char16_t kSjisDefault = 0x30FB;

constexpr bool IsLeadByte(std::uint8_t b) noexcept {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

constexpr bool IsTrailByte(std::uint8_t b) noexcept {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

constexpr int LeadIndex(std::uint8_t b) noexcept {
    return b <= 0x9F ? b - 0x81 : b - 0xE0 + 31;
}

}  // namespace

TextFile::TextFile(std::FILE* f, Encoding encoding) noexcept : file_(f), encoding_(encoding) {
    // Read enough to see a byte-order mark even through short reads.
    while (len_ < 3 && !drained_) {
        const std::size_t n = std::fread(buf_ + len_, 1, sizeof buf_ - len_, file_);
        if (n == 0) {
            if (std::ferror(file_)) error_ = true;
            drained_ = true;
        }
        len_ += n;
    }
    const auto at = [this](std::size_t i) -> int { return i < len_ ? buf_[i] : -1; };
    // Whatever the encoding, a byte-order mark is not text.
    const bool utf8Mark = at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF;
    const bool utf16Mark = at(0) == 0xFF && at(1) == 0xFE;
    if (encoding_ == Encoding::kAuto) {
        encoding_ = utf8Mark ? Encoding::kUtf8 : utf16Mark ? Encoding::kUtf16Le : Encoding::kSjis;
    }
    if (encoding_ == Encoding::kUtf8 && utf8Mark) pos_ += 3;
    if (encoding_ == Encoding::kUtf16Le && utf16Mark) pos_ += 2;
}

TextFile::~TextFile() { Close(); }

bool TextFile::Close() noexcept {
    if (!file_) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

bool TextFile::Refill() noexcept {
    if (drained_ || error_ || !file_) return false;
    pos_ = 0;
    len_ = std::fread(buf_, 1, sizeof buf_, file_);
    if (len_ == 0) {
        if (std::ferror(file_)) error_ = true;
        drained_ = true;
        return false;
    }
    return true;
}

int TextFile::PeekByte() noexcept {
    if (pos_ >= len_ && !Refill()) return -1;
    return buf_[pos_];
}

void TextFile::DecodeSjis(std::uint8_t b) noexcept {
    if (!IsLeadByte(b)) {
        pending_[pendingCount_++] = kSjisSingle[b];
        return;
    }
    // A lead byte takes the next byte only when that is a trail byte, so a
    // broken pair before a line break never swallows the break.
    const int t = PeekByte();
    if (t < 0 || !IsTrailByte(static_cast<std::uint8_t>(t))) {
        pending_[pendingCount_++] = kSjisDefault;
        return;
    }
    TakeByte();
    const char16_t u = kSjisDouble[LeadIndex(b)][t - 0x40];
    pending_[pendingCount_++] = u ? u : kSjisDefault;
}

void TextFile::DecodeUtf8(std::uint8_t b) noexcept {
    std::uint32_t c;
    int extra;
    // Bounds of the second byte, which rule out overlong forms, surrogates
    // and values above U+10FFFF in one test.
    int lo = 0x80, hi = 0xBF;
    if (b < 0x80) {
        pending_[pendingCount_++] = b;
        return;
    } else if (b >= 0xC2 && b <= 0xDF) {
        c = b & 0x1F, extra = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        c = b & 0x0F, extra = 2;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        c = b & 0x07, extra = 3;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        pending_[pendingCount_++] = kReplacement;
        return;
    }
    for (int k = 0; k < extra; ++k) {
        const int n = PeekByte();
        if (n < lo || n > hi) {
            // An incomplete sequence is one replacement; the byte that broke
            // it starts the next character.
            pending_[pendingCount_++] = kReplacement;
            return;
        }
        TakeByte();
        c = (c << 6) | (static_cast<std::uint32_t>(n) & 0x3F);
        lo = 0x80, hi = 0xBF;
    }
    if (c >= 0x10000) {
        pending_[pendingCount_++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        pending_[pendingCount_++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        pending_[pendingCount_++] = static_cast<char16_t>(c);
    }
}

void TextFile::DecodeUtf16(std::uint8_t b) noexcept {
    const int h = PeekByte();
    if (h < 0) {
        pending_[pendingCount_++] = kReplacement;  // odd byte at the end
        return;
    }
    TakeByte();
    pending_[pendingCount_++] = static_cast<char16_t>(b | (h << 8));
}

bool TextFile::DecodeNext() noexcept {
    const int b = PeekByte();
    if (b < 0) return false;
    TakeByte();
    switch (encoding_) {
        case Encoding::kUtf8: DecodeUtf8(static_cast<std::uint8_t>(b)); break;
        case Encoding::kUtf16Le: DecodeUtf16(static_cast<std::uint8_t>(b)); break;
        default: DecodeSjis(static_cast<std::uint8_t>(b)); break;
    }
    return true;
}

int TextFile::PeekUnit() noexcept {
    if (pendingCount_ == 0 && !DecodeNext()) return -1;
    return pending_[0];
}

void TextFile::TakeUnit() noexcept {
    pending_[0] = pending_[1];
    --pendingCount_;
}

long TextFile::GetLine(char16_t* buf, std::size_t size) noexcept {
    if (!buf || size == 0) return -1;
    buf[0] = 0;
    if (size < 2 || error_) return -1;
    const std::size_t limit = size - 1;
    std::size_t n = 0;
    while (n < limit) {
        int u = PeekUnit();
        if (u < 0) {
            // A failed read is an error, not an end: the caller must not take
            // a truncated file for a complete one.
            if (!error_) eof_ = true;
            break;
        }
        // Keep a surrogate pair together in the next piece of a long line.
        if (u >= 0xD800 && u <= 0xDBFF && n + 1 == limit && n > 0) break;
        TakeUnit();
        if (u == '\r' && PeekUnit() == '\n') {
            TakeUnit();
            u = '\n';
        }
        buf[n++] = static_cast<char16_t>(u);
        if (u == '\n') break;
    }
    if (error_) {
        buf[0] = 0;
        return -1;
    }
    buf[n] = 0;
    return n > 0 ? static_cast<long>(n) : -1;
}

}  // namespace zr::basis
