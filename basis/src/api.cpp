// api.cpp - the exports of ZR_Basis.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>

#include "csv.hpp"
#include "text_file.hpp"
#include "zr_basis.h"

#include <sys/stat.h>

static_assert(sizeof(BASIS_WCHAR) == sizeof(char16_t), "UTF-16 units are 16 bits");

namespace {

using zr::basis::Encoding;
using zr::basis::TextFile;

const char16_t* U16(const BASIS_WCHAR* s) noexcept { return reinterpret_cast<const char16_t*>(s); }

TextFile* FromHandle(ZR_TEXTFILE h) noexcept { return reinterpret_cast<TextFile*>(h); }

// Only reading is offered: "r", optionally with "t" or "b".
bool IsReadMode(const char16_t* mode) noexcept {
    if (!mode || mode[0] != u'r') return false;
    for (const char16_t* m = mode + 1; *m; ++m) {
        if (*m != u't' && *m != u'b') return false;
    }
    return true;
}

#if !defined(_WIN32)
// UTF-16 path to the host's UTF-8; null for a lone surrogate or no memory.
char* PathToUtf8(const char16_t* path) noexcept {
    std::size_t n = 0;
    while (path[n]) ++n;
    char* out = static_cast<char*>(std::malloc(3 * n + 1));
    if (!out) return nullptr;
    std::size_t o = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = path[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[++i] - 0xDC00u);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            std::free(out);
            return nullptr;
        }
        if (c < 0x80) {
            out[o++] = static_cast<char>(c);
        } else if (c < 0x800) {
            out[o++] = static_cast<char>(0xC0 | (c >> 6));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[o++] = static_cast<char>(0xE0 | (c >> 12));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[o++] = static_cast<char>(0xF0 | (c >> 18));
            out[o++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out[o] = 0;
    return out;
}
#endif

std::FILE* OpenForReading(const char16_t* path) noexcept {
#if defined(_WIN32)
    return _wfopen(reinterpret_cast<const wchar_t*>(path), L"rb");
#else
    char* p = PathToUtf8(path);
    if (!p) return nullptr;
    std::FILE* f = std::fopen(p, "rb");
    std::free(p);
    return f;
#endif
}

// A directory opens as a stream on some hosts; it is no text file on any.
bool IsDirectory(std::FILE* f) noexcept {
#if defined(_WIN32)
    struct _stat64 st;
    return _fstat64(_fileno(f), &st) == 0 && (st.st_mode & _S_IFDIR);
#else
    struct stat st;
    return fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

}  // namespace

extern "C" BASIS_API ZR_TEXTFILE BASIS_CALL ZR_TextFileOpenW(const BASIS_WCHAR* path, const BASIS_WCHAR* mode,
                                                             int32_t openOption) {
    if (!path || !path[0] || !IsReadMode(U16(mode)) || openOption < 0 || openOption > 3) return 0;
    std::FILE* f = OpenForReading(U16(path));
    if (!f) return 0;
    if (IsDirectory(f)) {
        std::fclose(f);
        return 0;
    }
    auto* file = new (std::nothrow) TextFile(f, static_cast<Encoding>(openOption));
    if (!file) {
        std::fclose(f);
        return 0;
    }
    return reinterpret_cast<ZR_TEXTFILE>(file);
}

extern "C" BASIS_API int32_t BASIS_CALL ZR_TextFileEof(ZR_TEXTFILE file) {
    return file ? FromHandle(file)->Eof() : 1;
}

extern "C" BASIS_API BASIS_WCHAR* BASIS_CALL ZR_TextFileGetsW(ZR_TEXTFILE file, BASIS_WCHAR* buf, int32_t size) {
    if (!buf || size <= 0) return nullptr;
    if (!file) {
        buf[0] = 0;
        return nullptr;
    }
    const long n = FromHandle(file)->GetLine(reinterpret_cast<char16_t*>(buf), static_cast<std::size_t>(size));
    return n < 0 ? nullptr : buf;
}

extern "C" BASIS_API int32_t BASIS_CALL ZR_TextFileError(ZR_TEXTFILE file) {
    return file ? FromHandle(file)->Error() : 1;
}

extern "C" BASIS_API int32_t BASIS_CALL ZR_StringCSVW(const BASIS_WCHAR* line, StrList* list, int32_t option) {
    if (!list) return -1;
    list->count = 0;
    list->strings = nullptr;
    if (!line) return -1;
    zr::basis::Fields fields;
    if (!zr::basis::SplitCsv(std::u16string_view(U16(line)), option == ZR_CSV_UNQUOTE, fields)) return -1;
    list->count = fields.count;
    list->strings = reinterpret_cast<BASIS_WCHAR**>(fields.strings);
    return list->count;
}

extern "C" BASIS_API void BASIS_CALL ZR_DeleteStrListW(StrList* list) {
    if (!list) return;
    zr::basis::Fields fields{list->count, reinterpret_cast<char16_t**>(list->strings)};
    zr::basis::FreeFields(fields);
    list->count = 0;
    list->strings = nullptr;
}

extern "C" BASIS_API int32_t BASIS_CALL ZR_TextFileClose(ZR_TEXTFILE file) {
    if (!file) return -1;
    TextFile* f = FromHandle(file);
    const bool ok = f->Close();
    delete f;
    return ok ? 0 : -1;
}
