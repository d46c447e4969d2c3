// cli/ebcdic_table.cpp - "zrmoji ebcdic" and "zrmoji table".
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.hpp"
#include "common.hpp"

namespace zrcli {
namespace {

// ---- EBCDIC --------------------------------------------------------------

std::int32_t ParseSelector(const std::string& s) {
    if (s == "0x400" || s == "400") return ZR_EBCDIC_TABLE_400;
    if (s == "0x500" || s == "500" || s == "kana") return ZR_EBCDIC_TABLE_KANA;
    if (s == "0x600" || s == "600") return ZR_EBCDIC_TABLE_600;
    UsageFail(Format("ebcdic: unknown table '%s' (use 0x400, 0x500 or 0x600)", s.c_str()));
}

// EBCDIC data has no lines, so it goes through in blocks. The string
// exports stop at a NUL, which is a character like any other here, so the
// blocks are cut at every NUL and the NUL is converted on its own.
void EbcdicTo(std::int32_t sel, Input& in, Output& out, Progress& progress,
              unsigned long long before) {
    std::string block, carry;
    const char nulCode = static_cast<char>(ZR_AsciiEbcdicCode(0, sel));
    bool atEnd = false;
    while (!atEnd) {
        if (!in.NextBlock(block, 1 << 16)) atEnd = true;
        carry += block;
        // A piece must not end inside a run of bytes 0x80..0xFF: the export
        // brackets such a run and does not close a bracket at its end, so
        // the next piece would open a second one.
        std::size_t cut = carry.size();
        if (!atEnd) {
            while (cut > 0 && static_cast<unsigned char>(carry[cut - 1]) >= 0x80) --cut;
            if (cut == 0) continue;
        }
        std::string_view piece(carry.data(), cut);
        while (!piece.empty()) {
            const std::size_t nul = piece.find('\0');
            const std::string part(piece.substr(0, nul));
            if (!part.empty()) {
                // Every byte at most three: bracket, byte, bracket.
                std::string dst(3 * part.size() + 2, '\0');
                const std::int32_t r =
                    ZR_AsciiToEbcdic(part.c_str(), dst.data(), CheckedSize(dst.size()), sel);
                if (r < 0 || static_cast<std::size_t>(r) >= dst.size())
                    Fail(kExitRefused, in.Name() + ": the library refused to convert to EBCDIC");
                out.Write(dst.data(), static_cast<std::size_t>(r));
            }
            if (nul == std::string_view::npos) break;
            // The NUL is a byte below 0x80, before which the export would
            // have closed an open bracket.
            if (!part.empty() && static_cast<unsigned char>(part.back()) >= 0x80)
                out.Write("\x29", 1);
            out.Write(&nulCode, 1);
            piece.remove_prefix(nul + 1);
        }
        carry.erase(0, cut);
        progress.Update(before + in.Consumed());
    }
}

void EbcdicFrom(std::int32_t sel, Input& in, Output& out, Progress& progress,
                unsigned long long before) {
    std::string block;
    const char nulCode = static_cast<char>(ZR_EbcdicAsciiCode(0, sel));
    bool open = false;  // inside a bracket (0x28 .. 0x29) at the end of the last piece
    while (in.NextBlock(block, 1 << 16)) {
        std::string_view piece(block);
        while (!piece.empty()) {
            const std::size_t nul = piece.find('\0');
            std::string part(piece.substr(0, nul));
            // The export starts outside a bracket; carry the state over.
            const bool wasOpen = open;
            for (char ch : part) {
                if (ch == 0x28) open = true;
                if (ch == 0x29) open = false;
            }
            if (wasOpen) part.insert(part.begin(), '\x28');
            if (!part.empty() && part != "\x28") {
                std::string dst(part.size() + 2, '\0');
                const std::int32_t r =
                    ZR_EbcdicToAscii(part.c_str(), dst.data(), CheckedSize(dst.size()), sel);
                if (r < 0 || static_cast<std::size_t>(r) >= dst.size())
                    Fail(kExitRefused, in.Name() + ": the library refused to convert from EBCDIC");
                out.Write(dst.data(), static_cast<std::size_t>(r));
            }
            if (nul == std::string_view::npos) break;
            // A NUL inside a bracket is carried like any other byte there.
            if (open)
                out.Write("\0", 1);
            else
                out.Write(&nulCode, 1);
            piece.remove_prefix(nul + 1);
        }
        progress.Update(before + in.Consumed());
    }
}

// ---- code tables -----------------------------------------------------------

const char* TableErrorText(std::int32_t e) {
    switch (e) {
        case ZR_CODETABLE_BAD_DIRECTION: return "bad direction";
        case ZR_CODETABLE_OPEN_FAILED: return "the file cannot be opened";
        case ZR_CODETABLE_NO_TEMP_NAME: return "no temporary file could be made in $TEMP";
        case ZR_CODETABLE_READ_FAILED: return "reading the file failed";
        case ZR_CODETABLE_WRITE_FAILED: return "writing the temporary file failed";
        case ZR_CODETABLE_BAD_LINE: return "a line without exactly three fields";
        case ZR_CODETABLE_EMPTY: return "the file holds no code pair";
        case ZR_CODETABLE_MAP_FAILED: return "the temporary file cannot be mapped";
        default: return "the table could not be loaded";
    }
}

// Releases the table (and its temporary file) on every way out.
struct TableHandle {
    CodeTable* t = nullptr;
    ~TableHandle() { ZR_CodeTableTerm(t); }
};

bool ParseCode(const std::string& s, std::int32_t* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 16);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > UINT32_MAX) return false;
    *out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v & 0xFFFFFFFF));
    return true;
}

}  // namespace

int RunEbcdic(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {{"table", 0, true}};
    const Options o = ParseOptions(argc, argv, first, kOpts, "ebcdic");
    if (o.Has("help")) {
        PrintHelp("ebcdic");
        return kExitOk;
    }
    const Common c = CommonFrom(o);
    if (o.operands.empty()) UsageFail("ebcdic: say to or from");
    const std::string action = o.operands[0];
    if (action != "to" && action != "from")
        UsageFail(Format("ebcdic: unknown action '%s' (use to or from)", action.c_str()));
    const std::int32_t sel = ParseSelector(o.Get("table", "0x400"));
    InputSet inputs(std::vector<std::string>(o.operands.begin() + 1, o.operands.end()));
    Output out(c.outputPath);
    Progress progress(c, inputs.TotalSize());
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        if (action == "to")
            EbcdicTo(sel, in, out, progress, before);
        else
            EbcdicFrom(sel, in, out, progress, before);
        before += in.Consumed();
    }
    progress.Finish();
    out.Commit();
    return kExitOk;
}

int RunTable(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {{"reverse", 'r', false}, {"sort", 's', false},
                                        {"text", 0, true}};
    const Options o = ParseOptions(argc, argv, first, kOpts, "table");
    if (o.Has("help")) {
        PrintHelp("table");
        return kExitOk;
    }
    const Common c = CommonFrom(o);
    if (o.operands.size() < 2) UsageFail("table: give FILE and then lookup CODE... or map");
    const std::string path = o.operands[0];
    const std::string action = o.operands[1];
    std::vector<std::int32_t> codes;
    if (action == "lookup") {
        if (o.operands.size() < 3) UsageFail("table lookup: give at least one code");
        for (std::size_t i = 2; i < o.operands.size(); ++i) {
            std::int32_t v;
            if (!ParseCode(o.operands[i], &v))
                UsageFail(Format("table lookup: '%s' is not a hexadecimal code",
                                 o.operands[i].c_str()));
            codes.push_back(v);
        }
    } else if (action != "map") {
        UsageFail(Format("table: unknown action '%s' (use lookup or map)", action.c_str()));
    }
    if (o.Has("text") && action != "map") UsageFail("table: --text goes with map");
    const TextSide side = TextSideFrom(o);
    // Checked here so that a missing file is told apart from a bad one.
    InputSet tableFile({path});
    std::vector<std::string> rest;
    if (action == "map") rest.assign(o.operands.begin() + 2, o.operands.end());
    InputSet inputs(rest);

    TableHandle table;
    // The W loader: file names here are UTF-8, which the A loader would
    // read as Shift_JIS.
    const std::int32_t direction = o.Has("reverse") ? 1 : 0, sort = o.Has("sort") ? 1 : 0;
#ifdef _WIN32
    // Here the command line is in the ANSI code page, as the A loader reads it.
    table.t = ZR_CodeTableInitA(path.c_str(), direction, 0, sort);
#else
    table.t = ZR_CodeTableInitW(ToW(Utf8ToU16(path)).c_str(), direction, 0, sort);
#endif
    if (!table.t) {
        const std::int32_t e = ZR_CodeTableError();
        if (e == ZR_CODETABLE_BAD_LINE)
            Fail(kExitRefused, Format("%s: line %d: %s", path.c_str(), ZR_CodeTableErrorLine(),
                                      TableErrorText(e)));
        Fail(kExitRefused, Format("%s: %s (error %d)", path.c_str(), TableErrorText(e), e));
    }
    Output out(c.outputPath);
    CatchInterrupts();
    if (action == "lookup") {
        for (std::int32_t code : codes) {
            const std::int32_t v = ZR_CodeTableCode(table.t, code);
            // -1 is both "no such key" and a value a table may hold.
            if (v == -1)
                out.Write(Format("%X\tnone\n", static_cast<std::uint32_t>(code)));
            else
                out.Write(Format("%X\t%X\n", static_cast<std::uint32_t>(code),
                                 static_cast<std::uint32_t>(v)));
        }
    } else {
        Progress progress(c, inputs.TotalSize());
        std::string line;
        unsigned long long before = 0;
        for (std::size_t i = 0; i < inputs.Count(); ++i) {
            Input in = inputs.Open(i);
            LineReader lines(in, side);
            bool brk = false;
            while (lines.Next(line, &brk)) {
                CheckInterrupted();
                const U16 u = TextToU16(line, side);
                if (!u.empty()) {
                    // At most one unit out for each unit in.
                    std::vector<ZR_WCHAR> dst(u.size() + 1, 0);
                    const std::int32_t r = ZR_CodeTableString(table.t, ToW(u).c_str(), dst.data(),
                                                              CheckedSize(u.size()));
                    if (r < 0 || static_cast<std::size_t>(r) > u.size())
                        Fail(kExitRefused, Where(in.Name(), lines.LineNo(), lines.LineStart()) +
                                               ": the library refused to map this line");
                    out.Write(U16ToText(FromW(dst.data(), static_cast<std::size_t>(r)), side));
                }
                if (brk) out.Write(LineBreak(side));
                progress.Update(before + in.Consumed());
            }
            before += in.Consumed();
        }
        progress.Finish();
    }
    out.Commit();
    return kExitOk;
}

}  // namespace zrcli
