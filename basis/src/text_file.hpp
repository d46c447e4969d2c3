// text_file.hpp - a text file read as UTF-16 lines from Shift_JIS, UTF-8 or UTF-16LE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zr::basis {

enum class Encoding { kAuto = 0, kSjis = 1, kUtf8 = 2, kUtf16Le = 3 };

class TextFile {
public:
    // Takes ownership of `f`; the encoding is settled here, from the first
    // bytes when `encoding` is kAuto.
    TextFile(std::FILE* f, Encoding encoding) noexcept;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // See ZR_TextFileGetsW. Returns the units stored, or -1 when nothing was.
    long GetLine(char16_t* buf, std::size_t size) noexcept;
    bool Eof() const noexcept { return eof_; }
    bool Error() const noexcept { return error_; }
    // Closes the stream; false when the host reported a failure.
    bool Close() noexcept;

private:
    int PeekByte() noexcept;  // next byte, or -1 at the end or after an error
    void TakeByte() noexcept { ++pos_; }
    bool Refill() noexcept;
    // Decodes the next character into pending_; false at the end of input.
    bool DecodeNext() noexcept;
    void DecodeSjis(std::uint8_t b) noexcept;
    void DecodeUtf8(std::uint8_t b) noexcept;
    void DecodeUtf16(std::uint8_t b) noexcept;
    int PeekUnit() noexcept;  // next unit, or -1
    void TakeUnit() noexcept;

    std::FILE* file_;
    Encoding encoding_;
    bool eof_ = false;
    bool error_ = false;
    bool drained_ = false;  // the stream has nothing more to give
    unsigned char buf_[8192];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    char16_t pending_[2] = {};
    int pendingCount_ = 0;
};

}  // namespace zr::basis
