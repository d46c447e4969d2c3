// cli/common.hpp - shared plumbing of zrmoji: options, input, output, errors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "zr_moji.h"

namespace zrcli {

// Exit statuses: 1 whenever the input could not be turned into output
// (the library refused it, it cannot be read, it is malformed), 2 when the
// command line itself is wrong.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// Thrown by every command on the way out; main() prints the message.
struct Failure {
    int status;
    std::string message;
};

[[noreturn]] void Fail(int status, std::string message);
[[noreturn]] void UsageFail(std::string message);
#if defined(__MINGW32__)
// Built with __USE_MINGW_ANSI_STDIO, so C99 formats (%zu, %llu) hold there too.
#define ZRCLI_PRINTF_FORMAT gnu_printf
#else
#define ZRCLI_PRINTF_FORMAT printf
#endif
std::string Format(const char* fmt, ...) __attribute__((format(ZRCLI_PRINTF_FORMAT, 1, 2)));

// ---- command line --------------------------------------------------------

struct OptSpec {
    const char* longName;  // without the dashes
    char shortName;        // 0 when there is none
    bool hasValue;
};

struct Options {
    std::map<std::string, std::string> values;  // long name -> value ("" for flags)
    std::vector<std::string> operands;
    bool Has(const std::string& name) const { return values.count(name) != 0; }
    std::string Get(const std::string& name, const std::string& fallback = "") const;
};

// Parses argv[first..argc) against the command's options plus the ones every
// command takes (-o, -q, -v, --progress, -h). Unknown options are usage errors.
Options ParseOptions(int argc, char** argv, int first, std::span<const OptSpec> own,
                     const char* command);

// What to do with input that is malformed or cannot be expressed in the
// output: stop with the place named (the default), write a substitute, or
// leave it out. Read from --errors=strict|replace|skip (--strict: strict).
enum class ErrorPolicy { Strict, Replace, Skip };
ErrorPolicy ErrorPolicyFrom(const Options& o, const char* command);

// Settings every command shares, read from Options.
struct Common {
    std::string outputPath;  // empty: stdout
    bool verbose = false;
    bool quiet = false;
    bool forceProgress = false;
};
Common CommonFrom(const Options& o);

// ---- input ---------------------------------------------------------------

// One input: a named file or stdin, read in large blocks. Counts the bytes
// handed out so that errors can say where they happened.
class Input {
public:
    Input(std::FILE* f, std::string name, bool owned);
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input();

    const std::string& Name() const { return name_; }
    // Total size when the input is a regular file, else -1.
    long long Size() const { return size_; }
    // Bytes handed out so far.
    unsigned long long Consumed() const { return consumed_; }

    // Next byte segment: up to and including `delim`, or up to (excluding) a
    // NUL byte when `splitAtNul`; *endedByNul tells which. A segment that has
    // grown past `softLimit` is cut after a byte <= 0x20 of the block last
    // read, so that a long line need not be held whole; one that reaches
    // 64 MiB fails the command. Returns false at the end of the input.
    bool NextSegment(std::string& seg, char delim, bool splitAtNul, bool* endedByNul,
                     std::size_t softLimit);
    // Next raw block of at most `max` bytes; false at the end.
    bool NextBlock(std::string& block, std::size_t max);
    // Everything that is left.
    std::string ReadAll();

private:
    bool Fill();
    std::FILE* f_;
    std::string name_;
    bool owned_;
    long long size_ = -1;
    unsigned long long consumed_ = 0;
    std::vector<char> buf_;
    std::size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
};

// Opens the operands in order ("-" or none at all: stdin). Every named file is
// checked before the first is read, so a missing one fails the command before
// any output is written.
class InputSet {
public:
    explicit InputSet(const std::vector<std::string>& operands);
    std::size_t Count() const { return names_.size(); }
    Input Open(std::size_t i) const;
    unsigned long long TotalSize() const { return total_; }  // 0 when unknown

private:
    std::vector<std::string> names_;
    unsigned long long total_ = 0;
};

// ---- output --------------------------------------------------------------

// Where a command's bytes go.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void Write(const void* data, std::size_t size) = 0;
    void Write(std::string_view s) { Write(s.data(), s.size()); }
};

// A temporary file that an interrupt must not leave behind: registered
// while it exists, removed by the signal handler. Any thread may register
// one; returns a slot for UnguardTempFile (-1: too many at once, then the
// file is simply not guarded).
int GuardTempFile(const std::string& path);
void UnguardTempFile(int slot);

// Gives `to` the mode of `from` and, where the host has owners and we may
// set them, its owner and group.
void CopyFileMetadata(const std::string& from, const std::string& to);

// The output goes to stdout or, with -o, to a temporary file beside the target
// that is renamed over it only when the command succeeds; a failed command
// leaves an existing target untouched and says what happened.
class Output : public Sink {
public:
    explicit Output(const std::string& path);
    ~Output() override;
    void Write(const void* data, std::size_t size) override;
    using Sink::Write;
    void Commit();
    // Called on failure: removes the temporary file, or says on stderr that
    // stdout holds only part of the output.
    void Abandon();
    bool WroteAnything() const { return written_ != 0; }

private:
    std::string path_, target_, tmpPath_;  // target_: path_ with its links resolved
    bool existed_ = false;
    int guard_ = -1;
    std::FILE* f_ = nullptr;
    unsigned long long written_ = 0;
    bool done_ = false;
};

// For commands that hold something the library must release (a loaded code
// table and its temporary file): an interrupt only sets a flag, and
// CheckInterrupted() turns it into a Failure (status 130) so that the
// destructors run.
void CatchInterrupts();
void CheckInterrupted();

// Notes left by objects destroyed while a Failure unwinds; main() prints
// them after the failure's own message.
void PrintLateNotes();

// ---- progress ------------------------------------------------------------

// A line on stderr for large inputs, only when stderr is a terminal (or
// --progress), never with --quiet.
class Progress {
public:
    Progress(const Common& c, unsigned long long totalBytes);
    ~Progress();
    void Update(unsigned long long doneBytes);
    void Finish();

private:
    bool enabled_ = false;
    bool shown_ = false;
    bool tty_ = false;
    unsigned long long total_ = 0;
    double start_ = 0, last_ = 0;
};

// ---- text helpers over the exports ---------------------------------------

using U16 = std::u16string;

// The exports' UTF-16 unit: char16_t here, wchar_t (also 16 bits) on
// Windows. Text is kept as U16 and copied unit by unit at the boundary.
using WStr = std::basic_string<ZR_WCHAR>;
inline WStr ToW(std::u16string_view s) { return WStr(s.begin(), s.end()); }
inline U16 FromW(const ZR_WCHAR* p, std::size_t n) { return U16(p, p + n); }

// Capacity helper: runs `call(capacity)` with growing capacities, from
// `first` doubling up to `bound` (both in output units), while it reports
// 0 ("did not fit"). Returns the last result; *capacity receives the last
// capacity tried. Fails when a capacity would not fit an int32_t.
std::int32_t CallGrowing(std::size_t first, std::size_t bound,
                         const std::function<std::int32_t(std::int32_t)>& call,
                         std::int32_t* capacity);

std::int32_t CheckedSize(std::size_t n);  // n as int32_t, or a Failure

U16 Utf8ToU16(std::string_view s);
std::string U16ToUtf8(std::u16string_view s);
U16 SJisToU16(std::string_view s);
std::string U16ToSJis(std::u16string_view s);

// Bytes widened one to one into UTF-16 units (0x00..0xFF), for the W exports
// that read only the low eight bits of each unit.
U16 WidenBytes(std::string_view s);

// Little-endian UTF-16 bytes <-> units, whatever the host order.
std::string U16ToLeBytes(std::u16string_view s);
U16 LeBytesToU16(std::string_view bytes);

// The caller's text side of the commands that take text (b64/qp/url/table).
enum class TextSide { Utf8, SJis, Utf16 };
TextSide TextSideFrom(const Options& o);

// UTF-16LE input read as units: segments end after U+000A or before U+0000.
class U16Reader {
public:
    explicit U16Reader(Input& in) : in_(in) {}
    // As Input::NextSegment, in units. A trailing odd byte is an error.
    bool NextSegment(U16& seg, bool* endedByNul, std::size_t softLimit);
    unsigned long long ConsumedBytes() const { return units_ * 2; }

private:
    bool Fill();
    Input& in_;
    std::string block_;
    std::size_t pos_ = 0;
    unsigned long long units_ = 0;
};

// A text line of the commands that work line by line (b64, qp, url, table):
// the line without its break (LF or CR LF), in the text side's encoding; for
// Utf16 as LE bytes. False at the end.
class LineReader {
public:
    LineReader(Input& in, TextSide side) : in_(in), side_(side), u16_(in) {}
    bool Next(std::string& line, bool* hadBreak);
    unsigned long long LineNo() const { return lineNo_; }
    unsigned long long LineStart() const { return lineStart_; }  // byte offset

private:
    Input& in_;
    TextSide side_;
    U16Reader u16_;
    unsigned long long lineNo_ = 0, lineStart_ = 0, next_ = 0;
};

// Line text -> UTF-16 units; UTF-16 units -> bytes on the text side.
U16 TextToU16(std::string_view line, TextSide side);
std::string U16ToText(std::u16string_view s, TextSide side);
std::string LineBreak(TextSide side);

// Position of the first character of `line` whose Shift_JIS form has no JIS
// X 0208 row (lead byte 0xF0..0xFC), as a byte offset into `line` in its own
// encoding; -1 when there is none. `enc` names the encoding of `line`.
enum class Enc { Jis, SJis, Euc, Utf8, Utf7, Utf16 };
long long FindNonJisChar(std::string_view line, Enc enc, std::string* what);
long long FindNonJisCharU16(std::u16string_view line, std::string* what);

bool ParseEnc(const std::string& name, Enc* out);
const char* EncName(Enc e);

// The library finds its code-table files through TEMP only; set it for this
// process when the environment has none.
void EnsureTempDir();

// Standard input and output carry bytes, never text with translated line ends.
void SetBinaryStdio();

// Where an error happened, for messages: "file: line 3 (byte offset 17)".
std::string Where(const std::string& name, unsigned long long line, unsigned long long byte);

}  // namespace zrcli
