// cli/common.cpp - shared plumbing of zrmoji: options, input, output, errors.
#include "common.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace zrcli {

void Fail(int status, std::string message) { throw Failure{status, std::move(message)}; }
void UsageFail(std::string message) { throw Failure{kExitUsage, std::move(message)}; }

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    char small[512];
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    std::string out;
    if (n < 0) {
        va_end(ap);
        return out;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(n));
    } else {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, ap);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(ap);
    return out;
}

std::string Where(const std::string& name, unsigned long long line, unsigned long long byte) {
    // Lines count from 1, the byte offset from the start of the input at 0.
    return Format("%s: line %llu (byte offset %llu)", name.c_str(), line, byte);
}

// ---- command line --------------------------------------------------------

std::string Options::Get(const std::string& name, const std::string& fallback) const {
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

namespace {

constexpr OptSpec kCommonOpts[] = {
    {"output", 'o', true}, {"quiet", 'q', false}, {"verbose", 'v', false},
    {"progress", 0, false}, {"help", 'h', false},
};

const OptSpec* FindLong(std::span<const OptSpec> own, std::string_view name) {
    for (const auto& o : own)
        if (name == o.longName) return &o;
    for (const auto& o : kCommonOpts)
        if (name == o.longName) return &o;
    return nullptr;
}

const OptSpec* FindShort(std::span<const OptSpec> own, char c) {
    for (const auto& o : own)
        if (o.shortName == c) return &o;
    for (const auto& o : kCommonOpts)
        if (o.shortName == c) return &o;
    return nullptr;
}

}  // namespace

Options ParseOptions(int argc, char** argv, int first, std::span<const OptSpec> own,
                     const char* command) {
    Options out;
    bool endOfOptions = false;
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (endOfOptions || a.size() < 2 || a[0] != '-') {
            out.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            endOfOptions = true;
            continue;
        }
        const OptSpec* spec = nullptr;
        std::string value;
        bool haveValue = false;
        if (a[1] == '-') {
            std::string name = a.substr(2);
            const auto eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
                haveValue = true;
            }
            spec = FindLong(own, name);
            if (!spec) UsageFail(Format("%s: unknown option '--%s' (try 'zrmoji %s --help')",
                                        command, name.c_str(), command));
            if (!spec->hasValue && haveValue)
                UsageFail(Format("%s: option '--%s' takes no value", command, name.c_str()));
        } else {
            // A negative number such as -1 is an operand (table lookup codes).
            if (a[1] >= '0' && a[1] <= '9') {
                out.operands.push_back(a);
                continue;
            }
            spec = FindShort(own, a[1]);
            if (!spec) UsageFail(Format("%s: unknown option '-%c' (try 'zrmoji %s --help')",
                                        command, a[1], command));
            if (a.size() > 2) {
                if (!spec->hasValue)
                    UsageFail(Format("%s: option '-%c' takes no value", command, a[1]));
                value = a.substr(2);
                haveValue = true;
            }
        }
        if (spec->hasValue && !haveValue) {
            if (i + 1 >= argc)
                UsageFail(Format("%s: option '--%s' needs a value", command, spec->longName));
            value = argv[++i];
        }
        out.values[spec->longName] = value;
    }
    return out;
}

ErrorPolicy ErrorPolicyFrom(const Options& o, const char* command) {
    const std::string e = o.Get("errors", "strict");
    if (o.Has("strict") && o.Has("errors") && e != "strict")
        UsageFail(Format("%s: --strict and --errors=%s contradict each other", command, e.c_str()));
    if (e == "strict") return ErrorPolicy::Strict;
    if (e == "replace") return ErrorPolicy::Replace;
    if (e == "skip") return ErrorPolicy::Skip;
    UsageFail(Format("%s: unknown --errors '%s' (use strict, replace or skip)", command, e.c_str()));
}

Common CommonFrom(const Options& o) {
    Common c;
    c.outputPath = o.Get("output");
    if (o.Has("output") && c.outputPath.empty()) UsageFail("-o needs a file name");
    c.verbose = o.Has("verbose");
    c.quiet = o.Has("quiet");
    c.forceProgress = o.Has("progress");
    return c;
}

// ---- input ---------------------------------------------------------------

namespace {
constexpr std::size_t kBlock = 1 << 16;
// A line that grows past this without any break point fails the command
// rather than taking ever more memory; the exports' int32_t capacities set
// the scale (a conversion may need eight bytes out per byte in).
constexpr std::size_t kHardLimit = std::size_t{64} << 20;
}  // namespace

Input::Input(std::FILE* f, std::string name, bool owned)
    : f_(f), name_(std::move(name)), owned_(owned), buf_(kBlock) {
    struct stat st {};
    if (fstat(fileno(f_), &st) == 0 && S_ISREG(st.st_mode)) size_ = st.st_size;
}

Input::~Input() {
    if (owned_ && f_) std::fclose(f_);
}

bool Input::Fill() {
    if (eof_) return false;
    pos_ = 0;
    end_ = std::fread(buf_.data(), 1, buf_.size(), f_);
    if (end_ == 0) {
        CheckInterrupted();
        if (std::ferror(f_))
            Fail(kExitRefused, Format("%s: read error: %s", name_.c_str(), std::strerror(errno)));
        eof_ = true;
        return false;
    }
    return true;
}

bool Input::NextSegment(std::string& seg, char delim, bool splitAtNul, bool* endedByNul,
                        std::size_t softLimit) {
    seg.clear();
    *endedByNul = false;
    for (;;) {
        if (pos_ == end_ && !Fill()) return !seg.empty();
        const char* p = buf_.data() + pos_;
        const std::size_t avail = end_ - pos_;
        std::size_t k = 0;
        for (; k < avail; ++k) {
            if (p[k] == delim) {
                seg.append(p, k + 1);
                pos_ += k + 1;
                consumed_ += k + 1;
                return true;
            }
            if (splitAtNul && p[k] == '\0') {
                seg.append(p, k);
                pos_ += k + 1;
                consumed_ += k + 1;
                *endedByNul = true;
                return true;
            }
        }
        seg.append(p, avail);
        pos_ = end_;
        consumed_ += avail;
        if (seg.size() >= softLimit) {
            // Cut after a space or control byte: none of them is ever the
            // second byte of a double-byte character or part of a UTF-7 run.
            // Only the block just appended is searched, so a long line costs
            // one pass; the tail after the cut is still in the buffer and is
            // given back by stepping pos_ into it.
            for (std::size_t i = seg.size(); i-- > seg.size() - avail;) {
                if (static_cast<unsigned char>(seg[i]) <= 0x20) {
                    const std::size_t tail = seg.size() - (i + 1);
                    pos_ -= tail;
                    consumed_ -= tail;
                    seg.resize(i + 1);
                    return true;
                }
            }
        }
        if (seg.size() >= kHardLimit)
            Fail(kExitRefused,
                 Format("%s: a line longer than %zu MiB%s; not converted", name_.c_str(),
                        kHardLimit >> 20,
                        softLimit < kHardLimit ? " without a space or control character to "
                                                 "break it at"
                                               : ""));
    }
}

bool Input::NextBlock(std::string& block, std::size_t max) {
    block.clear();
    while (block.size() < max) {
        if (pos_ == end_ && !Fill()) break;
        const std::size_t take = std::min(max - block.size(), end_ - pos_);
        block.append(buf_.data() + pos_, take);
        pos_ += take;
        consumed_ += take;
    }
    return !block.empty();
}

std::string Input::ReadAll() {
    std::string all, block;
    while (NextBlock(block, kBlock)) {
        all += block;
        if (all.size() > kHardLimit * 4)
            Fail(kExitRefused, Format("%s: input larger than %zu MiB", name_.c_str(),
                                      (kHardLimit * 4) >> 20));
    }
    return all;
}

InputSet::InputSet(const std::vector<std::string>& operands) : names_(operands) {
    if (names_.empty()) names_.push_back("-");
    bool sizeKnown = true;
    for (const auto& n : names_) {
        if (n == "-") {
            sizeKnown = false;
            continue;
        }
        struct stat st {};
        if (stat(n.c_str(), &st) != 0)
            Fail(kExitRefused, Format("%s: %s", n.c_str(), std::strerror(errno)));
        if (S_ISDIR(st.st_mode)) Fail(kExitRefused, Format("%s: is a directory", n.c_str()));
        if (access(n.c_str(), R_OK) != 0)
            Fail(kExitRefused, Format("%s: %s", n.c_str(), std::strerror(errno)));
        if (S_ISREG(st.st_mode))
            total_ += static_cast<unsigned long long>(st.st_size);
        else
            sizeKnown = false;
    }
    if (!sizeKnown) {
        struct stat st {};
        if (names_.size() == 1 && fstat(0, &st) == 0 && S_ISREG(st.st_mode))
            total_ = static_cast<unsigned long long>(st.st_size);
        else
            total_ = 0;
    }
}

Input InputSet::Open(std::size_t i) const {
    const std::string& n = names_[i];
    if (n == "-") return Input(stdin, "<stdin>", false);
    std::FILE* f = std::fopen(n.c_str(), "rb");
    if (!f) Fail(kExitRefused, Format("%s: %s", n.c_str(), std::strerror(errno)));
    return Input(f, n, true);
}

bool U16Reader::Fill() {
    if (pos_ + 1 < block_.size()) return true;
    std::string rest = block_.substr(pos_);
    std::string more;
    if (!in_.NextBlock(more, kBlock)) {
        if (!rest.empty())
            Fail(kExitRefused, Format("%s: UTF-16 input ends in the middle of a unit "
                                      "(odd number of bytes)", in_.Name().c_str()));
        block_.clear();
        pos_ = 0;
        return false;
    }
    block_ = rest + more;
    pos_ = 0;
    if (block_.size() < 2) return Fill();
    return true;
}

bool U16Reader::NextSegment(U16& seg, bool* endedByNul, std::size_t softLimit) {
    seg.clear();
    *endedByNul = false;
    for (;;) {
        if (!Fill()) return !seg.empty();
        while (pos_ + 1 < block_.size()) {
            const auto lo = static_cast<unsigned char>(block_[pos_]);
            const auto hi = static_cast<unsigned char>(block_[pos_ + 1]);
            const char16_t u = static_cast<char16_t>(lo | (hi << 8));
            pos_ += 2;
            ++units_;
            if (u == 0) {
                *endedByNul = true;
                return true;
            }
            seg.push_back(u);
            if (u == u'\n') return true;
            // Past the soft limit the segment ends at the next space or
            // control unit, as in Input::NextSegment.
            if (seg.size() >= softLimit && u <= 0x20) return true;
            if (seg.size() * 2 >= kHardLimit)
                Fail(kExitRefused, Format("%s: a line longer than %zu MiB; not converted",
                                          in_.Name().c_str(), kHardLimit >> 20));
        }
    }
}

// ---- output --------------------------------------------------------------

namespace {

// The temporary output files of a command that an interrupt ends: removed
// by the handler, so that Ctrl-C leaves nothing behind. A slot's path is
// set only while its file exists; unlink() is safe in a signal handler.
// Batch conversion has one file open per worker, hence several slots.
constexpr int kTmpSlots = 64;
char g_tmpPaths[kTmpSlots][4096];
volatile sig_atomic_t g_tmpSet[kTmpSlots];
std::atomic<bool> g_tmpClaimed[kTmpSlots];
std::atomic<bool> g_handlersSet{false};

extern "C" void RemoveTmpAndDie(int sig) {
    for (int i = 0; i < kTmpSlots; ++i)
        if (g_tmpSet[i]) unlink(g_tmpPaths[i]);
    signal(sig, SIG_DFL);
    raise(sig);
}

// The signals that end a command from outside, as far as the host has them.
constexpr int kStopSignals[] = {SIGINT, SIGTERM,
#ifdef SIGHUP
                                SIGHUP,
#endif
#ifdef SIGPIPE
                                SIGPIPE,
#endif
};

// No SA_RESTART: a read blocked when the signal comes returns at once.
void OnSignal(int sig, void (*handler)(int)) {
#ifdef _WIN32
    signal(sig, handler);
#else
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    sigaction(sig, &sa, nullptr);
#endif
}


volatile sig_atomic_t g_interrupted = 0;

extern "C" void NoteInterrupt(int) { g_interrupted = 1; }

}  // namespace

int GuardTempFile(const std::string& path) {
    if (path.size() >= sizeof g_tmpPaths[0]) return -1;
    if (!g_handlersSet.exchange(true))
        for (int sig : kStopSignals) OnSignal(sig, RemoveTmpAndDie);
    for (int i = 0; i < kTmpSlots; ++i) {
        bool expected = false;
        if (!g_tmpClaimed[i].compare_exchange_strong(expected, true)) continue;
        std::memcpy(g_tmpPaths[i], path.c_str(), path.size() + 1);
        g_tmpSet[i] = 1;
        return i;
    }
    return -1;
}

void UnguardTempFile(int slot) {
    if (slot < 0) return;
    g_tmpSet[slot] = 0;
    g_tmpClaimed[slot] = false;
}

void CatchInterrupts() {
    for (int sig : kStopSignals) {
#ifdef SIGPIPE
        if (sig == SIGPIPE) continue;  // a closed pipe ends the command as usual
#endif
        OnSignal(sig, NoteInterrupt);
    }
}

void CheckInterrupted() {
    if (g_interrupted) Fail(130, "interrupted");
}

// The file's mode and, where the host has owners and we may set them, its
// owner and group go to the file that replaces it.
void CopyFileMetadata(const std::string& from, const std::string& to) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::perms perms = fs::status(from, ec).permissions();
    if (!ec) fs::permissions(to, perms, fs::perm_options::replace, ec);
#ifndef _WIN32
    struct stat st {};
    if (stat(from.c_str(), &st) != 0) return;
    if (st.st_uid != geteuid() || st.st_gid != getegid()) {
        // Only root may give a file away; a group we belong to is still kept.
        if (chown(to.c_str(), st.st_uid, st.st_gid) != 0 &&
            chown(to.c_str(), static_cast<uid_t>(-1), st.st_gid) != 0) {
            // The file stays ours, as any editor would leave it.
        }
        // chown() clears the set-user-ID and set-group-ID bits.
        chmod(to.c_str(), st.st_mode & 07777);
    }
#endif
}

Output::Output(const std::string& path) : path_(path), target_(path) {
    if (path_.empty() || path_ == "-") {
        f_ = stdout;
        path_.clear();
        return;
    }
    // An existing output keeps what it was: a symbolic link stays one (its
    // target is written), a file keeps its mode and owner.
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path_, ec))) {
        const auto real = std::filesystem::canonical(path_, ec);
        if (!ec) target_ = real.string();
    }
    existed_ = std::filesystem::is_regular_file(target_, ec);
    tmpPath_ = target_ + ".zrmoji-XXXXXX";
    std::vector<char> name(tmpPath_.begin(), tmpPath_.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        Fail(kExitRefused, Format("%s: cannot create the output: %s", path_.c_str(),
                                  std::strerror(errno)));
    tmpPath_ = name.data();
    guard_ = GuardTempFile(tmpPath_);
#ifdef _WIN32
    _setmode(fd, _O_BINARY);
#else
    // mkstemp makes the file 0600; give it the usual mode for a new file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
#endif
    f_ = fdopen(fd, "wb");
    if (!f_) {
        close(fd);
        std::remove(tmpPath_.c_str());
        Fail(kExitRefused, Format("%s: cannot create the output", path_.c_str()));
    }
}

Output::~Output() {
    if (!done_) Abandon();
}

void Output::Write(const void* data, std::size_t size) {
    if (size == 0) return;
    if (std::fwrite(data, 1, size, f_) != size)
        Fail(kExitRefused, Format("%s: write error: %s",
                                  path_.empty() ? "<stdout>" : path_.c_str(), std::strerror(errno)));
    written_ += size;
}

void Output::Commit() {
    done_ = true;
    if (tmpPath_.empty()) {
        if (std::fflush(f_) != 0)
            Fail(kExitRefused, Format("<stdout>: write error: %s", std::strerror(errno)));
        return;
    }
    const bool bad = std::fclose(f_) != 0;
    f_ = nullptr;
    if (!bad && existed_) CopyFileMetadata(target_, tmpPath_);
#ifdef _WIN32
    // rename() will not replace an existing file here.
    const bool renamed = !bad && MoveFileExA(tmpPath_.c_str(), target_.c_str(),
                                             MOVEFILE_REPLACE_EXISTING) != 0;
#else
    const bool renamed = !bad && std::rename(tmpPath_.c_str(), target_.c_str()) == 0;
#endif
    UnguardTempFile(guard_);
    guard_ = -1;
    if (!renamed) {
        const int e = errno;
        std::remove(tmpPath_.c_str());
        Fail(kExitRefused, Format("%s: cannot write the output: %s", path_.c_str(),
                                  std::strerror(e)));
    }
}

namespace {
std::vector<std::string>& LateNotes() {
    static std::vector<std::string> notes;
    return notes;
}
}  // namespace

void PrintLateNotes() {
    for (const auto& n : LateNotes()) std::fprintf(stderr, "zrmoji: %s\n", n.c_str());
    LateNotes().clear();
}

void Output::Abandon() {
    if (done_) return;
    done_ = true;
    // Told after the error itself, which main() prints once the stack has
    // unwound past this object.
    if (tmpPath_.empty()) {
        std::fflush(f_);
        if (written_ != 0)
            LateNotes().push_back("the output written so far is incomplete: it stops before "
                                  "the place named above");
        return;
    }
    if (f_) std::fclose(f_);
    f_ = nullptr;
    std::remove(tmpPath_.c_str());
    UnguardTempFile(guard_);
    guard_ = -1;
    LateNotes().push_back(path_ + " was not written");
}

// ---- progress ------------------------------------------------------------

namespace {
double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
// Below this an input is done before a progress line would help.
constexpr unsigned long long kProgressMin = 8ull << 20;
}  // namespace

Progress::Progress(const Common& c, unsigned long long totalBytes) : total_(totalBytes) {
    if (c.quiet) return;
    tty_ = isatty(2);
    enabled_ = c.forceProgress || (tty_ && (totalBytes == 0 || totalBytes >= kProgressMin));
    start_ = last_ = Now();
}

Progress::~Progress() { Finish(); }

void Progress::Update(unsigned long long done) {
    if (!enabled_) return;
    const double t = Now();
    // Unknown sizes (pipes) start reporting once the work takes a while.
    if (t - last_ < 0.25 && !(shown_ == false && t - start_ > 1.0)) return;
    if (total_ == 0 && t - start_ < 1.0) return;
    last_ = t;
    shown_ = true;
    // On a terminal the line is rewritten in place; elsewhere (--progress
    // into a file) each report is a line of its own.
    const char* lead = tty_ ? "\r" : "";
    const char* tail = tty_ ? "" : "\n";
    if (total_ > 0)
        std::fprintf(stderr, "%szrmoji: %3u%% (%.1f of %.1f MB)%s", lead,
                     static_cast<unsigned>(done * 100 / total_), done / 1e6, total_ / 1e6, tail);
    else
        std::fprintf(stderr, "%szrmoji: %.1f MB%s", lead, done / 1e6, tail);
    std::fflush(stderr);
}

void Progress::Finish() {
    if (shown_ && tty_) std::fprintf(stderr, "\r\033[K");
    shown_ = false;
    enabled_ = false;
}

// ---- text helpers over the exports ---------------------------------------

std::int32_t CheckedSize(std::size_t n) {
    if (n > static_cast<std::size_t>(INT32_MAX - 16))
        Fail(kExitRefused, "a piece of text too large for the library's 32-bit sizes");
    return static_cast<std::int32_t>(n);
}

std::int32_t CallGrowing(std::size_t first, std::size_t bound,
                         const std::function<std::int32_t(std::int32_t)>& call,
                         std::int32_t* capacity) {
    std::size_t cap = std::min(first, bound);
    for (;;) {
        *capacity = CheckedSize(cap);
        const std::int32_t r = call(*capacity);
        if (r != 0 || cap >= bound) return r;
        cap = std::min(cap * 2, bound);
    }
}

namespace {

using BytesToWide = std::int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, std::int32_t);
using WideToBytes = std::int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, std::int32_t);

// One byte-string-to-UTF-16 export over a whole text; `what` names the
// input in the message when the library refuses it.
U16 BytesToU16(std::string_view s, BytesToWide convert, const char* what) {
    if (s.empty()) return {};
    const std::string z(s);
    std::vector<ZR_WCHAR> buf;
    std::int32_t cap = 0;
    const std::int32_t r = CallGrowing(s.size() + 1, s.size() + 2, [&](std::int32_t c) {
        buf.assign(static_cast<std::size_t>(c), 0);
        return convert(z.c_str(), buf.data(), c);
    }, &cap);
    if (r <= 0 || r > cap) Fail(kExitRefused, std::string("the library refused the ") + what + " text");
    return FromW(buf.data(), static_cast<std::size_t>(r - 1));
}

// One UTF-16-to-byte-string export; at most `perUnit` bytes per unit.
std::string U16ToBytes(std::u16string_view s, WideToBytes convert, std::size_t perUnit) {
    if (s.empty()) return {};
    const WStr z = ToW(s);
    std::string buf;
    std::int32_t cap = 0;
    const std::int32_t r = CallGrowing(perUnit * s.size() + 1, perUnit * s.size() + 2, [&](std::int32_t c) {
        buf.assign(static_cast<std::size_t>(c), '\0');
        return convert(z.c_str(), buf.data(), c);
    }, &cap);
    if (r <= 0 || r >= cap) Fail(kExitRefused, "the library refused the UTF-16 text");
    buf.resize(static_cast<std::size_t>(r));
    return buf;
}

}  // namespace

U16 Utf8ToU16(std::string_view s) { return BytesToU16(s, ZR_Utf8ToUnicode, "UTF-8"); }
std::string U16ToUtf8(std::u16string_view s) { return U16ToBytes(s, ZR_UnicodeToUtf8, 3); }
U16 SJisToU16(std::string_view s) { return BytesToU16(s, ZR_SJisToUnicode, "Shift_JIS"); }
std::string U16ToSJis(std::u16string_view s) { return U16ToBytes(s, ZR_UnicodeToSJis, 2); }

U16 WidenBytes(std::string_view s) {
    U16 out;
    out.reserve(s.size());
    for (char c : s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

std::string U16ToLeBytes(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (char16_t u : s) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

U16 LeBytesToU16(std::string_view b) {
    U16 out;
    out.reserve(b.size() / 2);
    for (std::size_t i = 0; i + 1 < b.size(); i += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(b[i]) |
                                            (static_cast<unsigned char>(b[i + 1]) << 8)));
    return out;
}

TextSide TextSideFrom(const Options& o) {
    const std::string t = o.Get("text", "utf8");
    if (t == "utf8" || t == "utf-8") return TextSide::Utf8;
    if (t == "sjis" || t == "shift_jis" || t == "cp932") return TextSide::SJis;
    if (t == "utf16" || t == "utf-16" || t == "utf16le") return TextSide::Utf16;
    UsageFail(Format("unknown --text '%s' (use utf8, sjis or utf16)", t.c_str()));
}

bool LineReader::Next(std::string& line, bool* hadBreak) {
    lineStart_ = next_;
    *hadBreak = false;
    if (side_ == TextSide::Utf16) {
        U16 seg;
        bool nul = false;
        // No soft limit: a text line is handed to the library whole.
        if (!u16_.NextSegment(seg, &nul, SIZE_MAX)) return false;
        if (nul) Fail(kExitRefused, Where(in_.Name(), lineNo_ + 1, u16_.ConsumedBytes() - 2) +
                                        ": a NUL character in the text");
        ++lineNo_;
        next_ = u16_.ConsumedBytes();
        if (!seg.empty() && seg.back() == u'\n') {
            seg.pop_back();
            *hadBreak = true;
            if (!seg.empty() && seg.back() == u'\r') seg.pop_back();
        }
        line = U16ToLeBytes(seg);
        return true;
    }
    bool nul = false;
    if (!in_.NextSegment(line, '\n', true, &nul, SIZE_MAX)) return false;
    if (nul) Fail(kExitRefused, Where(in_.Name(), lineNo_ + 1, in_.Consumed() - 1) +
                                    ": a NUL byte in the text");
    ++lineNo_;
    next_ = in_.Consumed();
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        *hadBreak = true;
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    return true;
}

U16 TextToU16(std::string_view line, TextSide side) {
    switch (side) {
        case TextSide::Utf8: return Utf8ToU16(line);
        case TextSide::SJis: return SJisToU16(line);
        case TextSide::Utf16: return LeBytesToU16(line);
    }
    return {};
}

std::string U16ToText(std::u16string_view s, TextSide side) {
    switch (side) {
        case TextSide::Utf8: return U16ToUtf8(s);
        case TextSide::SJis: return U16ToSJis(s);
        case TextSide::Utf16: return U16ToLeBytes(s);
    }
    return {};
}

std::string LineBreak(TextSide side) {
    return side == TextSide::Utf16 ? std::string("\n\0", 2) : std::string("\n");
}

// ---- characters without a JIS form ---------------------------------------

namespace {

// Code page 932 lead bytes 0xF0..0xFC (its user-defined area, and the IBM
// extensions from 0xFA) have no JIS X 0208 row, so the JIS and EUC-JP
// conversions refuse them.
long long FindUserDefinedPair(std::string_view sjis) {
    const std::string z(sjis);
    for (std::size_t i = 0; i < z.size();) {
        if (i + 1 < z.size() && ZR_IsMultiByteChar(z.c_str() + i)) {
            if (static_cast<unsigned char>(z[i]) >= 0xF0) return static_cast<long long>(i);
            i += 2;
        } else {
            ++i;
        }
    }
    return -1;
}

std::size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

}  // namespace

namespace {

// Convert one character at a time so that the culprit is known by its
// position in the caller's text, not in some intermediate form.
long long FindCharU16(std::u16string_view line, bool (*bad)(std::u16string_view ch),
                      std::string* what) {
    for (std::size_t i = 0; i < line.size();) {
        std::size_t n = 1;
        if (line[i] >= 0xD800 && line[i] <= 0xDBFF && i + 1 < line.size() &&
            line[i + 1] >= 0xDC00 && line[i + 1] <= 0xDFFF)
            n = 2;
        if (bad(line.substr(i, n))) {
            if (what) {
                const char32_t c = n == 2 ? 0x10000 + ((line[i] - 0xD800) << 10) + (line[i + 1] - 0xDC00)
                                          : line[i];
                *what = Format("U+%04X", static_cast<unsigned>(c));
            }
            return static_cast<long long>(i);
        }
        i += n;
    }
    return -1;
}

bool HasNoJisForm(std::u16string_view ch) { return FindUserDefinedPair(U16ToSJis(ch)) >= 0; }

// The byte offset, in `line` of encoding `enc`, of the first character that
// `bad` picks; -1 when there is none.
long long FindCharIn(std::string_view line, Enc enc, bool (*bad)(std::u16string_view),
                     std::string* what) {
    switch (enc) {
        case Enc::Utf16: {
            const long long at = FindCharU16(LeBytesToU16(line), bad, what);
            return at < 0 ? -1 : at * 2;
        }
        case Enc::Utf8: {
            const U16 u = Utf8ToU16(line);
            const long long at = FindCharU16(u, bad, what);
            if (at < 0) return -1;
            // Units back to UTF-8 bytes: a surrogate pair counts four bytes.
            std::size_t bytes = 0;
            for (std::size_t i = 0; i < static_cast<std::size_t>(at); ++i) {
                const char16_t c = u[i];
                if (c >= 0xD800 && c <= 0xDBFF) {
                    bytes += 4;
                    ++i;
                } else {
                    bytes += Utf8Length(c);
                }
            }
            return static_cast<long long>(bytes);
        }
        default: {
            // UTF-7 (and anything else): the character is named, the offset
            // is that of the line.
            U16 u;
            if (enc == Enc::Utf7 && !line.empty()) {
                const std::string z(line);
                std::vector<ZR_WCHAR> buf(line.size() + 2);
                const std::int32_t r =
                    ZR_Utf7ToUnicode(z.c_str(), buf.data(), static_cast<std::int32_t>(buf.size()));
                if (r > 0) u = FromW(buf.data(), static_cast<std::size_t>(r - 1));
            }
            return FindCharU16(u, bad, what) >= 0 ? 0 : -1;
        }
    }
}

}  // namespace

long long FindNonJisCharU16(std::u16string_view line, std::string* what) {
    return FindCharU16(line, HasNoJisForm, what);
}

long long FindNonJisChar(std::string_view line, Enc enc, std::string* what) {
    if (enc != Enc::SJis) return FindCharIn(line, enc, HasNoJisForm, what);
    const long long at = FindUserDefinedPair(line);
    if (at >= 0 && what)
        *what = Format("the Shift_JIS character %02X %02X",
                       static_cast<unsigned char>(line[static_cast<std::size_t>(at)]),
                       static_cast<unsigned char>(line[static_cast<std::size_t>(at) + 1]));
    return at;
}


bool ParseEnc(const std::string& name, Enc* out) {
    static const struct {
        const char* name;
        Enc enc;
    } kNames[] = {
        {"jis", Enc::Jis},         {"iso-2022-jp", Enc::Jis}, {"sjis", Enc::SJis},
        {"shift_jis", Enc::SJis},  {"cp932", Enc::SJis},      {"euc", Enc::Euc},
        {"euc-jp", Enc::Euc},      {"utf8", Enc::Utf8},       {"utf-8", Enc::Utf8},
        {"utf7", Enc::Utf7},       {"utf-7", Enc::Utf7},      {"utf16", Enc::Utf16},
        {"utf-16", Enc::Utf16},    {"utf16le", Enc::Utf16},   {"utf-16le", Enc::Utf16},
    };
    std::string lower;
    for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    for (const auto& n : kNames)
        if (lower == n.name) {
            *out = n.enc;
            return true;
        }
    return false;
}

const char* EncName(Enc e) {
    switch (e) {
        case Enc::Jis: return "jis";
        case Enc::SJis: return "sjis";
        case Enc::Euc: return "euc";
        case Enc::Utf8: return "utf8";
        case Enc::Utf7: return "utf7";
        case Enc::Utf16: return "utf16";
    }
    return "?";
}

void SetBinaryStdio() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void EnsureTempDir() {
    const char* t = std::getenv("TEMP");
    if (t && *t) return;
    const char* d = std::getenv("TMPDIR");
#ifdef _WIN32
    _putenv_s("TEMP", (d && *d) ? d : ".");
#else
    setenv("TEMP", (d && *d) ? d : "/tmp", 1);
#endif
}

}  // namespace zrcli
