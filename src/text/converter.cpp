// converter.cpp - the streaming converter.
//
// Reader -> leading BOM dropped -> line endings -> kana width -> variant
// pairs -> writer. Each character carries its input offset and bytes to the
// writer, so that a character the target lacks is reported where it stood.
// Output gathers in a buffer that the caller drains; the input is always
// taken whole (bounded by the chunk the caller gives) unless a strict stop
// ends it.
#include "text/converter.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include "text/kana.hpp"
#include "text/readers.hpp"
#include "text/writers.hpp"

namespace zr::text {

namespace {

// A code point that stands for "the target's replacement": malformed input
// under the replace policy travels through the steps as this, so that it
// keeps its place among the characters held back by the steps.
constexpr char32_t kReplaceMark = 0x110000;

// Where a character came from. Most characters pass straight through and
// only point at the reader's bytes; the few held back by a step (a CR, a
// kana before its mark) keep a copy, since the reader's bytes move on.
struct Origin {
    std::uint64_t offset = 0;
    const std::uint8_t* ptr = nullptr;  // null: the bytes are in `own`
    std::uint8_t len = 0;
    std::uint8_t own[16];

    static Origin View(std::uint64_t at, const std::uint8_t* p, std::size_t n) noexcept {
        Origin o;
        o.offset = at;
        o.ptr = p;
        o.len = static_cast<std::uint8_t>(n < sizeof o.own ? n : sizeof o.own);
        return o;
    }
    const std::uint8_t* Bytes() const noexcept { return ptr ? ptr : own; }
    void Keep(const Origin& o) noexcept {
        offset = o.offset;
        len = o.len;
        if (len) std::memcpy(own, o.Bytes(), len);
        ptr = nullptr;
    }
    // Two characters taken as one (CR LF, a kana and its mark); `this` is a
    // kept copy.
    void Append(const Origin& o) noexcept {
        const std::size_t room = sizeof own - len;
        const std::size_t k = o.len < room ? o.len : room;
        if (k) std::memcpy(own + len, o.Bytes(), k);
        len = static_cast<std::uint8_t>(len + k);
    }
};

}  // namespace

struct Converter::Impl final : ReadSink {
    Converter* owner = nullptr;
    Enc from = Enc::kNone;
    Enc to = Enc::kNone;
    Options options;
    std::unique_ptr<Reader> reader;
    std::unique_ptr<Writer> writer;
    std::vector<std::uint8_t> out;
    std::size_t outPos = 0;
    bool started = false;   // a character has been read
    bool bomDone = false;   // the BOM asked for has been written
    bool finished = false;
    bool stopped = false;
    bool closing = false;  // writing what was held back after a strict stop
    bool closed = false;
    bool badAlloc = false;
    bool runs = false;  // Chars may pass runs to the writer whole
    std::uint64_t line = 1;
    bool lastWasCr = false;
    // Held back: a CR that may be followed by LF, a half-width kana that may
    // be followed by its mark.
    bool crHeld = false;
    Origin crOrigin;
    char32_t kanaHeld = 0;
    Origin kanaOrigin;

    bool Stopped() const noexcept override { return stopped || badAlloc; }

    void Char(char32_t c, std::uint64_t offset, const std::uint8_t* bytes, std::size_t n) noexcept override {
        const Origin o = Origin::View(offset, bytes, n);
        const bool first = !started;
        started = true;
        // A BOM is the stream's signature, not text: consumed, and written
        // again only when asked for.
        if (first && c == kBom && IsUnicodeEnc(from)) return;
        Eol(c, o);
        if (c == '\r') {
            ++line;
        } else if (c == '\n' && !lastWasCr) {
            ++line;
        }
        lastWasCr = c == '\r';
    }

    // A run of ASCII passes whole when no step could change it: line endings
    // kept, nothing held back (an ASCII byte never combines with a held
    // kana, but the held one must be written first), and a writer in which
    // ASCII is itself.
    void Ascii(const std::uint8_t* p, std::size_t n, std::uint64_t offset) noexcept override {
        if (options.eol != ZRT_EOL_KEEP || kanaHeld || stopped || badAlloc) {
            ReadSink::Ascii(p, n, offset);
            return;
        }
        try {
            StartOutput();
            if (!writer->PutAscii(p, n, out)) {
                ReadSink::Ascii(p, n, offset);
                return;
            }
        } catch (const std::bad_alloc&) {
            badAlloc = true;
            return;
        }
        started = true;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t c = p[i];
            if (c == '\r' || (c == '\n' && !lastWasCr)) ++line;
            lastWasCr = c == '\r';
        }
    }

    // A run of characters goes to the writer whole when no step can change
    // or hold back any of them (line endings kept, no kana widening); the
    // character the writer stops at takes the way of Char, which reports
    // it, and the run goes on after it.
    void Chars(const char32_t* cs, const std::uint32_t* offs, const std::uint8_t* lens, std::size_t n,
               const std::uint8_t* p, std::uint64_t offset) noexcept override {
        if (!runs || stopped || badAlloc) {
            ReadSink::Chars(cs, offs, lens, n, p, offset);
            return;
        }
        std::size_t i = 0;
        if (!started && n) {
            Char(cs[0], offset + offs[0], p + offs[0], lens[0]);  // perhaps a BOM
            i = 1;
        }
        const bool variants = !options.exact && (to == Enc::kSJis || to == Enc::kEucJp || to == Enc::kJis);
        while (i < n && !stopped && !badAlloc) {
            std::size_t k;
            try {
                StartOutput();
                k = i + writer->PutRun(cs + i, n - i, variants, out);
            } catch (const std::bad_alloc&) {
                badAlloc = true;
                return;
            }
            // Line ends are rare: the character before an LF is looked at
            // only when there is one.
            if (i < k) {
                const std::size_t from = i;
                for (; i < k; ++i) {
                    const char32_t c = cs[i];
                    if (c > '\r') continue;
                    const bool afterCr = i > from ? cs[i - 1] == '\r' : lastWasCr;
                    if (c == '\r' || (c == '\n' && !afterCr)) ++line;
                }
                lastWasCr = cs[k - 1] == '\r';
            }
            if (i < n) {
                Char(cs[i], offset + offs[i], p + offs[i], lens[i]);
                ++i;
            }
        }
    }

    void Malformed(std::uint64_t offset, const std::uint8_t* bytes, std::size_t n) noexcept override {
        started = true;
        owner->malformed_++;
        const Origin o = Origin::View(offset, bytes, n);
        Record(ZRT_ERR_MALFORMED, 0, o);
        if (options.errors == ZRT_ERRORS_STRICT) {
            stopped = true;
        } else if (options.errors == ZRT_ERRORS_REPLACE) {
            Eol(kReplaceMark, o);
        }
        lastWasCr = false;
    }

    void Record(std::int32_t kind, char32_t c, const Origin& o) noexcept {
        ZRT_Error& e = owner->first_;
        if (e.kind != ZRT_ERR_NONE) return;
        e.kind = kind;
        e.codePoint = c;
        e.offset = o.offset;
        e.line = line;
        e.byteCount = o.len;
        if (o.len) std::memcpy(e.bytes, o.Bytes(), o.len);
    }

    // Line endings: with a target ending set, CR LF, CR and LF all become it.
    void Eol(char32_t c, const Origin& o) noexcept {
        if (options.eol == ZRT_EOL_KEEP) {
            Kana(c, o);
            return;
        }
        if (crHeld) {
            crHeld = false;
            if (c == '\n') {
                Origin both = crOrigin;
                both.Append(o);
                LineEnd(both);
                return;
            }
            LineEnd(crOrigin);
        }
        if (c == '\r') {
            crHeld = true;
            crOrigin.Keep(o);
            return;
        }
        if (c == '\n') {
            LineEnd(o);
            return;
        }
        Kana(c, o);
    }

    void LineEnd(const Origin& o) noexcept {
        if (options.eol == ZRT_EOL_CR || options.eol == ZRT_EOL_CRLF) Kana('\r', o);
        if (options.eol == ZRT_EOL_LF || options.eol == ZRT_EOL_CRLF) Kana('\n', o);
    }

    // ISO-2022-JP output: half-width katakana widen, a mark joining its kana.
    void Kana(char32_t c, const Origin& o) noexcept {
        if (to != Enc::kJis || options.halfwidth != ZRT_HALFWIDTH_FULLWIDTH) {
            Write(c, o);
            return;
        }
        if (kanaHeld) {
            const char32_t both = CombinedWithMark(kanaHeld, c);
            const char32_t held = kanaHeld;
            kanaHeld = 0;
            if (both) {
                Origin joined = kanaOrigin;
                joined.Append(o);
                Write(both, joined);
                return;
            }
            Write(FullwidthOf(held), kanaOrigin);
        }
        if (IsHalfwidthKana(c) && c != 0xFF9E && c != 0xFF9F) {
            kanaHeld = c;
            kanaOrigin.Keep(o);
            return;
        }
        Write(FullwidthOf(c), o);
    }

    // Everything held back goes out: the end of the input.
    void Drain() noexcept {
        if (crHeld) {
            crHeld = false;
            LineEnd(crOrigin);
        }
        if (kanaHeld) {
            const char32_t held = kanaHeld;
            kanaHeld = 0;
            Write(FullwidthOf(held), kanaOrigin);
        }
    }

    void StartOutput() {
        if (bomDone) return;
        bomDone = true;
        const bool wants = (options.bom && (to == Enc::kUtf8 || to == Enc::kUtf16Le || to == Enc::kUtf16Be)) ||
                           to == Enc::kUtf16;
        if (wants) writer->Bom(out);
    }

    void Write(char32_t c, const Origin& o) noexcept {
        if ((stopped && !closing) || badAlloc) return;
        try {
            StartOutput();
            if (c == kReplaceMark) {
                PutReplacement();
                return;
            }
            const bool toJapanese = to == Enc::kSJis || to == Enc::kEucJp || to == Enc::kJis;
            const char32_t mapped = toJapanese && !options.exact ? VariantToCp932(c) : c;
            if (writer->Put(mapped, out)) return;
            owner->unmappable_++;
            Record(ZRT_ERR_UNMAPPABLE, c, o);
            if (options.errors == ZRT_ERRORS_STRICT) {
                stopped = true;
            } else if (options.errors == ZRT_ERRORS_REPLACE) {
                PutReplacement();
            }
        } catch (const std::bad_alloc&) {
            badAlloc = true;
        }
    }

    void PutReplacement() {
        if (options.replacement && writer->Put(options.replacement, out)) return;
        writer->Put(IsUnicodeEnc(to) ? kReplacementChar : U'?', out);
    }

    void Finish() noexcept {
        if (finished) return;
        finished = true;
        reader->Finish(*this);
        if (stopped || badAlloc) return;
        Drain();
        if (stopped || badAlloc) return;
        try {
            StartOutput();
            writer->Finish(out);
        } catch (const std::bad_alloc&) {
            badAlloc = true;
        }
    }

    // A strict stop ends the text at the error: what the steps hold (all of
    // it from before the error) goes out and the writer closes, so that the
    // output before the error is whole (ISO-2022-JP back in ASCII, UTF-7's
    // gathered piece written).
    void CloseAfterStop() noexcept {
        if (closed || !stopped || badAlloc) return;
        closed = true;
        closing = true;
        Drain();
        try {
            StartOutput();
            writer->Finish(out);
        } catch (const std::bad_alloc&) {
            badAlloc = true;
        }
        closing = false;
    }

    std::size_t Drain(std::uint8_t* dst, std::size_t cap) noexcept {
        const std::size_t k = std::min(cap, out.size() - outPos);
        if (k) std::memcpy(dst, out.data() + outPos, k);
        outPos += k;
        if (outPos == out.size()) {
            out.clear();
            outPos = 0;
        }
        return k;
    }

    bool Pending() const noexcept { return outPos < out.size(); }

    void Clear() noexcept {
        reader->Reset();
        writer->Reset();
        out.clear();
        outPos = 0;
        started = bomDone = finished = stopped = closing = closed = badAlloc = false;
        line = 1;
        lastWasCr = false;
        crHeld = false;
        kanaHeld = 0;
    }
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
    try {
        impl_ = std::make_unique<Impl>();
        impl_->owner = this;
        impl_->from = from;
        impl_->to = to;
        impl_->options = options;
        impl_->runs = options.eol == ZRT_EOL_KEEP && !(to == Enc::kJis && options.halfwidth == ZRT_HALFWIDTH_FULLWIDTH);
        impl_->reader = MakeReader(from);
        WriterOptions wo;
        wo.kanaRuns = options.halfwidth == ZRT_HALFWIDTH_JISX0201;
        impl_->writer = MakeWriter(to, wo);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return impl_->reader && impl_->writer;
}

void Converter::Reset() noexcept {
    first_ = ZRT_Error{};
    malformed_ = unmappable_ = 0;
    if (impl_) impl_->Clear();
}

std::int32_t Converter::Convert(const std::uint8_t* src, std::size_t n, std::size_t& used, std::uint8_t* dst,
                                std::size_t cap, std::size_t& written, bool last) noexcept {
    Impl& c = *impl_;
    used = 0;
    written = c.Drain(dst, cap);
    if (c.Pending()) return ZRT_MORE_OUTPUT;
    if (c.badAlloc) return ZRT_NO_MEMORY;
    if (c.stopped) return ZRT_STOPPED;
    const std::uint64_t start = c.reader->Position();
    if (n) c.reader->Feed(src, n, c);
    used = n;
    if (last && !c.stopped && !c.badAlloc) c.Finish();
    c.CloseAfterStop();
    if (c.stopped) {
        // Taken: the bytes before the one in error.
        const std::uint64_t at = first_.offset;
        used = at > start ? static_cast<std::size_t>(std::min<std::uint64_t>(at - start, n)) : 0;
    }
    written += c.Drain(dst + written, cap - written);
    if (c.Pending()) return ZRT_MORE_OUTPUT;
    if (c.badAlloc) return ZRT_NO_MEMORY;
    return c.stopped ? ZRT_STOPPED : ZRT_OK;
}

namespace {

struct FirstMalformed final : ReadSink {
    ZRT_Error error{};
    std::uint64_t line = 1;
    bool lastWasCr = false;
    void Char(char32_t c, std::uint64_t, const std::uint8_t*, std::size_t) noexcept override {
        if (c == '\r' || (c == '\n' && !lastWasCr)) ++line;
        lastWasCr = c == '\r';
    }
    void Malformed(std::uint64_t offset, const std::uint8_t* bytes, std::size_t n) noexcept override {
        if (error.kind != ZRT_ERR_NONE) return;
        error.kind = ZRT_ERR_MALFORMED;
        error.offset = offset;
        error.line = line;
        error.byteCount = static_cast<std::int32_t>(n < sizeof error.bytes ? n : sizeof error.bytes);
        std::memcpy(error.bytes, bytes, static_cast<std::size_t>(error.byteCount));
    }
    bool Stopped() const noexcept override { return error.kind != ZRT_ERR_NONE; }
};

}  // namespace

bool Validate(Enc enc, const std::uint8_t* buf, std::size_t n, bool complete, ZRT_Error* error) noexcept {
    const std::unique_ptr<Reader> reader = MakeReader(enc);
    if (!reader) return false;
    FirstMalformed sink;
    if (n) reader->Feed(buf, n, sink);
    if (complete) reader->Finish(sink);
    if (error) *error = sink.error;
    return sink.error.kind == ZRT_ERR_NONE;
}

}  // namespace zr::text
