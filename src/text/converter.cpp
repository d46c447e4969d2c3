// converter.cpp - the streaming converter (first cut: the interface only).
#include "text/converter.hpp"

namespace zr::text {

struct Converter::Impl {
    Enc from = Enc::kNone;
    Enc to = Enc::kNone;
    Options options;
};

ZRT_Options DefaultOptions() noexcept {
    ZRT_Options o{};
    o.size = sizeof(ZRT_Options);
    o.errors = ZRT_ERRORS_STRICT;
    o.eol = ZRT_EOL_KEEP;
    o.halfwidth = ZRT_HALFWIDTH_FULLWIDTH;
    return o;
}

void CopyKnownOptions(Options& to, const ZRT_Options& from) noexcept {
    auto has = [&](std::size_t end) { return from.size >= end; };
    if (has(offsetof(ZRT_Options, errors) + sizeof from.errors)) to.errors = from.errors;
    if (has(offsetof(ZRT_Options, replacement) + sizeof from.replacement)) to.replacement = from.replacement;
    if (has(offsetof(ZRT_Options, eol) + sizeof from.eol)) to.eol = from.eol;
    if (has(offsetof(ZRT_Options, bom) + sizeof from.bom)) to.bom = from.bom != 0;
    if (has(offsetof(ZRT_Options, halfwidth) + sizeof from.halfwidth)) to.halfwidth = from.halfwidth;
    if (has(offsetof(ZRT_Options, exact) + sizeof from.exact)) to.exact = from.exact != 0;
}

bool ValidOptions(const Options& o) noexcept {
    return o.errors >= ZRT_ERRORS_STRICT && o.errors <= ZRT_ERRORS_SKIP && o.eol >= ZRT_EOL_KEEP &&
           o.eol <= ZRT_EOL_CR && o.halfwidth >= ZRT_HALFWIDTH_FULLWIDTH && o.halfwidth <= ZRT_HALFWIDTH_JISX0201 &&
           o.replacement <= 0x10FFFF && !(o.replacement >= 0xD800 && o.replacement <= 0xDFFF);
}

Converter::Converter() noexcept = default;
Converter::~Converter() = default;

bool Converter::Open(Enc from, Enc to, const Options& options) noexcept {
    impl_.reset(new (std::nothrow) Impl);
    if (!impl_) return false;
    impl_->from = from;
    impl_->to = to;
    impl_->options = options;
    return true;
}

void Converter::Reset() noexcept {
    first_ = ZRT_Error{};
    malformed_ = unmappable_ = 0;
}

std::int32_t Converter::Convert(const std::uint8_t*, std::size_t, std::size_t& used, std::uint8_t*, std::size_t,
                                std::size_t& written, bool) noexcept {
    used = 0;
    written = 0;
    return ZRT_BAD_ARGUMENT;
}

void Converter::OnMalformed(std::uint64_t, const std::uint8_t*, std::size_t) noexcept {}
void Converter::OnChar(char32_t, std::uint64_t, const std::uint8_t*, std::size_t) noexcept {}

bool Validate(Enc, const std::uint8_t*, std::size_t, bool, ZRT_Error*) noexcept { return false; }

}  // namespace zr::text
